#include "core/raster/GeoTiffWriter.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "core/io/StagedWrite.h"
#include "core/parallel/ParallelFor.h"
#include "core/raster/TiffFile.h"

std::vector<std::pair<int, int>> GeoTiffOverviewSizes(int nWidth, int nHeight)
{
    std::vector<std::pair<int, int>> sizes;
    while (std::min(nWidth, nHeight) > kGeoTiffTileSize)
    {
        nWidth = (nWidth + 1) / 2;
        nHeight = (nHeight + 1) / 2;
        sizes.emplace_back(nWidth, nHeight);
    }
    return sizes;
}

bool GridToScanPixels(const CAffineTransform& fit, const CGeoTiffGrid& grid, CAffineTransform* pCellToPixel)
{
    CAffineTransform inverse;
    if (!fit.Invert(&inverse))
        return false;
    // Cell (i, j) has its centre at (left + (i + 0.5) size, top - (j + 0.5) size).
    const double size = grid.dPixelSize;
    const double x = grid.dLeft + 0.5 * size, y = grid.dTop - 0.5 * size;
    CAffineTransform t;
    t.x0 = inverse.x0 + inverse.xPerColumn * x + inverse.xPerRow * y;
    t.xPerColumn = inverse.xPerColumn * size;
    t.xPerRow = -inverse.xPerRow * size;
    t.y0 = inverse.y0 + inverse.yPerColumn * x + inverse.yPerRow * y;
    t.yPerColumn = inverse.yPerColumn * size;
    t.yPerRow = -inverse.yPerRow * size;
    *pCellToPixel = t;
    return true;
}

namespace
{

const int kTile = kGeoTiffTileSize;
const size_t kTileCells = static_cast<size_t>(kTile) * kTile;

// One tile's samples, compressed, and (JPEG) its mask.
struct CEncodedTile
{
    std::string bytes;
    std::string mask;
};

// Makes the RGBA cells of tile (tx, ty) of a level: nWidth x nHeight cells
// at pTile, kTile * 4 bytes a row (the rest of the tile is zero already).
using TileMaker = std::function<void(int tx, int ty, int nWidth, int nHeight, unsigned char* pTile)>;

class CGeoTiffJob
{
public:
    CGeoTiffJob(TIFF* pTiff, const CGeoTiffOptions& options, const GeoTiffProgress& progress, double cellsInAll)
        : m_pTiff(pTiff), m_options(options), m_progress(progress), m_cellsInAll(cellsInAll),
          m_nThreads(options.nThreads > 0 ? options.nThreads : HardwareThreads())
    {
        m_nFormat = options.nCompression == GEOTIFF_JPEG           ? TILE_YCBCR_JPEG
                    : options.nCompression == GEOTIFF_UNCOMPRESSED ? TILE_RGBA_RAW
                                                                   : TILE_RGBA_DEFLATE;
    }

    // One image of the file (full size or an overview) and, for JPEG, its
    // mask after it. extraFields adds the tags only the full-size image has.
    GeoTiffStatus WriteLevel(int nWidth, int nHeight, bool bReduced, const TileMaker& make,
                             const std::function<bool(TIFF*)>& extraFields);

private:
    GeoTiffStatus EncodeBand(int tyFirst, int tyLast, int tilesAcross, int nWidth, int nHeight, const TileMaker& make,
                             std::vector<CEncodedTile>* pTiles);

