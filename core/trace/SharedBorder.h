// A border shared with a neighbouring feature: when the last two vertices
// of the feature being digitised were snapped onto two vertices of a
// finished feature, the vertices between them are taken from it exactly,
// so that the two borders are the same vertices in the saved file.
#pragma once

#include <vector>

#include "core/shape/Shape.h"

struct NeighbourStretch
{
    int nFeature = -1;
    // The neighbour's vertices strictly between the two, in order from the
    // first to the second; none when they are next to each other.
    std::vector<CShapeVertex> between;
    bool bTwoWays = false;   // a ring, which could be followed the other way round
};

// The stretch from a to b along a finished feature that has both as
// vertices: around a polygon's ring the shorter way (bOtherWay: the longer),
// along a line the one way there is. Where several features have both, the
// shortest stretch of all (of those as short, the one with most vertices). False when none has both, or a and b are one.
bool FindNeighbourStretch(const CShapeArray& features, ShapeType nShapeType, CShapeVertex a, CShapeVertex b,
                          bool bOtherWay, NeighbourStretch* pStretch);
