#include <string>

#include <gtest/gtest.h>

#include "core/shape/ShapeFile.h"
#include "tests/core/ShapeWriterFixture.h"

namespace
{

// The 97 bytes before the records: table header, ID and NAME descriptors, 0x0D.
std::string TableHeader(uint32_t records)
{
    ExpectedBytes b;
    b.Hex("03 64 01 01").Little32(records).Hex("61 00 29 00").Zeros(20);
    b.Text("ID").Zeros(9).Text("N").Zeros(4).Hex("08 00").Zeros(14);
    b.Text("NAME").Zeros(7).Text("C").Zeros(4).Hex("20 00").Zeros(14);
    b.Hex("0D");
    return b.Str();
}

class AttributeWriter : public testing::Test
{
protected:
    void SetUp() override { FitRoundNumberGeoRef(m_file.m_geoRef); }

    std::string Table()
    {
        EXPECT_EQ(m_file.WriteShapefile("out/t.shp", SHAPE_POINT, m_files), 1);
        return m_files.m_files["out/t.dbf"];
    }
    void AddPoint(const std::string& name) { m_file.m_shapes.Add(MakeShape({{1, 1}}, name)); }

    CShapeFile m_file;
    CMemoryFileSystem m_files;
};

TEST_F(AttributeWriter, NoShapesGives98Bytes)
{
    const std::string table = Table();
    EXPECT_EQ(table.size(), 98u);
    EXPECT_EQ(table, TableHeader(0) + "\x1A");
}

TEST_F(AttributeWriter, OneShapeNamedRoadGives139Bytes)
{
    AddPoint("Road");
    const std::string table = Table();
    EXPECT_EQ(table.size(), 139u);
    EXPECT_EQ(table, TableHeader(1) + " " + "       1" + "Road" + std::string(28, ' ') + "\x1A");
}

TEST_F(AttributeWriter, RecordsCarryRunningIdsAndNamesCutOrPaddedTo32Bytes)
{
    const std::string name32 = "abcdefghijklmnopqrstuvwxyz012345";
    const std::string name40 = name32 + "67890XYZ";
    const std::string ansi = "M\xFC"
                             "hlenweg";   // code page bytes pass through unchanged
    AddPoint(name32);
    AddPoint(name40);
    AddPoint("");
    AddPoint(ansi);
    for (int i = 5; i <= 10; ++i)
        AddPoint("p" + std::to_string(i));
    const std::string table = Table();
    ASSERT_EQ(table.size(), 97u + 41 * 10 + 1);
    EXPECT_EQ(table.substr(0, 97), TableHeader(10));
    auto record = [&](int i) { return table.substr(97 + 41 * (i - 1), 41); };
    EXPECT_EQ(record(1), " " + std::string("       1") + name32);
    EXPECT_EQ(record(2), " " + std::string("       2") + name32);
    EXPECT_EQ(record(3), " " + std::string("       3") + std::string(32, ' '));
    EXPECT_EQ(record(4), " " + std::string("       4") + ansi + std::string(32 - ansi.size(), ' '));
    EXPECT_EQ(record(10), " " + std::string("      10") + "p10" + std::string(29, ' '));
    EXPECT_EQ(table.back(), '\x1A');
}

TEST_F(AttributeWriter, PolylineAndPointFilesGetTheSameTable)
{
    AddPoint("a");
    AddPoint("b");
    const std::string points = Table();
    ASSERT_EQ(m_file.WriteShapefile("out/t.shp", SHAPE_POLYLINE, m_files), 1);
    EXPECT_EQ(m_files.m_files["out/t.dbf"], points);
}

}   // namespace
