#include "core/postinst/PostInstText.h"

namespace postinst
{

const OdbcDriverMember kOdbcDrivers[4] = {
    {"Microsoft Access Driver (*.mdb)", "odbcjt32.dll", 2, "*.mdb", "Microsoft Access Driver Failed to Install"},
    {"Microsoft dBase Driver (*.dbf)", "oddbse32.dll", 1, "*.dbf,*.ndx,*.mdx",
     "Microsoft dBase Driver Failed to Install"},
    {"Microsoft Excel Driver (*.xls)", "odexl32.dll", 1, "*.xls", "Microsoft Excel Driver Failed to Install"},
    // The text driver's name has no word "Driver" and lists *.csv twice:
    // installed applications look it up by exactly this name.
    {"Microsoft Text (*.txt;*.csv)", "odtext32.dll", 1, "*.,*.asc,*.csv,*.tab,*.txt,*.csv",
     "Microsoft Text Driver Failed to Install"},
};

const char kAccessDriverName[] = "Microsoft Access Driver (*.mdb)";

const char kDataSourceFailureMessage[] =
    "An error occurred whilst attempting to set-up the data sources on your computer. "
    "The ODBC drivers may not be installed correctly.\r\n"
    "These drivers are included with software such as Microsoft Office and Internet Explorer.  "
    "Alternatively you can download the latest Microsoft Data Access Components (MDAC) and "
    "Microsoft Access Drivers (JET) from:\r\n\r\n"
    "https://www.microsoft.com/download"
    "\r\n\r\nOnce the ODBC drivers have been updated please try again installing the TAVO software.";

const char kDefaultLanguageEntry[] = "TAVO English (U.K)";

std::string MakeAttributeList(std::string text)
{
    for (size_t i = text.size(); i-- > 0;)
        if (text[i] == '|')
            text[i] = '\0';
    return text;
}

std::string MakeDriverAttributeText(const OdbcDriverMember& member, const std::string& systemDir)
{
    std::string text;
    text += member.description;
    text += "|Driver=" + systemDir + "\\odbcjt32.dll";
    text += "|Setup=" + systemDir + "\\" + member.setupLibrary;
    text += "|FileUsage=" + std::to_string(member.fileUsage);
    text += "|APILevel=1";
    text += "|ConnectFunctions=YYN";
    text += "|DriverODBCVer=02.50";
    text += "|FileExtns=";
    text += member.extensions;
    text += "|SQLLevel=0||";
    return text;
}

std::string MakeDataSourceAttributeText(const std::string& databasePath)
{
    return "DSN=" + BaseName(databasePath) + "|Description=Tavolen|DBQ=" + databasePath +
           "|Driver=odbcjt32.dll|DriverId=25|FIL=MS Access|SafeTransactions=0|UID=|";
}

std::string BaseName(const std::string& path)
{
    const size_t slash = path.rfind('\\');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < start)
        return std::string();
    return path.substr(start, dot - start);
}

std::string InstallDirFromProgramPath(const std::string& programPath)
{
    const size_t slash = programPath.rfind('\\');
    return slash == std::string::npos ? std::string() : programPath.substr(0, slash);
}

std::string WithTrailingBackslash(std::string path)
{
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path;
}

std::string CompanionFileName(const std::string& databaseName) { return BaseName(databaseName) + ".tvw"; }

std::string TvmOpenCommand(const std::string& programPath) { return "\"" + programPath + "\" %1"; }

std::string MdacCommandLine(const std::string& packagePath) { return packagePath + " /c:\"setup /QN1\""; }

bool IsListedEntry(const std::string& name) { return !name.empty() && name[0] != '.'; }

}   // namespace postinst
