#include "winbase/Registry.h"

#include <vector>

#include "winbase/Wide.h"

namespace
{
// A null name stays null: the key's default value.
std::wstring WideName(const char* pszName) { return pszName ? Widen(pszName) : std::wstring(); }
}   // namespace

UniqueRegKey OpenRegKey(HKEY hParent, const char* pszSubKey, REGSAM access)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hParent, pszSubKey ? Widen(pszSubKey).c_str() : nullptr, 0, access, &hKey) != ERROR_SUCCESS)
        return UniqueRegKey();
    return UniqueRegKey(hKey);
}

UniqueRegKey CreateRegKey(HKEY hParent, const char* pszSubKey, REGSAM access, LONG* pResult)
{
    HKEY hKey = nullptr;
    const LONG result = RegCreateKeyExW(hParent, Widen(pszSubKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                        nullptr, &hKey, nullptr);
    if (pResult)
        *pResult = result;
    return UniqueRegKey(result == ERROR_SUCCESS ? hKey : nullptr);
}

bool QueryRegString(HKEY hKey, const char* pszName, std::string& strValue)
{
    const std::wstring name = WideName(pszName);
    const wchar_t* pszWide = pszName ? name.c_str() : nullptr;
    DWORD type = 0, cb = 0;
    if (!hKey || RegQueryValueExW(hKey, pszWide, nullptr, &type, nullptr, &cb) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    // cb counts bytes; one more character keeps a value stored without its NUL terminated.
    std::vector<wchar_t> buffer(cb / sizeof(wchar_t) + 2, L'\0');
    if (RegQueryValueExW(hKey, pszWide, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &cb) != ERROR_SUCCESS)
        return false;
    strValue = Narrow(buffer.data());
    return true;
}

LONG SetRegString(HKEY hKey, const char* pszName, const std::string& strValue)
{
    if (!hKey)
        return ERROR_INVALID_HANDLE;
    const std::wstring name = WideName(pszName);
    const std::wstring value = Widen(strValue);
    return RegSetValueExW(hKey, pszName ? name.c_str() : nullptr, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}
