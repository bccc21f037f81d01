#include "core/georef/NumberFormat.h"

#include <charconv>

std::string FormatFixed(double dValue, int nDecimals)
{
    // 310 digits before the point for DBL_MAX, the point and the decimals.
    char buffer[330 + 64];
    std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, dValue, std::chars_format::fixed, nDecimals);
    if (r.ec != std::errc())
        return std::string();
    return std::string(buffer, r.ptr);
}

std::string FormatSignificant(double dValue, int nDigits)
{
    char buffer[64];
    std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, dValue, std::chars_format::general, nDigits);
    return r.ec == std::errc() ? std::string(buffer, r.ptr) : std::string();
}
