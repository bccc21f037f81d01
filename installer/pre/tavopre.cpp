// tavopre.dll: the Win32 side of the pre-install checks. Registry, file
// system, message boxes and WinExec; the decisions are in PreInstChecks.cpp.

#include <windows.h>

#include <new>

#include "installer/pre/PreInstChecks.h"

namespace {

// A registry key opened for reading, closed on every path out.
class CRegKey {
public:
    CRegKey(HKEY parent, const char* subKey)
    {
        if (RegOpenKeyExA(parent, subKey, 0, KEY_QUERY_VALUE, &m_hKey) != ERROR_SUCCESS)
            m_hKey = nullptr;
    }
    ~CRegKey()
    {
        if (m_hKey != nullptr)
            RegCloseKey(m_hKey);
    }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    bool IsOpen() const { return m_hKey != nullptr; }
    HKEY Get() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

class CWin32PreInstSystem : public IPreInstSystem {
public:
    explicit CWin32PreInstSystem(HWND window) : m_hWndOwner(window) {}

    bool ReadIeVersion(std::string& bytes) override
    {
        CRegKey key(HKEY_LOCAL_MACHINE, kIeKey);
        if (!key.IsOpen())
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
        return CRegKey(HKEY_LOCAL_MACHINE, subKey).IsOpen();
    }

    bool FileExists(const char* path) override
    {
        return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    }

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

}  // namespace

extern "C" LONG WINAPI TAVOPreInst(HWND window, LPVOID /*reserved*/, LPCSTR source)
{
    try {
        CWin32PreInstSystem system(window);
        return RunPreInstChecks(system, source);
    } catch (...) {
        // Out of memory (or anything else) before a decision: no exception
        // may reach the engine, and stopping is the safe answer.
        return 0;
    }
}
