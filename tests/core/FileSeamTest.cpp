// The file seam's own rules: the path helpers on Windows paths, the memory
// files failing where they are told, and the C library's files reading back
// what was written, appended to and replaced.
#include <string>

#include <gtest/gtest.h>

#include "core/io/FileWriter.h"
#include "core/io/MemoryFile.h"
#include "core/io/Path.h"
#include "core/io/StagedWrite.h"
#include "core/io/StdioFileSystem.h"
#include "tests/core/TestFiles.h"

TEST(Path, SplitsAtEitherSlashAndAtADriveAndNeverAtADotOfAFolder)
{
    const struct
    {
        const char* path;
        const char* fileName;
        const char* stem;
        const char* extension;
        const char* folder;
    } cases[] = {
        {"C:\\maps.old\\site.v2.jpg", "site.v2.jpg", "site.v2", ".jpg", "C:\\maps.old\\"},
        {"/data/maps.old/site", "site", "site", "", "/data/maps.old/"},
        {"C:site.JPG", "site.JPG", "site", ".JPG", "C:"},
        {"maps\\v1.2/roads.shp", "roads.shp", "roads", ".shp", "maps\\v1.2/"},
        {"scan", "scan", "scan", "", ""},
        {".jpg", ".jpg", "", ".jpg", ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(PathFileName(c.path), c.fileName);
        EXPECT_EQ(PathStem(c.path), c.stem);
        EXPECT_EQ(PathExtension(c.path), c.extension);
        EXPECT_EQ(PathFolder(c.path), c.folder);
    }
    EXPECT_TRUE(SameFileName("C:\\Maps\\ROADS.SHX", "c:\\maps\\roads.shx"));
    EXPECT_FALSE(SameFileName("roads.shx", "roads.shp"));
}

TEST(MemoryFiles, FailWhereTheTestSaysAndKeepWhatFits)
{
    CMemoryFileSystem files;
    files.m_byteLimit["full"] = 4;
    CFileWriter writer(files.OpenForWriting("full"));
    EXPECT_TRUE(writer.Write("abcdef", 6)) << "still in the buffer";
    EXPECT_FALSE(writer.Close());
    EXPECT_EQ(files.m_files["full"], "abcd");

    files.m_failingFlush.insert("lost");
    EXPECT_FALSE(WriteFileBytes(files, "lost", "x"));
    files.m_unopenable.insert("locked");
    EXPECT_FALSE(WriteFileBytes(files, "locked", "x"));
    EXPECT_EQ(files.OpenForWriting("missing", FILE_APPEND), nullptr) << "appending needs a file";

    // Appending starts at the end; a limit set later fails the next write.
    ASSERT_TRUE(WriteFileBytes(files, "journal", "head"));
    std::unique_ptr<CFile> journal = files.OpenForWriting("journal", FILE_APPEND);
    ASSERT_NE(journal, nullptr);
    EXPECT_EQ(journal->Write("1", 1), 1u);
    files.m_byteLimit["journal"] = 7;
    EXPECT_EQ(journal->Write("234", 3), 2u);
    EXPECT_EQ(journal->Write("5", 1), 0u) << "refused after a failure";
    EXPECT_EQ(files.m_files["journal"], "head123");

    files.m_refused.insert("in use");
    files.m_files["in use"] = "old";
    EXPECT_FALSE(WriteWholeFile(files, "in use", "new"));
    EXPECT_EQ(files.m_files, (std::map<std::string, std::string>{
                                 {"full", "abcd"}, {"journal", "head123"}, {"in use", "old"}, {"lost", "x"}}));
}

TEST(StdioFiles, ReadBackWhatWasWrittenAppendedAndReplaced)
{
    CFileSystem& files = StdioFileSystem();
    ScratchDir dir;
    const std::string path = dir.File("journal");
    std::string bytes;
    EXPECT_FALSE(ReadWholeFile(files, path, &bytes));
    EXPECT_FALSE(files.Exists(path));
    EXPECT_FALSE(ReadWholeFile(files, dir.File(""), &bytes)) << "a folder is no file";

    ASSERT_TRUE(WriteFileBytes(files, path, "head"));
    {
        std::unique_ptr<CFile> journal = files.OpenForWriting(path, FILE_APPEND);
        ASSERT_NE(journal, nullptr);
        EXPECT_EQ(journal->Write("+tail", 5), 5u);
        EXPECT_TRUE(journal->FlushToDisk());
        EXPECT_TRUE(journal->Close());
    }
    ASSERT_TRUE(ReadWholeFile(files, path, &bytes));
    EXPECT_EQ(bytes, "head+tail");
    std::unique_ptr<CFile> file = files.OpenForReading(path);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(ReadFileBytes(*file, &bytes, 4));
    EXPECT_EQ(bytes, "head");
    file.reset();

#ifndef _WIN32
    // Windows's C library renames onto no existing file; the program replaces through the system.
    ASSERT_TRUE(WriteWholeFile(files, path, "whole"));
    EXPECT_EQ(ReadFileBytes(path), "whole");
    EXPECT_FALSE(files.Exists(StagedName(path)));
#endif
    EXPECT_TRUE(files.Remove(path));
    EXPECT_TRUE(files.Remove(path)) << "a missing file is no failure";
}
