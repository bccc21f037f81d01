#include "app/ProgramFiles.h"

#include <windows.h>
#include <shellapi.h>

#include "app/res/resource.h"
#include "winbase/Wide.h"
#include "winfw/FwUtil.h"

std::string ProgramFolderUtf8()
{
    wchar_t path[MAX_PATH * 4] = {};
    const DWORD cch = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    if (cch == 0 || cch >= MAX_PATH * 4)
        return std::string();
    std::wstring folder(path, cch);
    const size_t slash = folder.find_last_of(L"\\/");
    folder.resize(slash == std::wstring::npos ? 0 : slash);
    return Narrow(folder);
}

bool OpenShippedFile(const char* pszRelative)
{
    const std::string folder = ProgramFolderUtf8();
    const std::string path = folder + "\\" + pszRelative;
    const std::wstring widePath = Widen(path);
    const DWORD attributes = GetFileAttributesW(widePath.c_str());
    if (folder.empty() || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    {
        FwMessageBox(LoadResString(IDS_SHIPPED_FILE_MISSING) + " " + path);
        return false;
    }
    // The page itself, not a file: URL with a #section, which the shell
    // drops on the way to the browser: each section of the guide is a page.
    // The default verb, since a browser need not register "open".
    const HINSTANCE hResult =
        ShellExecuteW(nullptr, nullptr, widePath.c_str(), nullptr, Widen(folder).c_str(), SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(hResult) <= 32)
    {
        FwMessageBox(LoadResString(IDS_SHIPPED_FILE_NOT_OPENED) + " " + path);
        return false;
    }
    return true;
}
