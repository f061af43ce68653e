// The trim byte and the A/D estimates.

#include <gtest/gtest.h>

#include "calibration/Trim.h"

namespace vexaro {
namespace {

// Sign and magnitude. Bytes no device should hold decode to values outside -7 to 7; those values
// are never encoded.
TEST(Trim, DecodesAndEncodesSignAndMagnitude) {
  for (const auto& [byte, trim] : {std::pair{0, 0}, {7, 7}, {129, -1}, {131, -3}, {135, -7}}) {
    EXPECT_EQ(DecodeTrim(byte), trim);
    EXPECT_EQ(EncodeTrim(trim), byte);
  }
  EXPECT_EQ((std::array{DecodeTrim(20), DecodeTrim(128), DecodeTrim(255)}),
            (std::array{20, 0, -127}));
  EXPECT_EQ(EncodeTrim(8), std::nullopt);
  EXPECT_EQ(EncodeTrim(-8), std::nullopt);
}

// Value x (256 +- k) / 256, exact fractions rounded half to even: +1 and -1, +7 and -7.
TEST(Trim, EstimatesAreExactFractionsRoundedHalfToEven) {
  const std::array<int, 5> cases[] = {
      {128, 128, 132, 128, 124},     // 128.5 -> 128; 127.5 -> 128
      {384, 386, 394, 382, 374},     // 385.5 -> 386; 382.5 -> 382; 373.5 -> 374
      {1000, 1004, 1027, 996, 973},  // 1027.34375 and 972.65625
      {65535, 65791, 67327, 65279, 63743},
  };
  for (const auto& [ad, plus1, plus7, minus1, minus7] : cases) {
    const TrimEstimates e = Estimates(ad);
    EXPECT_EQ((std::array{e.plus[0], e.plus[6], e.minus[0], e.minus[6]}),
              (std::array{plus1, plus7, minus1, minus7}))
        << ad;
  }
  EXPECT_EQ(AdValue(3, 232), 1000);
  EXPECT_EQ(AdValue(200, 0), 51200);
}

}  // namespace
}  // namespace vexaro
