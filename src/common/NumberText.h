#pragma once
// The four conversions between the texts the window shows and the numbers the device stores.
// "." is the only decimal point, on input and on output, whatever the locale.
//
// Failures are exceptions of type NumberError. Every caller in the program catches them at one
// place (the settings record, the entry check, the melody encoder) and turns them into a result
// that names what could not be converted.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vexaro {

class NumberError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The number at the start of `text`: blanks, tabs and line feeds are skipped wherever they stand
// (also between digits); then an optional sign, digits with at most one ".", and an optional
// exponent (E or e, an optional sign, digits), up to the first character that cannot continue the
// number. A text that does not begin with a number gives 0; "," is never a decimal point.
// Throws NumberError when the number is too large for a double (1e999).
double LeadingNumber(std::string_view text);

// `value` written by a picture of "0", "#" and at most one ".": rounded (halves away from zero)
// to as many decimals as the picture has places after its "."; "0" forces a digit, "#" shows only
// significant ones (an integer part of 0 shows nothing under "###"), fraction "#" places show
// digits up to the last non-zero one; the "." is always shown when the picture has one; a
// negative value gets a leading "-". The value is first taken to 15 significant decimal digits.
// Throws NumberError for an infinite or undefined value.
std::string FormatPicture(double value, std::string_view picture);

// `x` rounded to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4),
// then checked against the target range. Throw NumberError outside it (or for NaN).
std::uint8_t ToByte(double x);
std::int16_t ToInt16(double x);

}  // namespace vexaro
