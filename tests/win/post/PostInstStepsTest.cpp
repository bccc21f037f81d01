// The steps of the post-install sequence driven one by one: the database
// copy, the progress window, the language versions, MDAC and Jet.
#include "PostTestSupport.h"

#include "installer/post/LanguageDlg.h"
#include "installer/post/Module.h"
#include "core/postinst/PostInstText.h"
#include "installer/post/ProgressDlg.h"
#include "installer/post/Steps.h"
#include "installer/post/resource.h"

#include <algorithm>

using namespace posttest;
using namespace postinst;

namespace
{

class PostInstSteps : public PostInstFixture
{
protected:
    void SetUp() override
    {
        PostInstFixture::SetUp();
        // The steps take their dialogs and bitmaps from this program's resources.
        SetThisModule(GetModuleHandleA(nullptr));
    }

    void WriteIni(const std::string& database)
    {
        WriteFileBytes(m_media + "TAVOINST.INI", "[TAVOINST]\r\nDatabase=" + database + "\r\n");
    }
    std::string Target(const std::string& name) const { return m_install + "\\" + name; }
};

// A database large enough for many 1 KB chunks.
std::string DatabaseBytes()
{
    std::string bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += static_cast<char>(i * 7);
    return bytes;
}

bool StartsWith(const std::string& text, const std::string& head) { return text.compare(0, head.size(), head) == 0; }

}   // namespace

// ---- database copy ----

TEST_F(PostInstSteps, DatabaseAndCompanionArriveWritableBehindTheProgressWindow)
{
    WriteIni("tavo.mdb");
    WriteFileBytes(m_media + "tavo.mdb", DatabaseBytes());
    WriteFileBytes(m_media + "tavo.tvw", "companion");
    SetReadOnly(m_media + "tavo.mdb");
    SetReadOnly(m_media + "tavo.tvw");

    DialogWatcher watcher;
    // The media path without its backslash: the copy adds it itself.
    CopyDatabase(m_media.substr(0, m_media.size() - 1), m_install);

    EXPECT_EQ(ReadFileBytes(Target("tavo.mdb")), DatabaseBytes());
    EXPECT_EQ(ReadFileBytes(Target("tavo.tvw")), "companion");
    EXPECT_FALSE(IsReadOnly(Target("tavo.mdb")));
    EXPECT_FALSE(IsReadOnly(Target("tavo.tvw")));
    EXPECT_TRUE(watcher.SawProgress("Copying database file..."));
    for (const std::string& text : watcher.MessageTexts())
        EXPECT_FALSE(StartsWith(text, "Error copying")) << text;
}

TEST_F(PostInstSteps, MediaThatIsTheInstallationFolderKeepsItsDatabase)
{
    // The installation folder given as the media too: nothing may be emptied.
    WriteFileBytes(Target("TAVOINST.INI"), "[TAVOINST]\r\nDatabase=tavo.mdb\r\n");
    WriteFileBytes(Target("tavo.mdb"), DatabaseBytes());
    WriteFileBytes(Target("tavo.tvw"), "companion");

    DialogWatcher watcher;
    CopyDatabase(m_install, m_install);

    EXPECT_EQ(ReadFileBytes(Target("tavo.mdb")), DatabaseBytes());
    EXPECT_EQ(ReadFileBytes(Target("tavo.tvw")), "companion");
    for (const std::string& text : watcher.MessageTexts())
        EXPECT_FALSE(StartsWith(text, "Error copying")) << text;
}

TEST_F(PostInstSteps, DatabaseInASubDirectoryNeedsThatDirectoryWhileTheCompanionStaysOnTop)
{
    WriteIni("data\\tavo.mdb");
    MakeDir(m_media + "data");
    WriteFileBytes(m_media + "data\\tavo.mdb", "in data");
    WriteFileBytes(m_media + "tavo.tvw", "companion");

    DialogWatcher watcher;
    EXPECT_FALSE(CopyDatabase(m_media, m_install));
    ASSERT_FALSE(watcher.MessageTexts().empty());
    EXPECT_EQ(watcher.MessageTexts()[0], "Error copying file: data\\tavo.mdb");
    EXPECT_EQ(watcher.MessageBoxes()[0].caption, "tavoinst");
    EXPECT_EQ(ReadFileBytes(Target("tavo.tvw")), "companion");

    MakeDir(Target("data"));
    DialogWatcher second;
    CopyDatabase(m_media, m_install);
    EXPECT_EQ(ReadFileBytes(Target("data\\tavo.mdb")), "in data");
    for (const std::string& text : second.MessageTexts())
        EXPECT_FALSE(StartsWith(text, "Error copying")) << text;
}

