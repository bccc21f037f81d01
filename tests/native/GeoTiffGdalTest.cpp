// GDAL reads the GeoTIFF export: gdalinfo finds the size, the georeference,
// the EPSG code and the overviews, and gdalwarp, given the same scan with
// the same affine georeference, makes the same cells on the same grid.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/raster/GeoTiffWriter.h"
#include "tests/core/GeoTiffTestSupport.h"
#include "tests/core/TestFiles.h"

namespace
{

std::string RunTool(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen((command + " 2>&1").c_str(), "r"))
    {
        char chunk[4096];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
            output.append(chunk, got);
        pclose(pipe);
    }
    return output;
}

// A scan 7 degrees askew with UTM-like coordinates, half a metre a pixel,
// textured so that every shift of a cell shows.
struct CSample
{
    CRgbImage scan;
    CAffineTransform fit;
    CGeoTiffGrid grid;

    CSample()
    {
        const int width = 640, height = 470;
        scan.Allocate(width, height);
        unsigned noise = 12345;
        for (int r = 0; r < height; ++r)
            for (int c = 0; c < width; ++c)
                for (int ch = 0; ch < 3; ++ch)
                {
                    noise = noise * 1103515245u + 12345u;
                    scan.Row(r)[3 * c + ch] =
                        static_cast<unsigned char>((c * (ch + 1) + r * (3 - ch)) / 3 + (noise >> 28));
                }
        const double turn = 7.0 * 3.141592653589793 / 180.0;
        fit.x0 = 512345.25;
        fit.xPerColumn = 0.5 * std::cos(turn);
        fit.xPerRow = 0.5 * std::sin(turn);
        fit.y0 = 4231789.75;
        fit.yPerColumn = 0.5 * std::sin(turn);
        fit.yPerRow = -0.5 * std::cos(turn);
        EXPECT_EQ(
            CalcGeoTiffGrid(fit, width, height, {}, GEOTIFF_EXTENT_WHOLE_IMAGE, DefaultGeoTiffPixelSize(fit), &grid),
            GEOTIFF_OK);
    }

    GeoTiffStatus Export(const std::string& path, int resampling, int compression, const CCrsRef& crs) const
    {
        CGeoTiffOptions options;
        options.nResampling = resampling;
        options.nCompression = compression;
        return ExportGeoTiff(StdioFileStore(), path, scan, fit, grid, crs, options);
    }

    // The scan as GDAL gets it: a PPM with a world file, which gives the
    // centre of pixel (0, 0) and the steps per column and row, just as the fit.
    void WriteForGdal(const std::string& ppm) const
    {
        FILE* f = std::fopen(ppm.c_str(), "wb");
        ASSERT_TRUE(f);
        std::fprintf(f, "P6\n%d %d\n255\n", scan.Width(), scan.Height());
        std::fwrite(scan.Pixels(), 1, scan.ByteCount(), f);
        std::fclose(f);
        f = std::fopen((ppm.substr(0, ppm.rfind('.')) + ".wld").c_str(), "wb");
        ASSERT_TRUE(f);
        std::fprintf(f, "%.17g\n%.17g\n%.17g\n%.17g\n%.17g\n%.17g\n", fit.xPerColumn, fit.yPerColumn, fit.xPerRow,
                     fit.yPerRow, fit.x0, fit.y0);
        std::fclose(f);
    }

    std::string TargetExtent() const
    {
        char text[256];
        std::snprintf(text, sizeof text, "-te %.17g %.17g %.17g %.17g -tr %.17g %.17g", grid.dLeft,
                      grid.dTop - grid.nHeight * grid.dPixelSize, grid.dLeft + grid.nWidth * grid.dPixelSize, grid.dTop,
                      grid.dPixelSize, grid.dPixelSize);
        return text;
    }
};

CTiffImage ReadFirstImage(const std::string& path)
{
    const CTiffContents contents = ReadGeoTiff(ReadFileBytes(path));
    EXPECT_TRUE(contents.ok) << path;
    return contents.images.empty() ? CTiffImage() : contents.images[0];
}

}   // namespace

