// Transpose: a north-up copy of the image, aligned with the map axes, made by
// sending every image pixel through the fitted transformation (forward
// mapping).
#pragma once

#include <functional>

#include "core/georef/GeoRefArray.h"
#include "core/georef/TransposeExtents.h"
#include "core/raster/RgbImage.h"

// The resampled image (outW x outH) with the extents it was made with, so
// that showing it again writes the world file of this very image.
class CTransposedImage : public CRgbImage
{
public:
    CTransposeExtents extents;
};

enum TransposeStatus
{
    TRANSPOSE_OK = 0,
    TRANSPOSE_NO_IMAGE,          // no pixels, or a width or height below 1
    TRANSPOSE_NOT_FITTED,        // no valid transformation
    TRANSPOSE_NO_POINTS,         // crop asked without control points
    TRANSPOSE_SAME_COLUMN,       // crop: all control points in one pixel column (outW 0)
    TRANSPOSE_SAME_ROW,          // crop: all control points in one pixel row (outH 0)
    TRANSPOSE_SAME_MAP_X,        // x1 = x0
    TRANSPOSE_SAME_MAP_Y,        // y1 = y0
    TRANSPOSE_BAD_MAP_EXTENTS,   // an extent is infinite or not a number
    TRANSPOSE_TOO_LARGE,         // more than kMaxTransposedPixels cells
    TRANSPOSE_OUT_OF_MEMORY,
};

// The largest resampled image we attempt: 256 Mi cells (768 MiB). Beyond it
// the 32-bit program could not hold the image and its clipboard copy anyway,
// and a failed allocation of that size must not be the way we find out.
const long long kMaxTransposedPixels = 256LL * 1024 * 1024;
// The 64-bit program's: 4 Gi cells (12 GiB), more than any whole JPEG
// (65,535 pixels a side) has; whether memory holds it is told by the
// allocation.
const long long kMaxTransposedPixels64 = 4LL * 1024 * 1024 * 1024;

// How a run is made: its limit, its threads, its progress.
struct CTransposeOptions
{
    long long nMaxPixels = kMaxTransposedPixels;
    int nThreads = 0;   // 0: one a core
    // Told the share of the resampling done, from 0 to 1, from any of the
    // working threads.
    std::function<void(double done)> progress;
};

// The extents and output size of a run. Whole image (bCropToPoints false):
// the map positions of the top-left and bottom-right pixels, outW = nHeight
// and outH = nWidth (the output's width is the source's height). Crop: the
// bounding box of the control points' map coordinates (y0 the largest map Y)
// and the span of their pixel columns and rows, without adding 1.
// Refuses degenerate extents and outputs above nMaxPixels.
TransposeStatus CalcTransposeExtents(const CGeoRefArray& geoRef, int nWidth, int nHeight, bool bCropToPoints,
                                     CTransposeExtents* pExtents, long long nMaxPixels = kMaxTransposedPixels);

// Forward mapping of every source pixel, columns from the left, each from the
// top: pixel (x, y) goes to cell (i, j) = the truncated grid position of its
// map coordinates, and is copied into (i + 1, j), (i, j + 1) and (i, j), in
// that order, where these lie inside the grid; later copies overwrite
// earlier ones. Cells must hold outW x outH x 3 bytes; cells that no pixel
// reaches keep what they held. Uses cos and sin of the rotation once; the
// cells come out identical to ResampleNorthUpPerPixel whatever the number
// of threads (0: one a core), each of which makes a band of output rows.
// Returns false (cells untouched) when its per-row tables cannot be allocated.
bool ResampleNorthUp(const unsigned char* pSource, int nWidth, int nHeight, const CPixelToMapTransform& transform,
                     const CTransposeExtents& extents, unsigned char* pCells, int nThreads = 1);

// How many source columns ResampleNorthUp advances side by side for this
// grid (1: one column after the other), for tests and benchmarks.
int ResampleStripColumns(const CPixelToMapTransform& transform, const CTransposeExtents& extents, int nWidth,
                         int nHeight);

// The same, one PixelToMap call a pixel: the simplest form of the
// algorithm, which the fast path is checked against.
void ResampleNorthUpPerPixel(const unsigned char* pSource, int nWidth, int nHeight, const CGeoRefArray& geoRef,
                             const CTransposeExtents& extents, unsigned char* pCells);

// The whole run: extents, a white grid, the resampling. pSource is nWidth x
// nHeight RGB pixels, top row first, no padding. On any refusal pResult is
// left empty and the status says why.
TransposeStatus TransposeImage(const unsigned char* pSource, int nWidth, int nHeight, const CGeoRefArray& geoRef,
                               bool bCropToPoints, CTransposedImage* pResult,
                               const CTransposeOptions& options = CTransposeOptions());
