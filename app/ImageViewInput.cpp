// The view's mouse handling in each interaction mode, the Georeference and
// Digitise commands with their menu state, and the two colour commands.
#include "app/ImageView.h"

#include <cstdlib>

#include "app/GeoRefDlg.h"
#include "app/res/resource.h"
#include "app/AddFeatureDlg.h"
#include "app/DigitiseDlg.h"
#include "core/crs/CrsSettings.h"
#include "core/view/InputRules.h"
#include "winfw/FwUtil.h"
#include "winbase/Handles.h"
#include "app/DocumentCommands.h"

namespace
{
// How near a press must come to a marker (client pixels) to take it.
const int kMarkerHitRadius = 6;

// Redraws the whole view at once. Invalidating without erasing first and
// then with erasing keeps the order of the requests the painting expects.
void RedrawWholeView(HWND hWnd)
{
    InvalidateRect(hWnd, nullptr, FALSE);
    RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void RepaintNow(HWND hWnd, const RECT* pRect)
{
    InvalidateRect(hWnd, pRect, TRUE);
    UpdateWindow(hWnd);
}
}

void CImageView::AddInputCommands()
{
    AddCommand(ID_VIEW_GEOREFERENCE, [this] { OnGeoreference(); });
    AddCommand(ID_VIEW_DIGITISE, [this] { OnDigitise(); });
    AddCommandUpdate(ID_VIEW_GEOREFERENCE,
                     [this](CCmdUI& ui) { ui.SetCheck(GetDocument()->Session().Mode() == MODE_GEOREFERENCE); });
    AddCommandUpdate(ID_VIEW_DIGITISE,
                     [this](CCmdUI& ui) { ui.SetCheck(GetDocument()->Session().Mode() == MODE_DIGITISE); });
    AddCommand(ID_EDIT_DIGITISE_COLOUR, [this] { ChooseColour(m_crDigitise); });
    AddCommand(ID_EDIT_PREVIOUS_COLOUR, [this] { ChooseColour(m_crPrevious); });
    AddVertexCommands();
    AddTraceCommands();
}

POINT CImageView::ClientToPixel(POINT point) const
{
    POINT scroll = GetScrollPosition();
    const ImagePixel shown = ClientPointToPixel(point.x, point.y, scroll.x, scroll.y, m_nZoom);
    const ImagePixel pixel = ShownToFull(GetDocument()->Grid(), shown.column, shown.row);
    return POINT{pixel.column, pixel.row};
}

void CImageView::OnDigitise()
{
    CImageDoc* pDoc = GetDocument();
    if (pDoc->Session().Mode() == MODE_GEOREFERENCE)
    {
        if (Follow(*pDoc, pDoc->Session().FitPoints(), this))
        {
            CDigitiseDlg dlg;
            dlg.m_bTypeFixed = pDoc->Session().ShapeTypeFixed();
            dlg.m_nFixedType = pDoc->Session().ShapeType();
            if (dlg.DoModal() == IDOK)
                Follow(*pDoc, pDoc->Session().StartDigitising(dlg.m_nType), this);
        }
        SetCursor(m_hDigitiseCursor);
    }
    if (Follow(*pDoc, pDoc->Session().ShowScan(), this))
        ApplyZoom();
}

void CImageView::OnGeoreference()
{
    CImageDoc* pDoc = GetDocument();
    if (pDoc->Session().Mode() != MODE_DIGITISE)
        return;
    if (FwMessageBox(IDS_SWITCH_TO_GEOREFERENCE, MB_YESNO | MB_DEFBUTTON2) == IDYES)
    {
        Follow(*pDoc, pDoc->Session().BackToGeoreferencing(), this);
        RepaintNow(m_hWnd, nullptr);
    }
    // Asked is enough: the north-up copy is made anew next time.
    Follow(*pDoc, pDoc->Session().DropNorthUp(), this);
}

void CImageView::OnLButtonDown(UINT, POINT point)
{
    CImageDoc* pDoc = GetDocument();
    if (pDoc->Session().Mode() == MODE_GEOREFERENCE)
    {
        const POINT scroll = GetScrollPosition();
        const int hit = HitMarker(pDoc->Session().GeoRef().m_points, point.x, point.y, scroll.x, scroll.y, m_nZoom,
                                  kMarkerHitRadius, pDoc->Grid());
        if (hit >= 0)
            BeginPointDrag(hit, point);   // a click after all unless the mouse moves
        else
            EnterControlPoint(point);
        return;
    }
    if (pDoc->Session().Mode() != MODE_DIGITISE)
        return;
    if (pDoc->Session().VertexEditing())
    {
        VertexEditDown(point);
        return;
    }
    std::vector<CShapeVertex> points;
    const POINT pixel = SnappedPixel(point, DigitiseSnapSources(points));
    // With Trace Lines on, the click takes the proposed path whole.
    const std::vector<CShapeVertex> traced = TracedPathTo(pixel);
    if (!m_tracePreview.empty())
    {
        const RECT preview = TracePreviewRect();
        m_tracePreview.clear();
        InvalidateRect(m_hWnd, &preview, TRUE);
        UpdateWindow(m_hWnd);
    }
    Follow(*pDoc,
           traced.size() >= 2 ? pDoc->Session().AddTracedVertices(traced) : pDoc->Session().AddVertex(pixel.x, pixel.y),
           this);
    {
        UniqueWindowDc dc(m_hWnd);
        DrawShape(m_crDigitise, dc.Get(), m_shape, TRUE, TRUE);
    }
    // Every click is one point feature.
    if (pDoc->Session().ShapeType() == SHAPE_POINT)
    {
        FinishCurrentShape();
        RedrawWholeView(m_hWnd);
    }
}

void CImageView::EnterControlPoint(POINT point)
{
    RECT client;
    GetClientRect(m_hWnd, &client);
    FeatureHit snap;
    const POINT snapped = SnappedPixel(point, FeatureSnapSources(), &snap);
    m_ptPending = snapped;
    {
        UniqueWindowDc dc(m_hWnd);
        DrawMarker(kPendingPointColour, dc.Get(), m_ptPending.x, m_ptPending.y, TRUE);
    }
    CGeoRefDlg dlg;
    // Beside the point being entered, never over it.
    dlg.m_bAnchored = true;
    dlg.m_ptAnchor = point;
    ClientToScreen(m_hWnd, &dlg.m_ptAnchor);
    INT_PTR nResult = dlg.DoModal();
    m_ptPending = POINT{-1, -1};
    CImageDoc* pDoc = GetDocument();
    if (nResult == IDC_ADD)
    {
        // The scroll position may have changed while the dialog was open.
        POINT pixel = snap.nKind != HitKind::None ? snapped : ClientToPixel(point);
        CGeoRefPoint added(dlg.m_dEasting, dlg.m_dNorthing, pixel.x, pixel.y);
        added.m_strMapX = dlg.m_strEasting;
        added.m_strMapY = dlg.m_strNorthing;
        Follow(*pDoc, pDoc->Session().AddPoint(added), this);
        // The marker and its label, which runs to the right; every residual
        // changes with a new point when they are shown.
        RECT label = {point.x - 10, point.y - 10, client.right, point.y + 20};
        RepaintNow(m_hWnd, m_bShowResiduals ? nullptr : &label);
    }
    else if (nResult == IDC_DELETE_ALL)
    {
        Follow(*pDoc, pDoc->Session().DeleteAllPoints(), this);
        RepaintNow(m_hWnd, nullptr);
    }
    else
    {
        RECT marker = {point.x - 10, point.y - 10, point.x + 10, point.y + 10};
        RepaintNow(m_hWnd, &marker);
    }
}

void CImageView::FinishCurrentShape()
{
    CImageDoc* pDoc = GetDocument();
    // A hole that does not fit is told before the name is asked, and the
    // feature stays as drawn.
    const CSessionOutcome check = pDoc->Session().CheckFinish();
    if (!check.messages.empty())
    {
        Follow(*pDoc, check, this);
        return;
    }
    CAddFeatureDlg dlg;
    // The fields start as a new feature's: their defaults or the last values.
    dlg.m_pSession = &pDoc->Session();
    dlg.m_values = pDoc->Session().Features().NewFeatureValues();
    const BOOL bAdd = dlg.DoModal() == IDOK;
    if (m_shape.GetSize() == 0)
        return;
    // Finished with its name, or thrown away: either can be taken back.
    Follow(*pDoc, bAdd ? pDoc->Session().FinishFeature(dlg.m_strName, dlg.m_values) : pDoc->Session().DiscardFeature(),
           this);
}

void CImageView::OnLButtonDblClk(UINT, POINT point)
{
    if (GetDocument()->Session().VertexEditing())
    {
        InsertVertexAt(point);
        return;
    }
    // The first press of the double-click has already added the vertex
    // under the cursor.
    if (GetDocument()->Session().Mode() != MODE_DIGITISE || m_shape.GetSize() == 0)
        return;
    FinishCurrentShape();
    RedrawWholeView(m_hWnd);
}

void CImageView::OnRButtonDown(UINT, POINT point)
{
    CImageDoc* pDoc = GetDocument();
    if (pDoc->Session().VertexEditing())
        DeleteVertexAt(point);
    else if (pDoc->Session().Mode() == MODE_GEOREFERENCE)
    {
        OnDigitise();
    }
    else if (pDoc->Session().Mode() == MODE_DIGITISE && m_shape.GetSize() > 0)
    {
        Follow(*pDoc, pDoc->Session().RemoveVertex(), this);
        RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
}

void CImageView::BeginPointDrag(int nIndex, POINT point)
{
    m_nDragPoint = nIndex;
    m_bDragging = false;
    m_ptDragStart = point;
    // Where the marker is drawn until it moves.
    const CGeoRefPoint& dragged = GetDocument()->Session().GeoRef().m_points[nIndex];
    m_ptDragPixel = POINT{dragged.m_nPixelX, dragged.m_nPixelY};
    SetCapture(m_hWnd);
}

RECT CImageView::MarkerBand(POINT pixel) const
{
    // A marker with its ring, and its label running to the right.
    RECT client;
    GetClientRect(m_hWnd, &client);
    const POINT scroll = GetScrollPosition();
    const POINT at = ShownAt(pixel.x, pixel.y);
    const int x = at.x - scroll.x, y = at.y - scroll.y;
    return RECT{x - 10, y - 10, client.right, y + 20};
}

void CImageView::EndPointDrag(POINT point, bool bDrop)
{
    const int index = m_nDragPoint;
    const bool dragged = m_bDragging;
    m_nDragPoint = -1;
    m_bDragging = false;
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
    CImageDoc* pDoc = GetDocument();
    const std::vector<CGeoRefPoint>& points = pDoc->Session().GeoRef().m_points;
    if (!bDrop || index < 0 || index >= static_cast<int>(points.size()))
    {
        RedrawWholeView(m_hWnd);
        return;
    }
    if (!dragged)
    {
        // Pressed and let go on a marker: a click, which enters a point.
        EnterControlPoint(m_ptDragStart);
        return;
    }
    const POINT pixel = SnappedPixel(point, FeatureSnapSources());
    // Let go where it was taken: nothing changes, the marker goes back.
    if (!Follow(*pDoc, pDoc->Session().MovePoint(index, pixel.x, pixel.y)))
        RedrawWholeView(m_hWnd);
}

void CImageView::OnLButtonUp(UINT, POINT point)
{
    if (m_nDragPoint >= 0)
        EndPointDrag(point, true);
    else if (m_nDragVertex >= 0)
        EndVertexDrag(true);
}

void CImageView::OnMouseMove(UINT nFlags, POINT point)
{
    CImageDoc* pDoc = GetDocument();
    m_ptMouse = point;
    VertexEditMove(nFlags, point);
    UpdateSnapMarker(point);
    UpdateTracePreview(point);
    if (m_nDragPoint >= 0)
    {
        if (!(nFlags & MK_LBUTTON))
        {
            EndPointDrag(point, false);   // the button came up elsewhere
        }
        else
        {
            if (!m_bDragging && (std::abs(point.x - m_ptDragStart.x) > GetSystemMetrics(SM_CXDRAG) ||
                                 std::abs(point.y - m_ptDragStart.y) > GetSystemMetrics(SM_CYDRAG)))
                m_bDragging = true;
            const POINT pixel = SnappedPixel(point, FeatureSnapSources());
            if (m_bDragging && (pixel.x != m_ptDragPixel.x || pixel.y != m_ptDragPixel.y))
            {
                // Only where the marker and its label were and now are.
                const RECT before = MarkerBand(m_ptDragPixel), after = MarkerBand(pixel);
                m_ptDragPixel = pixel;
                InvalidateRect(m_hWnd, &before, TRUE);
                RepaintNow(m_hWnd, &after);
            }
        }
    }
    switch (pDoc->Session().Mode())
    {
    case MODE_GEOREFERENCE:
        FwSetStatusText(LoadResString(IDS_GEOREFERENCE_HINT) +
                        (pDoc->Grid().IsReduced() ? "  " + ReducedNote(*pDoc) : std::string()));
        break;
    case MODE_DIGITISE:
    {
        SetCursor(m_hDigitiseCursor);
        POINT pixel = ClientToPixel(point);
        const CGeoRefArray& geoRef = pDoc->Session().GeoRef();
        double dMapX = 0.0, dMapY = 0.0;
        if (geoRef.PixelToMap(pixel.x, pixel.y, &dMapX, &dMapY))
        {
            // The system the read-out is in, when the image has one.
            const std::string strCrs =
                pDoc->Session().Crs().IsNone() ? std::string() : "  " + FormatCrsSetting(pDoc->Session().Crs().nEpsg);
            // What a click would snap to, and which tool the clicks are for.
            const std::string strSnap = m_snapShown.nKind == HitKind::None     ? std::string()
                                        : m_snapShown.nKind == HitKind::Vertex ? LoadResString(IDS_SNAP_VERTEX) + "  "
                                                                               : LoadResString(IDS_SNAP_SEGMENT) + "  ";
            // Typed in another system: the same place there first.
            std::string strTyped;
            CMapXY typed{dMapX, dMapY};
            if (pDoc->Session().PointsCarried() && pDoc->Session().TypedAt(&typed))
                strTyped =
                    FormatTypedReadout(typed.x, typed.y, pDoc->Session().PointsCrs().bGeographic) + " \xE2\x80\x94 ";
            FwSetStatusText(
                strTyped + FormatMapReadout(dMapX, dMapY, geoRef.GetRotation()) + strCrs + "  " + strSnap +
                LoadResString(pDoc->Session().VertexEditing() ? IDS_EDIT_VERTICES_HINT : IDS_DIGITISE_HINT) +
                (pDoc->Grid().IsReduced() ? "  " + ReducedNote(*pDoc) : std::string()));
        }
        break;
    }
    case MODE_TRANSPOSED:
        FwSetStatusText(LoadResString(IDS_TRANSPOSED_HINT) +
                        (pDoc->Grid().IsReduced() ? "  " + ReducedNote(*pDoc) : std::string()));
        break;
    case MODE_NONE: break;
    }
}

void CImageView::ChooseColour(COLORREF& crColour)
{
    COLORREF crChosen = crColour;
    if (!FwChooseColour(crChosen))
        return;
    crColour = crChosen;
    RedrawWholeView(m_hWnd);
}
