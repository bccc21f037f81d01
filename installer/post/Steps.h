// The steps of the post-install sequence that are not ODBC or registry work.
#pragma once

#include <windows.h>

#include <string>

namespace postinst
{

// Copies the database named in TAVOINST.INI and its .tvw companion into the
// installation directory and creates its data source; true when all worked.
bool CopyDatabase(const std::string& source, const std::string& target);

// Offers the language versions of source\LANG, when there is one.
void SelectLanguageVersion(HWND window, const std::string& source, const std::string& target);

// Runs MDAC\mdac_typ.exe unattended, when the media carry it.
int InstallMdac(HWND window, const std::string& source);

// Has advpack.dll of the media's jet4 directory process jetsetup.inf, from a
// temporary copy of that directory.
int InstallJet(HWND window, const std::string& source);

// A new unique path in the user's temporary directory, not existing on return.
std::string MakeTempDirName();

}   // namespace postinst
