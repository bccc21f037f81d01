#include "core/trace/SharedBorder.h"

#include <cmath>

#include "core/shape/VertexEdit.h"

namespace
{
int IndexOf(const std::vector<CShapeVertex>& vertices, int nCount, CShapeVertex v)
{
    for (int i = 0; i < nCount; ++i)
        if (vertices[i] == v)
            return i;
    return -1;
}

// The vertices from index i to index j (both included) stepping by nStep
// around the first nCount vertices, and their length.
double Walk(const std::vector<CShapeVertex>& vertices, int nCount, int i, int j, int nStep,
            std::vector<CShapeVertex>* pBetween)
{
    double length = 0.0;
    pBetween->clear();
    for (int k = i; k != j;)
    {
        const int next = (k + nStep + nCount) % nCount;
        length += std::hypot(vertices[next].x - vertices[k].x, vertices[next].y - vertices[k].y);
        if (next != j)
            pBetween->push_back(vertices[next]);
        k = next;
    }
    return length;
}
}   // namespace

bool FindNeighbourStretch(const CShapeArray& features, ShapeType nShapeType, CShapeVertex a, CShapeVertex b,
                          bool bOtherWay, NeighbourStretch* pStretch)
{
    if (a == b || nShapeType == SHAPE_POINT)
        return false;
    double best = 0.0;
    bool found = false;
    std::vector<CShapeVertex> forward, backward;
    for (int f = 0; f < features.GetSize(); ++f)
    {
        // The walk round a ring would run from one ring of a holed polygon into the next.
        if (features.GetAt(f).RingCount() > 1)
            continue;
        const std::vector<CShapeVertex>& vertices = features.GetAt(f).Vertices();
        const bool ring = IsClosedRing(vertices, nShapeType);
        const int count = EditableVertexCount(vertices, nShapeType);
        const int i = IndexOf(vertices, count, a), j = IndexOf(vertices, count, b);
        if (i < 0 || j < 0)
            continue;
        double length;
        const std::vector<CShapeVertex>* pWay;
        if (ring)
        {
            const double ahead = Walk(vertices, count, i, j, 1, &forward);
            const double back = Walk(vertices, count, i, j, -1, &backward);
            const bool takeAhead = (ahead <= back) != bOtherWay;
            length = takeAhead ? ahead : back;
            pWay = takeAhead ? &forward : &backward;
        }
        else
        {
            // Along a line there is no way round; no walk past its ends.
            length = Walk(vertices, count, i, j, i < j ? 1 : -1, &forward);
            pWay = &forward;
        }
        // Of borders as long, the one with more corners: the other may be an edge drawn straight past them.
        if (!found || length < best || (length == best && pWay->size() > pStretch->between.size()))
        {
            found = true;
            best = length;
            pStretch->nFeature = f;
            pStretch->between = *pWay;
            pStretch->bTwoWays = ring;
        }
    }
    return found;
}
