#include "app/ImageView.h"

#include <algorithm>
#include <cmath>

#include "app/Dib.h"
#include "core/georef/NumberFormat.h"
#include "app/res/resource.h"
#include "core/view/PaintRegion.h"
#include "winfw/FwUtil.h"
#include "winbase/Handles.h"
#include "winbase/Wide.h"

namespace
{
const COLORREF kControlPointColour = 0x00800000;   // navy
}

CImageView::CImageView(CImageDoc& doc)
    : m_shape(doc.Session().Current()), m_nZoom(1), m_nPrevZoom(1), m_crDigitise(0x00FF0000),
      m_crPrevious(0x00800080), m_ptPending{-1, -1},
      m_hDigitiseCursor(LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_DIGITISE_CURSOR)))
{
    AddCommand(ID_VIEW_ZOOM100, [this] { SetZoom(1); });
    AddCommand(ID_VIEW_ZOOM200, [this] { SetZoom(2); });
    AddCommand(ID_VIEW_ZOOM400, [this] { SetZoom(4); });
    AddCommandUpdate(ID_VIEW_ZOOM100, [this](CCmdUI& ui) { ui.SetCheck(m_nZoom == 1); });
    AddCommandUpdate(ID_VIEW_ZOOM200, [this](CCmdUI& ui) {
        ui.SetCheck(m_nZoom == 2);
        ui.Enable(GetDocument()->Session().Mode() != MODE_TRANSPOSED);
    });
    AddCommandUpdate(ID_VIEW_ZOOM400, [this](CCmdUI& ui) {
        ui.SetCheck(m_nZoom == 4);
        ui.Enable(GetDocument()->Session().Mode() != MODE_TRANSPOSED);
    });
    AddInputCommands();
    AddTransposeCommands();
    AddClipboardCommands();
    AddCommand(ID_HELP_GETTING_STARTED, [this] { m_startPage.ShowWithFocus(); });
}

BOOL CImageView::PreCreateWindow(CREATESTRUCTA& cs)
{
    // The start page is a child: painting the image must not cover it.
    cs.style |= WS_CLIPCHILDREN;
    return CScrollView::PreCreateWindow(cs);
}

LRESULT CImageView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CScrollView::WindowProc(message, wParam, lParam);
    if (message == WM_SIZE)
        m_startPage.Place();
    return result;
}

void CImageView::SetZoom(int nZoom)
{
    m_nZoom = nZoom;
    ApplyZoom();
}

void CImageView::OnInitialUpdate()
{
    CScrollView::OnInitialUpdate();
    const CRgbImage& image = GetDocument()->Image();
    SetScrollSizes(SIZE{image.Width(), image.Height()});
    // A new document or an opened scan: the page is over the empty view only.
    if (!m_startPage.m_hWnd && m_hWnd)
        m_startPage.CreatePage(m_hWnd);
    m_startPage.FollowDocument(!image.IsEmpty());
}

void CImageView::OnUpdate(CView*, LPARAM lHint, void*)
{
    // Proposed from a last vertex that an undo or a new image may have taken away.
    m_tracePreview.clear();
    if (lHint == HINT_EDITED)
    {
        RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return;
    }
    if (lHint == HINT_MODE_CHANGED)
    {
        ApplyZoom();
        return;
    }
    m_nSelectedPoint = -1;
    m_nSelectedFeature = -1;
    m_nEditFeature = -1;
    m_snapShown = FeatureHit();
    m_nZoom = 1;
    m_nPrevZoom = 1;
    // Back to the top left; a bar already there is not repainted.
    for (int nBar : {SB_VERT, SB_HORZ})
        if (GetScrollPos(m_hWnd, nBar) != 0)
            SetScrollPos(m_hWnd, nBar, 0, TRUE);
    ApplyZoom();
}

