// Edit Vertices and snapping in the view: handles on the chosen feature's
// vertices, dragging one, inserting on a segment, deleting; the snap marker
// under the cursor and the commands with their menu state. The rules (what
// is hit, where a click snaps, what an edit leaves) are the core's.
#include "app/ImageView.h"

#include <algorithm>
#include <cstdlib>

#include "app/DocumentCommands.h"
#include "app/SnapToleranceDlg.h"
#include "app/res/resource.h"
#include "core/shape/VertexEdit.h"
#include "winbase/Handles.h"
#include "winfw/FwUtil.h"
#include "winfw/WinApp.h"

namespace
{
const char kProfileSection[] = "Digitise";
const char kSnapEntry[] = "Snap";
const char kSnapToleranceEntry[] = "SnapTolerance";
// How near (screen pixels) a press must come to a vertex or segment to take it.
const int kVertexHitRadius = 6;
const int kHandleHalf = 3;
const int kSnapMarkerHalf = 7;
const COLORREF kHandleColour = 0x00000000;       // black frame, white inside
const COLORREF kSnapMarkerColour = 0x00FF00FF;   // magenta

void RedrawNow(HWND hWnd) { RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }
}   // namespace

void CImageView::AddVertexCommands()
{
    if (CWinApp* pApp = FwGetApp())
    {
        m_bSnap = pApp->GetProfileInt(kProfileSection, kSnapEntry, 0) != 0;
        int tolerance = pApp->GetProfileInt(kProfileSection, kSnapToleranceEntry, m_nSnapTolerance);
        if (ParseSnapTolerance(std::to_string(tolerance).c_str(), &tolerance))
            m_nSnapTolerance = tolerance;
    }
    AddCommand(ID_VIEW_EDIT_VERTICES, [this] { ToggleVertexEditing(); });
    AddCommand(ID_VIEW_SNAP, [this] { ToggleSnap(); });
    AddCommand(ID_VIEW_SNAP_TOLERANCE, [this] { ChooseSnapTolerance(); });
    AddCommandUpdate(ID_VIEW_EDIT_VERTICES, [this](CCmdUI& ui) {
        ui.Enable(GetDocument()->Session().Mode() == MODE_DIGITISE);
        ui.SetCheck(GetDocument()->Session().VertexEditing());
    });
    AddCommandUpdate(ID_VIEW_SNAP, [this](CCmdUI& ui) { ui.SetCheck(m_bSnap); });
}

void CImageView::ToggleVertexEditing()
{
    CImageDoc* pDoc = GetDocument();
    if (!Follow(*pDoc, pDoc->Session().SetVertexEditing(!pDoc->Session().VertexEditing()), this))
        return;
    if (m_nDragVertex >= 0)
        EndVertexDrag(false);
    FwSetStatusText(pDoc->Session().VertexEditing() ? LoadResString(IDS_EDIT_VERTICES_HINT)
                                                    : LoadResString(IDS_DIGITISE_HINT));
    RedrawNow(m_hWnd);
}

void CImageView::ToggleSnap()
{
    m_bSnap = !m_bSnap;
    if (CWinApp* pApp = FwGetApp())
        pApp->WriteProfileInt(kProfileSection, kSnapEntry, m_bSnap ? 1 : 0);
    UpdateSnapMarker(m_ptMouse);
}

void CImageView::ChooseSnapTolerance()
{
    CSnapToleranceDlg dlg;
    dlg.m_nPixels = m_nSnapTolerance;
    if (dlg.DoModal() != IDOK)
        return;
    m_nSnapTolerance = dlg.m_nPixels;
    if (CWinApp* pApp = FwGetApp())
        pApp->WriteProfileInt(kProfileSection, kSnapToleranceEntry, m_nSnapTolerance);
}

const CSnapIndex& CImageView::SnapIndex() const
{
    const CImageSession& session = GetDocument()->Session();
    if (m_nSnapIndexVersion != session.FeaturesVersion())
    {
        m_snapIndex.Build(session.Features(), session.ShapeType());
        m_nSnapIndexVersion = session.FeaturesVersion();
    }
    return m_snapIndex;
}

