// Start-up of the program, its frame, menus, accelerators, About box,
// shell registration and profile.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "winbase/Registry.h"
#include "winfw/Registry.h"

using gui::ModalScript;

namespace
{
const int kFileTypeCombo = 0x470;
}

TEST(AppStartup, ShowsTitledFrameWithFourStatusPanesThenTheOpenDialog)
{
    std::vector<std::string> filters;
    AppSession session({}, {[&filters](HWND hDialog) {
                           filters = gui::ComboItems(hDialog, kFileTypeCombo);
                           gui::Click(hDialog, IDCANCEL);
                       }});
    ASSERT_TRUE(session.started);
    ASSERT_EQ(session.startWindows.size(), 1u);
    EXPECT_EQ(session.startWindows[0].title, "Open");
    ASSERT_FALSE(filters.empty());
    EXPECT_EQ(filters, (std::vector<std::string>{"All map images (*.jpg;*.jpeg;*.tif;*.tiff;*.jp2;*.j2k;*.png)",
                                                 "JPEG (*.jpg;*.jpeg)", "TIFF (*.tif;*.tiff)",
                                                 "JPEG 2000 (*.jp2;*.j2k)", "PNG (*.png)", "All Files (*.*)"}));
    EXPECT_TRUE(session.startUnexpected.empty());

    EXPECT_TRUE(IsWindowVisible(session.FrameWnd()));
    EXPECT_EQ(gui::Text(session.FrameWnd()), "Untitled - Quarvex");
    EXPECT_EQ(SendMessageA(session.StatusBarWnd(), SB_GETPARTS, 0, 0), 4);
    EXPECT_EQ(gui::Text(session.StatusBarWnd()), "");
    // Cancelling leaves the program running with no image.
    EXPECT_EQ(session.Doc()->Session().Mode(), MODE_NONE);
    EXPECT_TRUE(session.Doc()->Image().IsEmpty());
}

TEST(AppStartup, ImageOnCommandLineOpensAndTheOpenDialogStillComes)
{
    std::string path = CopyFixture("map.jpg", gui::TempFolder("startup-arg"), "map.jpg");
    AppSession session({path});
    ASSERT_TRUE(session.started);
    ASSERT_EQ(session.startWindows.size(), 1u);
    EXPECT_EQ(session.startWindows[0].title, "Open");
    EXPECT_EQ(session.Doc()->Image().Width(), 64);
    EXPECT_EQ(session.Doc()->Image().Height(), 48);
    EXPECT_EQ(session.Doc()->Session().GeoRef().m_points.size(), 2u);
    EXPECT_EQ(session.Doc()->Session().Mode(), MODE_GEOREFERENCE);
    EXPECT_EQ(gui::Text(session.FrameWnd()), "map.jpg - Quarvex");
}

// Its question (here: use the world file beside it?) comes over the
// program's window, not over an empty screen.
TEST(AppStartup, ImageOnCommandLineIsOnShowBeforeItsQuestions)
{
    const std::string folder = gui::TempFolder("startup-asks");
    const std::string path = CopyFixture("map.jpg", folder, "map.jpg");
    WriteWholeFile(folder + "\\map.jgw", "2\r\n0\r\n0\r\n-2\r\n500001\r\n4999999\r\n");
    HWND hOwner = nullptr;
    AppSession session({path}, {[&hOwner](HWND hBox) {
                                    hOwner = GetWindow(hBox, GW_OWNER);
                                    gui::Click(hBox, IDNO);
                                },
                                ModalScript::Press(IDCANCEL)});
    ASSERT_TRUE(session.started);
    ASSERT_EQ(session.startWindows.size(), 2u);
    EXPECT_NE(session.startWindows[0].message.find("carries a georeference"), std::string::npos);
    EXPECT_EQ(hOwner, session.FrameWnd());
}

