// A save either writes all three files in full or reports failure; what it
// leaves on disk follows the order main file, index, table.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/shape/ShapeFile.h"
#include "tests/core/ShapeWriterFixture.h"
#include "tests/core/TestFiles.h"

namespace
{

const char kMain[] = "d/f.shp";
const char kIndex[] = "d/f.shx";
const char kTable[] = "d/f.dbf";

class ShapeWriteFailure : public testing::TestWithParam<ShapeType>
{
protected:
    void SetUp() override
    {
        FitRoundNumberGeoRef(m_file.m_geoRef);
        m_file.m_shapes.Add(MakeShape({{1, 2}, {3, 4}, {5, 6}}, "one"));
        m_file.m_shapes.Add(MakeShape({{7, 8}}, "two"));
        m_file.m_shapes.Add(MakeShape({{9, 9}, {1, 1}}, "three"));
        CMemoryFileSystem complete;
        ASSERT_EQ(m_file.WriteShapefile(kMain, GetParam(), complete), 1);
        m_complete = complete.m_files;
    }

    CShapeFile m_file;
    std::map<std::string, std::string> m_complete;
};

// Every possible short write, in every file: header, records, index entries,
// table header and records, end-of-file byte.
TEST_P(ShapeWriteFailure, ShortWriteAnywhereFailsTheSaveAndStopsTheFilesAfterIt)
{
    const std::vector<std::string> order = {kMain, kIndex, kTable};
    for (size_t f = 0; f < order.size(); ++f)
    {
        const size_t size = m_complete[order[f]].size();
        for (size_t limit = 0; limit < size; ++limit)
        {
            CMemoryFileSystem files;
            files.m_byteLimit[order[f]] = limit;
            EXPECT_EQ(m_file.WriteShapefile(kMain, GetParam(), files), 0) << order[f] << " cut at " << limit;
            EXPECT_EQ(files.m_opened, std::vector<std::string>(order.begin(), order.begin() + f + 1));
            EXPECT_EQ(files.m_files[order[f]], m_complete[order[f]].substr(0, limit));
        }
    }
}

TEST_P(ShapeWriteFailure, BytesLostAtCloseFailTheSave)
{
    for (const char* path : {kMain, kIndex, kTable})
    {
        CMemoryFileSystem files;
        files.m_failingFlush.insert(path);
        EXPECT_EQ(m_file.WriteShapefile(kMain, GetParam(), files), 0) << path;
        EXPECT_EQ(files.m_opened.back(), path);
    }
}

TEST_P(ShapeWriteFailure, UnopenableFileFailsTheSaveAndNothingAfterItIsOpened)
{
    const std::vector<std::string> order = {kMain, kIndex, kTable};
    for (size_t f = 0; f < order.size(); ++f)
    {
        CMemoryFileSystem files;
        files.m_unopenable.insert(order[f]);
        EXPECT_EQ(m_file.WriteShapefile(kMain, GetParam(), files), 0) << order[f];
        EXPECT_EQ(files.m_opened, std::vector<std::string>(order.begin(), order.begin() + f + 1));
        for (size_t before = 0; before < f; ++before)
            EXPECT_EQ(files.m_files[order[before]], m_complete[order[before]]);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryType, ShapeWriteFailure, testing::Values(SHAPE_POINT, SHAPE_POLYLINE, SHAPE_POLYGON));

TEST(ShapeWriteRefusal, NothingIsOpenedForWhatNoFileCouldHoldTruly)
{
    CShapeFile unfitted;
    unfitted.m_shapes.Add(MakeShape({{1, 1}}));
    CShapeFile pointWithoutVertex;
    FitRoundNumberGeoRef(pointWithoutVertex.m_geoRef);
    pointWithoutVertex.m_shapes.Add(CShape());
    CShapeFile fitted;
    FitRoundNumberGeoRef(fitted.m_geoRef);

    struct
    {
        CShapeFile* file;
        ShapeType type;
        const char* why;
    } cases[] = {
        {&unfitted, SHAPE_POLYLINE, "vertices without a fitted georeference"},
        {&pointWithoutVertex, SHAPE_POINT, "a point shape without a vertex"},
        {&fitted, static_cast<ShapeType>(2), "an unknown shape type"},
        {&fitted, static_cast<ShapeType>(0), "the null shape type"},
    };
    for (const auto& c : cases)
    {
        CMemoryFileSystem files;
        EXPECT_EQ(c.file->WriteShapefile("a.shp", c.type, files), 0) << c.why;
        EXPECT_TRUE(files.m_opened.empty()) << c.why;
    }
    // A main file named like its own index or table would be overwritten by it.
    for (const char* path : {"roads.shx", "C:\\maps\\ROADS.DBF", "roads.Shx"})
    {
        CMemoryFileSystem files;
        EXPECT_EQ(fitted.WriteShapefile(path, SHAPE_POLYLINE, files), 0) << path;
        EXPECT_TRUE(files.m_opened.empty()) << path;
    }
    // An empty list needs no georeference: header-only files.
    CShapeFile empty;
    CMemoryFileSystem files;
    EXPECT_EQ(empty.WriteShapefile("a.shp", SHAPE_POLYLINE, files), 1);
    EXPECT_EQ(files.m_files["a.shp"].size(), 100u);
}

// The same on a real disk: a folder standing where a file should go cannot
// be opened for writing, and files of the later names stay untouched.
TEST(ShapeWriteFailureOnDisk, UnopenableFilesLeaveTheOthersAsTheyWere)
{
    CShapeFile file;
    FitRoundNumberGeoRef(file.m_geoRef);
    file.m_shapes.Add(MakeShape({{1, 2}, {3, 4}}, "road"));
    const char* extensions[] = {".shp", ".shx", ".dbf"};
    for (int blocked = 0; blocked < 3; ++blocked)
    {
        ScratchDir dir;
        const std::string main = dir.File("roads.shp");
        for (int e = 0; e < 3; ++e)
            WriteFileBytes(dir.File(std::string("roads") + extensions[e]), "old");
        std::filesystem::remove(dir.File(std::string("roads") + extensions[blocked]));
        std::filesystem::create_directory(dir.File(std::string("roads") + extensions[blocked]));

        EXPECT_EQ(file.WriteShapefile(main.c_str(), SHAPE_POLYLINE), 0) << extensions[blocked];
        for (int e = 0; e < 3; ++e)
        {
            if (e == blocked)
                continue;
            const std::string bytes = ReadFileBytes(dir.File(std::string("roads") + extensions[e]));
            if (e < blocked)
                EXPECT_NE(bytes, "old") << extensions[e] << " written before the failure";
            else
                EXPECT_EQ(bytes, "old") << extensions[e] << " after the failure stays as it was";
        }
    }
    ScratchDir dir;
    const std::string inMissingFolder = dir.File("missing/roads.shp");
    EXPECT_EQ(file.WriteShapefile(inMissingFolder.c_str(), SHAPE_POLYLINE), 0);
}

TEST(ShapeWriteOnDisk, FilesOnDiskEqualTheBytesInMemoryAndDotlessNamesStayInTheirFolder)
{
    CShapeFile file;
    FitRoundNumberGeoRef(file.m_geoRef);
    for (int i = 0; i < 3000; ++i)   // more than one buffer of records
        file.m_shapes.Add(MakeShape({{i, i % 97}, {i + 1, 5}, {7, i % 13}}, "n" + std::to_string(i)));
    CShape longLine;   // one record larger than the whole buffer
    for (int i = 0; i < 20000; ++i)
        longLine.Add(i, i % 101);
    file.m_shapes.Add(longLine);
    ScratchDir dir;
    std::filesystem::create_directory(dir.Path() / "v1.2");
    const std::string main = dir.File("v1.2/roads");
    ASSERT_EQ(file.WriteShapefile(main.c_str(), SHAPE_POLYLINE), 1);
    CMemoryFileSystem memory;
    ASSERT_EQ(file.WriteShapefile(main.c_str(), SHAPE_POLYLINE, memory), 1);
    EXPECT_EQ(ReadFileBytes(main), memory.m_files[main]);
    EXPECT_EQ(ReadFileBytes(main + ".shx"), memory.m_files[main + ".shx"]);
    EXPECT_EQ(ReadFileBytes(main + ".dbf"), memory.m_files[main + ".dbf"]);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "v1.shx"));
}

}   // namespace