const CFeatureBoxes& CImageView::FeatureBoxes() const
{
    const CImageSession& session = GetDocument()->Session();
    if (m_nFeatureBoxesVersion != session.FeaturesVersion() || m_featureBoxes.GetSize() != session.Features().GetSize())
    {
        m_featureBoxes.Build(session.Features());
        m_nFeatureBoxesVersion = session.FeaturesVersion();
    }
    return m_featureBoxes;
}

SnapSources CImageView::FeatureSnapSources() const
{
    SnapSources sources;
    sources.pFeatures = &GetDocument()->Session().Features();
    sources.nShapeType = GetDocument()->Session().ShapeType();
    sources.pIndex = &SnapIndex();
    return sources;
}

ImagePoint CImageView::ClientToImagePoint(POINT client) const
{
    const POINT scroll = GetScrollPosition();
    const ImagePoint shown = ClientPointToImage(client.x, client.y, scroll.x, scroll.y, m_nZoom);
    const CShownGrid& grid = GetDocument()->Grid();
    if (!grid.IsReduced())
        return shown;
    // The corner of a shown pixel is where the full pixels under its centre
    // are drawn: the same place a click there gives (ShownToFull).
    return ImagePoint{(shown.x + 0.5) * grid.dScaleX, (shown.y + 0.5) * grid.dScaleY};
}

double CImageView::FullTolerance(int nScreenPixels) const
{
    const CShownGrid& grid = GetDocument()->Grid();
    return ImageTolerance(nScreenPixels, m_nZoom) * std::max(grid.dScaleX, grid.dScaleY);
}

SnapSources CImageView::DigitiseSnapSources(std::vector<CShapeVertex>& points) const
{
    // The control points' markers are targets too, as vertices.
    points.clear();
    for (const CGeoRefPoint& point : GetDocument()->Session().GeoRef().m_points)
        points.push_back({point.m_nPixelX, point.m_nPixelY});
    SnapSources sources = FeatureSnapSources();
    sources.pPoints = &points;
    sources.pCurrent = &m_shape;
    return sources;
}

POINT CImageView::SnappedPixel(POINT client, const SnapSources& sources, FeatureHit* pHit) const
{
    FeatureHit hit;
    if (m_bSnap)
    {
        hit = FindSnap(sources, ClientToImagePoint(client), FullTolerance(m_nSnapTolerance));
    }
    if (pHit)
        *pHit = hit;
    return hit.nKind != HitKind::None ? POINT{hit.at.x, hit.at.y} : ClientToPixel(client);
}

FeatureHit CImageView::SnapTargetAt(POINT client) const
{
    const ViewMode mode = GetDocument()->Session().Mode();
    if (!m_bSnap || client.x < 0 || (mode != MODE_DIGITISE && mode != MODE_GEOREFERENCE))
        return {};
    std::vector<CShapeVertex> points;
    SnapSources sources = DigitiseSnapSources(points);
    if (mode == MODE_GEOREFERENCE || m_nDragPoint >= 0)
        sources = FeatureSnapSources();   // a control point snaps to the features
    else if (m_nDragVertex >= 0)
    {
        sources = FeatureSnapSources();
        sources.nSkipFeature = m_nEditFeature;
        sources.nSkipVertex = m_nDragVertex;
    }
    else if (GetDocument()->Session().VertexEditing())
        return {};   // only what is dragged snaps
    FeatureHit hit;
    SnappedPixel(client, sources, &hit);
    return hit;
}

RECT CImageView::SnapMarkerRect(const FeatureHit& hit) const
{
    const POINT scroll = GetScrollPosition();
    const POINT at = ShownAt(hit.at.x, hit.at.y);
    const int x = at.x - scroll.x, y = at.y - scroll.y;
    return RECT{x - kSnapMarkerHalf - 2, y - kSnapMarkerHalf - 2, x + kSnapMarkerHalf + 3, y + kSnapMarkerHalf + 3};
}

void CImageView::UpdateSnapMarker(POINT point)
{
    const FeatureHit hit = SnapTargetAt(point);
    const bool same = hit.nKind == m_snapShown.nKind && hit.at == m_snapShown.at;
    if (same)
        return;
    if (m_snapShown.nKind != HitKind::None)
    {
        const RECT before = SnapMarkerRect(m_snapShown);
        InvalidateRect(m_hWnd, &before, TRUE);
    }
    m_snapShown = hit;
    if (hit.nKind != HitKind::None)
    {
        const RECT after = SnapMarkerRect(hit);
        InvalidateRect(m_hWnd, &after, TRUE);
    }
    UpdateWindow(m_hWnd);
}

