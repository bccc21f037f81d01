// Where the program keeps its recovery journals: in the user's own local
// application data (%LOCALAPPDATA%\Quarvex\recovery), never beside the
// scan, whose folder may be read-only or shared. The journal writer of the
// core creates them whole through a staged write and appends to them
// through the system's files, each record flushed to the disk.
#pragma once

#include <string>

#include "core/edit/JournalWriter.h"

class CRecoveryStore
{
public:
    // The folder, created when missing; "" when the system names none.
    static std::string Folder();
    // The full path of a journal; "" without a folder. Of "": the folder
    // with its separator, as the journal writer takes it.
    static std::string PathOf(const std::string& strName);
};

// A time of the journal (seconds since 1970, UTC) as the user reads it:
// local time in the system's short date and time formats.
std::string FormatJournalTime(long long nTime);
