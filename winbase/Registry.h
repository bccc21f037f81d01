// Registry keys through their owner, and the string values the program's
// profile, its shell registration and the installer libraries read and write,
// every text in UTF-8.
#pragma once

#include <windows.h>

#include <string>

#include "winbase/Handles.h"

// parent\subKey opened with the given access; empty when it cannot be.
UniqueRegKey OpenRegKey(HKEY hParent, const char* pszSubKey, REGSAM access = KEY_READ);
// parent\subKey created when missing, opened with the given access; empty
// when it cannot be, with the system's error in *pResult when asked.
UniqueRegKey CreateRegKey(HKEY hParent, const char* pszSubKey, REGSAM access = KEY_READ | KEY_WRITE,
                          LONG* pResult = nullptr);

// A REG_SZ or REG_EXPAND_SZ value (null or empty name: the default value);
// false when missing or of another type.
bool QueryRegString(HKEY hKey, const char* pszName, std::string& strValue);
// Stores the text with its NUL as a REG_SZ value; the system's result.
LONG SetRegString(HKEY hKey, const char* pszName, const std::string& strValue);
