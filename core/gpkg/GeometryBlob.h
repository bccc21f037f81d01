// A feature's geometry as a GeoPackage stores it: the "GP" header (version,
// flags, coordinate system, envelope) followed by little-endian ISO WKB.
#pragma once

#include <string>

#include "core/shape/VectorLayer.h"

// A feature's extent in map units.
struct CEnvelope
{
    double minX = 0.0, maxX = 0.0, minY = 0.0, maxY = 0.0;
    bool bEmpty = true;
    void Add(double x, double y);
    void Add(const CEnvelope& other);
};

// The geometry type name of a layer's geometry column: the single kind
// (POINT, LINESTRING, POLYGON) when every feature is one, else the multi kind.
std::string GeometryTypeName(const CVectorLayer& layer);

// The blob of a feature of the layer, bMulti as GeometryTypeName chose;
// empty (the column's NULL) for a null geometry. *pEnvelope is its extent.
// A polygon's rings are grouped as a Shapefile means them (a clockwise ring
// starts a polygon, an anticlockwise one is a hole of the polygon around
// it) and written exterior anticlockwise, holes clockwise, closed.
std::string GeometryBlob(const CVectorFeature& feature, GeometryKind nKind, bool bMulti, bool bHasZ, int nSrsId,
                         CEnvelope* pEnvelope);

// The layer kind a GeoPackage geometry column's type name means; None for
// GEOMETRY and the other types, whose kind the features tell.
GeometryKind KindOfGeometryTypeName(const std::string& strTypeName);

// Decodes a GeoPackage geometry blob (either byte order, with or without an
// envelope; ISO or extended WKB, Z and M kept) into pFeature's parts in the
// Shapefile's sense (polygon exteriors clockwise, holes anticlockwise).
// *pnKind is the geometry's kind (None for an empty geometry or one of no
// layer kind); *pbOtherKind says it was of no layer kind (a collection, a
// curve); *pbHasZ whether it carried heights. False when the blob is damaged.
bool DecodeGeometryBlob(const unsigned char* pBlob, size_t cbBlob, CVectorFeature* pFeature, GeometryKind* pnKind,
                        bool* pbHasZ, bool* pbOtherKind);
