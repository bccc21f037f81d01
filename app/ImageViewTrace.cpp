// Trace Neighbour and Trace Lines in the view: the key and menu commands,
// the proposed path under the cursor and the click that takes it. Which
// stretch and which path are the core's (core/trace); the view only hands
// it the pixels and the vertices, and draws what comes back.
#include "app/ImageView.h"

#include <algorithm>
#include <climits>

#include "app/DocumentCommands.h"
#include "app/res/resource.h"
#include "winbase/Handles.h"
#include "winfw/FwUtil.h"

namespace
{
// How far from the last vertex the line's colour is looked for: a click
// lands on a line's edge as often as on its middle.
const int kLineColourRadius = 2;
const COLORREF kTracePreviewColour = 0x00FFFF00;   // cyan: stands out on paper and on dark ink

void RedrawNow(HWND hWnd) { RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }
}   // namespace

void CImageView::AddTraceCommands()
{
    AddCommand(ID_VIEW_TRACE_NEIGHBOUR, [this] { TraceNeighbour(); });
    AddCommand(ID_VIEW_TRACE_LINES, [this] { ToggleTraceLines(); });
    AddCommandUpdate(ID_VIEW_TRACE_NEIGHBOUR, [this](CCmdUI& ui) {
        const CImageSession& session = GetDocument()->Session();
        ui.Enable(session.Mode() == MODE_DIGITISE && !session.VertexEditing() && m_shape.GetSize() >= 2);
    });
    AddCommandUpdate(ID_VIEW_TRACE_LINES, [this](CCmdUI& ui) { ui.SetCheck(m_bTraceLines); });
    AddCommand(ID_VIEW_ADD_HOLE, [this] { AddHole(); });
    AddCommandUpdate(ID_VIEW_ADD_HOLE, [this](CCmdUI& ui) {
        const CImageSession& session = GetDocument()->Session();
        ui.Enable(session.Mode() == MODE_DIGITISE && !session.VertexEditing() && session.ShapeType() == SHAPE_POLYGON &&
                  m_shape.GetSize() > 0);
    });
}

void CImageView::AddHole()
{
    CImageDoc* pDoc = GetDocument();
    if (pDoc->Session().Mode() != MODE_DIGITISE || pDoc->Session().VertexEditing())
        return;
    if (Follow(*pDoc, pDoc->Session().AddHole(), this))
        FwSetStatusText(LoadResString(IDS_HOLE_HINT));
    RedrawNow(m_hWnd);
}

void CImageView::TraceNeighbour()
{
    CImageDoc* pDoc = GetDocument();
    if (pDoc->Session().Mode() != MODE_DIGITISE || pDoc->Session().VertexEditing())
        return;
    if (!Follow(*pDoc, pDoc->Session().TraceNeighbour(), this))
    {
        FwSetStatusText(LoadResString(IDS_NO_NEIGHBOUR_STRETCH));
        return;
    }
    m_tracePreview.clear();
    RedrawNow(m_hWnd);
}

void CImageView::ToggleTraceLines()
{
    m_bTraceLines = !m_bTraceLines;
    if (m_bTraceLines)
        FwSetStatusText(LoadResString(IDS_TRACE_HINT));
    UpdateTracePreview(m_ptMouse);
}

std::vector<CShapeVertex> CImageView::TracedPathTo(POINT to)
{
    const CImageDoc* pDoc = GetDocument();
    const CImageSession& session = pDoc->Session();
    const CRgbImage& image = pDoc->Image();
    // A hole just begun has no vertex to trace from yet.
    if (!m_bTraceLines || session.Mode() != MODE_DIGITISE || session.VertexEditing() ||
        m_shape.GetSize() == m_shape.RingBegin(m_shape.RingCount() - 1) || session.ShapeType() == SHAPE_POINT ||
        image.IsEmpty())
        return {};
    // The search runs over the pixels on show; a scan shown reduced is
    // traced at its reduced level and the path taken back to full pixels.
    const CShownGrid& grid = pDoc->Grid();
    const CShapeVertex last = m_shape.GetAt(m_shape.GetSize() - 1);
    const ImagePixel from = FullToShown(grid, last.x, last.y), end = FullToShown(grid, to.x, to.y);
    const TraceImage pixels{image.Pixels(), image.Width(), image.Height(), image.RowBytes()};
    // The line followed is the dark one the last vertex was put on.
    const CShapeVertex start = {from.column, from.row};
    std::vector<CShapeVertex> path =
        TraceLine(m_tracer, pixels, start, {end.column, end.row}, LineColourAt(pixels, start, kLineColourRadius));
    if (path.size() < 2)
        return {};
    for (CShapeVertex& v : path)
    {
        const ImagePixel full = ShownToFull(grid, v.x, v.y);
        v = {full.column, full.row};
    }
    // The ends exactly where the last vertex and the click are.
    path.front() = last;
    path.back() = {to.x, to.y};
    return path;
}

RECT CImageView::TracePreviewRect() const
{
    RECT rect = {0, 0, 0, 0};
    if (m_tracePreview.empty())
        return rect;
    const POINT scroll = GetScrollPosition();
    rect = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (const CShapeVertex& v : m_tracePreview)
    {
        const POINT at = ShownAt(v.x, v.y);
        rect.left = std::min<LONG>(rect.left, at.x - scroll.x);
        rect.top = std::min<LONG>(rect.top, at.y - scroll.y);
        rect.right = std::max<LONG>(rect.right, at.x - scroll.x);
        rect.bottom = std::max<LONG>(rect.bottom, at.y - scroll.y);
    }
    InflateRect(&rect, 3, 3);
    return rect;
}

void CImageView::UpdateTracePreview(POINT point)
{
    std::vector<CShapeVertex> path;
    if (m_bTraceLines && point.x >= 0 && m_shape.GetSize() > 0)
    {
        std::vector<CShapeVertex> points;
        path = TracedPathTo(SnappedPixel(point, DigitiseSnapSources(points)));
    }
    if (path == m_tracePreview)
        return;
    const RECT before = TracePreviewRect();
    InvalidateRect(m_hWnd, &before, TRUE);
    m_tracePreview = std::move(path);
    const RECT after = TracePreviewRect();
    InvalidateRect(m_hWnd, &after, TRUE);
    UpdateWindow(m_hWnd);
}

void CImageView::DrawTracePreview(HDC hDC)
{
    if (m_tracePreview.size() < 2)
        return;
    std::vector<POINT> points;
    points.reserve(m_tracePreview.size());
    for (const CShapeVertex& v : m_tracePreview)
        points.push_back(ShownAt(v.x, v.y));
    UniqueGdiObject<HPEN> pen(CreatePen(PS_SOLID, 2, kTracePreviewColour));
    ScopedSelectObject selectPen(hDC, pen.Get());
    Polyline(hDC, points.data(), static_cast<int>(points.size()));
}
