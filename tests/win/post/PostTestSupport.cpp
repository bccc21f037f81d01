#include "PostTestSupport.h"

#include <shlwapi.h>

#include <cstdio>

namespace posttest
{

const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TAVO.EXE";

namespace
{
DialogWatcher* g_watcher = nullptr;

BOOL CALLBACK CollectButton(HWND child, LPARAM param)
{
    char cls[64] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Button") == 0)
        reinterpret_cast<std::vector<std::string>*>(param)->push_back(WindowText(child));
    return TRUE;
}

BOOL CALLBACK FindIcon(HWND child, LPARAM param)
{
    char cls[64] = "";
    GetClassNameA(child, cls, sizeof cls);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(cls, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON && (style & WS_VISIBLE) &&
        SendMessageA(child, STM_GETICON, 0, 0) != 0)
    {
        *reinterpret_cast<bool*>(param) = true;
        return FALSE;
    }
    return TRUE;
}

bool HasIcon(HWND box)
{
    bool found = false;
    EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&found));
    return found;
}
}   // namespace

std::string WindowText(HWND window)
{
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::vector<ComboItem> ComboItems(HWND combo)
{
    std::vector<ComboItem> items;
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
    {
        char text[512] = "";
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back({text, SendMessageA(combo, CB_GETITEMDATA, i, 0)});
    }
    return items;
}

DialogWatcher::DialogWatcher()
{
    g_watcher = this;
    m_hook = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

DialogWatcher::~DialogWatcher()
{
    UnhookWindowsHookEx(m_hook);
    g_watcher = nullptr;
}

LRESULT CALLBACK DialogWatcher::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && g_watcher)
        g_watcher->OnActivate(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void DialogWatcher::OnActivate(HWND window)
{
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) != "#32770")
        return;
    SeenWindow seen;
    seen.caption = WindowText(window);
    seen.owner = GetWindow(window, GW_OWNER);
    seen.window = window;
    if (GetDlgItem(window, 2004) && GetDlgItem(window, 2001))
    {
        // A window may be activated more than once; count the progress window once.
        seen.progress = true;
        seen.text = WindowText(GetDlgItem(window, 2004));
        for (const SeenWindow& earlier : this->seen)
            if (earlier.progress && earlier.window == window)
                return;
        this->seen.push_back(seen);
        return;
    }
    if (GetDlgItem(window, 2000))
    {
        seen.language = true;
        this->seen.push_back(seen);
        if (onLanguageDialog)
            onLanguageDialog(window);
        else
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        return;
    }
    if (HWND text = GetDlgItem(window, 0xFFFF))
    {
        seen.messageBox = true;
        seen.text = WindowText(text);
        seen.warningIcon = HasIcon(window);
        EnumChildWindows(window, CollectButton, reinterpret_cast<LPARAM>(&seen.buttons));
        this->seen.push_back(seen);
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    }
}

std::vector<SeenWindow> DialogWatcher::MessageBoxes() const
{
    std::vector<SeenWindow> boxes;
    for (const SeenWindow& w : seen)
        if (w.messageBox)
            boxes.push_back(w);
    return boxes;
}

std::vector<std::string> DialogWatcher::MessageTexts() const
{
    std::vector<std::string> texts;
    for (const SeenWindow& w : seen)
        if (w.messageBox)
            texts.push_back(w.text);
    return texts;
}

bool DialogWatcher::SawProgress(const std::string& text) const
{
    for (const SeenWindow& w : seen)
        if (w.progress && w.text == text)
            return true;
    return false;
}

void DeleteKey(HKEY root, const std::string& path) { SHDeleteKeyA(root, path.c_str()); }

void SetString(HKEY root, const std::string& path, const char* name, const std::string& value)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

bool ReadString(HKEY root, const std::string& path, const char* name, std::string& value)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char buffer[2048];
    DWORD size = sizeof buffer, type = 0;
    const LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return false;
    value.assign(buffer, size > 0 && buffer[size - 1] == '\0' ? size - 1 : size);
    return true;
}

bool ReadDword(HKEY root, const std::string& path, const char* name, DWORD& value)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = sizeof value, type = 0;
    const LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_DWORD;
}

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void MakeDir(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

void RemoveTree(const std::string& path)
{
    std::string dir = path;
    if (!dir.empty() && dir.back() == '\\')
        dir.pop_back();
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE)
    {
        do
        {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = dir + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}

void SetReadOnly(const std::string& path) { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY); }

bool IsReadOnly(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

std::vector<std::string> DirectoryNames(const std::string& directory)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

std::string ProgramDir()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    dir.resize(dir.rfind('\\') + 1);
    return dir;
}

std::string TempDir()
{
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    return path;
}

void ResetRegistry()
{
    DeleteKey(HKEY_LOCAL_MACHINE, kAppPathsKey);
    DeleteKey(HKEY_CLASSES_ROOT, ".tvm");
    DeleteKey(HKEY_CLASSES_ROOT, "tvm_auto_file");
    static const char* const drivers[] = {"Microsoft Access Driver (*.mdb)", "Microsoft dBase Driver (*.dbf)",
                                          "Microsoft Excel Driver (*.xls)", "Microsoft Text (*.txt;*.csv)"};
    for (const char* driver : drivers)
    {
        DeleteKey(HKEY_LOCAL_MACHINE, std::string("Software\\ODBC\\ODBCINST.INI\\") + driver);
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\ODBC\\ODBCINST.INI\\ODBC Drivers", 0, KEY_ALL_ACCESS, &key) ==
            ERROR_SUCCESS)
        {
            RegDeleteValueA(key, driver);
            RegCloseKey(key);
        }
    }
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    {
        for (const char* dsn : {"tavodemo", "tavo"})
        {
            DeleteKey(root, std::string("Software\\ODBC\\ODBC.INI\\") + dsn);
            HKEY key;
            if (RegOpenKeyExA(root, "Software\\ODBC\\ODBC.INI\\ODBC Data Sources", 0, KEY_ALL_ACCESS, &key) ==
                ERROR_SUCCESS)
            {
                RegDeleteValueA(key, dsn);
                RegCloseKey(key);
            }
        }
    }
}

void PostInstFixture::SetUp()
{
    ResetRegistry();
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    m_root = TempDir() + "tavoinst-" + info->test_suite_name() + "-" + info->name() + "\\";
    RemoveTree(m_root);
    MakeDir(m_root);
    m_media = m_root + "media\\";
    m_install = m_root + "app";
    MakeDir(m_media);
    MakeDir(m_install);
    WriteFileBytes(m_install + "\\tavodemo.mdb", "demonstration database");
    m_engine =
        CreateWindowExA(0, "STATIC", "engine", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
}

void PostInstFixture::TearDown()
{
    DestroyWindow(m_engine);
    RemoveTree(m_root);
    ResetRegistry();
}

void PostInstFixture::SetAppPath(const std::string& programPath)
{
    SetString(HKEY_LOCAL_MACHINE, kAppPathsKey, nullptr, programPath);
}

}   // namespace posttest
