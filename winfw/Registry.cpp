#include "winfw/Registry.h"

#include <vector>

bool CRegKey::Create(HKEY hParent, const char* pszSubKey)
{
    Close();
    return RegCreateKeyExA(hParent, pszSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                           &m_hKey, nullptr) == ERROR_SUCCESS;
}

bool CRegKey::Open(HKEY hParent, const char* pszSubKey)
{
    Close();
    return RegOpenKeyExA(hParent, pszSubKey, 0, KEY_READ, &m_hKey) == ERROR_SUCCESS;
}

void CRegKey::Close()
{
    if (m_hKey)
        RegCloseKey(m_hKey);
    m_hKey = nullptr;
}

bool CRegKey::QueryString(const char* pszName, std::string& strValue) const
{
    DWORD type = 0, cb = 0;
    if (!m_hKey || RegQueryValueExA(m_hKey, pszName, nullptr, &type, nullptr, &cb) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    std::vector<char> buffer(cb + 1, '\0');
    if (RegQueryValueExA(m_hKey, pszName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &cb) !=
        ERROR_SUCCESS)
        return false;
    strValue = buffer.data();
    return true;
}

bool CRegKey::SetString(const char* pszName, const std::string& strValue) const
{
    return m_hKey && RegSetValueExA(m_hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                                    static_cast<DWORD>(strValue.size() + 1)) == ERROR_SUCCESS;
}

bool CRegKey::DeleteValue(const char* pszName) const
{
    return m_hKey && RegDeleteValueA(m_hKey, pszName) == ERROR_SUCCESS;
}

bool RegisterShellFileType(HKEY hReadRoot, HKEY hWriteRoot, const char* pszTypeId, const char* pszTypeName,
                           const char* pszExt, const char* pszExePath)
{
    const std::string exe = pszExePath;
    struct Entry
    {
        std::string key;
        std::string value;
    };
    const Entry entries[] = {
        {pszTypeId, pszTypeName},
        {std::string(pszTypeId) + "\\DefaultIcon", exe + ",0"},
        {std::string(pszTypeId) + "\\shell\\open\\command", "\"" + exe + "\" \"%1\""},
    };
    bool ok = true;
    for (const Entry& entry : entries)
    {
        CRegKey key;
        ok = key.Create(hWriteRoot, entry.key.c_str()) && key.SetString(nullptr, entry.value) && ok;
    }

    std::string owner;
    CRegKey existing;
    if (existing.Open(hReadRoot, pszExt) && existing.QueryString(nullptr, owner) && !owner.empty() &&
        owner != pszTypeId)
        return ok;   // another program's association: left alone
    CRegKey ext;
    return ext.Create(hWriteRoot, pszExt) && ext.SetString(nullptr, pszTypeId) && ok;
}
