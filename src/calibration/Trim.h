#pragma once
// The voltage trim and the A/D readout. The device keeps a trim of -7 to +7 steps, each 1/256 of
// the measured value, in one byte in sign and magnitude: 0 to 7 as themselves, -1 to -7 as 129
// to 135.

#include <array>
#include <cstdint>
#include <optional>

namespace vexaro {

inline constexpr int kMaxTrim = 7;

// The trim a stored byte stands for: the byte itself up to 127, else minus (byte - 128). Bytes 8
// to 127 and 136 to 255 give values outside -7 to 7, which no device should hold.
int DecodeTrim(std::uint8_t byte);

// The byte for a trim of -7 to 7 (std::nullopt for any other value).
std::optional<std::uint8_t> EncodeTrim(int trim);

// The A/D value from its two reply bytes. The device keeps the high byte below 128; a larger one
// is taken as it stands (an unsigned 16-bit value), never as a negative number.
int AdValue(std::uint8_t high, std::uint8_t low);

// What the A/D value would read with each trim step: for k = 1 to 7, value x (256 + k) / 256
// (`plus`) and value x (256 - k) / 256 (`minus`), exact fractions rounded half to even.
struct TrimEstimates {
  std::array<int, kMaxTrim> plus{};
  std::array<int, kMaxTrim> minus{};
};
TrimEstimates Estimates(int adValue);

}  // namespace vexaro
