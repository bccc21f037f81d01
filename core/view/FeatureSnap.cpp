#include "core/view/FeatureSnap.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "core/shape/VertexEdit.h"

namespace
{
const int kLargestSnapTolerance = 100;

// The best vertex and the best segment point seen so far.
struct Nearest
{
    FeatureHit vertex;
    FeatureHit segment;
    double dTolerance2;   // squared

    void Vertex(int nFeature, int nVertex, CShapeVertex v, ImagePoint p)
    {
        const double dx = v.x - p.x, dy = v.y - p.y, d2 = dx * dx + dy * dy;
        if (d2 > dTolerance2 || (vertex.nKind != HitKind::None && d2 >= vertex.dDistance))
            return;
        vertex = FeatureHit{HitKind::Vertex, nFeature, nVertex, v, d2};
    }

    void Segment(int nFeature, int nSegment, CShapeVertex a, CShapeVertex b, ImagePoint p, double dTolerance)
    {
        // Most segments are nowhere near: their box, widened by the tolerance, misses the point.
        if (p.x < std::fmin(a.x, b.x) - dTolerance || p.x > std::fmax(a.x, b.x) + dTolerance ||
            p.y < std::fmin(a.y, b.y) - dTolerance || p.y > std::fmax(a.y, b.y) + dTolerance)
            return;
        const double ex = b.x - a.x, ey = b.y - a.y, length2 = ex * ex + ey * ey;
        double t = length2 > 0 ? ((p.x - a.x) * ex + (p.y - a.y) * ey) / length2 : 0.0;
        t = std::fmin(1.0, std::fmax(0.0, t));
        const double nx = a.x + t * ex, ny = a.y + t * ey;
        const double d2 = (nx - p.x) * (nx - p.x) + (ny - p.y) * (ny - p.y);
        if (d2 > dTolerance2 || (segment.nKind != HitKind::None && d2 >= segment.dDistance))
            return;
        const CShapeVertex at = {static_cast<int>(std::lround(nx)), static_cast<int>(std::lround(ny))};
        segment = FeatureHit{HitKind::Segment, nFeature, nSegment, at, d2};
    }

    FeatureHit Result() const
    {
        FeatureHit hit = vertex.nKind != HitKind::None ? vertex : segment;
        hit.dDistance = std::sqrt(hit.dDistance);
        return hit;
    }
};

// Item nIndex of a feature (CSnapIndex::Item): its vertices, and its
// segment unless the features are points. nSkip is a vertex that is moving.
void VisitItem(Nearest& nearest, const CShape& shape, ShapeType nShapeType, int nFeature, int nIndex, int nSkip,
               ImagePoint p, double dTolerance)
{
    const std::vector<CShapeVertex>& v = shape.Vertices();
    const int count = static_cast<int>(v.size());
    if (nIndex < 0 || nIndex >= count)
        return;
    const bool ring = IsClosedRing(v, nShapeType);
    // A ring's closing copy is its vertex 0.
    auto vertex = [&](int i) { return ring && i == count - 1 ? 0 : i; };
    auto skipped = [&](int i) { return nSkip >= 0 && vertex(i) == nSkip; };
    if (!skipped(nIndex))
        nearest.Vertex(nFeature, vertex(nIndex), v[nIndex], p);
    if (nShapeType == SHAPE_POINT || nIndex + 1 >= count)
        return;
    if (!skipped(nIndex + 1))
        nearest.Vertex(nFeature, vertex(nIndex + 1), v[nIndex + 1], p);
    if (!skipped(nIndex) && !skipped(nIndex + 1) && !shape.StartsHole(nIndex + 1))
        nearest.Segment(nFeature, nIndex, v[nIndex], v[nIndex + 1], p, dTolerance);
}

// The items of a shape: its segments, or its vertices when it has none.
int ItemCount(const CShape& shape, ShapeType nShapeType)
{
    const int count = shape.GetSize();
    return nShapeType == SHAPE_POINT || count < 2 ? count : count - 1;
}

void VisitShape(Nearest& nearest, const CShape& shape, ShapeType nShapeType, int nFeature, int nSkip, ImagePoint p,
                double dTolerance)
{
    const int items = ItemCount(shape, nShapeType);
    for (int i = 0; i < items; ++i)
        VisitItem(nearest, shape, nShapeType, nFeature, i, nSkip, p, dTolerance);
}

// Cells a side, in image pixels: about two items a cell on average, and
// never so small that a short segment spans many.
const double kSmallestCell = 16.0;
// An item over more cells than this is looked at for every snap instead.
const long long kMostCellsAnItem = 64;
}   // namespace

ImagePoint ClientPointToImage(int x, int y, int nScrollX, int nScrollY, int nZoom)
{
    return ImagePoint{(static_cast<double>(x) + nScrollX) / nZoom, (static_cast<double>(y) + nScrollY) / nZoom};
}

double ImageTolerance(int nScreenPixels, int nZoom) { return static_cast<double>(nScreenPixels) / nZoom; }

FeatureHit HitShape(const CShape& shape, ShapeType nShapeType, ImagePoint p, double dTolerance)
{
    Nearest nearest{{}, {}, dTolerance * dTolerance};
    VisitShape(nearest, shape, nShapeType, -1, -1, p, dTolerance);
    return nearest.Result();
}

