// The UTF-8 <-> UTF-16 crossing of every path and window text.
#include <string>

#include <gtest/gtest.h>

#include "core/io/Utf16.h"

namespace
{

TEST(Utf16, PathsInAnyScriptCrossBothWays)
{
    // The UTF-16 units as Python's codecs give them for the same text.
    const struct
    {
        const char* utf8;
        std::u16string utf16;
    } cases[] = {
        {"", u""},
        {"C:\\maps\\scan.jpg", u"C:\\maps\\scan.jpg"},
        {"Caf\xC3\xA9", {0x43, 0x61, 0x66, 0xE9}},
        {"\xD0\x9A\xCE\xA7\xE5\x9C\xB0", {0x41A, 0x3A7, 0x5730}},
        {"\xF0\x9F\x97\xBA", {0xD83D, 0xDDFA}},   // outside the basic plane: a surrogate pair
        {"\xEF\xBF\xBF\xF4\x8F\xBF\xBF", {0xFFFF, 0xDBFF, 0xDFFF}},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8) << c.utf8;
    }
}

TEST(Utf16, BrokenInputBecomesReplacementCharacters)
{
    const struct
    {
        std::string utf8;
        std::u16string utf16;
    } fromUtf8[] = {
        {"a\x80z", u"a\xFFFDz"},                             // a lone continuation byte
        {"a\xD0", u"a\xFFFD"},                               // a lead byte at the end
        {"\xC0\x80", u"\xFFFD\xFFFD"},                       // overlong NUL
        {"\xED\xA0\x80!", u"\xFFFD\xFFFD\xFFFD!"},           // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},   // above U+10FFFF
        {"\xE5\x9Cx", u"\xFFFD\xFFFDx"},   // each byte of a sequence cut short; the next character kept
    };
    for (const auto& c : fromUtf8)
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);

    const struct
    {
        std::u16string utf16;
        std::string utf8;
    } fromUtf16[] = {
        {{0xD83D}, "\xEF\xBF\xBD"},   // a high surrogate at the end
        {{0xDDFA, 0x41},
         "\xEF\xBF\xBD"
         "A"},   // a low surrogate first
        {{0xD83D, 0xD83D, 0xDDFA}, "\xEF\xBF\xBD\xF0\x9F\x97\xBA"},
    };
    for (const auto& c : fromUtf16)
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
}

}   // namespace
