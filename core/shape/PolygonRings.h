// The rings of a polygon with holes: whether a hole is one a GIS takes
// (inside the outer ring, clear of it and of the other holes), and the
// order of each ring's vertices in map coordinates.
#pragma once

#include <vector>

#include "core/georef/GeoRefArray.h"
#include "core/shape/Shape.h"

enum class HoleCheck
{
    Fits,
    TooFew,    // fewer than three corners, or all on one line
    Outside,   // not inside the outer ring, or crossing or touching it
    Crosses,   // crossing, touching, holding or lying in another hole
};

// Hole nRing (1 or more) of a shape, against its outer ring and the holes
// before it. Rings may be held closed (finished) or open (being digitised).
HoleCheck CheckHole(const CShape& shape, int nRing);
// Every hole of the shape; the first that does not fit decides.
HoleCheck CheckHoles(const CShape& shape);

// The rings of a shape as x, y pairs in map units, in the order a format
// wants them: the outer ring clockwise and the holes anticlockwise when
// bOuterClockwise (the Shapefile), the other way round when not (simple
// features). Each ring comes back closed.
std::vector<std::vector<double>> OrientedRings(const CShape& shape, const CPixelToMapTransform& transform,
                                               bool bOuterClockwise);
