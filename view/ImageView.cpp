#include "view/ImageView.h"

#include "georef/NumberFormat.h"
#include "res/resource.h"
#include "view/PaintRegion.h"
#include "winfw/FwUtil.h"
#include "winfw/Gdi.h"

namespace
{
const COLORREF kControlPointColour = 0x00800000;   // navy
const COLORREF kPendingPointColour = 0x00000080;   // maroon
}

CImageView::CImageView()
    : m_nZoom(1),
      m_nPrevZoom(1),
      m_nShapeType(SHAPE_POLYLINE),
      m_crDigitise(0x00FF0000),
      m_crPrevious(0x00800080),
      m_ptPending{-1, -1},
      m_pTransposed(nullptr),
      m_nTransposedWidth(0),
      m_nTransposedHeight(0),
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

CImageView::~CImageView()
{
    delete[] m_pTransposed;
}

BOOL CImageView::PreCreateWindow(CREATESTRUCTA& cs)
{
    return CScrollView::PreCreateWindow(cs);
}

void CImageView::SetZoom(int nZoom)
{
    m_nZoom = nZoom;
    ApplyZoom();
}

void CImageView::OnInitialUpdate()
{
    CScrollView::OnInitialUpdate();
    const ImageData& image = GetDocument()->m_image;
    SetScrollSizes(MM_TEXT, SIZE{static_cast<LONG>(image.nWidth), static_cast<LONG>(image.nHeight)});
    m_shape.RemoveAll();
}

void CImageView::OnUpdate(CView*, LPARAM, void*)
{
    m_nZoom = 1;
    m_nPrevZoom = 1;
    SetScrollPos(m_hWnd, SB_VERT, 0, TRUE);
    SetScrollPos(m_hWnd, SB_HORZ, 0, TRUE);
    ApplyZoom();
    delete[] m_pTransposed;
    m_pTransposed = nullptr;
}

void CImageView::ApplyZoom()
{
    CImageDoc* pDoc = GetDocument();
    if (pDoc->m_nMode == MODE_TRANSPOSED)
    {
        m_nZoom = 1;
        m_nPrevZoom = 1;
        SetScrollSizes(MM_TEXT, SIZE{m_nTransposedWidth, m_nTransposedHeight});
        SetScrollPos(m_hWnd, SB_HORZ, 0, TRUE);
        SetScrollPos(m_hWnd, SB_VERT, 0, TRUE);
    }
    else
    {
        const ImageData& image = pDoc->m_image;
        SetScrollSizes(MM_TEXT, SIZE{static_cast<LONG>(image.nWidth) * m_nZoom,
                                     static_cast<LONG>(image.nHeight) * m_nZoom});
        // The sizes may have limited the positions: scale what they left.
        POINT pt = GetScrollPosition();
        SetScrollPos(m_hWnd, SB_HORZ, pt.x / m_nPrevZoom * m_nZoom, FALSE);
        SetScrollPos(m_hWnd, SB_VERT, pt.y / m_nPrevZoom * m_nZoom, FALSE);
        m_nPrevZoom = m_nZoom;
    }
    InvalidateRect(m_hWnd, nullptr, FALSE);
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CImageView::PaintPixels(HDC hDC, const unsigned char* pRgb, int nWidth, int nHeight, int nZoom)
{
    const RECT& update = GetPaintRect();
    POINT scroll = GetScrollPosition();
    PixelRange range = PaintedPixelRange(scroll.x, scroll.y, update.left, update.top, update.right, update.bottom,
                                         nZoom, nWidth, nHeight);
    if (range.IsEmpty())
        return;
    ExpandPixelsToBgr(pRgb, nWidth, range, nZoom, m_paintBuffer);
    const int cx = (range.right - range.left) * nZoom;
    const int cy = (range.bottom - range.top) * nZoom;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;   // top row first
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
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
    const ImageData& image = GetDocument()->m_image;
    if (GetDocument()->m_nMode == MODE_TRANSPOSED)
    {
        if (m_pTransposed)
            painted = SIZE{m_nTransposedWidth, m_nTransposedHeight};
    }
    else if (image.pPixels)
    {
        painted = SIZE{static_cast<LONG>(image.nWidth) * m_nZoom, static_cast<LONG>(image.nHeight) * m_nZoom};
    }
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
        if (m_pTransposed)
            PaintPixels(hDC, m_pTransposed, m_nTransposedWidth, m_nTransposedHeight, 1);
        return;
    }
    const ImageData& image = pDoc->m_image;
    if (image.pPixels)
        PaintPixels(hDC, image.pPixels, static_cast<int>(image.nWidth), static_cast<int>(image.nHeight), m_nZoom);

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
    CGdiObject<HPEN> pen(CreatePen(PS_SOLID, 2, crColour));
    CSelectObject select(hDC, pen.Get());
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
    CGdiObject<HPEN> pen(CreatePen(PS_SOLID, 2, crColour));
    CSelectObject select(hDC, pen.Get());
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
    if (shape.GetSize() > 0 && (markFirst || m_nShapeType == SHAPE_POINT))
    {
        int x = shape.GetAt(0).x * m_nZoom - offset.x;
        int y = shape.GetAt(0).y * m_nZoom - offset.y;
        MoveToEx(hDC, x - 2, y - 2, nullptr);
        LineTo(hDC, x + 2, y + 2);
        MoveToEx(hDC, x - 2, y + 2, nullptr);
        LineTo(hDC, x + 2, y - 2);
    }
}
