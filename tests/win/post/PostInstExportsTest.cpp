// tavoinst.dll as the installation engine uses it: loaded with LoadLibrary,
// its exports found by their plain names and called with the engine's window.
#include "PostTestSupport.h"

using namespace posttest;

namespace
{

using PostInstFn = LONG(WINAPI*)(HWND, LPVOID, LPCSTR);
using UninstFn = LONG(__cdecl*)(void);
// An engine may push arguments to the C-convention hooks; the caller removes them.
using UninstWithArgumentsFn = LONG(__cdecl*)(HWND, HANDLE, LONG);

const char kAccess[] = "Microsoft Access Driver (*.mdb)";
const char kOdbcInst[] = "Software\\ODBC\\ODBCINST.INI\\";

class PostInstDll : public PostInstFixture
{
protected:
    void SetUp() override
    {
        PostInstFixture::SetUp();
        m_library = LoadLibraryA((ProgramDir() + "tavoinst.dll").c_str());
        ASSERT_NE(m_library, nullptr);
        m_postInst = reinterpret_cast<PostInstFn>(reinterpret_cast<void*>(GetProcAddress(m_library, "TAVOPostInst")));
        m_uninstInitialize =
            reinterpret_cast<UninstFn>(reinterpret_cast<void*>(GetProcAddress(m_library, "UninstInitialize")));
        m_uninstUnInitialize =
            reinterpret_cast<UninstFn>(reinterpret_cast<void*>(GetProcAddress(m_library, "UninstUnInitialize")));
        ASSERT_TRUE(m_postInst && m_uninstInitialize && m_uninstUnInitialize);
    }
    void TearDown() override
    {
        if (m_library)
            FreeLibrary(m_library);
        PostInstFixture::TearDown();
    }

    LONG PostInst(const std::string& source) { return m_postInst(m_engine, nullptr, source.c_str()); }

    HMODULE m_library = nullptr;
    PostInstFn m_postInst = nullptr;
    UninstFn m_uninstInitialize = nullptr;
    UninstFn m_uninstUnInitialize = nullptr;
};

void ExpectOnlyTheDirectErrorBox(const DialogWatcher& watcher, HWND engine)
{
    ASSERT_EQ(watcher.seen.size(), 1u);
    const SeenWindow& box = watcher.seen[0];
    EXPECT_TRUE(box.messageBox);
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.text, "Unable to determine installation directory");
    EXPECT_FALSE(box.warningIcon);
    EXPECT_EQ(box.owner, engine);
    EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
}

}   // namespace

TEST_F(PostInstDll, MissingAppPathsShowsOnlyTheErrorBoxAndReturnsZero)
{
    DialogWatcher watcher;
    EXPECT_EQ(PostInst(m_media), 0);
    ExpectOnlyTheDirectErrorBox(watcher, m_engine);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".tvm"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kOdbcInst) + kAccess));
}

TEST_F(PostInstDll, AppPathsKeyWithoutItsDefaultValueCountsAsNotFound)
{
    // Only a "Path" value, as some installers leave it: no program path, so
    // no directory (not the drive's root) to set up or to clean.
    SetString(HKEY_LOCAL_MACHINE, kAppPathsKey, "Path", "C:\\Apps\\TAVO");
    {
        DialogWatcher watcher;
        EXPECT_EQ(PostInst(m_media), 0);
        ExpectOnlyTheDirectErrorBox(watcher, m_engine);
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".tvm"));
    }
    DialogWatcher watcher;
    EXPECT_EQ(m_uninstInitialize(), 0);
    EXPECT_EQ(watcher.MessageTexts(), std::vector<std::string>{"Unable to determine installation directory"});
}

TEST_F(PostInstDll, AppPathsValueOf128CharactersCountsAsNotFound)
{
    const std::string tail = "\\tavo.exe";
    const std::string value = "C:\\" + std::string(128 - 3 - tail.size(), 'd') + tail;
    ASSERT_EQ(value.size(), 128u);
    SetAppPath(value);
    DialogWatcher watcher;
    EXPECT_EQ(PostInst(m_media), 0);
    ExpectOnlyTheDirectErrorBox(watcher, m_engine);
}

