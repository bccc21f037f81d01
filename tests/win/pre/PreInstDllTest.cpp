// tavopre.dll driven as the installation engine drives it: loaded by path,
// TAVOPreInst found by its plain name and called with an owner window and a
// media folder. Message boxes are caught by a CBT hook on this thread,
// checked, and answered; fake installers on the media record their runs.

#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace
{

using PreInstFn = LONG(WINAPI*)(HWND, LPVOID, LPCSTR);

const char* const kIeKey = "SOFTWARE\\Microsoft\\Internet Explorer";
const char* const kAdobeKey = "SOFTWARE\\Adobe";
const char* const kReaderKey = "SOFTWARE\\Adobe\\Acrobat Reader";
const char* const kReader3Key = "SOFTWARE\\Adobe\\Acrobat Reader 3.0";

const char* const kOfferIe =
    "Setup has detected that Internet Explorer is not installed (or is an older version) on your computer.  "
    "The TAVO will not run without this software.\r\n\r\nDo you wish to install IE6 now?\r\n";
const char* const kReRun = "Once finished please re-run this TAVO setup.";
const char* const kInstallIe = "Please install Internet Explorer and then repeat this installation.";
const char* const kIeRequired =
    "The TAVO requires Internet Explorer version 4.02 SP1 or above to be installed on your computer.  "
    "Please install Internet Explorer on your computer and then repeat this installation.";
const char* const kNoReader =
    "Adobe Acrobat Reader is not installed on your computer.  You should install this software in order to "
    "read the documentation provided with the TAVO.";
const char* const kOfferReader =
    "Adobe Acrobat Reader 4.0 is not installed on your computer.  This is necessary in order to read the "
    "documentation provided with the TAVO.  Would you like to install the software now?\r\n";

std::string ExeDir()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\') + 1);
}

void SetIeVersion(const void* data, DWORD cb, DWORD type)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kIeKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "Version", 0, type, static_cast<const BYTE*>(data), cb), ERROR_SUCCESS);
    RegCloseKey(key);
}

void SetIeVersion(const std::string& text) { SetIeVersion(text.c_str(), DWORD(text.size() + 1), REG_SZ); }

void CreateKey(const char* subKey)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

// Puts the computer's own Internet Explorer version back when the run ends.
class IeVersionKeeper : public ::testing::Environment
{
public:
    void SetUp() override
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kIeKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return;
        BYTE data[512];
        DWORD cb = sizeof data;
        if (RegQueryValueExA(key, "Version", nullptr, &m_type, data, &cb) == ERROR_SUCCESS)
        {
            m_saved.assign(reinterpret_cast<char*>(data), cb);
            m_bHad = true;
        }
        RegCloseKey(key);
    }
    void TearDown() override
    {
        if (m_bHad)
            SetIeVersion(m_saved.data(), DWORD(m_saved.size()), m_type);
    }

private:
    bool m_bHad = false;
    DWORD m_type = REG_SZ;
    std::string m_saved;
};
const auto* const g_keeper = ::testing::AddGlobalTestEnvironment(new IeVersionKeeper);

