#include "app/ControlPointsWnd.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "app/GeoRefDlg.h"
#include "app/res/resource.h"
#include "core/crs/CrsSettings.h"
#include "core/crs/UtmSuggestion.h"
#include "core/georef/NumberFormat.h"
#include "winfw/FwUtil.h"
#include "winfw/ReportList.h"
#include "winfw/WinApp.h"
#include "winbase/Wide.h"
#include "app/DocumentCommands.h"
#include "winfw/Tooltips.h"

namespace
{
const char kProfileName[] = "ControlPoints";
// Posted by a point's box: wParam the point, lParam 1 to switch it off.
const UINT kSwitchPointMessage = WM_APP + 41;
const char kSection[] = "Tool Windows";
const char kScaleEntry[] = "ControlPointsVectorScale";
const int kScales[] = {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000};

const ReportColumn kColumns[] = {
    {IDS_CP_COLUMN_NUMBER, 16, true},       {IDS_CP_COLUMN_PIXEL_X, 30, true},   {IDS_CP_COLUMN_PIXEL_Y, 30, true},
    {IDS_CP_COLUMN_TYPED_X, 64, false},     {IDS_CP_COLUMN_TYPED_Y, 64, false},  {IDS_CP_COLUMN_MAP_X, 46, true},
    {IDS_CP_COLUMN_MAP_Y, 46, true},        {IDS_CP_COLUMN_DX, 38, true},        {IDS_CP_COLUMN_DY, 38, true},
    {IDS_CP_COLUMN_ERROR, 38, true},        {IDS_CP_COLUMN_DX_PIXELS, 30, true}, {IDS_CP_COLUMN_DY_PIXELS, 30, true},
    {IDS_CP_COLUMN_ERROR_PIXELS, 44, true}, {IDS_CP_COLUMN_NOTE, 60, false},     {IDS_CP_COLUMN_LEFT_OUT, 44, true},
};
// By FitModelIndex.
const unsigned kModelNames[kFitModelCount] = {IDS_FIT_ROTATION_SCALES, IDS_FIT_HELMERT,    IDS_FIT_AFFINE,
                                              IDS_FIT_FROM_FILE,       IDS_FIT_PROJECTIVE, IDS_FIT_POLYNOMIAL2,
                                              IDS_FIT_POLYNOMIAL3,     IDS_FIT_TPS};
const int kRmsControls[kFitModelCount] = {IDC_CP_RMS_FIRST,       IDC_CP_RMS_HELMERT,    IDC_CP_RMS_AFFINE,
                                          IDC_CP_RMS_FILE,        IDC_CP_RMS_PROJECTIVE, IDC_CP_RMS_POLYNOMIAL2,
                                          IDC_CP_RMS_POLYNOMIAL3, IDC_CP_RMS_TPS};

// The models the list offers: the first three always (a choice that cannot
// be fitted yet says why when chosen), the file's own when the image has
// one, a later model once the points are enough for it, and the chosen one.
std::vector<FitModel> OfferedModels(const CFitReport& report, bool bFromFile)
{
    std::vector<FitModel> models;
    for (FitModel model : kFitModels)
    {
        const bool later = IsWarpModel(model);
        if (model == report.nChosenModel || (model == FitModel::FromFile && bFromFile) ||
            (model != FitModel::FromFile && (!later || report.Model(model).nMorePointsNeeded == 0)))
            models.push_back(model);
    }
    return models;
}

// Fixed decimals without the sign of a value that rounds to zero ("-0.00").
std::string Fixed(double dValue, int nDecimals)
{
    std::string text = FormatFixed(dValue, nDecimals);
    if (!text.empty() && text[0] == '-' && text.find_first_of("123456789") == std::string::npos)
        text.erase(0, 1);
    return text;
}

std::string ModelSummary(const CModelFit& fit)
{
    std::string text = LoadResString(kModelNames[FitModelIndex(fit.nModel)]) + ": ";
    if (fit.bFitted)
        return text + LoadResString(IDS_CP_RMS) + " " + Fixed(fit.dRmsMap, 6) + ", " + Fixed(fit.dRmsPixels, 2) + " " +
               LoadResString(IDS_CP_PIXELS);
    if (fit.bSkipped)
        return text + LoadResString(IDS_CP_FITTED_WHEN_CHOSEN);
    if (fit.nMorePointsNeeded == 1)
        return text + LoadResString(IDS_CP_NEEDS_ONE_MORE);
    if (fit.nMorePointsNeeded > 1)
        return text + LoadResString(IDS_CP_NEEDS_MORE) + " " + std::to_string(fit.nMorePointsNeeded) + " " +
               LoadResString(IDS_CP_NEEDS_MORE_AFTER);
    return text + LoadResString(IDS_CP_NO_FIT);
}

// How each control follows a resize: the list takes the change of height,
// what lies below it moves down, the wide texts stretch, and the vectors'
// choice keeps to the right.
const CToolDialog::LayoutRule kLayout[] = {
    {IDC_CP_LIST, true, true, false, false},
    {IDC_CP_DELETE, false, false, false, true},
    {IDC_CP_EDIT, false, false, false, true},
    {IDC_CP_VECTORS_LABEL, false, false, true, true},
    {IDC_CP_EXAGGERATION, false, false, true, true},
    {IDC_CP_FIT_LABEL, false, false, false, true},
    {IDC_CP_FIT_MODEL, false, false, false, true},
    {IDC_CP_PARAMETERS, true, false, false, true},
    {IDC_CP_RMS_LABEL, false, false, false, true},
    {IDC_CP_RMS_FIRST, true, false, false, true},
    {IDC_CP_RMS_HELMERT, true, false, false, true},
    {IDC_CP_RMS_AFFINE, true, false, false, true},
    {IDC_CP_RMS_FILE, true, false, false, true},
    {IDC_CP_RMS_PROJECTIVE, true, false, false, true},
    {IDC_CP_RMS_POLYNOMIAL2, true, false, false, true},
    {IDC_CP_RMS_POLYNOMIAL3, true, false, false, true},
    {IDC_CP_RMS_TPS, true, false, false, true},
    {IDC_CP_HINTS, true, false, false, true},
    {IDC_CP_CRS, true, false, false, true},
    {IDC_CP_USE_SUGGESTED_CRS, false, false, true, true},
};

// Every control has its tip; the rows of the RMS errors share theirs.
const ControlTip kTips[] = {
    {IDC_CP_LIST, IDS_TIP_CP_LIST},
    {IDC_CP_DELETE, IDS_TIP_CP_DELETE},
    {IDC_CP_EDIT, IDS_TIP_CP_EDIT},
    {IDC_CP_VECTORS_LABEL, IDS_TIP_CP_VECTORS},
    {IDC_CP_EXAGGERATION, IDS_TIP_CP_VECTORS},
    {IDC_CP_FIT_LABEL, IDS_TIP_CP_FIT_MODEL},
    {IDC_CP_FIT_MODEL, IDS_TIP_CP_FIT_MODEL},
    {IDC_CP_PARAMETERS, IDS_TIP_CP_PARAMETERS},
    {IDC_CP_RMS_LABEL, IDS_TIP_CP_RMS},
    {IDC_CP_RMS_FIRST, IDS_TIP_CP_RMS},
    {IDC_CP_RMS_HELMERT, IDS_TIP_CP_RMS},
    {IDC_CP_RMS_AFFINE, IDS_TIP_CP_RMS},
    {IDC_CP_RMS_PROJECTIVE, IDS_TIP_CP_RMS},
    {IDC_CP_RMS_POLYNOMIAL2, IDS_TIP_CP_RMS},
    {IDC_CP_RMS_POLYNOMIAL3, IDS_TIP_CP_RMS},
    {IDC_CP_RMS_TPS, IDS_TIP_CP_RMS},
    {IDC_CP_RMS_FILE, IDS_TIP_CP_RMS},
    {IDC_CP_HINTS, IDS_TIP_CP_HINTS},
    {IDC_CP_CRS, IDS_TIP_CP_CRS},
    {IDC_CP_USE_SUGGESTED_CRS, IDS_TIP_CP_USE_CRS},
};
}   // namespace

