// The ODBC registrations: the four drivers as the ODBC installer records
// them, and the data source created through the Access driver's setup library.
#include "PostTestSupport.h"

#include "installer/post/Module.h"
#include "installer/post/OdbcSetup.h"
#include "core/postinst/PostInstText.h"

using namespace posttest;
using namespace postinst;

namespace
{

const std::string kOdbcInst = "Software\\ODBC\\ODBCINST.INI\\";

std::string SystemDir()
{
    char dir[MAX_PATH];
    GetSystemDirectoryA(dir, MAX_PATH);
    return dir;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class PostInstOdbc : public PostInstFixture
{
protected:
    void SetUp() override
    {
        PostInstFixture::SetUp();
        SetThisModule(GetModuleHandleA(nullptr));
    }
    void TearDown() override
    {
        for (const std::string& path : m_placed)
        {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
        SetEnvironmentVariableA("TAVOINST_TEST_DSN_RECORD", nullptr);
        PostInstFixture::TearDown();
    }

    // Puts our fake setup library where the ODBC installer will look for the
    // Access driver's one: beside the system directory's name as stored, and
    // under the literal folder the stored (doubled) path names.
    void PlaceFakeSetupLibrary()
    {
        InstallOdbcDriver(kOdbcDrivers[0]);
        std::string stored;
        ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kOdbcInst + kAccessDriverName, "Setup", stored));
        const std::string fake = ProgramDir() + "fakes\\odbcjt32.dll";
        for (const std::string& target : {SystemDir() + "\\odbcjt32.dll", stored})
        {
            // Create every folder of the path (the stored one may name "C:" as a folder).
            for (size_t slash = target.find('\\', 3); slash != std::string::npos; slash = target.find('\\', slash + 1))
                CreateDirectoryA(target.substr(0, slash).c_str(), nullptr);
            ASSERT_TRUE(CopyFileA(fake.c_str(), target.c_str(), FALSE)) << target;
            m_placed.push_back(target);
        }
        m_record = m_root + "dsn-record.txt";
        SetEnvironmentVariableA("TAVOINST_TEST_DSN_RECORD", m_record.c_str());
    }

    std::vector<std::string> m_placed;
    std::string m_record;
};

}   // namespace

TEST_F(PostInstOdbc, FourDriversRecordedAsPassedWithTheUsageCountRisingByTwo)
{
    DialogWatcher watcher;
    for (const OdbcDriverMember& member : kOdbcDrivers)
        InstallOdbcDriver(member);
    EXPECT_TRUE(watcher.seen.empty());

    const std::string system = SystemDir();
    for (const OdbcDriverMember& member : kOdbcDrivers)
    {
        SCOPED_TRACE(member.description);
        const std::string key = kOdbcInst + member.description;
        DWORD usage = 0;
        ASSERT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, key, "UsageCount", usage));
        EXPECT_EQ(usage, 2u);
        std::string value;
        // This machine's installer library may put its own directory in front
        // of the paths we pass; what we pass is their end.
        ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, key, "Driver", value));
        EXPECT_TRUE(EndsWith(value, system + "\\odbcjt32.dll")) << value;
        ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, key, "Setup", value));
        EXPECT_TRUE(EndsWith(value, system + "\\" + member.setupLibrary)) << value;
        const std::pair<const char*, std::string> plain[] = {
            {"FileUsage", std::to_string(member.fileUsage)},
            {"APILevel", "1"},
            {"ConnectFunctions", "YYN"},
            {"DriverODBCVer", "02.50"},
            {"FileExtns", member.extensions},
            {"SQLLevel", "0"},
        };
        for (const auto& item : plain)
        {
            ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, key, item.first, value)) << item.first;
            EXPECT_EQ(value, item.second) << item.first;
        }
    }

    // A second installation run registers each driver twice more.
    for (const OdbcDriverMember& member : kOdbcDrivers)
        InstallOdbcDriver(member);
    DWORD usage = 0;
    ASSERT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kOdbcInst + "Microsoft Text (*.txt;*.csv)", "UsageCount", usage));
    EXPECT_EQ(usage, 4u);
}

TEST_F(PostInstOdbc, DataSourceWithoutTheSetupLibraryShowsTheLongMessage)
{
    InstallOdbcDriver(kOdbcDrivers[0]);
    DialogWatcher watcher;
    EXPECT_FALSE(CreateDataSource(m_install + "\\tavodemo.mdb"));
    ASSERT_EQ(watcher.MessageTexts(), std::vector<std::string>{kDataSourceFailureMessage});
    EXPECT_EQ(watcher.MessageBoxes()[0].caption, "tavoinst");
}

TEST_F(PostInstOdbc, DataSourceIsCreatedThroughTheAccessDriversSetupLibrary)
{
    PlaceFakeSetupLibrary();
    DialogWatcher watcher;
    const bool opened = CreateDataSource(m_install + "\\tavodemo.mdb");

    EXPECT_EQ(ReadFileBytes(m_record), "request=1\ndriver=Microsoft Access Driver (*.mdb)\nattributes=DSN=tavodemo|"
                                       "Description=Tavolen|DBQ=" +
                                           m_install +
                                           "\\tavodemo.mdb|Driver=odbcjt32.dll|"
                                           "DriverId=25|FIL=MS Access|SafeTransactions=0|UID=|\n");
    std::string dbq;
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, "Software\\ODBC\\ODBC.INI\\tavodemo", "DBQ", dbq) ||
                ReadString(HKEY_CURRENT_USER, "Software\\ODBC\\ODBC.INI\\tavodemo", "DBQ", dbq));
    EXPECT_EQ(dbq, m_install + "\\tavodemo.mdb");
    // The test connection goes through the driver manager, which on this
    // system hands it to the host's ODBC; the host knows no data source of
    // this name here, so it fails and the long message says so.
    EXPECT_FALSE(opened);
    EXPECT_EQ(watcher.MessageTexts(), std::vector<std::string>{kDataSourceFailureMessage});
}

// Run with a host ODBC configuration that names "tavodemo" (a SQLite file):
// the test connection really opens a database.
TEST_F(PostInstOdbc, HostDataSourceOpensAndNothingIsShown)
{
    char hostIni[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("ODBCINI", hostIni, MAX_PATH))
        GTEST_SKIP() << "needs ODBCINI naming a host data source tavodemo";
    PlaceFakeSetupLibrary();
    DialogWatcher watcher;
    EXPECT_TRUE(CreateDataSource(m_install + "\\tavodemo.mdb"));
    EXPECT_TRUE(watcher.seen.empty());
    EXPECT_NE(ReadFileBytes(m_record).find("DSN=tavodemo|"), std::string::npos);
}

TEST_F(PostInstOdbc, OdbcInstallerMissingMakesEveryCallFailWithoutDriverMessages)
{
    ASSERT_EQ(LoadLibraryA("odbccp32.dll"), nullptr) << "run with odbccp32 disabled";
    DialogWatcher watcher;
    for (const OdbcDriverMember& member : kOdbcDrivers)
        InstallOdbcDriver(member);
    EXPECT_TRUE(watcher.seen.empty());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kOdbcInst + kAccessDriverName));
    EXPECT_FALSE(CreateDataSource(m_install + "\\tavodemo.mdb"));
    EXPECT_EQ(watcher.MessageTexts(), std::vector<std::string>{kDataSourceFailureMessage});
}