bool MakeDirectories(const std::string& path)
{
    for (std::size_t slash = path.find('\\', 3);; slash = path.find('\\', slash + 1))
    {
        const std::string part = path.substr(0, slash);
        if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

void DeleteTree(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE)
    {
        do
        {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}

struct MessageBoxSeen
{
    std::string caption;
    std::string text;
    std::vector<int> buttons;   // ids of the visible buttons
    bool hasIcon = false;
    HWND owner = nullptr;
};

class PreInstDll;
PreInstDll* g_current = nullptr;

class PreInstDll : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_hDll = LoadLibraryA((ExeDir() + "tavopre.dll").c_str());
        ASSERT_NE(m_hDll, nullptr);
        m_pfnPreInst = reinterpret_cast<PreInstFn>(reinterpret_cast<void*>(GetProcAddress(m_hDll, "TAVOPreInst")));
        ASSERT_NE(m_pfnPreInst, nullptr);

        // A fresh registry: no Internet Explorer, no Reader.
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kIeKey);
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kAdobeKey);

        // The media live under a folder with a space in its name, beside a
        // program that an unquoted command line would start instead.
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static int s_nRun = 0;
        m_strWork = std::string(temp) + "tavopre" + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(++s_nRun) + "\\";
        m_strMedia = m_strWork + "pre media\\CD";
        ASSERT_TRUE(MakeDirectories(m_strMedia));
        ASSERT_TRUE(CopyFileA(FakeInstaller().c_str(), (m_strWork + "pre.exe").c_str(), FALSE));
        m_strRecord = m_strWork + "record.txt";
        SetEnvironmentVariableA("TAVOPRE_TEST_RECORD", m_strRecord.c_str());

        m_hWndEngine = CreateWindowA("STATIC", "Engine", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200, nullptr,
                                     nullptr, nullptr, nullptr);
        ASSERT_NE(m_hWndEngine, nullptr);
        g_current = this;
        m_hHook = SetWindowsHookExA(WH_CBT, &CbtProc, nullptr, GetCurrentThreadId());
        ASSERT_NE(m_hHook, nullptr);
    }

    void TearDown() override
    {
        if (m_hHook != nullptr)
            UnhookWindowsHookEx(m_hHook);
        g_current = nullptr;
        if (m_hWndEngine != nullptr)
            DestroyWindow(m_hWndEngine);
        if (m_hDll != nullptr)
            FreeLibrary(m_hDll);
        // Best effort: a fake installer may still be on its way out.
        const std::string work = m_strWork.substr(0, m_strWork.size() - 1);
        for (int attempt = 0; attempt < 20 && GetFileAttributesA(work.c_str()) != INVALID_FILE_ATTRIBUTES; ++attempt)
        {
            DeleteTree(work);
            Sleep(50);
        }
    }

    static std::string FakeInstaller() { return ExeDir() + "pre_fake_installer.exe"; }

    // Puts a fake installer at the media-relative path.
    void PutOnMedia(const std::string& media, const std::string& relative)
    {
        const std::string path = media + "\\" + relative;
        const std::string dir = path.substr(0, path.find_last_of('\\'));
        ASSERT_TRUE(MakeDirectories(dir)) << dir;
        ASSERT_TRUE(CopyFileA(FakeInstaller().c_str(), path.c_str(), FALSE)) << path;
    }
    void PutIeInstaller() { PutOnMedia(m_strMedia, "ie6\\en\\ie6setup.exe"); }
    void PutReaderInstaller() { PutOnMedia(m_strMedia, "Acrobat\\ar40eng.exe"); }

    LONG Run(const char* source) { return m_pfnPreInst(m_hWndEngine, reinterpret_cast<LPVOID>(0x5EED), source); }
    LONG Run() { return Run(m_strMedia.c_str()); }

    // Lines of the record: program path, command line, program path, ...
    std::vector<std::string> Record()
    {
        std::vector<std::string> lines;
        std::ifstream in(m_strRecord, std::ios::binary);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    // Waits for the started installer's record (up to a minute: once, under
    // Wine, none had come after 15 s), then a little longer so a second,
    // unwanted start would show up too.
    std::vector<std::string> WaitForRecord()
    {
        for (int i = 0; i < 1200 && Record().size() < 2; ++i)
            Sleep(50);
        Sleep(500);
        return Record();
    }

    void ExpectStarted(const std::string& installer)
    {
        const std::vector<std::string> expected = {installer, "\"" + installer + "\""};
        EXPECT_EQ(WaitForRecord(), expected);
    }

    void ExpectNothingStarted()
    {
        Sleep(300);
        EXPECT_TRUE(Record().empty());
    }

    void ExpectBoxes(const std::vector<std::string>& texts)
    {
        ASSERT_EQ(m_seen.size(), texts.size());
        for (std::size_t i = 0; i < texts.size(); ++i)
        {
            const MessageBoxSeen& box = m_seen[i];
            EXPECT_EQ(box.text, texts[i]) << "box " << i;
            EXPECT_EQ(box.caption, "Set-up") << "box " << i;
            EXPECT_FALSE(box.hasIcon) << "box " << i;
            EXPECT_EQ(box.owner, m_hWndEngine) << "box " << i;
            const bool yesNo = texts[i] == kOfferIe || texts[i] == kOfferReader;
            const std::vector<int> buttons = yesNo ? std::vector<int>{IDYES, IDNO} : std::vector<int>{IDOK};
            EXPECT_EQ(box.buttons, buttons) << "box " << i;
        }
    }

    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_ACTIVATE && g_current != nullptr)
            g_current->OnActivate(reinterpret_cast<HWND>(wParam));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void OnActivate(HWND window)
    {
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        if (std::strcmp(className, "#32770") != 0)
            return;
        MessageBoxSeen box;
        char text[2048] = {};
        GetWindowTextA(window, text, sizeof text);
        box.caption = text;
        GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
        box.text = text;
        box.owner = GetWindow(window, GW_OWNER);
        for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        {
            GetClassNameA(child, className, sizeof className);
            const LONG style = GetWindowLongA(child, GWL_STYLE);
            if ((style & WS_VISIBLE) == 0)
                continue;
            if (lstrcmpiA(className, "Button") == 0)
                box.buttons.push_back(GetDlgCtrlID(child));
            else if (lstrcmpiA(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
                     SendMessageA(child, STM_GETICON, 0, 0) != 0)
                box.hasIcon = true;
        }
        const bool yesNo = GetDlgItem(window, IDYES) != nullptr &&
                           (GetWindowLongA(GetDlgItem(window, IDYES), GWL_STYLE) & WS_VISIBLE) != 0;
        const int answer = yesNo ? (m_bAnswerYes ? IDYES : IDNO) : IDOK;
        m_seen.push_back(box);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    }

    HMODULE m_hDll = nullptr;
    PreInstFn m_pfnPreInst = nullptr;
    HHOOK m_hHook = nullptr;
    HWND m_hWndEngine = nullptr;
    std::string m_strWork;
    std::string m_strMedia;
    std::string m_strRecord;
    bool m_bAnswerYes = false;
    std::vector<MessageBoxSeen> m_seen;
};

