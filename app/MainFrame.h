// The main window: the frame with its status bar of four panes.
#pragma once

#include "winfw/FrameWnd.h"
#include "winfw/StatusBar.h"

class CMainFrame : public CFrameWnd
{
public:
    int OnCreate(LPCREATESTRUCTA lpCreateStruct) override;
    CStatusBar* GetMessageBar() override { return &m_wndStatusBar; }

    CStatusBar m_wndStatusBar;
};
