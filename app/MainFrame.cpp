#include "app/MainFrame.h"

#include "app/DocumentCommands.h"
#include "app/FeatureOpen.h"
#include "app/FeatureSave.h"
#include "app/GeoTiffExport.h"
#include "app/PointInterchangeCommands.h"
#include "app/res/resource.h"
#include "winfw/FwIds.h"
#include "winfw/View.h"

namespace
{
// The message pane, then the caps, num and scroll lock indicators.
const UINT kIndicators[] = {
    ID_SEPARATOR,
    ID_INDICATOR_CAPS,
    ID_INDICATOR_NUM,
    ID_INDICATOR_SCRL,
};
}

CMainFrame::CMainFrame()
{
    AddCommand(ID_VIEW_CONTROL_POINTS, [this] {
        if (CControlPointsWnd* pWnd = GetControlPointsWnd())
            pWnd->Toggle();
    });
    AddCommandUpdate(ID_VIEW_CONTROL_POINTS, [this](CCmdUI& ui) { ui.SetCheck(m_wndControlPoints.IsOpen()); });
    AddCommand(ID_VIEW_FEATURES, [this] {
        if (CFeaturesWnd* pWnd = GetFeaturesWnd())
            pWnd->Toggle();
    });
    AddCommandUpdate(ID_VIEW_FEATURES, [this](CCmdUI& ui) { ui.SetCheck(m_wndFeatures.IsOpen()); });
    AddDocumentCommands();
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_clipboardOffer.OnOwnerMessage(m_hWnd, message, wParam))
        return 0;
    return CFrameWnd::WindowProc(message, wParam, lParam);
}

