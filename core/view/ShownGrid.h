// The grid of the image on show against the scan's full-resolution grid. A
// scan too large for the process is shown at a reduced level, but control
// points, features and everything saved or typed stay in full-resolution
// pixels; only painting and resampling work in the shown pixels.
#pragma once

#include "core/georef/GeoRefArray.h"
#include "core/raster/ScanFile.h"

struct ImagePixel
{
    int column;
    int row;
};

struct CShownGrid
{
    int nFullWidth = 0, nFullHeight = 0;
    // Full-resolution pixels one shown pixel spans on each axis.
    double dScaleX = 1.0, dScaleY = 1.0;

    bool IsReduced() const { return dScaleX != 1.0 || dScaleY != 1.0; }
};

// The grid of shown, a level of a scan whose full image is full.
CShownGrid ShownGridOf(const CScanLevel& full, const CScanLevel& shown);

// The n of "1/n resolution" the user is told: the larger scale, rounded.
int ShownResolutionDenominator(const CShownGrid& grid);

// The full-resolution pixel of shown pixel (column, row): the one under its
// centre, so that a click lands within half a shown pixel of where it
// would on the full image. The identity at full resolution.
ImagePixel ShownToFull(const CShownGrid& grid, int column, int row);

// The shown pixel that holds full-resolution pixel (x, y): where its
// marker or vertex is drawn. ShownToFull's inverse for every shown pixel.
ImagePixel FullToShown(const CShownGrid& grid, int x, int y);

// The georeference of the shown image for resampling it (Transpose, the
// GeoTIFF export): the fit of full, as an affine model, taken through the
// shown pixels' centres, and the control points moved to the shown pixels
// that hold them. full itself at full resolution.
CGeoRefArray ShownGeoRef(const CGeoRefArray& full, const CShownGrid& grid, int nShownHeight);
