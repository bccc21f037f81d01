#include "core/georef/DegreeParser.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <string>

#include "core/georef/NumberScan.h"

namespace
{

const unsigned char kDegreeSign = 0xB0;   // in the Windows ANSI code page

bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// A cursor over the entered text with the grammar's four steps.
class DegreeCursor
{
public:
    explicit DegreeCursor(const char* pszText) : m_pszText(pszText), m_p(pszText) {}

    void Restart()
    {
        m_p = m_pszText;
        while (*m_p == ' ')
            ++m_p;
    }

    // Everything but letters and digits separates numbers: spaces, commas,
    // colons, quotes, signs and the degree sign.
    void SkipSeparators()
    {
        for (;;)
        {
            unsigned char c = static_cast<unsigned char>(*m_p);
            if (c == 0)
                return;
            if (c != kDegreeSign && (IsAsciiLetter(c) || IsAsciiDigit(c)))
                return;
            ++m_p;
        }
    }

    // Whole number, a leading minus allowed; a decimal point after it fails.
    bool ReadInteger(int* pnValue)
    {
        std::string digits;
        while (IsAsciiDigit(static_cast<unsigned char>(*m_p)) || (*m_p == '-' && digits.empty()))
            digits += *m_p++;
        if (*m_p == '.')
            return false;
        SkipSeparators();
        // A digit run too large for an int is no degree value: ScanInt
        // refuses it rather than leave the result undefined.
        return ScanInt(digits.c_str(), pnValue, nullptr);
    }

    // Unsigned decimal; in 1.2.3 the number ends at the second point.
    bool ReadDecimal(double* pdValue)
    {
        std::string digits;
        while (IsAsciiDigit(static_cast<unsigned char>(*m_p)) || *m_p == '.')
            digits += *m_p++;
        SkipSeparators();
        return ScanDouble(digits.c_str(), pdValue, nullptr);
    }

    char PeekLetter() const { return *m_p; }

private:
    const char* m_pszText;
    const char* m_p;
};

bool EqualsLetter(char upper, const char* pszLetter)
{
    return pszLetter && pszLetter[0] == upper && pszLetter[1] == '\0';
}

}   // namespace

bool ParseDegrees(const char* pszText, double* pdValue, bool bLongitude, const HemisphereLetters& letters)
{
    if (!pszText)
        return false;
    DegreeCursor cursor(pszText);
    cursor.Restart();

    int degrees = 0, minutes = 0;
    double seconds = 0.0;
    if (!(cursor.ReadInteger(&degrees) && cursor.ReadInteger(&minutes) && cursor.ReadDecimal(&seconds)))
    {
        // Degrees and decimal minutes.
        cursor.Restart();
        double decimalMinutes = 0.0;
        if (!cursor.ReadInteger(&degrees) || !cursor.ReadDecimal(&decimalMinutes))
            return false;
        double whole = std::trunc(decimalMinutes);
        if (whole > 1e9)
            return false;   // far beyond the 60 allowed; keeps the conversion defined
        minutes = static_cast<int>(whole);
        seconds = (decimalMinutes - whole) * 60.0;
    }

    int sign = 1;
    char letter = cursor.PeekLetter();
    if (letter != '\0')
    {
        if (degrees < 0)
            return false;   // a minus sign cannot go with a hemisphere letter
        char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
        if (EqualsLetter(upper, letters.pszNorth) && !bLongitude)
            sign = 1;
        else if (EqualsLetter(upper, letters.pszSouth) && !bLongitude)
            sign = -1;
        else if (EqualsLetter(upper, letters.pszEast) && bLongitude)
            sign = 1;
        else if (EqualsLetter(upper, letters.pszWest) && bLongitude)
            sign = -1;
        else
            return false;
    }

    if (minutes > 60 || seconds > 60.0)
        return false;
    // Minutes and seconds are added also to negative degrees: -10 30 0 is -9.5.
    double value = (degrees + minutes / 60.0 + seconds / 3600.0) * sign;
    if (std::fabs(value) > 180.0)
        return false;
    *pdValue = value;
    return true;
}

bool ConvertCoordinateEntries(const char* pszEasting, const char* pszNorthing, double* pdEasting, double* pdNorthing,
                              const HemisphereLetters& letters)
{
    double easting = 0.0, northing = 0.0;
    if (ParseDegrees(pszEasting, &easting, true, letters) && ParseDegrees(pszNorthing, &northing, false, letters))
    {
        *pdEasting = easting;
        *pdNorthing = northing;
        return true;
    }
    // Plain numbers: each text's leading number, the rest ignored.
    if (pszEasting && pszNorthing && ScanDouble(pszEasting, &easting, nullptr) &&
        ScanDouble(pszNorthing, &northing, nullptr))
    {
        *pdEasting = easting;
        *pdNorthing = northing;
        return true;
    }
    return false;
}