// --- The failure table -------------------------------------------------------

TEST_F(PreInstDll, IeKeyMissingStopsWithIeRequiredEvenWithTheInstallerOnTheMedia)
{
    CreateKey(kReaderKey);
    PutIeInstaller();
    m_bAnswerYes = true;
    EXPECT_EQ(Run(), 0);
    ExpectBoxes({kIeRequired});
    ExpectNothingStarted();
}

TEST_F(PreInstDll, IeVersionValueMissingStopsWithIeRequired)
{
    CreateKey(kIeKey);
    CreateKey(kReaderKey);
    EXPECT_EQ(Run(), 0);
    ExpectBoxes({kIeRequired});
}

TEST_F(PreInstDll, IeTooOldWithoutInstallerShowsOnlyIeRequired)
{
    SetIeVersion("4.71.1712.6");
    PutReaderInstaller();
    EXPECT_EQ(Run(), 0);
    ExpectBoxes({kIeRequired});
    ExpectNothingStarted();
}

TEST_F(PreInstDll, IeTooOldYesStartsTheIeInstallerQuotedAndStops)
{
    SetIeVersion("4.0");
    PutIeInstaller();
    m_bAnswerYes = true;
    EXPECT_EQ(Run(), 0);
    ExpectBoxes({kOfferIe, kReRun});
    ExpectStarted(m_strMedia + "\\ie6\\en\\ie6setup.exe");
}

TEST_F(PreInstDll, IeTooOldNoAsksToInstallIeAndStops)
{
    SetIeVersion("4.70.1300");
    PutIeInstaller();
    EXPECT_EQ(Run(), 0);
    ExpectBoxes({kOfferIe, kInstallIe});
    ExpectNothingStarted();
}

TEST_F(PreInstDll, ReaderPresentUnderEitherKeyGoesOnSilently)
{
    SetIeVersion("6.0.2800.1106");
    PutReaderInstaller();
    for (const char* key : {kReaderKey, kReader3Key})
    {
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kAdobeKey);
        CreateKey(key);
        EXPECT_EQ(Run(), 1) << key;
    }
    ExpectBoxes({});
}

