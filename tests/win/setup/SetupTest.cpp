// The setup program as users and administrators run it: silent installs for
// the current user and for the machine, the installed program opened on the
// sample map, the Uninstall entry, and silent uninstalls that leave every
// key and file as they found them - the user's work and .jpg choice too.
// Each test prints what it listed before and after.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <iostream>

#include "tests/win/setup/SetupTestSupport.h"

using namespace setup;

namespace
{
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quarvex";
const wchar_t kProfileParent[] = L"Software\\Local AppWizard-Generated Applications";
const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kUserChoice = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.jpg";
// The file dialog's memory of folders is Windows's, not ours.
const std::vector<std::string> kShellMemory = {
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32"};

std::wstring SetupProgram()
{
    return FromUnixPath(Env("QUARVEX_SETUP_DIR")) + L"\\quarvex-" + Widen(Env("QUARVEX_VERSION")) + L"-setup-" +
           Widen(Env("QUARVEX_SETUP_ARCH")) + L".exe";
}

// A temporary folder whose path has spaces, as user folders often do.
std::wstring TestFolder(const std::wstring& name)
{
    std::wstring folder = TempFolder() + L"\\quarvex setup tests\\" + name;
    RemoveTree(folder);
    MakeFolders(folder);
    return folder;
}

void Print(const std::string& title, const std::vector<std::string>& lines)
{
    std::cout << title << (lines.empty() ? ": (nothing)" : ":") << "\n";
    for (const std::string& line : lines)
        std::cout << "    " << line << "\n";
}

std::string Command(const std::wstring& folder) { return "\"" + Narrow(folder) + "\\quarvex.exe\" \"%1\""; }

// A profile as Windows has it before Quarvex comes: the containers Windows
// keeps (so that the comparison sees only what we add), nothing of the
// program's, and .jpg owned by nobody or by a viewer of the machine, chosen
// by the user in Explorer. (Wine's HKEY_CLASSES_ROOT shows the machine's
// classes only: the owner the program looks for at start-up goes there.)
void PrepareUser(const wchar_t* pszJpgOwner)
{
    CreateKey(HKEY_CURRENT_USER, kClasses + L"Applications");
    CreateKey(HKEY_LOCAL_MACHINE, kClasses + L"Applications");
    CreateKey(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
    DeleteTree(HKEY_CURRENT_USER, kProfileParent);
    DeleteTree(HKEY_CURRENT_USER, kUserChoice);
    for (HKEY hRoot : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    {
        for (const wchar_t* pszKey : {L"Image.Document", L".jpg", L"Viewer.Jpg"})
            DeleteTree(hRoot, kClasses + pszKey);
    }
    if (!pszJpgOwner)
        return;
    WriteString(HKEY_LOCAL_MACHINE, kClasses + L".jpg", nullptr, pszJpgOwner);
    WriteString(HKEY_LOCAL_MACHINE, kClasses + L".jpg\\OpenWithProgids", pszJpgOwner, L"");
    WriteString(HKEY_LOCAL_MACHINE, kClasses + pszJpgOwner + L"\\shell\\open\\command", nullptr,
                L"\"C:\\Viewer\\viewer.exe\" \"%1\"");
    WriteString(HKEY_CURRENT_USER, kUserChoice + L"\\UserChoice", L"ProgId", pszJpgOwner);
}

// Which program opens a .jpg for this user.
std::vector<std::string> JpgAssociation()
{
    return {"HKCR .jpg @=" + ReadString(HKEY_CLASSES_ROOT, L".jpg", nullptr),
            "HKCU .jpg @=" + ReadString(HKEY_CURRENT_USER, kClasses + L".jpg", nullptr),
            "UserChoice=" + ReadString(HKEY_CURRENT_USER, kUserChoice + L"\\UserChoice", L"ProgId")};
}

// The files, shortcut, "Open with" entry and Uninstall entry of an installation.
void ExpectInstalled(const std::wstring& folder, HKEY hRoot, int startMenu, const std::string& mode)
{
    std::vector<std::string> files = {
        "LICENSE.txt", "README.txt",  "Sample\\",     "Sample\\sample_map.jpg", "Sample\\sample_map.tvg",
        "proj.db",     "quarvex.exe", "uninstall.exe"};
    AddGuideFiles(files);
    EXPECT_EQ(ListNames(folder), files);
    EXPECT_EQ(ReadFile(folder + L"\\quarvex.exe"), ReadFile(FromUnixPath(Env("QUARVEX_PROGRAM")))) << "this build's";
    EXPECT_TRUE(FileExists(ShellFolder(startMenu) + L"\\Quarvex.lnk"));
    EXPECT_EQ(KeyValues(hRoot, kClasses + L".jpg\\OpenWithProgids"), "Quarvex.Image.1=\"\"");
    EXPECT_EQ(ReadString(hRoot, kClasses + L"Quarvex.Image.1\\shell\\open\\command", nullptr), Command(folder));
    EXPECT_EQ(ReadString(hRoot, kClasses + L"Applications\\quarvex.exe\\shell\\open\\command", nullptr),
              Command(folder));
    EXPECT_EQ(KeyValues(hRoot, kClasses + L"Applications\\quarvex.exe\\SupportedTypes"), ".jpg=\"\"");

    // One version: the program's resource, the setup program's, the Uninstall entry.
    const std::string version = Env("QUARVEX_VERSION");
    EXPECT_EQ(FileVersion(folder + L"\\quarvex.exe"), version);
    EXPECT_EQ(FileVersion(SetupProgram()), version);
    const std::string dir = Narrow(folder), uninstaller = "\"" + dir + "\\uninstall.exe\"";
    const std::pair<const wchar_t*, std::string> values[] = {
        {L"DisplayName", "Quarvex"},
        {L"DisplayVersion", version},
        {L"Publisher", "The Quarvex developers"},
        {L"DisplayIcon", dir + "\\quarvex.exe,0"},
        {L"InstallLocation", dir},
        {L"UninstallString", uninstaller + " " + mode},
        {L"QuietUninstallString", uninstaller + " /S " + mode},
    };
    for (const auto& [pszName, expected] : values)
        EXPECT_EQ(ReadString(hRoot, kUninstallKey, pszName), expected) << Narrow(pszName);
    long long cbFiles = 0;
    for (const std::string& entry : ListFiles(folder))
        cbFiles += entry.back() == '\\' ? 0 : std::stoll(entry.substr(entry.rfind(' ') + 1));
    EXPECT_NEAR(static_cast<double>(ReadDword(hRoot, kUninstallKey, L"EstimatedSize")), cbFiles / 1024.0, 8.0);
    EXPECT_EQ(ReadDword(hRoot, kUninstallKey, L"NoModify"), 1);
    EXPECT_EQ(ReadDword(hRoot, kUninstallKey, L"NoRepair"), 1);
}

void ExpectSampleMapOpens(const std::wstring& folder)
{
    ProgramRun run = RunProgramOnImage(folder + L"\\quarvex.exe", folder + L"\\Sample\\sample_map.jpg");
    EXPECT_EQ(run.failure, "");
    EXPECT_EQ(run.title, "sample_map.jpg - Quarvex");
}

// The installed program carries control points typed in WGS 84 degrees
// into UTM 32N with the proj.db installed beside it, in a prefix that has
// no PROJ anywhere else: without the database it would stop at start-up
// with a message that no way exists, and the Open dialog would not come.
void ExpectPointsCarried(const std::wstring& folder)
{
    const std::wstring images = TestFolder(L"carried");
    WriteFile(images + L"\\sheet.jpg", ReadFile(folder + L"\\Sample\\sample_map.jpg"));
    WriteFile(images + L"\\sheet.tvg", ReadFile(folder + L"\\Sample\\sample_map.tvg"));
    WriteFile(images + L"\\sheet.quarvex", "crs=EPSG:32632\r\npoints_crs=EPSG:4326\r\n");
    ProgramRun run = RunProgramOnImage(folder + L"\\quarvex.exe", images + L"\\sheet.jpg");
    EXPECT_EQ(run.failure, "");
    EXPECT_EQ(run.title, "sheet.jpg - Quarvex");
    RemoveTree(images);
}

struct Mode
{
    const char* pszSwitch;
    HKEY hRoot;
    int startMenu;
    const char* pszRootName;
};
}

TEST(Setup, SilentInstallOpensTheSampleMapAndSilentUninstallLeavesOnlyTheSettings)
{
    const Mode modes[] = {{"/CurrentUser", HKEY_CURRENT_USER, CSIDL_PROGRAMS, "HKCU\\"},
                          {"/AllUsers", HKEY_LOCAL_MACHINE, CSIDL_COMMON_PROGRAMS, "HKLM\\Software\\"}};
    for (const Mode& mode : modes)
    {
        SCOPED_TRACE(mode.pszSwitch);
        std::cout << "=== " << mode.pszSwitch << "\n";
        PrepareUser(nullptr);   // nobody owns .jpg: the program takes it when it starts
        const std::wstring parent = TestFolder(Widen(mode.pszSwitch + 1));
        const std::wstring folder = parent + L"\\Quarvex";
        const RegistrySnapshot registryBefore = SnapshotRegistry();
        const std::vector<std::string> jpgBefore = JpgAssociation();
        const std::vector<std::string> startMenuBefore = ListFiles(ShellFolder(mode.startMenu));
        const std::vector<std::string> tempBefore = ListFiles(TempFolder());

        ASSERT_EQ(RunCommand(L"\"" + SetupProgram() + L"\" /S " + Widen(mode.pszSwitch) + L" /D=" + folder), 0);
        ExpectInstalled(folder, mode.hRoot, mode.startMenu, mode.pszSwitch);
        const std::vector<std::string> added = Differences(registryBefore, SnapshotRegistry());
        Print("registry keys the setup program added", added);
        for (const std::string& line : added)
            EXPECT_EQ(line.find(std::string("+ ") + mode.pszRootName), 0u) << "keys of this mode's root only";
        EXPECT_EQ(JpgAssociation(), jpgBefore) << "Open with, never the default";
        Print("installation folder", ListFiles(parent));
        Print("Start menu", ListFiles(ShellFolder(mode.startMenu)));

        ExpectSampleMapOpens(folder);
        ExpectPointsCarried(folder);
        EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kClasses + L"Image.Document\\shell\\open\\command", nullptr),
                  Command(folder))
            << "the program registered itself";
        EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kClasses + L".jpg", nullptr), "Image.Document");

