#include "app/FeaturesWnd.h"

#include "app/AddFeatureDlg.h"
#include "app/res/resource.h"
#include "core/shape/FeatureMeasure.h"
#include "winfw/FwUtil.h"
#include "winfw/ReportList.h"
#include "app/DocumentCommands.h"

namespace
{
const char kProfileName[] = "Features";

enum FeatureColumn
{
    COLUMN_NUMBER,
    COLUMN_NAME,
    COLUMN_TYPE,
    COLUMN_VERTICES,
    COLUMN_SIZE,
};
const ReportColumn kColumns[] = {
    {IDS_FEATURES_COLUMN_NUMBER, 20, true}, {IDS_FEATURES_COLUMN_NAME, 100, false},
    {IDS_FEATURES_COLUMN_TYPE, 40, false},  {IDS_FEATURES_COLUMN_VERTICES, 36, true},
    {IDS_FEATURES_COLUMN_SIZE, 70, true},
};

unsigned TypeName(ShapeType nShapeType)
{
    switch (nShapeType)
    {
    case SHAPE_POINT: return IDS_FEATURE_TYPE_POINT;
    case SHAPE_POLYGON: return IDS_FEATURE_TYPE_POLYGON;
    case SHAPE_POLYLINE: break;
    }
    return IDS_FEATURE_TYPE_POLYLINE;
}

// How each control follows a resize: the list takes the change, the
// buttons and the line beside them move down with its bottom edge.
const CToolDialog::LayoutRule kLayout[] = {
    {IDC_FEATURES_LIST, true, true, false, false},
    {IDC_FEATURES_RENAME, false, false, false, true},
    {IDC_FEATURES_DELETE, false, false, false, true},
    {IDC_FEATURES_SUMMARY, true, false, false, true},
};
}   // namespace

CFeaturesWnd::CFeaturesWnd() : CDocToolWnd(IDD_FEATURES, kProfileName) {}

BOOL CFeaturesWnd::OnInitDialog()
{
    InitReportList(m_hWnd, GetDlgItem(m_hWnd, IDC_FEATURES_LIST), kColumns, sizeof kColumns / sizeof kColumns[0]);
    SetLayout(kLayout, sizeof kLayout / sizeof kLayout[0], 50, 50);
    FollowChanges([this](const CEdit* pEdit) {
        // The feature being digitised is not in the list.
        const bool current = pEdit && pEdit->Scope() == EditScope::Digitising;
        if (IsOpen() && !current)
            Refresh();
    });
    Refresh();
    return TRUE;
}

void CFeaturesWnd::Refresh()
{
    CImageDoc* pDoc = Doc();
    if (!m_hWnd || !pDoc)
        return;
    HWND hList = GetDlgItem(m_hWnd, IDC_FEATURES_LIST);
    const CShapeArray& shapes = pDoc->Session().Features();
    const CGeoRefArray& geoRef = pDoc->Session().GeoRef();
    const ShapeType type = pDoc->Session().ShapeType();
    const int selected = GetSelectedFeature();

    SetReportColumnTitle(hList, COLUMN_SIZE,
                         LoadResString(type == SHAPE_POLYGON    ? IDS_FEATURES_COLUMN_AREA
                                       : type == SHAPE_POLYLINE ? IDS_FEATURES_COLUMN_LENGTH
                                                                : IDS_FEATURES_COLUMN_SIZE));
    m_bFilling = true;
    SendMessageW(hList, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hList, LVM_DELETEALLITEMS, 0, 0);
    const std::string typeName = LoadResString(TypeName(type));
    for (int i = 0; i < shapes.GetSize(); ++i)
    {
        const CShape& shape = shapes.GetAt(i);
        // The number is the ID the feature is saved with.
        InsertReportRow(hList, i, std::to_string(i + 1));
        SetReportText(hList, i, COLUMN_NAME, shape.m_strName);
        SetReportText(hList, i, COLUMN_TYPE, typeName);
        // The corners clicked: a polygon's stored ring repeats its first.
        const int vertices = type == SHAPE_POLYGON && shape.GetSize() > 1 ? shape.GetSize() - 1 : shape.GetSize();
        SetReportText(hList, i, COLUMN_VERTICES, std::to_string(vertices));
        double size = 0.0;
        if (MeasureFeature(shape, type, geoRef, &size))
            SetReportText(hList, i, COLUMN_SIZE, FormatFeatureSize(size));
    }
    if (selected >= 0 && selected < shapes.GetSize())
        SelectFeature(selected);
    SendMessageW(hList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hList, nullptr, TRUE);
    m_bFilling = false;

    unsigned summary = IDS_FEATURES_POINTS;
    if (type != SHAPE_POINT)
        summary = !geoRef.m_bValid        ? IDS_FEATURES_NO_FIT
                  : type == SHAPE_POLYGON ? IDS_FEATURES_AREA_UNITS
                                          : IDS_FEATURES_LENGTH_UNITS;
    SetItemText(IDC_FEATURES_SUMMARY, shapes.GetSize() > 0 ? LoadResString(summary) : std::string());
    UpdateButtons();
    if (CImageView* pView = View())
        if (IsOpen())
            pView->SetSelectedFeature(GetSelectedFeature());
}

