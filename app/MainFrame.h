// The main window: the frame with its status bar of four panes, and the
// tool windows it owns (Control Points, Features).
#pragma once

#include "app/ClipboardExport.h"
#include "app/ControlPointsWnd.h"
#include "app/FeaturesWnd.h"
#include "winfw/FrameWnd.h"
#include "winfw/StatusBar.h"

class CImageDoc;

class CMainFrame : public CFrameWnd
{
public:
    CMainFrame();

    int OnCreate(LPCREATESTRUCTW lpCreateStruct) override;
    CStatusBar* GetMessageBar() override { return &m_wndStatusBar; }
    // Offers to save unsaved features before they go.
    BOOL SaveModified() override;

    // Opens the tool windows that were open when the program last ended;
    // called once the main window is on the screen.
    void RestoreToolWindows();
    // The Control Points window, made the first time it is needed.
    CControlPointsWnd* GetControlPointsWnd();
    // The Features window, made the first time it is needed.
    CFeaturesWnd* GetFeaturesWnd();

    CStatusBar m_wndStatusBar;
    // What Copy left on the clipboard, this window being its owner.
    CClipboardOffer m_clipboardOffer;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Save, Save As, Export GeoTIFF, Coordinate System, Undo and Redo, on the active view's document.
    void AddDocumentCommands();
    CImageDoc* ImageDoc() const;

    CControlPointsWnd m_wndControlPoints;
    CFeaturesWnd m_wndFeatures;
};
