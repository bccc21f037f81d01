// Names and paths tavoinst forms from the media, the registry and TAVOINST.INI.
#include "core/postinst/PostInstText.h"

#include <gtest/gtest.h>

using namespace postinst;

TEST(PostInstPaths, BaseNameIsBetweenLastBackslashAndLastDot)
{
    struct Case
    {
        const char* path;
        const char* base;
    };
    const Case cases[] = {
        {"C:\\Apps\\TAVO\\tavodemo.mdb", "tavodemo"},
        {"tavo.mdb", "tavo"},
        {"data\\tavo.mdb", "tavo"},
        {"archive.2024.mdb", "archive.2024"},
        {"tavo", ""},                // no dot
        {"C:\\My.Apps\\tavo", ""},   // a dot only in a directory name
        {"C:\\Apps\\.mdb", ""},      // nothing before the dot
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BaseName(c.path), c.base) << c.path;
}

TEST(PostInstPaths, CompanionFileTakesTheBaseName)
{
    EXPECT_EQ(CompanionFileName("tavo.mdb"), "tavo.tvw");
    EXPECT_EQ(CompanionFileName("data\\tavo.mdb"), "tavo.tvw");
    EXPECT_EQ(CompanionFileName("tavo"), ".tvw");
}

TEST(PostInstPaths, InstallDirIsTheProgramPathBeforeItsLastBackslash)
{
    EXPECT_EQ(InstallDirFromProgramPath("C:\\Apps\\TAVO\\tavo.exe"), "C:\\Apps\\TAVO");
    EXPECT_EQ(InstallDirFromProgramPath("C:\\tavo.exe"), "C:");
    EXPECT_EQ(InstallDirFromProgramPath("tavo.exe"), "");
    EXPECT_EQ(InstallDirFromProgramPath("C:\\Apps\\TAVO\\"), "C:\\Apps\\TAVO");
}

TEST(PostInstPaths, TrailingBackslashAddedOnlyWhenMissing)
{
    EXPECT_EQ(WithTrailingBackslash("D:\\SETUP"), "D:\\SETUP\\");
    EXPECT_EQ(WithTrailingBackslash("D:\\SETUP\\"), "D:\\SETUP\\");
    EXPECT_EQ(WithTrailingBackslash(""), "\\");
}

TEST(PostInstPaths, OpenCommandQuotesTheProgramButNotThePlaceholder)
{
    EXPECT_EQ(TvmOpenCommand("C:\\Apps\\TAVO\\tavo.exe"), "\"C:\\Apps\\TAVO\\tavo.exe\" %1");
    EXPECT_EQ(TvmOpenCommand("C:\\Program Files\\TAVO\\tavo.exe"), "\"C:\\Program Files\\TAVO\\tavo.exe\" %1");
}

TEST(PostInstPaths, MdacCommandLineKeepsThePathUnquotedWithASixteenCharacterSuffix)
{
    const std::string path = "D:\\My Media\\MDAC\\mdac_typ.exe";
    const std::string line = MdacCommandLine(path);
    EXPECT_EQ(line, "D:\\My Media\\MDAC\\mdac_typ.exe /c:\"setup /QN1\"");
    EXPECT_EQ(line.size() - path.size(), 16u);
}

TEST(PostInstPaths, DotEntriesAreNotListed)
{
    EXPECT_FALSE(IsListedEntry("."));
    EXPECT_FALSE(IsListedEntry(".."));
    EXPECT_FALSE(IsListedEntry(".hidden"));
    EXPECT_FALSE(IsListedEntry(""));
    EXPECT_TRUE(IsListedEntry("French"));
    EXPECT_TRUE(IsListedEntry("a.b"));
}

TEST(PostInstPaths, DataSourceMessageNamesTheDownloadSite)
{
    const std::string text = kDataSourceFailureMessage;
    EXPECT_EQ(text.find("An error occurred whilst attempting to set-up the data sources"), 0u);
    EXPECT_NE(text.find("from:\r\n\r\nhttps://www.microsoft.com/download\r\n\r\nOnce the ODBC drivers"),
              std::string::npos);
}
