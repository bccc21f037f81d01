// The Shapefile reader: the main file (.shp) with its index (.shx), the
// table (.dbf) and the texts beside them. Every count and length the files
// state is checked against the bytes that are really there before it is
// used, for an allocation or anything else.
#include <new>

#include "core/io/Path.h"
#include "core/shape/ByteOrder.h"
#include "core/shape/CodePage.h"
#include "core/shape/DbfParser.h"
#include "core/shape/ShapefileLayer.h"

namespace
{

const int32_t kFileCode = 9994;
const int32_t kVersion = 1000;
const size_t kHeaderSize = 100;
const size_t kRecordHeaderSize = 8;
const size_t kIndexEntrySize = 8;

ShapefileReadStatus Failure(ShapefileReadError nError, const std::string& path, const std::string& what)
{
    return ShapefileReadStatus(nError, path + ": " + what);
}

std::string Number(uint64_t n) { return std::to_string(n); }

// A whole file's bytes; CannotOpen or ReadFailed naming it.
ShapefileReadStatus ReadAll(CFileSystem& files, const std::string& path, std::string* pBytes)
{
    std::unique_ptr<CFile> file = files.OpenForReading(path);
    if (!file)
        return Failure(ShapefileReadError::CannotOpen, path, "cannot be opened");
    if (file->Size() > pBytes->max_size())
        return Failure(ShapefileReadError::NoMemory, path, "too large to hold");
    if (!ReadFileBytes(*file, pBytes))
        return Failure(ShapefileReadError::ReadFailed, path, "a read stopped before the end");
    return ShapefileReadStatus();
}

// The 100-byte header the main file and the index share.
ShapefileReadStatus CheckHeader(const std::string& bytes, const std::string& path)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() < kHeaderSize || GetBig32(p) != kFileCode || GetLittle32(p + 28) != kVersion)
        return Failure(ShapefileReadError::NotShapefile, path, "no Shapefile header (file code 9994, version 1000)");
    // The length is in 16-bit words. A longer file is tolerated (some
    // writers pad); a shorter one lost its end.
    const uint64_t cbStated = uint64_t(uint32_t(GetBig32(p + 24))) * 2;
    if (cbStated < kHeaderSize)
        return Failure(ShapefileReadError::Damaged, path, "the header says " + Number(cbStated) + " bytes");
    if (cbStated > bytes.size())
        return Failure(ShapefileReadError::Damaged, path,
                       "the header says " + Number(cbStated) + " bytes, the file holds " + Number(bytes.size()));
    return ShapefileReadStatus();
}

}   // namespace

bool IsShapefileType(int32_t nCode)
{
    switch (nCode)
    {
    case SHAPEFILE_NULL:
    case SHAPEFILE_POINT:
    case SHAPEFILE_POLYLINE:
    case SHAPEFILE_POLYGON:
    case SHAPEFILE_MULTIPOINT:
    case SHAPEFILE_POINTZ:
    case SHAPEFILE_POLYLINEZ:
    case SHAPEFILE_POLYGONZ:
    case SHAPEFILE_MULTIPOINTZ:
    case SHAPEFILE_POINTM:
    case SHAPEFILE_POLYLINEM:
    case SHAPEFILE_POLYGONM:
    case SHAPEFILE_MULTIPOINTM:
    case SHAPEFILE_MULTIPATCH: return true;
    default: return false;
    }
}

GeometryKind KindOfShapefileType(ShapefileType nType)
{
    switch (nType)
    {
    case SHAPEFILE_POINT:
    case SHAPEFILE_POINTZ:
    case SHAPEFILE_POINTM: return GeometryKind::Point;
    case SHAPEFILE_MULTIPOINT:
    case SHAPEFILE_MULTIPOINTZ:
    case SHAPEFILE_MULTIPOINTM: return GeometryKind::MultiPoint;
    case SHAPEFILE_POLYLINE:
    case SHAPEFILE_POLYLINEZ:
    case SHAPEFILE_POLYLINEM: return GeometryKind::PolyLine;
    case SHAPEFILE_POLYGON:
    case SHAPEFILE_POLYGONZ:
    case SHAPEFILE_POLYGONM: return GeometryKind::Polygon;
    default: return GeometryKind::None;
    }
}

bool ShapefileTypeHasZ(ShapefileType nType)
{
    return nType == SHAPEFILE_POINTZ || nType == SHAPEFILE_POLYLINEZ || nType == SHAPEFILE_POLYGONZ ||
           nType == SHAPEFILE_MULTIPOINTZ || nType == SHAPEFILE_MULTIPATCH;
}

