#include "core/georef/PointInterchange.h"

#include <charconv>
#include <cmath>

#include "core/georef/NumberScan.h"

namespace
{

// The shortest text that reads back as the same double: no digit of a
// typed coordinate is lost on the way to another tool.
std::string Number(double dValue)
{
    char buffer[64];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, dValue);
    return r.ec == std::errc() ? std::string(buffer, r.ptr) : std::string("0");
}

bool SameWord(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
    {
        const char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        const char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y)
            return false;
    }
    return i == a.size() && !b[i];
}

// Fields between commas; a line without a comma is split at tabs and
// spaces, as the oldest files were.
std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    if (line.find(',') != std::string::npos)
    {
        size_t start = 0;
        for (;;)
        {
            const size_t comma = line.find(',', start);
            fields.push_back(
                TrimmedCSpace(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        return fields;
    }
    size_t i = 0;
    while (i < line.size())
    {
        while (i < line.size() && IsCSpace(line[i]))
            ++i;
        const size_t start = i;
        while (i < line.size() && !IsCSpace(line[i]))
            ++i;
        if (i > start)
            fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

bool WholeNumber(const std::string& field, double* pdValue)
{
    const char* end = nullptr;
    return !field.empty() && ScanDouble(field.c_str(), pdValue, &end) && *end == '\0' && std::isfinite(*pdValue);
}

// The pixel whose area holds a centre-based position (x, y).
bool PixelOf(double x, double y, CGeoRefPoint* pPoint)
{
    const double c = std::floor(x + 0.5), r = std::floor(y + 0.5);
    const double kLimit = 1e9;   // far beyond any scan, well inside int
    if (!(std::fabs(c) < kLimit && std::fabs(r) < kLimit))
        return false;
    pPoint->m_nPixelX = static_cast<int>(c);
    pPoint->m_nPixelY = static_cast<int>(r);
    return true;
}

std::string XmlEscaped(const std::string& text)
{
    std::string out;
    for (char c : text)
    {
        switch (c)
        {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string JsonEscaped(const std::string& text)
{
    std::string out;
    for (char c : text)
    {
        if (c == '"' || c == '\\')
            (out += '\\') += c;
        else if (static_cast<unsigned char>(c) < 0x20)
        {
            const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[(c >> 4) & 0xF];
            out += hex[c & 0xF];
        }
        else
            out += c;
    }
    return out;
}

}   // namespace

CStatus<PointsReadCode> ParsePointsFile(const std::string& text, const CAffineTransform* pSourceGeoref,
                                        CPointsFile* pResult)
{
    *pResult = CPointsFile();
    CAffineTransform inverse;
    if (pSourceGeoref && !pSourceGeoref->Invert(&inverse))
        return PointsReadCode::NoHeader;
    int nX = -1, nY = -1, nSourceX = -1, nSourceY = -1, nEnable = -1;
    bool header = false;
    size_t start = 0;
    int lineNumber = 0;
    while (start < text.size())
    {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = TrimmedCSpace(text.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (line.empty())
            continue;
        if (!header)
        {
            if (line.compare(0, 5, "#CRS:") == 0)
            {
                pResult->strCrsWkt = TrimmedCSpace(line.substr(5));
                continue;
            }
            const std::vector<std::string> names = Fields(line);
            for (size_t i = 0; i < names.size(); ++i)
            {
                const int n = static_cast<int>(i);
                if (SameWord(names[i], "mapX"))
                    nX = n;
                else if (SameWord(names[i], "mapY"))
                    nY = n;
                else if (SameWord(names[i], "sourceX") || SameWord(names[i], "pixelX"))
                    nSourceX = n;
                else if (SameWord(names[i], "sourceY") || SameWord(names[i], "pixelY"))
                    nSourceY = n;
                else if (SameWord(names[i], "enable"))
                    nEnable = n;
            }
            if (nX < 0 || nY < 0 || nSourceX < 0 || nSourceY < 0)
                return PointsReadCode::NoHeader;
            header = true;
            continue;
        }
        const std::vector<std::string> fields = Fields(line);
        const auto field = [&](int n, double* pd) {
            return n < static_cast<int>(fields.size()) && WholeNumber(fields[n], pd);
        };
        CGeoRefPoint point;
        double sx, sy, enable = 1.0;
        if (!field(nX, &point.m_dMapX) || !field(nY, &point.m_dMapY) || !field(nSourceX, &sx) ||
            !field(nSourceY, &sy) || (nEnable >= 0 && !field(nEnable, &enable)))
            return {PointsReadCode::BadRecord, std::to_string(lineNumber)};
        double c, r;
        if (pSourceGeoref)
            inverse.Map(sx, sy, &c, &r);
        else
        {
            // Corner-based, rows counted up: the centre of pixel (0, 0) is (0.5, -0.5).
            c = sx - 0.5;
            r = -sy - 0.5;
        }
        if (!PixelOf(c, r, &point))
            return {PointsReadCode::BadRecord, std::to_string(lineNumber)};
        point.m_bOff = enable == 0.0;
        pResult->points.push_back(point);
    }
    if (!header)
        return PointsReadCode::NoHeader;
    if (pResult->points.empty())
        return PointsReadCode::NoPoints;
    return PointsReadCode::Ok;
}

std::string FormatPointsFile(const std::vector<CGeoRefPoint>& points, const std::string& strCrsWkt,
                             const CAffineTransform* pSourceGeoref, const std::vector<CPointResidual>* pResiduals)
{
    std::string text = "#CRS: " + strCrsWkt + "\r\n";
    text += "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual\r\n";
    for (size_t i = 0; i < points.size(); ++i)
    {
        const CGeoRefPoint& p = points[i];
        double sx = p.m_nPixelX + 0.5, sy = -(p.m_nPixelY + 0.5);
        if (pSourceGeoref)
            pSourceGeoref->Map(p.m_nPixelX, p.m_nPixelY, &sx, &sy);
        CPointResidual r;
        if (pResiduals && i < pResiduals->size())
            r = (*pResiduals)[i];
        text += Number(p.m_dMapX) + "," + Number(p.m_dMapY) + "," + Number(sx) + "," + Number(sy) + "," +
                (p.m_bOff ? "0" : "1") + "," + Number(r.dPixelX) + "," + Number(r.dPixelY) + "," +
                Number(r.dPixelLength) + "\r\n";
    }
    return text;
}

std::vector<CGdalGcp> GdalGcps(const std::vector<CGeoRefPoint>& points)
{
    std::vector<CGdalGcp> gcps;
    for (const CGeoRefPoint& p : points)
        if (!p.m_bOff)
            gcps.push_back({p.m_nPixelX + 0.5, p.m_nPixelY + 0.5, p.m_dMapX, p.m_dMapY});
    return gcps;
}

std::string FormatGcpVrt(const CGdalScan& scan, const std::vector<CGdalGcp>& gcps)
{
    const std::string size =
        "xSize=\"" + std::to_string(scan.nWidth) + "\" ySize=\"" + std::to_string(scan.nHeight) + "\"";
    std::string xml = "<VRTDataset rasterXSize=\"" + std::to_string(scan.nWidth) + "\" rasterYSize=\"" +
                      std::to_string(scan.nHeight) + "\">\n";
    xml += "  <GCPList Projection=\"" + XmlEscaped(scan.strWkt) + "\">\n";
    for (size_t i = 0; i < gcps.size(); ++i)
        xml += "    <GCP Id=\"" + std::to_string(i + 1) + "\" Pixel=\"" + Number(gcps[i].dPixel) + "\" Line=\"" +
               Number(gcps[i].dLine) + "\" X=\"" + Number(gcps[i].dX) + "\" Y=\"" + Number(gcps[i].dY) + "\"/>\n";
    xml += "  </GCPList>\n";
    const char* const colours[] = {"Red", "Green", "Blue", "Alpha"};
    for (int b = 1; b <= scan.nBands; ++b)
    {
        xml += "  <VRTRasterBand dataType=\"" + std::string(scan.b16Bit ? "UInt16" : "Byte") + "\" band=\"" +
               std::to_string(b) + "\">\n";
        const char* interp = scan.nBands >= 3 && b <= 4 ? colours[b - 1]
                             : b == 1                   ? (scan.bPalette ? "Palette" : "Gray")
                             : b == 2                   ? "Alpha"
                                                        : nullptr;
        if (interp)
            xml += std::string("    <ColorInterp>") + interp + "</ColorInterp>\n";
        if (b == 1 && scan.bPalette)
        {
            xml += "    <ColorTable>\n";
            for (size_t i = 0; i + 2 < scan.palette.size(); i += 3)
                xml += "      <Entry c1=\"" + std::to_string(scan.palette[i]) + "\" c2=\"" +
                       std::to_string(scan.palette[i + 1]) + "\" c3=\"" + std::to_string(scan.palette[i + 2]) +
                       "\" c4=\"255\"/>\n";
            xml += "    </ColorTable>\n";
        }
        xml += "    <SimpleSource>\n";
        xml += "      <SourceFilename relativeToVRT=\"" + std::string(scan.bRelative ? "1" : "0") + "\">" +
               XmlEscaped(scan.strFileName) + "</SourceFilename>\n";
        xml += "      <SourceBand>" + std::to_string(b) + "</SourceBand>\n";
        xml += "      <SrcRect xOff=\"0\" yOff=\"0\" " + size + "/>\n";
        xml += "      <DstRect xOff=\"0\" yOff=\"0\" " + size + "/>\n";
        xml += "    </SimpleSource>\n";
        xml += "  </VRTRasterBand>\n";
    }
    xml += "</VRTDataset>\n";
    return xml;
}

bool GdalWarpGcps(const CGeoRefArray& geoRef, int nWidth, int nHeight, std::vector<CGdalGcp>* pGcps,
                  std::string* pTransformer)
{
    pGcps->clear();
    if (!geoRef.m_bValid)
        return false;
    const auto at = [&](double c, double r) {
        CGdalGcp g{c + 0.5, r + 0.5, 0.0, 0.0};
        if (geoRef.Warp())
            geoRef.Warp()->Map(c, r, &g.dX, &g.dY);
        else
            geoRef.GetAffine().Map(c, r, &g.dX, &g.dY);
        pGcps->push_back(g);
    };
    // gdalwarp maps each output cell back with a map-to-pixel mapping that
    // GDAL fits on its own from the GCPs, not the inverse of the forward
    // one; from the points themselves the two differ by a share of their
    // residuals. Positions our fit maps leave GDAL nothing to disagree on
    // for an affine fit (the corners, -order 1), and a dense grid keeps its
    // fitted way back close to our exact inverse for the others.
    WarpKind kind;
    if (!IsWarpModel(geoRef.m_nFittedModel, &kind))
    {
        at(-0.5, -0.5);
        at(nWidth - 0.5, -0.5);
        at(-0.5, nHeight - 0.5);
        at(nWidth - 0.5, nHeight - 0.5);
        *pTransformer = "-order 1";
        return true;
    }
    // Nine by nine: 81 -gcp options stay within the 8,191 characters of a
    // command line of cmd.exe.
    const int kSteps = 8;
    for (int j = 0; j <= kSteps; ++j)
        for (int i = 0; i <= kSteps; ++i)
            at(-0.5 + static_cast<double>(nWidth) * i / kSteps, -0.5 + static_cast<double>(nHeight) * j / kSteps);
    *pTransformer = kind == WarpKind::Polynomial2   ? "-order 2"
                    : kind == WarpKind::Polynomial3 ? "-order 3"
                                                    : "-tps";   // GDAL has no projective transformer
    return true;
}

std::string FormatGdalCommands(const CGdalScan& scan, const std::vector<CGdalGcp>& gcps,
                               const std::string& strTransformer, const std::string& strOutput)
{
    const std::string srs = scan.nEpsg ? "EPSG:" + std::to_string(scan.nEpsg) : std::string();
    const std::string withGcps = strOutput + ".gcps.vrt";
    std::string text = "gdal_translate -of VRT";
    if (!srs.empty())
        text += " -a_srs " + srs;
    for (const CGdalGcp& g : gcps)
        text += " -gcp " + Number(g.dPixel) + " " + Number(g.dLine) + " " + Number(g.dX) + " " + Number(g.dY);
    text += " \"" + scan.strFileName + "\" \"" + withGcps + "\"\r\n";
    text += "gdalwarp " + strTransformer;
    if (!srs.empty())
        text += " -t_srs " + srs;
    text += " -r near -dstalpha \"" + withGcps + "\" \"" + strOutput + "\"\r\n";
    return text;
}

std::string FormatIiifAnnotation(const std::string& strImageId, int nWidth, int nHeight,
                                 const std::vector<CGeoRefPoint>& points, FitModel nModel)
{
    std::string transformation;
    switch (nModel)
    {
    case FitModel::Polynomial2: transformation = "{\"type\": \"polynomial\", \"options\": {\"order\": 2}}"; break;
    case FitModel::Polynomial3: transformation = "{\"type\": \"polynomial\", \"options\": {\"order\": 3}}"; break;
    case FitModel::ThinPlateSpline: transformation = "{\"type\": \"thinPlateSpline\"}"; break;
    case FitModel::Projective: transformation = "{\"type\": \"projective\"}"; break;
    default: transformation = "{\"type\": \"polynomial\", \"options\": {\"order\": 1}}"; break;
    }
    std::string json = "{\n";
    json += "  \"@context\": \"http://iiif.io/api/extension/georef/1/context.json\",\n";
    json += "  \"type\": \"Annotation\",\n";
    json += "  \"motivation\": \"georeferencing\",\n";
    json += "  \"target\": {\n";
    json += "    \"type\": \"SpecificResource\",\n";
    json += "    \"source\": {\"id\": \"" + JsonEscaped(strImageId) +
            "\", \"type\": \"Image\", \"width\": " + std::to_string(nWidth) +
            ", \"height\": " + std::to_string(nHeight) + "}\n";
    json += "  },\n";
    json += "  \"body\": {\n";
    json += "    \"type\": \"FeatureCollection\",\n";
    json += "    \"transformation\": " + transformation + ",\n";
    json += "    \"features\": [";
    bool first = true;
    for (const CGeoRefPoint& p : points)
    {
        if (p.m_bOff)
            continue;
        json += first ? "\n" : ",\n";
        first = false;
        json += "      {\"type\": \"Feature\", \"properties\": {\"resourceCoords\": [" + Number(p.m_nPixelX + 0.5) +
                ", " + Number(p.m_nPixelY + 0.5) + "]}, \"geometry\": {\"type\": \"Point\", \"coordinates\": [" +
                Number(p.m_dMapX) + ", " + Number(p.m_dMapY) + "]}}";
    }
    json += "\n    ]\n  }\n}\n";
    return json;
}