TEST_F(PostInstDll, AppPathsValueOf127CharactersIsFound)
{
    const std::string tail = "\\tavo.exe";
    const std::string dir = "C:\\" + std::string(127 - 3 - tail.size(), 'd');
    SetAppPath(dir + tail);
    DialogWatcher watcher;
    EXPECT_EQ(PostInst(m_media), 1);
    std::string command;
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, "tvm_auto_file\\shell\\open\\command", nullptr, command));
    EXPECT_EQ(command, "\"" + dir + tail + "\" %1");
}

TEST_F(PostInstDll, InstallDirectoryAndTvmCommandComeFromTheAppPathsValue)
{
    // The database copy shows where the steps take the installation directory to be.
    RemoveTree("C:\\Apps");
    MakeDir("C:\\Apps");
    MakeDir("C:\\Apps\\TAVO");
    WriteFileBytes(m_media + "TAVOINST.INI", "[TAVOINST]\r\nDatabase=tavo.mdb\r\n");
    WriteFileBytes(m_media + "tavo.mdb", "working database");
    SetAppPath("C:\\Apps\\TAVO\\tavo.exe");

    DialogWatcher watcher;
    EXPECT_EQ(PostInst(m_media), 1);

    std::string value;
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, ".tvm", nullptr, value));
    EXPECT_EQ(value, "tvm_auto_file");
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, "tvm_auto_file\\shell\\open\\command", nullptr, value));
    EXPECT_EQ(value, "\"C:\\Apps\\TAVO\\tavo.exe\" %1");
    EXPECT_EQ(ReadFileBytes("C:\\Apps\\TAVO\\tavo.mdb"), "working database");
    RemoveTree("C:\\Apps");
}

TEST_F(PostInstDll, FileTypeOverwritesAnotherClassAndStaysTheSameWhenRunTwice)
{
    SetString(HKEY_CLASSES_ROOT, ".tvm", nullptr, "other_file");
    SetString(HKEY_CLASSES_ROOT, ".tvm", "Content Type", "text/plain");
    SetAppPath("C:\\Program Files\\TAVO\\tavo.exe");
    DialogWatcher watcher;
    EXPECT_EQ(PostInst(m_media), 1);
    EXPECT_EQ(PostInst(m_media), 1);

    std::string value;
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, ".tvm", nullptr, value));
    EXPECT_EQ(value, "tvm_auto_file");
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, ".tvm", "Content Type", value));
    EXPECT_EQ(value, "text/plain");
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, "tvm_auto_file\\shell\\open\\command", nullptr, value));
    EXPECT_EQ(value, "\"C:\\Program Files\\TAVO\\tavo.exe\" %1");
    // The class key itself gets no description.
    EXPECT_FALSE(ReadString(HKEY_CLASSES_ROOT, "tvm_auto_file", nullptr, value));
}

TEST_F(PostInstDll, BareMediaStillRegistersTheFileTypeTheDriversAndTheDemonstrationSource)
{
    SetAppPath(m_install + "\\tavo.exe");
    DialogWatcher watcher;
    // Without its trailing backslash the media path finds no MDAC, jet4 or LANG.
    EXPECT_EQ(PostInst(m_media.substr(0, m_media.size() - 1)), 1);

    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "tvm_auto_file\\shell\\open\\command"));
    for (const char* driver :
         {kAccess, "Microsoft dBase Driver (*.dbf)", "Microsoft Excel Driver (*.xls)", "Microsoft Text (*.txt;*.csv)"})
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kOdbcInst) + driver)) << driver;
    // No Access setup library on this machine: the data source cannot be made,
    // and that is the only message.
    const std::vector<std::string> texts = watcher.MessageTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].find("An error occurred whilst attempting to set-up the data sources"), 0u);
    const SeenWindow box = watcher.MessageBoxes()[0];
    EXPECT_EQ(box.caption, "tavoinst");
    EXPECT_TRUE(box.warningIcon);
    EXPECT_FALSE(watcher.SawProgress("Copying database file..."));
}

