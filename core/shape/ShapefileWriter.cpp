// The Shapefile main file (.shp) and its index (.shx). Every field is put at
// its offset with its byte order; vertices are converted from image pixels
// to map units while they are written.
#include <cfloat>
#include <cstring>
#include <vector>

#include "core/io/Path.h"
#include "core/io/StagedWrite.h"
#include "core/shape/ByteOrder.h"
#include "core/shape/FeatureMeasure.h"
#include "core/shape/PolygonRings.h"
#include "core/shape/ShapeFile.h"

namespace
{

const int32_t kFileCode = 9994;
const int32_t kVersion = 1000;
const int kRecordHeaderSize = 8;
const int kPolyFixedContentSize = 48;   // type, box, parts and points counts, part index
const int kPartIndexSize = 4;
const int kPointContentSize = 20;   // type, X, Y
const int kIndexEntrySize = 8;

// The format counts lengths in signed 32-bit numbers of 16-bit words.
const int64_t kMaxFileBytes = int64_t(INT32_MAX) * 2;

CShapeBounds EmptyBox()
{
    // Any first vertex replaces all four values.
    CShapeBounds box;
    box.m_dXMin = DBL_MAX;
    box.m_dYMin = DBL_MAX;
    box.m_dXMax = -DBL_MAX;
    box.m_dYMax = -DBL_MAX;
    return box;
}

inline void FoldPoint(CShapeBounds& box, double x, double y)
{
    if (x < box.m_dXMin)
        box.m_dXMin = x;
    if (y < box.m_dYMin)
        box.m_dYMin = y;
    if (x > box.m_dXMax)
        box.m_dXMax = x;
    if (y > box.m_dYMax)
        box.m_dYMax = y;
}

CShapeBounds ShapeBounds(const CPixelToMapTransform& transform, const CShape& shape)
{
    CShapeBounds box = EmptyBox();
    for (const CShapeVertex& vertex : shape.Vertices())
    {
        double x, y;
        transform.Map(vertex.x, vertex.y, &x, &y);
        FoldPoint(box, x, y);
    }
    return box;
}

// The box part of a record: four doubles and the two counts.
void PutBounds(unsigned char* p, const CShapeBounds& box)
{
    PutLittleDouble(p, box.m_dXMin);
    PutLittleDouble(p + 8, box.m_dYMin);
    PutLittleDouble(p + 16, box.m_dXMax);
    PutLittleDouble(p + 24, box.m_dYMax);
    PutLittle32(p + 32, box.m_nParts);
    PutLittle32(p + 36, box.m_nPoints);
}

int32_t PolyContentWords(int nVertices, int nParts = 1)
{
    return (kPolyFixedContentSize + kPartIndexSize * (nParts - 1) + 16 * nVertices) / 2;
}

// Windows file names ignore case, so "ROADS.SHX" and "ROADS.shx" are one file.

bool IsShapeType(ShapeType nShapeType)
{
    return nShapeType == SHAPE_POINT || nShapeType == SHAPE_POLYLINE || nShapeType == SHAPE_POLYGON;
}

}   // namespace

CShapeBounds CShapeFile::GetExtent() const
{
    CShapeBounds extent = EmptyBox();
    if (!m_geoRef.m_bValid)
        return extent;
    const CPixelToMapTransform transform = m_geoRef.GetTransform();
    for (int i = 0; i < m_shapes.GetSize(); ++i)
    {
        // Minimums with minimums and maximums with maximums: the empty box
        // of a shape without vertices then leaves the extent as it was.
        const CShapeBounds box = ShapeBounds(transform, m_shapes.GetAt(i));
        if (box.m_dXMin < extent.m_dXMin)
            extent.m_dXMin = box.m_dXMin;
        if (box.m_dYMin < extent.m_dYMin)
            extent.m_dYMin = box.m_dYMin;
        if (box.m_dXMax > extent.m_dXMax)
            extent.m_dXMax = box.m_dXMax;
        if (box.m_dYMax > extent.m_dYMax)
            extent.m_dYMax = box.m_dYMax;
    }
    return extent;
}

