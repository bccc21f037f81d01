#pragma once
#include <string>

// Fixed-point text with exactly nDecimals digits after the point, as
// printf's "%.*lf" gives it in the "C" locale, whatever the user's locale
// and on every platform alike (no exponent, correctly rounded).
std::string FormatFixed(double dValue, int nDecimals);
