#include "core/shape/PolygonRings.h"

#include <algorithm>
#include <cstdint>

#include "core/shape/FeatureMeasure.h"

namespace
{
using Ring = std::vector<CShapeVertex>;

// A ring without its closing copy of the first vertex.
Ring OpenRing(const CShape& shape, int nRing)
{
    Ring ring = shape.Ring(nRing);
    if (ring.size() > 1 && ring.front() == ring.back())
        ring.pop_back();
    return ring;
}

// Pixels are whole numbers: every test below is exact in 64 bits.
int64_t Cross(CShapeVertex o, CShapeVertex a, CShapeVertex b)
{
    return (int64_t(a.x) - o.x) * (int64_t(b.y) - o.y) - (int64_t(a.y) - o.y) * (int64_t(b.x) - o.x);
}

int Sign(int64_t v) { return (v > 0) - (v < 0); }

bool OnSegment(CShapeVertex a, CShapeVertex b, CShapeVertex p)
{
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}

// Whether segments ab and cd share any point, an end touching included.
bool SegmentsMeet(CShapeVertex a, CShapeVertex b, CShapeVertex c, CShapeVertex d)
{
    const int d1 = Sign(Cross(c, d, a)), d2 = Sign(Cross(c, d, b));
    const int d3 = Sign(Cross(a, b, c)), d4 = Sign(Cross(a, b, d));
    if (d1 * d2 < 0 && d3 * d4 < 0)
        return true;
    return (d1 == 0 && OnSegment(c, d, a)) || (d2 == 0 && OnSegment(c, d, b)) || (d3 == 0 && OnSegment(a, b, c)) ||
           (d4 == 0 && OnSegment(a, b, d));
}

bool RingsMeet(const Ring& r, const Ring& s)
{
    for (size_t i = 0; i < r.size(); ++i)
        for (size_t j = 0; j < s.size(); ++j)
            if (SegmentsMeet(r[i], r[(i + 1) % r.size()], s[j], s[(j + 1) % s.size()]))
                return true;
    return false;
}

// For a point on no edge of the ring (the rings were found not to meet).
bool Inside(const Ring& ring, CShapeVertex p)
{
    bool inside = false;
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++)
    {
        const CShapeVertex a = ring[j], b = ring[i];
        if ((a.y > p.y) != (b.y > p.y))
        {
            // p left of the edge going up, or right of it going down.
            const int64_t side = Cross(a, b, p);
            if ((b.y > a.y) ? side > 0 : side < 0)
                inside = !inside;
        }
    }
    return inside;
}

int64_t TwiceArea(const Ring& ring)
{
    int64_t sum = 0;
    for (size_t i = 1; i + 1 < ring.size(); ++i)
        sum += Cross(ring[0], ring[i], ring[i + 1]);
    return sum;
}
}   // namespace

HoleCheck CheckHole(const CShape& shape, int nRing)
{
    if (nRing < 1 || nRing >= shape.RingCount())
        return HoleCheck::Fits;
    const Ring hole = OpenRing(shape, nRing);
    const Ring outer = OpenRing(shape, 0);
    if (hole.size() < 3 || TwiceArea(hole) == 0)
        return HoleCheck::TooFew;
    if (outer.size() < 3 || RingsMeet(hole, outer) || !Inside(outer, hole[0]))
        return HoleCheck::Outside;
    for (int r = 1; r < nRing; ++r)
    {
        const Ring other = OpenRing(shape, r);
        if (other.empty())
            continue;
        if (RingsMeet(hole, other) || Inside(other, hole[0]) || Inside(hole, other[0]))
            return HoleCheck::Crosses;
    }
    return HoleCheck::Fits;
}

HoleCheck CheckHoles(const CShape& shape)
{
    for (int r = 1; r < shape.RingCount(); ++r)
    {
        const HoleCheck check = CheckHole(shape, r);
        if (check != HoleCheck::Fits)
            return check;
    }
    return HoleCheck::Fits;
}

std::vector<std::vector<double>> OrientedRings(const CShape& shape, const CPixelToMapTransform& transform,
                                               bool bOuterClockwise)
{
    std::vector<std::vector<double>> rings;
    for (int r = 0; r < shape.RingCount(); ++r)
    {
        const Ring ring = OpenRing(shape, r);
        if (ring.empty())
            continue;
        std::vector<double> xy(2 * (ring.size() + 1));
        for (size_t v = 0; v <= ring.size(); ++v)
            transform.Map(ring[v % ring.size()].x, ring[v % ring.size()].y, &xy[2 * v], &xy[2 * v + 1]);
        // Map y runs up, pixel rows down: the sense is judged on the map.
        const bool clockwise = TwiceSignedArea(xy) < 0.0;
        if (clockwise != ((r == 0) == bOuterClockwise))
            for (size_t i = 0, j = ring.size(); i < j; ++i, --j)
            {
                std::swap(xy[2 * i], xy[2 * j]);
                std::swap(xy[2 * i + 1], xy[2 * j + 1]);
            }
        rings.push_back(std::move(xy));
    }
    return rings;
}
