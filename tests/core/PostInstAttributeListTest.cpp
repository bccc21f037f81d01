// The ODBC attribute lists of tavoinst, byte for byte.
#include "core/postinst/PostInstText.h"

#include <gtest/gtest.h>

#include <string>

using namespace postinst;

namespace
{

// The list as the ODBC installer reads it: the text and its terminating NUL.
std::string ListBytes(const std::string& list) { return std::string(list.c_str(), list.size() + 1); }

std::string Nul(const char* item) { return std::string(item) + '\0'; }

}   // namespace

TEST(PostInstAttributeList, ReplacesEverySeparatorInPlace)
{
    EXPECT_EQ(ListBytes(MakeAttributeList("A=1|B=2|")), std::string("A=1\0B=2\0\0", 9));
    EXPECT_EQ(MakeAttributeList("||"), std::string(2, '\0'));
    EXPECT_EQ(MakeAttributeList(""), "");
    EXPECT_EQ(MakeAttributeList("no separator"), "no separator");
}

TEST(PostInstAttributeList, ExcelDriverHoldsItsItemsInOrderAndEndsWithThreeNuls)
{
    const std::string list =
        ListBytes(MakeAttributeList(MakeDriverAttributeText(kOdbcDrivers[2], "C:\\WINDOWS\\SYSTEM")));
    const std::string expected = Nul("Microsoft Excel Driver (*.xls)") +
                                 Nul("Driver=C:\\WINDOWS\\SYSTEM\\odbcjt32.dll") +
                                 Nul("Setup=C:\\WINDOWS\\SYSTEM\\odexl32.dll") + Nul("FileUsage=1") +
                                 Nul("APILevel=1") + Nul("ConnectFunctions=YYN") + Nul("DriverODBCVer=02.50") +
                                 Nul("FileExtns=*.xls") + Nul("SQLLevel=0") + std::string(2, '\0');
    EXPECT_EQ(list, expected);
}

TEST(PostInstAttributeList, FourDriverMembersInRegistrationOrder)
{
    struct Expected
    {
        const char* first;
        const char* setup;
        const char* usage;
        const char* extensions;
    };
    const Expected expected[4] = {
        {"Microsoft Access Driver (*.mdb)", "Setup=C:\\W\\odbcjt32.dll", "FileUsage=2", "FileExtns=*.mdb"},
        {"Microsoft dBase Driver (*.dbf)", "Setup=C:\\W\\oddbse32.dll", "FileUsage=1", "FileExtns=*.dbf,*.ndx,*.mdx"},
        {"Microsoft Excel Driver (*.xls)", "Setup=C:\\W\\odexl32.dll", "FileUsage=1", "FileExtns=*.xls"},
        {"Microsoft Text (*.txt;*.csv)", "Setup=C:\\W\\odtext32.dll", "FileUsage=1",
         "FileExtns=*.,*.asc,*.csv,*.tab,*.txt,*.csv"},
    };
    for (int i = 0; i < 4; ++i)
    {
        SCOPED_TRACE(i);
        const std::string text = MakeDriverAttributeText(kOdbcDrivers[i], "C:\\W");
        const std::string wanted = std::string(expected[i].first) + "|Driver=C:\\W\\odbcjt32.dll|" + expected[i].setup +
                                   "|" + expected[i].usage + "|APILevel=1|ConnectFunctions=YYN|DriverODBCVer=02.50|" +
                                   expected[i].extensions + "|SQLLevel=0||";
        EXPECT_EQ(text, wanted);
    }
    EXPECT_STREQ(kOdbcDrivers[3].failureMessage, "Microsoft Text Driver Failed to Install");
    EXPECT_STREQ(kAccessDriverName, kOdbcDrivers[0].description);
}

TEST(PostInstAttributeList, DemonstrationDataSourceEndsWithEmptyUidAndTwoNuls)
{
    const std::string list = ListBytes(MakeAttributeList(MakeDataSourceAttributeText("C:\\Apps\\TAVO\\tavodemo.mdb")));
    const std::string expected = Nul("DSN=tavodemo") + Nul("Description=Tavolen") +
                                 Nul("DBQ=C:\\Apps\\TAVO\\tavodemo.mdb") + Nul("Driver=odbcjt32.dll") +
                                 Nul("DriverId=25") + Nul("FIL=MS Access") + Nul("SafeTransactions=0") + Nul("UID=") +
                                 std::string(1, '\0');
    EXPECT_EQ(list, expected);
}

TEST(PostInstAttributeList, DataSourceOfAFileWithoutDotHasAnEmptyName)
{
    EXPECT_EQ(MakeDataSourceAttributeText("C:\\My.Apps\\tavodemo").substr(0, 5), "DSN=|");
}