    TIFF* m_pTiff;
    const CGeoTiffOptions& m_options;
    const GeoTiffProgress& m_progress;
    double m_cellsInAll;
    double m_cellsDone = 0.0;
    int m_nThreads;
    TileFormat m_nFormat;
    std::string m_jpegTables;
};

bool SetSubfileType(TIFF* t, bool bReduced, bool bMask)
{
    return TIFFSetField(t, TIFFTAG_SUBFILETYPE,
                        static_cast<uint32_t>((bReduced ? FILETYPE_REDUCEDIMAGE : 0) | (bMask ? FILETYPE_MASK : 0))) !=
           0;
}

// The samples one tile format wants from a tile of RGBA cells.
void ConvertTile(TileFormat nFormat, const unsigned char* pRgba, unsigned char* pSamples)
{
    if (nFormat == TILE_YCBCR_JPEG)
    {
        for (size_t k = 0; k < kTileCells; ++k)
            std::memcpy(pSamples + 3 * k, pRgba + 4 * k, 3);
    }
    else if (nFormat == TILE_MASK_DEFLATE)
    {
        // A cell with any cover shows: an overview cell at the scan's edge
        // has the colour of the part it covers.
        std::memset(pSamples, 0, kTileCells / 8);
        for (size_t k = 0; k < kTileCells; ++k)
            if (pRgba[4 * k + 3])
                pSamples[k / 8] |= static_cast<unsigned char>(0x80 >> (k % 8));
    }
}

size_t SampleBytes(TileFormat nFormat)
{
    switch (nFormat)
    {
    case TILE_YCBCR_JPEG: return kTileCells * 3;
    case TILE_MASK_DEFLATE: return kTileCells / 8;
    default: return kTileCells * 4;
    }
}

GeoTiffStatus CGeoTiffJob::EncodeBand(int tyFirst, int tyLast, int tilesAcross, int nWidth, int nHeight,
                                      const TileMaker& make, std::vector<CEncodedTile>* pTiles)
{
    const int count = (tyLast - tyFirst) * tilesAcross;
    pTiles->assign(static_cast<size_t>(count), CEncodedTile());
    // Tiles are handed out one by one as threads become free: tiles that lie
    // outside the scan cost little, and fixed shares would leave threads idle.
    std::atomic<int> next(0);
    std::atomic<bool> failed(false);
    const bool jpeg = m_nFormat == TILE_YCBCR_JPEG;
    // One worker a thread, none without a tile to take.
    const int workers = std::min(m_nThreads, count);
    ParallelFor(
        workers,
        [&](long long, long long) {
            std::vector<unsigned char> rgba(kTileCells * 4), samples(jpeg ? SampleBytes(TILE_YCBCR_JPEG) : 0),
                mask(jpeg ? SampleBytes(TILE_MASK_DEFLATE) : 0);
            CTileEncoder encoder(m_nFormat, kTile, m_options.nJpegQuality);
            CTileEncoder maskEncoder(TILE_MASK_DEFLATE, kTile, 0);
            for (int k = next++; k < count && !failed; k = next++)
            {
                const int tx = k % tilesAcross, ty = tyFirst + k / tilesAcross;
                const int w = std::min(kTile, nWidth - tx * kTile), h = std::min(kTile, nHeight - ty * kTile);
                if (w < kTile || h < kTile)
                    std::fill(rgba.begin(), rgba.end(), 0);
                make(tx, ty, w, h, rgba.data());
                CEncodedTile& out = (*pTiles)[static_cast<size_t>(k)];
                bool ok = true;
                if (m_nFormat == TILE_RGBA_RAW)
                {
                    out.bytes.assign(reinterpret_cast<const char*>(rgba.data()), rgba.size());
                }
                else if (m_nFormat == TILE_RGBA_DEFLATE)
                {
                    ok = encoder.Encode(rgba.data(), rgba.size(), &out.bytes);
                }
                else
                {
                    ConvertTile(TILE_YCBCR_JPEG, rgba.data(), samples.data());
                    ConvertTile(TILE_MASK_DEFLATE, rgba.data(), mask.data());
                    ok = encoder.Encode(samples.data(), samples.size(), &out.bytes) &&
                         maskEncoder.Encode(mask.data(), mask.size(), &out.mask);
                }
                if (!ok)
                    failed = true;
            }
        },
        workers, 1);
    return failed ? GEOTIFF_WRITE_FAILED : GEOTIFF_OK;
}

GeoTiffStatus CGeoTiffJob::WriteLevel(int nWidth, int nHeight, bool bReduced, const TileMaker& make,
                                      const std::function<bool(TIFF*)>& extraFields)
{
    TIFF* t = m_pTiff;
    if (!SetSubfileType(t, bReduced, false) ||
        !SetTileFormatFields(t, m_nFormat, kTile, nWidth, nHeight, m_options.nJpegQuality) ||
        (extraFields && !extraFields(t)))
        return GEOTIFF_WRITE_FAILED;
    // The tiles' JPEG streams refer to tables kept once in the directory.
    // They depend on the quality alone (standard Huffman tables), so a blank
    // tile gives the very tables of every tile; libtiff takes them only
    // before the first tile is written.
    if (m_nFormat == TILE_YCBCR_JPEG)
    {
        if (m_jpegTables.empty())
        {
            CTileEncoder encoder(TILE_YCBCR_JPEG, kTile, m_options.nJpegQuality);
            std::string blank;
            if (!encoder.Encode(std::vector<unsigned char>(SampleBytes(TILE_YCBCR_JPEG)).data(),
                                SampleBytes(TILE_YCBCR_JPEG), &blank))
                return GEOTIFF_WRITE_FAILED;
            m_jpegTables = encoder.JpegTables();
        }
        if (!TIFFSetField(t, TIFFTAG_JPEGTABLES, static_cast<uint32_t>(m_jpegTables.size()), &m_jpegTables[0]))
            return GEOTIFF_WRITE_FAILED;
    }

    const int tilesAcross = (nWidth + kTile - 1) / kTile, tilesDown = (nHeight + kTile - 1) / kTile;
    // A band is one row of tiles, or a few when a row has too few tiles to
    // keep every thread busy.
    const int rowsPerBand = std::max(1, std::min(16, (2 * m_nThreads + tilesAcross - 1) / tilesAcross));
    std::vector<std::string> masks;
    std::vector<CEncodedTile> band;
    for (int tyFirst = 0; tyFirst < tilesDown; tyFirst += rowsPerBand)
    {
        const int tyLast = std::min(tilesDown, tyFirst + rowsPerBand);
        GeoTiffStatus status = EncodeBand(tyFirst, tyLast, tilesAcross, nWidth, nHeight, make, &band);
        if (status != GEOTIFF_OK)
            return status;
        for (size_t k = 0; k < band.size(); ++k)
        {
            const uint32_t tile = static_cast<uint32_t>(tyFirst * tilesAcross) + static_cast<uint32_t>(k);
            std::string& bytes = band[k].bytes;
            if (TIFFWriteRawTile(t, tile, &bytes[0], static_cast<tmsize_t>(bytes.size())) !=
                static_cast<tmsize_t>(bytes.size()))
                return GEOTIFF_WRITE_FAILED;
            if (m_nFormat == TILE_YCBCR_JPEG)
                masks.push_back(std::move(band[k].mask));
        }
        m_cellsDone += static_cast<double>(std::min(nHeight, tyLast * kTile) - tyFirst * kTile) * nWidth;
        if (m_progress && !m_progress(std::min(1.0, m_cellsDone / m_cellsInAll)))
            return GEOTIFF_CANCELLED;
    }
    if (!TIFFWriteDirectory(t))
        return GEOTIFF_WRITE_FAILED;
    if (m_nFormat != TILE_YCBCR_JPEG)
        return GEOTIFF_OK;

    // The mask: which cells lie inside the scan, as GDAL's internal masks.
    if (!SetSubfileType(t, bReduced, true) || !SetTileFormatFields(t, TILE_MASK_DEFLATE, kTile, nWidth, nHeight, 0))
        return GEOTIFF_WRITE_FAILED;
    for (size_t k = 0; k < masks.size(); ++k)
        if (TIFFWriteRawTile(t, static_cast<uint32_t>(k), &masks[k][0], static_cast<tmsize_t>(masks[k].size())) !=
            static_cast<tmsize_t>(masks[k].size()))
            return GEOTIFF_WRITE_FAILED;
    return TIFFWriteDirectory(t) ? GEOTIFF_OK : GEOTIFF_WRITE_FAILED;
}

// The GeoKey directory: version 1.1.0 and the key count, then id, location
// (0: the value is here), count and value of each key in the order of their
// ids. Without a coordinate system there is none: readers take the cells as
// areas then too, whereas a raster type key alone makes GDAL report an
// unnamed local system instead of none.
std::vector<uint16_t> GeoKeys(const CCrsRef& crs)
{
    if (crs.IsNone())
        return {};
    // ModelTypeGeographic or ModelTypeProjected; GeographicTypeGeoKey or ProjectedCSTypeGeoKey.
    const uint16_t model = crs.bGeographic ? 2 : 1, system = crs.bGeographic ? 2048 : 3072;
    const uint16_t directory[4][4] = {
        {1, 1, 0, 3},                                       // version 1.1.0, three keys
        {1024, 0, 1, model},                                // GTModelTypeGeoKey
        {1025, 0, 1, 1},                                    // GTRasterTypeGeoKey: RasterPixelIsArea
        {system, 0, 1, static_cast<uint16_t>(crs.nEpsg)},   // the EPSG code
    };
    return std::vector<uint16_t>(&directory[0][0], &directory[0][0] + 16);
}

}   // namespace