TEST(AppStartup, CommandLineFileThatCannotBeOpenedEndsStartUpWithAMessage)
{
    std::string folder = gui::TempFolder("startup-bad");
    std::string notJpg = CopyFixture("map.jpg", folder, "map.gif", false);
    std::string corrupt = folder + "\\corrupt.jpg";
    WriteWholeFile(corrupt, "not a picture at all");
    struct Case
    {
        std::string path;
        std::string message;
    } cases[] = {
        {notJpg, "Unable to open the file " + notJpg},
        {folder + "\\missing.jpg", "Unable to open the file " + folder + "\\missing.jpg"},
        {corrupt, "An error occurred whilst reading the JPG file " + corrupt},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path);
        AppSession session({c.path}, {ModalScript::Press(IDOK)});
        EXPECT_FALSE(session.started);
        ASSERT_EQ(session.startWindows.size(), 1u);
        EXPECT_EQ(session.startWindows[0].message, c.message);
        EXPECT_TRUE(session.startUnexpected.empty()) << "no Open dialog after a failed start";
        EXPECT_EQ(session.FrameWnd(), nullptr);
    }
}

TEST(AppStartup, AboutBoxShowsBuildDateOnWhite)
{
    AppSession session;
    std::string buildDate, group;
    uint32_t corner = 0;
    ModalScript script;
    script.Then([&](HWND hDialog) {
        buildDate = gui::ItemText(hDialog, IDC_BUILD_DATE);
        group = gui::ItemText(hDialog, IDC_ABOUT_GROUP);
        gui::Capture capture = gui::CaptureClient(hDialog);
        corner = capture.At(capture.width - 3, capture.height - 3);
        gui::Click(hDialog, IDOK);
    });
    session.Command(ID_APP_ABOUT);
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(buildDate, "Build date: Apr 11 2002");
    EXPECT_EQ(group, "Quarvex");
    EXPECT_EQ(corner, 0xFFFFFFu);
}

