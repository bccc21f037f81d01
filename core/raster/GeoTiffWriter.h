// The GeoTIFF export: a north-up, tiled RGBA image of the scan made by
// inverse mapping through the document's fit, with its georeference
// (ModelPixelScale, ModelTiepoint, RasterPixelIsArea and the coordinate
// system's EPSG code) and internal overviews.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/georef/AffineTransform.h"
#include "core/georef/CrsRef.h"
#include "core/io/FileSystem.h"
#include "core/raster/GeoTiffGrid.h"
#include "core/raster/Resample.h"
#include "core/raster/RgbImage.h"

enum GeoTiffCompression
{
    GEOTIFF_DEFLATE = 0,        // lossless, RGBA with the horizontal predictor
    GEOTIFF_JPEG = 1,           // YCbCr JPEG of the colours and a 1-bit DEFLATE mask of the cells inside the scan
    GEOTIFF_UNCOMPRESSED = 2,   // RGBA as it is
};

struct CGeoTiffOptions
{
    ResampleMethod nResampling = RESAMPLE_BILINEAR;
    GeoTiffCompression nCompression = GEOTIFF_DEFLATE;
    int nJpegQuality = 75;   // 1 to 100
    int nThreads = 0;        // 0: every core of the machine
};

const int kGeoTiffTileSize = 256;

// Called on the caller's thread between bands of tiles with the part done
// (0 to 1); returning false cancels the export.
using GeoTiffProgress = std::function<bool(double dDone)>;

// The sizes of the overviews of a width x height image: halves (rounded
// up) of the one before, until the smaller side is 256 cells or fewer.
std::vector<std::pair<int, int>> GeoTiffOverviewSizes(int nWidth, int nHeight);

// The grid's cells (their centres) mapped to scan pixel positions: the grid
// to the map, then the inverse of the fit. False when the fit has no inverse.
bool GridToScanPixels(const CAffineTransform& fit, const CGeoTiffGrid& grid, CAffineTransform* pCellToPixel);

// Writes the whole GeoTIFF into file (which it does not close). The work is
// split into bands of tile rows whose tiles are made and compressed on
// options.nThreads threads; the bytes are the same for any thread count.
// Memory beyond the scan: one band of tiles and the overviews.
// With pWarp, a fit that is not affine, the cells are taken back to the scan
// through it (fit is then its affine form, only checked for an inverse).
GeoTiffStatus WriteGeoTiff(CFile& file, const CRgbImage& scan, const CAffineTransform& fit, const CGeoTiffGrid& grid,
                           const CCrsRef& crs, const CGeoTiffOptions& options,
                           const GeoTiffProgress& progress = nullptr, const CWarpTransform* pWarp = nullptr);

// The export as a file: written to a temporary beside strPath, flushed to
// the disk, which then replaces strPath in one step. A cancel or any
// failure leaves no new file and strPath as it was.
GeoTiffStatus ExportGeoTiff(CFileSystem& files, const std::string& strPath, const CRgbImage& scan,
                            const CAffineTransform& fit, const CGeoTiffGrid& grid, const CCrsRef& crs,
                            const CGeoTiffOptions& options, const GeoTiffProgress& progress = nullptr,
                            const CWarpTransform* pWarp = nullptr);
