#include "winfw/Registry.h"

#include <string>

#include "winbase/Registry.h"

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
        UniqueRegKey key = CreateRegKey(hWriteRoot, entry.key.c_str());
        ok = key && SetRegString(key.Get(), nullptr, entry.value) == ERROR_SUCCESS && ok;
    }

    std::string owner;
    UniqueRegKey existing = OpenRegKey(hReadRoot, pszExt);
    if (existing && QueryRegString(existing.Get(), nullptr, owner) && !owner.empty() && owner != pszTypeId)
        return ok;   // another program's association: left alone
    UniqueRegKey ext = CreateRegKey(hWriteRoot, pszExt);
    return ext && SetRegString(ext.Get(), nullptr, pszTypeId) == ERROR_SUCCESS && ok;
}
