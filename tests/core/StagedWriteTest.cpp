// Saves that cannot half-happen: the old files stay byte for byte until
// every new one was written in full, and no temporary is left behind.
#include <functional>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "core/georef/ImageSettings.h"
#include "core/georef/WorldFile.h"
#include "core/shape/StagedWrite.h"
#include "tests/core/ShapeWriterFixture.h"
#include "tests/core/TestFiles.h"

namespace
{
// Replaces entries of the memory files as a rename would.
class CMemoryReplacer : public CFileReplacer
{
public:
    explicit CMemoryReplacer(CMemorySinkOpener& files) : m_files(files) {}
    // Files in use: they can be neither replaced nor moved.
    std::set<std::string> m_refused;

    bool Replace(const std::string& from, const std::string& to) override
    {
        auto found = m_files.m_files.find(from);
        if (found == m_files.m_files.end() || m_refused.count(to) || m_refused.count(from))
            return false;
        m_files.m_files[to] = found->second;
        m_files.m_files.erase(from);
        return true;
    }
    bool Remove(const std::string& path) override
    {
        m_files.m_files.erase(path);
        return true;
    }

private:
    CMemorySinkOpener& m_files;
};

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

    int Save(CSinkOpener& opener) { return m_file.WriteShapefile("out.shp", SHAPE_POLYLINE, opener); }

    CShapeFile m_file;
    CMemorySinkOpener m_memory;
    CMemoryReplacer m_replacer{m_memory};
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
            CStagedSinkOpener staged(m_memory, m_replacer);
            EXPECT_EQ(Save(staged), 0);
        }
        EXPECT_EQ(m_memory.m_files, m_old);
    }
    // A target that cannot be replaced (a file in use, say) fails the save too.
    m_memory.m_byteLimit.clear();
    m_replacer.m_refused = {"out.shp"};
    CStagedSinkOpener staged(m_memory, m_replacer);
    ASSERT_EQ(Save(staged), 1);
    EXPECT_FALSE(staged.Commit());
    EXPECT_EQ(m_memory.m_files, m_old);
}

TEST_F(StagedSave, ACommittedSaveReplacesEveryFileWithTheBytesOfAPlainOne)
{
    CMemorySinkOpener plain;
    ASSERT_EQ(Save(plain), 1);
    CStagedSinkOpener staged(m_memory, m_replacer);
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
    ASSERT_TRUE(WriteWholeFile(path, "new bytes\r\n", FileSinkOpener(), PortableFileReplacer()));
    EXPECT_EQ(ReadFileBytes(path), "new bytes\r\n");
    EXPECT_TRUE(ReadFileBytes(StagedName(path)).empty());
    EXPECT_FALSE(WriteWholeFile(dir.File("no such folder/scan.tvg"), "x", FileSinkOpener(), PortableFileReplacer()));
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
        m_replacer.m_refused = {refused};
        CStagedSinkOpener staged(m_memory, m_replacer);
        ASSERT_EQ(m_file.WriteShapefile("out.shp", SHAPE_POLYLINE, staged, side), 1);
        EXPECT_FALSE(staged.Commit());
        EXPECT_EQ(m_memory.m_files, m_old) << "old bytes, no temporary, nothing set aside";
    }
    // Nothing in use: the new set, and nothing set aside is left.
    m_replacer.m_refused.clear();
    CStagedFiles files{m_memory, m_replacer};
    ASSERT_EQ(m_file.SaveAs("out.shp", SHAPE_POLYLINE, side, files), 1);
    EXPECT_EQ(m_memory.m_files.size(), 5u);
    EXPECT_EQ(m_memory.m_files.count("out.shp.previous"), 0u);
    EXPECT_EQ(m_memory.m_files["out.cpg"], "1252");
}

TEST(StagedWrite, EverySideFileKeepsItsOldBytesWhenTheDiskFillsMidWrite)
{
    CMemorySinkOpener memory;
    CMemoryReplacer replacer(memory);
    const CStagedFiles files{memory, replacer};
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
        {"scan.tvg", [&] { return geoRef.WritePointFile("scan.jpg", files) != FALSE; }},
        {"scan.quarvex", [&] { return WriteImageSettings("scan.jpg", settings, files); }},
        {"scan.jgw", [&] { return WriteWorldFile("scan.jpg", extents, files) != FALSE; }},
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
