// The program's shell registration: its document type, and the extension
// when no other program owns it.
#pragma once

#include <windows.h>

// Registers the document type pszTypeId ("Image.Document", named
// pszTypeName) to be opened by pszExePath under hWriteRoot (the user's
// Software\Classes), and the extension pszExt for it - but the extension
// only when no other type owns it in hReadRoot (the merged classes root):
// the user's own association is never replaced. Returns false when a write
// failed.
bool RegisterShellFileType(HKEY hReadRoot, HKEY hWriteRoot, const char* pszTypeId, const char* pszTypeName,
                           const char* pszExt, const char* pszExePath);
