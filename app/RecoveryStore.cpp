#include "app/RecoveryStore.h"

#include <windows.h>
#include <shlobj.h>

#include "winbase/Wide.h"
std::string CRecoveryStore::Folder()
{
    wchar_t base[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base)))
        return std::string();
    std::string folder = Narrow(base) + "\\Quarvex";
    CreateDirectoryW(Widen(folder).c_str(), nullptr);
    folder += "\\recovery";
    CreateDirectoryW(Widen(folder).c_str(), nullptr);
    return folder;
}

std::string CRecoveryStore::PathOf(const std::string& strName)
{
    const std::string folder = Folder();
    return folder.empty() ? std::string() : folder + "\\" + strName;
}

std::string FormatJournalTime(long long nTime)
{
    // Seconds since 1970 to the system's hundreds of nanoseconds since 1601.
    const unsigned long long ticks = (static_cast<unsigned long long>(nTime) + 11644473600ull) * 10000000ull;
    FILETIME utcFile = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc, local;
    if (nTime < 0 || !FileTimeToSystemTime(&utcFile, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return std::string();
    wchar_t date[128] = {}, time[128] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, static_cast<int>(std::size(date)));
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &local, nullptr, time, static_cast<int>(std::size(time)));
    return Narrow(date) + " " + Narrow(time);
}