void CFeaturesWnd::UpdateButtons()
{
    const bool selected = GetSelectedFeature() >= 0;
    EnableWindow(GetDlgItem(m_hWnd, IDC_FEATURES_RENAME), selected);
    EnableWindow(GetDlgItem(m_hWnd, IDC_FEATURES_DELETE), selected);
}

int CFeaturesWnd::GetSelectedFeature() const
{
    return m_hWnd ? GetReportSelection(GetDlgItem(m_hWnd, IDC_FEATURES_LIST)) : -1;
}

void CFeaturesWnd::SelectFeature(int nIndex) { SelectReportRow(GetDlgItem(m_hWnd, IDC_FEATURES_LIST), nIndex); }

void CFeaturesWnd::RenameSelectedFeature()
{
    CImageDoc* pDoc = Doc();
    const int index = GetSelectedFeature();
    if (!pDoc || index < 0 || index >= pDoc->Session().Features().GetSize())
        return;
    if (CImageView* pView = View())
        pView->ShowFeature(index);
    const CShape feature = pDoc->Session().Features().GetAt(index);
    CAddFeatureDlg dlg;
    dlg.m_bRenaming = true;
    dlg.m_strName = feature.m_strName;
    if (dlg.DoModal() != IDOK || dlg.m_strName == feature.m_strName)
        return;
    Follow(*pDoc, pDoc->Session().RenameFeature(index, dlg.m_strName));
    SelectFeature(index);
}

void CFeaturesWnd::DeleteSelectedFeature()
{
    CImageDoc* pDoc = Doc();
    const int index = GetSelectedFeature();
    if (!pDoc || index < 0 || index >= pDoc->Session().Features().GetSize())
        return;
    Follow(*pDoc, pDoc->Session().DeleteFeature(index));
    // The next feature takes the row, so that Delete can go on down the list.
    const int count = pDoc->Session().Features().GetSize();
    if (count > 0)
        SelectFeature(index < count ? index : count - 1);
    UpdateButtons();
}

void CFeaturesWnd::OnOK()
{
    // Enter renames the chosen feature.
    RenameSelectedFeature();
}

bool CFeaturesWnd::OnCommand(UINT nID, UINT nCode)
{
    switch (nID)
    {
    case IDC_FEATURES_RENAME:
        if (nCode == BN_CLICKED)
            RenameSelectedFeature();
        return true;
    case IDC_FEATURES_DELETE:
        if (nCode == BN_CLICKED)
            DeleteSelectedFeature();
        return true;
    }
    return false;
}

bool CFeaturesWnd::OnNotify(NMHDR* pNMHDR, LRESULT* pResult)
{
    if (pNMHDR->idFrom != IDC_FEATURES_LIST)
        return false;
    switch (pNMHDR->code)
    {
    case LVN_ITEMCHANGED:
    {
        const NMLISTVIEW* pChange = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
        if (IsNewlySelected(pChange) && !m_bFilling)
            if (CImageView* pView = View())
                pView->ShowFeature(pChange->iItem);
        UpdateButtons();
        *pResult = 0;
        return true;
    }
    case LVN_KEYDOWN:
        switch (reinterpret_cast<const NMLVKEYDOWN*>(pNMHDR)->wVKey)
        {
        case VK_DELETE: DeleteSelectedFeature(); break;
        case VK_F2: RenameSelectedFeature(); break;
        }
        *pResult = 0;
        return true;
    case NM_DBLCLK:
        RenameSelectedFeature();
        *pResult = 0;
        return true;
    }
    return false;
}

void CFeaturesWnd::OnShowTool(bool bOpen)
{
    if (bOpen)
        Refresh();
    if (CImageView* pView = View())
        pView->SetSelectedFeature(bOpen ? GetSelectedFeature() : -1);
}

bool CFeaturesWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* pResult)
{
    if (message == WM_DESTROY)
        if (CImageView* pView = View())
            pView->SetSelectedFeature(-1);
    return CDocToolWnd::OnMessage(message, wParam, lParam, pResult);
}
