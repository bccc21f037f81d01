#include "tests/win/setup/SetupTestSupport.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>

#include "winbase/Handles.h"

namespace setup
{
namespace
{
// The machine's own registry view, also from a 32-bit test on 64-bit Windows.
const REGSAM kRead = KEY_READ | KEY_WOW64_64KEY;

UniqueRegKey Open(HKEY hRoot, const std::wstring& subKey)
{
    HKEY hKey = nullptr;
    return UniqueRegKey(RegOpenKeyExW(hRoot, subKey.c_str(), 0, kRead, &hKey) == ERROR_SUCCESS ? hKey : nullptr);
}

// name="text", name=dword:n or name=type:hex, sorted; "@" names the default.
std::string Values(HKEY hKey)
{
    std::vector<std::string> values;
    wchar_t name[16384];
    alignas(wchar_t) BYTE data[65536];
    for (DWORD i = 0;; ++i)
    {
        DWORD cchName = 16384, type = 0, cb = sizeof(data) - 2;
        LONG result = RegEnumValueW(hKey, i, name, &cchName, nullptr, &type, data, &cb);
        if (result == ERROR_MORE_DATA)
        {
            values.push_back("(a value over 64 KiB)");
            continue;
        }
        if (result != ERROR_SUCCESS)
            break;
        std::string text = (cchName ? Narrow(name) : "@") + "=";
        if (type == REG_DWORD && cb == 4)
            text += "dword:" + std::to_string(*reinterpret_cast<DWORD*>(data));
        else if (type == REG_SZ)
            text += "\"" +
                    Narrow(std::wstring(reinterpret_cast<wchar_t*>(data),
                                        wcsnlen(reinterpret_cast<wchar_t*>(data), cb / 2))) +
                    "\"";
        else
        {
            text += std::to_string(type) + ":";
            for (DWORD b = 0; b < cb; ++b)
            {
                char hex[3];
                std::snprintf(hex, sizeof(hex), "%02x", data[b]);
                text += hex;
            }
        }
        values.push_back(text);
    }
    std::sort(values.begin(), values.end());
    std::string text;
    for (const std::string& value : values)
        text += (text.empty() ? "" : " ") + value;
    return text;
}

void Walk(HKEY hKey, const std::string& path, RegistrySnapshot& snapshot)
{
    snapshot[path] = Values(hKey);
    wchar_t name[256];
    for (DWORD i = 0;; ++i)
    {
        DWORD cchName = 256;
        if (RegEnumKeyExW(hKey, i, name, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (UniqueRegKey child = Open(hKey, name))
            Walk(child.Get(), path + "\\" + Narrow(name), snapshot);
    }
}

void ListInto(const std::wstring& root, const std::wstring& relative, std::vector<std::string>& files)
{
    WIN32_FIND_DATAW found;
    UniqueFindHandle find(FindFirstFileW((root + L"\\" + relative + L"*").c_str(), &found));
    if (!find)
        return;
    do
    {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        {
            files.push_back(Narrow(relative + name) + "\\");
            ListInto(root, relative + name + L"\\", files);
        }
        else
            files.push_back(Narrow(relative + name) + " " + std::to_string(found.nFileSizeLow));
    } while (FindNextFileW(find.Get(), &found));
}

void WaitForChildren(DWORD parentId)
{
    UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry))
    {
        UniqueKernelHandle child(
            entry.th32ParentProcessID == parentId ? OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID) : nullptr);
        if (child)
            WaitForSingleObject(child.Get(), 60000);
    }
}

// Started with its own folder elsewhere, as from a shortcut or Explorer.
bool Start(std::wstring commandLine, PROCESS_INFORMATION& process)
{
    wchar_t windowsFolder[MAX_PATH] = {};
    GetWindowsDirectoryW(windowsFolder, MAX_PATH);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    return CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, windowsFolder, &startup,
                          &process) != FALSE;
}

std::string WindowTitle(HWND hWnd)
{
    wchar_t text[512] = {};
    GetWindowTextW(hWnd, text, 512);
    return Narrow(text);
}

struct ProcessWindows
{
    DWORD processId;
    HWND hFrame, hOpen;
};

