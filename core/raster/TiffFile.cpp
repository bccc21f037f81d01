#include "core/raster/TiffFile.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "core/io/MemoryFile.h"

namespace
{

tmsize_t ReadProc(thandle_t h, void* pData, tmsize_t cb)
{
    return static_cast<tmsize_t>(static_cast<CFile*>(h)->Read(pData, static_cast<size_t>(cb)));
}

tmsize_t WriteProc(thandle_t h, void* pData, tmsize_t cb)
{
    return static_cast<tmsize_t>(static_cast<CFile*>(h)->Write(pData, static_cast<size_t>(cb)));
}

toff_t SeekProc(thandle_t h, toff_t offset, int whence)
{
    CFile* file = static_cast<CFile*>(h);
    // libtiff passes negative relative offsets as their unsigned images:
    // adding them wraps to the right place.
    uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = file->Tell();
    else if (whence == SEEK_END)
        base = file->Size();
    const uint64_t target = base + offset;
    return file->Seek(target) ? target : static_cast<toff_t>(-1);
}

int CloseProc(thandle_t) { return 0; }

toff_t SizeProc(thandle_t h) { return static_cast<CFile*>(h)->Size(); }

int MapProc(thandle_t, void**, toff_t*) { return 0; }

void UnmapProc(thandle_t, void*, toff_t) {}

int KeepError(TIFF*, void* pUser, const char* pszModule, const char* pszFormat, va_list args)
{
    char text[512];
    std::vsnprintf(text, sizeof(text), pszFormat, args);
    std::string* errors = static_cast<std::string*>(pUser);
    if (!errors->empty())
        *errors += "; ";
    *errors += std::string(pszModule ? pszModule : "libtiff") + ": " + text;
    return 1;   // handled: nothing reaches the global handlers
}

int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// The GeoTIFF tags as libgeotiff's xtiff.c declares them: variable counts,
// custom fields, passed with their count.
const TIFFFieldInfo kGeoTiffFields[] = {
    {kTagModelPixelScale, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1,
     const_cast<char*>("ModelPixelScaleTag")},
    {kTagModelTiepoint, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1,
     const_cast<char*>("ModelTiepointTag")},
    {kTagModelTransformation, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1,
     const_cast<char*>("ModelTransformationTag")},
    {kTagGeoKeyDirectory, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_SHORT, FIELD_CUSTOM, 1, 1,
     const_cast<char*>("GeoKeyDirectoryTag")},
};

TIFFExtendProc g_parentExtender = nullptr;

void ExtendDirectory(TIFF* pTiff)
{
    TIFFMergeFieldInfo(pTiff, kGeoTiffFields, sizeof(kGeoTiffFields) / sizeof(kGeoTiffFields[0]));
    if (g_parentExtender)
        g_parentExtender(pTiff);
}

void RegisterOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        g_parentExtender = TIFFSetTagExtender(ExtendDirectory);
        // Messages are kept per handle; nothing may print or pop up a box
        // from a worker thread.
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

}   // namespace

UniqueTiff OpenTiff(CFile& file, const char* pszMode, std::string* pErrors)
{
    RegisterOnce();
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, KeepError, pErrors);
    TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreWarning, nullptr);
    TIFF* tiff = TIFFClientOpenExt("geotiff", pszMode, &file, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                   MapProc, UnmapProc, options);
    TIFFOpenOptionsFree(options);
    return UniqueTiff(tiff);
}

bool SetTileFormatFields(TIFF* t, TileFormat nFormat, int nTileSize, int nWidth, int nHeight, int nJpegQuality)
{
    bool ok = TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(nWidth)) &&
              TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(nHeight)) &&
              TIFFSetField(t, TIFFTAG_TILEWIDTH, static_cast<uint32_t>(nTileSize)) &&
              TIFFSetField(t, TIFFTAG_TILELENGTH, static_cast<uint32_t>(nTileSize)) &&
              TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_UINT);
    switch (nFormat)
    {
    case TILE_MASK_DEFLATE:
        return ok && TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1) && TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1) &&
               TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MASK) &&
               TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    case TILE_YCBCR_JPEG:
    {
        // What libtiff's JPEG codec would have set itself had the tiles been
        // compressed in this file.
        float referenceBlackWhite[6] = {0.0f, 255.0f, 128.0f, 255.0f, 128.0f, 255.0f};
        return ok && TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8) && TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3) &&
               TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_JPEG) &&
               TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR) &&
               TIFFSetField(t, TIFFTAG_YCBCRSUBSAMPLING, 2, 2) &&
               TIFFSetField(t, TIFFTAG_REFERENCEBLACKWHITE, referenceBlackWhite) &&
               TIFFSetField(t, TIFFTAG_JPEGQUALITY, nJpegQuality) &&
               // RGB in, converted and subsampled by the codec.
               TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
    default:
    {
        uint16_t alpha[1] = {EXTRASAMPLE_UNASSALPHA};
        ok = ok && TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8) && TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 4) &&
             TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) && TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, alpha);
        if (nFormat == TILE_RGBA_RAW)
            return ok && TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        // zlib's level 4, the fastest of its lazy-matching levels: on scans
        // its default of 6 takes about three times as long for files 1% smaller.
        return ok && TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE) &&
               TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL) && TIFFSetField(t, TIFFTAG_ZIPQUALITY, 4);
    }
    }
}

CTileEncoder::CTileEncoder(TileFormat nFormat, int nTileSize, int nJpegQuality)
    : m_nFormat(nFormat), m_nTileSize(nTileSize), m_nJpegQuality(nJpegQuality)
{
}

bool CTileEncoder::Encode(const unsigned char* pSamples, size_t cbSamples, std::string* pOut)
{
    m_scratch.clear();
    CMemoryFile file(&m_scratch);
    UniqueTiff tiff = OpenTiff(file, "wl", &m_errors);
    if (!tiff || !SetTileFormatFields(tiff.get(), m_nFormat, m_nTileSize, m_nTileSize, m_nTileSize, m_nJpegQuality))
        return false;
    // libtiff reads the samples only (it encodes from copies), whatever its
    // signature says.
    if (TIFFWriteEncodedTile(tiff.get(), 0, const_cast<unsigned char*>(pSamples), static_cast<tmsize_t>(cbSamples)) < 0)
        return false;
    uint64_t* offsets = nullptr;
    uint64_t* counts = nullptr;
    if (!TIFFGetField(tiff.get(), TIFFTAG_TILEOFFSETS, &offsets) ||
        !TIFFGetField(tiff.get(), TIFFTAG_TILEBYTECOUNTS, &counts) || !offsets || !counts ||
        offsets[0] + counts[0] > m_scratch.size())
        return false;
    pOut->assign(m_scratch, static_cast<size_t>(offsets[0]), static_cast<size_t>(counts[0]));
    if (m_nFormat == TILE_YCBCR_JPEG && m_jpegTables.empty())
    {
        uint32_t cbTables = 0;
        void* tables = nullptr;
        if (!TIFFGetField(tiff.get(), TIFFTAG_JPEGTABLES, &cbTables, &tables) || !tables)
            return false;
        m_jpegTables.assign(static_cast<const char*>(tables), cbTables);
    }
    return true;
}