TEST_F(PreInstDll, ASubKeyUnderTheReaderKeyIsIrrelevant)
{
    SetIeVersion("6.0.2800.1106");
    CreateKey("SOFTWARE\\Adobe\\Acrobat Reader\\4.0\\InstallPath");
    EXPECT_EQ(Run(), 1);
    ExpectBoxes({});
}

TEST_F(PreInstDll, OtherAdobeKeysDoNotCountAsReader)
{
    SetIeVersion("6.0.2800.1106");
    CreateKey("SOFTWARE\\Adobe\\Acrobat Reader 4.0");
    CreateKey("SOFTWARE\\Adobe\\Acrobat");
    EXPECT_EQ(Run(), 1);
    ExpectBoxes({kNoReader});
}

TEST_F(PreInstDll, ReaderAbsentWithoutInstallerWarnsAndGoesOn)
{
    SetIeVersion("5.50.4807.2300");
    PutIeInstaller();
    EXPECT_EQ(Run(), 1);
    ExpectBoxes({kNoReader});
    ExpectNothingStarted();
}

TEST_F(PreInstDll, ReaderAbsentYesStartsTheReaderInstallerQuotedAndStops)
{
    SetIeVersion("6.0.2800.1106");
    PutReaderInstaller();
    m_bAnswerYes = true;
    EXPECT_EQ(Run(), 0);
    ExpectBoxes({kOfferReader, kReRun});
    ExpectStarted(m_strMedia + "\\Acrobat\\ar40eng.exe");
}

TEST_F(PreInstDll, ReaderAbsentNoGoesOn)
{
    SetIeVersion("6.0.2800.1106");
    PutReaderInstaller();
    EXPECT_EQ(Run(), 1);
    ExpectBoxes({kOfferReader});
    ExpectNothingStarted();
}

// --- Versions ------------------------------------------------------------------

TEST_F(PreInstDll, VersionsAreComparedNumerically)
{
    CreateKey(kReaderKey);
    const struct
    {
        const char* version;
        bool recentEnough;
    } cases[] = {
        {"6.0.2800.1106", true}, {"5.50.4807.2300", true}, {"4.72.3110.0", true}, {"10.0.9200.16384", true},
        {"4.71.1712.6", false},  {"4.70.1300", false},     {"4.0", false},        {"", false},
        {"abc", false},
    };
    for (const auto& c : cases)
    {
        m_seen.clear();
        SetIeVersion(c.version);
        EXPECT_EQ(Run(), c.recentEnough ? 1 : 0) << c.version;
        EXPECT_EQ(m_seen.size(), c.recentEnough ? 0u : 1u) << c.version;
    }
}

TEST_F(PreInstDll, VersionOfAnyTypeUpTo32BytesIsRead)
{
    CreateKey(kReaderKey);
    const char binary[] = {'6', '.', '0'};   // no NUL at all
    SetIeVersion(binary, sizeof binary, REG_BINARY);
    EXPECT_EQ(Run(), 1);

    const std::string longest = "6.0.2800.1106.00000000000000000";   // 31 characters and the NUL
    ASSERT_EQ(longest.size() + 1, 32u);
    SetIeVersion(longest);
    EXPECT_EQ(Run(), 1);
    ExpectBoxes({});

    SetIeVersion(longest + "0");   // 33 bytes: not readable into 32
    EXPECT_EQ(Run(), 0);
    ExpectBoxes({kIeRequired});
}

// --- Media paths -----------------------------------------------------------------

TEST_F(PreInstDll, SourceWithAndWithoutTrailingBackslashFindTheSameInstaller)
{
    SetIeVersion("6.0.2800.1106");
    PutReaderInstaller();
    m_bAnswerYes = true;
    EXPECT_EQ(Run((m_strMedia + "\\").c_str()), 0);
    ExpectStarted(m_strMedia + "\\Acrobat\\ar40eng.exe");
    DeleteFileA(m_strRecord.c_str());
    EXPECT_EQ(Run(m_strMedia.c_str()), 0);
    ExpectStarted(m_strMedia + "\\Acrobat\\ar40eng.exe");
    ExpectBoxes({kOfferReader, kReRun, kOfferReader, kReRun});
}

