// The status bar of the frame: a message pane and indicator panes whose
// text shows a key state (caps, num and scroll lock).
#pragma once

#include <vector>

#include "winfw/Wnd.h"

// Placement style of a status bar at the bottom of its frame.
#define CBRS_ALIGN_BOTTOM 0x8000L
#define CBRS_BORDER_TOP   0x0200L
#define CBRS_BOTTOM       (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)

class CStatusBar : public CWnd
{
public:
    BOOL Create(HWND hParent, DWORD dwStyle, UINT nID);
    // One pane for each id: ID_SEPARATOR is the stretching message pane,
    // ID_INDICATOR_CAPS / NUM / SCRL show their key's toggle state.
    BOOL SetIndicators(const UINT* pIDs, int nCount);
    void SetPaneText(int nIndex, const char* pszText);
    // Refreshes the indicator panes from the keyboard state.
    void UpdateIndicators();
    // Lays out the panes for the current width.
    void RecalcPanes();
    // A progress bar over the right part of the message pane, from 0 to
    // 1000, for long work; its text stays readable on the left.
    void ShowProgress(BOOL bShow);
    void SetProgress(int nPermille);

private:
    void PlaceProgress();

    HWND m_hProgress = nullptr;
    std::vector<UINT> m_ids;
    std::vector<int> m_shown;   // the key state each indicator last showed
};