bool ShapefileTypeHasM(ShapefileType nType)
{
    return ShapefileTypeHasZ(nType) || nType == SHAPEFILE_POINTM || nType == SHAPEFILE_POLYLINEM ||
           nType == SHAPEFILE_POLYGONM || nType == SHAPEFILE_MULTIPOINTM;
}

std::string_view CShapefileLayer::RawRecord(int nFeature) const
{
    const CLayerFeature& feature = m_features[nFeature];
    return std::string_view(m_shpBytes).substr(feature.cbOffset, feature.cbLength);
}

// Reads the record contents of a main file whose header was checked.
class CShpParser
{
public:
    CShpParser(const std::string& bytes, const std::string& path, ShapefileType nType)
        : m_p(reinterpret_cast<const unsigned char*>(bytes.data())), m_path(path), m_nType(nType)
    {
    }

    // The content of the record numbered nRecord (from 1) at cbOffset, cb
    // bytes long, already checked to lie within the file.
    ShapefileReadStatus Record(int nRecord, size_t cbOffset, size_t cb, CLayerFeature* pFeature) const
    {
        const unsigned char* p = m_p + cbOffset;
        pFeature->cbOffset = cbOffset;
        pFeature->cbLength = cb;
        if (cb < 4)
            return Bad(nRecord, "is shorter than its shape type");
        const int32_t nType = GetLittle32(p);
        if (nType == SHAPEFILE_NULL)
        {
            pFeature->bNull = true;
            return ShapefileReadStatus();
        }
        if (nType != m_nType)
            return Bad(nRecord,
                       "is of shape type " + std::to_string(nType) + " in a file of type " + std::to_string(m_nType));
        const bool hasZ = ShapefileTypeHasZ(m_nType);
        const bool hasM = ShapefileTypeHasM(m_nType);
        if (KindOfShapefileType(m_nType) == GeometryKind::Point)
        {
            // x, y, then z for PointZ, then m; a PointZ's m is optional.
            const size_t cbNeeded = 20 + (hasZ ? 8 : 0) + (hasZ ? 0 : hasM ? 8 : 0);
            if (cb < cbNeeded)
                return Bad(nRecord, "is too short for a point");
            CMapPoint point;
            point.x = GetLittleDouble(p + 4);
            point.y = GetLittleDouble(p + 12);
            if (hasZ)
                point.z = GetLittleDouble(p + 20);
            const size_t mAt = hasZ ? 28 : 20;
            pFeature->bHasM = hasM && cb >= mAt + 8;
            if (pFeature->bHasM)
                point.m = GetLittleDouble(p + mAt);
            pFeature->parts.assign(1, std::vector<CMapPoint>(1, point));
            return ShapefileReadStatus();
        }

        // type, box, then the counts: parts and points, or points alone.
        const bool multiPoint = KindOfShapefileType(m_nType) == GeometryKind::MultiPoint;
        const size_t countsAt = 36;
        if (cb < countsAt + (multiPoint ? 4 : 8))
            return Bad(nRecord, "is too short for its counts");
        const int32_t nParts = multiPoint ? 1 : GetLittle32(p + countsAt);
        const int32_t nPoints = GetLittle32(p + countsAt + (multiPoint ? 0 : 4));
        if (nParts < 0 || nPoints < 0)
            return Bad(nRecord, "has a negative count");
        const size_t partsAt = countsAt + (multiPoint ? 4 : 8);
        // 64-bit sums, checked before any is a size: counts near 2^31 cannot
        // wrap round to a small size, in a 32-bit process neither.
        const uint64_t cbPartsEnd = partsAt + (multiPoint ? 0 : 4 * uint64_t(nParts));
        const uint64_t cbXy = cbPartsEnd + 16 * uint64_t(nPoints);
        const uint64_t cbZ = hasZ ? 16 + 8 * uint64_t(nPoints) : 0;
        const uint64_t cbM = hasM ? 16 + 8 * uint64_t(nPoints) : 0;
        if (cbXy + cbZ > cb)
            return Bad(nRecord, "counts " + std::to_string(nParts) + " parts and " + std::to_string(nPoints) +
                                    " points in " + std::to_string(cb) + " bytes");
        if (nPoints == 0 && nParts > (multiPoint ? 1 : 0))
            return Bad(nRecord, "has parts but no point");
        if (nPoints == 0)
            return ShapefileReadStatus();   // an empty shape: no part
        const size_t pointsAt = static_cast<size_t>(cbPartsEnd);
        pFeature->bHasM = hasM && cbXy + cbZ + cbM <= cb;

        // Most records have a part or two: their starts need no allocation.
        int32_t startsHere[8];
        std::vector<int32_t> startsHeld;
        if (size_t(nParts) + 1 > sizeof startsHere / sizeof startsHere[0])
            startsHeld.resize(size_t(nParts) + 1);
        int32_t* starts = startsHeld.empty() ? startsHere : startsHeld.data();
        for (int32_t i = 0; i < nParts; ++i)
            starts[i] = multiPoint ? 0 : GetLittle32(p + partsAt + 4 * size_t(i));
        starts[nParts] = nPoints;
        // Parts start at the first point and each after the one before, so
        // that every point belongs to exactly one part.
        for (int32_t i = 0; i < nParts; ++i)
            if ((i == 0 && starts[0] != 0) || starts[i] >= starts[i + 1])
                return Bad(nRecord, "has part " + std::to_string(i) + " starting at point " +
                                        std::to_string(starts[i]) + " of " + std::to_string(nPoints));

        const unsigned char* xy = p + pointsAt;
        const unsigned char* z = hasZ ? xy + 16 * size_t(nPoints) + 16 : nullptr;
        const unsigned char* m = pFeature->bHasM ? p + cbXy + cbZ + 16 : nullptr;
        pFeature->parts.resize(size_t(nParts));
        for (int32_t i = 0; i < nParts; ++i)
        {
            std::vector<CMapPoint>& part = pFeature->parts[i];
            part.resize(size_t(starts[i + 1] - starts[i]));
            for (size_t k = 0, v = size_t(starts[i]); k < part.size(); ++k, ++v)
            {
                part[k].x = GetLittleDouble(xy + 16 * v);
                part[k].y = GetLittleDouble(xy + 16 * v + 8);
                if (z)
                    part[k].z = GetLittleDouble(z + 8 * v);
                if (m)
                    part[k].m = GetLittleDouble(m + 8 * v);
            }
        }
        return ShapefileReadStatus();
    }

private:
    ShapefileReadStatus Bad(int nRecord, const std::string& what) const
    {
        return Failure(ShapefileReadError::Damaged, m_path, "record " + std::to_string(nRecord) + " " + what);
    }

