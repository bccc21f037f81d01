#pragma once
#include <string>

// Fixed-point text with exactly nDecimals digits after the point, as
// printf's "%.*lf" gives it in the "C" locale, whatever the user's locale
// and on every platform alike (no exponent, correctly rounded).
std::string FormatFixed(double dValue, int nDecimals);

// nDigits significant digits ("%.*g" in the "C" locale, shortest of fixed
// and exponent form), "" when the value does not fit.
std::string FormatSignificant(double dValue, int nDigits);
