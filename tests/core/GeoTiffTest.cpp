// The GeoTIFF export in memory: the grid, where the scan's content lands
// with each kernel, the georeference tags, the overviews, the JPEG layout,
// the same bytes on any number of threads, and no file left behind by a
// cancel or a failure.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/raster/GeoTiffWriter.h"
#include "tests/core/GeoTiffTestSupport.h"

namespace
{

// A fit turned by degrees, size map units a pixel, pixel (0, 0) at (x0, y0),
// rows going south as on a scan.
CAffineTransform Turned(double degrees, double size, double x0, double y0)
{
    const double turn = degrees * 3.141592653589793 / 180.0;
    const double c = size * std::cos(turn), s = size * std::sin(turn);
    return CAffineTransform{x0, c, s, y0, s, -c};
}

// Every pixel its own colour.
CRgbImage Numbered(int width, int height)
{
    CRgbImage scan;
    scan.Allocate(width, height);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
        {
            const unsigned char pixel[3] = {static_cast<unsigned char>(c), static_cast<unsigned char>(r),
                                            static_cast<unsigned char>(c / 256 * 16 + r / 256)};
            std::copy(pixel, pixel + 3, scan.Row(r) + 3 * c);
        }
    return scan;
}

std::string Export(const CRgbImage& scan, const CAffineTransform& fit, const CGeoTiffGrid& grid,
                   const CGeoTiffOptions& options, const CCrsRef& crs = CCrsRef())
{
    std::string bytes;
    CMemoryFile file(&bytes);
    EXPECT_EQ(WriteGeoTiff(file, scan, fit, grid, crs, options), GEOTIFF_OK);
    return bytes;
}

CGeoTiffGrid WholeGrid(const CAffineTransform& fit, const CRgbImage& scan, double pixelSize = 0.0)
{
    CGeoTiffGrid grid;
    EXPECT_EQ(CalcGeoTiffGrid(fit, scan.Width(), scan.Height(), {}, GEOTIFF_EXTENT_WHOLE_IMAGE,
                              pixelSize > 0 ? pixelSize : DefaultGeoTiffPixelSize(fit), &grid),
              GEOTIFF_OK);
    return grid;
}

CGeoTiffOptions Options(ResampleMethod resampling, GeoTiffCompression compression = GEOTIFF_UNCOMPRESSED,
                        int threads = 2)
{
    return CGeoTiffOptions{resampling, compression, 75, threads};
}

}   // namespace

TEST(GeoTiffGrid, ExtentsSizesAndRefusals)
{
    const CAffineTransform upright = Turned(0, 2.0, 1000.0, 500.0);
    const CAffineTransform quarter = Turned(90, 2.0, 1000.0, 500.0);
    CAffineTransform flat = upright;
    flat.yPerRow = 0.0;
    const std::vector<CGeoRefPoint> points = {{1010, 480, 5, 10}, {1030, 470, 15, 15}, {1020, 490, 10, 5}};
    const std::vector<CGeoRefPoint> oneColumn = {{1010, 480, 5, 10}, {1010, 470, 5, 15}};
    const struct
    {
        const char* name;
        CAffineTransform fit;
        GeoTiffExtent extent;
        std::vector<CGeoRefPoint> points;
        double pixelSize;
        GeoTiffStatus status;
        double left = 0, top = 0;
        int width = 0, height = 0;
    } cases[] = {
        // Pixel (0, 0) is centred on (1000, 500) and covers a pixel around it.
        {"scan at its own size", upright, GEOTIFF_EXTENT_WHOLE_IMAGE, {}, 2.0, GEOTIFF_OK, 999, 501, 40, 30},
        {"coarser cells round up", upright, GEOTIFF_EXTENT_WHOLE_IMAGE, {}, 3.0, GEOTIFF_OK, 999, 501, 27, 20},
        {"turned a quarter", quarter, GEOTIFF_EXTENT_WHOLE_IMAGE, {}, 2.0, GEOTIFF_OK, 999, 579, 30, 40},
        {"control points' box", upright, GEOTIFF_EXTENT_CONTROL_POINTS, points, 2.0, GEOTIFF_OK, 1010, 490, 10, 10},
        {"points in one map column", upright, GEOTIFF_EXTENT_CONTROL_POINTS, oneColumn, 2.0, GEOTIFF_NO_POINTS},
        {"zero pixel size", upright, GEOTIFF_EXTENT_WHOLE_IMAGE, {}, 0.0, GEOTIFF_BAD_PIXEL_SIZE},
        {"pixel size not a number", upright, GEOTIFF_EXTENT_WHOLE_IMAGE, {}, std::nan(""), GEOTIFF_BAD_PIXEL_SIZE},
        {"fit without inverse", flat, GEOTIFF_EXTENT_WHOLE_IMAGE, {}, 2.0, GEOTIFF_NOT_INVERTIBLE},
        {"too many cells", upright, GEOTIFF_EXTENT_WHOLE_IMAGE, {}, 1e-6, GEOTIFF_TOO_LARGE},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CGeoTiffGrid grid;
        ASSERT_EQ(CalcGeoTiffGrid(c.fit, 40, 30, c.points, c.extent, c.pixelSize, &grid), c.status);
        if (c.status != GEOTIFF_OK)
            continue;
        EXPECT_NEAR(grid.dLeft, c.left, 1e-9);
        EXPECT_NEAR(grid.dTop, c.top, 1e-9);
        EXPECT_EQ(grid.nWidth, c.width);
        EXPECT_EQ(grid.nHeight, c.height);
    }
    EXPECT_DOUBLE_EQ(DefaultGeoTiffPixelSize(Turned(30, 0.25, 0, 0)), 0.25);
}