        ASSERT_EQ(RunCommand(Widen(ReadString(mode.hRoot, kUninstallKey, L"QuietUninstallString"))), 0);
        Print("installation folder after uninstall", ListFiles(parent));
        Print("Start menu after uninstall", ListFiles(ShellFolder(mode.startMenu)));
        EXPECT_EQ(ListFiles(parent), std::vector<std::string>());
        EXPECT_EQ(ListFiles(ShellFolder(mode.startMenu)), startMenuBefore);
        // The uninstaller runs from a copy of itself, so that it can remove
        // its own file; the copy stays in the temporary folder.
        for (const std::string& entry : ListFiles(TempFolder()))
        {
            bool isNew = std::find(tempBefore.begin(), tempBefore.end(), entry) == tempBefore.end();
            EXPECT_TRUE(!isNew || entry.compare(0, 4, "~nsu") == 0) << entry;
        }
        // Kept: the program's settings (its recent-file list, its windows'
        // places), unless asked.
        const std::vector<std::string> left = Differences(registryBefore, SnapshotRegistry(), kShellMemory);
        Print("registry after uninstall, compared with before", left);
        ASSERT_GE(left.size(), 3u);
        for (const std::string& line : left)
            EXPECT_EQ(line.find("+ HKCU\\Software\\Local AppWizard-Generated Applications"), 0u) << line;
        EXPECT_EQ(JpgAssociation(), jpgBefore);
    }
}

