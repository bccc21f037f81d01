// Saves that cannot half-happen: the old files stay byte for byte until
// every new one was written in full, and no temporary is left behind.
#include <map>
#include <string>

#include <gtest/gtest.h>

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
    std::set<std::string> m_refused;

    bool Replace(const std::string& from, const std::string& to) override
    {
        auto found = m_files.m_files.find(from);
        if (found == m_files.m_files.end() || m_refused.count(to))
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