// The pixel rule: what lies on scan pixel (c, r) lies at Map(c, r), so a
// mark on the scan shows in the cell of the export that holds Map(c, r),
// whatever the turn and the kernel.
TEST(GeoTiffExport, AMarkOnTheScanLandsInTheCellOfItsMapPosition)
{
    const int marks[][2] = {{40, 30}, {121, 77}, {200, 140}};
    for (ResampleMethod method : {RESAMPLE_NEAREST, RESAMPLE_BILINEAR, RESAMPLE_CUBIC})
        for (double degrees : {0.0, 7.0, -33.0, 180.0})
        {
            SCOPED_TRACE(testing::Message() << "method " << method << ", turned " << degrees);
            CRgbImage scan;
            scan.Allocate(240, 180);
            std::fill(scan.Pixels(), scan.Pixels() + scan.ByteCount(), 255);
            for (const auto& mark : marks)
                for (int r = mark[1] - 2; r <= mark[1] + 2; ++r)
                    for (int c = mark[0] - 2; c <= mark[0] + 2; ++c)
                        scan.Row(r)[3 * c + 1] = scan.Row(r)[3 * c + 2] = 0;   // red
            const CAffineTransform fit = Turned(degrees, 0.5, 350000.0, 5600000.0);
            const CGeoTiffGrid grid = WholeGrid(fit, scan);
            const CTiffContents tiff = ReadGeoTiff(Export(scan, fit, grid, Options(method)));
            ASSERT_TRUE(tiff.ok);
            for (const auto& mark : marks)
            {
                double x, y;
                fit.Map(mark[0], mark[1], &x, &y);
                const int i = static_cast<int>(std::floor((x - grid.dLeft) / grid.dPixelSize));
                const int j = static_cast<int>(std::floor((grid.dTop - y) / grid.dPixelSize));
                const unsigned char* cell = tiff.images[0].At(i, j);
                EXPECT_EQ(std::vector<int>(cell, cell + 4), std::vector<int>({255, 0, 0, 255}))
                    << "mark " << mark[0] << ", " << mark[1] << " in cell " << i << ", " << j;
            }
        }
}

