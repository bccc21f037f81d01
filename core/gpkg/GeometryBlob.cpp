#include "core/gpkg/GeometryBlob.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace
{
enum WkbType : uint32_t
{
    WKB_POINT = 1,
    WKB_LINESTRING = 2,
    WKB_POLYGON = 3,
    WKB_MULTIPOINT = 4,
    WKB_MULTILINESTRING = 5,
    WKB_MULTIPOLYGON = 6,
};
const uint32_t kWkbZ = 1000;   // ISO: the Z variant of a type

using Ring = std::vector<CMapPoint>;

template <typename T>
void Put(std::string& out, T value)
{
    // Little-endian on every platform we build for (x86, x86-64), as the
    // blob's byte-order flag and every WKB part say.
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
}

class CWkb
{
public:
    CWkb(bool bHasZ, CEnvelope* pEnvelope) : m_bHasZ(bHasZ), m_pEnvelope(pEnvelope) {}
    std::string m_bytes;

    void Begin(uint32_t nType)
    {
        m_bytes.push_back(1);   // little-endian
        Put<uint32_t>(m_bytes, nType + (m_bHasZ ? kWkbZ : 0));
    }
    void Vertex(const CMapPoint& p)
    {
        Put(m_bytes, p.x);
        Put(m_bytes, p.y);
        if (m_bHasZ)
            Put(m_bytes, p.z);
        m_pEnvelope->Add(p.x, p.y);
    }
    void Vertices(const std::vector<CMapPoint>& points)
    {
        Put<uint32_t>(m_bytes, static_cast<uint32_t>(points.size()));
        for (const CMapPoint& p : points)
            Vertex(p);
    }
    void Point(const CMapPoint& p)
    {
        Begin(WKB_POINT);
        Vertex(p);
    }
    void LineString(const std::vector<CMapPoint>& line)
    {
        Begin(WKB_LINESTRING);
        Vertices(line);
    }
    void Polygon(const std::vector<Ring>& rings)
    {
        Begin(WKB_POLYGON);
        Put<uint32_t>(m_bytes, static_cast<uint32_t>(rings.size()));
        for (const Ring& ring : rings)
            Vertices(ring);
    }

private:
    bool m_bHasZ;
    CEnvelope* m_pEnvelope;
};

// Twice the ring's signed area: negative when it runs clockwise.
double SignedArea2(const Ring& ring)
{
    double sum = 0.0;
    for (size_t i = 0, n = ring.size(); i < n; ++i)
    {
        const CMapPoint& a = ring[i];
        const CMapPoint& b = ring[(i + 1) % n];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum;
}

bool Contains(const Ring& ring, const CMapPoint& p)
{
    bool inside = false;
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++)
    {
        const CMapPoint& a = ring[i];
        const CMapPoint& b = ring[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

Ring Oriented(Ring ring, bool bAnticlockwise)
{
    if (ring.size() > 1 && (ring.front().x != ring.back().x || ring.front().y != ring.back().y))
        ring.push_back(ring.front());
    if ((SignedArea2(ring) > 0) != bAnticlockwise)
        std::reverse(ring.begin(), ring.end());
    return ring;
}

// Polygons of exterior then holes, from a Shapefile's rings.
std::vector<std::vector<Ring>> GroupRings(const std::vector<Ring>& rings)
{
    std::vector<std::vector<Ring>> polygons;
    std::vector<const Ring*> outers;
    std::vector<const Ring*> holes;
    for (const Ring& ring : rings)
    {
        if (ring.empty())
            continue;
        // A lone ring is an exterior whichever way it was drawn.
        if (rings.size() == 1 || SignedArea2(ring) <= 0)
            outers.push_back(&ring);
        else
            holes.push_back(&ring);
    }
    for (const Ring* outer : outers)
        polygons.push_back({Oriented(*outer, true)});
    for (const Ring* hole : holes)
    {
        // The innermost exterior around the hole (the last one that holds it
        // is as good as any for rings that do not cross); a hole with none
        // around it is a polygon of its own.
        auto around = std::find_if(outers.rbegin(), outers.rend(),
                                   [&](const Ring* outer) { return Contains(*outer, hole->front()); });
        if (around == outers.rend())
            polygons.push_back({Oriented(*hole, true)});
        else
            polygons[static_cast<size_t>(outers.rend() - around - 1)].push_back(Oriented(*hole, false));
    }
    return polygons;
}

size_t CountPolygons(const CVectorFeature& feature) { return GroupRings(feature.parts).size(); }
}   // namespace

void CEnvelope::Add(double x, double y)
{
    if (bEmpty)
    {
        minX = maxX = x;
        minY = maxY = y;
        bEmpty = false;
        return;
    }
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
}

void CEnvelope::Add(const CEnvelope& other)
{
    if (other.bEmpty)
        return;
    Add(other.minX, other.minY);
    Add(other.maxX, other.maxY);
}

std::string GeometryTypeName(const CVectorLayer& layer)
{
    bool bMulti = false;
    for (const CVectorFeature& feature : layer.features)
    {
        switch (layer.nKind)
        {
        case GeometryKind::MultiPoint: bMulti = true; break;
        case GeometryKind::PolyLine: bMulti = bMulti || feature.parts.size() > 1; break;
        case GeometryKind::Polygon: bMulti = bMulti || CountPolygons(feature) > 1; break;
        default: break;
        }
    }
    switch (layer.nKind)
    {
    case GeometryKind::Point: return "POINT";
    case GeometryKind::MultiPoint: return "MULTIPOINT";
    case GeometryKind::PolyLine: return bMulti ? "MULTILINESTRING" : "LINESTRING";
    case GeometryKind::Polygon: return bMulti ? "MULTIPOLYGON" : "POLYGON";
    default: return "GEOMETRY";
    }
}

std::string GeometryBlob(const CVectorFeature& feature, GeometryKind nKind, bool bMulti, bool bHasZ, int nSrsId,
                         CEnvelope* pEnvelope)
{
    *pEnvelope = CEnvelope();
    if (feature.parts.empty() || nKind == GeometryKind::None)
        return std::string();
    // "GP", version 0, flags: little-endian, with an [minx, maxx, miny, maxy]
    // envelope except for a point (whose envelope is the point itself). The
    // header's room is kept ahead of the geometry, filled in once the
    // envelope is known, and the whole blob made in one allocation.
    const bool bEnvelope = nKind != GeometryKind::Point;
    const size_t cbHeader = bEnvelope ? 40 : 8;
    size_t cbEstimate = cbHeader + 9 + 4;
    for (const std::vector<CMapPoint>& part : feature.parts)
        cbEstimate += 9 + 4 + 4 + part.size() * (bHasZ ? 33 : 25);
    CWkb wkb(bHasZ, pEnvelope);
    wkb.m_bytes.reserve(cbEstimate);
    wkb.m_bytes.assign(cbHeader, '\0');
    switch (nKind)
    {
    case GeometryKind::Point:
        if (feature.parts[0].empty())
            return std::string();
        wkb.Point(feature.parts[0][0]);
        break;
    case GeometryKind::MultiPoint:
        wkb.Begin(WKB_MULTIPOINT);
        Put<uint32_t>(wkb.m_bytes, static_cast<uint32_t>(feature.parts[0].size()));
        for (const CMapPoint& p : feature.parts[0])
            wkb.Point(p);
        break;
    case GeometryKind::PolyLine:
        if (!bMulti)
        {
            wkb.LineString(feature.parts[0]);
            break;
        }
        wkb.Begin(WKB_MULTILINESTRING);
        Put<uint32_t>(wkb.m_bytes, static_cast<uint32_t>(feature.parts.size()));
        for (const std::vector<CMapPoint>& line : feature.parts)
            wkb.LineString(line);
        break;
    case GeometryKind::Polygon:
    {
        const std::vector<std::vector<Ring>> polygons = GroupRings(feature.parts);
        if (polygons.empty())
            return std::string();
        if (!bMulti)
        {
            wkb.Polygon(polygons[0]);
            break;
        }
        wkb.Begin(WKB_MULTIPOLYGON);
        Put<uint32_t>(wkb.m_bytes, static_cast<uint32_t>(polygons.size()));
        for (const std::vector<Ring>& polygon : polygons)
            wkb.Polygon(polygon);
        break;
    }
    default: return std::string();
    }

    char* header = &wkb.m_bytes[0];
    header[0] = 'G';
    header[1] = 'P';
    header[2] = 0;
    header[3] = static_cast<char>(0x01 | (bEnvelope ? 0x02 : 0x00));
    const int32_t srsId = nSrsId;
    std::memcpy(header + 4, &srsId, 4);   // little-endian, as Put writes
    if (bEnvelope)
    {
        const double envelope[4] = {pEnvelope->minX, pEnvelope->maxX, pEnvelope->minY, pEnvelope->maxY};
        std::memcpy(header + 8, envelope, sizeof envelope);
    }
    return std::move(wkb.m_bytes);
}

namespace
{
// Reads WKB with every count and length checked against what is left.
class CWkbReader
{
public:
    CWkbReader(const unsigned char* p, size_t cb) : m_p(p), m_end(p + cb) {}
    bool m_bHasZ = false;
    bool m_bOther = false;   // of a type no layer kind holds

    // One geometry into parts; *pnKind as DecodeGeometryBlob says.
    bool Geometry(std::vector<std::vector<CMapPoint>>* pParts, GeometryKind* pnKind, int nDepth = 0)
    {
        uint32_t type = 0;
        bool z = false, m = false;
        if (nDepth > 2 || !Header(&type, &z, &m))
            return false;
        switch (type)
        {
        case WKB_POINT:
        {
            CMapPoint p;
            if (!Vertex(z, m, &p))
                return false;
            // An empty point is written as NaN coordinates.
            if (p.x == p.x && p.y == p.y)
                pParts->push_back({p});
            *pnKind = pParts->empty() ? GeometryKind::None : GeometryKind::Point;
            return true;
        }
        case WKB_LINESTRING: *pnKind = GeometryKind::PolyLine; return Line(z, m, pParts);
        case WKB_POLYGON: *pnKind = GeometryKind::Polygon; return Polygon(z, m, pParts);
        case WKB_MULTIPOINT:
        case WKB_MULTILINESTRING:
        case WKB_MULTIPOLYGON:
        {
            uint32_t n = 0;
            // Each member is at least a header and a count or a point.
            if (!Count(&n, 9))
                return false;
            std::vector<CMapPoint> points;
            for (uint32_t i = 0; i < n; ++i)
            {
                std::vector<std::vector<CMapPoint>> member;
                GeometryKind memberKind = GeometryKind::None;
                if (!Geometry(&member, &memberKind, nDepth + 1))
                    return false;
                const uint32_t wanted = type - 3;   // the member type of each multi type
                if (memberKind != GeometryKind::None && memberKind != KindOfType(wanted))
                    return false;
                if (type == WKB_MULTIPOINT)
                    for (auto& part : member)
                        points.insert(points.end(), part.begin(), part.end());
                else
                    pParts->insert(pParts->end(), member.begin(), member.end());
            }
            if (type == WKB_MULTIPOINT && !points.empty())
                pParts->push_back(std::move(points));
            *pnKind = type == WKB_MULTIPOINT ? GeometryKind::MultiPoint : KindOfType(type - 3);
            if (pParts->empty())
                *pnKind = GeometryKind::None;
            return true;
        }
        default:
            // A collection, a curve or a surface: no layer kind; skipped whole
            // only at the top, where the blob's length bounds it.
            *pnKind = GeometryKind::None;
            pParts->clear();
            m_bOther = true;
            return nDepth == 0;
        }
    }

private:
    const unsigned char* m_p;
    const unsigned char* m_end;
    bool m_bBigEndian = false;

    static GeometryKind KindOfType(uint32_t type)
    {
        return type == WKB_POINT        ? GeometryKind::Point
               : type == WKB_LINESTRING ? GeometryKind::PolyLine
                                        : GeometryKind::Polygon;
    }
    bool Take(void* pOut, size_t cb)
    {
        if (static_cast<size_t>(m_end - m_p) < cb)
            return false;
        unsigned char* out = static_cast<unsigned char*>(pOut);
        for (size_t i = 0; i < cb; ++i)
            out[i] = m_p[m_bBigEndian ? cb - 1 - i : i];
        m_p += cb;
        return true;
    }
    bool Header(uint32_t* pType, bool* pZ, bool* pM)
    {
        if (m_p >= m_end || *m_p > 1)
            return false;
        m_bBigEndian = *m_p++ == 0;
        uint32_t type = 0;
        if (!Take(&type, 4))
            return false;
        // Extended WKB flags, then ISO's thousands.
        *pZ = (type & 0x80000000u) != 0;
        *pM = (type & 0x40000000u) != 0;
        type &= 0x0FFFFFFFu;
        const uint32_t dims = type / 1000;
        if (dims > 3)
            return false;
        *pZ = *pZ || dims == 1 || dims == 3;
        *pM = *pM || dims == 2 || dims == 3;
        m_bHasZ = m_bHasZ || *pZ;
        *pType = type % 1000;
        return true;
    }
    bool Count(uint32_t* pn, size_t cbEach) { return Take(pn, 4) && *pn <= static_cast<size_t>(m_end - m_p) / cbEach; }
    bool Vertex(bool z, bool m, CMapPoint* p)
    {
        return Take(&p->x, 8) && Take(&p->y, 8) && (!z || Take(&p->z, 8)) && (!m || Take(&p->m, 8));
    }
    bool Points(bool z, bool m, std::vector<CMapPoint>* pPoints)
    {
        uint32_t n = 0;
        if (!Count(&n, 16 + (z ? 8 : 0) + (m ? 8 : 0)))
            return false;
        pPoints->resize(n);
        for (CMapPoint& p : *pPoints)
            if (!Vertex(z, m, &p))
                return false;
        return true;
    }
    bool Line(bool z, bool m, std::vector<std::vector<CMapPoint>>* pParts)
    {
        std::vector<CMapPoint> line;
        if (!Points(z, m, &line))
            return false;
        if (!line.empty())
            pParts->push_back(std::move(line));
        return true;
    }
    bool Polygon(bool z, bool m, std::vector<std::vector<CMapPoint>>* pParts)
    {
        uint32_t n = 0;
        if (!Count(&n, 4))
            return false;
        for (uint32_t i = 0; i < n; ++i)
        {
            std::vector<CMapPoint> ring;
            if (!Points(z, m, &ring))
                return false;
            if (ring.empty())
                continue;
            // The Shapefile's sense: the exterior clockwise, holes anticlockwise.
            if ((SignedArea2(ring) < 0) != (i == 0))
                std::reverse(ring.begin(), ring.end());
            pParts->push_back(std::move(ring));
        }
        return true;
    }
};
}   // namespace

GeometryKind KindOfGeometryTypeName(const std::string& strTypeName)
{
    std::string name;
    for (char c : strTypeName)
        name += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (name == "POINT")
        return GeometryKind::Point;
    if (name == "MULTIPOINT")
        return GeometryKind::MultiPoint;
    if (name == "LINESTRING" || name == "MULTILINESTRING")
        return GeometryKind::PolyLine;
    if (name == "POLYGON" || name == "MULTIPOLYGON")
        return GeometryKind::Polygon;
    return GeometryKind::None;
}

bool DecodeGeometryBlob(const unsigned char* pBlob, size_t cbBlob, CVectorFeature* pFeature, GeometryKind* pnKind,
                        bool* pbHasZ, bool* pbOtherKind)
{
    // "GP", version 0, flags; the envelope's size from its indicator.
    static const size_t kEnvelopeBytes[] = {0, 32, 48, 48, 64};
    if (cbBlob < 8 || pBlob[0] != 'G' || pBlob[1] != 'P' || pBlob[2] != 0)
        return false;
    const unsigned flags = pBlob[3];
    const unsigned envelope = (flags >> 1) & 7;
    if (envelope > 4 || (flags & 0x20) != 0)   // an extended (non-standard) geometry
        return false;
    const size_t cbHeader = 8 + kEnvelopeBytes[envelope];
    pFeature->parts.clear();
    *pnKind = GeometryKind::None;
    *pbHasZ = false;
    *pbOtherKind = false;
    if (cbBlob < cbHeader)
        return false;
    if (flags & 0x10)   // empty
        return true;
    CWkbReader reader(pBlob + cbHeader, cbBlob - cbHeader);
    if (!reader.Geometry(&pFeature->parts, pnKind))
    {
        pFeature->parts.clear();
        return false;
    }
    *pbHasZ = reader.m_bHasZ;
    *pbOtherKind = reader.m_bOther;
    return true;
}
