// The north-up grid of a GeoTIFF export: where its top-left corner lies on
// the map, its square cell size and its size in cells.
#pragma once

#include <vector>

#include "core/georef/AffineTransform.h"
#include "core/georef/GeoRefPoint.h"
#include "core/georef/WarpTransform.h"

enum GeoTiffExtent
{
    GEOTIFF_EXTENT_WHOLE_IMAGE = 0,      // the box of the scan's mapped outer corners
    GEOTIFF_EXTENT_CONTROL_POINTS = 1,   // the box of the control points' map coordinates
};

enum GeoTiffStatus
{
    GEOTIFF_OK = 0,
    GEOTIFF_NO_IMAGE,         // no scan pixels
    GEOTIFF_NOT_INVERTIBLE,   // the fit folds the image onto a line, or is not finite
    GEOTIFF_NO_POINTS,        // the control points span no box (fewer than two X or two Y values)
    GEOTIFF_BAD_PIXEL_SIZE,   // not a finite number above zero
    GEOTIFF_BAD_EXTENT,       // map coordinates out of range
    GEOTIFF_TOO_LARGE,        // more than kMaxGeoTiffCells cells, or a side above kMaxGeoTiffSide
    GEOTIFF_BAD_CRS,          // an EPSG code the GeoTIFF keys cannot hold
    GEOTIFF_OUT_OF_MEMORY,
    GEOTIFF_CANNOT_CREATE,   // no file could be made in the target's folder
    GEOTIFF_WRITE_FAILED,    // a write, the close or the final rename failed
    GEOTIFF_CANCELLED,
};

// The largest export we attempt: its overviews are held in memory (a third
// of the cells at four bytes each), which a 32-bit process must still have.
const long long kMaxGeoTiffCells = 1LL << 30;
const int kMaxGeoTiffSide = 1 << 20;

struct CGeoTiffGrid
{
    double dLeft = 0.0;        // map X of the grid's left edge
    double dTop = 0.0;         // map Y of its top edge
    double dPixelSize = 0.0;   // map units a cell, along both axes
    int nWidth = 0;
    int nHeight = 0;
};

// The scan's ground size along its rows: the map distance from one pixel to
// its right neighbour.
double DefaultGeoTiffPixelSize(const CAffineTransform& fit);

// The grid of an export at dPixelSize: its corner is the extent's top-left
// corner, and it has as many whole cells as cover the extent. The whole
// image's extent is the box of the mapped outer corners of the scan's
// corner pixels (pixel (c, r) covers c - 0.5 to c + 0.5 around its centre);
// through a fit that is not affine (pWarp), the box of the scan's outer
// edges mapped at many points, since they need not be straight on the map.
GeoTiffStatus CalcGeoTiffGrid(const CAffineTransform& fit, int nWidth, int nHeight,
                              const std::vector<CGeoRefPoint>& points, GeoTiffExtent nExtent, double dPixelSize,
                              CGeoTiffGrid* pGrid, const CWarpTransform* pWarp = nullptr);