TEST_F(PostInstSteps, DatabaseNameWithoutDotHasTheCompanionDotTvw)
{
    WriteIni("tavo");
    WriteFileBytes(m_media + "tavo", "no dot");
    WriteFileBytes(m_media + ".tvw", "nameless companion");
    DialogWatcher watcher;
    CopyDatabase(m_media, m_install);
    EXPECT_EQ(ReadFileBytes(Target("tavo")), "no dot");
    EXPECT_EQ(ReadFileBytes(Target(".tvw")), "nameless companion");
}

TEST_F(PostInstSteps, NoDatabaseNamedMeansNothingHappens)
{
    DialogWatcher watcher;
    EXPECT_FALSE(CopyDatabase(m_media, m_install));   // no TAVOINST.INI
    WriteIni("");
    EXPECT_FALSE(CopyDatabase(m_media, m_install));   // key empty
    EXPECT_TRUE(watcher.seen.empty());
}

TEST_F(PostInstSteps, MissingMediaDatabaseLeavesTheInstalledOneUntouched)
{
    WriteIni("tavo.mdb");
    WriteFileBytes(Target("tavo.mdb"), "the user's data");
    DialogWatcher watcher;
    EXPECT_FALSE(CopyDatabase(m_media, m_install));
    EXPECT_EQ(watcher.MessageTexts(), std::vector<std::string>{"Error copying file: tavo.mdb"});
    EXPECT_EQ(ReadFileBytes(Target("tavo.mdb")), "the user's data");
}

// ---- progress window ----

TEST_F(PostInstSteps, ProgressWindowShowsItsMessageAndMovesOneFramePerPaint)
{
    HWND window = nullptr;
    {
        CProgressDlg progress(nullptr, nullptr);
        ASSERT_NE(progress.Window(), nullptr);
        EXPECT_TRUE(IsWindowVisible(progress.Window()));
        EXPECT_EQ(WindowText(progress.Window()), "Set-up");
        EXPECT_EQ(WindowText(GetDlgItem(progress.Window(), IDC_MESSAGE)), "Copying database file...");
        // No system menu: the user cannot close it.
        EXPECT_FALSE(GetWindowLongA(progress.Window(), GWL_STYLE) & WS_SYSMENU);

        // Pumping messages, the 200 ms timer repaints the picture: three
        // frames (the first paint and two ticks) take at least two ticks.
        const DWORD start = GetTickCount();
        const unsigned long before = progress.Picture().FrameCounter();
        while (progress.Picture().FrameCounter() - before < 3 && GetTickCount() - start < 5000)
        {
            DispatchWaitingMessages();
            Sleep(5);
        }
        EXPECT_GE(progress.Picture().FrameCounter() - before, 3u);
        EXPECT_GE(GetTickCount() - start, 300u);
        window = progress.Window();
    }
    // Destroying the object closes the window.
    EXPECT_FALSE(IsWindow(window));
    CProgressDlg mdac("Installing Microsoft Data Access Components...", nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(mdac.Window(), IDC_MESSAGE)), "Installing Microsoft Data Access Components...");
}