CControlPointsWnd::CControlPointsWnd() : CDocToolWnd(IDD_CONTROL_POINTS, kProfileName) {}

BOOL CControlPointsWnd::OnInitDialog()
{
    InitReportList(m_hWnd, GetDlgItem(m_hWnd, IDC_CP_LIST), kColumns, sizeof kColumns / sizeof kColumns[0]);
    m_offeredModels.clear();
    // A point's box switches it off and on: kept, but left out of the fit.
    SendDlgItemMessageW(m_hWnd, IDC_CP_LIST, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    // The models are listed by FillSummary: the file's own only for an image that has one.
    CWinApp* pApp = FwGetApp();
    m_nResidualScale = pApp ? pApp->GetProfileInt(kSection, kScaleEntry, 10) : 10;
    HWND hScales = GetDlgItem(m_hWnd, IDC_CP_EXAGGERATION);
    int chosen = 3;
    for (size_t i = 0; i < sizeof kScales / sizeof kScales[0]; ++i)
    {
        const std::string label = "x " + std::to_string(kScales[i]);
        SendMessageW(hScales, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(label).c_str()));
        if (kScales[i] == m_nResidualScale)
            chosen = static_cast<int>(i);
    }
    m_nResidualScale = kScales[chosen];
    SendMessageW(hScales, CB_SETCURSEL, chosen, 0);

    // Small enough to tuck away, large enough to read the fit.
    SetLayout(kLayout, sizeof kLayout / sizeof kLayout[0], 66, 75);
    AddControlTips(m_hWnd, kTips, sizeof kTips / sizeof kTips[0]);
    FollowChanges([this](const CEdit* pEdit) {
        // Digitising steps leave the points and their fit as they were.
        if (IsOpen() && (!pEdit || pEdit->Scope() == EditScope::Georeference))
            Refresh();
    });
    Refresh();
    return TRUE;
}

