// The start page over the empty view, and the tips on the tool windows'
// controls.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <cstdlib>
#include <map>

#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "winbase/Wide.h"

using gui::ModalScript;

namespace
{
// The runner's profile, as the program names its own after the program file.
std::string StartPageSection()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring stem = PathFindFileNameW(path);
    stem.resize(stem.rfind(L'.'));
    return "Software\\Local AppWizard-Generated Applications\\" + Narrow(stem) + "\\Start Page";
}

// Every start of a test is a first start: no answer kept yet.
struct FreshProfile
{
    FreshProfile() { SHDeleteKeyA(HKEY_CURRENT_USER, StartPageSection().c_str()); }
    ~FreshProfile() { SHDeleteKeyA(HKEY_CURRENT_USER, StartPageSection().c_str()); }
};

HWND FindStartPage(const AppSession& session)
{
    return FindWindowExW(session.ViewWnd(), nullptr, L"#32770", L"Getting Started");
}

bool FocusIn(HWND hWnd)
{
    HWND hFocus = GetFocus();
    return hFocus && (hFocus == hWnd || IsChild(hWnd, hFocus));
}

void PressButton(HWND hPage, int nID)
{
    SendMessageW(GetDlgItem(hPage, nID), BM_CLICK, 0, 0);
    gui::Pump();
}

// The tooltip controls owned by hWnd, and the text of each tool of the
// first by the control it covers.
std::map<HWND, std::string> ToolTips(HWND hWnd, int* pnTooltipControls)
{
    std::vector<HWND> found;
    for (HWND hTip = nullptr; (hTip = FindWindowExW(nullptr, hTip, TOOLTIPS_CLASSW, nullptr)) != nullptr;)
        if (GetWindow(hTip, GW_OWNER) == hWnd)
            found.push_back(hTip);
    *pnTooltipControls = static_cast<int>(found.size());
    std::map<HWND, std::string> tips;
    const int count = found.empty() ? 0 : static_cast<int>(SendMessageW(found[0], TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
    {
        wchar_t text[1024] = {};
        TTTOOLINFOW info = {};
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        SendMessageW(found[0], TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
        info.lpszText = text;
        SendMessageW(found[0], TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&info));
        // Without these the tip would never be shown over its control.
        EXPECT_EQ(info.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), static_cast<UINT>(TTF_IDISHWND | TTF_SUBCLASS));
        tips[reinterpret_cast<HWND>(info.uId)] = Narrow(text);
    }
    return tips;
}
}   // namespace