TEST_F(PostInstSteps, PictureFramesAreThreeSixteenColourBitmaps)
{
    std::string previousBits;
    for (int id : {IDB_FRAME1, IDB_FRAME2, IDB_FRAME3})
    {
        SCOPED_TRACE(id);
        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bitmap, nullptr);
        DIBSECTION dib = {};
        ASSERT_EQ(GetObjectA(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
        EXPECT_EQ(dib.dsBm.bmWidth, 37);
        EXPECT_EQ(dib.dsBm.bmHeight, 32);
        EXPECT_EQ(dib.dsBm.bmBitsPixel, 4);
        const std::string bits(static_cast<const char*>(dib.dsBm.bmBits), dib.dsBm.bmWidthBytes * 32);
        EXPECT_NE(bits, previousBits);   // each frame differs from the one before
        previousBits = bits;
        DeleteObject(bitmap);
    }
}

// ---- language versions ----

TEST_F(PostInstSteps, LanguageListIsSortedWithTheDefaultPreselectedAndCopiesTheChosenVersion)
{
    MakeDir(m_media + "LANG");
    MakeDir(m_media + "LANG\\French");
    MakeDir(m_media + "LANG\\Deutsch");
    WriteFileBytes(m_media + "LANG\\French\\tavo.exe", "French program");
    WriteFileBytes(m_media + "LANG\\French\\help.txt", "Aide");
    SetReadOnly(m_media + "LANG\\French\\help.txt");
    WriteFileBytes(m_media + "LANG\\Deutsch\\tavo.exe", "German program");
    WriteFileBytes(Target("tavo.exe"), "English program");
    SetReadOnly(Target("tavo.exe"));

    DialogWatcher watcher;
    std::vector<ComboItem> items;
    LRESULT preselected = -1;
    watcher.onLanguageDialog = [&](HWND dialog) {
        HWND combo = GetDlgItem(dialog, IDC_VERSIONS);
        items = ComboItems(combo);
        preselected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
        SendMessageA(combo, CB_SETCURSEL, SendMessageA(combo, CB_FINDSTRINGEXACT, -1, (LPARAM) "French"), 0);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    };
    SelectLanguageVersion(m_engine, m_media, m_install);

    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].text, "Deutsch");
    EXPECT_EQ(items[1].text, "French");
    EXPECT_EQ(items[2].text, "TAVO English (U.K)");
    EXPECT_EQ(items[0].value, 1);
    EXPECT_EQ(items[1].value, 1);
    EXPECT_EQ(items[2].value, 0);
    EXPECT_EQ(preselected, 2);
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].caption, "Set-up");
    EXPECT_EQ(watcher.seen[0].owner, m_engine);

    EXPECT_EQ(ReadFileBytes(Target("tavo.exe")), "French program");
    EXPECT_EQ(ReadFileBytes(Target("help.txt")), "Aide");
    EXPECT_FALSE(IsReadOnly(Target("tavo.exe")));
    EXPECT_FALSE(IsReadOnly(Target("help.txt")));
}

TEST_F(PostInstSteps, EmptyLanguageFolderOffersOnlyTheDefaultAndCopiesNothing)
{
    MakeDir(m_media + "LANG");
    DialogWatcher watcher;
    std::vector<ComboItem> items;
    watcher.onLanguageDialog = [&](HWND dialog) {
        items = ComboItems(GetDlgItem(dialog, IDC_VERSIONS));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    };
    const std::vector<std::string> before = DirectoryNames(m_install);
    SelectLanguageVersion(m_engine, m_media, m_install);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].text, "TAVO English (U.K)");
    EXPECT_EQ(DirectoryNames(m_install), before);
}

TEST_F(PostInstSteps, NoLanguageFolderNoDialog)
{
    DialogWatcher watcher;
    SelectLanguageVersion(m_engine, m_media, m_install);
    EXPECT_TRUE(watcher.seen.empty());
}

TEST_F(PostInstSteps, CancelledLanguageDialogCopiesNothing)
{
    MakeDir(m_media + "LANG");
    MakeDir(m_media + "LANG\\French");
    WriteFileBytes(m_media + "LANG\\French\\help.txt", "Aide");
    DialogWatcher watcher;
    watcher.onLanguageDialog = [&](HWND dialog) {
        HWND combo = GetDlgItem(dialog, IDC_VERSIONS);
        SendMessageA(combo, CB_SETCURSEL, SendMessageA(combo, CB_FINDSTRINGEXACT, -1, (LPARAM) "French"), 0);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    };
    SelectLanguageVersion(m_engine, m_media, m_install);
    EXPECT_FALSE(Exists(Target("help.txt")));
}

