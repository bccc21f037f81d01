// A view: the child window of the frame that shows its document and takes
// the mouse. CScrollView adds scroll bars over a logical size.
#pragma once

#include "winfw/CmdTarget.h"
#include "winfw/Wnd.h"

class CDocument;

class CView : public CWnd, public CCmdTarget
{
public:
    CView() = default;
    ~CView() override = default;

    BOOL Create(HWND hParent, UINT nID);
    CDocument* GetDocument() const { return m_pDocument; }

    // The framework's operations a view may override.
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* pSender, LPARAM lHint, void* pHint);
    virtual void OnDraw(HDC hDC) = 0;
    // Sets up a device context of this view for drawing in logical units.
    virtual void OnPrepareDC(HDC hDC);
    // Erases the background before a paint (client units); TRUE when done.
    virtual BOOL OnEraseBkgnd(HDC hDC);

    // Mouse input; flags are the MK_ key states, the point is in client units.
    virtual void OnLButtonDown(UINT nFlags, POINT point);
    virtual void OnLButtonUp(UINT nFlags, POINT point);
    virtual void OnLButtonDblClk(UINT nFlags, POINT point);
    virtual void OnRButtonDown(UINT nFlags, POINT point);
    virtual void OnMouseMove(UINT nFlags, POINT point);
    // A key pressed while the view has the focus (WM_KEYDOWN's virtual key).
    virtual void OnKeyDown(UINT nVirtualKey);

    // The update rectangle of the paint in progress, in client units.
    const RECT& GetPaintRect() const { return m_rcPaint; }

    CDocument* m_pDocument = nullptr;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    RECT m_rcPaint = {0, 0, 0, 0};
};

class CScrollView : public CView
{
public:
    static const SIZE sizeDefault;

    // Sets the logical size, one unit a device pixel. The page and line
    // steps default to a tenth of the size and of the page.
    void SetScrollSizes(SIZE sizeTotal, SIZE sizePage = sizeDefault, SIZE sizeLine = sizeDefault);
    POINT GetScrollPosition() const;
    // Scrolls the contents to pt (limited to the scroll range).
    void ScrollToPosition(POINT pt);
    SIZE GetTotalSize() const { return m_totalLog; }

    void OnPrepareDC(HDC hDC) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void UpdateBars();
    void OnScroll(int nBar, UINT nCode);
    void ScrollToDevicePosition(POINT pt);

    SIZE m_totalLog = {0, 0};
    SIZE m_pageDev = {0, 0};
    SIZE m_lineDev = {0, 0};
    bool m_bInsideUpdate = false;
};
