// The document's store of finished features and its georeference, with the
// Shapefile (.shp, .shx) and dBASE (.dbf) writers.
#pragma once

#include "georef/GeoRefArray.h"
#include "shape/Shape.h"

class CShapeFile
{
public:
    CShapeFile() = default;
    virtual ~CShapeFile() = default;

    CShapeArray m_shapes;
    CGeoRefArray m_geoRef;

    // The writers are added here: WriteShapefile, WriteAttributes, SaveAs...
};