TEST_F(PostInstSteps, SubDirectoryInAVersionFailsAloneAndLeavesTheInstalledFileAsItWas)
{
    MakeDir(m_media + "LANG");
    MakeDir(m_media + "LANG\\French");
    MakeDir(m_media + "LANG\\French\\images");
    WriteFileBytes(m_media + "LANG\\French\\help.txt", "Aide");
    WriteFileBytes(m_media + "LANG\\French\\readme.txt", "Lisez-moi");
    // An installed file of the same name as the version's sub-directory.
    WriteFileBytes(Target("images"), "installed images");
    SetReadOnly(Target("images"));

    DialogWatcher watcher;
    watcher.onLanguageDialog = [&](HWND dialog) {
        HWND combo = GetDlgItem(dialog, IDC_VERSIONS);
        SendMessageA(combo, CB_SETCURSEL, SendMessageA(combo, CB_FINDSTRINGEXACT, -1, (LPARAM) "French"), 0);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    };
    SelectLanguageVersion(m_engine, m_media, m_install);

    const std::string from = m_media + "LANG\\French\\images";
    EXPECT_EQ(watcher.MessageTexts(), std::vector<std::string>{"Error copying " + from + " to " + Target("images")});
    EXPECT_EQ(watcher.MessageBoxes()[0].caption, "tavoinst");
    EXPECT_EQ(ReadFileBytes(Target("help.txt")), "Aide");
    EXPECT_EQ(ReadFileBytes(Target("readme.txt")), "Lisez-moi");
    EXPECT_EQ(ReadFileBytes(Target("images")), "installed images");
}

// ---- MDAC ----

class PostInstMdac : public PostInstSteps
{
protected:
    // A media path with a space in it, where an unquoted command line could
    // start root\my.exe instead of the package.
    void SetUp() override
    {
        PostInstSteps::SetUp();
        m_media = m_root + "my media\\";
        MakeDir(m_media);
        MakeDir(m_media + "MDAC");
        m_package = m_media + "MDAC\\mdac_typ.exe";
        const std::string fake = ProgramDir() + "fakes\\post_fake_mdac.exe";
        ASSERT_TRUE(CopyFileA(fake.c_str(), m_package.c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(fake.c_str(), (m_root + "my.exe").c_str(), FALSE));
    }
    void ExitWith(const std::string& code) { WriteFileBytes(m_media + "MDAC\\exitcode.txt", code); }

    std::string m_package;
};

TEST_F(PostInstMdac, PackageEndingWithZeroShowsNoMessageAndSeesItsCommandLineAsBuilt)
{
    ExitWith("0");
    DialogWatcher watcher;
    EXPECT_EQ(InstallMdac(m_engine, m_media), 1);
    EXPECT_EQ(ReadFileBytes(m_media + "MDAC\\cmdline.txt"), m_package + " /c:\"setup /QN1\"");
    EXPECT_TRUE(watcher.MessageTexts().empty());
    EXPECT_TRUE(watcher.SawProgress("Installing Microsoft Data Access Components..."));
    // The program named by the command line's first word never ran.
    EXPECT_FALSE(Exists(m_root + "cmdline.txt"));
}

TEST_F(PostInstMdac, PackageAskingForARestartStillCountsAsAnError)
{
    ExitWith("3010");
    DialogWatcher watcher;
    InstallMdac(m_engine, m_media);
    EXPECT_EQ(watcher.MessageTexts(),
              std::vector<std::string>{"An error occurred whilst installing the Microsoft Data Access Components.  If "
                                       "the TAVO fails to run correctly after installation, try re-running the MDAC "
                                       "installation to identify the problem: " +
                                       m_package});
    EXPECT_EQ(watcher.MessageBoxes()[0].caption, "tavoinst");
    EXPECT_TRUE(watcher.MessageBoxes()[0].warningIcon);
}

TEST_F(PostInstSteps, NoMdacOrJetOnTheMediaDoesNothing)
{
    DialogWatcher watcher;
    EXPECT_EQ(InstallMdac(m_engine, m_media), 1);
    EXPECT_EQ(InstallJet(m_engine, m_media), 1);
    EXPECT_TRUE(watcher.seen.empty());
}

// ---- Jet ----

class PostInstJet : public PostInstSteps
{
protected:
    void SetUp() override
    {
        PostInstSteps::SetUp();
        // This system's own advpack.dll would be loaded instead of the
        // media's copy, whatever the path: ask for the file itself.
        SetString(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", "advpack", "native");
        m_record = m_root + "advpack-record.txt";
        SetEnvironmentVariableA("TAVOINST_TEST_RECORD", m_record.c_str());
        MakeDir(m_media + "jet4");
        WriteFileBytes(m_media + "jet4\\jetsetup.inf", "[DefaultInstall]\r\n");
        WriteFileBytes(m_media + "jet4\\msjet40.dll", "engine");
        SetReadOnly(m_media + "jet4\\jetsetup.inf");
        SetReadOnly(m_media + "jet4\\msjet40.dll");
    }
    void TearDown() override
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS)
        {
            RegDeleteValueA(key, "advpack");
            RegCloseKey(key);
        }
        SetEnvironmentVariableA("TAVOINST_TEST_RECORD", nullptr);
        PostInstSteps::TearDown();
    }
    std::string m_record;
};

