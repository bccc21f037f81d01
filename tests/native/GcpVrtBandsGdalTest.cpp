// The control points' VRT lists the scan's own bands: GDAL reads grey,
// palette (with its colour table), RGB and RGBA scans, made by gdal_create
// and gdal_translate, through the VRT as it reads the files themselves, and
// gdalwarp warps them.
#include <string>

#include <gtest/gtest.h>

#include "core/georef/PointInterchange.h"
#include "core/io/StdioFileSystem.h"
#include "core/scan/ScanReader.h"
#include "tests/core/TestFiles.h"

namespace
{

// What GDAL sees of a dataset's bands: each band's type, colour
// interpretation, checksum and colour table.
std::string Bands(const std::string& path)
{
    return RunTool(
        "/usr/bin/python3 -c \"import sys; from osgeo import gdal; d = gdal.Open(sys.argv[1]); "
        "print([(b.DataType, b.GetColorInterpretation(), b.Checksum(), "
        "[b.GetColorTable().GetColorEntry(i) for i in range(b.GetColorTable().GetCount())] "
        "if b.GetColorTable() else None) for b in (d.GetRasterBand(k + 1) for k in range(d.RasterCount))])\" '" +
        path + "'");
}

}   // namespace

TEST(GcpVrtBands, GdalReadsTheScansOwnBandsThroughTheVrt)
{
    const ScratchDir dir;
    const std::string grey = dir.File("grey.tif");
    ASSERT_EQ(RunTool("gdal_create -q -of GTiff -outsize 40 30 -bands 1 -burn 2 '" + grey + "'"), "");
    // A palette through a VRT that gives the grey file a colour table.
    WriteFileBytes(dir.File("table.vrt"),
                   "<VRTDataset rasterXSize=\"40\" rasterYSize=\"30\"><VRTRasterBand dataType=\"Byte\" band=\"1\">"
                   "<ColorInterp>Palette</ColorInterp><ColorTable>"
                   "<Entry c1=\"0\" c2=\"0\" c3=\"0\" c4=\"255\"/><Entry c1=\"200\" c2=\"30\" c3=\"10\" c4=\"255\"/>"
                   "<Entry c1=\"1\" c2=\"2\" c3=\"250\" c4=\"255\"/></ColorTable><SimpleSource>"
                   "<SourceFilename relativeToVRT=\"1\">grey.tif</SourceFilename><SourceBand>1</SourceBand>"
                   "</SimpleSource></VRTRasterBand></VRTDataset>");
    const struct
    {
        const char* name;
        const char* make;   // the command that makes it in the folder
        int bands;
        bool palette;
    } cases[] = {
        {"grey.tif", "true", 1, false},
        {"palette.tif", "gdal_translate -q table.vrt palette.tif", 1, true},
        {"palette.png", "gdal_translate -q -of PNG table.vrt palette.png", 1, true},
        {"grey.jpg", "gdal_translate -q -of JPEG grey.tif grey.jpg", 1, false},
        {"rgb.tif", "gdal_create -q -of GTiff -outsize 40 30 -bands 3 -burn 10 -burn 20 -burn 30 rgb.tif", 3, false},
        {"rgba.png",
         "gdal_create -q -of GTiff -outsize 40 30 -bands 4 -burn 10 -burn 20 -burn 30 -burn 255 "
         "-co PHOTOMETRIC=RGB -co ALPHA=YES rgba.tif && gdal_translate -q -of PNG rgba.tif rgba.png",
         4, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        int exitCode = -1;
        RunTool("cd '" + dir.Path().string() + "' && " + c.make, &exitCode);
        ASSERT_EQ(exitCode, 0);
        const std::string scanPath = dir.File(c.name);
        CScanHeader header;
        ASSERT_TRUE(ReadScanHeader(scanPath, &header, StdioFileSystem()).Ok());
        EXPECT_EQ(header.nFileBands, c.bands);
        EXPECT_EQ(header.bFilePalette, c.palette);
        CGdalScan scan;
        scan.strFileName = c.name;
        scan.nWidth = header.nWidth;
        scan.nHeight = header.nHeight;
        scan.nBands = header.nFileBands;
        scan.bPalette = header.bFilePalette;
        scan.palette = header.filePalette;
        scan.b16Bit = header.bFile16Bit;
        const std::string vrt = scanPath + ".vrt";
        WriteFileBytes(vrt, FormatGcpVrt(scan, {{0.5, 0.5, 1000, 2000},
                                                {39.5, 0.5, 1039, 2000},
                                                {0.5, 29.5, 1000, 1971},
                                                {39.5, 29.5, 1039, 1971}}));
        EXPECT_EQ(Bands(vrt), Bands(scanPath));
        const std::string warped = dir.File(std::string(c.name) + ".warped.tif");
        RunTool("gdalwarp -q -order 1 '" + vrt + "' '" + warped + "'", &exitCode);
        EXPECT_EQ(exitCode, 0);
        EXPECT_EQ(RunTool("gdalinfo -json '" + warped + "' | grep -c '\"band\":'"), std::to_string(c.bands) + "\n");
    }
}