TEST(GeoTiffExport, GeoreferenceTagsAndKeys)
{
    const CRgbImage scan = Numbered(50, 40);
    const CAffineTransform fit = Turned(5.0, 2.5, 600000.0, 5200000.0);
    const CGeoTiffGrid grid = WholeGrid(fit, scan);
    const struct
    {
        CCrsRef crs;
        std::vector<uint16_t> keys;
    } cases[] = {
        // Without a system no key directory: the cells are areas by default.
        {CCrsRef{}, {}},
        {CCrsRef{32632, false}, {1, 1, 0, 3, 1024, 0, 1, 1, 1025, 0, 1, 1, 3072, 0, 1, 32632}},
        {CCrsRef{4326, true}, {1, 1, 0, 3, 1024, 0, 1, 2, 1025, 0, 1, 1, 2048, 0, 1, 4326}},
    };
    for (const auto& c : cases)
    {
        const CTiffContents tiff = ReadGeoTiff(Export(scan, fit, grid, Options(RESAMPLE_NEAREST), c.crs));
        ASSERT_TRUE(tiff.ok);
        EXPECT_EQ(tiff.keys, c.keys) << c.crs.nEpsg;
        EXPECT_EQ(tiff.scale, std::vector<double>({grid.dPixelSize, grid.dPixelSize, 0.0}));
        EXPECT_EQ(tiff.tiepoint, std::vector<double>({0, 0, 0, grid.dLeft, grid.dTop, 0}));
    }
    std::string bytes;
    CMemoryFile file(&bytes);
    EXPECT_EQ(WriteGeoTiff(file, scan, fit, grid, CCrsRef{32767, false}, Options(RESAMPLE_NEAREST)), GEOTIFF_BAD_CRS);
}

TEST(GeoTiffExport, OverviewsDownToAboutTileSizeEachTheMeanOfTheOneBefore)
{
    EXPECT_EQ(GeoTiffOverviewSizes(1100, 600), (std::vector<std::pair<int, int>>{{550, 300}, {275, 150}}));
    const CRgbImage scan = Numbered(700, 520);
    const CAffineTransform fit = Turned(3.0, 1.0, 0.0, 0.0);
    const CGeoTiffGrid grid = WholeGrid(fit, scan);
    const CTiffContents tiff = ReadGeoTiff(Export(scan, fit, grid, Options(RESAMPLE_BILINEAR, GEOTIFF_DEFLATE)));
    ASSERT_TRUE(tiff.ok);
    ASSERT_EQ(tiff.images.size(), GeoTiffOverviewSizes(grid.nWidth, grid.nHeight).size() + 1);
    for (size_t n = 1; n < tiff.images.size(); ++n)
    {
        const CTiffImage &overview = tiff.images[n], &above = tiff.images[n - 1];
        EXPECT_EQ(overview.subfileType, static_cast<uint32_t>(FILETYPE_REDUCEDIMAGE));
        EXPECT_EQ(overview.width, (above.width + 1) / 2);
        // Colours weighted by alpha: cells at the scan's edge take the colour of the part they cover.
        for (int j = 0; 2 * j + 1 < above.height; j += 7)
            for (int i = 0; 2 * i + 1 < above.width; i += 5)
            {
                int alpha = 0, red = 0;
                for (int k = 0; k < 4; ++k)
                {
                    const unsigned char* cell = above.At(2 * i + k % 2, 2 * j + k / 2);
                    alpha += cell[3];
                    red += cell[0] * cell[3];
                }
                ASSERT_NEAR(overview.At(i, j)[3], alpha / 4.0, 0.51) << n << ": " << i << ", " << j;
                ASSERT_NEAR(overview.At(i, j)[0], alpha ? static_cast<double>(red) / alpha : 0.0, 0.51);
            }
    }
}

// JPEG cannot keep sharp transparency: the colours go into YCbCr JPEG tiles
// and the cells inside the scan into a 1-bit mask beside each image.
TEST(GeoTiffExport, JpegColoursWithAnExactMask)
{
    const CRgbImage scan = Numbered(600, 400);
    const CAffineTransform fit = Turned(8.0, 1.0, 0.0, 0.0);
    const CGeoTiffGrid grid = WholeGrid(fit, scan);
    CGeoTiffOptions jpeg = Options(RESAMPLE_BILINEAR, GEOTIFF_JPEG);
    jpeg.nJpegQuality = 95;
    const CTiffContents lossless = ReadGeoTiff(Export(scan, fit, grid, Options(RESAMPLE_BILINEAR)));
    const CTiffContents tiff = ReadGeoTiff(Export(scan, fit, grid, jpeg));
    ASSERT_TRUE(tiff.ok && lossless.ok);
    ASSERT_EQ(tiff.images.size(), 2 * lossless.images.size());
    for (size_t n = 0; n < lossless.images.size(); ++n)
    {
        const CTiffImage& colours = tiff.images[2 * n];
        const CTiffImage& mask = tiff.images[2 * n + 1];
        const uint32_t reduced = n ? FILETYPE_REDUCEDIMAGE : 0;
        EXPECT_EQ(colours.subfileType, reduced);
        EXPECT_EQ(colours.photometric, PHOTOMETRIC_YCBCR);
        EXPECT_EQ(mask.subfileType, reduced | FILETYPE_MASK);
        EXPECT_EQ(mask.photometric, PHOTOMETRIC_MASK);
        const CTiffImage& reference = lossless.images[n];
        double error = 0.0;
        long inside = 0;
        for (int j = 0; j < reference.height; ++j)
            for (int i = 0; i < reference.width; ++i)
            {
                ASSERT_EQ(*mask.At(i, j), reference.At(i, j)[3] ? 1 : 0) << n << ": " << i << ", " << j;
                if (reference.At(i, j)[3] == 255)
                {
                    error += std::abs(colours.At(i, j)[1] - reference.At(i, j)[1]);
                    ++inside;
                }
            }
        EXPECT_LT(error / inside, 2.0) << n;
    }
}

