#include <cfloat>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/shape/ByteOrder.h"
#include "core/shape/ShapeFile.h"
#include "tests/core/ShapeWriterFixture.h"

namespace
{

const char kMain[] = "maps/roads.shp";
const char kIndex[] = "maps/roads.shx";
const char kTable[] = "maps/roads.dbf";

class ShapefileWriter : public testing::Test
{
protected:
    void SetUp() override { FitRoundNumberGeoRef(m_file.m_geoRef); }

    void Save(ShapeType type)
    {
        ASSERT_EQ(m_file.WriteShapefile(kMain, type, m_files), 1);
        m_shp = m_files.m_files[kMain];
        m_shx = m_files.m_files[kIndex];
    }

    CShapeFile m_file;
    CMemoryFileSystem m_files;
    std::string m_shp, m_shx;
};

TEST(ByteOrder, FieldsComeOutInTheirOwnOrderWhateverTheHost)
{
    EXPECT_EQ(SwapBytes32(0x0000270A), 0x0A270000);
    EXPECT_EQ(SwapBytes32(0x12345678), 0x78563412);
    EXPECT_EQ(SwapBytes32(-2), static_cast<int32_t>(0xFEFFFFFF));
    unsigned char bytes[8];
    PutBig32(bytes, 9994);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 4), std::string("\x00\x00\x27\x0A", 4));
    PutLittle32(bytes, 1000);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 4), std::string("\xE8\x03\x00\x00", 4));
    PutLittleDouble(bytes, -1.7976931348623157e+308);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 8), std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xEF\xFF", 8));
}