TEST(Setup, UninstallKeepsTheUsersWorkAndJpgChoiceAndRemovesSettingsWhenAsked)
{
    PrepareUser(L"Viewer.Jpg");
    const std::wstring firstFolder = ShellFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Quarvex";
    const std::wstring folder = TestFolder(L"moved") + L"\\Quarvex maps";
    const RegistrySnapshot registryBefore = SnapshotRegistry();
    const std::vector<std::string> jpgBefore = JpgAssociation();
    const std::vector<std::string> startMenuBefore = ListFiles(ShellFolder(CSIDL_PROGRAMS));

    // The default folder first, then elsewhere: the first copy must not stay
    // where no uninstaller knows it.
    ASSERT_EQ(RunCommand(L"\"" + SetupProgram() + L"\" /S /CurrentUser"), 0);
    EXPECT_TRUE(FileExists(firstFolder + L"\\quarvex.exe"));
    ASSERT_EQ(RunCommand(L"\"" + SetupProgram() + L"\" /S /CurrentUser /D=" + folder), 0);
    EXPECT_FALSE(FileExists(firstFolder));
    ExpectInstalled(folder, HKEY_CURRENT_USER, CSIDL_PROGRAMS, "/CurrentUser");
    ExpectSampleMapOpens(folder);
    EXPECT_EQ(JpgAssociation(), jpgBefore) << "the user's own program keeps .jpg";

    // The user's work: in the installation folder (the sample's control
    // points among it, now changed) and elsewhere.
    const std::wstring documents = ShellFolder(CSIDL_PERSONAL) + L"\\Maps";
    const std::wstring recovery = ShellFolder(CSIDL_LOCAL_APPDATA) + L"\\Quarvex\\recovery";
    MakeFolders(documents);
    MakeFolders(recovery);
    const std::vector<std::wstring> work = {
        L"\\Sample\\sample_map.tvg", L"\\Sample\\sample_map.quarvex", L"\\Sample\\sample_map.jgw",
        L"\\Sample\\roads.shp",      L"\\Sample\\roads.shx",          L"\\Sample\\roads.dbf",
        L"\\Sample\\roads.prj",      L"\\Sample\\roads.cpg",          L"\\rivers.shp"};
    std::vector<std::wstring> paths = {documents + L"\\valley.tvg", recovery + L"\\valley.jpg.journal"};
    for (const std::wstring& name : work)
        paths.push_back(folder + name);
    for (const std::wstring& path : paths)
        WriteFile(path, "the user's work in " + Narrow(path) + "\r\n");

    ASSERT_EQ(
        RunCommand(Widen(ReadString(HKEY_CURRENT_USER, kUninstallKey, L"QuietUninstallString")) + L" /RemoveSettings"),
        0);
    for (const std::wstring& path : paths)
        EXPECT_EQ(ReadFile(path), "the user's work in " + Narrow(path) + "\r\n");
    std::vector<std::string> kept = {"Sample\\"};
    for (const std::wstring& name : work)
        kept.push_back(Narrow(name.substr(1)));
    std::sort(kept.begin(), kept.end());
    Print("installation folder after uninstall", ListFiles(folder));
    EXPECT_EQ(ListNames(folder), kept);
    EXPECT_FALSE(FileExists(firstFolder));
    EXPECT_EQ(ListFiles(ShellFolder(CSIDL_PROGRAMS)), startMenuBefore);
    const std::vector<std::string> left = Differences(registryBefore, SnapshotRegistry(), kShellMemory);
    Print("registry after uninstall /RemoveSettings, compared with before", left);
    EXPECT_EQ(left, std::vector<std::string>());
    EXPECT_EQ(JpgAssociation(), jpgBefore);
    RemoveTree(documents);
    RemoveTree(ShellFolder(CSIDL_LOCAL_APPDATA) + L"\\Quarvex");
    PrepareUser(nullptr);
}