void CControlPointsWnd::Refresh()
{
    if (!m_hWnd)
        return;
    FillList();
    FillSummary();
    UpdateButtons();
}

void CControlPointsWnd::FillList()
{
    CImageDoc* pDoc = Doc();
    if (!pDoc)
        return;
    HWND hList = GetDlgItem(m_hWnd, IDC_CP_LIST);
    // Typed as the user typed them; converted and fitted in the output system.
    const std::vector<CGeoRefPoint>& typed = pDoc->Session().TypedPoints();
    const std::vector<CGeoRefPoint>& points = pDoc->Session().GeoRef().m_points;
    const CFitReport& report = pDoc->Session().FitReport();
    const CModelFit& fit = report.Chosen();
    const bool residuals = fit.bFitted && fit.residuals.size() == points.size();
    const int selected = GetSelectedPoint();

    m_bFilling = true;
    SendMessageW(hList, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hList, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < points.size(); ++i)
    {
        const CGeoRefPoint& point = points[i];
        const CGeoRefPoint& asTyped = i < typed.size() ? typed[i] : point;
        const int n = static_cast<int>(i);
        InsertReportRow(hList, n, std::to_string(i + 1));
        ListView_SetCheckState(hList, n, asTyped.m_bOff ? FALSE : TRUE);
        SetReportText(hList, n, 1, std::to_string(point.m_nPixelX));
        SetReportText(hList, n, 2, std::to_string(point.m_nPixelY));
        // A point read from the point file keeps only its numbers.
        SetReportText(hList, n, 3, asTyped.m_strMapX.empty() ? FormatFixed(asTyped.m_dMapX, 6) : asTyped.m_strMapX);
        SetReportText(hList, n, 4, asTyped.m_strMapY.empty() ? FormatFixed(asTyped.m_dMapY, 6) : asTyped.m_strMapY);
        if (!pDoc->Session().IsPointCarried(n))
        {
            // Where no coordinates in the output system exist, none are made up.
            SetReportText(hList, n, 13, LoadResString(IDS_CP_NOTE_NOT_CARRIED));
            continue;
        }
        SetReportText(hList, n, 5, FormatFixed(point.m_dMapX, 6));
        SetReportText(hList, n, 6, FormatFixed(point.m_dMapY, 6));
        if (!residuals)
        {
            if (point.m_bOff)
                SetReportText(hList, n, 13, LoadResString(IDS_CP_NOTE_OFF));
            continue;
        }
        const CPointResidual& r = fit.residuals[i];
        // Map units to the point file's six decimals, pixels to two.
        SetReportText(hList, n, 7, Fixed(r.dX, 6));
        SetReportText(hList, n, 8, Fixed(r.dY, 6));
        SetReportText(hList, n, 9, Fixed(r.dLength, 6));
        SetReportText(hList, n, 10, Fixed(r.dPixelX, 2));
        SetReportText(hList, n, 11, Fixed(r.dPixelY, 2));
        SetReportText(hList, n, 12, Fixed(r.dPixelLength, 2));
        std::string note = point.m_bOff      ? LoadResString(IDS_CP_NOTE_OFF)
                           : n == fit.nWorst ? LoadResString(IDS_CP_NOTE_WORST)
                                             : std::string();
        for (const CFitHint& hint : report.hints)
            if (hint.nKind == HINT_OUTLIER && hint.nPoint == n)
                note += (note.empty() ? "" : ", ") + LoadResString(IDS_CP_NOTE_OUTLIER);
        SetReportText(hList, n, 13, note);
        if (r.bLeftOut)
            SetReportText(hList, n, 14, Fixed(r.dLeftOutPixels, 2));
    }
    if (selected >= 0 && selected < static_cast<int>(points.size()))
        SelectPoint(selected);
    SendMessageW(hList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hList, nullptr, TRUE);
    m_bFilling = false;
}

