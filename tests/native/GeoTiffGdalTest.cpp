// GDAL reads the GeoTIFF export: gdalinfo finds the size, the georeference,
// the EPSG code and the overviews, and gdalwarp, given the same scan with
// the same affine georeference, makes the same cells on the same grid.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "core/io/StdioFileSystem.h"
#include "core/raster/GeoTiffWriter.h"
#include "tests/core/GeoTiffTestSupport.h"
#include "tests/core/TestFiles.h"

namespace
{

const CAffineTransform kAskew{512345.25,  0.5 * std::cos(0.122173), 0.5 * std::sin(0.122173),
                              4231789.75, 0.5 * std::sin(0.122173), -0.5 * std::cos(0.122173)};

// A textured scan, by default 7 degrees askew, half a metre a pixel, in
// UTM-like coordinates, and its export grid, by default at its own pixel size.
struct CSample
{
    CRgbImage scan;
    CAffineTransform fit;
    CGeoTiffGrid grid;

    explicit CSample(const CAffineTransform& f = kAskew, double dPixelSize = 0.0) : fit(f)
    {
        scan.Allocate(640, 470);
        unsigned noise = 12345;
        for (size_t k = 0; k < scan.ByteCount(); ++k, noise = noise * 1103515245u + 12345u)
            scan.Pixels()[k] = static_cast<unsigned char>(k % 1920 / 9 + k / 1920 / 3 + (noise >> 28));
        CalcGeoTiffGrid(fit, 640, 470, {}, GEOTIFF_EXTENT_WHOLE_IMAGE,
                        dPixelSize > 0.0 ? dPixelSize : DefaultGeoTiffPixelSize(fit), &grid);
    }

    GeoTiffStatus Export(const std::string& path, ResampleMethod resampling, GeoTiffCompression compression,
                         const CCrsRef& crs) const
    {
        return ExportGeoTiff(StdioFileSystem(), path, scan, fit, grid, crs, CGeoTiffOptions{resampling, compression});
    }
};

}   // namespace

TEST(GeoTiffGdal, GdalinfoReadsSizeGeoreferenceCodeAndOverviews)
{
    ScratchDir dir;
    const CSample sample;
    const std::string path = dir.File("export.tif");
    const struct
    {
        CCrsRef crs;
        GeoTiffCompression compression;
        const char* srs;   // gdalsrsinfo's answer; none: gdalinfo shows no system
    } cases[] = {
        {CCrsRef{32632, false}, GEOTIFF_DEFLATE, "EPSG:32632"},
        {CCrsRef{4326, true}, GEOTIFF_JPEG, "EPSG:4326"},
        {CCrsRef{}, GEOTIFF_UNCOMPRESSED, nullptr},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.crs.nEpsg);
        ASSERT_EQ(sample.Export(path, RESAMPLE_BILINEAR, c.compression, c.crs), GEOTIFF_OK);
        const std::string info = RunTool("gdalinfo '" + path + "'");
        const CGeoTiffGrid& g = sample.grid;
        EXPECT_NE(info.find("Size is " + std::to_string(g.nWidth) + ", " + std::to_string(g.nHeight) + "\n"),
                  std::string::npos);
        // The origin is the outer corner of the top-left cell: the cells are areas.
        double x = 0, y = 0, sizeX = 0, sizeY = 0;
        ASSERT_EQ(std::sscanf(info.c_str() + info.find("Origin = ("), "Origin = (%lf,%lf)", &x, &y), 2) << info;
        ASSERT_EQ(std::sscanf(info.c_str() + info.find("Pixel Size"), "Pixel Size = (%lf,%lf)", &sizeX, &sizeY), 2);
        EXPECT_NEAR(x, g.dLeft, 1e-8);
        EXPECT_NEAR(y, g.dTop, 1e-8);
        EXPECT_NEAR(sizeX, g.dPixelSize, 1e-14);
        EXPECT_NEAR(sizeY, -g.dPixelSize, 1e-14);
        EXPECT_NE(
            info.find("Overviews: " + std::to_string((g.nWidth + 1) / 2) + "x" + std::to_string((g.nHeight + 1) / 2)),
            std::string::npos)
            << info;
        EXPECT_NE(info.find(c.compression == GEOTIFF_JPEG ? "Mask Flags: PER_DATASET \n" : "ColorInterp=Alpha"),
                  std::string::npos)
            << info;
        if (c.srs)
            EXPECT_NE(RunTool("gdalsrsinfo -o epsg '" + path + "'").find(c.srs), std::string::npos);
        else
            EXPECT_EQ(info.find("Coordinate System is"), std::string::npos) << info;
    }
}