namespace
{
// A polygon with holes: one part a ring, each closed, the outer ring
// clockwise and the holes anticlockwise, which is how readers tell them
// apart. Its rings are held closed, so the counts are those of the shape.
bool WriteHoledRecord(CFileWriter& sink, int nIndex, const CShape& shape, const CPixelToMapTransform& transform,
                      std::vector<unsigned char>& record)
{
    const std::vector<std::vector<double>> rings = OrientedRings(shape, transform, true);
    const int nParts = static_cast<int>(rings.size());
    size_t nPoints = 0;
    for (const std::vector<double>& ring : rings)
        nPoints += ring.size() / 2;
    if (nParts != shape.RingCount() || nPoints != size_t(shape.GetSize()))
        return false;
    const int n = static_cast<int>(nPoints);
    record.resize(kRecordHeaderSize + kPolyFixedContentSize + kPartIndexSize * size_t(nParts - 1) + 16 * nPoints);
    unsigned char* const p = record.data();
    PutBig32(p, nIndex + 1);
    PutBig32(p + 4, PolyContentWords(n, nParts));
    PutLittle32(p + 8, SHAPE_POLYGON);
    CShapeBounds box = EmptyBox();
    unsigned char* parts = p + 52;
    unsigned char* q = p + kRecordHeaderSize + kPolyFixedContentSize + kPartIndexSize * size_t(nParts - 1);
    int start = 0;
    for (const std::vector<double>& ring : rings)
    {
        PutLittle32(parts, start);
        parts += kPartIndexSize;
        for (size_t k = 0; k < ring.size(); k += 2)
        {
            FoldPoint(box, ring[k], ring[k + 1]);
            PutLittleDouble(q, ring[k]);
            PutLittleDouble(q + 8, ring[k + 1]);
            q += 16;
        }
        start += static_cast<int>(ring.size() / 2);
    }
    box.m_nParts = nParts;
    box.m_nPoints = n;
    PutBounds(p + 12, box);
    return sink.Write(p, record.size());
}
}   // namespace

bool CShapeFile::WritePolyRecords(CFileWriter& sink, ShapeType nShapeType) const
{
    const CPixelToMapTransform transform = m_geoRef.GetTransform();
    std::vector<unsigned char> record;
    std::vector<double> mapped;   // x, y of each vertex in map units
    for (int i = 0; i < m_shapes.GetSize(); ++i)
    {
        const CShape& shape = m_shapes.GetAt(i);
        if (nShapeType == SHAPE_POLYGON && shape.RingCount() > 1)
        {
            if (!WriteHoledRecord(sink, i, shape, transform, record))
                return false;
            continue;
        }
        const std::vector<CShapeVertex>& vertices = shape.Vertices();
        const int n = static_cast<int>(vertices.size());
        record.resize(kRecordHeaderSize + kPolyFixedContentSize + 16 * size_t(n));
        unsigned char* const p = record.data();
        PutBig32(p, i + 1);
        PutBig32(p + 4, PolyContentWords(n));
        PutLittle32(p + 8, nShapeType);
        // Each vertex is converted once and folded into the box, which goes
        // in front of the points.
        CShapeBounds box = EmptyBox();
        mapped.resize(2 * size_t(n));
        for (int v = 0; v < n; ++v)
        {
            transform.Map(vertices[v].x, vertices[v].y, &mapped[2 * v], &mapped[2 * v + 1]);
            FoldPoint(box, mapped[2 * v], mapped[2 * v + 1]);
        }
        // Readers take an anticlockwise ring for a hole: an outer ring runs
        // clockwise. Reversed whole, a closed ring still ends on its first vertex.
        const bool reversed = nShapeType == SHAPE_POLYGON && TwiceSignedArea(mapped) > 0.0;
        unsigned char* q = p + kRecordHeaderSize + kPolyFixedContentSize;
        for (int v = 0; v < n; ++v)
        {
            const size_t k = 2 * size_t(reversed ? n - 1 - v : v);
            PutLittleDouble(q, mapped[k]);
            PutLittleDouble(q + 8, mapped[k + 1]);
            q += 16;
        }
        box.m_nParts = 1;
        box.m_nPoints = n;
        PutBounds(p + 12, box);
        PutLittle32(p + 52, 0);   // every shape is one part, starting at point 0
        if (!sink.Write(p, record.size()))
            return false;
    }
    return true;
}