int CMainFrame::OnCreate(LPCREATESTRUCTW lpCreateStruct)
{
    if (CFrameWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    if (!m_wndStatusBar.Create(m_hWnd, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR))
        return -1;
    if (!m_wndStatusBar.SetIndicators(kIndicators, sizeof(kIndicators) / sizeof(kIndicators[0])))
        return -1;
    return 0;
}

CControlPointsWnd* CMainFrame::GetControlPointsWnd()
{
    if (!m_wndControlPoints.m_hWnd && (!m_hWnd || !m_wndControlPoints.CreateTool(m_hWnd)))
        return nullptr;
    return &m_wndControlPoints;
}

CFeaturesWnd* CMainFrame::GetFeaturesWnd()
{
    if (!m_wndFeatures.m_hWnd && (!m_hWnd || !m_wndFeatures.CreateTool(m_hWnd)))
        return nullptr;
    return &m_wndFeatures;
}

void CMainFrame::RestoreToolWindows()
{
    if (CControlPointsWnd* pWnd = GetControlPointsWnd())
        pWnd->RestoreOpenState();
    if (CFeaturesWnd* pWnd = GetFeaturesWnd())
        pWnd->RestoreOpenState();
}

CImageDoc* CMainFrame::ImageDoc() const
{
    // As the commands reach a document: through the active view.
    CView* pView = GetActiveView();
    return pView ? static_cast<CImageDoc*>(pView->GetDocument()) : nullptr;
}

BOOL CMainFrame::SaveModified()
{
    CImageDoc* pDoc = ImageDoc();
    return !pDoc || AskToSaveFeatures(pDoc->Session(), pDoc->GetPathName()) ? TRUE : FALSE;
}

void CMainFrame::AddDocumentCommands()
{
    // The document has no file of its own to save: Save and Save As write
    // the shapefile, and never over the opened image. Save writes back to
    // the features' file and asks for one (Save As) while there is none.
    for (const UINT nID : {ID_FILE_SAVE_AS, ID_FILE_SAVE})
    {
        AddCommand(nID, [this, nID] {
            if (CImageDoc* pDoc = ImageDoc())
            {
                if (nID == ID_FILE_SAVE)
                    SaveFeatures(pDoc->Session(), pDoc->GetPathName());
                else
                    SaveFeaturesAs(pDoc->Session(), pDoc->GetPathName());
            }
        });
        AddCommandUpdate(nID, [this](CCmdUI& ui) { ui.Enable(ImageDoc() != nullptr); });
    }
    AddCommand(ID_FILE_OPEN_FEATURES, [this] {
        if (CImageDoc* pDoc = ImageDoc())
            OpenFeaturesOf(*pDoc, std::string());
    });
    AddCommandUpdate(ID_FILE_OPEN_FEATURES, [this](CCmdUI& ui) {
        const CImageDoc* pDoc = ImageDoc();
        ui.Enable(pDoc && pDoc->Session().Mode() != MODE_NONE);
    });
    AddCommand(ID_FILE_EXPORT_GEOTIFF, [this] {
        if (CImageDoc* pDoc = ImageDoc())
            ExportGeoTiffOf(*pDoc);
    });
    AddCommandUpdate(ID_FILE_EXPORT_GEOTIFF, [this](CCmdUI& ui) {
        const CImageDoc* pDoc = ImageDoc();
        ui.Enable(pDoc && CanExportGeoTiff(pDoc->Session()));
    });
    const struct
    {
        UINT nId;
        void (*run)(CImageDoc&);
        bool (*can)(const CImageSession&);
    } interchange[] = {
        {ID_FILE_IMPORT_POINTS, ImportQgisPoints, [](const CImageSession& s) { return s.Mode() != MODE_NONE; }},
        {ID_FILE_EXPORT_POINTS, ExportQgisPoints,
         [](const CImageSession& s) { return s.Mode() != MODE_NONE && !s.GeoRef().m_points.empty(); }},
        {ID_FILE_EXPORT_GDAL, ExportGdalVrt, CanExportFitOf},
        {ID_FILE_EXPORT_IIIF, ExportIiifAnnotation, CanExportIiif},
        {ID_FILE_SAVE_WORLD_FILE, SaveScanWorldFile, CanSaveScanWorldFile},
        {ID_FILE_EXPORT_FIT_REPORT, ExportFitReport, CanExportFitOf},
    };
    for (const auto& command : interchange)
    {
        AddCommand(command.nId, [this, run = command.run] {
            if (CImageDoc* pDoc = ImageDoc())
                run(*pDoc);
        });
        AddCommandUpdate(command.nId, [this, can = command.can](CCmdUI& ui) {
            const CImageDoc* pDoc = ImageDoc();
            ui.Enable(pDoc && can(pDoc->Session()));
        });
    }
    AddCommand(ID_VIEW_COORDINATE_SYSTEM, [this] {
        if (CImageDoc* pDoc = ImageDoc())
            ChooseCoordinateSystem(*pDoc);
    });
    AddCommandUpdate(ID_VIEW_COORDINATE_SYSTEM, [this](CCmdUI& ui) {
        const CImageDoc* pDoc = ImageDoc();
        ui.Enable(pDoc && pDoc->Session().Mode() != MODE_NONE);
    });
    for (const bool bRedo : {false, true})
    {
        AddCommand(bRedo ? ID_EDIT_REDO : ID_EDIT_UNDO, [this, bRedo] {
            if (CImageDoc* pDoc = ImageDoc())
                Follow(*pDoc, bRedo ? pDoc->Session().Redo() : pDoc->Session().Undo());
        });
        AddCommandUpdate(bRedo ? ID_EDIT_REDO : ID_EDIT_UNDO, [this, bRedo](CCmdUI& ui) {
            const CImageDoc* pDoc = ImageDoc();
            if (!pDoc)
            {
                ui.Enable(false);
                return;
            }
            const CEditHistory& history = pDoc->Session().History();
            ui.Enable((bRedo ? history.NextRedo() : history.NextUndo()) != nullptr);
            ui.SetText(UndoText(pDoc->Session(), bRedo));
        });
    }
}
