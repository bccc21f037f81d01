// tavopre.dll: the Win32 side of the pre-install checks. Registry, file
// system, message boxes and WinExec; the decisions are in PreInstChecks.cpp.

#include <windows.h>

#include <new>

#include "core/preinst/PreInstChecks.h"
#include "winbase/Registry.h"

namespace
{

class CWin32PreInstSystem : public IPreInstSystem
{
public:
    explicit CWin32PreInstSystem(HWND window) : m_hWndOwner(window) {}

    bool ReadIeVersion(std::string& bytes) override
    {
        const UniqueRegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, kIeKey, KEY_QUERY_VALUE);
        if (!key)
            return false;
        BYTE data[kIeVersionMaxBytes];
        DWORD cb = sizeof data;
        // A longer value fails with ERROR_MORE_DATA and counts as unreadable.
        if (RegQueryValueExA(key.Get(), kIeVersionValue, nullptr, nullptr, data, &cb) != ERROR_SUCCESS)
            return false;
        bytes.assign(reinterpret_cast<const char*>(data), cb);
        return true;
    }

    bool KeyExists(const char* subKey) override
    {
        return static_cast<bool>(OpenRegKey(HKEY_LOCAL_MACHINE, subKey, KEY_QUERY_VALUE));
    }

    bool FileExists(const char* path) override { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

    bool ShowMessage(PreInstMessage message) override
    {
        const UINT buttons = IsYesNoMessage(message) ? MB_YESNO : MB_OK;
        return MessageBoxA(m_hWndOwner, PreInstMessageText(message), kPreInstCaption, buttons) == IDYES;
    }

    void StartProgram(const char* commandLine) override
    {
        // The installer runs on its own; its fate is the user's business.
        WinExec(commandLine, SW_SHOW);
    }

private:
    HWND m_hWndOwner;
};

}   // namespace

extern "C" LONG WINAPI TAVOPreInst(HWND window, LPVOID /*reserved*/, LPCSTR source)
{
    try
    {
        CWin32PreInstSystem system(window);
        // The engine's contract: 1 goes on, 0 stops.
        return RunPreInstChecks(system, source) ? 1 : 0;
    }
    catch (...)
    {
        // Out of memory (or anything else) before a decision: no exception
        // may reach the engine, and stopping is the safe answer.
        return 0;
    }
}
