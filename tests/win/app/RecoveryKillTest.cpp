// Work is never lost: a second quarvex.exe, started by the test with the
// image on its command line and driven by messages to its windows, finishes
// three named polygons, moves a vertex of the first and inserts one (Edit
// Vertices), and is then killed without warning (TerminateProcess,
// no question, no save). The program started again on the image offers them
// back; Yes and Save As write them, and tests/win/app/check_recovered_shapefile.py
// reads the files with GDAL: every feature with its name, type and vertices.
// The shapefile and the expected features (recovered.expected, map
// coordinates) are left in the folder QUARVEX_SESSION_OUT names.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "app/RecoveryStore.h"
#include "app/res/resource.h"
#include "core/journal/RecoveryJournal.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"
#include "winbase/Handles.h"
#include "winbase/Wide.h"
#include "winfw/FwIds.h"

using gui::ModalScript;

namespace
{
struct Feature
{
    const char* name;
    std::vector<POINT> clicks;   // the last one is double-clicked
};
// Client points of the view at zoom 1, unscrolled: the image's pixels.
const Feature kFeatures[] = {
    {"lake", {{10, 10}, {40, 10}, {40, 30}}},
    {"wood", {{5, 40}, {20, 40}, {12, 20}}},
    {"Br\xC3\xBC"
     "cke 7",
     {{50, 5}, {60, 5}, {60, 15}, {52, 20}}},
};

// Waits, up to ten seconds, until the condition holds.
bool WaitFor(const std::function<bool()>& condition)
{
    for (int i = 0; i < 1000; ++i)
    {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// A visible top-level window of the process with this title.
struct WindowSearch
{
    DWORD pid;
    const std::string* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hWnd, LPARAM lParam)
{
    WindowSearch* pSearch = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid != pSearch->pid || !IsWindowVisible(hWnd) || gui::Text(hWnd) != *pSearch->title)
        return TRUE;
    pSearch->found = hWnd;
    return FALSE;
}

HWND FindWindowOf(DWORD pid, const std::string& title)
{
    WindowSearch search = {pid, &title, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindowOf(DWORD pid, const std::string& title)
{
    HWND hWnd = nullptr;
    WaitFor([&] { return (hWnd = FindWindowOf(pid, title)) != nullptr; });
    return hWnd;
}

void PostMouse(HWND hView, UINT message, WPARAM flags, POINT at)
{
    PostMessageA(hView, message, flags, MAKELPARAM(at.x, at.y));
}

// What the journal holds now, as the writing program left it.
CRecoveredWork JournaledWork(const std::string& journalPath)
{
    CRecoveredWork work;
    UniqueFileHandle file(CreateFileA(journalPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return work;
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    ReadJournal(bytes.data(), bytes.size(), &work);
    return work;
}

int JournaledFeatures(const std::string& journalPath) { return JournaledWork(journalPath).shapes.GetSize(); }
}   // namespace

TEST(Recovery, FeaturesOfAKilledProgramComeBackWithTheirNamesTypeAndVertices)
{
    const std::string image = CopyFixture("map.jpg", gui::TempFolder("recovery-kill"), "map.jpg");
    const std::string journal = CRecoveryStore::PathOf(JournalFileName(image));
    DeleteFileA(journal.c_str());

    // The second program, on the image.
    std::string commandLine = "\"" + gui::WindowsPath(QUARVEX_EXE) + "\" \"" + image + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(
        CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        << commandLine;
    UniqueKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    const DWORD pid = process.dwProcessId;
    struct Killer
    {
        HANDLE h;
        ~Killer() { TerminateProcess(h, 1); }   // whatever happens to the test
    } killer{process.hProcess};

    // It asks for an image at once: cancelled, the one of the command line stays.
    HWND hOpen = WaitForWindowOf(pid, "Open");
    ASSERT_TRUE(hOpen);
    PostMessageA(hOpen, WM_COMMAND, IDCANCEL, 0);
    HWND hFrame = WaitForWindowOf(pid, "map.jpg - Quarvex");
    ASSERT_TRUE(hFrame);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(hOpen); }));
    HWND hView = GetDlgItem(hFrame, AFX_IDW_PANE_FIRST);
    ASSERT_TRUE(hView);

    // Digitising polygons: the right click fits the point file's points.
    PostMouse(hView, WM_RBUTTONDOWN, MK_RBUTTON, POINT{5, 5});
    PostMouse(hView, WM_RBUTTONUP, 0, POINT{5, 5});
    HWND hDigitise = WaitForWindowOf(pid, "Digitise");
    ASSERT_TRUE(hDigitise);
    CheckRadioButton(hDigitise, IDC_POLYLINES, IDC_POINTS, IDC_POLYGONS);
    PostMessageA(hDigitise, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(hDigitise); }));

    int finished = 0;
    for (const Feature& feature : kFeatures)
    {
        for (size_t i = 0; i < feature.clicks.size(); ++i)
        {
            PostMouse(hView, WM_LBUTTONDOWN, MK_LBUTTON, feature.clicks[i]);
            PostMouse(hView, WM_LBUTTONUP, 0, feature.clicks[i]);
        }
        PostMouse(hView, WM_LBUTTONDBLCLK, MK_LBUTTON, feature.clicks.back());
        PostMouse(hView, WM_LBUTTONUP, 0, feature.clicks.back());
        HWND hName = WaitForWindowOf(pid, "Add");
        ASSERT_TRUE(hName) << feature.name;
        SetDlgItemTextW(hName, IDC_FEATURE_NAME, Widen(feature.name).c_str());
        PostMessageA(hName, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(hName); }));
        ++finished;
        // On the disk once the program shows it done.
        ASSERT_TRUE(WaitFor([&] { return JournaledFeatures(journal) == finished; })) << feature.name;
    }

    // Edit Vertices: the first polygon chosen by a click on its first side,
    // its third corner dragged away, a corner inserted on its first side.
    PostMessageA(hView, WM_KEYDOWN, 'V', 1);
    PostMessageA(hView, WM_KEYUP, 'V', 0xC0000001);
    PostMouse(hView, WM_LBUTTONDOWN, MK_LBUTTON, POINT{25, 11});
    PostMouse(hView, WM_LBUTTONUP, 0, POINT{25, 11});
    PostMouse(hView, WM_LBUTTONDOWN, MK_LBUTTON, POINT{40, 30});
    PostMouse(hView, WM_MOUSEMOVE, MK_LBUTTON, POINT{46, 36});
    PostMouse(hView, WM_LBUTTONUP, 0, POINT{46, 36});
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        PostMouse(hView, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, POINT{25, 11});
    const std::vector<POINT> lakeEdited = {{10, 10}, {25, 10}, {40, 10}, {46, 36}};
    ASSERT_TRUE(WaitFor([&] {
        const CRecoveredWork work = JournaledWork(journal);
        return work.shapes.GetSize() == 3 && work.shapes.GetAt(0).GetSize() == 5 &&
               work.shapes.GetAt(0).GetAt(3) == CShapeVertex{46, 36};
    }));

    // Killed without warning: no question, no save, no clean-up.
    ASSERT_TRUE(TerminateProcess(process.hProcess, 1));
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);

    // Started again on the same image: the features are offered back.
    std::string question;
    AppSession session({image}, {[&](HWND hBox) {
                                     question = gui::MessageText(hBox);
                                     gui::Click(hBox, IDYES);
                                 },
                                 ModalScript::Cancel()});
    ASSERT_TRUE(session.started);
    EXPECT_EQ(question.rfind("Restore 3 unsaved features from ", 0), 0u) << question;
    EXPECT_NE(question.find("?\n\nThey were digitised on this image"), std::string::npos) << question;
    CImageDoc* pDoc = session.Doc();
    const CShapeArray& shapes = pDoc->Session().Features();
    ASSERT_EQ(shapes.GetSize(), 3);
    EXPECT_EQ(pDoc->Session().ShapeType(), SHAPE_POLYGON);
    EXPECT_EQ(pDoc->Session().Mode(), MODE_DIGITISE) << "digitising goes on with the point file's fit";
    EXPECT_EQ(pDoc->Session().Unsaved(), true);

    // Saved: the files for GDAL, the journal gone.
    const std::string out = gui::OutputFolder("QUARVEX_SESSION_OUT", "recovery-out");
    const std::string shp = out + "\\recovered.shp";
    const std::vector<gui::SeenWindow> seen = session.SaveThroughDialog(shp);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].message, "File saved as " + shp);
    EXPECT_EQ(GetFileAttributesA(journal.c_str()), INVALID_FILE_ATTRIBUTES) << "removed by the save";

    // What GDAL must find: each clicked ring closed, in map coordinates.
    std::string expected;
    for (const Feature& feature : kFeatures)
    {
        expected += feature.name;
        std::vector<POINT> ring = &feature == &kFeatures[0] ? lakeEdited : feature.clicks;
        ring.push_back(ring.front());
        for (const POINT& p : ring)
        {
            double x = 0, y = 0;
            ASSERT_TRUE(pDoc->Session().GeoRef().PixelToMap(p.x, p.y, &x, &y));
            char text[96];
            std::snprintf(text, sizeof text, "|%.9f %.9f", x, y);
            expected += text;
        }
        expected += "\n";
    }
    WriteWholeFile(out + "\\recovered.expected", expected);
}