// A media folder whose installer path is exactly `length` characters long.
std::string MediaForInstallerPathLength(const std::string& work, const char* relative, std::size_t length)
{
    std::string media = work + "m";
    const std::size_t rest = length - media.size() - 1 - std::strlen(relative);
    // Folder names of at most 100 characters each.
    for (std::size_t left = rest; left > 0;)
    {
        const std::size_t part = left > 101 ? 100 : left - 1;
        if (part == 0)
        {   // one character left: lengthen the last name instead
            media += "x";
            break;
        }
        media += "\\" + std::string(part, 'd');
        left -= part + 1;
    }
    return media;
}

TEST_F(PreInstDll, InstallerPathOf253CharactersIsUsedAndOneMoreIsNot)
{
    SetIeVersion("6.0.2800.1106");
    m_bAnswerYes = true;
    for (std::size_t length : {253u, 254u, 259u})
    {
        const std::string media =
            MediaForInstallerPathLength(m_strWork + std::to_string(length), "Acrobat\\ar40eng.exe", length);
        const std::string installer = media + "\\Acrobat\\ar40eng.exe";
        ASSERT_EQ(installer.size(), length);
        PutOnMedia(media, "Acrobat\\ar40eng.exe");
        ASSERT_NE(GetFileAttributesA(installer.c_str()), INVALID_FILE_ATTRIBUTES);

        m_seen.clear();
        DeleteFileA(m_strRecord.c_str());
        if (length <= 253)
        {
            EXPECT_EQ(Run(media.c_str()), 0) << length;
            ExpectBoxes({kOfferReader, kReRun});
            ExpectStarted(installer);
        }
        else
        {
            // Too long for the path buffer: as if the media had no installer.
            EXPECT_EQ(Run(media.c_str()), 1) << length;
            ExpectBoxes({kNoReader});
            ExpectNothingStarted();
        }
    }
}

// The source text ends on the last byte of a page followed by a page that
// cannot be read, so reading past its NUL faults; the DLL's own stack is
// guarded by its stack protector.
class GuardedText
{
public:
    explicit GuardedText(const std::string& text)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const std::size_t page = info.dwPageSize;
        const std::size_t pages = (text.size() + 1 + page - 1) / page;
        m_pBase = static_cast<char*>(VirtualAlloc(nullptr, (pages + 1) * page, MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(m_pBase + pages * page, page, PAGE_NOACCESS, &old);
        m_pText = m_pBase + pages * page - (text.size() + 1);
        std::memcpy(m_pText, text.c_str(), text.size() + 1);
    }
    ~GuardedText() { VirtualFree(m_pBase, 0, MEM_RELEASE); }
    const char* Get() const { return m_pText; }

private:
    char* m_pBase;
    char* m_pText;
};

TEST_F(PreInstDll, OverLongSourceNeitherCrashesNorStartsAnything)
{
    PutIeInstaller();
    PutReaderInstaller();
    m_bAnswerYes = true;
    for (std::size_t length : {240u, 253u, 254u, 300u, 5000u, 100000u})
    {
        const GuardedText source(m_strMedia + std::string(length, 'x'));
        SetIeVersion("4.0");
        m_seen.clear();
        EXPECT_EQ(Run(source.Get()), 0) << length;
        ExpectBoxes({kIeRequired});

        SetIeVersion("6.0");
        m_seen.clear();
        EXPECT_EQ(Run(source.Get()), 1) << length;
        ExpectBoxes({kNoReader});
    }
    const GuardedText exact(m_strMedia);
    m_seen.clear();
    EXPECT_EQ(Run(exact.Get()), 0);   // the guard itself lets a sound path through
    ExpectBoxes({kOfferReader, kReRun});
    ExpectStarted(m_strMedia + "\\Acrobat\\ar40eng.exe");
}

TEST_F(PreInstDll, NullOrEmptySourceFindsNoInstaller)
{
    SetIeVersion("6.0");
    EXPECT_EQ(Run(nullptr), 1);
    EXPECT_EQ(Run(""), 1);
    ExpectBoxes({kNoReader, kNoReader});
}

}   // namespace
