// The single-byte code pages the attribute reader decodes, made at build
// time from Python's codecs (tools/make-codepage-tables.py).
#pragma once

#include <cstdint>

struct CCodePageTable
{
    unsigned nCodePage;        // the Windows number; 28591 for ISO-8859-1
    uint16_t upperHalf[128];   // code point of bytes 0x80..0xFF; U+FFFD where undefined
};

extern const CCodePageTable g_codePageTables[];
extern const int g_nCodePageTables;
