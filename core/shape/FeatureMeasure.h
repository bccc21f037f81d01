// The size of a finished feature on the map, as the Features window shows
// it: a polyline's length, a polygon's area, in the units of the typed map
// coordinates (square units for an area).
#pragma once

#include <vector>

#include "core/georef/GeoRefArray.h"
#include "core/shape/Shape.h"

// False, with nothing stored, for a point feature, a feature of no vertex,
// or when no fit is in force to convert the pixels.
bool MeasureFeature(const CShape& shape, ShapeType nShapeType, const CGeoRefArray& geoRef, double* pdValue);

// Twice the signed area of a ring given as x, y pairs in map units:
// positive when its vertices run anticlockwise. Taken about the first
// vertex, so that large eastings and northings do not swamp the small
// differences that make up the area.
double TwiceSignedArea(const std::vector<double>& xy);
