#include "winbase/Registry.h"

#include <vector>

UniqueRegKey OpenRegKey(HKEY hParent, const char* pszSubKey, REGSAM access)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hParent, pszSubKey, 0, access, &hKey) != ERROR_SUCCESS)
        return UniqueRegKey();
    return UniqueRegKey(hKey);
}

UniqueRegKey CreateRegKey(HKEY hParent, const char* pszSubKey, REGSAM access, LONG* pResult)
{
    HKEY hKey = nullptr;
    const LONG result =
        RegCreateKeyExA(hParent, pszSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &hKey, nullptr);
    if (pResult)
        *pResult = result;
    return UniqueRegKey(result == ERROR_SUCCESS ? hKey : nullptr);
}

bool QueryRegString(HKEY hKey, const char* pszName, std::string& strValue)
{
    DWORD type = 0, cb = 0;
    if (!hKey || RegQueryValueExA(hKey, pszName, nullptr, &type, nullptr, &cb) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    std::vector<char> buffer(cb + 1, '\0');
    if (RegQueryValueExA(hKey, pszName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &cb) != ERROR_SUCCESS)
        return false;
    strValue = buffer.data();
    return true;
}

LONG SetRegString(HKEY hKey, const char* pszName, const std::string& strValue)
{
    if (!hKey)
        return ERROR_INVALID_HANDLE;
    return RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                          static_cast<DWORD>(strValue.size() + 1));
}