int CSnapIndex::Column(double x) const
{
    const double c = std::floor((x - m_dLeft) / m_dCell);
    return c < -1 ? -1 : c > m_nColumns ? m_nColumns : static_cast<int>(c);
}

int CSnapIndex::Row(double y) const
{
    const double r = std::floor((y - m_dTop) / m_dCell);
    return r < -1 ? -1 : r > m_nRows ? m_nRows : static_cast<int>(r);
}

void CSnapIndex::Build(const CShapeArray& features, ShapeType nShapeType)
{
    *this = CSnapIndex();
    long long items = 0;
    double left = 0, top = 0, right = -1, bottom = -1;
    for (int f = 0; f < features.GetSize(); ++f)
    {
        items += ItemCount(features.GetAt(f), nShapeType);
        for (const CShapeVertex& v : features.GetAt(f).Vertices())
        {
            if (right < left)
                left = right = v.x, top = bottom = v.y;
            left = std::fmin(left, v.x), right = std::fmax(right, v.x);
            top = std::fmin(top, v.y), bottom = std::fmax(bottom, v.y);
        }
    }
    if (items == 0)
        return;
    const double area = (right - left + 1) * (bottom - top + 1);
    m_dCell = std::fmax(kSmallestCell, std::sqrt(2.0 * area / static_cast<double>(items)));
    m_dLeft = left;
    m_dTop = top;
    m_nColumns = static_cast<int>((right - left) / m_dCell) + 1;
    m_nRows = static_cast<int>((bottom - top) / m_dCell) + 1;
    m_start.assign(static_cast<size_t>(m_nColumns) * m_nRows + 1, 0);
    // Twice over the items: how many each cell holds, then the items in their place.
    for (int pass = 0; pass < 2; ++pass)
    {
        std::vector<size_t> next;
        if (pass == 1)
        {
            for (size_t cell = 1; cell < m_start.size(); ++cell)
                m_start[cell] += m_start[cell - 1];
            m_items.resize(m_start.back());
            next.assign(m_start.begin(), m_start.end() - 1);
        }
        for (int f = 0; f < features.GetSize(); ++f)
        {
            const std::vector<CShapeVertex>& v = features.GetAt(f).Vertices();
            const int count = ItemCount(features.GetAt(f), nShapeType);
            for (int i = 0; i < count; ++i)
            {
                const CShapeVertex a = v[i], b = nShapeType == SHAPE_POINT || i + 1 >= static_cast<int>(v.size()) ||
                                                         features.GetAt(f).StartsHole(i + 1)
                                                     ? a
                                                     : v[i + 1];
                const int c0 = Column(std::fmin(a.x, b.x)), c1 = Column(std::fmax(a.x, b.x));
                const int r0 = Row(std::fmin(a.y, b.y)), r1 = Row(std::fmax(a.y, b.y));
                if (static_cast<long long>(c1 - c0 + 1) * (r1 - r0 + 1) > kMostCellsAnItem)
                {
                    if (pass == 1)
                        m_wide.push_back({f, i});
                    continue;
                }
                for (int r = r0; r <= r1; ++r)
                    for (int c = c0; c <= c1; ++c)
                    {
                        const size_t cell = static_cast<size_t>(r) * m_nColumns + c;
                        if (pass == 0)
                            ++m_start[cell + 1];
                        else
                            m_items[next[cell]++] = {f, i};
                    }
            }
        }
    }
}

FeatureHit FindSnap(const SnapSources& sources, ImagePoint p, double dTolerance)
{
    Nearest nearest{{}, {}, dTolerance * dTolerance};
    auto skip = [&](int f) { return f == sources.nSkipFeature ? sources.nSkipVertex : -1; };
    if (sources.pFeatures && sources.pIndex)
        sources.pIndex->ForEachNear(p, dTolerance, [&](const CSnapIndex::Item& item) {
            if (item.nFeature < sources.pFeatures->GetSize())
                VisitItem(nearest, sources.pFeatures->GetAt(item.nFeature), sources.nShapeType, item.nFeature,
                          item.nIndex, skip(item.nFeature), p, dTolerance);
        });
    else if (sources.pFeatures)
        for (int i = 0; i < sources.pFeatures->GetSize(); ++i)
            VisitShape(nearest, sources.pFeatures->GetAt(i), sources.nShapeType, i, skip(i), p, dTolerance);
    if (sources.pCurrent)
    {
        // Its vertices only: its last segment is still to be drawn.
        const std::vector<CShapeVertex>& v = sources.pCurrent->Vertices();
        for (size_t i = 0; i < v.size(); ++i)
            nearest.Vertex(-1, static_cast<int>(i), v[i], p);
    }
    if (sources.pPoints)
        for (size_t i = 0; i < sources.pPoints->size(); ++i)
            nearest.Vertex(-1, static_cast<int>(i), (*sources.pPoints)[i], p);
    return nearest.Result();
}

bool ParseSnapTolerance(const char* pszText, int* pnPixels)
{
    while (*pszText == ' ')
        ++pszText;
    if (*pszText < '0' || *pszText > '9')
        return false;
    char* pEnd = nullptr;
    errno = 0;
    const long value = std::strtol(pszText, &pEnd, 10);
    while (*pEnd == ' ')
        ++pEnd;
    if (errno != 0 || *pEnd != '\0' || value < 1 || value > kLargestSnapTolerance)
        return false;
    *pnPixels = static_cast<int>(value);
    return true;
}
