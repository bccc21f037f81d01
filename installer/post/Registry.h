// Registry access of tavoinst: the key holder, the .tvm association and the
// lookup of the installation directory.
#pragma once

#include <windows.h>

#include <string>

namespace postinst {

// Holds at most one open key and closes it when replaced or destroyed.
class CRegistryKey
{
public:
    CRegistryKey() = default;
    ~CRegistryKey() { Close(); }
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // Creates or opens parent\name; the parent may be the held key itself.
    LONG Create(HKEY parent, const char* name);
    // Stores text (with its NUL) as a REG_SZ value; null name: the default value.
    LONG SetValue(const std::string& text, const char* valueName);
    LONG Close();
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// HKCR\.tvm -> tvm_auto_file, and its open command "program" %1.
void RegisterFileType(const std::string& programPath);

// The directory of the program named by App Paths\TAVO.EXE; false when the
// entry is missing or its value does not fit 128 bytes.
bool FindInstallDir(std::string& installDir);

extern const char kAppPathsKey[];

}  // namespace postinst
