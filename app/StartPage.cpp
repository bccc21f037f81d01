#include "app/StartPage.h"

#include <algorithm>

#include "app/res/resource.h"
#include "winfw/FwIds.h"
#include "winfw/FrameWnd.h"
#include "winfw/FwUtil.h"
#include "winfw/WinApp.h"
#include "winbase/Wide.h"

namespace
{
const char kProfileSection[] = "Start Page";
const char kShowEntry[] = "Show";

bool HasFocusIn(HWND hWnd)
{
    HWND hFocus = GetFocus();
    return hFocus && (hFocus == hWnd || IsChild(hWnd, hFocus));
}
}   // namespace

CStartPage::CStartPage() : CDialog(IDD_START_PAGE) {}

CStartPage::~CStartPage()
{
    // The window goes before the title's font it uses.
    DestroyWindow();
}

bool CStartPage::ShowAtStartUp()
{
    CWinApp* pApp = FwGetApp();
    return !pApp || pApp->GetProfileInt(kProfileSection, kShowEntry, 1) != 0;
}

BOOL CStartPage::CreatePage(HWND hView)
{
    if (!Create(hView))
        return FALSE;
    // Tab, Enter, Escape and the mnemonics reach it through the message loop.
    if (CWinApp* pApp = FwGetApp())
        pApp->AddModelessWindow(m_hWnd);
    return TRUE;
}

BOOL CStartPage::OnInitDialog()
{
    SetWindowTextW(m_hWnd, Widen(LoadResString(IDS_START_TITLE)).c_str());
    SetItemText(IDC_START_TITLE, LoadResString(IDS_START_TITLE));
    SetItemText(IDC_START_STEPS, LoadResString(IDS_START_STEPS));
    SetItemText(IDC_START_KEYS, LoadResString(IDS_START_KEYS));
    CheckDlgButton(m_hWnd, IDC_START_SHOW, ShowAtStartUp() ? BST_CHECKED : BST_UNCHECKED);

    // The heading in a larger, bold cut of the page's own font.
    LOGFONTW font = {};
    HFONT hPageFont = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    if (hPageFont && GetObjectW(hPageFont, sizeof(font), &font) == sizeof(font))
    {
        font.lfHeight = font.lfHeight * 3 / 2;
        font.lfWeight = FW_BOLD;
        m_titleFont.Reset(CreateFontIndirectW(&font));
        if (m_titleFont)
            SendDlgItemMessageW(m_hWnd, IDC_START_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.Get()), 0);
    }
    // FALSE: the page leaves the focus where it is.
    return FALSE;
}

bool CStartPage::IsShown() const { return m_hWnd && IsWindowVisible(m_hWnd); }

void CStartPage::Show(bool bShow)
{
    if (!m_hWnd)
        return;
    if (bShow)
    {
        Place();
        ShowWindow(m_hWnd, SW_SHOWNA);
        return;
    }
    // The keyboard goes back to the view rather than to a hidden control.
    const bool bHadFocus = HasFocusIn(m_hWnd);
    ShowWindow(m_hWnd, SW_HIDE);
    if (bHadFocus)
        SetFocus(GetParent(m_hWnd));
}

void CStartPage::FollowDocument(bool bHasImage) { Show(!bHasImage && ShowAtStartUp()); }

void CStartPage::ShowWithFocus()
{
    Show(true);
    TakeFocus();
}

void CStartPage::Hide() { Show(false); }

void CStartPage::TakeFocus()
{
    if (!IsShown())
        return;
    if (HWND hFirst = GetNextDlgTabItem(m_hWnd, nullptr, FALSE))
        SetFocus(hFirst);
}

void CStartPage::Place()
{
    HWND hParent = m_hWnd ? GetParent(m_hWnd) : nullptr;
    if (!hParent)
        return;
    RECT client, page;
    GetClientRect(hParent, &client);
    GetWindowRect(m_hWnd, &page);
    const int cx = page.right - page.left, cy = page.bottom - page.top;
    const int x = std::max(0, static_cast<int>(client.right - cx) / 2);
    const int y = std::max(0, static_cast<int>(client.bottom - cy) / 2);
    SetWindowPos(m_hWnd, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

bool CStartPage::OnCommand(UINT nID, UINT nCode)
{
    if (nCode != BN_CLICKED)
        return false;
    switch (nID)
    {
    case IDC_START_SHOW:
        if (CWinApp* pApp = FwGetApp())
            pApp->WriteProfileInt(kProfileSection, kShowEntry,
                                  IsDlgButtonChecked(m_hWnd, IDC_START_SHOW) == BST_CHECKED ? 1 : 0);
        return true;
    case IDC_START_OPEN:
        // Posted: the Open dialog runs from the message loop, not inside this click.
        if (CWinApp* pApp = FwGetApp())
            if (pApp->m_pMainWnd && pApp->m_pMainWnd->m_hWnd)
                PostMessageW(pApp->m_pMainWnd->m_hWnd, WM_COMMAND, MAKEWPARAM(ID_FILE_OPEN, 0), 0);
        return true;
    case IDC_START_CLOSE: Hide(); return true;
    }
    return false;
}

// A child page is never ended as a dialog is: Enter has its default button,
// and Escape hands the keyboard back to the view.
void CStartPage::OnOK() {}

void CStartPage::OnCancel()
{
    if (HWND hParent = GetParent(m_hWnd))
        SetFocus(hParent);
}

bool CStartPage::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR*)
{
    if (message == WM_DESTROY)
        if (CWinApp* pApp = FwGetApp())
            pApp->RemoveModelessWindow(m_hWnd);
    return false;
}
