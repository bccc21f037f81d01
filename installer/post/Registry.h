// Registry access of tavoinst: the .tvm association and the lookup of the
// installation directory.
#pragma once

#include <windows.h>

#include <string>

namespace postinst
{

// HKCR\.tvm -> tvm_auto_file, and its open command "program" %1.
void RegisterFileType(const std::string& programPath);

// The directory of the program named by App Paths\TAVO.EXE; false when the
// entry is missing or its value does not fit 128 bytes.
bool FindInstallDir(std::string& installDir);

extern const char kAppPathsKey[];

}   // namespace postinst