void CImageView::DrawSnapMarker(HDC hDC)
{
    if (m_snapShown.nKind == HitKind::None)
        return;
    UniqueGdiObject<HPEN> pen(CreatePen(PS_SOLID, 2, kSnapMarkerColour));
    ScopedSelectObject selectPen(hDC, pen.Get());
    ScopedSelectObject selectBrush(hDC, GetStockObject(NULL_BRUSH));
    const POINT at = ShownAt(m_snapShown.at.x, m_snapShown.at.y);
    const int x = at.x, y = at.y, h = kSnapMarkerHalf;
    if (m_snapShown.nKind == HitKind::Vertex)
    {
        // A square round a vertex, a diamond on a segment.
        Rectangle(hDC, x - h, y - h, x + h + 1, y + h + 1);
        return;
    }
    const POINT diamond[] = {{x, y - h}, {x + h, y}, {x, y + h}, {x - h, y}, {x, y - h}};
    Polyline(hDC, diamond, 5);
}

void CImageView::DrawVertexHandles(HDC hDC)
{
    const CImageSession& session = GetDocument()->Session();
    if (!session.VertexEditing() || m_nEditFeature < 0 || m_nEditFeature >= session.Features().GetSize())
        return;
    std::vector<CShapeVertex> vertices = session.Features().GetAt(m_nEditFeature).Vertices();
    if (m_bVertexDragging)
        MoveVertex(vertices, session.ShapeType(), m_nDragVertex, {m_ptVertexDragPixel.x, m_ptVertexDragPixel.y});
    CShape shape;
    shape.SetVertices(vertices);
    DrawShape(kSelectedFeatureColour, hDC, shape, FALSE, FALSE, kSelectedFeatureWidth);
    UniqueGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, kHandleColour));
    ScopedSelectObject selectPen(hDC, pen.Get());
    ScopedSelectObject selectBrush(hDC, GetStockObject(WHITE_BRUSH));
    const int editable = EditableVertexCount(vertices, session.ShapeType());
    for (int i = 0; i < editable; ++i)
    {
        const POINT at = ShownAt(vertices[i].x, vertices[i].y);
        const int x = at.x, y = at.y;
        Rectangle(hDC, x - kHandleHalf, y - kHandleHalf, x + kHandleHalf + 1, y + kHandleHalf + 1);
    }
}

FeatureHit CImageView::EditFeatureHit(POINT point) const
{
    const CImageSession& session = GetDocument()->Session();
    if (m_nEditFeature < 0 || m_nEditFeature >= session.Features().GetSize())
        return {};
    FeatureHit hit = HitShape(session.Features().GetAt(m_nEditFeature), session.ShapeType(), ClientToImagePoint(point),
                              FullTolerance(kVertexHitRadius));
    hit.nFeature = m_nEditFeature;
    return hit;
}

void CImageView::VertexEditDown(POINT point)
{
    const FeatureHit hit = EditFeatureHit(point);
    if (hit.nKind == HitKind::Vertex)
    {
        m_nDragVertex = hit.nVertex;
        m_bVertexDragging = false;
        m_ptVertexDragStart = point;
        m_ptVertexDragPixel = POINT{hit.at.x, hit.at.y};
        SetCapture(m_hWnd);
        return;
    }
    if (hit.nKind == HitKind::Segment)
        return;
    // Elsewhere: the feature under the click is the one edited.
    const FeatureHit other = FindSnap(FeatureSnapSources(), ClientToImagePoint(point), FullTolerance(kVertexHitRadius));
    if (other.nKind != HitKind::None && other.nFeature >= 0 && other.nFeature != m_nEditFeature)
    {
        m_nEditFeature = other.nFeature;
        RedrawNow(m_hWnd);
    }
    if (other.nKind != HitKind::None && other.nFeature >= 0 && m_onFeaturePicked)
        m_onFeaturePicked(other.nFeature);
}

