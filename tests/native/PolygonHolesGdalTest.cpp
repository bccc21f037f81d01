// A polygon with a hole digitised here and saved as a Shapefile and as a
// GeoPackage, read back by GDAL, pyshp and shapelib (check_holes.py).
#include <string>

#include <gtest/gtest.h>

#include "core/gpkg/FeatureGeoPackage.h"
#include "core/io/StdioFileSystem.h"
#include "tests/core/ShapeWriterFixture.h"
#include "tests/core/TestFiles.h"

TEST(PolygonHolesGdal, OnePolygonOfOneHoleValidWithTheHolesAreaTakenOff)
{
    ScratchDir dir;
    CShapeFile file;
    FitRoundNumberGeoRef(file.m_geoRef);
    // Drawn anticlockwise on the screen, a hole clockwise: both need turning.
    CShape drawn = MakeShape({{10, 10}, {10, 90}, {90, 90}, {90, 10}});
    drawn.StartHole();
    for (const TestVertex& v : std::vector<TestVertex>{{20, 20}, {60, 20}, {60, 50}, {20, 50}})
        drawn.Add(v.x, v.y);
    file.m_shapes.Add(FinishedShape(drawn, SHAPE_POLYGON, "pond"));
    const std::string shp = dir.File("ponds.shp"), gpkg = dir.File("ponds.gpkg");
    ASSERT_TRUE(file.WriteShapefile(shp.c_str(), SHAPE_POLYGON, StdioFileSystem()));
    ASSERT_TRUE(WriteFeatureGeoPackage(gpkg, file, SHAPE_POLYGON, CCrsRef{}, 0, StdioFileSystem()).Ok());

    int code = 0;
    const std::string out = RunTool("/usr/bin/python3 " QUARVEX_SOURCE_DIR "/tests/native/check_holes.py '" + shp +
                                        "' '" + gpkg + "' " + std::to_string(80 * 80 - 40 * 30),
                                    &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out, "ok\n");
}
