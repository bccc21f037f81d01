// The .tvg point file: one control point a line, "mapX,mapY,column,row",
// map values with six decimals, CR LF line ends on every platform.
#include <string>

#include "core/georef/GeoRefArray.h"
#include "core/georef/NumberFormat.h"
#include "core/georef/NumberScan.h"
#include "core/io/Path.h"
#include "core/io/StagedWrite.h"

namespace
{

const char kPointFileExtension[] = ".tvg";

}   // namespace

std::vector<CGeoRefPoint> CGeoRefArray::ParsePointRecords(const char* pszText, size_t cbText)
{
    // The scanners stop at a NUL, so work on a terminated copy and tell a
    // real end of text from a NUL byte inside the file by position.
    std::string text(pszText, cbText);
    const char* const end = text.c_str() + text.size();
    const char* p = text.c_str();
    std::vector<CGeoRefPoint> points;
    for (;;)
    {
        const char* q = p;
        while (q < end && IsCSpace(*q))
            ++q;
        if (q == end)
            return points;   // end of file before a record: keep what was read
        CGeoRefPoint point;
        if (!ScanDouble(p, &point.m_dMapX, &p) || *p++ != ',' || !ScanDouble(p, &point.m_dMapY, &p) || *p++ != ',' ||
            !ScanInt(p, &point.m_nPixelX, &p) || *p++ != ',' || !ScanInt(p, &point.m_nPixelY, &p))
            return std::vector<CGeoRefPoint>();   // a damaged file gives no points at all
        points.push_back(point);
    }
}

std::string CGeoRefArray::FormatPointRecords(const std::vector<CGeoRefPoint>& points)
{
    std::string text;
    for (const CGeoRefPoint& point : points)
    {
        text += FormatFixed(point.m_dMapX, 6);
        text += ',';
        text += FormatFixed(point.m_dMapY, 6);
        text += ',';
        text += std::to_string(point.m_nPixelX);
        text += ',';
        text += std::to_string(point.m_nPixelY);
        text += "\r\n";
    }
    return text;
}

std::string PointFilePath(const char* pszImagePath) { return SideFileName(pszImagePath, kPointFileExtension); }

void CGeoRefArray::ReadPointFile(const char* pszImagePath, CFileSystem& files)
{
    m_points.clear();
    std::string contents;
    if (ReadWholeFile(files, PointFilePath(pszImagePath), &contents))
        m_points = ParsePointRecords(contents.data(), contents.size());
    m_bValid = false;
}

bool CGeoRefArray::WritePointFile(const char* pszImagePath, CFileSystem& files) const
{
    return WriteWholeFile(files, PointFilePath(pszImagePath), FormatPointRecords(m_points));
}
