// libtiff over our files: client procedures on a CFile, the
// GeoTIFF tags registered as custom fields (as libgeotiff's xtiff.c does),
// libtiff's messages kept per handle instead of printed, and the tile
// encoder that compresses one tile in a TIFF of its own in memory so that
// tiles can be compressed on several threads.
#pragma once

#include <tiffio.h>

#include <memory>
#include <string>

#include "core/io/FileSystem.h"

// The GeoTIFF tags.
const ttag_t kTagModelPixelScale = 33550;
const ttag_t kTagModelTiepoint = 33922;
const ttag_t kTagModelTransformation = 34264;
const ttag_t kTagGeoKeyDirectory = 34735;

struct CTiffCloser
{
    // Writes what is pending (a dirty directory) and frees the handle; the
    // file itself stays open with its owner.
    void operator()(TIFF* pTiff) const { TIFFCleanup(pTiff); }
};
using UniqueTiff = std::unique_ptr<TIFF, CTiffCloser>;

// A TIFF handle on file ("w": a new little-endian file, BigTIFF when bBig;
// "r": reading). libtiff's error messages go to *pErrors, which must outlive
// the handle; null when libtiff refuses.
UniqueTiff OpenTiff(CFile& file, const char* pszMode, std::string* pErrors);

// How the tiles of one image are stored.
enum TileFormat
{
    TILE_RGBA_DEFLATE,   // 4 bytes a cell, horizontal predictor
    TILE_RGBA_RAW,       // 4 bytes a cell, uncompressed
    TILE_YCBCR_JPEG,     // 3 bytes a cell (RGB in, YCbCr 4:2:0 in the file)
    TILE_MASK_DEFLATE,   // 1 bit a cell, first cell in the high bit
};

// The tag values that describe tiles of this format, for an image of
// nWidth x nHeight cells (its SubfileType set by the caller).
bool SetTileFormatFields(TIFF* pTiff, TileFormat nFormat, int nTileSize, int nWidth, int nHeight, int nJpegQuality);

// Compresses single tiles as libtiff would inside the file, each in a TIFF
// of its own in memory; one encoder a thread.
class CTileEncoder
{
public:
    CTileEncoder(TileFormat nFormat, int nTileSize, int nJpegQuality);

    // The compressed bytes of one tile (its uncompressed samples, full tile
    // size) in *pOut; false when libtiff failed.
    bool Encode(const unsigned char* pSamples, size_t cbSamples, std::string* pOut);
    // The JPEG tables the tiles' streams refer to (JPEG only, after a tile).
    const std::string& JpegTables() const { return m_jpegTables; }

private:
    TileFormat m_nFormat;
    int m_nTileSize, m_nJpegQuality;
    std::string m_scratch;
    std::string m_jpegTables;
    std::string m_errors;   // libtiff's messages, kept rather than printed
};