BOOL CALLBACK FindProgramWindows(HWND hWnd, LPARAM lParam)
{
    auto* pFound = reinterpret_cast<ProcessWindows*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(hWnd, &processId);
    if (processId != pFound->processId || !IsWindowVisible(hWnd))
        return TRUE;
    std::string title = WindowTitle(hWnd);
    if (title == "Open")
        pFound->hOpen = hWnd;
    else if (title.find("Quarvex") != std::string::npos)
        pFound->hFrame = hWnd;
    return TRUE;
}
}

std::wstring Widen(const std::string& utf8)
{
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                        &wide[0], static_cast<int>(wide.size()))));
    return wide;
}

std::string Narrow(const std::wstring& wide)
{
    std::string text(wide.size() * 3, '\0');
    text.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                                        &text[0], static_cast<int>(text.size()), nullptr, nullptr)));
    return text;
}

std::string Env(const char* pszName)
{
    const char* pszValue = std::getenv(pszName);
    return pszValue ? pszValue : "";
}

std::wstring FromUnixPath(const std::string& path)
{
    std::wstring windows = L"Z:" + Widen(path);
    std::replace(windows.begin(), windows.end(), L'/', L'\\');
    return windows;
}

std::wstring ShellFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring TempFolder()
{
    wchar_t path[MAX_PATH] = {};
    DWORD cch = GetTempPathW(MAX_PATH, path);
    return std::wstring(path, cch > 0 ? cch - 1 : 0);   // without the trailing backslash
}

RegistrySnapshot SnapshotRegistry()
{
    RegistrySnapshot snapshot;
    if (UniqueRegKey user = Open(HKEY_CURRENT_USER, L""))
        Walk(user.Get(), "HKCU", snapshot);
    if (UniqueRegKey machine = Open(HKEY_LOCAL_MACHINE, L"Software"))
        Walk(machine.Get(), "HKLM\\Software", snapshot);
    return snapshot;
}

std::vector<std::string> Differences(const RegistrySnapshot& before, const RegistrySnapshot& after,
                                     const std::vector<std::string>& ignoredPrefixes)
{
    auto shown = [&ignoredPrefixes](const std::string& key) {
        return std::none_of(ignoredPrefixes.begin(), ignoredPrefixes.end(),
                            [&key](const std::string& prefix) { return key.compare(0, prefix.size(), prefix) == 0; });
    };
    std::vector<std::string> lines;
    for (const auto& [key, values] : after)
    {
        auto old = before.find(key);
        if (shown(key) && old == before.end())
            lines.push_back("+ " + key + "  " + values);
        else if (shown(key) && old->second != values)
            lines.push_back("~ " + key + "  " + old->second + " -> " + values);
    }
    for (const auto& [key, values] : before)
    {
        if (shown(key) && after.find(key) == after.end())
            lines.push_back("- " + key + "  " + values);
    }
    return lines;
}

std::string KeyValues(HKEY hRoot, const std::wstring& subKey)
{
    UniqueRegKey key = Open(hRoot, subKey);
    return key ? Values(key.Get()) : std::string();
}

std::string ReadString(HKEY hRoot, const std::wstring& subKey, const wchar_t* pszName)
{
    UniqueRegKey key = Open(hRoot, subKey);
    wchar_t text[2048] = {};
    DWORD type = 0, cb = sizeof(text) - sizeof(wchar_t);
    if (!key ||
        RegQueryValueExW(key.Get(), pszName, nullptr, &type, reinterpret_cast<BYTE*>(text), &cb) != ERROR_SUCCESS ||
        type != REG_SZ)
        return "(none)";
    return Narrow(text);
}

long long ReadDword(HKEY hRoot, const std::wstring& subKey, const wchar_t* pszName)
{
    UniqueRegKey key = Open(hRoot, subKey);
    DWORD value = 0, type = 0, cb = sizeof(value);
    if (!key ||
        RegQueryValueExW(key.Get(), pszName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &cb) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return -1;
    return value;
}

void CreateKey(HKEY hRoot, const std::wstring& subKey)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(hRoot, subKey.c_str(), 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY, nullptr, &hKey, nullptr) ==
        ERROR_SUCCESS)
        RegCloseKey(hKey);
}

