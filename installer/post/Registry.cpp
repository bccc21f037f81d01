#include "installer/post/Registry.h"

#include "core/postinst/PostInstText.h"
#include "winbase/Registry.h"

#include <cstring>

#include "winbase/Wide.h"

namespace postinst
{
namespace
{
// The engine hands this library its paths in the system's ANSI code page;
// the registry helpers take UTF-8.
std::string Utf8FromAnsi(const std::string& ansi)
{
    const int cch = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(cch > 0 ? cch : 0), L'\0');
    if (cch > 0)
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], cch);
    return Narrow(wide);
}
}   // namespace

const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TAVO.EXE";

void RegisterFileType(const std::string& programPath)
{
    // Every failure is silent: the association is a convenience, the set-up goes on.
    if (UniqueRegKey ext = CreateRegKey(HKEY_CLASSES_ROOT, ".tvm", KEY_ALL_ACCESS))
        SetRegString(ext.Get(), nullptr, "tvm_auto_file");

    // Each key opened below the one before, which closes once its child is open.
    UniqueRegKey key = CreateRegKey(HKEY_CLASSES_ROOT, "tvm_auto_file", KEY_ALL_ACCESS);
    for (const char* child : {"shell", "open", "command"})
        if (key)
            key = CreateRegKey(key.Get(), child, KEY_ALL_ACCESS);
    if (key)
        SetRegString(key.Get(), nullptr, Utf8FromAnsi(TvmOpenCommand(programPath)));
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

}   // namespace postinst
