// The pure text logic of tavoinst: ODBC attribute lists, the names and paths
// formed from the installation media and directory, the shell command.
// No Windows header: built and tested natively as well.
#pragma once

#include <string>

namespace postinst
{

// One member of the Jet driver family registered with the ODBC installer.
struct OdbcDriverMember
{
    const char* description;    // also the driver's name in the ODBC installer
    const char* setupLibrary;   // file name in the system directory
    int fileUsage;
    const char* extensions;
    const char* failureMessage;
};

// Access, dBase, Excel, Text: the order in which they are registered.
extern const OdbcDriverMember kOdbcDrivers[4];
extern const char kAccessDriverName[];

// Every "|" becomes a NUL, so the result has the text's length; its own
// terminating NUL (c_str()) ends the list.
std::string MakeAttributeList(std::string text);

// "description|Driver=...|Setup=...|...|SQLLevel=0||" for one member.
// systemDir carries no trailing backslash.
std::string MakeDriverAttributeText(const OdbcDriverMember& member, const std::string& systemDir);

// "DSN=name|Description=Tavolen|DBQ=path|...|UID=|" for a database file.
std::string MakeDataSourceAttributeText(const std::string& databasePath);

// The text between the last backslash (or the start) and the last dot;
// empty when there is no dot after the last backslash.
std::string BaseName(const std::string& path);

// The directory of a program path: the text before its last backslash,
// empty when there is none.
std::string InstallDirFromProgramPath(const std::string& programPath);

std::string WithTrailingBackslash(std::string path);

// The companion of a database named in TAVOINST.INI: base name + ".tvw",
// at the top of the media and installation directories.
std::string CompanionFileName(const std::string& databaseName);

// The shell's open command of a .tvm file: "program" %1
std::string TvmOpenCommand(const std::string& programPath);

// The unattended command line of the MDAC package; the path stays unquoted,
// since the package's own parser takes it as given.
std::string MdacCommandLine(const std::string& packagePath);

// Directory listings skip ".", ".." and hidden dot-entries.
bool IsListedEntry(const std::string& name);

extern const char kDataSourceFailureMessage[];
extern const char kDefaultLanguageEntry[];

}   // namespace postinst
