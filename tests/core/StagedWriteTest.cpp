// Saves that cannot half-happen: the old files stay byte for byte until
// every new one was written in full, and no temporary is left behind.
#include <functional>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "core/georef/ImageSettings.h"
#include "core/georef/WorldFile.h"
#include "core/io/StagedWrite.h"
#include "core/io/StdioFileSystem.h"
#include "tests/core/ShapeWriterFixture.h"
#include "tests/core/TestFiles.h"

namespace
{
class StagedSave : public testing::Test
{
protected:
    void SetUp() override
    {
        FitRoundNumberGeoRef(m_file.m_geoRef);
        m_file.m_shapes.Add(MakeShape({{10, 10}, {20, 30}}, "road"));
        for (const char* name : {"out.shp", "out.shx", "out.dbf"})
            m_memory.m_files[name] = std::string("old ") + name;
        m_old = m_memory.m_files;
    }

    int Save(CFileSystem& files) { return m_file.WriteShapefile("out.shp", SHAPE_POLYLINE, files); }

    CShapeFile m_file;
    CMemoryFileSystem m_memory;
    std::map<std::string, std::string> m_old;
};
}

TEST_F(StagedSave, AFailureAnywhereLeavesTheOldTripleAndNoTemporary)
{
    for (const char* failing : {"out.shp.partial", "out.shx.partial", "out.dbf.partial"})
    {
        SCOPED_TRACE(failing);
        m_memory.m_files = m_old;
        m_memory.m_byteLimit = {{failing, 50}};
        {
            CStagedFileSystem staged(m_memory);
            EXPECT_EQ(Save(staged), 0);
        }
        EXPECT_EQ(m_memory.m_files, m_old);
    }
    // A target that cannot be replaced (a file in use, say) fails the save too.
    m_memory.m_byteLimit.clear();
    m_memory.m_refused = {"out.shp"};
    CStagedFileSystem staged(m_memory);
    ASSERT_EQ(Save(staged), 1);
    EXPECT_FALSE(staged.Commit());
    EXPECT_EQ(m_memory.m_files, m_old);
}

TEST_F(StagedSave, ACommittedSaveReplacesEveryFileWithTheBytesOfAPlainOne)
{
    CMemoryFileSystem plain;
    ASSERT_EQ(Save(plain), 1);
    CStagedFileSystem staged(m_memory);
    ASSERT_EQ(Save(staged), 1);
    ASSERT_TRUE(staged.Commit());
    EXPECT_EQ(m_memory.m_files, plain.m_files);
}

TEST(StagedWrite, WholeFileOnDiskReplacesTheOldOneAndLeavesNoTemporary)
{
#ifdef _WIN32
    GTEST_SKIP() << "the C library's rename replaces nothing on Windows; the program replaces through the system";
#endif
    ScratchDir dir;
    const std::string path = dir.File("scan.tvg");
    WriteFileBytes(path, "old");
    ASSERT_TRUE(WriteWholeFile(StdioFileSystem(), path, "new bytes\r\n"));
    EXPECT_EQ(ReadFileBytes(path), "new bytes\r\n");
    EXPECT_TRUE(ReadFileBytes(StagedName(path)).empty());
    EXPECT_FALSE(WriteWholeFile(StdioFileSystem(), dir.File("no such folder/scan.tvg"), "x"));
}

TEST_F(StagedSave, AFileInUseLaterInTheSetPutsBackTheOnesAlreadyReplaced)
{
    // The .shp and .shx are in place when the .dbf refuses; a .cpg the old
    // set never had is in place when the .prj refuses.
    CShapeSideFiles side;
    side.nCodePage = 1252;
    side.strPrj = "PROJCS[]";
    for (const char* refused : {"out.dbf", "out.prj"})
    {
        SCOPED_TRACE(refused);
        m_memory.m_files = m_old;
        m_memory.m_refused = {refused};
        CStagedFileSystem staged(m_memory);
        ASSERT_EQ(m_file.WriteShapefile("out.shp", SHAPE_POLYLINE, staged, side), 1);
        EXPECT_FALSE(staged.Commit());
        EXPECT_EQ(m_memory.m_files, m_old) << "old bytes, no temporary, nothing set aside";
    }
    // Nothing in use: the new set, and nothing set aside is left.
    m_memory.m_refused.clear();
    ASSERT_EQ(m_file.SaveAs("out.shp", SHAPE_POLYLINE, side, m_memory), 1);
    EXPECT_EQ(m_memory.m_files.size(), 5u);
    EXPECT_EQ(m_memory.m_files.count("out.shp.previous"), 0u);
    EXPECT_EQ(m_memory.m_files["out.cpg"], "1252");
}

TEST(StagedWrite, EverySideFileKeepsItsOldBytesWhenTheDiskFillsMidWrite)
{
    CMemoryFileSystem memory;
    CFileSystem& files = memory;
    CGeoRefArray geoRef;
    geoRef.m_points = {CGeoRefPoint(1, 2, 3, 4), CGeoRefPoint(5, 6, 7, 8)};
    CImageSettings settings;
    settings.Set("fit", "affine");
    CTransposeExtents extents = {};
    extents.x1 = extents.y1 = 10;
    extents.outW = extents.outH = 5;
    const struct
    {
        const char* target;
        std::function<bool()> write;
    } writers[] = {
        {"scan.tvg", [&] { return geoRef.WritePointFile("scan.jpg", files); }},
        {"scan.quarvex", [&] { return WriteImageSettings("scan.jpg", settings, files); }},
        {"scan.jgw", [&] { return WriteWorldFile("scan.jpg", extents, files); }},
    };
    for (const auto& writer : writers)
    {
        SCOPED_TRACE(writer.target);
        memory.m_files = {{writer.target, "old bytes\r\n"}};
        memory.m_byteLimit = {{StagedName(writer.target), 5}};
        EXPECT_FALSE(writer.write());
        EXPECT_EQ(memory.m_files, (std::map<std::string, std::string>{{writer.target, "old bytes\r\n"}}));
        memory.m_byteLimit.clear();
        EXPECT_TRUE(writer.write());
        EXPECT_NE(memory.m_files[writer.target], "old bytes\r\n");
        EXPECT_EQ(memory.m_files.size(), 1u);
    }
}
