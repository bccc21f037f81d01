// The world file (.jgw) that georeferences a resampled north-up image: six
// lines, CR LF line ends on every platform, "." as the decimal point.
#pragma once

#include <string>

#include "core/georef/AffineTransform.h"
#include "core/georef/FitModel.h"
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

// The world file of the scan itself, unresampled, under an affine fit: A, D,
// B, E (the rotation terms included), then C and F, the map position of the
// top-left pixel's centre. CR LF line ends, "." as the decimal point; the
// linear terms with fifteen decimals, so that degrees a pixel keep ten
// significant digits.
std::string FormatScanWorldFile(const CAffineTransform& fit);
// Whether a fit made with the model is affine, so that a world file holds it.
bool ScanWorldFileFits(FitModel nModel);
// The scan's world file name: "name.jgw", "name.tfw", "name.pgw", "name.j2w"
// (the extension's first and last letter, then "w"), in the case of the
// scan's extension; "name.wld" for a scan without an extension.
std::string ScanWorldFileName(const std::string& scanPath);
