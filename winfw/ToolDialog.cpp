#include "winfw/ToolDialog.h"

#include <algorithm>

#include "winfw/WinApp.h"

namespace
{
const char kSection[] = "Tool Windows";
}

CToolDialog::CToolDialog(UINT nIDTemplate, const char* pszProfileName)
    : CDialog(nIDTemplate), m_strProfileName(pszProfileName)
{
}

CToolDialog::~CToolDialog()
{
    // Here WM_DESTROY still reaches this class's handler, which keeps the place.
    DestroyWindow();
}

BOOL CToolDialog::CreateTool(HWND hOwner)
{
    if (!Create(hOwner))
        return FALSE;
    RestorePlacement();
    if (CWinApp* pApp = FwGetApp())
        pApp->AddModelessWindow(m_hWnd);
    return TRUE;
}

void CToolDialog::RestoreOpenState()
{
    CWinApp* pApp = FwGetApp();
    if (pApp && pApp->GetProfileInt(kSection, (m_strProfileName + "Open").c_str(), 0))
        Show(true);
}

bool CToolDialog::IsOpen() const { return m_hWnd && IsWindowVisible(m_hWnd); }

void CToolDialog::Show(bool bOpen)
{
    if (!m_hWnd)
        return;
    ShowWindow(m_hWnd, bOpen ? SW_SHOW : SW_HIDE);
    if (bOpen)
        SetActiveWindow(m_hWnd);
    else if (HWND hOwner = GetWindow(m_hWnd, GW_OWNER))
        SetActiveWindow(hOwner);
    if (CWinApp* pApp = FwGetApp())
        pApp->WriteProfileInt(kSection, (m_strProfileName + "Open").c_str(), bOpen ? 1 : 0);
    OnShowTool(bOpen);
}

void CToolDialog::OnShowTool(bool) {}

void CToolDialog::OnCancel()
{
    // Escape hands the keyboard back to the main window; the window stays.
    if (HWND hOwner = GetWindow(m_hWnd, GW_OWNER))
        SetActiveWindow(hOwner);
}

void CToolDialog::SetLayout(const LayoutRule* pRules, size_t nRules, int nMinPercentX, int nMinPercentY)
{
    m_layout.assign(pRules, pRules + nRules);
    m_templateRects.clear();
    for (const LayoutRule& rule : m_layout)
    {
        RECT rc;
        GetWindowRect(GetDlgItem(m_hWnd, rule.nID), &rc);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        m_templateRects.push_back(rc);
    }
    RECT client;
    GetClientRect(m_hWnd, &client);
    m_templateClient = SIZE{client.right, client.bottom};
    m_nMinPercentX = nMinPercentX;
    m_nMinPercentY = nMinPercentY;
}

void CToolDialog::ApplyLayout(int cx, int cy)
{
    if (m_layout.empty() || cx == 0 || cy == 0)
        return;
    const int dx = cx - m_templateClient.cx, dy = cy - m_templateClient.cy;
    for (size_t i = 0; i < m_layout.size(); ++i)
    {
        const LayoutRule& rule = m_layout[i];
        RECT rc = m_templateRects[i];
        OffsetRect(&rc, rule.bMoveX ? dx : 0, rule.bMoveY ? dy : 0);
        if (rule.bStretchX)
            rc.right += dx;
        if (rule.bStretchY)
            rc.bottom += dy;
        SetWindowPos(GetDlgItem(m_hWnd, rule.nID), nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

bool CToolDialog::OnMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR* pResult)
{
    switch (message)
    {
    case WM_SIZE: ApplyLayout(LOWORD(lParam), HIWORD(lParam)); return false;
    case WM_GETMINMAXINFO:
    {
        MINMAXINFO* pInfo = reinterpret_cast<MINMAXINFO*>(lParam);
        pInfo->ptMinTrackSize.x = m_templateClient.cx * m_nMinPercentX / 100;
        pInfo->ptMinTrackSize.y = m_templateClient.cy * m_nMinPercentY / 100;
        return false;
    }
    case WM_CLOSE:
        Show(false);
        *pResult = TRUE;
        return true;
    case WM_EXITSIZEMOVE: SavePlacement(); return false;
    case WM_DESTROY:
        // Owned windows go before their owner: the place is taken while
        // the window still has one.
        SavePlacement();
        if (CWinApp* pApp = FwGetApp())
            pApp->RemoveModelessWindow(m_hWnd);
        return false;
    }
    return false;
}

void CToolDialog::SavePlacement() const
{
    CWinApp* pApp = FwGetApp();
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (!pApp || !GetWindowPlacement(m_hWnd, &placement))
        return;
    const RECT& rc = placement.rcNormalPosition;
    const std::string name = m_strProfileName;
    pApp->WriteProfileInt(kSection, (name + "Left").c_str(), rc.left);
    pApp->WriteProfileInt(kSection, (name + "Top").c_str(), rc.top);
    pApp->WriteProfileInt(kSection, (name + "Width").c_str(), rc.right - rc.left);
    pApp->WriteProfileInt(kSection, (name + "Height").c_str(), rc.bottom - rc.top);
}

void CToolDialog::RestorePlacement()
{
    CWinApp* pApp = FwGetApp();
    if (!pApp)
        return;
    const std::string name = m_strProfileName;
    const int width = pApp->GetProfileInt(kSection, (name + "Width").c_str(), 0);
    const int height = pApp->GetProfileInt(kSection, (name + "Height").c_str(), 0);
    RECT rc;
    GetWindowRect(m_hWnd, &rc);
    if (width <= 0 || height <= 0)
    {
        // First run: at the right edge of the owner's area.
        RECT owner = {0, 0, 0, 0};
        if (HWND hOwner = GetWindow(m_hWnd, GW_OWNER))
            GetWindowRect(hOwner, &owner);
        const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
        rc.left = owner.right > cx ? owner.right - cx - 16 : 0;
        rc.top = owner.top + 80;
        rc.right = rc.left + cx;
        rc.bottom = rc.top + cy;
    }
    else
    {
        rc.left = pApp->GetProfileInt(kSection, (name + "Left").c_str(), 0);
        rc.top = pApp->GetProfileInt(kSection, (name + "Top").c_str(), 0);
        rc.right = rc.left + width;
        rc.bottom = rc.top + height;
    }
    // A place remembered on a screen that is no longer there comes back
    // onto the nearest one.
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST), &info))
    {
        const RECT& work = info.rcWork;
        const int cx = std::min<LONG>(rc.right - rc.left, work.right - work.left);
        const int cy = std::min<LONG>(rc.bottom - rc.top, work.bottom - work.top);
        rc.left = std::max<LONG>(work.left, std::min<LONG>(rc.left, work.right - cx));
        rc.top = std::max<LONG>(work.top, std::min<LONG>(rc.top, work.bottom - cy));
        rc.right = rc.left + cx;
        rc.bottom = rc.top + cy;
    }
    SetWindowPos(m_hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}
