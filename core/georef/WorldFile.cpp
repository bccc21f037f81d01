#include "core/georef/WorldFile.h"

#include "core/georef/FileGeoreference.h"
#include "core/georef/NumberFormat.h"
#include "core/io/Path.h"
#include "core/io/StagedWrite.h"

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

bool WriteWorldFileTo(const char* pszWorldFilePath, const CTransposeExtents& extents, CFileSystem& files)
{
    // Explicit CR LF: the same bytes from every build.
    return WriteWholeFile(files, pszWorldFilePath, FormatWorldFile(extents));
}

bool WriteWorldFile(const char* pszImagePath, const CTransposeExtents& extents, CFileSystem& files)
{
    return WriteWorldFileTo(SideFileName(pszImagePath, ".jgw").c_str(), extents, files);
}

std::string FormatScanWorldFile(const CAffineTransform& fit)
{
    const int kLinearDecimals = 15, kOriginDecimals = 12;
    std::string text;
    for (double v : {fit.xPerColumn, fit.yPerColumn, fit.xPerRow, fit.yPerRow})
        text += FormatFixed(v, kLinearDecimals) + "\r\n";
    text += FormatFixed(fit.x0, kOriginDecimals) + "\r\n";
    text += FormatFixed(fit.y0, kOriginDecimals) + "\r\n";
    return text;
}

bool ScanWorldFileFits(FitModel nModel)
{
    return nModel == FitModel::RotationScales || nModel == FitModel::Helmert || nModel == FitModel::Affine ||
           nModel == FitModel::FromFile;
}

std::string ScanWorldFileName(const std::string& scanPath)
{
    // The first name the reader looks for is the one the program writes.
    return WorldFileNames(scanPath).front();
}
