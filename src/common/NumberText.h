#pragma once
// The four conversions between the texts the window shows and the numbers the device stores.
// "." is the only decimal point, on input and on output, whatever the locale.
//
// None of them throws: a conversion that cannot be done is a Failure.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Result.h"

namespace vexaro {

// The number at the start of `text`: blanks, tabs and line feeds are skipped wherever they stand
// (also between digits); then an optional sign, digits with at most one ".", and an optional
// exponent (E or e, an optional sign, digits), up to the first character that cannot continue the
// number. A text that does not begin with a number gives 0; "," is never a decimal point.
// Fails when the number is too large for a double (1e999).
Result<double> LeadingNumber(std::string_view text);

// `value` written by a picture of "0", "#" and at most one ".": rounded (halves away from zero)
// to as many decimals as the picture has places after its "."; "0" forces a digit, "#" shows only
// significant ones (an integer part of 0 shows nothing under "###"), fraction "#" places show
// digits up to the last non-zero one; the "." is always shown when the picture has one; a
// negative value gets a leading "-". The value is first taken to 15 significant decimal digits.
// Fails for an infinite or undefined value.
Result<std::string> FormatPicture(double value, std::string_view picture);

// `x` rounded to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4),
// then checked against the target range. Fail outside it (or for NaN).
Result<std::uint8_t> ToByte(double x);

// `value` with `decimals` places after a ".", in every locale as in the C locale (the window's Qt
// sets the user's, which may write "2500,00"); "?" for what cannot be written. Never throws.
std::string FixedText(double value, int decimals);
Result<std::int16_t> ToInt16(double x);

}  // namespace vexaro