TEST(GeoTiffExport, SameBytesOnAnyNumberOfThreads)
{
    const CRgbImage scan = Numbered(560, 420);
    const CAffineTransform fit = Turned(-4.0, 1.0, 0.0, 0.0);
    const CGeoTiffGrid grid = WholeGrid(fit, scan, 0.9);
    for (GeoTiffCompression compression : {GEOTIFF_DEFLATE, GEOTIFF_JPEG, GEOTIFF_UNCOMPRESSED})
    {
        const std::string one = Export(scan, fit, grid, Options(RESAMPLE_BILINEAR, compression, 1));
        ASSERT_GT(one.size(), 1000u);
        for (int threads : {2, 3, 8})
            EXPECT_TRUE(Export(scan, fit, grid, Options(RESAMPLE_BILINEAR, compression, threads)) == one)
                << "compression " << compression << ", " << threads << " threads";
    }
}

TEST(GeoTiffExport, CancelOrFailureLeavesNoFileAndKeepsTheOldOne)
{
    const CRgbImage scan = Numbered(700, 600);
    const CAffineTransform fit = Turned(2.0, 1.0, 0.0, 0.0);
    const CGeoTiffGrid grid = WholeGrid(fit, scan);
    const std::string target = "out/map.tif";
    const struct
    {
        const char* name;
        void (*setUp)(CMemoryFileSystem&);
        bool cancel;
        GeoTiffStatus status;
    } cases[] = {
        {"written", [](CMemoryFileSystem&) {}, false, GEOTIFF_OK},
        {"cancelled", [](CMemoryFileSystem&) {}, true, GEOTIFF_CANCELLED},
        {"disk full", [](CMemoryFileSystem& s) { s.m_byteLimit["out/map.tif.partial"] = 20000; }, false,
         GEOTIFF_WRITE_FAILED},
        {"bytes lost at close", [](CMemoryFileSystem& s) { s.m_failingFlush.insert("out/map.tif.partial"); }, false,
         GEOTIFF_WRITE_FAILED},
        {"rename refused", [](CMemoryFileSystem& s) { s.m_refused.insert("out/map.tif"); }, false,
         GEOTIFF_WRITE_FAILED},
        {"folder not writable", [](CMemoryFileSystem& s) { s.m_unopenable.insert("out/map.tif.partial"); }, false,
         GEOTIFF_CANNOT_CREATE},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CMemoryFileSystem store;
        store.m_files[target] = "the export of last week";
        c.setUp(store);
        int calls = 0;
        const GeoTiffStatus status = ExportGeoTiff(store, target, scan, fit, grid, CCrsRef(),
                                                   Options(RESAMPLE_NEAREST, GEOTIFF_DEFLATE), [&](double done) {
                                                       EXPECT_GT(done, 0.0);
                                                       return !(c.cancel && ++calls == 2);
                                                   });
        EXPECT_EQ(status, c.status);
        ASSERT_EQ(store.m_files.size(), 1u);
        if (status == GEOTIFF_OK)
            EXPECT_TRUE(ReadGeoTiff(store.m_files[target]).ok);
        else
            EXPECT_EQ(store.m_files[target], "the export of last week");
    }
}