void CControlPointsWnd::FillSummary()
{
    CImageDoc* pDoc = Doc();
    if (!pDoc)
        return;
    const CFitReport& report = pDoc->Session().FitReport();
    const bool fromFile = pDoc->Session().HasFileGeoreference();
    const std::vector<FitModel> offered = OfferedModels(report, fromFile);
    HWND hModels = GetDlgItem(m_hWnd, IDC_CP_FIT_MODEL);
    if (offered != m_offeredModels)
    {
        SendMessageW(hModels, CB_RESETCONTENT, 0, 0);
        for (FitModel model : offered)
        {
            const LRESULT item =
                SendMessageW(hModels, CB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(Widen(LoadResString(kModelNames[FitModelIndex(model)])).c_str()));
            SendMessageW(hModels, CB_SETITEMDATA, item, static_cast<LPARAM>(model));
        }
        m_offeredModels = offered;
    }
    SelectModel(report.nChosenModel);
    for (FitModel model : kFitModels)
        SetItemText(kRmsControls[FitModelIndex(model)],
                    model != FitModel::FromFile || fromFile ? ModelSummary(report.Model(model)) : std::string());

    const CModelFit& fit = report.Chosen();
    std::string parameters;
    if (fit.bFitted)
        parameters = LoadResString(IDS_CP_ROTATION) + " " + FormatFixed(fit.dRotation * 180.0 / kPi, 3) + " " +
                     LoadResString(IDS_CP_DEGREES) + ", " + LoadResString(IDS_CP_SCALE_X) + " " +
                     FormatSignificant(fit.dScaleX, 6) + ", " + LoadResString(IDS_CP_SCALE_Y) + " " +
                     FormatSignificant(fit.dScaleY, 6);
    SetItemText(IDC_CP_PARAMETERS, parameters);

    std::string hints;
    for (const CFitHint& hint : report.hints)
    {
        std::string line;
        switch (hint.nKind)
        {
        case HINT_SCALES_OPPOSITE: line = LoadResString(IDS_HINT_SCALES_OPPOSITE); break;
        case HINT_SCALES_UNEQUAL: line = LoadResString(IDS_HINT_SCALES_UNEQUAL); break;
        case HINT_POINTS_ON_A_LINE: line = LoadResString(IDS_HINT_POINTS_ON_A_LINE); break;
        case HINT_OUTLIER:
            line = LoadResString(IDS_HINT_OUTLIER) + " " + std::to_string(hint.nPoint + 1) + " " +
                   LoadResString(IDS_HINT_OUTLIER_AFTER);
            break;
        }
        hints += (hints.empty() ? "" : "\r\n") + line;
    }
    SetItemText(IDC_CP_HINTS, hints);

    // Which systems the points go between, and by which of PROJ's
    // operations; or the output system worth choosing.
    const CImageSession& session = pDoc->Session();
    const int nSuggested = session.SuggestedCrs();
    std::string crs;
    if (session.PointsCarried())
        crs = LoadResStringWith(IDS_CP_CARRIED,
                                {FormatCrsSetting(session.PointsCrs().nEpsg), FormatCrsSetting(session.Crs().nEpsg),
                                 session.OperationName().empty() ? "-" : session.OperationName()});
    else if (nSuggested)
        crs = LoadResStringWith(IDS_CP_SUGGEST_CRS, {UtmZoneName(nSuggested)});
    SetItemText(IDC_CP_CRS, crs);
    HWND hSuggest = GetDlgItem(m_hWnd, IDC_CP_USE_SUGGESTED_CRS);
    if (nSuggested)
        SetItemText(IDC_CP_USE_SUGGESTED_CRS, LoadResStringWith(IDS_CP_USE_CRS, {UtmZoneName(nSuggested)}));
    ShowWindow(hSuggest, nSuggested ? SW_SHOWNA : SW_HIDE);
}

