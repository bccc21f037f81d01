// A layer of features in map coordinates with typed attribute fields, as a
// format writer takes it: no pixels, no edits, no file of origin.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/shape/AttributeFields.h"
#include "core/shape/ShapefileLayer.h"

struct CVectorFeature
{
    // As a Shapefile holds them: no part is a null geometry; a point one part
    // of one vertex, a multipoint one part of all; the lines of a polyline;
    // the rings of a polygon, outer rings clockwise and holes anticlockwise.
    std::vector<std::vector<CMapPoint>> parts;
    // One a field, as text in UTF-8 (numbers in the C locale's form); no
    // value is the format's null.
    std::vector<std::optional<std::string>> values;
    int64_t nFid = 0;   // the row's feature id, as read; 0 for a feature not from a file
};

struct CVectorLayer
{
    std::string strName;   // the table's name
    GeometryKind nKind = GeometryKind::None;
    bool bHasZ = false;
    std::vector<CLayerField> fields;
    std::vector<CVectorFeature> features;
};
