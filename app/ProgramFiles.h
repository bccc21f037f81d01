// The files that ship beside quarvex.exe (PROJ's database, the user guide,
// the licence) and opening them in the program the user has for them.
#pragma once

#include <string>

// The program's folder in UTF-8, without a trailing separator; empty when
// the system does not say.
std::string ProgramFolderUtf8();

// Opens pszRelative (a path under the program's folder, "\" separated) in
// the program the system has for its kind (a browser for a page, an editor
// for a text). Tells the user, with the path, when the file is missing or
// nothing opened it; false then.
bool OpenShippedFile(const char* pszRelative);