TEST(AppStartup, MenuHasTheCommandsInOrder)
{
    AppSession session;
    HMENU hBar = GetMenu(session.FrameWnd());
    auto label = [](HMENU hMenu, int i) {
        char text[128] = {};
        GetMenuStringA(hMenu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
        return std::string(text);
    };
    const std::vector<std::string> menus = {"&File", "Edit", "View", "&Help"};
    const std::vector<std::vector<std::pair<std::string, UINT>>> items = {
        {{"Open...", ID_FILE_OPEN},
         {"Open &Features...\tCtrl+Shift+O", ID_FILE_OPEN_FEATURES},
         {"&Save\tCtrl+S", ID_FILE_SAVE},
         {"Save &As...", ID_FILE_SAVE_AS},
         {"&Export GeoTIFF...", 32830},
         {"Import/Export Control &Points", static_cast<UINT>(-1)},   // a submenu
         {"Save Scan &World File", ID_FILE_SAVE_WORLD_FILE},
         {"Export Fit &Report...", ID_FILE_EXPORT_FIT_REPORT},
         {"", 0},
         {"E&xit", ID_APP_EXIT}},
        {{"&Undo\tCtrl+Z", ID_EDIT_UNDO},
         {"&Redo\tCtrl+Y", ID_EDIT_REDO},
         {"", 0},
         {"Copy", ID_EDIT_COPY},
         {"", 0},
         {"Digitise Colour...", 32778},
         {"Previous Colour...", 32779}},
        {{"Zoom 100%", 32771},
         {"Zoom 200%", 32772},
         {"Zoom 400%", 32773},
         {"", 0},
         {"Georeference", 32774},
         {"Digitise", 32775},
         {"Transpose", 32776},
         {"&Edit Vertices\tV", ID_VIEW_EDIT_VERTICES},
         {"S&nap\tS", ID_VIEW_SNAP},
         {"Snap &Tolerance...", ID_VIEW_SNAP_TOLERANCE},
         {"Trace Nei&ghbour\tN", ID_VIEW_TRACE_NEIGHBOUR},
         {"Trace &Lines\tT", ID_VIEW_TRACE_LINES},
         {"Add &Hole\tH", ID_VIEW_ADD_HOLE},
         {"", 0},
         {"&Control Points\tF8", ID_VIEW_CONTROL_POINTS},
         {"&Features\tF9", ID_VIEW_FEATURES},
         {"Coordinate &System...", ID_VIEW_COORDINATE_SYSTEM}},
        {{"&User Guide\tF1", ID_HELP_USER_GUIDE},
         {"&Getting Started", ID_HELP_GETTING_STARTED},
         {"", 0},
         {"&About...", ID_APP_ABOUT}},
    };
    ASSERT_EQ(GetMenuItemCount(hBar), 4);
    for (int m = 0; m < 4; ++m)
    {
        EXPECT_EQ(label(hBar, m), menus[m]);
        HMENU hPopup = GetSubMenu(hBar, m);
        ASSERT_EQ(GetMenuItemCount(hPopup), static_cast<int>(items[m].size()));
        for (size_t i = 0; i < items[m].size(); ++i)
        {
            EXPECT_EQ(label(hPopup, static_cast<int>(i)), items[m][i].first);
            EXPECT_EQ(GetMenuItemID(hPopup, static_cast<int>(i)), items[m][i].second);
        }
    }
}

TEST(AppStartup, AcceleratorTableBindsTheKeys)
{
    HACCEL hAccel = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(hAccel, nullptr);
    ACCEL table[32];
    int count = CopyAcceleratorTableA(hAccel, table, 32);
    struct Key
    {
        BYTE flags;
        WORD key;
        WORD cmd;
    };
    const Key expected[] = {
        {FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW},
        {FVIRTKEY | FCONTROL, 'O', ID_FILE_OPEN},
        {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE},
        {FVIRTKEY | FCONTROL, 'Z', ID_EDIT_UNDO},
        {FVIRTKEY | FCONTROL, 'X', ID_EDIT_CUT},
        {FVIRTKEY | FCONTROL, 'C', ID_EDIT_COPY},
        {FVIRTKEY | FCONTROL, 'V', ID_EDIT_PASTE},
        {FVIRTKEY | FALT, VK_BACK, ID_EDIT_UNDO},
        {FVIRTKEY | FSHIFT, VK_DELETE, ID_EDIT_CUT},
        {FVIRTKEY | FCONTROL, VK_INSERT, ID_EDIT_COPY},
        {FVIRTKEY | FSHIFT, VK_INSERT, ID_EDIT_PASTE},
        {FVIRTKEY, VK_F6, ID_NEXT_PANE},
        {FVIRTKEY | FSHIFT, VK_F6, ID_PREV_PANE},
        {FVIRTKEY | FCONTROL, 'Y', ID_EDIT_REDO},
        {FVIRTKEY, VK_F8, ID_VIEW_CONTROL_POINTS},
        {FVIRTKEY, VK_F9, ID_VIEW_FEATURES},
        {FVIRTKEY | FCONTROL | FSHIFT, 'O', ID_FILE_OPEN_FEATURES},
        {FVIRTKEY, VK_F1, ID_HELP_USER_GUIDE},
    };
    ASSERT_EQ(count, 18);
    for (int i = 0; i < count; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(table[i].fVirt & ~0x80, expected[i].flags);
        EXPECT_EQ(table[i].key, expected[i].key);
        EXPECT_EQ(table[i].cmd, expected[i].cmd);
    }
    DestroyAcceleratorTable(hAccel);
}

TEST(AppStartup, ShellRegistrationTakesJpgOnlyWhenNobodyOwnsIt)
{
    struct Case
    {
        const char* existingOwner;   // null: no .jpg key
        const char* expectedOwner;
    } cases[] = {
        {nullptr, "Image.Document"},
        {"", "Image.Document"},
        {"Image.Document", "Image.Document"},
        {"jpegfile", "jpegfile"},
    };
    const char kTestRoot[] = "Software\\QuarvexAppTests\\Classes";
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.existingOwner ? c.existingOwner : "(none)");
        SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuarvexAppTests");
        UniqueRegKey root = CreateRegKey(HKEY_CURRENT_USER, kTestRoot);
        ASSERT_TRUE(root);
        if (c.existingOwner)
        {
            UniqueRegKey ext = CreateRegKey(root.Get(), ".jpg");
            ASSERT_TRUE(ext);
            ASSERT_EQ(SetRegString(ext.Get(), nullptr, c.existingOwner), ERROR_SUCCESS);
        }
        EXPECT_TRUE(RegisterShellFileType(root.Get(), root.Get(), "Image.Document", "JPG Document", ".jpg",
                                          "C:\\Program Files\\Quarvex\\quarvex.exe"));
        std::string owner, typeName, command;
        UniqueRegKey ext = OpenRegKey(root.Get(), ".jpg");
        ASSERT_TRUE(ext);
        EXPECT_TRUE(QueryRegString(ext.Get(), nullptr, owner));
        EXPECT_EQ(owner, c.expectedOwner);
        UniqueRegKey type = OpenRegKey(root.Get(), "Image.Document");
        ASSERT_TRUE(type);
        EXPECT_TRUE(QueryRegString(type.Get(), nullptr, typeName));
        EXPECT_EQ(typeName, "JPG Document");
        UniqueRegKey open = OpenRegKey(root.Get(), "Image.Document\\shell\\open\\command");
        ASSERT_TRUE(open);
        EXPECT_TRUE(QueryRegString(open.Get(), nullptr, command));
        EXPECT_EQ(command, "\"C:\\Program Files\\Quarvex\\quarvex.exe\" \"%1\"");
    }
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuarvexAppTests");
}

