#include "installer/post/Module.h"

#include "winbase/Handles.h"
#include "core/postinst/PostInstText.h"

#include <io.h>
#include <sys/stat.h>

namespace postinst
{

namespace
{
HMODULE g_module = nullptr;
}

const char kFrameworkCaption[] = "tavoinst";

HMODULE ThisModule() { return g_module; }

void SetThisModule(HMODULE module) { g_module = module; }

void DirectMessageBox(HWND owner, const std::string& text, const char* caption)
{
    MessageBoxA(owner, text.c_str(), caption, MB_OK);
}

void FrameworkMessageBox(const std::string& text)
{
    // Like a framework message box: the active window of this thread owns it
    // (the progress or language dialog while one is up).
    MessageBoxA(GetActiveWindow(), text.c_str(), kFrameworkCaption, MB_OK | MB_ICONWARNING);
}

void DispatchOneMessage()
{
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void DispatchWaitingMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

DWORD WaitForProcess(HWND /*window*/, HANDLE process)
{
    // Polls without sleeping, one message a pass, so the progress picture
    // moves and the engine's window repaints while the child runs.
    for (;;)
    {
        DispatchOneMessage();
        DWORD code = 0;
        if (!GetExitCodeProcess(process, &code))
            return static_cast<DWORD>(-1);
        if (code != STILL_ACTIVE)
            return code;
    }
}

std::string SystemDirectory()
{
    char buffer[MAX_PATH] = "";
    const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

std::vector<std::string> ListedEntries(const std::string& pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    UniqueFindHandle find(FindFirstFileA(pattern.c_str(), &found));
    if (!find)
        return names;
    do
    {
        if (IsListedEntry(found.cFileName))
            names.push_back(found.cFileName);
    } while (FindNextFileA(find.Get(), &found));
    return names;
}

bool PathExists(const std::string& path) { return _access(path.c_str(), 0) == 0; }

void MakeWritable(const std::string& path) { _chmod(path.c_str(), _S_IREAD | _S_IWRITE); }

}   // namespace postinst
