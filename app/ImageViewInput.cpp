// The view's mouse handling in each interaction mode, the Georeference and
// Digitise commands with their menu state, and the two colour commands.
#include "app/ImageView.h"

#include "app/GeoRefDlg.h"
#include "app/res/resource.h"
#include "app/AddFeatureDlg.h"
#include "app/DigitiseDlg.h"
#include "core/crs/CrsSettings.h"
#include "core/view/InputRules.h"
#include "winfw/FwUtil.h"
#include "winbase/Handles.h"

namespace
{
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
                     [this](CCmdUI& ui) { ui.SetCheck(GetDocument()->m_nMode == MODE_GEOREFERENCE); });
    AddCommandUpdate(ID_VIEW_DIGITISE, [this](CCmdUI& ui) { ui.SetCheck(GetDocument()->m_nMode == MODE_DIGITISE); });
    AddCommand(ID_EDIT_DIGITISE_COLOUR, [this] { ChooseColour(m_crDigitise); });
    AddCommand(ID_EDIT_PREVIOUS_COLOUR, [this] { ChooseColour(m_crPrevious); });
}

POINT CImageView::ClientToPixel(POINT point) const
{
    POINT scroll = GetScrollPosition();
    ImagePixel pixel = ClientPointToPixel(point.x, point.y, scroll.x, scroll.y, m_nZoom);
    return POINT{pixel.column, pixel.row};
}

void CImageView::OnDigitise()
{
    CImageDoc* pDoc = GetDocument();
    if (pDoc->m_nMode == MODE_GEOREFERENCE)
    {
        CGeoRefArray& geoRef = pDoc->m_shapeFile.m_geoRef;
        // The points are kept beside the image whatever the fit makes of
        // them, so that the user can come back and add more.
        if (!pDoc->GetPathName().empty())
            geoRef.WritePointFile(pDoc->GetPathName().c_str());
        if (geoRef.CalcTransform())
        {
            CDigitiseDlg dlg;
            if (dlg.DoModal() == IDOK)
            {
                pDoc->m_nShapeType = dlg.m_nType;
                pDoc->m_nMode = MODE_DIGITISE;
            }
        }
        else
        {
            FwMessageBox(IDS_GEOREFERENCE_FAILED, MB_OK);
        }
        SetCursor(m_hDigitiseCursor);
    }
    if (pDoc->m_nMode == MODE_TRANSPOSED)
    {
        // Back to the scanned image; the resampled one is kept for Copy.
        pDoc->m_nMode = MODE_DIGITISE;
        ApplyZoom();
    }
}

void CImageView::OnGeoreference()
{
    CImageDoc* pDoc = GetDocument();
    if (pDoc->m_nMode != MODE_DIGITISE)
        return;
    if (FwMessageBox(IDS_SWITCH_TO_GEOREFERENCE, MB_YESNO | MB_DEFBUTTON2) == IDYES)
    {
        // The feature being digitised keeps its vertices, and the unsaved
        // flag its value: only the finished features go.
        pDoc->m_shapeFile.m_shapes.RemoveAll();
        pDoc->m_nMode = MODE_GEOREFERENCE;
        RepaintNow(m_hWnd, nullptr);
    }
    pDoc->m_transposed.Release();
}

void CImageView::OnLButtonDown(UINT, POINT point)
{
    CImageDoc* pDoc = GetDocument();
    if (pDoc->m_nMode == MODE_GEOREFERENCE)
    {
        EnterControlPoint(point);
        return;
    }
    if (pDoc->m_nMode != MODE_DIGITISE)
        return;
    POINT pixel = ClientToPixel(point);
    m_shape.Add(pixel.x, pixel.y);
    {
        UniqueWindowDc dc(m_hWnd);
        DrawShape(m_crDigitise, dc.Get(), m_shape, TRUE, TRUE);
    }
    // Every click is one point feature.
    if (pDoc->m_nShapeType == SHAPE_POINT)
    {
        FinishCurrentShape();
        RedrawWholeView(m_hWnd);
    }
}

void CImageView::EnterControlPoint(POINT point)
{
    RECT client;
    GetClientRect(m_hWnd, &client);
    m_ptPending = ClientToPixel(point);
    {
        UniqueWindowDc dc(m_hWnd);
        DrawMarker(kPendingPointColour, dc.Get(), m_ptPending.x, m_ptPending.y, TRUE);
    }
    CGeoRefDlg dlg;
    INT_PTR nResult = dlg.DoModal();
    m_ptPending = POINT{-1, -1};
    CImageDoc* pDoc = GetDocument();
    if (nResult == IDC_ADD)
    {
        // The scroll position may have changed while the dialog was open.
        POINT pixel = ClientToPixel(point);
        pDoc->m_shapeFile.m_geoRef.m_points.push_back(CGeoRefPoint(dlg.m_dEasting, dlg.m_dNorthing, pixel.x, pixel.y));
        // The marker and its label, which runs to the right.
        RECT label = {point.x - 10, point.y - 10, client.right, point.y + 20};
        RepaintNow(m_hWnd, &label);
    }
    else if (nResult == IDC_DELETE_ALL)
    {
        pDoc->m_shapeFile.m_geoRef.m_points.clear();
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
    CAddFeatureDlg dlg;
    const BOOL bAdd = dlg.DoModal() == IDOK;
    CImageDoc* pDoc = GetDocument();
    if (FinishShape(m_shape, pDoc->m_nShapeType, bAdd, dlg.m_strName, pDoc->m_shapeFile.m_shapes))
        pDoc->m_bShapesModified = 1;
}

void CImageView::OnLButtonDblClk(UINT, POINT)
{
    // The first press of the double-click has already added the vertex
    // under the cursor.
    if (GetDocument()->m_nMode != MODE_DIGITISE || m_shape.GetSize() == 0)
        return;
    FinishCurrentShape();
    RedrawWholeView(m_hWnd);
}

void CImageView::OnRButtonDown(UINT, POINT)
{
    CImageDoc* pDoc = GetDocument();
    if (pDoc->m_nMode == MODE_GEOREFERENCE)
    {
        OnDigitise();
    }
    else if (pDoc->m_nMode == MODE_DIGITISE && m_shape.GetSize() > 0)
    {
        RemoveLastVertex(m_shape);
        RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
}

void CImageView::OnMouseMove(UINT, POINT point)
{
    CImageDoc* pDoc = GetDocument();
    switch (pDoc->m_nMode)
    {
    case MODE_GEOREFERENCE: FwSetStatusText(LoadResString(IDS_GEOREFERENCE_HINT)); break;
    case MODE_DIGITISE:
    {
        SetCursor(m_hDigitiseCursor);
        POINT pixel = ClientToPixel(point);
        const CGeoRefArray& geoRef = pDoc->m_shapeFile.m_geoRef;
        double dMapX = 0.0, dMapY = 0.0;
        if (geoRef.PixelToMap(pixel.x, pixel.y, &dMapX, &dMapY))
        {
            // The system the read-out is in, when the image has one.
            const std::string strCrs =
                pDoc->m_crs.IsNone() ? std::string() : "  " + FormatCrsSetting(pDoc->m_crs.nEpsg);
            FwSetStatusText(FormatMapReadout(dMapX, dMapY, geoRef.GetRotation()) + strCrs + "  " +
                            LoadResString(IDS_DIGITISE_HINT));
        }
        break;
    }
    case MODE_TRANSPOSED: FwSetStatusText(LoadResString(IDS_TRANSPOSED_HINT)); break;
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