TEST(AppStartup, OpenedFilesGoToTheRecentFileListOfFour)
{
    std::string folder = gui::TempFolder("recent");
    AppSession session;
    std::vector<std::string> paths;
    for (int i = 0; i < 5; ++i)
    {
        paths.push_back(CopyFixture("other.jpg", folder, "recent" + std::to_string(i) + ".jpg"));
        session.OpenThroughDialog(paths.back());
    }
    UniqueRegKey key = OpenRegKey(HKEY_CURRENT_USER, (session.app.GetProfileKeyPath() + "\\Recent File List").c_str());
    ASSERT_TRUE(key);
    EXPECT_NE(session.app.GetProfileKeyPath().find("Software\\Local AppWizard-Generated Applications\\"),
              std::string::npos);
    for (int i = 1; i <= 4; ++i)
    {
        std::string value;
        EXPECT_TRUE(QueryRegString(key.Get(), ("File" + std::to_string(i)).c_str(), value));
        EXPECT_EQ(value, paths[static_cast<size_t>(5 - i)]);
    }
    std::string fifth;
    EXPECT_FALSE(QueryRegString(key.Get(), "File5", fifth));
}

TEST(AppStartup, ResourcesCarryTheVersionIconAndDigitiseCursor)
{
    // The test runner links the program's resource script as it is.
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD handle = 0;
    DWORD cb = GetFileVersionInfoSizeA(path, &handle);
    ASSERT_GT(cb, 0u);
    std::vector<char> info(cb);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, cb, info.data()));
    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT cbFixed = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&pFixed), &cbFixed));
    EXPECT_EQ(pFixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(pFixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(pFixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(pFixed->dwProductVersionLS, 0x00000001u);
    const std::pair<const char*, const char*> strings[] = {
        {"FileDescription", "Quarvex"},      {"InternalName", "Quarvex"},   {"ProductName", "Quarvex"},
        {"OriginalFilename", "quarvex.exe"}, {"FileVersion", "1, 0, 0, 1"},
    };
    for (const auto& entry : strings)
    {
        char* pValue = nullptr;
        UINT cch = 0;
        std::string key = std::string("\\StringFileInfo\\040904B0\\") + entry.first;
        ASSERT_TRUE(VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&pValue), &cch)) << entry.first;
        EXPECT_STREQ(pValue, entry.second);
    }

    HCURSOR hCursor = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_DIGITISE_CURSOR));
    ASSERT_NE(hCursor, nullptr);
    ICONINFO cursor = {};
    ASSERT_TRUE(GetIconInfo(hCursor, &cursor));
    EXPECT_EQ(cursor.xHotspot, 17u);
    EXPECT_EQ(cursor.yHotspot, 16u);
    EXPECT_EQ(cursor.hbmColor, nullptr) << "monochrome";
    DeleteObject(cursor.hbmMask);
    EXPECT_NE(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME)), nullptr);
}

TEST(AppStartup, IndicatorPanesShowTheLockKeys)
{
    AppSession session;
    HWND hBar = session.StatusBarWnd();
    auto paneText = [hBar](int pane) {
        char text[64] = {};
        SendMessageA(hBar, SB_GETTEXTA, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(text));
        return std::string(text);
    };
    BYTE saved[256], state[256];
    GetKeyboardState(saved);
    for (bool on : {true, false})
    {
        std::copy(saved, saved + 256, state);
        for (int key : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL})
            state[key] = on ? 1 : 0;
        SetKeyboardState(state);
        session.app.PumpWaitingMessages();
        EXPECT_EQ(paneText(1), on ? "CAP" : "");
        EXPECT_EQ(paneText(2), on ? "NUM" : "");
        EXPECT_EQ(paneText(3), on ? "SCRL" : "");
    }
    SetKeyboardState(saved);
}
