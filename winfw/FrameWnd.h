// The main window: menu, accelerators, the view in its client area, a
// message bar, the title "document - application", and command routing
// from menus and accelerators to view, document, frame and application.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "winfw/CmdTarget.h"
#include "winfw/Wnd.h"

class CView;
class CStatusBar;

class CFrameWnd : public CWnd, public CCmdTarget
{
public:
    CFrameWnd() = default;
    ~CFrameWnd() override = default;

    // Creates the (hidden) frame with the menu and icon of nIDResource.
    BOOL LoadFrame(UINT nIDResource);

    // The framework's operations a frame may override.
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    virtual int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    // The bar that shows SetMessageText; none unless a frame has one.
    virtual CStatusBar* GetMessageBar();
    // Asked before the document is closed or replaced (File New, Open,
    // Exit, the end of the Windows session); FALSE keeps it. The frame asks
    // the user, so that the document never shows anything.
    virtual BOOL SaveModified();

    void SetActiveView(CView* pView);
    CView* GetActiveView() const { return m_pActiveView; }
    void SetMessageText(const std::string& strText);
    void SetTitleText(const std::string& strTitle);

    // Command routing: view, document, frame, application.
    bool RouteCommand(UINT nID);
    // Fills ui from the first target that knows the command; a command no
    // target knows is disabled.
    void RouteUpdate(CCmdUI& ui);

    // Places the message bar and the view in the client area.
    void RecalcLayout();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnInitMenuPopup(HMENU hMenu);
    void OnDropFiles(HDROP hDrop);

    CView* m_pActiveView = nullptr;
};
