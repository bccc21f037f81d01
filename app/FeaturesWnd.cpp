#include "app/FeaturesWnd.h"

#include <charconv>

#include "app/AddFeatureDlg.h"
#include "app/res/resource.h"
#include "core/shape/FeatureMeasure.h"
#include "winfw/FwUtil.h"
#include "winfw/WinApp.h"

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
struct Column
{
    unsigned nTitle;
    int cx;   // dialog units
    bool bRight;
};
const Column kColumns[] = {
    {IDS_FEATURES_COLUMN_NUMBER, 20, true}, {IDS_FEATURES_COLUMN_NAME, 100, false},
    {IDS_FEATURES_COLUMN_TYPE, 40, false},  {IDS_FEATURES_COLUMN_VERTICES, 36, true},
    {IDS_FEATURES_COLUMN_SIZE, 70, true},
};

unsigned TypeName(int nShapeType)
{
    switch (nShapeType)
    {
    case SHAPE_POINT: return IDS_FEATURE_TYPE_POINT;
    case SHAPE_POLYGON: return IDS_FEATURE_TYPE_POLYGON;
    }
    return IDS_FEATURE_TYPE_POLYLINE;
}

void SetListText(HWND hList, int nItem, int nColumn, const std::string& strText)
{
    LVITEMA item = {};
    item.iSubItem = nColumn;
    item.pszText = const_cast<char*>(strText.c_str());
    SendMessageA(hList, LVM_SETITEMTEXTA, nItem, reinterpret_cast<LPARAM>(&item));
}

void SetColumnTitle(HWND hList, int nColumn, const std::string& strTitle)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<char*>(strTitle.c_str());
    SendMessageA(hList, LVM_SETCOLUMNA, nColumn, reinterpret_cast<LPARAM>(&column));
}

// How each control follows a resize: the list takes the change, the
// buttons and the line beside them move down with its bottom edge.
struct LayoutRule
{
    int nID;
    bool bStretchX, bStretchY, bMoveY;
};
const LayoutRule kLayout[] = {
    {IDC_FEATURES_LIST, true, true, false},
    {IDC_FEATURES_RENAME, false, false, true},
    {IDC_FEATURES_DELETE, false, false, true},
    {IDC_FEATURES_SUMMARY, true, false, true},
};
}   // namespace

std::string FormatFeatureSize(double dValue)
{
    char buffer[64];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, dValue, std::chars_format::general, 6);
    return r.ec == std::errc() ? std::string(buffer, r.ptr) : std::string();
}

CFeaturesWnd::CFeaturesWnd() : CToolDialog(IDD_FEATURES, kProfileName) {}

CFeaturesWnd::~CFeaturesWnd()
{
    if (CImageDoc* pDoc = Doc())
        pDoc->RemoveChangeListener(m_nChangeListener);
}

CImageDoc* CFeaturesWnd::Doc() const
{
    CWinApp* pApp = FwGetApp();
    CSingleDocTemplate* pTemplate = pApp ? pApp->GetDocTemplate() : nullptr;
    return pTemplate ? static_cast<CImageDoc*>(pTemplate->GetDocument()) : nullptr;
}

CImageView* CFeaturesWnd::View() const
{
    CWinApp* pApp = FwGetApp();
    CSingleDocTemplate* pTemplate = pApp ? pApp->GetDocTemplate() : nullptr;
    return pTemplate ? static_cast<CImageView*>(pTemplate->GetView()) : nullptr;
}

