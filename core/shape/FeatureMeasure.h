// The size of a finished feature on the map, as the Features window shows
// it: a polyline's length, a polygon's area, in the units of the typed map
// coordinates (square units for an area).
#pragma once

#include "core/georef/GeoRefArray.h"
#include "core/shape/Shape.h"

// False, with nothing stored, for a point feature, a feature of no vertex,
// or when no fit is in force to convert the pixels.
bool MeasureFeature(const CShape& shape, int nShapeType, const CGeoRefArray& geoRef, double* pdValue);