TEST(StartPage, ShownAtFirstStartWithoutTheFocusGoneWithAScanAndKeptAwayOnceCleared)
{
    FreshProfile profile;
    const std::string scan = CopyFixture("map.jpg", gui::TempFolder("start-page"), "map.jpg");
    {
        AppSession session;
        ASSERT_TRUE(session.started);
        EXPECT_TRUE(session.startUnexpected.empty());
        HWND hPage = FindStartPage(session);
        ASSERT_NE(hPage, nullptr);
        EXPECT_TRUE(IsWindowVisible(hPage));
        EXPECT_FALSE(FocusIn(hPage)) << "the view keeps the keyboard";
        EXPECT_EQ(gui::ItemText(hPage, IDC_START_TITLE), "Getting Started");
        const std::string steps = gui::ItemText(hPage, IDC_START_STEPS);
        for (const char* step : {"1. ", "2. ", "3. ", "4. ", "5. "})
            EXPECT_NE(steps.find(step), std::string::npos) << step;
        EXPECT_NE(gui::ItemText(hPage, IDC_START_KEYS).find("Press F1 for the user guide."), std::string::npos);
        EXPECT_EQ(IsDlgButtonChecked(hPage, IDC_START_SHOW), BST_CHECKED);
        // Wholly inside the view, once that is larger than the page (at 144 DPI too); placed again on a resize.
        MoveWindow(session.FrameWnd(), 0, 0, 1000, 720, TRUE);
        gui::Pump();
        RECT view, page;
        GetWindowRect(session.ViewWnd(), &view);
        GetWindowRect(hPage, &page);
        EXPECT_TRUE(page.left >= view.left && page.top >= view.top && page.right <= view.right &&
                    page.bottom <= view.bottom);

        // Tab from the view reaches the page's controls; Escape hands the keyboard back.
        SetFocus(session.ViewWnd());
        SendMessageW(session.ViewWnd(), WM_KEYDOWN, VK_TAB, 0);
        EXPECT_EQ(GetFocus(), GetDlgItem(hPage, IDC_START_SHOW));
        MSG escape = {GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
        EXPECT_TRUE(session.app.PreTranslateMessage(&escape));
        EXPECT_EQ(GetFocus(), session.ViewWnd());
        EXPECT_TRUE(IsWindowVisible(hPage));

        PressButton(hPage, IDC_START_SHOW);
        EXPECT_EQ(IsDlgButtonChecked(hPage, IDC_START_SHOW), BST_UNCHECKED);
        // Open a Scan... is File Open.
        ModalScript script;
        script.Then(ModalScript::OpenFile(scan));
        PressButton(hPage, IDC_START_OPEN);
        EXPECT_EQ(script.Pending(), 0u);
        EXPECT_EQ(session.Doc()->Image().Width(), 64);
        EXPECT_FALSE(IsWindowVisible(hPage));
    }
    {
        AppSession session;
        HWND hPage = FindStartPage(session);
        ASSERT_NE(hPage, nullptr);
        EXPECT_FALSE(IsWindowVisible(hPage)) << "cleared: not at start-up";
        session.Command(ID_HELP_GETTING_STARTED);
        EXPECT_TRUE(IsWindowVisible(hPage));
        EXPECT_TRUE(FocusIn(hPage)) << "asked for: it takes the keyboard";
        EXPECT_EQ(IsDlgButtonChecked(hPage, IDC_START_SHOW), BST_UNCHECKED);
        PressButton(hPage, IDC_START_CLOSE);
        EXPECT_FALSE(IsWindowVisible(hPage));
        EXPECT_EQ(GetFocus(), session.ViewWnd());
        // Ticked again, it comes at the next start.
        session.Command(ID_HELP_GETTING_STARTED);
        PressButton(hPage, IDC_START_SHOW);
    }
    AppSession session;
    HWND hPage = FindStartPage(session);
    ASSERT_NE(hPage, nullptr);
    EXPECT_TRUE(IsWindowVisible(hPage));
}

TEST(StartPage, EveryControlOfTheToolWindowsHasOneTip)
{
    AppSession session;
    for (HWND hTool : {session.Frame()->GetControlPointsWnd()->m_hWnd, session.Frame()->GetFeaturesWnd()->m_hWnd})
    {
        SCOPED_TRACE(gui::Text(hTool));
        int nTooltipControls = 0;
        const std::map<HWND, std::string> tips = ToolTips(hTool, &nTooltipControls);
        EXPECT_EQ(nTooltipControls, 1);
        int controls = 0;
        for (HWND hChild = GetWindow(hTool, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT))
        {
            ++controls;
            auto tip = tips.find(hChild);
            ASSERT_NE(tip, tips.end()) << "control " << GetDlgCtrlID(hChild);
            EXPECT_GT(tip->second.size(), 10u) << "control " << GetDlgCtrlID(hChild);
            // A static takes the mouse only with SS_NOTIFY; without it its tip never shows.
            wchar_t cls[32] = {};
            GetClassNameW(hChild, cls, 32);
            if (lstrcmpiW(cls, L"Static") == 0)
            {
                EXPECT_TRUE(GetWindowLongW(hChild, GWL_STYLE) & SS_NOTIFY) << "control " << GetDlgCtrlID(hChild);
            }
        }
        EXPECT_EQ(static_cast<int>(tips.size()), controls);
    }
}

// The start page as a user first sees it. Written only when
// QUARVEX_START_PAGE_SCREENSHOT names the BMP file to write.
TEST(DocsScreenshot, GettingStartedAtFirstStart)
{
    const char* pszOutput = std::getenv("QUARVEX_START_PAGE_SCREENSHOT");
    if (!pszOutput || !*pszOutput)
        GTEST_SKIP() << "QUARVEX_START_PAGE_SCREENSHOT is not set";
    FreshProfile profile;
    AppSession session;
    MoveWindow(session.FrameWnd(), 0, 0, 1000, 720, TRUE);
    gui::Pump();
    ASSERT_TRUE(gui::CaptureWindow(session.FrameWnd()).SaveBmp(pszOutput));
}