namespace
{

// The same scan through gdalwarp onto the same grid, the fit given as the
// scan's world file (the centre of pixel (0, 0) and the steps per column and
// row). Counts cells differing in colour where both are opaque and, for the
// coarser grids, no transparent cell or grid edge lies within nEdgeCells
// (where GDAL leaves out what lies beyond the scan and ours repeats its edge).
struct CGdalwarpComparison
{
    long cells = 0, opaque = 0, differing = 0, alphaDiffering = 0;
    int worst = 0;
};

CGdalwarpComparison CompareWithGdalwarp(const CSample& sample, ResampleMethod method, const char* gdalMethod,
                                        int nEdgeCells)
{
    ScratchDir dir;
    const CAffineTransform& f = sample.fit;
    const CGeoTiffGrid& g = sample.grid;
    WriteFileBytes(dir.File("scan.ppm"),
                   "P6\n640 470\n255\n" +
                       std::string(reinterpret_cast<const char*>(sample.scan.Pixels()), sample.scan.ByteCount()));
    char text[512];
    std::snprintf(text, sizeof text, "%.17g\n%.17g\n%.17g\n%.17g\n%.17g\n%.17g\n", f.xPerColumn, f.yPerColumn,
                  f.xPerRow, f.yPerRow, f.x0, f.y0);
    WriteFileBytes(dir.File("scan.wld"), text);
    std::snprintf(text, sizeof text, "-te %.17g %.17g %.17g %.17g -tr %.17g %.17g", g.dLeft,
                  g.dTop - g.nHeight * g.dPixelSize, g.dLeft + g.nWidth * g.dPixelSize, g.dTop, g.dPixelSize,
                  g.dPixelSize);
    CGdalwarpComparison out;
    EXPECT_EQ(sample.Export(dir.File("ours.tif"), method, GEOTIFF_DEFLATE, CCrsRef()), GEOTIFF_OK);
    EXPECT_EQ(RunTool("gdalwarp -q -overwrite -et 0 -r " + std::string(gdalMethod) + " " + text +
                      " -dstalpha -co TILED=YES '" + dir.File("scan.ppm") + "' '" + dir.File("gdal.tif") + "'"),
              "");
    const CTiffImage a = ReadGeoTiff(ReadFileBytes(dir.File("ours.tif"))).images.at(0);
    const CTiffImage b = ReadGeoTiff(ReadFileBytes(dir.File("gdal.tif"))).images.at(0);
    EXPECT_TRUE(a.width == b.width && a.height == b.height && b.samples == 4);
    if (a.width != b.width || a.height != b.height || b.samples != 4)
        return out;
    const auto nearEdge = [&](int i, int j) {
        for (int y = j - nEdgeCells; y <= j + nEdgeCells; ++y)
            for (int x = i - nEdgeCells; x <= i + nEdgeCells; ++x)
                if (x < 0 || y < 0 || x >= a.width || y >= a.height || a.At(x, y)[3] != 255)
                    return true;
        return false;
    };
    for (int j = 0; j < a.height; ++j)
        for (int i = 0; i < a.width; ++i, ++out.cells)
        {
            const unsigned char *p = a.At(i, j), *q = b.At(i, j);
            out.alphaDiffering += p[3] != q[3];
            if (p[3] != 255 || q[3] != 255 || (nEdgeCells && nearEdge(i, j)))
                continue;
            const int most = std::max({std::abs(p[0] - q[0]), std::abs(p[1] - q[1]), std::abs(p[2] - q[2])});
            out.worst = std::max(out.worst, most);
            out.differing += most != 0;
            ++out.opaque;
        }
    std::printf("%s: %ld of %ld cells differ in colour (by %d at most), %ld in alpha\n", gdalMethod, out.differing,
                out.opaque, out.worst, out.alphaDiffering);
    return out;
}

}   // namespace

// Nearest takes the same pixel but at exact rounding ties, bilinear is
// within a level of GDAL's.
TEST(GeoTiffGdal, SameCellsAsGdalwarp)
{
    const CSample sample;
    for (const auto& kernel : {std::make_pair(RESAMPLE_NEAREST, "near"), std::make_pair(RESAMPLE_BILINEAR, "bilinear")})
    {
        SCOPED_TRACE(kernel.second);
        const CGdalwarpComparison c = CompareWithGdalwarp(sample, kernel.first, kernel.second, 0);
        EXPECT_GT(c.opaque, c.cells / 2);
        EXPECT_LE(c.alphaDiffering, c.cells / 1000);
        if (kernel.first == RESAMPLE_NEAREST)
            EXPECT_LE(c.differing + c.alphaDiffering, c.cells / 1000);
        else
            EXPECT_LE(c.worst, 1);
    }
}

// Cells coarser than the scan's pixels: bilinear and cubic widen as GDAL's
// do, on each axis by its own scale (rows only, by 1.27, as a geographic
// export at the scan's pixel width; both axes by 2.5).
TEST(GeoTiffGdal, CoarserCellsAsGdalwarp)
{
    const struct
    {
        CAffineTransform fit;
        double dPixelSize;
    } grids[] = {
        {{512345.25, 0.5, 0.0, 4231789.75, 0.0, -0.5 / 1.27}, 0.5},
        {{512345.25, 0.5, 0.0, 4231789.75, 0.0, -0.5}, 1.25},
    };
    for (const auto& g : grids)
    {
        const CSample sample(g.fit, g.dPixelSize);
        for (const auto& kernel :
             {std::make_pair(RESAMPLE_BILINEAR, "bilinear"), std::make_pair(RESAMPLE_CUBIC, "cubic")})
        {
            SCOPED_TRACE(std::string(kernel.second) + " at " + std::to_string(g.dPixelSize));
            const CGdalwarpComparison c = CompareWithGdalwarp(sample, kernel.first, kernel.second, 3);
            EXPECT_GT(c.opaque, c.cells / 2);
            EXPECT_LE(c.worst, 1);
        }
    }
}