std::string RecordedValue(const std::string& record, const std::string& name)
{
    const size_t at = record.find(name + "=");
    if (at == std::string::npos)
        return "(missing)";
    const size_t start = at + name.size() + 1;
    return record.substr(start, record.find('\n', start) - start);
}

TEST_F(PostInstJet, RunSetupCommandGetsItsEightArgumentsAndTheCopyIsRemoved)
{
    const std::string fake = ProgramDir() + "fakes\\advpack.dll";
    ASSERT_TRUE(CopyFileA(fake.c_str(), (m_media + "jet4\\advpack.dll").c_str(), FALSE));
    DialogWatcher watcher;
    EXPECT_EQ(InstallJet(m_engine, m_media), 1);
    EXPECT_TRUE(watcher.seen.empty());

    const std::string record = ReadFileBytes(m_record);
    ASSERT_FALSE(record.empty()) << "RunSetupCommand was not called";
    const std::string temp = RecordedValue(record, "directory");
    EXPECT_TRUE(StartsWith(temp, TempDir() + "TAV")) << temp;
    EXPECT_EQ(temp.back(), '\\');
    char window[32];
    snprintf(window, sizeof window, "%p", static_cast<void*>(m_engine));
    EXPECT_EQ(RecordedValue(record, "window"), window);
    EXPECT_EQ(RecordedValue(record, "command"), temp + "jetsetup.inf");
    EXPECT_EQ(RecordedValue(record, "section"), "(null)");
    EXPECT_EQ(RecordedValue(record, "title"), "Set-up");
    EXPECT_EQ(RecordedValue(record, "process"), "null");
    EXPECT_EQ(RecordedValue(record, "flags"), "0x401");
    char null[32];
    snprintf(null, sizeof null, "%p", static_cast<void*>(nullptr));   // as wide as a pointer
    EXPECT_EQ(RecordedValue(record, "reserved"), null);
    EXPECT_EQ(RecordedValue(record, "inf present"), "1");
    // Read-only copies included, the temporary folder is gone.
    EXPECT_FALSE(Exists(temp));
}

TEST_F(PostInstJet, MissingAdvpackIsReportedAndTheTemporaryCopiesRemoved)
{
    DialogWatcher watcher;
    InstallJet(m_engine, m_media);
    const std::vector<std::string> texts = watcher.MessageTexts();
    ASSERT_EQ(texts.size(), 1u);
    const std::string head = "Error loading library ";
    ASSERT_TRUE(StartsWith(texts[0], head + TempDir() + "TAV")) << texts[0];
    const std::string library = texts[0].substr(head.size());
    ASSERT_GT(library.size(), 12u);
    EXPECT_EQ(library.substr(library.size() - 12), "\\advpack.dll");
    EXPECT_FALSE(Exists(library.substr(0, library.size() - 12)));
    EXPECT_FALSE(Exists(m_record));
}

TEST_F(PostInstJet, TemporaryNameIsNewAndFree)
{
    const std::string first = MakeTempDirName();
    const std::string second = MakeTempDirName();
    EXPECT_TRUE(StartsWith(first, TempDir() + "TAV")) << first;
    EXPECT_NE(first, second);
    EXPECT_FALSE(Exists(first));
    EXPECT_FALSE(Exists(second));
}