GeoTiffStatus WriteGeoTiff(CFile& file, const CRgbImage& scan, const CAffineTransform& fit, const CGeoTiffGrid& grid,
                           const CCrsRef& crs, const CGeoTiffOptions& options, const GeoTiffProgress& progress,
                           const CWarpTransform* pWarp)
{
    if (scan.IsEmpty())
        return GEOTIFF_NO_IMAGE;
    CAffineTransform cellToPixel;
    if (!GridToScanPixels(fit, grid, &cellToPixel))
        return GEOTIFF_NOT_INVERTIBLE;
    if (grid.nWidth < 1 || grid.nHeight < 1 || grid.nWidth > kMaxGeoTiffSide || grid.nHeight > kMaxGeoTiffSide ||
        static_cast<long long>(grid.nWidth) * grid.nHeight > kMaxGeoTiffCells)
        return GEOTIFF_TOO_LARGE;
    // 32767 means "user-defined" in the keys, and codes above it are private.
    if (!crs.IsNone() && (crs.nEpsg < 1 || crs.nEpsg >= 32767))
        return GEOTIFF_BAD_CRS;
    CGeoTiffOptions checked = options;
    checked.nJpegQuality = std::max(1, std::min(100, options.nJpegQuality));

    const std::vector<std::pair<int, int>> sizes = GeoTiffOverviewSizes(grid.nWidth, grid.nHeight);
    double cellsInAll = static_cast<double>(grid.nWidth) * grid.nHeight;
    for (const auto& size : sizes)
        cellsInAll += static_cast<double>(size.first) * size.second;
    // Classic TIFF offsets end at 4 GiB; the cells uncompressed bound what
    // any of our compressions makes of them.
    const bool big = cellsInAll * 4 * 1.02 > 4.0e9;

    try
    {
        std::vector<CRgbaImage> overviews(sizes.size());
        if (!overviews.empty() && !overviews[0].Allocate(sizes[0].first, sizes[0].second))
            return GEOTIFF_OUT_OF_MEMORY;

        std::string openErrors;
        UniqueTiff tiff = OpenTiff(file, big ? "w8l" : "wl", &openErrors);
        if (!tiff)
            return GEOTIFF_WRITE_FAILED;
        CGeoTiffJob job(tiff.get(), checked, progress, cellsInAll);

        // The full-size image, resampled tile by tile; each tile also gives
        // its quarter-size cells to the first overview.
        const CInverseSampler sampler =
            pWarp ? CInverseSampler(scan, *pWarp, grid.dLeft, grid.dTop, grid.dPixelSize, checked.nResampling)
                  : CInverseSampler(scan, cellToPixel, checked.nResampling);
        CRgbaImage* first = overviews.empty() ? nullptr : &overviews[0];
        const TileMaker resample = [&](int tx, int ty, int w, int h, unsigned char* pTile) {
            sampler.SampleBlock(tx * kTile, ty * kTile, w, h, pTile, kTile * 4);
            if (first)
                HalveRgba(pTile, kTile * 4, w, h, first->Row(ty * kTile / 2) + static_cast<size_t>(tx) * kTile * 2,
                          first->RowBytes());
        };
        const double scale[3] = {grid.dPixelSize, grid.dPixelSize, 0.0};
        const double tiepoint[6] = {0.0, 0.0, 0.0, grid.dLeft, grid.dTop, 0.0};
        const std::vector<uint16_t> keys = GeoKeys(crs);
        const auto georeference = [&](TIFF* t) {
            return TIFFSetField(t, kTagModelPixelScale, 3, scale) && TIFFSetField(t, kTagModelTiepoint, 6, tiepoint) &&
                   (keys.empty() || TIFFSetField(t, kTagGeoKeyDirectory, static_cast<int>(keys.size()), keys.data()));
        };
        GeoTiffStatus status = job.WriteLevel(grid.nWidth, grid.nHeight, false, resample, georeference);

        // The overviews, each halved from the one before, which then goes.
        for (size_t n = 0; n < overviews.size() && status == GEOTIFF_OK; ++n)
        {
            if (n + 1 < overviews.size())
            {
                CRgbaImage& from = overviews[n];
                CRgbaImage& to = overviews[n + 1];
                if (!to.Allocate(sizes[n + 1].first, sizes[n + 1].second))
                    return GEOTIFF_OUT_OF_MEMORY;
                ParallelFor(
                    to.Height(),
                    [&](long long j0, long long j1) {
                        const int y0 = static_cast<int>(2 * j0), y1 = std::min(from.Height(), static_cast<int>(2 * j1));
                        HalveRgba(from.Row(y0), from.RowBytes(), from.Width(), y1 - y0, to.Row(static_cast<int>(j0)),
                                  to.RowBytes());
                    },
                    checked.nThreads, 64);
            }
            const CRgbaImage& image = overviews[n];
            const TileMaker copy = [&image](int tx, int ty, int w, int h, unsigned char* pTile) {
                for (int y = 0; y < h; ++y)
                    std::memcpy(pTile + static_cast<size_t>(y) * kTile * 4,
                                image.Row(ty * kTile + y) + static_cast<size_t>(tx) * kTile * 4,
                                static_cast<size_t>(w) * 4);
            };
            status = job.WriteLevel(image.Width(), image.Height(), true, copy, nullptr);
            overviews[n] = CRgbaImage();
        }
        if (status != GEOTIFF_OK)
            return status;
        if (!TIFFFlush(tiff.get()))
            return GEOTIFF_WRITE_FAILED;
        return GEOTIFF_OK;
    }
    catch (const std::bad_alloc&)
    {
        return GEOTIFF_OUT_OF_MEMORY;
    }
}

