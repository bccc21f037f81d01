// Long work off the UI thread: the window is painted meanwhile, the status
// bar shows the progress, the wait cursor stays, input given meanwhile is
// dropped, and a scan too large for the process is refused from its header.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdexcept>
#include <string>

#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"
#include "winfw/FwIds.h"
#include "winfw/LongWork.h"

using gui::ModalScript;

namespace
{
// What a timer saw while the work ran, on the UI thread.
struct DuringWork
{
    HWND hView = nullptr;
    HWND hBar = nullptr;
    bool barShown = false;
    int barPosition = -1;
    bool waitCursor = false;
    bool painted = false;
};
DuringWork g_during;

void CALLBACK LookDuringWork(HWND, UINT, UINT_PTR, DWORD)
{
    HWND hProgress = GetDlgItem(g_during.hBar, ID_STATUS_PROGRESS);
    if (hProgress && IsWindowVisible(hProgress))
    {
        g_during.barShown = true;
        g_during.barPosition = static_cast<int>(SendMessageA(hProgress, PBM_GETPOS, 0, 0));
    }
    // The system asks each window for its cursor as the mouse moves over it.
    SendMessageA(g_during.hView, WM_SETCURSOR, reinterpret_cast<WPARAM>(g_during.hView),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    g_during.waitCursor = GetCursor() == LoadCursor(nullptr, IDC_WAIT);
    // A part of the view laid bare is painted again at once.
    InvalidateRect(g_during.hView, nullptr, FALSE);
    g_during.painted = GetUpdateRect(g_during.hView, nullptr, FALSE) != FALSE;
}
}

TEST(LongWork, RunsOffTheUiThreadWithTheWindowPaintedAndItsProgressShown)
{
    AppSession session;
    ShowSyntheticImage(session, 300, 200, [](int c, int r) { return static_cast<uint32_t>(c * 256 + r); });
    g_during = DuringWork();
    g_during.hView = session.ViewWnd();
    g_during.hBar = session.StatusBarWnd();
    const DWORD uiThread = GetCurrentThreadId();
    DWORD workThread = uiThread;
    const UINT_PTR timer = SetTimer(nullptr, 0, 700, LookDuringWork);
    FwRunLongWork([&](CProgress& progress) {
        workThread = GetCurrentThreadId();
        for (int k = 0; k <= 20; ++k)
        {
            progress.Set(k / 20.0);
            Sleep(60);
        }
    });
    KillTimer(nullptr, timer);
    EXPECT_NE(workThread, uiThread);
    EXPECT_TRUE(g_during.barShown);
    EXPECT_GT(g_during.barPosition, 0);
    EXPECT_TRUE(g_during.waitCursor);
    // The update region left by the timer was painted by the waiting loop.
    EXPECT_FALSE(GetUpdateRect(session.ViewWnd(), nullptr, FALSE));
    HWND hProgress = GetDlgItem(session.StatusBarWnd(), ID_STATUS_PROGRESS);
    EXPECT_TRUE(!hProgress || !IsWindowVisible(hProgress)) << "the bar goes with the work";
}

TEST(LongWork, ClicksGivenMeanwhileAreDroppedAndFailuresReachTheCaller)
{
    AppSession session;
    ShowSyntheticImage(session, 300, 200, [](int, int) { return 0x00808080u; });
    ASSERT_EQ(session.Doc()->Session().Mode(), MODE_GEOREFERENCE);
    ModalScript script;   // a click in georeference mode would ask for coordinates
    FwRunLongWork([&](CProgress&) {
        PostMessageA(session.ViewWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
        PostMessageA(session.ViewWnd(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
        Sleep(200);
    });
    gui::Pump();
    EXPECT_TRUE(script.Seen().empty());
    EXPECT_TRUE(script.Unexpected().empty());
    EXPECT_TRUE(session.Doc()->Session().GeoRef().m_points.empty());

    EXPECT_THROW(FwRunLongWork([](CProgress&) { throw std::runtime_error("failed"); }), std::runtime_error);
}

TEST(LongWork, ScanTooLargeForTheProcessIsRefusedFromItsHeader)
{
    // The header of a 65500 x 65500 scan (12 GB as RGB) before a little
    // scan data: the x86 build cannot hold it; the x86-64 one can hold it
    // only with 26 GB to spare, else it fails decoding the rest. Either
    // way the reading message, and no image.
    std::string good = ReadWholeFile(gui::FixturePath("map.jpg"));
    const size_t sof = good.find(std::string("\xFF\xC0", 2));
    const size_t sos = good.find(std::string("\xFF\xDA", 2));
    ASSERT_NE(sof, std::string::npos);
    ASSERT_NE(sos, std::string::npos);
    std::string huge = good.substr(0, sos + 100);
    huge[sof + 5] = huge[sof + 7] = static_cast<char>(65500 >> 8);
    huge[sof + 6] = huge[sof + 8] = static_cast<char>(65500 & 0xFF);
    const std::string path = gui::TempFolder("open-huge") + "\\huge.jpg";
    WriteWholeFile(path, huge);
    ExpectReadingFailure(path);
}