TEST(GeoTiffGdal, GdalinfoReadsSizeGeoreferenceCodeAndOverviews)
{
    ScratchDir dir;
    const CSample sample;
    const struct
    {
        CCrsRef crs;
        int compression;
        const char* epsg;   // what gdalsrsinfo says
    } cases[] = {
        {CCrsRef{32632, false}, GEOTIFF_DEFLATE, "EPSG:32632"},
        {CCrsRef{4326, true}, GEOTIFF_JPEG, "EPSG:4326"},
        {CCrsRef{}, GEOTIFF_UNCOMPRESSED, nullptr},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.crs.nEpsg);
        const std::string path = dir.File("export.tif");
        ASSERT_EQ(sample.Export(path, RESAMPLE_BILINEAR, c.compression, c.crs), GEOTIFF_OK);
        const std::string info = RunTool("gdalinfo '" + path + "'");
        char expected[512];
        std::snprintf(expected, sizeof expected, "Size is %d, %d\n", sample.grid.nWidth, sample.grid.nHeight);
        EXPECT_NE(info.find(expected), std::string::npos) << info;
        double originX = 0, originY = 0, sizeX = 0, sizeY = 0;
        const size_t origin = info.find("Origin = ("), pixel = info.find("Pixel Size = (");
        ASSERT_TRUE(origin != std::string::npos && pixel != std::string::npos) << info;
        ASSERT_EQ(std::sscanf(info.c_str() + origin, "Origin = (%lf,%lf)", &originX, &originY), 2);
        ASSERT_EQ(std::sscanf(info.c_str() + pixel, "Pixel Size = (%lf,%lf)", &sizeX, &sizeY), 2);
        // The origin is the outer corner of the top-left cell (the cells are areas).
        EXPECT_NEAR(originX, sample.grid.dLeft, 1e-8);
        EXPECT_NEAR(originY, sample.grid.dTop, 1e-8);
        EXPECT_NEAR(sizeX, sample.grid.dPixelSize, 1e-14);
        EXPECT_NEAR(sizeY, -sample.grid.dPixelSize, 1e-14);
        const std::string overviews = "Overviews: " + std::to_string((sample.grid.nWidth + 1) / 2) + "x" +
                                      std::to_string((sample.grid.nHeight + 1) / 2);
        EXPECT_NE(info.find(overviews), std::string::npos) << info;
        if (c.compression == GEOTIFF_JPEG)
            EXPECT_NE(info.find("Mask Flags: PER_DATASET \n"), std::string::npos) << info;
        else
            EXPECT_NE(info.find("ColorInterp=Alpha"), std::string::npos) << info;
        const std::string srs = RunTool("gdalsrsinfo -o epsg '" + path + "'");
        if (c.epsg)
            EXPECT_NE(srs.find(c.epsg), std::string::npos) << srs;
        else
            EXPECT_EQ(info.find("Coordinate System is"), std::string::npos) << info;
    }
}

// The same scan and georeference through gdalwarp onto the same grid:
// nearest takes the same pixel but where a cell centre maps onto an exact
// rounding tie, bilinear is within a level of GDAL's.
TEST(GeoTiffGdal, SameCellsAsGdalwarp)
{
    ScratchDir dir;
    const CSample sample;
    sample.WriteForGdal(dir.File("scan.ppm"));
    const struct
    {
        int resampling;
        const char* gdalName;
    } cases[] = {{RESAMPLE_NEAREST, "near"}, {RESAMPLE_BILINEAR, "bilinear"}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.gdalName);
        const std::string ours = dir.File(std::string("ours-") + c.gdalName + ".tif");
        const std::string theirs = dir.File(std::string("gdal-") + c.gdalName + ".tif");
        ASSERT_EQ(sample.Export(ours, c.resampling, GEOTIFF_DEFLATE, CCrsRef()), GEOTIFF_OK);
        const std::string output =
            RunTool("gdalwarp -q -overwrite -et 0 -r " + std::string(c.gdalName) + " " + sample.TargetExtent() +
                    " -dstalpha -co TILED=YES '" + dir.File("scan.ppm") + "' '" + theirs + "'");
        ASSERT_EQ(output, "");
        const CTiffImage a = ReadFirstImage(ours), b = ReadFirstImage(theirs);
        ASSERT_EQ(a.width, b.width);
        ASSERT_EQ(a.height, b.height);
        ASSERT_EQ(b.samples, 4);
        long cells = 0, differing = 0, alphaDiffering = 0, opaque = 0;
        int worst = 0;
        for (int j = 0; j < a.height; ++j)
            for (int i = 0; i < a.width; ++i)
            {
                const unsigned char *p = a.At(i, j), *q = b.At(i, j);
                ++cells;
                alphaDiffering += p[3] != q[3];
                if (p[3] == 255 && q[3] == 255)
                {
                    ++opaque;
                    int most = 0;
                    for (int ch = 0; ch < 3; ++ch)
                        most = std::max(most, std::abs(p[ch] - q[ch]));
                    worst = std::max(worst, most);
                    differing += most != 0;
                }
            }
        EXPECT_GT(opaque, cells / 2);
        EXPECT_LE(alphaDiffering, cells / 1000) << "cells inside the scan for one and not the other";
        if (c.resampling == RESAMPLE_NEAREST)
            EXPECT_LE(differing + alphaDiffering, cells / 1000) << differing << " of " << cells << " cells differ";
        else
            EXPECT_LE(worst, 1) << differing << " of " << opaque << " cells differ";
        std::printf("%s: %ld of %ld cells differ in colour (at most %d), %ld in alpha\n", c.gdalName, differing, cells,
                    worst, alphaDiffering);
    }
}
