// The number conversions: every worked example, the rounding rules and the failures.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale>
#include <optional>

#include "common/NumberText.h"

namespace vexaro {
namespace {

TEST(LeadingNumber, ReadsTheNumberAtTheStartAndFailsOnlyWhenTooLarge) {
  // clang-format off
  const std::pair<const char*, double> cases[] = {
      {"0.250 (1/4)", 0.25}, {"1568 (G6)", 1568}, {"OFF", 0}, {"", 0}, {" 12", 12}, {"2,5", 2},
      {"1e3", 1000}, {"1 2", 12}, {"\t-\n4.5 V", -4.5}, {"+7", 7}, {".5", 0.5}, {"5.", 5},
      {"1.2.3", 1.2}, {"1e", 1}, {"2E+2x", 200}, {"3e-1", 0.3}, {"--5", 0}, {"\r5", 0},
      {"1e-999", 0}, {"0e999999", 0}, {"-", 0}, {"1.7e308", 1.7e308}, {"5.e2", 500},
      {"1 e 2", 100}, {"1e+", 1}, {"1e-x", 1}, {".e5", 0}, {"7e 0 1", 70}, {"- 2.5e-1", -0.25},
  };
  // clang-format on
  for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(*LeadingNumber(text), value) << text;
  for (const char* text : {"1e999", "-1e999", "1e99999999999999999999", "9e308"}) {
    EXPECT_FALSE(LeadingNumber(text).ok()) << text;
  }
}

TEST(FormatPicture, WritesByThePictureAndFailsOnNonFiniteValues) {
  // clang-format off
  const std::tuple<double, const char*, const char*> cases[] = {  // value, picture, text
      {0, "###", ""}, {0.256, "##", ""}, {1562.5, "####", "1563"}, {1, "0.###", "1."},
      {0.25, "0.###", "0.25"}, {0.24576, "0.###", "0.246"}, {0.992, "0.00", "0.99"},
      {3.1, "#0.0", "3.1"}, {0.5, "#0.0", "0.5"}, {2.0, "0.00", "2.00"}, {-50, "###", "-50"},
      {12345, "##", "12345"}, {0.0625, "0.000", "0.063"}, {0.005, "0.00", "0.01"},
      {-2.5, "###", "-3"}, {-0.0004, "0.00", "0.00"}, {9.9996, "0.###", "10."},
      {1e20, "####", "100000000000000000000"},
      // Taken to 15 significant digits first: a decimal half held a little below .5 rounds up.
      {2.675, "0.00", "2.68"}, {1.0005, "0.000", "1.001"},
  };
  // clang-format on
  for (const auto& [value, picture, text] : cases) {
    EXPECT_EQ(*FormatPicture(value, picture), text) << value << " " << picture;
  }
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  for (double value : {kInfinity, -kInfinity, std::nan("")}) {
    EXPECT_FALSE(FormatPicture(value, "####").ok());
  }
}

TEST(ToByteAndToInt16, RoundHalvesToEvenAndFailOutOfRange) {
  const auto value = [](const auto& result) {
    return result.ok() ? std::optional<int>(*result) : std::nullopt;
  };
  // clang-format off
  const std::pair<double, std::optional<int>> bytes[] = {  // none: fails
      {24.5, 24}, {62.5, 62}, {125.5, 126}, {255.5, {}}, {-0.5, 0}, {-0.6, {}}, {2.5, 2},
      {3.5, 4}, {255.4, 255}, {0.4999, 0}, {std::nan(""), {}}, {1e300, {}},
  };
  const std::pair<double, std::optional<int>> int16s[] = {
      {312.5, 312}, {-2.5, -2}, {-32768.5, -32768}, {32767.5, {}}, {-32769, {}}};
  // clang-format on
  for (const auto& [x, byte] : bytes) EXPECT_EQ(value(ToByte(x)), byte) << x;
  for (const auto& [x, n] : int16s) EXPECT_EQ(value(ToInt16(x)), n) << x;
}

// The user's locale must never change what a text means or how a number is written. CTest runs
// this with VEXARO_COMMA_LOCALE naming a locale whose decimal point is ",".
TEST(NumberText, IgnoresACommaLocale) {
  const char* name = std::getenv("VEXARO_COMMA_LOCALE");
  if (name == nullptr) GTEST_SKIP() << "VEXARO_COMMA_LOCALE not set";
  ASSERT_NE(std::setlocale(LC_ALL, name), nullptr) << name;
  const std::locale previous = std::locale::global(std::locale(name));
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");

  EXPECT_DOUBLE_EQ(*LeadingNumber("0.250"), 0.25);
  EXPECT_DOUBLE_EQ(*LeadingNumber("2,5"), 2);
  EXPECT_FALSE(LeadingNumber("1e999").ok());
  EXPECT_EQ(*FormatPicture(0.24576, "0.###"), "0.246");
  EXPECT_EQ(*FormatPicture(3.1, "#0.0"), "3.1");

  std::locale::global(previous);
  std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace vexaro
