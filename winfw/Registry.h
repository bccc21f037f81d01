// An open registry key, closed when it goes out of scope, and the few
// string operations the profile and the shell registration need.
#pragma once

#include <windows.h>

#include <string>

class CRegKey
{
public:
    CRegKey() = default;
    ~CRegKey() { Close(); }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    // Opens (creating when missing) pszSubKey under hParent for writing.
    bool Create(HKEY hParent, const char* pszSubKey);
    // Opens an existing key for reading.
    bool Open(HKEY hParent, const char* pszSubKey);
    void Close();
    HKEY Get() const { return m_hKey; }

    // A string value (null or empty name: the default value); false when
    // missing or not a string.
    bool QueryString(const char* pszName, std::string& strValue) const;
    bool SetString(const char* pszName, const std::string& strValue) const;
    bool DeleteValue(const char* pszName) const;

private:
    HKEY m_hKey = nullptr;
};

// Registers the document type pszTypeId ("Image.Document", named
// pszTypeName) to be opened by pszExePath under hWriteRoot (the user's
// Software\Classes), and the extension pszExt for it - but the extension
// only when no other type owns it in hReadRoot (the merged classes root):
// the user's own association is never replaced. Returns false when a write
// failed.
bool RegisterShellFileType(HKEY hReadRoot, HKEY hWriteRoot, const char* pszTypeId, const char* pszTypeName,
                           const char* pszExt, const char* pszExePath);
