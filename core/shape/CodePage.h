// The code page of a table's text: named by the .cpg beside it or by the
// language byte of the .dbf header, and the text decoded to UTF-8.
#pragma once

#include <cstddef>
#include <string>

const unsigned kCodePageUtf8 = 65001;
const unsigned kCodePageLatin1 = 28591;

// The code page a .cpg names: "UTF-8", "1252", "CP1252", "ANSI 1252",
// "Windows-1252", "8859-1", "ISO-8859-1", in any letter case, with white
// space around; 0 when the text names no code page we know how to number.
unsigned CodePageFromCpg(const std::string& text);

// The code page of a .dbf language byte, as GDAL reads it; 0 for none or an
// unknown byte. 0x57 ("the current ANSI code page") is ISO-8859-1 there.
unsigned CodePageFromLanguageByte(unsigned char nLanguage);

// Whether DecodeToUtf8 knows the code page: UTF-8 and the single-byte pages
// 437, 850, 852, 866, 1250 to 1254 and ISO-8859-1.
bool CanDecodeCodePage(unsigned nCodePage);

// The bytes as UTF-8. Bytes the code page leaves undefined, and any byte
// above 0x7F of a page we cannot decode, become U+FFFD; so does every
// broken sequence of UTF-8.
std::string DecodeToUtf8(const char* p, size_t cb, unsigned nCodePage);

// Whether every character of the UTF-8 text has a byte in the code page
// (always for UTF-8 and for 0, a page not known, whose text is written as
// the bytes it is; only ASCII for a page we cannot encode).
bool FitsCodePage(const std::string& utf8, unsigned nCodePage);

// UTF-8 in a code page: a character the page lacks becomes '?'; UTF-8 as it is.
std::string EncodeFromUtf8(const std::string& utf8, unsigned nCodePage);

// Text in one code page as another (the names the user types in the
// system's ANSI page, and a table's cells); the bytes as they are when the
// pages are one, or either is 0 (not known).
std::string ConvertCodePage(const std::string& text, unsigned nFrom, unsigned nTo);
