#include "app/ImageView.h"

#include "app/Dib.h"
#include "core/georef/NumberFormat.h"
#include "app/res/resource.h"
#include "core/view/PaintRegion.h"
#include "winfw/FwUtil.h"
#include "winbase/Handles.h"

namespace
{
const COLORREF kControlPointColour = 0x00800000;   // navy
}

CImageView::CImageView()
    : m_nZoom(1), m_nPrevZoom(1), m_crDigitise(0x00FF0000), m_crPrevious(0x00800080), m_ptPending{-1, -1},
      m_hDigitiseCursor(LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_DIGITISE_CURSOR)))
{
    AddCommand(ID_VIEW_ZOOM100, [this] { SetZoom(1); });
    AddCommand(ID_VIEW_ZOOM200, [this] { SetZoom(2); });
    AddCommand(ID_VIEW_ZOOM400, [this] { SetZoom(4); });
    AddCommandUpdate(ID_VIEW_ZOOM100, [this](CCmdUI& ui) { ui.SetCheck(m_nZoom == 1); });
    AddCommandUpdate(ID_VIEW_ZOOM200, [this](CCmdUI& ui) {
        ui.SetCheck(m_nZoom == 2);
        ui.Enable(GetDocument()->m_nMode != MODE_TRANSPOSED);
    });
    AddCommandUpdate(ID_VIEW_ZOOM400, [this](CCmdUI& ui) {
        ui.SetCheck(m_nZoom == 4);
        ui.Enable(GetDocument()->m_nMode != MODE_TRANSPOSED);
    });
    AddInputCommands();
    AddTransposeCommands();
    AddClipboardCommands();
}

void CImageView::SetZoom(int nZoom)
{
    m_nZoom = nZoom;
    ApplyZoom();
}

void CImageView::OnInitialUpdate()
{
    CScrollView::OnInitialUpdate();
    const CRgbImage& image = GetDocument()->m_image;
    SetScrollSizes(SIZE{image.Width(), image.Height()});
    m_shape.RemoveAll();
}

void CImageView::OnUpdate(CView*, LPARAM, void*)
{
    m_nZoom = 1;
    m_nPrevZoom = 1;
    SetScrollPos(m_hWnd, SB_VERT, 0, TRUE);
    SetScrollPos(m_hWnd, SB_HORZ, 0, TRUE);
    ApplyZoom();
}

void CImageView::ApplyZoom()
{
    CImageDoc* pDoc = GetDocument();
    if (pDoc->m_nMode == MODE_TRANSPOSED)
    {
        m_nZoom = 1;
        m_nPrevZoom = 1;
        SetScrollSizes(SIZE{pDoc->m_transposed.Width(), pDoc->m_transposed.Height()});
        SetScrollPos(m_hWnd, SB_HORZ, 0, TRUE);
        SetScrollPos(m_hWnd, SB_VERT, 0, TRUE);
    }
    else
    {
        const CRgbImage& image = pDoc->m_image;
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
    if (pDoc->m_nMode == MODE_TRANSPOSED)
        painted = SIZE{pDoc->m_transposed.Width(), pDoc->m_transposed.Height()};
    else
        painted = SIZE{pDoc->m_image.Width() * m_nZoom, pDoc->m_image.Height() * m_nZoom};
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
    if (pDoc->m_nMode == MODE_TRANSPOSED)
    {
        if (!pDoc->m_transposed.IsEmpty())
            PaintPixels(hDC, pDoc->m_transposed, 1);
        return;
    }
    if (!pDoc->m_image.IsEmpty())
        PaintPixels(hDC, pDoc->m_image, m_nZoom);

    for (const CGeoRefPoint& point : pDoc->m_shapeFile.m_geoRef.m_points)
    {
        DrawMarker(kControlPointColour, hDC, point.m_nPixelX, point.m_nPixelY, FALSE);
        SetTextColor(hDC, kControlPointColour);
        SetBkMode(hDC, TRANSPARENT);
        std::string label = FormatFixed(point.m_dMapX, 6) + ", " + FormatFixed(point.m_dMapY, 6);
        TextOutA(hDC, point.m_nPixelX * m_nZoom + 5, point.m_nPixelY * m_nZoom, label.c_str(),
                 static_cast<int>(label.size()));
    }
    DrawShape(m_crDigitise, hDC, m_shape, TRUE, FALSE);
    const CShapeArray& shapes = pDoc->m_shapeFile.m_shapes;
    for (int i = 0; i < shapes.GetSize(); ++i)
        DrawShape(m_crPrevious, hDC, shapes.GetAt(i), FALSE, FALSE);
    if (m_ptPending.x != -1)
        DrawMarker(kPendingPointColour, hDC, m_ptPending.x, m_ptPending.y, FALSE);
}

void CImageView::DrawMarker(COLORREF crColour, HDC hDC, int c, int r, BOOL onWindow)
{
    UniqueGdiObject<HPEN> pen(CreatePen(PS_SOLID, 2, crColour));
    ScopedSelectObject select(hDC, pen.Get());
    int x = c * m_nZoom;
    int y = r * m_nZoom;
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

void CImageView::DrawShape(COLORREF crColour, HDC hDC, const CShape& shape, BOOL markFirst, BOOL onWindow)
{
    UniqueGdiObject<HPEN> pen(CreatePen(PS_SOLID, 2, crColour));
    ScopedSelectObject select(hDC, pen.Get());
    POINT offset = {0, 0};
    if (onWindow)
        offset = GetScrollPosition();
    for (int i = 0; i < shape.GetSize(); ++i)
    {
        int x = shape.GetAt(i).x * m_nZoom - offset.x;
        int y = shape.GetAt(i).y * m_nZoom - offset.y;
        if (i == 0)
            MoveToEx(hDC, x, y, nullptr);
        else
            LineTo(hDC, x, y);
    }
    if (shape.GetSize() > 0 && (markFirst || GetDocument()->m_nShapeType == SHAPE_POINT))
    {
        int x = shape.GetAt(0).x * m_nZoom - offset.x;
        int y = shape.GetAt(0).y * m_nZoom - offset.y;
        MoveToEx(hDC, x - 2, y - 2, nullptr);
        LineTo(hDC, x + 2, y + 2);
        MoveToEx(hDC, x - 2, y + 2, nullptr);
        LineTo(hDC, x + 2, y - 2);
    }
}