GeoTiffStatus ExportGeoTiff(CFileSystem& files, const std::string& strPath, const CRgbImage& scan,
                            const CAffineTransform& fit, const CGeoTiffGrid& grid, const CCrsRef& crs,
                            const CGeoTiffOptions& options, const GeoTiffProgress& progress,
                            const CWarpTransform* pWarp)
{
    const std::string temp = StagedName(strPath);
    std::unique_ptr<CFile> file = files.OpenForWriting(temp);
    if (!file)
        return GEOTIFF_CANNOT_CREATE;
    GeoTiffStatus status = GEOTIFF_WRITE_FAILED;
    // Whatever stops the writing, the file made for it goes.
    try
    {
        status = WriteGeoTiff(*file, scan, fit, grid, crs, options, progress, pWarp);
    }
    catch (const std::bad_alloc&)
    {
        status = GEOTIFF_OUT_OF_MEMORY;
    }
    catch (...)
    {
    }
    // On the disk before it may replace anything.
    const bool flushed = status == GEOTIFF_OK && file->FlushToDisk();
    const bool closed = file->Close();
    file.reset();
    if (status == GEOTIFF_OK && (!flushed || !closed || !files.Replace(temp, strPath)))
        status = GEOTIFF_WRITE_FAILED;
    if (status != GEOTIFF_OK)
        files.Remove(temp);
    return status;
}
