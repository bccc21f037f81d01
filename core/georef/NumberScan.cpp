#include "core/georef/NumberScan.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <string>

namespace
{

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const char* SkipSpace(const char* p)
{
    while (IsCSpace(*p))
        ++p;
    return p;
}

}   // namespace

bool ScanDouble(const char* pszText, double* pdValue, const char** ppszEnd)
{
    const char* p = SkipSpace(pszText);
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = (*p++ == '-');
    const char* mantissa = p;
    size_t digits = 0;
    while (IsDigit(*p))
    {
        ++p;
        ++digits;
    }
    if (*p == '.')
    {
        ++p;
        while (IsDigit(*p))
        {
            ++p;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    // An exponent counts only when at least one digit follows it.
    if (*p == 'e' || *p == 'E')
    {
        const char* e = p + 1;
        if (*e == '+' || *e == '-')
            ++e;
        if (IsDigit(*e))
        {
            while (IsDigit(*e))
                ++e;
            p = e;
        }
    }
    double value = 0.0;
    // from_chars parses in the "C" locale whatever setlocale says.
    std::from_chars_result r = std::from_chars(mantissa, p, value, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != p || !std::isfinite(value))
        return false;
    *pdValue = negative ? -value : value;
    if (ppszEnd)
        *ppszEnd = p;
    return true;
}

bool ScanInt(const char* pszText, int* pnValue, const char** ppszEnd)
{
    const char* p = SkipSpace(pszText);
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = (*p++ == '-');
    if (!IsDigit(*p))
        return false;
    long long value = 0;
    while (IsDigit(*p))
    {
        value = value * 10 + (*p++ - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return false;
    *pnValue = static_cast<int>(value);
    if (ppszEnd)
        *ppszEnd = p;
    return true;
}