bool CShapeFile::WritePointRecords(CFileWriter& sink) const
{
    const CPixelToMapTransform transform = m_geoRef.GetTransform();
    unsigned char record[kRecordHeaderSize + kPointContentSize];
    for (int i = 0; i < m_shapes.GetSize(); ++i)
    {
        const CShape& shape = m_shapes.GetAt(i);
        if (shape.GetSize() == 0)
            return false;   // a Point record needs a vertex; nothing sensible to write
        double x, y;
        transform.Map(shape.GetAt(0).x, shape.GetAt(0).y, &x, &y);
        PutBig32(record, i + 1);
        PutBig32(record + 4, kPointContentSize / 2);
        PutLittle32(record + 8, SHAPE_POINT);
        PutLittleDouble(record + 12, x);
        PutLittleDouble(record + 20, y);
        if (!sink.Write(record, sizeof record))
            return false;
    }
    return true;
}

bool CShapeFile::WriteIndex(const CShapeBounds& summary, const char* pszPath, const unsigned char* pHeader,
                            CFileSystem& files) const
{
    try
    {
        CFileWriter sink(files.OpenForWriting(SideFileName(pszPath, ".shx")));
        if (!sink.IsOpen())
            return false;
        unsigned char header[kShapeHeaderSize];
        std::memcpy(header, pHeader, sizeof header);
        PutBig32(header + 24,
                 static_cast<int32_t>((kShapeHeaderSize + int64_t(kIndexEntrySize) * summary.m_nParts) / 2));
        bool ok = sink.Write(header, sizeof header);

        const bool pointFile = GetLittle32(header + 32) == SHAPE_POINT;
        const bool polygonFile = GetLittle32(header + 32) == SHAPE_POLYGON;
        int32_t offsetWords = kShapeHeaderSize / 2;
        unsigned char entry[kIndexEntrySize];
        for (int i = 0; ok && i < m_shapes.GetSize(); ++i)
        {
            const int32_t contentWords = pointFile ? kPointContentSize / 2
                                                   : PolyContentWords(m_shapes.GetAt(i).GetSize(),
                                                                      polygonFile ? m_shapes.GetAt(i).RingCount() : 1);
            PutBig32(entry, offsetWords);
            PutBig32(entry + 4, contentWords);
            ok = sink.Write(entry, sizeof entry);
            offsetWords += kRecordHeaderSize / 2 + contentWords;
        }
        ok = sink.Close() && ok;
        return ok;
    }
    catch (...)
    {
        return false;
    }
}

std::string CodePageFileText(unsigned nCodePage)
{
    return nCodePage == 65001 ? std::string("UTF-8") : std::to_string(nCodePage);
}

bool CShapeFile::SaveAs(const char* pszPath, ShapeType nShapeType, const CShapeSideFiles& sideFiles, CFileSystem& files)
{
    CStagedFileSystem staged(files);
    // A GeoPackage layer's fields have no .dbf to be written from: refused
    // rather than written without them.
    if (m_pSource && m_pSource->IsGeoPackage())
        return false;
    if (m_pSource)
    {
        // The file's own type, and names that do not fall on one another.
        if (!pszPath || (m_shapes.GetSize() > 0 && !m_geoRef.m_bValid) ||
            (m_pSource->m_layer.m_nType != SHAPEFILE_NULL &&
             DocumentShapeType(m_pSource->m_layer.Kind()) != nShapeType) ||
            SameFileName(pszPath, SideFileName(pszPath, ".shx")) ||
            SameFileName(pszPath, SideFileName(pszPath, ".dbf")))
            return false;
        try
        {
            if (!WriteOpenedLayer(*m_pSource, m_shapes, nShapeType, m_geoRef.GetTransform(), pszPath, staged))
                return false;
        }
        catch (...)
        {
            return false;
        }
        return staged.Commit();
    }
    if (!WriteShapefile(pszPath, nShapeType, staged, sideFiles))
        return false;   // the temporaries go with the staged files
    return staged.Commit();
}

