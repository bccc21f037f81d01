// What the setup tests need of Windows: registry and folder listings to
// compare before and after, commands run to their end, and the program
// started on an image and closed again.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace setup
{
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
std::string Env(const char* pszName);
// A Linux path handed over by ctest, as Wine's drive Z: shows it.
std::wstring FromUnixPath(const std::string& path);
// A shell folder of the user or the machine (CSIDL_PROGRAMS, ...).
std::wstring ShellFolder(int csidl);
std::wstring TempFolder();

// Every key under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE\Software (the
// machine's own view) with its values written out.
using RegistrySnapshot = std::map<std::string, std::string>;
RegistrySnapshot SnapshotRegistry();
// "+ key values" for a key that came, "- key values" for one that went,
// "~ key before -> after" for changed values; keys under an ignored prefix
// are left out.
std::vector<std::string> Differences(const RegistrySnapshot& before, const RegistrySnapshot& after,
                                     const std::vector<std::string>& ignoredPrefixes = {});

// The values of a key as the snapshot writes them ("" when missing), one
// string value ("(none)" when missing), one DWORD (-1 when missing).
std::string KeyValues(HKEY hRoot, const std::wstring& subKey);
std::string ReadString(HKEY hRoot, const std::wstring& subKey, const wchar_t* pszName);
long long ReadDword(HKEY hRoot, const std::wstring& subKey, const wchar_t* pszName);
void CreateKey(HKEY hRoot, const std::wstring& subKey);
void WriteString(HKEY hRoot, const std::wstring& subKey, const wchar_t* pszName, const std::wstring& value);
void DeleteTree(HKEY hRoot, const std::wstring& subKey);

// Files and folders under root, relative and sorted ("Sample\",
// "Sample\a.jpg 123" with the size); empty when root does not exist.
std::vector<std::string> ListFiles(const std::wstring& root);
// The same without the sizes.
std::vector<std::string> ListNames(const std::wstring& root);
// Adds the user guide's files ("guide\", "guide\index.html", ...), as the
// source tree that QUARVEX_GUIDE_DIR names holds them, to a sorted listing.
void AddGuideFiles(std::vector<std::string>& names);
bool FileExists(const std::wstring& path);
std::string ReadFile(const std::wstring& path);
void WriteFile(const std::wstring& path, const std::string& bytes);
void MakeFolders(const std::wstring& path);
void RemoveTree(const std::wstring& path);

// Runs a command line to its end, and the processes it started too (an
// uninstaller hands its work to a copy of itself): the exit code, or -1
// when it could not start or did not end within a minute.
int RunCommand(const std::wstring& commandLine);

// Starts a program on an image as the shell does (from another folder),
// answers the Open dialog it shows at start-up with Cancel and closes it.
// The title of its main window, and what went wrong ("" when nothing did).
struct ProgramRun
{
    std::string title;
    std::string failure;
};
ProgramRun RunProgramOnImage(const std::wstring& exe, const std::wstring& image);

// The four numbers of a file's version resource, "1.0.0.1".
std::string FileVersion(const std::wstring& path);
}
