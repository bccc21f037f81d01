#include "installer/post/Registry.h"

#include "installer/post/Handles.h"
#include "installer/post/PostInstText.h"

#include <cstring>

namespace postinst {

const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TAVO.EXE";

LONG CRegistryKey::Create(HKEY parent, const char* name)
{
    HKEY created = nullptr;
    const LONG result = RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_ALL_ACCESS, nullptr, &created, nullptr);
    if (result == ERROR_SUCCESS) {
        // Opened below the old key before that one is closed.
        Close();
        m_key = created;
    }
    return result;
}

LONG CRegistryKey::SetValue(const std::string& text, const char* valueName)
{
    if (!m_key)
        return ERROR_INVALID_HANDLE;
    return RegSetValueExA(m_key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

LONG CRegistryKey::Close()
{
    if (!m_key)
        return ERROR_SUCCESS;
    const LONG result = RegCloseKey(m_key);
    m_key = nullptr;
    return result;
}

void RegisterFileType(const std::string& programPath)
{
    // Every failure is silent: the association is a convenience, the set-up goes on.
    CRegistryKey key;
    if (key.Create(HKEY_CLASSES_ROOT, ".tvm") == ERROR_SUCCESS)
        key.SetValue("tvm_auto_file", nullptr);
    key.Close();

    if (key.Create(HKEY_CLASSES_ROOT, "tvm_auto_file") == ERROR_SUCCESS &&
        key.Create(key.Get(), "shell") == ERROR_SUCCESS &&
        key.Create(key.Get(), "open") == ERROR_SUCCESS &&
        key.Create(key.Get(), "command") == ERROR_SUCCESS)
        key.SetValue(TvmOpenCommand(programPath), nullptr);
    key.Close();
}

bool FindInstallDir(std::string& installDir)
{
    HKEY raw = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kAppPathsKey, &raw) != ERROR_SUCCESS)
        return false;
    const UniqueRegKey key(raw);

    // RegQueryValueA hands back an empty text for a default value that was
    // never set; that names no program, and an empty directory would put the
    // set-up (and the uninstaller's deletion) in the drive's root.
    if (RegQueryValueExA(raw, nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;

    // 128 bytes as the engine's own path limit; a longer path counts as missing.
    char buffer[128];
    LONG size = sizeof buffer;
    if (RegQueryValueA(raw, nullptr, buffer, &size) != ERROR_SUCCESS)
        return false;
    installDir = InstallDirFromProgramPath(std::string(buffer, strnlen(buffer, sizeof buffer)));
    return true;
}

}  // namespace postinst
