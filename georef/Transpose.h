// Transpose: a north-up copy of the image, aligned with the map axes, made by
// sending every image pixel through the fitted transformation (forward
// mapping), and the 24-bit bottom-up DIB rows the clipboard copy is built from.
#pragma once

#include <cstddef>
#include <memory>

#include "georef/GeoRefArray.h"
#include "georef/PortableTypes.h"

// The map rectangle of one resampling and the grid laid over it. x0/y0 is
// where the first column/row starts, x1/y1 where the grid ends on the
// right/at the bottom (y1 < y0 for a north-up image).
struct CTransposeExtents
{
    double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;
    int outW = 0, outH = 0;
};

// The resampled image with the extents it was made with, so that showing it
// again writes the world file of this very image.
struct CTransposedImage
{
    std::unique_ptr<unsigned char[]> pPixels; // outW x outH x RGB, top row first, no padding
    CTransposeExtents extents;

    int Width() const { return extents.outW; }
    int Height() const { return extents.outH; }
};

enum TransposeStatus
{
    TRANSPOSE_OK = 0,
    TRANSPOSE_NO_IMAGE,        // no pixels, or a width or height below 1
    TRANSPOSE_NOT_FITTED,      // no valid transformation
    TRANSPOSE_NO_POINTS,       // crop asked without control points
    TRANSPOSE_SAME_COLUMN,     // crop: all control points in one pixel column (outW 0)
    TRANSPOSE_SAME_ROW,        // crop: all control points in one pixel row (outH 0)
    TRANSPOSE_SAME_MAP_X,      // x1 = x0
    TRANSPOSE_SAME_MAP_Y,      // y1 = y0
    TRANSPOSE_BAD_MAP_EXTENTS, // an extent is infinite or not a number
    TRANSPOSE_TOO_LARGE,       // more than kMaxTransposedPixels cells
    TRANSPOSE_OUT_OF_MEMORY,
};

// The largest resampled image we attempt: 256 Mi cells (768 MiB). Beyond it
// the 32-bit program could not hold the image and its clipboard copy anyway,
// and a failed allocation of that size must not be the way we find out.
const long long kMaxTransposedPixels = 256LL * 1024 * 1024;

// The words shown to the user when a run is refused; never empty except for
// TRANSPOSE_OK.
const char* TransposeStatusText(TransposeStatus status);

// The extents and output size of a run. Whole image (bCropToPoints FALSE):
// the map positions of the top-left and bottom-right pixels, outW = nHeight
// and outH = nWidth (the output's width is the source's height). Crop: the
// bounding box of the control points' map coordinates (y0 the largest map Y)
// and the span of their pixel columns and rows, without adding 1.
// Refuses degenerate extents and outputs above kMaxTransposedPixels.
TransposeStatus CalcTransposeExtents(const CGeoRefArray& geoRef, int nWidth, int nHeight,
                                     BOOL bCropToPoints, CTransposeExtents* pExtents);

// Forward mapping of every source pixel, columns from the left, each from the
// top: pixel (x, y) goes to cell (i, j) = the truncated grid position of its
// map coordinates, and is copied into (i + 1, j), (i, j + 1) and (i, j), in
// that order, where these lie inside the grid; later copies overwrite
// earlier ones. Cells must hold outW x outH x 3 bytes; cells that no pixel
// reaches keep what they held. Uses cos and sin of the rotation once; the
// cells come out identical to ResampleNorthUpPerPixel. Returns FALSE (cells
// untouched) when its per-row tables cannot be allocated.
BOOL ResampleNorthUp(const unsigned char* pSource, int nWidth, int nHeight,
                     const CPixelToMapTransform& transform, const CTransposeExtents& extents,
                     unsigned char* pCells);

// How many source columns ResampleNorthUp advances side by side for this
// grid (1: one column after the other), for tests and benchmarks.
int ResampleStripColumns(const CPixelToMapTransform& transform, const CTransposeExtents& extents,
                         int nWidth, int nHeight);

// The same, one PixelToMap call a pixel: the plain statement of the
// algorithm that the fast path is checked against.
void ResampleNorthUpPerPixel(const unsigned char* pSource, int nWidth, int nHeight,
                             const CGeoRefArray& geoRef, const CTransposeExtents& extents,
                             unsigned char* pCells);

// The whole run: extents, a white grid, the resampling. pSource is nWidth x
// nHeight RGB pixels, top row first, no padding. On any refusal pResult is
// left empty and the status says why.
TransposeStatus TransposeImage(const unsigned char* pSource, int nWidth, int nHeight,
                               const CGeoRefArray& geoRef, BOOL bCropToPoints,
                               CTransposedImage* pResult);

// Rows of a bottom-up 24-bit DIB: blue, green, red, each row padded with
// zeros to a multiple of 4 bytes, the bottom image row first.
size_t DibRowStride(int nWidth);
// Bytes of the DIB's pixel block; FALSE when a size is below 1 or the block
// would not fit in memory on this platform.
BOOL DibImageSize(int nWidth, int nHeight, size_t* pcbImage);
// Fills pBits (DibImageSize bytes) from RGB pixels, top row first.
void FillBottomUpDib(const unsigned char* pRgb, int nWidth, int nHeight, unsigned char* pBits);
