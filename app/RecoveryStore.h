// Where the program keeps its recovery journals: in the user's own local
// application data (%LOCALAPPDATA%\Quarvex\recovery), never beside the
// scan, whose folder may be read-only or shared. A journal is created whole
// through a staged write and then appended to, each record flushed to the
// disk; while the program writes it, no other instance can read or remove it.
#pragma once

#include <string>

#include "core/journal/JournalWriter.h"

class CRecoveryStore : public CJournalStore
{
public:
    // The folder, created when missing; "" when the system names none.
    static std::string Folder();
    // The full path of a journal; "" without a folder.
    static std::string PathOf(const std::string& strName);

    bool Read(const std::string& strName, std::string* pBytes) override;
    std::unique_ptr<CJournalFile> Create(const std::string& strName, const std::string& bytes) override;
    bool Remove(const std::string& strName) override;
};

// A time of the journal (seconds since 1970, UTC) as the user reads it:
// local time in the system's short date and time formats.
std::string FormatJournalTime(long long nTime);
