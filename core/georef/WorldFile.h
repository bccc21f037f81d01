// The world file (.jgw) that georeferences a resampled north-up image: six
// lines, CR LF line ends on every platform, "." as the decimal point.
#pragma once

#include <string>

#include "core/georef/TransposeExtents.h"
#include "core/io/StdioFileSystem.h"

// The six lines: map X units per column, two zero rotation terms, map Y units
// per row (negative for north up), x0 and y0 — twelve decimals each, the
// rotation terms as "0.00".
std::string FormatWorldFile(const CTransposeExtents& extents);

// Writes FormatWorldFile into the file pszWorldFilePath, replacing it only
// once every byte was written. true when it was.
bool WriteWorldFileTo(const char* pszWorldFilePath, const CTransposeExtents& extents,
                      CFileSystem& files = StdioFileSystem());

// The world file beside the image: its path cut before the last "." with
// ".jgw" appended. true when it was written.
bool WriteWorldFile(const char* pszImagePath, const CTransposeExtents& extents, CFileSystem& files = StdioFileSystem());
