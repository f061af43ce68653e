#include "calibration/Trim.h"

namespace vexaro {

namespace {

// numerator / 256, rounded half to even; the numerator is never negative here.
int DivideBy256(long long numerator) {
  const long long quotient = numerator / 256;
  const long long rest = numerator % 256;
  if (rest > 128 || (rest == 128 && quotient % 2 != 0)) return static_cast<int>(quotient + 1);
  return static_cast<int>(quotient);
}

}  // namespace

int DecodeTrim(std::uint8_t byte) {
  return byte <= 127 ? byte : -(byte - 128);
}

std::optional<std::uint8_t> EncodeTrim(int trim) {
  if (trim < -kMaxTrim || trim > kMaxTrim) return std::nullopt;
  return static_cast<std::uint8_t>(trim >= 0 ? trim : 128 - trim);
}

int AdValue(std::uint8_t high, std::uint8_t low) {
  return high * 256 + low;
}

TrimEstimates Estimates(int adValue) {
  TrimEstimates estimates;
  for (int k = 1; k <= kMaxTrim; ++k) {
    estimates.plus[k - 1] = DivideBy256(static_cast<long long>(adValue) * (256 + k));
    estimates.minus[k - 1] = DivideBy256(static_cast<long long>(adValue) * (256 - k));
  }
  return estimates;
}

}  // namespace vexaro
