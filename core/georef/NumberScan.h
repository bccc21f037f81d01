// Locale-free number scanning with the rules of the C library's "%lf" and
// "%d" conversions, used by the point file reader and the coordinate grammar.
// Whatever the user's locale, "." is the decimal point.
#pragma once

#include <string>

// Skips leading white space, then takes the longest decimal number
// (optional sign, digits with an optional decimal point, optional exponent).
// On success stores the value, sets *ppszEnd past the number and returns true.
// Fails without a digit, and for a value outside the range of a double.
bool ScanDouble(const char* pszText, double* pdValue, const char** ppszEnd);

// Skips leading white space, then takes an optional sign and a digit run.
// Fails without a digit and for a value outside the 32-bit range.
bool ScanInt(const char* pszText, int* pnValue, const char** ppszEnd);

// The white space of isspace() in the "C" locale, whatever the user's locale.
inline bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The text without that white space at either end.
inline std::string TrimmedCSpace(const std::string& text)
{
    size_t first = 0, last = text.size();
    while (first < last && IsCSpace(text[first]))
        ++first;
    while (last > first && IsCSpace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}
