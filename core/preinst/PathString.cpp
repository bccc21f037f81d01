#include "core/preinst/PathString.h"

#include <cstring>

CPathString::CPathString() : m_szText{}, m_nLength(0), m_bOverflow(false) {}

CPathString::CPathString(const char* text) : CPathString() { Append(text); }

char CPathString::GetAt(std::size_t index) const { return index < m_nLength ? m_szText[index] : '\0'; }

CPathString& CPathString::Append(const char* text)
{
    if (text == nullptr)
        return *this;
    // Measure no further than what could still fit, so an unterminated or
    // huge source is never read beyond the point where it is known too long.
    const std::size_t room = kMaxLength - m_nLength;
    const void* end = std::memchr(text, '\0', room + 1);
    if (end == nullptr)
    {
        m_bOverflow = true;
        return *this;
    }
    const std::size_t cch = static_cast<const char*>(end) - text;
    std::memcpy(m_szText + m_nLength, text, cch);
    m_nLength += cch;
    m_szText[m_nLength] = '\0';
    return *this;
}