BOOL CFeaturesWnd::OnInitDialog()
{
    HWND hList = GetDlgItem(m_hWnd, IDC_FEATURES_LIST);
    SendMessageA(hList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (size_t i = 0; i < sizeof kColumns / sizeof kColumns[0]; ++i)
    {
        RECT width = {0, 0, kColumns[i].cx, 8};
        MapDialogRect(m_hWnd, &width);
        const std::string title = LoadResString(kColumns[i].nTitle);
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = kColumns[i].bRight && i > 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = width.right;
        column.pszText = const_cast<char*>(title.c_str());
        column.iSubItem = static_cast<int>(i);
        SendMessageA(hList, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }

    m_templateRects.clear();
    for (const LayoutRule& rule : kLayout)
    {
        RECT rc;
        GetWindowRect(GetDlgItem(m_hWnd, rule.nID), &rc);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        m_templateRects.push_back(rc);
    }
    RECT client;
    GetClientRect(m_hWnd, &client);
    m_initialClient = SIZE{client.right, client.bottom};

    if (CImageDoc* pDoc = Doc())
        m_nChangeListener = pDoc->AddChangeListener([this](const CEdit* pEdit) {
            // The feature being digitised is not in the list.
            const bool current = pEdit && (pEdit->m_nKind == EDIT_ADD_VERTEX || pEdit->m_nKind == EDIT_REMOVE_VERTEX ||
                                           pEdit->m_nKind == EDIT_DISCARD_FEATURE);
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
    const CShapeArray& shapes = pDoc->m_shapeFile.m_shapes;
    const CGeoRefArray& geoRef = pDoc->m_shapeFile.m_geoRef;
    const int type = pDoc->m_nShapeType;
    const int selected = GetSelectedFeature();

    SetColumnTitle(hList, COLUMN_SIZE,
                   LoadResString(type == SHAPE_POLYGON    ? IDS_FEATURES_COLUMN_AREA
                                 : type == SHAPE_POLYLINE ? IDS_FEATURES_COLUMN_LENGTH
                                                          : IDS_FEATURES_COLUMN_SIZE));
    m_bFilling = true;
    SendMessageA(hList, WM_SETREDRAW, FALSE, 0);
    SendMessageA(hList, LVM_DELETEALLITEMS, 0, 0);
    const std::string typeName = LoadResString(TypeName(type));
    for (int i = 0; i < shapes.GetSize(); ++i)
    {
        const CShape& shape = shapes.GetAt(i);
        // The number is the ID the feature is saved with.
        const std::string number = std::to_string(i + 1);
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<char*>(number.c_str());
        SendMessageA(hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        SetListText(hList, i, COLUMN_NAME, shape.m_strName);
        SetListText(hList, i, COLUMN_TYPE, typeName);
        // The corners clicked: a polygon's stored ring repeats its first.
        const int vertices = type == SHAPE_POLYGON && shape.GetSize() > 1 ? shape.GetSize() - 1 : shape.GetSize();
        SetListText(hList, i, COLUMN_VERTICES, std::to_string(vertices));
        double size = 0.0;
        if (MeasureFeature(shape, type, geoRef, &size))
            SetListText(hList, i, COLUMN_SIZE, FormatFeatureSize(size));
    }
    if (selected >= 0 && selected < shapes.GetSize())
        SelectFeature(selected);
    SendMessageA(hList, WM_SETREDRAW, TRUE, 0);
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
    if (!m_hWnd)
        return -1;
    return static_cast<int>(
        SendDlgItemMessageA(m_hWnd, IDC_FEATURES_LIST, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CFeaturesWnd::SelectFeature(int nIndex)
{
    HWND hList = GetDlgItem(m_hWnd, IDC_FEATURES_LIST);
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(hList, LVM_SETITEMSTATE, nIndex, reinterpret_cast<LPARAM>(&item));
    SendMessageA(hList, LVM_ENSUREVISIBLE, nIndex, FALSE);
}

void CFeaturesWnd::RenameSelectedFeature()
{
    CImageDoc* pDoc = Doc();
    const int index = GetSelectedFeature();
    if (!pDoc || index < 0 || index >= pDoc->m_shapeFile.m_shapes.GetSize())
        return;
    if (CImageView* pView = View())
        pView->ShowFeature(index);
    const CShape feature = pDoc->m_shapeFile.m_shapes.GetAt(index);
    CAddFeatureDlg dlg;
    dlg.m_bRenaming = true;
    dlg.m_strName = feature.m_strName;
    if (dlg.DoModal() != IDOK || dlg.m_strName == feature.m_strName)
        return;
    pDoc->DoEdit(CEdit::RenameFeature(index, feature, dlg.m_strName));
    SelectFeature(index);
}

void CFeaturesWnd::DeleteSelectedFeature()
{
    CImageDoc* pDoc = Doc();
    const int index = GetSelectedFeature();
    if (!pDoc || index < 0 || index >= pDoc->m_shapeFile.m_shapes.GetSize())
        return;
    pDoc->DoEdit(CEdit::DeleteFeature(index, pDoc->m_shapeFile.m_shapes.GetAt(index)));
    // The next feature takes the row, so that Delete can go on down the list.
    const int count = pDoc->m_shapeFile.m_shapes.GetSize();
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
        if ((pChange->uChanged & LVIF_STATE) && (pChange->uNewState & LVIS_SELECTED) &&
            !(pChange->uOldState & LVIS_SELECTED) && !m_bFilling)
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
    switch (message)
    {
    case WM_SIZE: Layout(LOWORD(lParam), HIWORD(lParam)); return false;
    case WM_GETMINMAXINFO:
    {
        MINMAXINFO* pInfo = reinterpret_cast<MINMAXINFO*>(lParam);
        pInfo->ptMinTrackSize.x = m_initialClient.cx / 2;
        pInfo->ptMinTrackSize.y = m_initialClient.cy / 2;
        return false;
    }
    case WM_DESTROY:
        if (CImageView* pView = View())
            pView->SetSelectedFeature(-1);
        if (CImageDoc* pDoc = Doc())
            pDoc->RemoveChangeListener(m_nChangeListener);
        m_nChangeListener = 0;
        break;
    }
    return CToolDialog::OnMessage(message, wParam, lParam, pResult);
}

void CFeaturesWnd::Layout(int cx, int cy)
{
    if (m_templateRects.size() != sizeof kLayout / sizeof kLayout[0] || cx == 0 || cy == 0)
        return;
    const int dx = cx - m_initialClient.cx, dy = cy - m_initialClient.cy;
    for (size_t i = 0; i < m_templateRects.size(); ++i)
    {
        const LayoutRule& rule = kLayout[i];
        RECT rc = m_templateRects[i];
        if (rule.bMoveY)
            OffsetRect(&rc, 0, dy);
        if (rule.bStretchX)
            rc.right += dx;
        if (rule.bStretchY)
            rc.bottom += dy;
        SetWindowPos(GetDlgItem(m_hWnd, rule.nID), nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(m_hWnd, nullptr, TRUE);
}