void CControlPointsWnd::UpdateButtons()
{
    const bool selected = GetSelectedPoint() >= 0;
    EnableWindow(GetDlgItem(m_hWnd, IDC_CP_DELETE), selected);
    EnableWindow(GetDlgItem(m_hWnd, IDC_CP_EDIT), selected);
}

int CControlPointsWnd::GetSelectedPoint() const
{
    return m_hWnd ? GetReportSelection(GetDlgItem(m_hWnd, IDC_CP_LIST)) : -1;
}

void CControlPointsWnd::SelectPoint(int nIndex) { SelectReportRow(GetDlgItem(m_hWnd, IDC_CP_LIST), nIndex); }

void CControlPointsWnd::DeleteSelectedPoint()
{
    CImageDoc* pDoc = Doc();
    const int index = GetSelectedPoint();
    if (!pDoc || index < 0 || index >= static_cast<int>(pDoc->Session().GeoRef().m_points.size()))
        return;
    Follow(*pDoc, pDoc->Session().DeletePoint(index));
    // The next point takes the row, so that Delete can go on down the list.
    const int count = static_cast<int>(pDoc->Session().GeoRef().m_points.size());
    if (count > 0)
        SelectPoint(index < count ? index : count - 1);
    UpdateButtons();
}

void CControlPointsWnd::EditSelectedPoint()
{
    CImageDoc* pDoc = Doc();
    const int index = GetSelectedPoint();
    if (!pDoc || index < 0 || index >= static_cast<int>(pDoc->Session().GeoRef().m_points.size()))
        return;
    // The texts and numbers as typed: the edit changes those.
    const CGeoRefPoint before = pDoc->Session().TypedPoints()[index];
    CGeoRefDlg dlg;
    dlg.m_bEditing = true;
    dlg.m_strEasting = before.m_strMapX.empty() ? FormatFixed(before.m_dMapX, 6) : before.m_strMapX;
    dlg.m_strNorthing = before.m_strMapY.empty() ? FormatFixed(before.m_dMapY, 6) : before.m_strMapY;
    if (CImageView* pView = View())
    {
        pView->ShowControlPoint(index);
        if (pView->m_hWnd && pDoc->Session().Mode() != MODE_TRANSPOSED)
        {
            dlg.m_bAnchored = true;
            dlg.m_ptAnchor = pView->PixelToScreen(before.m_nPixelX, before.m_nPixelY);
        }
    }
    if (dlg.DoModal() != IDC_ADD)
        return;
    CGeoRefPoint after = before;
    after.m_dMapX = dlg.m_dEasting;
    after.m_dMapY = dlg.m_dNorthing;
    after.m_strMapX = dlg.m_strEasting;
    after.m_strMapY = dlg.m_strNorthing;
    Follow(*pDoc, pDoc->Session().ChangePoint(index, after));
    SelectPoint(index);
}

void CControlPointsWnd::OnOK()
{
    // Enter edits the chosen point.
    EditSelectedPoint();
}

bool CControlPointsWnd::OnCommand(UINT nID, UINT nCode)
{
    switch (nID)
    {
    case IDC_CP_DELETE:
        if (nCode == BN_CLICKED)
            DeleteSelectedPoint();
        return true;
    case IDC_CP_EDIT:
        if (nCode == BN_CLICKED)
            EditSelectedPoint();
        return true;
    case IDC_CP_FIT_MODEL:
        if (nCode == CBN_SELCHANGE)
            OnFitModelChosen();
        return true;
    case IDC_CP_EXAGGERATION:
        if (nCode == CBN_SELCHANGE)
            OnScaleChosen();
        return true;
    case IDC_CP_USE_SUGGESTED_CRS:
        if (nCode == BN_CLICKED)
            if (CImageDoc* pDoc = Doc())
                UseSuggestedCoordinateSystem(*pDoc);
        return true;
    }
    return false;
}

void CControlPointsWnd::OnFitModelChosen()
{
    CImageDoc* pDoc = Doc();
    if (!pDoc)
        return;
    // Each item carries its model; no selection chooses nothing.
    const LRESULT index = SendDlgItemMessageW(m_hWnd, IDC_CP_FIT_MODEL, CB_GETCURSEL, 0, 0);
    if (index < 0 || index >= static_cast<LRESULT>(m_offeredModels.size()))
        return;
    const FitModel before = pDoc->Session().GeoRef().m_nFitModel;
    const CSessionOutcome outcome = pDoc->Session().ChooseFitModel(m_offeredModels[index]);
    // Refused: the list shows the model in force again.
    if (!outcome.bDone && !outcome.messages.empty())
        SelectModel(before);
    Follow(*pDoc, outcome);
}

