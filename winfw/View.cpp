#include "winfw/View.h"

#include <algorithm>

namespace
{
const char kViewClass[] = "QuarvexView";
}

BOOL CView::PreCreateWindow(CREATESTRUCTA&) { return TRUE; }

BOOL CView::Create(HWND hParent, UINT nID)
{
    // Double-clicks reach the view only with CS_DBLCLKS.
    RegisterClassOnce(kViewClass, CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                      reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
    CREATESTRUCTA cs = {};
    cs.lpszClass = kViewClass;
    cs.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    cs.dwExStyle = WS_EX_CLIENTEDGE;
    cs.hwndParent = hParent;
    cs.hMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID));
    if (!PreCreateWindow(cs))
        return FALSE;
    return CreateEx(cs.dwExStyle, cs.lpszClass, "", cs.style, 0, 0, 0, 0, cs.hwndParent, cs.hMenu);
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView*, LPARAM, void*)
{
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CView::OnPrepareDC(HDC) {}

BOOL CView::OnEraseBkgnd(HDC hDC)
{
    return static_cast<BOOL>(Default(WM_ERASEBKGND, reinterpret_cast<WPARAM>(hDC), 0));
}

void CView::OnLButtonDown(UINT, POINT) {}
void CView::OnLButtonUp(UINT, POINT) {}
void CView::OnLButtonDblClk(UINT, POINT) {}
void CView::OnRButtonDown(UINT, POINT) {}
void CView::OnMouseMove(UINT, POINT) {}
void CView::OnKeyDown(UINT) {}

LRESULT CView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    UINT nFlags = static_cast<UINT>(wParam);
    switch (message)
    {
    case WM_PAINT:
    {
        // The paint's device context goes back to the system also when the
        // drawing fails (it may run out of memory for its buffer).
        struct PaintScope
        {
            HWND hWnd;
            PAINTSTRUCT ps;
            ~PaintScope() { EndPaint(hWnd, &ps); }
        } paint{m_hWnd, {}};
        HDC hDC = BeginPaint(m_hWnd, &paint.ps);
        m_rcPaint = paint.ps.rcPaint;
        OnPrepareDC(hDC);
        OnDraw(hDC);
        return 0;
    }
    case WM_ERASEBKGND: return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_MOUSEACTIVATE: SetFocus(m_hWnd); break;
    case WM_LBUTTONDOWN: OnLButtonDown(nFlags, point); break;
    case WM_LBUTTONUP: OnLButtonUp(nFlags, point); break;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(nFlags, point); break;
    case WM_RBUTTONDOWN: OnRButtonDown(nFlags, point); break;
    case WM_MOUSEMOVE: OnMouseMove(nFlags, point); break;
    case WM_KEYDOWN: OnKeyDown(static_cast<UINT>(wParam)); break;
    }
    return Default(message, wParam, lParam);
}

const SIZE CScrollView::sizeDefault = {0, 0};

void CScrollView::SetScrollSizes(SIZE sizeTotal, SIZE sizePage, SIZE sizeLine)
{
    m_totalLog = sizeTotal;
    m_pageDev = sizePage;
    if (m_pageDev.cx == 0)
        m_pageDev.cx = m_totalLog.cx / 10;
    if (m_pageDev.cy == 0)
        m_pageDev.cy = m_totalLog.cy / 10;
    m_lineDev = sizeLine;
    if (m_lineDev.cx == 0)
        m_lineDev.cx = m_pageDev.cx / 10;
    if (m_lineDev.cy == 0)
        m_lineDev.cy = m_pageDev.cy / 10;
    if (m_hWnd)
        UpdateBars();
}

POINT CScrollView::GetScrollPosition() const
{
    POINT pt = {GetScrollPos(m_hWnd, SB_HORZ), GetScrollPos(m_hWnd, SB_VERT)};
    return pt;
}

void CScrollView::ScrollToPosition(POINT pt) { ScrollToDevicePosition(pt); }

void CScrollView::OnPrepareDC(HDC hDC)
{
    POINT pt = GetScrollPosition();
    SetViewportOrgEx(hDC, -pt.x, -pt.y, nullptr);
}

