// What Save As writes beside the shapefile: the .cpg naming the code page of
// the names and the .prj of the coordinate system, and polygon rings that
// run clockwise on the map.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/io/MemoryFile.h"
#include "tests/core/ShapeWriterFixture.h"

namespace
{

const char kMain[] = "d/f.shp";
const char kPrj[] = "PROJCS[\"British_National_Grid\",GEOGCS[\"GCS_OSGB_1936\"]]";

class ShapeSideFiles : public testing::Test
{
protected:
    void SetUp() override
    {
        FitRoundNumberGeoRef(m_file.m_geoRef);
        m_file.m_shapes.Add(MakeShape({{1, 2}, {3, 4}, {5, 6}}, "caf\xe9"));
        m_side.strPrj = kPrj;
        m_side.nCodePage = 1252;
    }

    CShapeFile m_file;
    CShapeSideFiles m_side;
};

TEST_F(ShapeSideFiles, CodePageAndPrjFollowTheTableByteForByte)
{
    CMemoryFileSystem files;
    ASSERT_EQ(m_file.WriteShapefile(kMain, SHAPE_POLYLINE, files, m_side), 1);
    EXPECT_EQ(files.m_opened, (std::vector<std::string>{"d/f.shp", "d/f.shx", "d/f.dbf", "d/f.cpg", "d/f.prj"}));
    EXPECT_EQ(files.m_files["d/f.cpg"], "1252");
    EXPECT_EQ(files.m_files["d/f.prj"], kPrj);

    // No system: no .prj. Without a code page (the portable default) no .cpg.
    CMemoryFileSystem plain;
    ASSERT_EQ(m_file.WriteShapefile(kMain, SHAPE_POLYLINE, plain, CShapeSideFiles()), 1);
    EXPECT_EQ(plain.m_opened, (std::vector<std::string>{"d/f.shp", "d/f.shx", "d/f.dbf"}));
    EXPECT_EQ(plain.m_files["d/f.dbf"], files.m_files["d/f.dbf"]) << "the table's bytes do not depend on the .cpg";

    const struct
    {
        unsigned codePage;
        const char* text;
    } pages[] = {{1252, "1252"}, {1251, "1251"}, {932, "932"}, {65001, "UTF-8"}};
    for (const auto& page : pages)
        EXPECT_EQ(CodePageFileText(page.codePage), page.text);
}

TEST_F(ShapeSideFiles, ASideFileThatCannotBeWrittenFailsTheSave)
{
    for (const char* path : {"d/f.cpg", "d/f.prj"})
    {
        CMemoryFileSystem unopenable, cut, lost;
        unopenable.m_unopenable.insert(path);
        cut.m_byteLimit[path] = 3;
        lost.m_failingFlush.insert(path);
        for (CMemoryFileSystem* files : {&unopenable, &cut, &lost})
        {
            EXPECT_EQ(m_file.WriteShapefile(kMain, SHAPE_POLYGON, *files, m_side), 0) << path;
            EXPECT_EQ(files->m_opened.back(), path) << "nothing is written after the failure";
        }
    }
    // A main file named as one of its side files would be overwritten by it.
    for (const char* main : {"d/f.prj", "d/F.CPG"})
    {
        CMemoryFileSystem files;
        EXPECT_EQ(m_file.WriteShapefile(main, SHAPE_POLYLINE, files, m_side), 0) << main;
        EXPECT_TRUE(files.m_opened.empty()) << main;
    }
    CMemoryFileSystem noPrj;
    EXPECT_EQ(m_file.WriteShapefile("d/f.prj", SHAPE_POLYLINE, noPrj, CShapeSideFiles()), 1)
        << "without a system nothing else is called .prj";
}

// Column c, row r lies at map (100 + c, 300 - r): rows run south.
struct RingCase
{
    const char* name;
    std::vector<TestVertex> clicks;   // closed when finished
    bool reversed;
};

TEST(ShapeRingDirection, PolygonRingsRunClockwiseOnTheMap)
{
    const RingCase cases[] = {
        {"clicked clockwise", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, false},
        {"clicked anticlockwise", {{0, 0}, {0, 10}, {10, 10}, {10, 0}}, true},
        {"anticlockwise with a notch", {{0, 0}, {0, 20}, {20, 20}, {20, 0}, {10, 15}}, true},
        {"no area", {{0, 0}, {5, 5}, {10, 10}}, false},
    };
    for (const RingCase& c : cases)
    {
        for (ShapeType type : {SHAPE_POLYGON, SHAPE_POLYLINE})
        {
            CShapeFile file;
            FitRoundNumberGeoRef(file.m_geoRef);
            CShape current = MakeShape(c.clicks);
            ASSERT_TRUE(FinishThroughEdit(current, type, true, "", file.m_shapes));
            CMemoryFileSystem files;
            ASSERT_EQ(file.WriteShapefile(kMain, type, files), 1);
            const std::string& shp = files.m_files[kMain];

            const CShape& shape = file.m_shapes.GetAt(0);
            const int n = shape.GetSize();
            ASSERT_EQ(shp.size(), 100u + 8 + 48 + 16 * size_t(n)) << c.name;
            const bool reversed = type == SHAPE_POLYGON && c.reversed;
            for (int v = 0; v < n; ++v)
            {
                const CShapeVertex& expected = shape.GetAt(reversed ? n - 1 - v : v);
                EXPECT_EQ(DoubleAt(shp, 156 + 16 * v), 100.0 + expected.x) << c.name << " vertex " << v;
                EXPECT_EQ(DoubleAt(shp, 164 + 16 * v), 300.0 - expected.y) << c.name << " vertex " << v;
            }
            // The box and counts are those of the clicks in any order; the
            // document's shapes stay in the order clicked.
            EXPECT_EQ(DoubleAt(shp, 112), 100.0 + 0) << c.name;
            EXPECT_EQ(DoubleAt(shp, 136), 300.0 - 0) << c.name;
            EXPECT_EQ(shape.GetAt(1).x, c.clicks[1].x) << c.name;
        }
    }
}

}   // namespace
