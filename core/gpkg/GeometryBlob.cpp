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
    CWkb wkb(bHasZ, pEnvelope);
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

    // "GP", version 0, flags: little-endian, with an [minx, maxx, miny, maxy]
    // envelope except for a point (whose envelope is the point itself).
    const bool bEnvelope = nKind != GeometryKind::Point;
    std::string blob = "GP";
    blob.push_back(0);
    blob.push_back(static_cast<char>(0x01 | (bEnvelope ? 0x02 : 0x00)));
    Put<int32_t>(blob, nSrsId);
    if (bEnvelope)
    {
        Put(blob, pEnvelope->minX);
        Put(blob, pEnvelope->maxX);
        Put(blob, pEnvelope->minY);
        Put(blob, pEnvelope->maxY);
    }
    return blob + wkb.m_bytes;
}