void CScrollView::UpdateBars()
{
    if (m_bInsideUpdate || !m_hWnd)
        return;
    m_bInsideUpdate = true;
    POINT before = GetScrollPosition();
    // Showing one bar narrows the client area and may call for the other:
    // the second pass settles that. A bar is set only when it changes, as
    // each setting repaints it.
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    for (int pass = 0; pass < 2; ++pass)
    {
        for (int nBar : {SB_HORZ, SB_VERT})
        {
            const long total = nBar == SB_HORZ ? m_totalLog.cx : m_totalLog.cy;
            const long client = nBar == SB_HORZ ? rc.right : rc.bottom;
            SCROLLINFO si = {};
            si.cbSize = sizeof(si);
            si.fMask = SIF_RANGE | SIF_PAGE;
            si.nMin = 0;
            si.nMax = std::max(total - 1, 0L);
            si.nPage = static_cast<UINT>(total <= client ? si.nMax + 1 : std::max(client, 1L));
            SCROLLINFO now = {};
            now.cbSize = sizeof(now);
            now.fMask = SIF_RANGE | SIF_PAGE;
            if (!GetScrollInfo(m_hWnd, nBar, &now) || now.nMin != si.nMin || now.nMax != si.nMax ||
                now.nPage != si.nPage)
                SetScrollInfo(m_hWnd, nBar, &si, TRUE);
        }
        RECT settled = {};
        GetClientRect(m_hWnd, &settled);
        if (EqualRect(&settled, &rc))
            break;
        rc = settled;
    }
    m_bInsideUpdate = false;
    POINT after = GetScrollPosition();
    if (after.x != before.x || after.y != before.y)
        InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CScrollView::ScrollToDevicePosition(POINT pt)
{
    POINT before = GetScrollPosition();
    SetScrollPos(m_hWnd, SB_HORZ, pt.x, TRUE);
    SetScrollPos(m_hWnd, SB_VERT, pt.y, TRUE);
    POINT after = GetScrollPosition();
    if (after.x != before.x || after.y != before.y)
        ScrollWindowEx(m_hWnd, before.x - after.x, before.y - after.y, nullptr, nullptr, nullptr, nullptr,
                       SW_INVALIDATE | SW_ERASE);
}

void CScrollView::OnScroll(int nBar, UINT nCode)
{
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    if (!GetScrollInfo(m_hWnd, nBar, &si))
        return;
    int page = nBar == SB_HORZ ? m_pageDev.cx : m_pageDev.cy;
    int line = nBar == SB_HORZ ? m_lineDev.cx : m_lineDev.cy;
    int pos = si.nPos;
    switch (nCode)
    {
    case SB_LINEUP: pos -= std::max(line, 1); break;
    case SB_LINEDOWN: pos += std::max(line, 1); break;
    case SB_PAGEUP: pos -= std::max(page, 1); break;
    case SB_PAGEDOWN: pos += std::max(page, 1); break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = si.nMax; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    default: return;
    }
    int maxPos = std::max(si.nMax - static_cast<int>(si.nPage) + 1, 0);
    pos = std::min(std::max(pos, 0), maxPos);
    POINT pt = GetScrollPosition();
    (nBar == SB_HORZ ? pt.x : pt.y) = pos;
    ScrollToDevicePosition(pt);
    UpdateWindow(m_hWnd);
}

LRESULT CScrollView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_SIZE: UpdateBars(); break;
    case WM_HSCROLL: OnScroll(SB_HORZ, LOWORD(wParam)); return 0;
    case WM_VSCROLL: OnScroll(SB_VERT, LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL:
    {
        int delta = static_cast<short>(HIWORD(wParam));
        POINT pt = GetScrollPosition();
        pt.y -= delta * 3 * std::max(static_cast<int>(m_lineDev.cy), 1) / WHEEL_DELTA;
        pt.y = std::max(pt.y, 0L);
        ScrollToDevicePosition(pt);
        UpdateWindow(m_hWnd);
        return 0;
    }
    }
    return CView::WindowProc(message, wParam, lParam);
}
