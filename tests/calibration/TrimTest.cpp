// The trim byte and the A/D estimates.

#include <gtest/gtest.h>

#include "calibration/Trim.h"

namespace vexaro {
namespace {

TEST(Trim, DecodesAndEncodesSignAndMagnitude) {
  struct Case {
    std::uint8_t byte;
    int trim;
  };
  for (const Case c :
       {Case{0, 0}, Case{7, 7}, Case{129, -1}, Case{131, -3}, Case{133, -5}, Case{135, -7}}) {
    EXPECT_EQ(DecodeTrim(c.byte), c.trim);
    EXPECT_EQ(EncodeTrim(c.trim), c.byte);
  }
  // Bytes no device should hold decode to values outside the list; none is ever encoded.
  EXPECT_EQ(DecodeTrim(20), 20);
  EXPECT_EQ(DecodeTrim(128), 0);
  EXPECT_EQ(DecodeTrim(255), -127);
  EXPECT_EQ(EncodeTrim(8), std::nullopt);
  EXPECT_EQ(EncodeTrim(-8), std::nullopt);
}

TEST(Trim, EstimatesAreExactFractionsRoundedHalfToEven) {
  struct Case {
    int ad;
    int plus1;
    int plus7;
    int minus1;
    int minus7;
  };
  const Case cases[] = {
      {128, 128, 132, 128, 124},  // 128.5 -> 128; 127.5 -> 128
      {384, 386, 394, 382, 374},  // 385.5 -> 386; 382.5 -> 382; 373.5 -> 374
      {0, 0, 0, 0, 0},
      {1000, 1004, 1027, 996, 973},  // 1027.34375 and 972.65625
      {65535, 65791, 67327, 65279, 63743},
  };
  for (const Case& c : cases) {
    const TrimEstimates e = Estimates(c.ad);
    EXPECT_EQ(e.plus[0], c.plus1) << c.ad;
    EXPECT_EQ(e.plus[6], c.plus7) << c.ad;
    EXPECT_EQ(e.minus[0], c.minus1) << c.ad;
    EXPECT_EQ(e.minus[6], c.minus7) << c.ad;
  }
  EXPECT_EQ(AdValue(3, 232), 1000);
  EXPECT_EQ(AdValue(200, 0), 51200);
}

}  // namespace
}  // namespace vexaro