void CControlPointsWnd::SelectModel(FitModel nModel)
{
    const auto found = std::find(m_offeredModels.begin(), m_offeredModels.end(), nModel);
    SendDlgItemMessageW(m_hWnd, IDC_CP_FIT_MODEL, CB_SETCURSEL,
                        found == m_offeredModels.end() ? -1 : found - m_offeredModels.begin(), 0);
}

void CControlPointsWnd::OnScaleChosen()
{
    const int chosen = static_cast<int>(SendDlgItemMessageW(m_hWnd, IDC_CP_EXAGGERATION, CB_GETCURSEL, 0, 0));
    if (chosen < 0 || chosen >= static_cast<int>(sizeof kScales / sizeof kScales[0]))
        return;
    m_nResidualScale = kScales[chosen];
    if (CWinApp* pApp = FwGetApp())
        pApp->WriteProfileInt(kSection, kScaleEntry, m_nResidualScale);
    if (CImageView* pView = View())
        pView->SetResidualDisplay(IsOpen(), m_nResidualScale);
}

bool CControlPointsWnd::OnNotify(NMHDR* pNMHDR, LRESULT* pResult)
{
    if (pNMHDR->idFrom != IDC_CP_LIST)
        return false;
    switch (pNMHDR->code)
    {
    case LVN_ITEMCHANGED:
    {
        const NMLISTVIEW* pChange = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
        // A box ticked or cleared by the user; the switch waits until the
        // list is out of its notification, since it refills the list.
        if (!m_bFilling && (pChange->uChanged & LVIF_STATE) &&
            ((pChange->uNewState ^ pChange->uOldState) & LVIS_STATEIMAGEMASK) && pChange->iItem >= 0)
        {
            const bool on = ((pChange->uNewState & LVIS_STATEIMAGEMASK) >> 12) == 2;
            PostMessageW(m_hWnd, kSwitchPointMessage, static_cast<WPARAM>(pChange->iItem), on ? 0 : 1);
        }
        if (IsNewlySelected(pChange) && !m_bFilling)
            if (CImageView* pView = View())
                pView->ShowControlPoint(pChange->iItem);
        UpdateButtons();
        *pResult = 0;
        return true;
    }
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN*>(pNMHDR)->wVKey == VK_DELETE)
            DeleteSelectedPoint();
        *pResult = 0;
        return true;
    case NM_DBLCLK:
        EditSelectedPoint();
        *pResult = 0;
        return true;
    case NM_CUSTOMDRAW: *pResult = OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR)); return true;
    }
    return false;
}

LRESULT CControlPointsWnd::OnCustomDraw(NMLVCUSTOMDRAW* pDraw)
{
    switch (pDraw->nmcd.dwDrawStage)
    {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
    {
        // The worst point's row in the warning colour of its marker.
        CImageDoc* pDoc = Doc();
        if (pDoc && static_cast<int>(pDraw->nmcd.dwItemSpec) == pDoc->Session().FitReport().Chosen().nWorst)
            pDraw->clrText = kWorstPointColour;
        return CDRF_DODEFAULT;
    }
    }
    return CDRF_DODEFAULT;
}

void CControlPointsWnd::OnShowTool(bool bOpen)
{
    if (bOpen)
        Refresh();
    if (CImageView* pView = View())
    {
        pView->SetResidualDisplay(bOpen, m_nResidualScale);
        pView->SetSelectedPoint(bOpen ? GetSelectedPoint() : -1);
    }
}

bool CControlPointsWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* pResult)
{
    if (message == kSwitchPointMessage)
    {
        if (CImageDoc* pDoc = Doc())
        {
            const int index = static_cast<int>(wParam);
            const CSessionOutcome outcome = pDoc->Session().SwitchPoint(index, lParam != 0);
            Follow(*pDoc, outcome);
            // Refused or no change: the box shows the point as it is.
            if (!outcome.bDone)
                FillList();
        }
        *pResult = 0;
        return true;
    }
    if (message == WM_DESTROY)
        if (CImageView* pView = View())
            pView->SetResidualDisplay(false, m_nResidualScale);
    return CDocToolWnd::OnMessage(message, wParam, lParam, pResult);
}
