#include "common/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace vexaro {

namespace {

bool IsSkipped(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Halves go to the even neighbour; NaN stays NaN.
double RoundHalfEven(double x) {
  const double floor = std::floor(x);
  const double diff = x - floor;
  if (diff < 0.5) return floor;
  if (diff > 0.5) return floor + 1.0;
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

}  // namespace

Result<double> LeadingNumber(std::string_view text) {
  // Gather the number's characters, skipping blanks, tabs and line feeds anywhere.
  std::string number;
  std::size_t i = 0;
  const auto next = [&]() -> char {
    while (i < text.size() && IsSkipped(text[i])) ++i;
    return i < text.size() ? text[i] : '\0';
  };

  bool negative = false;
  if (const char c = next(); c == '+' || c == '-') {
    negative = c == '-';
    ++i;
  }
  bool seenPoint = false;
  bool seenDigit = false;
  long long digitsBeforePoint = 0;  // significant digits of the integer part
  for (char c = next(); IsDigit(c) || (c == '.' && !seenPoint); c = next()) {
    if (c == '.') {
      seenPoint = true;
    } else {
      seenDigit = true;
      if (!seenPoint && (c != '0' || digitsBeforePoint > 0)) ++digitsBeforePoint;
    }
    number += c;
    ++i;
  }
  if (!seenDigit) return 0.0;

  // An exponent counts only when at least one digit follows the letter (and its sign).
  long long exponent = 0;
  bool exponentNegative = false;
  if (const char e = next(); e == 'E' || e == 'e') {
    const std::size_t afterNumber = i;
    ++i;
    std::string exponentDigits;
    if (const char s = next(); s == '+' || s == '-') {
      exponentNegative = s == '-';
      ++i;
    }
    for (char c = next(); IsDigit(c); c = next()) {
      exponentDigits += c;
      ++i;
    }
    if (exponentDigits.empty()) {
      i = afterNumber;
    } else {
      number += exponentNegative ? "e-" : "e";
      number += exponentDigits;
      // Only the order of magnitude matters below; cap it so it cannot overflow.
      for (char c : exponentDigits) exponent = std::min(exponent * 10 + (c - '0'), 1'000'000LL);
      if (exponentNegative) exponent = -exponent;
    }
  }

  double value = 0.0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value,
                                         std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // Too small for a double reads as 0; too large is an error.
    const bool allZero =
        std::none_of(number.begin(), number.end(), [](char c) { return c >= '1' && c <= '9'; });
    if (allZero) return 0.0;
    const long long magnitude = digitsBeforePoint + exponent;
    if (magnitude > 0) return Failure{"The number is too large."};
    value = 0.0;
  } else if (ec != std::errc() || end != number.data() + number.size()) {
    return 0.0;  // cannot happen for what was gathered above
  }
  return negative ? -value : value;
}

Result<std::string> FormatPicture(double value, std::string_view picture) {
  if (!std::isfinite(value)) return Failure{"An infinite or undefined number cannot be shown."};

  const std::size_t point = picture.find('.');
  const std::string_view integerPicture = picture.substr(0, point);
  const std::string_view fractionPicture =
      point == std::string_view::npos ? std::string_view{} : picture.substr(point + 1);
  const std::size_t decimals = fractionPicture.size();
  const std::size_t forcedIntegerDigits = [&] {
    const std::size_t firstZero = integerPicture.find('0');
    return firstZero == std::string_view::npos ? 0 : integerPicture.size() - firstZero;
  }();
  const std::size_t forcedDecimals = [&] {
    const std::size_t lastZero = fractionPicture.rfind('0');
    return lastZero == std::string_view::npos ? 0 : lastZero + 1;
  }();

  // The value as 15 significant decimal digits: d.dddddddddddddde[+-]x.
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                       std::chars_format::scientific, 14);
  if (ec != std::errc()) return Failure{"The number cannot be shown."};
  const std::string_view scientific(buffer, static_cast<std::size_t>(end - buffer));
  const std::size_t e = scientific.find('e');
  std::string digits;  // the 15 significant digits
  for (char c : scientific.substr(0, e)) {
    if (IsDigit(c)) digits += c;
  }
  int exponent = 0;
  std::from_chars(scientific.data() + e + (scientific[e + 1] == '+' ? 2 : 1),
                  scientific.data() + scientific.size(), exponent);

  // Fixed-point digits of the value with `decimals` places, rounded half away from zero.
  // Position of the decimal point within `digits` is exponent + 1.
  const long long pointAt = static_cast<long long>(exponent) + 1;
  const long long keep = pointAt + static_cast<long long>(decimals);  // digits kept
  std::string fixed;  // all digits of the rounded value, the last `decimals` being fractional
  if (value == 0.0 || keep < 0) {
    fixed = std::string(decimals + 1, '0');
  } else {
    std::string kept =
        keep <= static_cast<long long>(digits.size())
            ? digits.substr(0, static_cast<std::size_t>(keep))
            : digits + std::string(static_cast<std::size_t>(keep) - digits.size(), '0');
    const bool roundUp = keep < static_cast<long long>(digits.size()) &&
                         digits[static_cast<std::size_t>(keep)] >= '5';
    if (roundUp) {
      std::size_t j = kept.size();
      while (j > 0 && kept[j - 1] == '9') kept[--j] = '0';
      if (j == 0) {
        kept.insert(kept.begin(), '1');
      } else {
        ++kept[j - 1];
      }
    }
    fixed = kept;
    if (fixed.size() < decimals + 1) fixed.insert(0, decimals + 1 - fixed.size(), '0');
  }

  std::string integerPart = fixed.substr(0, fixed.size() - decimals);
  std::string fractionPart = fixed.substr(fixed.size() - decimals);
  integerPart.erase(0, std::min(integerPart.find_first_not_of('0'), integerPart.size()));
  if (integerPart.size() < forcedIntegerDigits) {
    integerPart.insert(0, forcedIntegerDigits - integerPart.size(), '0');
  }
  while (fractionPart.size() > forcedDecimals && fractionPart.back() == '0')
    fractionPart.pop_back();

  const bool isZero = std::all_of(fixed.begin(), fixed.end(), [](char c) { return c == '0'; });
  std::string text = (value < 0 && !isZero) ? "-" : "";
  text += integerPart;
  if (point != std::string_view::npos) text += "." + fractionPart;
  return text;
}

Result<std::uint8_t> ToByte(double x) {
  const double r = RoundHalfEven(x);
  if (!(r >= 0.0 && r <= 255.0)) return Failure{"The number is not a byte of 0 to 255."};
  return static_cast<std::uint8_t>(r);
}

Result<std::int16_t> ToInt16(double x) {
  const double r = RoundHalfEven(x);
  if (!(r >= -32768.0 && r <= 32767.0)) return Failure{"The number is beyond a 16-bit number."};
  return static_cast<std::int16_t>(r);
}

std::string FixedText(double value, int decimals) {
  char text[64];
  const auto [end, ec] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return ec == std::errc() ? std::string(text, end) : std::string("?");
}

}  // namespace vexaro
