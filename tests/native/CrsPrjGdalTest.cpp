// The .prj we write is GDAL's own text for the same EPSG code, byte for
// byte, and GDAL reading our shapefile finds the code again; the .cpg makes
// it decode the names' code page.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "core/crs/CrsCatalogue.h"
#include "core/shape/ShapeFile.h"
#include "tests/core/TestFiles.h"

namespace
{

struct PrjCase
{
    int code;
    const char* kind;
};

const PrjCase kCases[] = {
    {4326, "geographic, WGS 84"},
    {4258, "geographic, ETRS89"},
    {4269, "geographic, NAD83"},
    {4283, "geographic, GDA94"},
    {4277, "geographic, OSGB36"},
    {32633, "UTM north"},
    {32733, "UTM south"},
    {26917, "UTM on NAD83"},
    {27700, "national grid, Transverse Mercator with false easting and northing"},
    {2154, "Lambert conformal conic, France"},
    {31370, "Lambert conformal conic 2SP, Belgium"},
    {3347, "Lambert conformal conic, Canada"},
    {3035, "Lambert azimuthal equal area, Europe"},
    {25832, "ETRS89 UTM"},
    {31468, "Gauss-Kruger"},
    {2056, "Swiss oblique Mercator LV95"},
    {21781, "Swiss oblique Mercator LV03"},
    {28992, "oblique stereographic, Netherlands"},
    {29903, "Irish Grid"},
    {2193, "New Zealand Transverse Mercator"},
    {32188, "Transverse Mercator with false easting, MTM"},
    {2263, "state plane in US survey feet"},
    {3857, "Web Mercator"},
    {3395, "World Mercator"},
    {5070, "Albers equal area"},
    {3413, "polar stereographic north"},
    {3031, "polar stereographic south"},
};

class CrsPrjGdal : public testing::TestWithParam<PrjCase>
{};

TEST_P(CrsPrjGdal, PrjIsGdalsTextAndOgrinfoFindsTheCode)
{
    const int code = GetParam().code;
    const CCrsEntry* pEntry = EmbeddedCrsCatalogue().Find(code);
    ASSERT_NE(pEntry, nullptr);

    int exitCode;
    std::string gdal = RunTool("gdalsrsinfo --single-line -o wkt_esri EPSG:" + std::to_string(code), &exitCode);
    ASSERT_EQ(exitCode, 0) << gdal;
    while (!gdal.empty() && (gdal.back() == '\n' || gdal.back() == '\r'))
        gdal.pop_back();
    EXPECT_EQ(std::string(pEntry->wkt), gdal);

    // A saved shapefile: GDAL's ESRI Shapefile driver reads the .prj back
    // as the same EPSG system.
    ScratchDir dir;
    CShapeFile file;
    CShapeSideFiles side;
    side.strPrj = std::string(pEntry->wkt);
    side.nCodePage = 1252;
    const std::string main = dir.File("saved.shp");
    ASSERT_EQ(file.WriteShapefile(main.c_str(), SHAPE_POLYLINE, StdioFileSystem(), side), 1);
    EXPECT_EQ(ReadFileBytes(dir.File("saved.prj")), gdal);
    const std::string info = RunTool("ogrinfo -so '" + main + "' saved", &exitCode);
    ASSERT_EQ(exitCode, 0) << info;
    EXPECT_NE(info.find("\n    ID[\"EPSG\"," + std::to_string(code) + "]]\n"), std::string::npos) << info;
}

INSTANTIATE_TEST_SUITE_P(Kinds, CrsPrjGdal, testing::ValuesIn(kCases), [](const testing::TestParamInfo<PrjCase>& info) {
    return "EPSG" + std::to_string(info.param.code);
});

// Every system of the catalogue against GDAL's export of its code.
TEST(CrsCatalogueGdal, EveryPrjIsGdalsText)
{
    ScratchDir dir;
    std::string list;
    const CCrsCatalogue& catalogue = EmbeddedCrsCatalogue();
    for (size_t i = 0; i < catalogue.GetSize(); ++i)
        list += std::to_string(catalogue.GetAt(i).nCode) + "\t" + std::string(catalogue.GetAt(i).wkt) + "\n";
    WriteFileBytes(dir.File("catalogue.txt"), list);
    WriteFileBytes(dir.File("compare.py"), "import sys\n"
                                           "from osgeo import osr\n"
                                           "osr.UseExceptions()\n"
                                           "count = differ = 0\n"
                                           "for line in open(sys.argv[1], encoding='ascii'):\n"
                                           "    code, wkt = line.rstrip('\\n').split('\\t')\n"
                                           "    srs = osr.SpatialReference()\n"
                                           "    srs.ImportFromEPSG(int(code))\n"
                                           "    count += 1\n"
                                           "    if srs.ExportToWkt(['FORMAT=WKT1_ESRI']) != wkt:\n"
                                           "        differ += 1\n"
                                           "        print('differs', code)\n"
                                           "print('compared', count, 'differ', differ)\n");
    int exitCode;
    const std::string output =
        RunTool("/usr/bin/python3 '" + dir.File("compare.py") + "' '" + dir.File("catalogue.txt") + "'", &exitCode);
    ASSERT_EQ(exitCode, 0) << output;
    EXPECT_NE(output.find("compared " + std::to_string(catalogue.GetSize()) + " differ 0\n"), std::string::npos)
        << output.substr(0, 2000);
}

TEST(CrsCatalogueGdal, CodePageFileMakesGdalDecodeTheNames)
{
    ScratchDir dir;
    CShapeFile file;
    file.m_geoRef.SetImageHeight(100);
    file.m_geoRef.m_points = {CGeoRefPoint(110, 210, 10, 90), CGeoRefPoint(150, 210, 50, 90),
                              CGeoRefPoint(110, 250, 10, 50)};
    ASSERT_TRUE(file.m_geoRef.CalcTransform());
    CShape shape;
    shape.Add(1, 2);
    shape.m_strName = "Caf\xe9 Stra\xdf"
                      "e";   // typed in code page 1252
    file.m_shapes.Add(shape);
    CShapeSideFiles side;
    side.nCodePage = 1252;
    const std::string main = dir.File("names.shp");
    ASSERT_EQ(file.WriteShapefile(main.c_str(), SHAPE_POINT, StdioFileSystem(), side), 1);
    EXPECT_EQ(ReadFileBytes(dir.File("names.cpg")), "1252");
    int exitCode;
    const std::string info = RunTool("ogrinfo -q '" + main + "' names", &exitCode);
    ASSERT_EQ(exitCode, 0) << info;
    EXPECT_NE(info.find("NAME (String) = Caf\xc3\xa9 Stra\xc3\x9f"
                        "e\n"),
              std::string::npos)
        << info;
}

}   // namespace