void CImageView::ApplyZoom()
{
    CImageDoc* pDoc = GetDocument();
    if (pDoc->Session().Mode() == MODE_TRANSPOSED)
    {
        m_nZoom = 1;
        m_nPrevZoom = 1;
        SetScrollSizes(SIZE{pDoc->NorthUp().Width(), pDoc->NorthUp().Height()});
        SetScrollPos(m_hWnd, SB_HORZ, 0, TRUE);
        SetScrollPos(m_hWnd, SB_VERT, 0, TRUE);
    }
    else
    {
        const CRgbImage& image = pDoc->Image();
        SetScrollSizes(SIZE{image.Width() * m_nZoom, image.Height() * m_nZoom});
        // The sizes may have limited the positions: scale what they left.
        POINT pt = GetScrollPosition();
        SetScrollPos(m_hWnd, SB_HORZ, pt.x / m_nPrevZoom * m_nZoom, FALSE);
        SetScrollPos(m_hWnd, SB_VERT, pt.y / m_nPrevZoom * m_nZoom, FALSE);
        m_nPrevZoom = m_nZoom;
    }
    InvalidateRect(m_hWnd, nullptr, FALSE);
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CImageView::PaintPixels(HDC hDC, const CRgbImage& image, int nZoom)
{
    const RECT& update = GetPaintRect();
    POINT scroll = GetScrollPosition();
    PixelRange range = PaintedPixelRange(scroll.x, scroll.y, update.left, update.top, update.right, update.bottom,
                                         nZoom, image.Width(), image.Height());
    if (range.IsEmpty())
        return;
    ExpandPixelsToBgr(image.Pixels(), image.Width(), range, nZoom, m_paintBuffer);
    const int cx = (range.right - range.left) * nZoom;
    const int cy = (range.bottom - range.top) * nZoom;
    const BITMAPINFO bmi = Dib24Info(cx, cy, TRUE);
    // One to one: the blocks of the zoom are already in the buffer, so the
    // device gets exactly the pixels that setting each one would give.
    StretchDIBits(hDC, range.left * nZoom, range.top * nZoom, cx, cy, 0, 0, cx, cy, m_paintBuffer.data(), &bmi,
                  DIB_RGB_COLORS, SRCCOPY);
}

BOOL CImageView::OnEraseBkgnd(HDC hDC)
{
    // Only what lies outside the image is erased: painting covers the
    // image's part of any update anyway, and erasing it first would make
    // the picture flicker while scrolling.
    SIZE painted = {0, 0};
    const CImageDoc* pDoc = GetDocument();
    if (pDoc->Session().Mode() == MODE_TRANSPOSED)
        painted = SIZE{pDoc->NorthUp().Width(), pDoc->NorthUp().Height()};
    else
        painted = SIZE{pDoc->Image().Width() * m_nZoom, pDoc->Image().Height() * m_nZoom};
    POINT scroll = GetScrollPosition();
    RECT client;
    GetClientRect(m_hWnd, &client);
    int saved = SaveDC(hDC);
    ExcludeClipRect(hDC, -scroll.x, -scroll.y, painted.cx - scroll.x, painted.cy - scroll.y);
    FillRect(hDC, &client, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    RestoreDC(hDC, saved);
    return TRUE;
}

void CImageView::OnDraw(HDC hDC)
{
    CImageDoc* pDoc = GetDocument();
    CWaitCursor wait;
    if (pDoc->Session().Mode() == MODE_TRANSPOSED)
    {
        if (!pDoc->NorthUp().IsEmpty())
            PaintPixels(hDC, pDoc->NorthUp(), 1);
        return;
    }
    if (!pDoc->Image().IsEmpty())
        PaintPixels(hDC, pDoc->Image(), m_nZoom);

    const std::vector<CGeoRefPoint>& points = pDoc->Session().GeoRef().m_points;
    const int nWorst = m_bShowResiduals ? pDoc->Session().FitReport().Chosen().nWorst : -1;
    if (m_bShowResiduals)
        DrawResiduals(hDC);
    for (size_t i = 0; i < points.size(); ++i)
    {
        const CGeoRefPoint& point = points[i];
        const bool dragged = m_bDragging && static_cast<int>(i) == m_nDragPoint;
        const int c = dragged ? m_ptDragPixel.x : point.m_nPixelX;
        const int r = dragged ? m_ptDragPixel.y : point.m_nPixelY;
        const COLORREF colour = static_cast<int>(i) == nWorst ? kWorstPointColour : kControlPointColour;
        DrawMarker(colour, hDC, c, r, FALSE);
        SetTextColor(hDC, colour);
        SetBkMode(hDC, TRANSPARENT);
        std::string label = FormatFixed(point.m_dMapX, 6) + ", " + FormatFixed(point.m_dMapY, 6);
        const POINT at = ShownAt(c, r);
        const std::wstring text = Widen(label);
        TextOutW(hDC, at.x + 5, at.y, text.c_str(), static_cast<int>(text.size()));
        if (m_bShowResiduals && static_cast<int>(i) == m_nSelectedPoint)
        {
            UniqueGdiObject<HPEN> pen(CreatePen(PS_SOLID, 2, kSelectedPointColour));
            ScopedSelectObject selectPen(hDC, pen.Get());
            ScopedSelectObject selectBrush(hDC, GetStockObject(NULL_BRUSH));
            Ellipse(hDC, at.x - 9, at.y - 9, at.x + 10, at.y + 10);
        }
    }
    DrawShape(m_crDigitise, hDC, m_shape, TRUE, FALSE);
    const CShapeArray& shapes = pDoc->Session().Features();
    {
        // Only the features that come into the paint's rectangle, widened by
        // the widest pen and the first-vertex mark, in full-resolution pixels.
        RECT clip;
        if (GetClipBox(hDC, &clip) == ERROR)
            GetClientRect(m_hWnd, &clip);
        const double margin = kSelectedFeatureWidth + 4;
        const CShownGrid& grid = pDoc->Grid();
        const double sx = grid.dScaleX / m_nZoom, sy = grid.dScaleY / m_nZoom;
        FeatureBoxes().ForEachIn((clip.left - margin) * sx - grid.dScaleX, (clip.top - margin) * sy - grid.dScaleY,
                                 (clip.right + margin) * sx + grid.dScaleX, (clip.bottom + margin) * sy + grid.dScaleY,
                                 [&](int i) { DrawShape(m_crPrevious, hDC, shapes.GetAt(i), FALSE, FALSE); });
    }
    if (m_nSelectedFeature >= 0 && m_nSelectedFeature < shapes.GetSize())
        DrawShape(kSelectedFeatureColour, hDC, shapes.GetAt(m_nSelectedFeature), TRUE, FALSE, kSelectedFeatureWidth);
    DrawVertexHandles(hDC);
    if (m_ptPending.x != -1)
        DrawMarker(kPendingPointColour, hDC, m_ptPending.x, m_ptPending.y, FALSE);
    DrawTracePreview(hDC);
    DrawSnapMarker(hDC);
}

POINT CImageView::ShownAt(int x, int y) const
{
    const ImagePixel shown = FullToShown(GetDocument()->Grid(), x, y);
    return POINT{shown.column * m_nZoom, shown.row * m_nZoom};
}

void CImageView::DrawMarker(COLORREF crColour, HDC hDC, int c, int r, BOOL onWindow)
{
    UniqueGdiObject<HPEN> pen(CreatePen(PS_SOLID, 2, crColour));
    ScopedSelectObject select(hDC, pen.Get());
    const POINT at = ShownAt(c, r);
    int x = at.x;
    int y = at.y;
    if (onWindow)
    {
        POINT scroll = GetScrollPosition();
        x -= scroll.x;
        y -= scroll.y;
    }
    MoveToEx(hDC, x - 5, y - 5, nullptr);
    LineTo(hDC, x + 5, y + 5);
    MoveToEx(hDC, x - 5, y + 5, nullptr);
    LineTo(hDC, x + 5, y - 5);
}

void CImageView::DrawShape(COLORREF crColour, HDC hDC, const CShape& shape, BOOL markFirst, BOOL onWindow, int nWidth)
{
    UniqueGdiObject<HPEN> pen(CreatePen(PS_SOLID, nWidth, crColour));
    ScopedSelectObject select(hDC, pen.Get());
    POINT offset = {0, 0};
    if (onWindow)
        offset = GetScrollPosition();
    for (int i = 0; i < shape.GetSize(); ++i)
    {
        const POINT at = ShownAt(shape.GetAt(i).x, shape.GetAt(i).y);
        int x = at.x - offset.x;
        int y = at.y - offset.y;
        // Each ring of a polygon with holes is outlined on its own.
        if (i == 0 || shape.StartsHole(i))
            MoveToEx(hDC, x, y, nullptr);
        else
            LineTo(hDC, x, y);
    }
    if (shape.GetSize() == 0 || !(markFirst || GetDocument()->Session().ShapeType() == SHAPE_POINT))
        return;
    // The first vertex of every ring, where the ring closes.
    for (int r = 0; r < shape.RingCount(); ++r)
    {
        if (shape.RingBegin(r) >= shape.GetSize())
            continue;
        const CShapeVertex& first = shape.GetAt(shape.RingBegin(r));
        const POINT at = ShownAt(first.x, first.y);
        int x = at.x - offset.x;
        int y = at.y - offset.y;
        MoveToEx(hDC, x - 2, y - 2, nullptr);
        LineTo(hDC, x + 2, y + 2);
        MoveToEx(hDC, x - 2, y + 2, nullptr);
        LineTo(hDC, x + 2, y - 2);
    }
}

void CImageView::DrawResiduals(HDC hDC)
{
    const CImageDoc* pDoc = GetDocument();
    const std::vector<CGeoRefPoint>& points = pDoc->Session().GeoRef().m_points;
    const CModelFit& fit = pDoc->Session().FitReport().Chosen();
    if (!fit.bFitted || fit.residuals.size() != points.size())
        return;
    UniqueGdiObject<HPEN> pen(CreatePen(PS_SOLID, 2, kResidualColour));
    ScopedSelectObject select(hDC, pen.Get());
    for (size_t i = 0; i < points.size(); ++i)
    {
        // From the clicked pixel toward where the fit puts the typed
        // coordinates: the residual taken back, drawn m_nResidualScale times.
        // Residuals are in full-resolution pixels: a shown pixel spans dScale of them.
        const CShownGrid& grid = pDoc->Grid();
        const double zx = m_nZoom / grid.dScaleX, zy = m_nZoom / grid.dScaleY;
        const double x0 = (points[i].m_nPixelX + 0.5) * zx, y0 = (points[i].m_nPixelY + 0.5) * zy;
        const double dx = -fit.residuals[i].dPixelX * m_nResidualScale * zx;
        const double dy = -fit.residuals[i].dPixelY * m_nResidualScale * zy;
        const double length = std::hypot(dx, dy);
        if (!(length >= 1.0) || !(length < 1e6))
            continue;   // nothing to see, or far beyond any screen
        const int x1 = static_cast<int>(std::lround(x0 + dx)), y1 = static_cast<int>(std::lround(y0 + dy));
        MoveToEx(hDC, static_cast<int>(x0), static_cast<int>(y0), nullptr);
        LineTo(hDC, x1, y1);
        // An arrow head of two short strokes back along the line.
        const double ux = dx / length, uy = dy / length, head = std::fmin(8.0, length / 2);
        for (double side : {0.45, -0.45})
        {
            const double hx = -ux * std::cos(side) + uy * std::sin(side);
            const double hy = -uy * std::cos(side) - ux * std::sin(side);
            MoveToEx(hDC, x1, y1, nullptr);
            LineTo(hDC, static_cast<int>(std::lround(x1 + hx * head)), static_cast<int>(std::lround(y1 + hy * head)));
        }
    }
}

void CImageView::SetResidualDisplay(bool bShow, int nScale)
{
    if (bShow == m_bShowResiduals && nScale == m_nResidualScale)
        return;
    m_bShowResiduals = bShow;
    m_nResidualScale = nScale;
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CImageView::SetSelectedPoint(int nIndex)
{
    if (nIndex == m_nSelectedPoint)
        return;
    m_nSelectedPoint = nIndex;
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CImageView::ShowControlPoint(int nIndex)
{
    const std::vector<CGeoRefPoint>& points = GetDocument()->Session().GeoRef().m_points;
    if (nIndex < 0 || nIndex >= static_cast<int>(points.size()) || GetDocument()->Session().Mode() == MODE_TRANSPOSED)
        return;
    m_nSelectedPoint = nIndex;
    CentreOnPixel(points[nIndex].m_nPixelX, points[nIndex].m_nPixelY);
}

void CImageView::CentreOnPixel(long long x, long long y)
{
    RECT client;
    GetClientRect(m_hWnd, &client);
    const ImagePixel shown = FullToShown(GetDocument()->Grid(), static_cast<int>(x), static_cast<int>(y));
    const long long cx = static_cast<long long>(shown.column) * m_nZoom - client.right / 2;
    const long long cy = static_cast<long long>(shown.row) * m_nZoom - client.bottom / 2;
    ScrollToPosition(POINT{static_cast<LONG>(std::max(0LL, cx)), static_cast<LONG>(std::max(0LL, cy))});
    InvalidateRect(m_hWnd, nullptr, TRUE);
    UpdateWindow(m_hWnd);
}

POINT CImageView::PixelToScreen(int c, int r) const
{
    const POINT scroll = GetScrollPosition();
    const POINT at = ShownAt(c, r);
    POINT point = {at.x - scroll.x, at.y - scroll.y};
    ClientToScreen(m_hWnd, &point);
    return point;
}

void CImageView::SetSelectedFeature(int nIndex)
{
    if (nIndex >= 0)
        m_nEditFeature = nIndex;   // the feature Edit Vertices works on
    if (nIndex == m_nSelectedFeature)
        return;
    m_nSelectedFeature = nIndex;
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CImageView::ShowFeature(int nIndex)
{
    const CShapeArray& shapes = GetDocument()->Session().Features();
    if (nIndex < 0 || nIndex >= shapes.GetSize() || shapes.GetAt(nIndex).GetSize() == 0 ||
        GetDocument()->Session().Mode() == MODE_TRANSPOSED)
        return;
    // The middle of its extent in the middle of the view.
    const CShape& shape = shapes.GetAt(nIndex);
    int left = shape.GetAt(0).x, right = left, top = shape.GetAt(0).y, bottom = top;
    for (const CShapeVertex& v : shape.Vertices())
    {
        left = std::min(left, v.x);
        right = std::max(right, v.x);
        top = std::min(top, v.y);
        bottom = std::max(bottom, v.y);
    }
    m_nSelectedFeature = nIndex;
    m_nEditFeature = nIndex;
    CentreOnPixel((static_cast<long long>(left) + right) / 2, (static_cast<long long>(top) + bottom) / 2);
}