TEST_F(ShapefileWriter, EmptyListWritesHeadersWithTheEmptyBox)
{
    Save(SHAPE_POLYLINE);
    const std::string header = ShapeHeader(50, SHAPE_POLYLINE, DBL_MAX, DBL_MAX, -DBL_MAX, -DBL_MAX).Str();
    ASSERT_EQ(m_shp.size(), 100u);
    EXPECT_EQ(m_shp, header);
    EXPECT_EQ(m_shx, header);
    EXPECT_EQ(Field(m_shp, 36, 8), std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xEF\x7F", 8));
    EXPECT_EQ(m_files.m_files[kTable].size(), 98u);
    EXPECT_EQ(m_files.m_opened, (std::vector<std::string>{kMain, kIndex, kTable}));
}

TEST_F(ShapefileWriter, OnePolylineOfTwoVertices)
{
    // Pixels (10, 90) and (30, 70) lie at map (110, 210) and (130, 230).
    m_file.m_shapes.Add(MakeShape({{10, 90}, {30, 70}}));
    Save(SHAPE_POLYLINE);
    ExpectedBytes shp = ShapeHeader(94, SHAPE_POLYLINE, 110, 210, 130, 230);
    shp.Big32(1).Big32(40).Little32(3).Double(110).Double(210).Double(130).Double(230);
    shp.Little32(1).Little32(2).Little32(0).Double(110).Double(210).Double(130).Double(230);
    EXPECT_EQ(m_shp.size(), 188u);
    EXPECT_EQ(m_shp, shp.Str());
    ExpectedBytes shx = ShapeHeader(54, SHAPE_POLYLINE, 110, 210, 130, 230);
    shx.Big32(50).Big32(40);
    EXPECT_EQ(m_shx.size(), 108u);
    EXPECT_EQ(m_shx, shx.Str());
}

TEST_F(ShapefileWriter, PolygonIsWrittenAsClosedWithNothingReordered)
{
    CShape current = MakeShape({{0, 100}, {0, 0}, {50, 50}});
    FinishThroughEdit(current, SHAPE_POLYGON, true, "lake", m_file.m_shapes);
    Save(SHAPE_POLYGON);
    ExpectedBytes shp = ShapeHeader((100 + 56 + 64) / 2, SHAPE_POLYGON, 100, 200, 150, 300);
    shp.Big32(1).Big32(56).Little32(5).Double(100).Double(200).Double(150).Double(300);
    shp.Little32(1).Little32(4).Little32(0);
    shp.Double(100).Double(200).Double(100).Double(300).Double(150).Double(250).Double(100).Double(200);
    EXPECT_EQ(m_shp, shp.Str());
    EXPECT_EQ(Field(m_shx, 100, 8), ExpectedBytes().Big32(50).Big32(56).Str());
}

TEST_F(ShapefileWriter, PointFileOfOnePointIs128Bytes)
{
    m_file.m_shapes.Add(MakeShape({{10, 90}}));
    Save(SHAPE_POINT);
    const std::string xy = "00 00 00 00 00 80 5B 40  00 00 00 00 00 40 6A 40";
    ExpectedBytes shp;
    shp.Hex("00 00 27 0A").Zeros(20).Hex("00 00 00 40 E8 03 00 00 01 00 00 00");
    shp.Hex(xy.c_str()).Hex(xy.c_str()).Zeros(32);
    shp.Hex("00 00 00 01 00 00 00 0A 01 00 00 00").Hex(xy.c_str());
    EXPECT_EQ(m_shp.size(), 128u);
    EXPECT_EQ(m_shp, shp.Str());
    EXPECT_EQ(m_shx.size(), 108u);
    EXPECT_EQ(Field(m_shx, 24, 4), ExpectedBytes().Hex("00 00 00 36").Str());
    EXPECT_EQ(Field(m_shx, 0, 24), Field(m_shp, 0, 24));
    EXPECT_EQ(Field(m_shx, 28, 72), Field(m_shp, 28, 72));
    EXPECT_EQ(Field(m_shx, 100, 8), ExpectedBytes().Hex("00 00 00 32 00 00 00 0A").Str());
}

TEST_F(ShapefileWriter, ThreePointsNumberedInListOrder)
{
    m_file.m_shapes.Add(MakeShape({{1, 2}}));
    m_file.m_shapes.Add(MakeShape({{3, 4}}));
    m_file.m_shapes.Add(MakeShape({{5, 6}}));
    Save(SHAPE_POINT);
    ExpectedBytes shp = ShapeHeader(92, SHAPE_POINT, 101, 294, 105, 298);
    shp.Big32(1).Big32(10).Little32(1).Double(101).Double(298);
    shp.Big32(2).Big32(10).Little32(1).Double(103).Double(296);
    shp.Big32(3).Big32(10).Little32(1).Double(105).Double(294);
    EXPECT_EQ(m_shp.size(), 184u);
    EXPECT_EQ(m_shp, shp.Str());
    ExpectedBytes shx = ShapeHeader(62, SHAPE_POINT, 101, 294, 105, 298);
    shx.Big32(50).Big32(10).Big32(64).Big32(10).Big32(78).Big32(10);
    EXPECT_EQ(m_shx.size(), 124u);
    EXPECT_EQ(m_shx, shx.Str());
}

TEST_F(ShapefileWriter, TwoPolylinesGiveRunningIndexOffsets)
{
    m_file.m_shapes.Add(MakeShape({{0, 0}, {1, 1}, {2, 2}}));
    m_file.m_shapes.Add(MakeShape({{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}));
    Save(SHAPE_POLYLINE);
    EXPECT_EQ(BigAt(m_shp, 24), 170u);
    EXPECT_EQ(m_shp.size(), 340u);
    EXPECT_EQ(BigAt(m_shp, 100), 1u);
    EXPECT_EQ(BigAt(m_shp, 104), 48u);
    EXPECT_EQ(BigAt(m_shp, 204), 2u);   // 100 + 8 + 96
    EXPECT_EQ(BigAt(m_shp, 208), 64u);
    EXPECT_EQ(Field(m_shx, 100, 16), ExpectedBytes().Big32(50).Big32(48).Big32(102).Big32(64).Str());
}

TEST_F(ShapefileWriter, RotatedGeoRefWritesExactlyWhatPixelToMapGives)
{
    CGeoRefArray& geoRef = m_file.m_geoRef;
    geoRef.SetImageHeight(4000);
    geoRef.m_points = {CGeoRefPoint(512345.25, 4201234.5, 120, 3800), CGeoRefPoint(520000.75, 4202100.0, 2900, 3500),
                       CGeoRefPoint(512900.0, 4210000.125, 300, 150)};
    ASSERT_TRUE(geoRef.CalcTransform());
    ASSERT_NE(geoRef.m_dRotation, 0.0);
    const std::vector<TestVertex> clicks = {{17, 3999}, {2500, 12}, {1234, 2345}, {-5, 4100}};
    m_file.m_shapes.Add(MakeShape(clicks));
    Save(SHAPE_POLYLINE);

    CShapeBounds box;
    box.m_dXMin = box.m_dYMin = DBL_MAX;
    box.m_dXMax = box.m_dYMax = -DBL_MAX;
    for (size_t i = 0; i < clicks.size(); ++i)
    {
        double x = NAN, y = NAN;
        ASSERT_TRUE(geoRef.PixelToMap(clicks[i].x, clicks[i].y, &x, &y));
        EXPECT_EQ(DoubleAt(m_shp, 156 + 16 * i), x) << i;
        EXPECT_EQ(DoubleAt(m_shp, 164 + 16 * i), y) << i;
        box.m_dXMin = std::fmin(box.m_dXMin, x);
        box.m_dYMin = std::fmin(box.m_dYMin, y);
        box.m_dXMax = std::fmax(box.m_dXMax, x);
        box.m_dYMax = std::fmax(box.m_dYMax, y);
    }
    // The record's box and the file's box agree with the converted vertices.
    const double expected[4] = {box.m_dXMin, box.m_dYMin, box.m_dXMax, box.m_dYMax};
    for (int k = 0; k < 4; ++k)
    {
        EXPECT_EQ(DoubleAt(m_shp, 36 + 8 * k), expected[k]);
        EXPECT_EQ(DoubleAt(m_shp, 112 + 8 * k), expected[k]);
    }
    const CShapeBounds extent = m_file.GetExtent();
    EXPECT_EQ(extent.m_dXMin, box.m_dXMin);
    EXPECT_EQ(extent.m_dYMax, box.m_dYMax);
    EXPECT_EQ(extent.m_nParts, 0);
    EXPECT_EQ(extent.m_nPoints, 0);
}

TEST_F(ShapefileWriter, ShapeWithoutVerticesLeavesTheFileBoxAlone)
{
    // An empty shape's empty box must not widen the file's box to the whole
    // range of doubles.
    m_file.m_shapes.Add(CShape());
    m_file.m_shapes.Add(MakeShape({{10, 90}, {30, 70}}));
    ASSERT_EQ(m_file.m_shapes.GetAt(0).GetSize(), 0);
    const CShapeBounds extent = m_file.GetExtent();
    EXPECT_EQ(extent.m_dXMin, 110);
    EXPECT_EQ(extent.m_dYMin, 210);
    EXPECT_EQ(extent.m_dXMax, 130);
    EXPECT_EQ(extent.m_dYMax, 230);
    Save(SHAPE_POLYLINE);
    EXPECT_EQ(Field(m_shp, 36, 32), ExpectedBytes().Double(110).Double(210).Double(130).Double(230).Str());
    EXPECT_EQ(Field(m_shx, 36, 32), Field(m_shp, 36, 32));
}

TEST_F(ShapefileWriter, SavingTwiceWritesTheSameBytesAndLeavesTheShapes)
{
    CShape current = MakeShape({{3, 3}, {40, 8}, {20, 60}});
    FinishThroughEdit(current, SHAPE_POLYGON, true, "field", m_file.m_shapes);
    current = MakeShape({{5, 5}, {6, 9}});
    FinishThroughEdit(current, SHAPE_POLYGON, true, "yard", m_file.m_shapes);
    Save(SHAPE_POLYGON);
    const std::map<std::string, std::string> first = m_files.m_files;
    Save(SHAPE_POLYGON);
    EXPECT_EQ(m_files.m_files, first);
    EXPECT_EQ(m_file.m_shapes.GetSize(), 2);
    EXPECT_EQ(m_file.m_shapes.GetAt(0).GetSize(), 4);
}

struct SideNameCase
{
    const char* main;
    const char* index;
    const char* table;
};

class SideNames : public testing::TestWithParam<SideNameCase>
{};

TEST_P(SideNames, IndexAndTableStayBesideTheMainFile)
{
    CShapeFile file;
    CMemoryFileSystem files;
    ASSERT_EQ(file.WriteShapefile(GetParam().main, SHAPE_POLYLINE, files), 1);
    EXPECT_EQ(files.m_opened, (std::vector<std::string>{GetParam().main, GetParam().index, GetParam().table}));
}

INSTANTIATE_TEST_SUITE_P(
    ShapefileWriter, SideNames,
    testing::Values(SideNameCase{"C:\\maps\\roads.shp", "C:\\maps\\roads.shx", "C:\\maps\\roads.dbf"},
                    SideNameCase{"C:\\maps\\roads.txt", "C:\\maps\\roads.shx", "C:\\maps\\roads.dbf"},
                    SideNameCase{"C:\\my.maps\\roads", "C:\\my.maps\\roads.shx", "C:\\my.maps\\roads.dbf"},
                    SideNameCase{"/tmp/v1.2/roads", "/tmp/v1.2/roads.shx", "/tmp/v1.2/roads.dbf"},
                    SideNameCase{"a.b.shp", "a.b.shx", "a.b.dbf"}));

}   // namespace
