// The number texts: whatever the user types into a settings box, and the numbers the window
// writes back into them. A Failure is how these routines refuse; anything escaping, or a crash,
// is a fault.
//
// Input: the whole input is a text for LeadingNumber. Its bytes, eight at a time, are also taken
// as doubles (at most 4 of them), as is the number LeadingNumber read; each double is written
// with every picture the program uses and converted with ToByte and ToInt16.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "common/NumberText.h"

using namespace vexaro;

namespace {

constexpr std::string_view kPictures[] = {"####", "0.###", "###",   "#0.0",
                                          "0.0",  "##",    "0.000", "0.00"};

void CheckPicture(double value, std::string_view picture) {
  const Result<std::string> written = FormatPicture(value, picture);
  FUZZ_CHECK(written.ok() == std::isfinite(value));  // only infinities and NaN cannot be shown
  if (!written) return;
  const std::string& text = *written;
  // Plain digits, an optional leading "-" and the picture's ".": never a locale's "," or an
  // exponent, which the device-side readers would misread.
  FUZZ_CHECK(text.find(',') == std::string::npos);
  FUZZ_CHECK(text.find('e') == std::string::npos && text.find('E') == std::string::npos);
  FUZZ_CHECK(std::count(text.begin(), text.end(), '.') ==
             std::count(picture.begin(), picture.end(), '.'));
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    FUZZ_CHECK((c >= '0' && c <= '9') || c == '.' || (c == '-' && i == 0));
  }

  // Read back, the text lies within half a place of the value (plus the 15-digit cut).
  const std::size_t point = picture.find('.');
  const int decimals = point == std::string_view::npos ? 0 : int(picture.size() - point - 1);
  const double halfPlace = 0.5 * std::pow(10.0, -decimals);
  const Result<double> back = LeadingNumber(text);
  if (!back) {
    // Only the largest doubles round, at 15 digits, past the largest double.
    FUZZ_CHECK(std::fabs(value) > 1.79769313486231e308);
    return;
  }
  FUZZ_CHECK(std::fabs(*back - value) <= halfPlace * (1 + 1e-9) + std::fabs(value) * 1e-13);
}

void CheckWhole(double value) {
  if (const Result<std::uint8_t> byte = ToByte(value)) {
    const double r = *byte;
    FUZZ_CHECK(r >= 0 && r <= 255 && std::fabs(r - value) <= 0.5);
  } else {
    FUZZ_CHECK(!(value > -0.5 && value < 255.5));
  }
  if (const Result<std::int16_t> whole = ToInt16(value)) {
    const double r = *whole;
    FUZZ_CHECK(r >= -32768 && r <= 32767 && std::fabs(r - value) <= 0.5);
  } else {
    FUZZ_CHECK(!(value > -32768.5 && value < 32767.5));
  }
}

void CheckNumber(double value) {
  for (const std::string_view picture : kPictures) CheckPicture(value, picture);
  CheckWhole(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const Result<double> read = LeadingNumber(text)) {
    FUZZ_CHECK(std::isfinite(*read));  // too large is a Failure, never an infinity
    CheckNumber(*read);
  }

  constexpr std::size_t kMaxDoubles = 4;
  for (std::size_t at = 0; at + sizeof(double) <= size && at < kMaxDoubles * sizeof(double);
       at += sizeof(double)) {
    double value;
    std::memcpy(&value, data + at, sizeof value);
    CheckNumber(value);
  }
  return 0;
}
