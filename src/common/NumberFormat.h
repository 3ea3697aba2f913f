#pragma once
// Number texts of the program. Every number the user reads or types, every number put into a
// script statement and every number in a file goes through these functions, which use "." as
// the decimal mark whatever the process locale says.

#include <string>
#include <string_view>

namespace ode {

// The number at the start of `text`, as a box reads it: blanks anywhere are ignored, then an
// optional sign, digits, an optional "." with digits, and an optional exponent introduced by
// E or D (either case) with an optional sign and digits. Reading stops at the first character
// that does not fit. A text without a leading number, or whose number lies beyond the double
// range, gives 0. Never fails.
double ParseNumber(std::string_view text);

// A whole text that is one number (blanks around it allowed): sign, digits with an optional
// ".", an optional exponent E (and D when `dExponent`) with digits. False for anything else.
bool ParseNumberText(std::string_view text, double& out, bool dExponent = true);

// `x` rounded to the nearest whole number, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double RoundHalfEven(double x);

// A whole number read from a box: ParseNumber rounded halves to even, clamped to the range of
// a 32-bit long.
long ParseWholeNumber(std::string_view text);

// `x` rounded to 15 significant decimal digits (what every number text of the program keeps).
double RoundTo15Digits(double x);

// `x` rounded to `digits` significant decimal digits (1 to 17); 7 is the text of a
// single-precision number.
double RoundToSignificant(double x, int digits);

// FormatSigned of a single-precision number: its 7-digit text.
std::string FormatSignedSingle(float x);

// Up to 15 significant digits, trailing zeros dropped, "0" before the point when |x| < 1,
// exponent form "dE+xx"/"dE-xx" when the decimal exponent is below -4 or at least 15.
// 0.5 -> "0.5", 1E-05, 1.5E+16, 123.25. Infinities and NaN read "1.#INF", "-1.#INF", "-1.#IND".
std::string FormatNumber(double x);

// The shortest text that reads back as exactly `x` ("0.1", "1e-05", "-2.5e+300"): for files
// and code that must keep every bit.
std::string FormatShortest(double x);

// As FormatNumber, with a leading blank for values >= 0 and no 0 before the point when
// |x| < 1: 0.5 -> " .5", 2 -> " 2", -0.25 -> "-.25". Used in script statements and in
// printed report and file lines.
std::string FormatSigned(double x);

// The script engine's own number-to-text conversion (for "&" and CStr): 15 significant
// digits, "0" before the point, exponent form from 1E+15 up and for small numbers that would
// need more than 15 decimals (1E-16, 1.23091190267348E-03) but 0.00001 plain.
std::string FormatScriptNumber(double x);

} // namespace ode