void WriteString(HKEY hRoot, const std::wstring& subKey, const wchar_t* pszName, const std::wstring& value)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(hRoot, subKey.c_str(), 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
        return;
    UniqueRegKey key(hKey);
    RegSetValueExW(key.Get(), pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void DeleteTree(HKEY hRoot, const std::wstring& subKey) { SHDeleteKeyW(hRoot, subKey.c_str()); }

std::vector<std::string> ListFiles(const std::wstring& root)
{
    std::vector<std::string> files;
    ListInto(root, L"", files);
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> ListNames(const std::wstring& root)
{
    std::vector<std::string> names = ListFiles(root);
    for (std::string& name : names)
        name = name.back() == '\\' ? name : name.substr(0, name.rfind(' '));
    return names;
}

void AddGuideFiles(std::vector<std::string>& names)
{
    names.push_back("guide\\");
    for (const std::string& name : ListNames(FromUnixPath(Env("QUARVEX_GUIDE_DIR"))))
        names.push_back("guide\\" + name);
    std::sort(names.begin(), names.end());
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadFile(const std::wstring& path)
{
    UniqueStdioFile file(_wfopen(path.c_str(), L"rb"));
    std::string bytes;
    char buffer[65536];
    for (size_t cb; file && (cb = std::fread(buffer, 1, sizeof(buffer), file.Get())) > 0;)
        bytes.append(buffer, cb);
    return bytes;
}

void WriteFile(const std::wstring& path, const std::string& bytes)
{
    UniqueStdioFile file(_wfopen(path.c_str(), L"wb"));
    if (file)
        std::fwrite(bytes.data(), 1, bytes.size(), file.Get());
}

void MakeFolders(const std::wstring& path) { SHCreateDirectoryExW(nullptr, path.c_str(), nullptr); }

void RemoveTree(const std::wstring& path)
{
    std::wstring from = path + L'\0';   // the list ends with an empty name
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&operation);
}

int RunCommand(const std::wstring& commandLine)
{
    PROCESS_INFORMATION process = {};
    if (!Start(commandLine, process))
        return -1;
    UniqueKernelHandle hProcess(process.hProcess), hThread(process.hThread);
    DWORD exitCode = 0;
    if (WaitForSingleObject(hProcess.Get(), 60000) != WAIT_OBJECT_0 || !GetExitCodeProcess(hProcess.Get(), &exitCode))
    {
        TerminateProcess(hProcess.Get(), 1);
        return -1;
    }
    WaitForChildren(process.dwProcessId);
    return static_cast<int>(exitCode);
}

ProgramRun RunProgramOnImage(const std::wstring& exe, const std::wstring& image)
{
    ProgramRun run;
    PROCESS_INFORMATION process = {};
    if (!Start(L"\"" + exe + L"\" \"" + image + L"\"", process))
        return {"", "could not start " + Narrow(exe)};
    UniqueKernelHandle hProcess(process.hProcess), hThread(process.hThread);
    ProcessWindows found = {process.dwProcessId, nullptr, nullptr};
    for (int i = 0; i < 600 && !(found.hFrame && found.hOpen); ++i)
    {
        if (WaitForSingleObject(hProcess.Get(), 50) == WAIT_OBJECT_0)
            break;
        EnumWindows(FindProgramWindows, reinterpret_cast<LPARAM>(&found));
    }
    if (found.hFrame)
        run.title = WindowTitle(found.hFrame);
    if (!found.hFrame || !found.hOpen)
        run.failure = "the main window and the Open dialog did not both come";
    if (found.hOpen)
        PostMessageW(found.hOpen, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 200 && found.hOpen && IsWindow(found.hOpen); ++i)
        Sleep(50);
    if (found.hFrame)
        PostMessageW(found.hFrame, WM_CLOSE, 0, 0);
    DWORD exitCode = 0;
    if (WaitForSingleObject(hProcess.Get(), 30000) != WAIT_OBJECT_0)
    {
        TerminateProcess(hProcess.Get(), 1);
        run.failure = "the program did not end when its window was closed";
    }
    else if (GetExitCodeProcess(hProcess.Get(), &exitCode) && exitCode != 0 && run.failure.empty())
        run.failure = "the program ended with exit code " + std::to_string(exitCode);
    return run;
}

std::string FileVersion(const std::wstring& path)
{
    DWORD handle = 0;
    std::vector<BYTE> info(GetFileVersionInfoSizeW(path.c_str(), &handle));
    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT cbFixed = 0;
    if (info.empty() || !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()) ||
        !VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&pFixed), &cbFixed))
        return "(none)";
    return std::to_string(HIWORD(pFixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(pFixed->dwFileVersionMS)) +
           "." + std::to_string(HIWORD(pFixed->dwFileVersionLS)) + "." +
           std::to_string(LOWORD(pFixed->dwFileVersionLS));
}
}