bool CShapeFile::WriteShapefile(const char* pszPath, ShapeType nShapeType, CFileSystem& files,
                                const CShapeSideFiles& sideFiles)
{
    try
    {
        if (!pszPath || !IsShapeType(nShapeType))
            return false;
        // A main file chosen as roads.shx or roads.dbf would be overwritten
        // by the index or the table, and the save would still report success.
        if (SameFileName(pszPath, SideFileName(pszPath, ".shx")) ||
            SameFileName(pszPath, SideFileName(pszPath, ".dbf")) ||
            (sideFiles.nCodePage && SameFileName(pszPath, SideFileName(pszPath, ".cpg"))) ||
            (!sideFiles.strPrj.empty() && SameFileName(pszPath, SideFileName(pszPath, ".prj"))))
            return false;
        const int nShapes = m_shapes.GetSize();
        // Vertices are written in map units: without a fitted georeference
        // there is nothing true to write.
        if (nShapes > 0 && !m_geoRef.m_bValid)
            return false;
        int64_t totalPoints = 0;
        int64_t extraParts = 0;   // beyond one a record: a polygon's holes
        for (int i = 0; i < nShapes; ++i)
        {
            const int n = m_shapes.GetAt(i).GetSize();
            if (n == 0 && nShapeType == SHAPE_POINT)
                return false;   // a Point record needs a vertex
            totalPoints += n;
            if (nShapeType == SHAPE_POLYGON)
                extraParts += m_shapes.GetAt(i).RingCount() - 1;
        }
        const int64_t mainBytes = nShapeType == SHAPE_POINT
                                      ? kShapeHeaderSize + int64_t(kRecordHeaderSize + kPointContentSize) * nShapes
                                      : kShapeHeaderSize +
                                            int64_t(kRecordHeaderSize + kPolyFixedContentSize) * nShapes +
                                            kPartIndexSize * extraParts + 16 * totalPoints;
        // Lengths that the format cannot hold, and IDs wider than their
        // eight-character field, would make files that no reader gets right.
        if (mainBytes > kMaxFileBytes || totalPoints > INT32_MAX || nShapes > 99999999)
            return false;

        CShapeBounds summary = GetExtent();
        unsigned char header[kShapeHeaderSize] = {};
        PutBig32(header, kFileCode);
        PutBig32(header + 24, static_cast<int32_t>(mainBytes / 2));
        PutLittle32(header + 28, kVersion);
        PutLittle32(header + 32, nShapeType);
        PutLittleDouble(header + 36, summary.m_dXMin);
        PutLittleDouble(header + 44, summary.m_dYMin);
        PutLittleDouble(header + 52, summary.m_dXMax);
        PutLittleDouble(header + 60, summary.m_dYMax);
        summary.m_nParts = nShapes;
        summary.m_nPoints = static_cast<int32_t>(totalPoints);

        bool ok = false;
        {
            CFileWriter sink(files.OpenForWriting(pszPath));
            if (!sink.IsOpen())
                return false;
            ok = sink.Write(header, sizeof header);
            if (ok)
                ok = nShapeType == SHAPE_POINT ? WritePointRecords(sink) : WritePolyRecords(sink, nShapeType);
            ok = sink.Close() && ok;
        }
        if (!ok)
            return false;
        if (!WriteIndex(summary, pszPath, header, files))
            return false;
        if (!WriteAttributes(pszPath, summary, files, sideFiles))
            return false;
        // Text without a line end, byte for byte what GDAL writes.
        if (sideFiles.nCodePage &&
            !WriteFileBytes(files, SideFileName(pszPath, ".cpg"), CodePageFileText(sideFiles.nCodePage)))
            return false;
        if (!sideFiles.strPrj.empty() && !WriteFileBytes(files, SideFileName(pszPath, ".prj"), sideFiles.strPrj))
            return false;
        return true;
    }
    catch (...)
    {
        // Out of memory while building a record: the save fails, the
        // writers have closed their files on the way out.
        return false;
    }
}
