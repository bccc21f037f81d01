// Which vertex or segment of the features lies under the mouse, for vertex
// editing and snapping. Points are in image pixels, continuous: vertex
// (c, r) sits where the view draws it, at the corner of pixel (c, r), and a
// client point at zoom z lies at (client + scroll) / z. Tolerances are in
// image pixels too, so that the caller says what its screen tolerance
// covers at the current zoom (ImageTolerance).
#pragma once

#include <vector>

#include "core/shape/Shape.h"

struct ImagePoint
{
    double x;
    double y;
};

// The image position of client point (x, y) at nZoom screen pixels per
// image pixel, scrolled to (nScrollX, nScrollY).
ImagePoint ClientPointToImage(int x, int y, int nScrollX, int nScrollY, int nZoom);
// The image pixels nScreenPixels span at nZoom.
double ImageTolerance(int nScreenPixels, int nZoom);

enum class HitKind
{
    None,
    Vertex,    // nVertex: an editable vertex (a ring's closing copy is its vertex 0)
    Segment,   // nVertex: the segment from stored vertex nVertex to the next
};

struct FeatureHit
{
    HitKind nKind = HitKind::None;
    int nFeature = -1;          // the feature's index, -1 for a control point or the feature being digitised
    int nVertex = -1;           // see HitKind; for a control point, its index
    CShapeVertex at = {0, 0};   // the vertex, or the pixel nearest the point on the segment
    double dDistance = 0.0;     // from the point, in image pixels
};

// The vertex of shape nearest p within dTolerance, else its nearest segment
// within dTolerance: a vertex beats a segment even when the segment is nearer.
FeatureHit HitShape(const CShape& shape, ShapeType nShapeType, ImagePoint p, double dTolerance);

// Where the finished features' vertices and segments lie, on a grid of
// square cells, so that a snap looks only at those near the cursor: a scan
// of 100,000 features takes a frame or more (bench/snap.cpp). Built from
// the features as they are; build it again after they change.
class CSnapIndex
{
public:
    void Build(const CShapeArray& features, ShapeType nShapeType);

    // One vertex (a point feature's, a lone vertex's) or one segment, from
    // stored vertex nIndex to the next.
    struct Item
    {
        int nFeature;
        int nIndex;
    };
    // Calls visit(item) for every item whose box comes within dReach of p;
    // an item may come more than once.
    template <class Visit>
    void ForEachNear(ImagePoint p, double dReach, Visit visit) const
    {
        for (const Item& item : m_wide)
            visit(item);
        if (m_nColumns == 0 || m_nRows == 0)
            return;
        const int c0 = Column(p.x - dReach), c1 = Column(p.x + dReach);
        const int r0 = Row(p.y - dReach), r1 = Row(p.y + dReach);
        for (int r = r0 < 0 ? 0 : r0; r <= r1 && r < m_nRows; ++r)
            for (int c = c0 < 0 ? 0 : c0; c <= c1 && c < m_nColumns; ++c)
            {
                const size_t cell = static_cast<size_t>(r) * m_nColumns + c;
                for (size_t k = m_start[cell]; k < m_start[cell + 1]; ++k)
                    visit(m_items[k]);
            }
    }

private:
    int Column(double x) const;
    int Row(double y) const;

    double m_dLeft = 0.0, m_dTop = 0.0, m_dCell = 1.0;
    int m_nColumns = 0, m_nRows = 0;
    std::vector<size_t> m_start;   // of each cell's items in m_items, and the end
    std::vector<Item> m_items;
    std::vector<Item> m_wide;   // items over too many cells: looked at every time
};

// What a snap looks at: the finished features, the control points' markers
// and the feature being digitised (either may be null), and a vertex that
// is moving and so is no target (nor the segments it ends).
struct SnapSources
{
    const CShapeArray* pFeatures = nullptr;
    ShapeType nShapeType = SHAPE_POLYLINE;
    const std::vector<CShapeVertex>* pPoints = nullptr;
    const CShape* pCurrent = nullptr;
    int nSkipFeature = -1;
    int nSkipVertex = -1;
    // Built from *pFeatures as they now are; without it every feature is looked at.
    const CSnapIndex* pIndex = nullptr;
};

// Where a click at p snaps within dTolerance: the nearest vertex (of a
// feature, a control point or the feature being digitised), else the
// nearest point of a segment rounded to its pixel; HitKind::None when
// nothing is that near. Vertices beat segments.
FeatureHit FindSnap(const SnapSources& sources, ImagePoint p, double dTolerance);

// The snap tolerance the user typed: whole screen pixels from 1 to 100.
bool ParseSnapTolerance(const char* pszText, int* pnPixels);