bool CImageView::VertexEditMove(UINT nFlags, POINT point)
{
    if (m_nDragVertex < 0)
        return false;
    if (!(nFlags & MK_LBUTTON))
    {
        EndVertexDrag(false);   // the button came up elsewhere
        return true;
    }
    if (!m_bVertexDragging && (std::abs(point.x - m_ptVertexDragStart.x) > GetSystemMetrics(SM_CXDRAG) ||
                               std::abs(point.y - m_ptVertexDragStart.y) > GetSystemMetrics(SM_CYDRAG)))
        m_bVertexDragging = true;
    if (!m_bVertexDragging)
        return true;
    const POINT pixel = SnappedPixel(point, [this] {
        SnapSources sources = FeatureSnapSources();
        sources.nSkipFeature = m_nEditFeature;
        sources.nSkipVertex = m_nDragVertex;
        return sources;
    }());
    if (pixel.x != m_ptVertexDragPixel.x || pixel.y != m_ptVertexDragPixel.y)
    {
        m_ptVertexDragPixel = pixel;
        RedrawNow(m_hWnd);
    }
    return true;
}

void CImageView::EndVertexDrag(bool bDrop)
{
    const int vertex = m_nDragVertex;
    const bool dragged = m_bVertexDragging;
    m_nDragVertex = -1;
    m_bVertexDragging = false;
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
    CImageDoc* pDoc = GetDocument();
    // Dropped where it was last drawn: the mouse's pixel, or its snap target.
    if (!bDrop || !dragged ||
        !Follow(*pDoc, pDoc->Session().MoveFeatureVertex(m_nEditFeature, vertex, m_ptVertexDragPixel.x,
                                                         m_ptVertexDragPixel.y)))
        RedrawNow(m_hWnd);
}

void CImageView::InsertVertexAt(POINT point)
{
    const FeatureHit hit = EditFeatureHit(point);
    if (hit.nKind != HitKind::Segment)
        return;
    CImageDoc* pDoc = GetDocument();
    Follow(*pDoc, pDoc->Session().InsertFeatureVertex(m_nEditFeature, hit.nVertex, hit.at.x, hit.at.y), this);
    RedrawNow(m_hWnd);
}

void CImageView::DeleteVertexAt(POINT point)
{
    const FeatureHit hit = EditFeatureHit(point);
    if (hit.nKind != HitKind::Vertex)
        return;
    CImageDoc* pDoc = GetDocument();
    Follow(*pDoc, pDoc->Session().DeleteFeatureVertex(m_nEditFeature, hit.nVertex), this);
    RedrawNow(m_hWnd);
}

void CImageView::AbandonCurrentFeature()
{
    CImageDoc* pDoc = GetDocument();
    const int count = m_shape.GetSize();
    if (count == 0)
        return;
    // Two clicks are soon made again; more are asked about first.
    if (count > 2 && FwMessageBox(LoadResStringWith(IDS_ABANDON_FEATURE, {std::to_string(count)}),
                                  MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    Follow(*pDoc, pDoc->Session().DiscardFeature(), this);
    RedrawNow(m_hWnd);
}

void CImageView::OnKeyDown(UINT nVirtualKey)
{
    CImageDoc* pDoc = GetDocument();
    const bool digitising = pDoc->Session().Mode() == MODE_DIGITISE;
    const bool editing = pDoc->Session().VertexEditing();
    switch (nVirtualKey)
    {
    case VK_BACK:
        if (digitising && !editing && m_shape.GetSize() > 0)
        {
            Follow(*pDoc, pDoc->Session().RemoveVertex(), this);
            RedrawNow(m_hWnd);
        }
        break;
    case VK_ESCAPE:
        if (m_nDragVertex >= 0)
            EndVertexDrag(false);
        else if (digitising && !editing)
            AbandonCurrentFeature();
        break;
    case VK_DELETE:
        if (editing)
            DeleteVertexAt(m_ptMouse);
        break;
    case VK_TAB:
        // The start page's controls are reached from the keyboard this way.
        m_startPage.TakeFocus();
        break;
    case 'V':
    case 'S':
    case 'N':
    case 'T':
    case 'H':
        // With Ctrl or Alt the letters are other commands'.
        if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0)
            break;
        if (nVirtualKey == 'V')
            ToggleVertexEditing();
        else if (nVirtualKey == 'S')
            ToggleSnap();
        else if (nVirtualKey == 'N')
            TraceNeighbour();
        else if (nVirtualKey == 'H')
            AddHole();
        else
            ToggleTraceLines();
        break;
    }
}
