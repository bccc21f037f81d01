#include "winfw/StatusBar.h"

#include <commctrl.h>

#include <algorithm>

#include "winfw/FwIds.h"
#include "winbase/Wide.h"

namespace
{
struct Indicator
{
    UINT nID;
    int nVirtualKey;
    const char* pszText;
};
const Indicator kIndicators[] = {
    {ID_INDICATOR_CAPS, VK_CAPITAL, "CAP"},
    {ID_INDICATOR_NUM, VK_NUMLOCK, "NUM"},
    {ID_INDICATOR_SCRL, VK_SCROLL, "SCRL"},
};

const Indicator* FindIndicator(UINT nID)
{
    for (const Indicator& indicator : kIndicators)
        if (indicator.nID == nID)
            return &indicator;
    return nullptr;
}
}

BOOL CStatusBar::Create(HWND hParent, DWORD dwStyle, UINT nID)
{
    // The placement bits are ours; the control itself sits at the bottom.
    DWORD style = (dwStyle & (WS_CHILD | WS_VISIBLE)) | SBARS_SIZEGRIP | CCS_BOTTOM;
    m_hWnd = CreateWindowExW(0, STATUSCLASSNAMEW, L"", style, 0, 0, 0, 0, hParent,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), GetModuleHandleW(nullptr), nullptr);
    return m_hWnd != nullptr;
}

BOOL CStatusBar::SetIndicators(const UINT* pIDs, int nCount)
{
    if (!m_hWnd || nCount <= 0 || nCount > 255)
        return FALSE;
    m_ids.assign(pIDs, pIDs + nCount);
    m_shown.assign(m_ids.size(), -1);
    RecalcPanes();
    UpdateIndicators();
    return static_cast<int>(SendMessageW(m_hWnd, SB_GETPARTS, 0, 0)) == nCount;
}

void CStatusBar::RecalcPanes()
{
    if (!m_hWnd || m_ids.empty())
        return;
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    HDC hDC = GetDC(m_hWnd);
    HGDIOBJ hOld = SelectObject(hDC, reinterpret_cast<HGDIOBJ>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    std::vector<int> widths(m_ids.size());
    int sumIndicators = 0;
    for (size_t i = 1; i < m_ids.size(); ++i)
    {
        const Indicator* indicator = FindIndicator(m_ids[i]);
        SIZE extent = {0, 0};
        const std::wstring text = Widen(indicator ? indicator->pszText : "MMMM");
        GetTextExtentPoint32W(hDC, text.c_str(), static_cast<int>(text.size()), &extent);
        widths[i] = extent.cx + 12;
        sumIndicators += widths[i];
    }
    SelectObject(hDC, hOld);
    ReleaseDC(m_hWnd, hDC);
    // The message pane takes what the indicators and the grip leave.
    const int grip = GetSystemMetrics(SM_CXVSCROLL);
    std::vector<int> edges(m_ids.size());
    int right = rc.right - grip;
    for (size_t i = m_ids.size(); i-- > 1;)
    {
        edges[i] = right;
        right -= widths[i];
    }
    edges[0] = right > 0 ? right : 0;
    if (m_ids.size() > 1)
        edges.back() = -1;
    SendMessageW(m_hWnd, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    PlaceProgress();
}

void CStatusBar::PlaceProgress()
{
    RECT pane;
    if (!m_hProgress || !SendMessageW(m_hWnd, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&pane)))
        return;
    // A third of the pane, at most 240 pixels, inside its border.
    const int width = std::min(240, static_cast<int>(pane.right - pane.left) / 3);
    MoveWindow(m_hProgress, pane.right - width - 2, pane.top + 2, width, pane.bottom - pane.top - 4, TRUE);
}

void CStatusBar::ShowProgress(BOOL bShow)
{
    if (!m_hWnd)
        return;
    if (bShow && !m_hProgress)
    {
        m_hProgress = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | PBS_SMOOTH, 0, 0, 0, 0, m_hWnd,
                                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(ID_STATUS_PROGRESS)),
                                      GetModuleHandleW(nullptr), nullptr);
        if (!m_hProgress)
            return;
        SendMessageW(m_hProgress, PBM_SETRANGE32, 0, 1000);
    }
    if (!m_hProgress)
        return;
    SendMessageW(m_hProgress, PBM_SETPOS, 0, 0);
    PlaceProgress();
    ShowWindow(m_hProgress, bShow ? SW_SHOWNA : SW_HIDE);
    UpdateWindow(m_hWnd);
}

void CStatusBar::SetProgress(int nPermille)
{
    if (m_hProgress && static_cast<int>(SendMessageW(m_hProgress, PBM_GETPOS, 0, 0)) != nPermille)
    {
        SendMessageW(m_hProgress, PBM_SETPOS, static_cast<WPARAM>(nPermille), 0);
        UpdateWindow(m_hProgress);
    }
}

void CStatusBar::SetPaneText(int nIndex, const char* pszText)
{
    SendMessageW(m_hWnd, SB_SETTEXTW, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(Widen(pszText).c_str()));
}

void CStatusBar::UpdateIndicators()
{
    for (size_t i = 0; i < m_ids.size(); ++i)
    {
        const Indicator* indicator = FindIndicator(m_ids[i]);
        if (!indicator)
            continue;
        int on = (GetKeyState(indicator->nVirtualKey) & 1) ? 1 : 0;
        if (on == m_shown[i])
            continue;
        m_shown[i] = on;
        SetPaneText(static_cast<int>(i), on ? indicator->pszText : "");
    }
}