TEST_F(PostInstDll, UninstallRemovesTheDemonstrationSourceAndDatabaseOnce)
{
    SetAppPath(m_install + "\\tavo.exe");
    // A data source as the Access setup library leaves it (machine-wide, where
    // this system's installer library acts).
    SetString(HKEY_LOCAL_MACHINE, "Software\\ODBC\\ODBC.INI\\tavodemo", "DBQ", m_install + "\\tavodemo.mdb");
    SetString(HKEY_LOCAL_MACHINE, "Software\\ODBC\\ODBC.INI\\ODBC Data Sources", "tavodemo", kAccess);
    WriteFileBytes(m_install + "\\tavo.mdb", "working database");

    DialogWatcher watcher;
    EXPECT_EQ(m_uninstInitialize(), 0);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\ODBC\\ODBC.INI\\tavodemo"));
    EXPECT_FALSE(Exists(m_install + "\\tavodemo.mdb"));
    EXPECT_TRUE(Exists(m_install + "\\tavo.mdb"));

    const auto withArguments = reinterpret_cast<UninstWithArgumentsFn>(reinterpret_cast<void*>(m_uninstInitialize));
    EXPECT_EQ(withArguments(m_engine, nullptr, 0), 0);
    EXPECT_TRUE(Exists(m_install + "\\tavo.mdb"));
    EXPECT_EQ(m_uninstUnInitialize(), 0);
    EXPECT_TRUE(watcher.seen.empty());
}

TEST_F(PostInstDll, UninstallWithoutAppPathsShowsTheFrameworkBoxAndRemovesNothing)
{
    SetString(HKEY_LOCAL_MACHINE, "Software\\ODBC\\ODBC.INI\\tavodemo", "DBQ", m_install + "\\tavodemo.mdb");
    DialogWatcher watcher;
    EXPECT_EQ(m_uninstInitialize(), 0);
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].caption, "tavoinst");
    EXPECT_EQ(watcher.seen[0].text, "Unable to determine installation directory");
    EXPECT_TRUE(watcher.seen[0].warningIcon);
    EXPECT_EQ(watcher.seen[0].buttons, std::vector<std::string>{"OK"});
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\ODBC\\ODBC.INI\\tavodemo"));
    EXPECT_TRUE(Exists(m_install + "\\tavodemo.mdb"));
}

TEST_F(PostInstDll, FullMediaRunsTheStepsInOrder)
{
    SetAppPath(m_install + "\\tavo.exe");
    MakeDir(m_media + "MDAC");
    ASSERT_TRUE(CopyFileA((ProgramDir() + "fakes\\post_fake_mdac.exe").c_str(),
                          (m_media + "MDAC\\mdac_typ.exe").c_str(), FALSE));
    WriteFileBytes(m_media + "MDAC\\exitcode.txt", "0");
    MakeDir(m_media + "jet4");
    WriteFileBytes(m_media + "jet4\\jetsetup.inf", "[DefaultInstall]\r\n");
    WriteFileBytes(m_media + "TAVOINST.INI", "[TAVOINST]\r\nDatabase=tavo.mdb\r\n");
    WriteFileBytes(m_media + "tavo.mdb", "working database");
    MakeDir(m_media + "LANG");

    DialogWatcher watcher;
    EXPECT_EQ(PostInst(m_media), 1);

    // MDAC's progress window, Jet's missing advpack.dll, the demonstration
    // source (no Access setup library here), the copy's progress window, the
    // working database's source, then the language dialog.
    std::vector<std::string> order;
    for (const SeenWindow& w : watcher.seen)
    {
        if (w.progress)
            order.push_back("progress: " + w.text);
        else if (w.language)
            order.push_back("language");
        else
            order.push_back(w.text.substr(0, 30));
    }
    const std::vector<std::string> expected = {
        "progress: Installing Microsoft Data Access Components...",
        "Error loading library " + std::string(TempDir()).substr(0, 8),
        "An error occurred whilst attem",
        "progress: Copying database file...",
        "An error occurred whilst attem",
        "language",
    };
    ASSERT_EQ(order.size(), expected.size());
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(order[i], expected[i]) << i;
    EXPECT_TRUE(Exists(m_media + "MDAC\\cmdline.txt"));
    EXPECT_EQ(ReadFileBytes(m_install + "\\tavo.mdb"), "working database");
}