    const unsigned char* m_p;
    const std::string& m_path;
    ShapefileType m_nType;
};

namespace
{

// Where each record's content lies: from the index when there is one, else
// by walking the main file's record headers. Both checked against the main file.
struct CRecordSpan
{
    size_t cbOffset;   // of the content, after the record header
    size_t cb;
};

ShapefileReadStatus SpansFromIndex(const std::string& shx, const std::string& shxPath, const std::string& shp,
                                   const std::string& shpPath, std::vector<CRecordSpan>* pSpans)
{
    ShapefileReadStatus status = CheckHeader(shx, shxPath);
    if (!status.Ok())
        return status;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(shx.data());
    const uint64_t cbStated = uint64_t(uint32_t(GetBig32(p + 24))) * 2;
    if ((cbStated - kHeaderSize) % kIndexEntrySize)
        return Failure(ShapefileReadError::Damaged, shxPath, "its length is no whole number of entries");
    const size_t nEntries = size_t((cbStated - kHeaderSize) / kIndexEntrySize);
    const unsigned char* q = reinterpret_cast<const unsigned char*>(shp.data());
    const uint64_t cbShp = uint64_t(uint32_t(GetBig32(q + 24))) * 2;
    pSpans->reserve(nEntries);   // bounded by the index's own size
    for (size_t i = 0; i < nEntries; ++i)
    {
        const unsigned char* e = p + kHeaderSize + kIndexEntrySize * i;
        const uint64_t offset = uint64_t(uint32_t(GetBig32(e))) * 2;
        const uint64_t cb = uint64_t(uint32_t(GetBig32(e + 4))) * 2;
        auto what = [i] { return "entry " + Number(i + 1) + " "; };
        if (offset < kHeaderSize || offset + kRecordHeaderSize + cb > cbShp)
            return Failure(ShapefileReadError::Damaged, shxPath,
                           what() + "points outside " + PathFileName(shpPath) + " (" + Number(offset) + "+" +
                               Number(cb) + " of " + Number(cbShp) + " bytes)");
        if (uint64_t(uint32_t(GetBig32(q + offset + 4))) * 2 != cb)
            return Failure(ShapefileReadError::Damaged, shxPath,
                           what() + "disagrees with " + PathFileName(shpPath) + " on the record's length");
        pSpans->push_back(CRecordSpan{size_t(offset + kRecordHeaderSize), size_t(cb)});
    }
    return ShapefileReadStatus();
}

ShapefileReadStatus SpansFromMainFile(const std::string& shp, const std::string& shpPath,
                                      std::vector<CRecordSpan>* pSpans)
{
    const unsigned char* q = reinterpret_cast<const unsigned char*>(shp.data());
    const uint64_t cbShp = uint64_t(uint32_t(GetBig32(q + 24))) * 2;
    for (uint64_t offset = kHeaderSize; offset < cbShp;)
    {
        auto what = [pSpans] { return "record " + Number(pSpans->size() + 1) + " "; };
        if (offset + kRecordHeaderSize > cbShp)
            return Failure(ShapefileReadError::Damaged, shpPath, what() + "header is cut off");
        const uint64_t cb = uint64_t(uint32_t(GetBig32(q + offset + 4))) * 2;
        if (offset + kRecordHeaderSize + cb > cbShp)
            return Failure(ShapefileReadError::Damaged, shpPath,
                           what() + "runs past the end (" + Number(cb) + " bytes at " + Number(offset) + ")");
        pSpans->push_back(CRecordSpan{size_t(offset + kRecordHeaderSize), size_t(cb)});
        offset += kRecordHeaderSize + cb;
    }
    return ShapefileReadStatus();
}

// Everything but the main file's bytes, which the caller hands to the layer.
ShapefileReadStatus ReadLayer(const std::string& path, CFileSystem& files, CShapefileLayer& layer, std::string& shp)
{
    ShapefileReadStatus status = ReadAll(files, path, &shp);
    if (!status.Ok())
        return status;
    if (!(status = CheckHeader(shp, path)).Ok())
        return status;
    const int32_t nType = GetLittle32(reinterpret_cast<const unsigned char*>(shp.data()) + 32);
    if (nType == SHAPEFILE_MULTIPATCH)
        return Failure(ShapefileReadError::Unsupported, path, "MultiPatch shapes are not read");
    if (!IsShapefileType(nType))
        return Failure(ShapefileReadError::NotShapefile, path, "unknown shape type " + std::to_string(nType));
    layer.m_nType = static_cast<ShapefileType>(nType);
    for (int i = 0; i < 4; ++i)
        layer.m_box[i] = GetLittleDouble(reinterpret_cast<const unsigned char*>(shp.data()) + 36 + 8 * i);

    // The index is optional: without it the main file is walked record by record.
    std::vector<CRecordSpan> spans;
    const std::string shxPath = SideFileName(path.c_str(), ".shx");
    if (files.Exists(shxPath))
    {
        std::string shx;
        if (!(status = ReadAll(files, shxPath, &shx)).Ok() ||
            !(status = SpansFromIndex(shx, shxPath, shp, path, &spans)).Ok())
            return status;
    }
    else if (!(status = SpansFromMainFile(shp, path, &spans)).Ok())
    {
        return status;
    }

    const CShpParser parser(shp, path, layer.m_nType);
    layer.m_features.resize(spans.size());
    for (size_t i = 0; i < spans.size(); ++i)
        if (!(status = parser.Record(int(i + 1), spans[i].cbOffset, spans[i].cb, &layer.m_features[i])).Ok())
            return status;

    const std::string cpgPath = SideFileName(path.c_str(), ".cpg");
    if (files.Exists(cpgPath) && !(status = ReadAll(files, cpgPath, &layer.m_strCpg)).Ok())
        return status;
    const std::string prjPath = SideFileName(path.c_str(), ".prj");
    if (files.Exists(prjPath) && !(status = ReadAll(files, prjPath, &layer.m_strPrj)).Ok())
        return status;

    const std::string dbfPath = SideFileName(path.c_str(), ".dbf");
    std::string dbf;
    if (!(status = ReadAll(files, dbfPath, &dbf)).Ok())
        return status;
    const unsigned nCpgCodePage = layer.m_strCpg.empty() ? 0 : CodePageFromCpg(layer.m_strCpg);
    if (!(status = CDbfParser::Parse(std::move(dbf), dbfPath, nCpgCodePage, &layer.m_table)).Ok())
        return status;
    // Record i of the table belongs to shape i: with a count that differs,
    // every attribute after the first missing row would sit on the wrong shape.
    if (size_t(layer.m_table.GetRecordCount()) != layer.m_features.size())
        return Failure(ShapefileReadError::Damaged, dbfPath,
                       "holds " + Number(layer.m_table.GetRecordCount()) + " records for " +
                           Number(layer.m_features.size()) + " shapes in " + PathFileName(path));
    return ShapefileReadStatus();
}

}   // namespace

ShapefileReadStatus ReadShapefileLayer(const std::string& path, CFileSystem& files, CShapefileLayer* pLayer)
{
    try
    {
        CShapefileLayer layer;
        std::string shp;
        const ShapefileReadStatus status = ReadLayer(path, files, layer, shp);
        if (status.Ok())
        {
            layer.m_shpBytes = std::move(shp);
            *pLayer = std::move(layer);
        }
        return status;
    }
    catch (const std::bad_alloc&)
    {
        return Failure(ShapefileReadError::NoMemory, path, "too large to hold");
    }
}
