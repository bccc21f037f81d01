#include "core/georef/WorldFile.h"

#include <cstdio>

#include "core/georef/NumberFormat.h"
#include "core/georef/SideFile.h"

std::string FormatWorldFile(const CTransposeExtents& e)
{
    const int kDecimals = 12;
    std::string text;
    text += FormatFixed((e.x1 - e.x0) / e.outW, kDecimals) + "\r\n";
    text += "0.00\r\n";
    text += "0.00\r\n";
    text += FormatFixed((e.y1 - e.y0) / e.outH, kDecimals) + "\r\n";
    text += FormatFixed(e.x0, kDecimals) + "\r\n";
    text += FormatFixed(e.y0, kDecimals) + "\r\n";
    return text;
}

BOOL WriteWorldFileTo(const char* pszWorldFilePath, const CTransposeExtents& extents)
{
    // Binary mode with explicit CR LF: the same bytes from every build.
    FILE* file = std::fopen(pszWorldFilePath, "wb");
    if (!file)
        return FALSE;
    const std::string text = FormatWorldFile(extents);
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    return (written && closed) ? TRUE : FALSE;
}

BOOL WriteWorldFile(const char* pszImagePath, const CTransposeExtents& extents)
{
    return WriteWorldFileTo(SideFileName(pszImagePath, ".jgw").c_str(), extents);
}
