#include "app/RecoveryStore.h"

#include <windows.h>
#include <shlobj.h>

#include "winbase/DurableFiles.h"
#include "winbase/Handles.h"

namespace
{
// Appends to a journal held open for writing, each record flushed to the
// disk before the caller shows the change as done.
class CAppendFile : public CJournalFile
{
public:
    explicit CAppendFile(HANDLE hFile) : m_file(hFile) {}

    bool AppendDurably(const std::string& bytes) override
    {
        return WriteAllToFile(m_file.Get(), bytes.data(), bytes.size()) && FlushFileBuffers(m_file.Get()) != FALSE;
    }

private:
    UniqueFileHandle m_file;
};
}   // namespace

std::string CRecoveryStore::Folder()
{
    char base[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base)))
        return std::string();
    std::string folder = std::string(base) + "\\Quarvex";
    CreateDirectoryA(folder.c_str(), nullptr);
    folder += "\\recovery";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string CRecoveryStore::PathOf(const std::string& strName)
{
    const std::string folder = Folder();
    return folder.empty() ? std::string() : folder + "\\" + strName;
}

bool CRecoveryStore::Read(const std::string& strName, std::string* pBytes)
{
    pBytes->clear();
    const std::string path = PathOf(strName);
    // Sharing reading only: a program that has the journal open for
    // writing keeps it, and this open fails.
    UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (path.empty() || !file)
        return false;
    char chunk[64 * 1024];
    DWORD got = 0;
    while (ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
        pBytes->append(chunk, got);
    return true;
}

std::unique_ptr<CJournalFile> CRecoveryStore::Create(const std::string& strName, const std::string& bytes)
{
    const std::string path = PathOf(strName);
    if (path.empty() || !WriteWholeFile(path, bytes, DurableFiles()))
        return nullptr;
    UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return nullptr;
    LARGE_INTEGER zero = {};
    if (!SetFilePointerEx(file.Get(), zero, nullptr, FILE_END))
        return nullptr;
    return std::unique_ptr<CJournalFile>(new CAppendFile(file.Release()));
}

bool CRecoveryStore::Remove(const std::string& strName)
{
    const std::string path = PathOf(strName);
    return !path.empty() && DurableFileReplacer().Remove(path);
}

std::string FormatJournalTime(long long nTime)
{
    // Seconds since 1970 to the system's hundreds of nanoseconds since 1601.
    const unsigned long long ticks = (static_cast<unsigned long long>(nTime) + 11644473600ull) * 10000000ull;
    FILETIME utcFile = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc, local;
    if (nTime < 0 || !FileTimeToSystemTime(&utcFile, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return std::string();
    char date[128] = {}, time[128] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &local, nullptr, time, sizeof time);
    return std::string(date) + " " + time;
}
