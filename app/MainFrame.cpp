#include "app/MainFrame.h"

#include "app/res/resource.h"
#include "winfw/FwIds.h"

namespace
{
// The message pane, then the caps, num and scroll lock indicators.
const UINT kIndicators[] = {
    ID_SEPARATOR,
    ID_INDICATOR_CAPS,
    ID_INDICATOR_NUM,
    ID_INDICATOR_SCRL,
};
}

CMainFrame::CMainFrame()
{
    AddCommand(ID_VIEW_CONTROL_POINTS, [this] {
        if (CControlPointsWnd* pWnd = GetControlPointsWnd())
            pWnd->Toggle();
    });
    AddCommandUpdate(ID_VIEW_CONTROL_POINTS, [this](CCmdUI& ui) { ui.SetCheck(m_wndControlPoints.IsOpen()); });
    AddCommand(ID_VIEW_FEATURES, [this] {
        if (CFeaturesWnd* pWnd = GetFeaturesWnd())
            pWnd->Toggle();
    });
    AddCommandUpdate(ID_VIEW_FEATURES, [this](CCmdUI& ui) { ui.SetCheck(m_wndFeatures.IsOpen()); });
}

int CMainFrame::OnCreate(LPCREATESTRUCTA lpCreateStruct)
{
    if (CFrameWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    if (!m_wndStatusBar.Create(m_hWnd, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR))
        return -1;
    if (!m_wndStatusBar.SetIndicators(kIndicators, sizeof(kIndicators) / sizeof(kIndicators[0])))
        return -1;
    return 0;
}

CControlPointsWnd* CMainFrame::GetControlPointsWnd()
{
    if (!m_wndControlPoints.m_hWnd && (!m_hWnd || !m_wndControlPoints.CreateTool(m_hWnd)))
        return nullptr;
    return &m_wndControlPoints;
}

CFeaturesWnd* CMainFrame::GetFeaturesWnd()
{
    if (!m_wndFeatures.m_hWnd && (!m_hWnd || !m_wndFeatures.CreateTool(m_hWnd)))
        return nullptr;
    return &m_wndFeatures;
}

void CMainFrame::RestoreToolWindows()
{
    if (CControlPointsWnd* pWnd = GetControlPointsWnd())
        pWnd->RestoreOpenState();
    if (CFeaturesWnd* pWnd = GetFeaturesWnd())
        pWnd->RestoreOpenState();
}
