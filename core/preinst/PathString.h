#pragma once
// A path in a fixed buffer of 254 characters (253 of text and the NUL),
// held by value: assignment copies the whole buffer.
//
// An append that would not fit changes nothing and marks the path as
// overflowed; such a path names no file we could use, and callers ask
// IsComplete() before they use it.

#include <cstddef>

class CPathString
{
public:
    static constexpr std::size_t kCapacity = 254;   // including the terminating NUL
    static constexpr std::size_t kMaxLength = kCapacity - 1;

    CPathString();
    explicit CPathString(const char* text);

    std::size_t GetLength() const { return m_nLength; }
    // Positions at or beyond the end read as NUL.
    char GetAt(std::size_t index) const;
    CPathString& Append(const char* text);
    const char* GetText() const { return m_szText; }
    // False once an append did not fit.
    bool IsComplete() const { return !m_bOverflow; }

private:
    char m_szText[kCapacity];
    std::size_t m_nLength;
    bool m_bOverflow;
};
