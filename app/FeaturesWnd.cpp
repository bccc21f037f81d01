#include "app/FeaturesWnd.h"

#include "app/AddFeatureDlg.h"
#include "app/FieldDlg.h"
#include "app/res/resource.h"
#include "core/shape/FeatureMeasure.h"
#include "winbase/Wide.h"
#include "winfw/FwUtil.h"
#include "winfw/Wnd.h"
#include "winfw/ReportList.h"
#include "app/DocumentCommands.h"
#include "winfw/Tooltips.h"

namespace
{
const char kProfileName[] = "Features";
const int kFieldColumnWidth = 60;   // dialog units

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
    {IDC_FEATURES_LIST, true, true, false, false},    {IDC_FEATURES_RENAME, false, false, false, true},
    {IDC_FEATURES_DELETE, false, false, false, true}, {IDC_FEATURES_ADD_FIELD, false, false, false, true},
    {IDC_FEATURES_FIELD, false, false, false, true},  {IDC_FEATURES_REMOVE_FIELD, false, false, false, true},
    {IDC_FEATURES_SUMMARY, true, false, false, true},
};

const ControlTip kTips[] = {
    {IDC_FEATURES_LIST, IDS_TIP_FEATURES_LIST},       {IDC_FEATURES_RENAME, IDS_TIP_FEATURES_RENAME},
    {IDC_FEATURES_DELETE, IDS_TIP_FEATURES_DELETE},   {IDC_FEATURES_ADD_FIELD, IDS_TIP_FEATURES_ADD_FIELD},
    {IDC_FEATURES_FIELD, IDS_TIP_FEATURES_FIELD},     {IDC_FEATURES_REMOVE_FIELD, IDS_TIP_FEATURES_REMOVE_FIELD},
    {IDC_FEATURES_SUMMARY, IDS_TIP_FEATURES_SUMMARY},
};
}   // namespace

CFeaturesWnd::CFeaturesWnd() : CDocToolWnd(IDD_FEATURES, kProfileName) {}

BOOL CFeaturesWnd::OnInitDialog()
{
    InitReportList(m_hWnd, GetDlgItem(m_hWnd, IDC_FEATURES_LIST), kColumns, sizeof kColumns / sizeof kColumns[0]);
    SetLayout(kLayout, sizeof kLayout / sizeof kLayout[0], 50, 50);
    AddControlTips(m_hWnd, kTips, sizeof kTips / sizeof kTips[0]);
    SetWindowSubclass(GetDlgItem(m_hWnd, IDC_FEATURES_LIST), ListProc, 2, reinterpret_cast<DWORD_PTR>(this));
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
    // A refresh under the box would leave it over another value.
    if (m_hEditor && !m_bEnding)
        EndCellEdit(false, false);
    m_bFilling = true;
    SendMessageW(hList, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hList, LVM_DELETEALLITEMS, 0, 0);
    SyncFieldColumns(hList);
    const size_t fieldCount = shapes.Fields().size();
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
        for (size_t f = 0; f < fieldCount; ++f)
            if (const FieldValue value = shape.Value(static_cast<int>(f)))
                SetReportText(hList, i, kFirstFieldColumn + static_cast<int>(f), ShownValue(value));
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
    {
        pView->m_onFeaturePicked = [this](int nIndex) { SelectFeatureFromMap(nIndex); };
        if (IsOpen())
            pView->SetSelectedFeature(GetSelectedFeature());
    }
}

void CFeaturesWnd::SyncFieldColumns(HWND hList)
{
    std::vector<std::string> titles;
    std::vector<bool> numbers;
    for (const CAttributeField& field : Doc()->Session().Features().Fields())
    {
        titles.push_back(ShownValue(field.def.strName));
        numbers.push_back(field.def.nType == FieldType::Integer || field.def.nType == FieldType::Real);
    }
    if (titles == m_fieldTitles && numbers == m_fieldNumbers)
        return;
    for (size_t k = m_fieldTitles.size(); k > 0; --k)
        SendMessageW(hList, LVM_DELETECOLUMN, kFirstFieldColumn + k - 1, 0);
    RECT width = {0, 0, kFieldColumnWidth, 8};
    MapDialogRect(m_hWnd, &width);
    for (size_t k = 0; k < titles.size(); ++k)
    {
        const std::wstring title = Widen(titles[k]);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = numbers[k] ? LVCFMT_RIGHT : LVCFMT_LEFT;   // as the other numbers
        column.cx = width.right;
        column.pszText = const_cast<wchar_t*>(title.c_str());
        column.iSubItem = kFirstFieldColumn + static_cast<int>(k);
        SendMessageW(hList, LVM_INSERTCOLUMNW, kFirstFieldColumn + k, reinterpret_cast<LPARAM>(&column));
    }
    m_fieldTitles = std::move(titles);
    m_fieldNumbers = std::move(numbers);
    if (m_nColumn >= kFirstFieldColumn + static_cast<int>(m_fieldTitles.size()))
        m_nColumn = kNameColumn;
}

int CFeaturesWnd::CurrentField() const
{
    const int field = m_nColumn - kFirstFieldColumn;
    return field >= 0 && field < static_cast<int>(m_fieldTitles.size()) ? field : -1;
}

void CFeaturesWnd::SetCurrentColumn(int nColumn)
{
    if (nColumn == kNameColumn ||
        (nColumn >= kFirstFieldColumn && nColumn < kFirstFieldColumn + static_cast<int>(m_fieldTitles.size())))
        m_nColumn = nColumn;
    UpdateButtons();
}

void CFeaturesWnd::UpdateButtons()
{
    const bool selected = GetSelectedFeature() >= 0;
    EnableWindow(GetDlgItem(m_hWnd, IDC_FEATURES_RENAME), selected);
    EnableWindow(GetDlgItem(m_hWnd, IDC_FEATURES_DELETE), selected);
    const bool field = CurrentField() >= 0;
    EnableWindow(GetDlgItem(m_hWnd, IDC_FEATURES_ADD_FIELD), Doc() != nullptr);
    EnableWindow(GetDlgItem(m_hWnd, IDC_FEATURES_FIELD), field);
    EnableWindow(GetDlgItem(m_hWnd, IDC_FEATURES_REMOVE_FIELD), field);
}

void CFeaturesWnd::EditCurrent()
{
    if (CurrentField() >= 0)
        EditCell(CurrentField());
    else
        RenameSelectedFeature();
}

void CFeaturesWnd::EditCell(int nField)
{
    CImageDoc* pDoc = Doc();
    const int row = GetSelectedFeature();
    if (!pDoc || row < 0 || nField < 0 || nField >= static_cast<int>(m_fieldTitles.size()))
        return;
    if (m_hEditor)
        EndCellEdit(false, false);
    HWND hList = GetDlgItem(m_hWnd, IDC_FEATURES_LIST);
    SendMessageW(hList, LVM_ENSUREVISIBLE, row, FALSE);
    RECT cell = {};
    cell.top = kFirstFieldColumn + nField;
    cell.left = LVIR_BOUNDS;
    if (!SendMessageW(hList, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell)))
        return;
    const std::string text = ShownValue(pDoc->Session().Features().GetAt(row).Value(nField));
    m_hEditor = CreateWindowExW(0, L"EDIT", Widen(text).c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                                cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top, hList,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_FEATURES_CELL)),
                                GetModuleHandleW(nullptr), nullptr);
    if (!m_hEditor)
        return;
    SendMessageW(m_hEditor, WM_SETFONT, SendMessageW(hList, WM_GETFONT, 0, 0), FALSE);
    SetWindowSubclass(m_hEditor, EditorProc, 1, reinterpret_cast<DWORD_PTR>(this));
    m_nEditRow = row;
    m_nEditField = nField;
    m_nColumn = kFirstFieldColumn + nField;
    SendMessageW(m_hEditor, EM_SETSEL, 0, -1);
    SetFocus(m_hEditor);
}

bool CFeaturesWnd::EndCellEdit(bool bKeep, bool bBackToList)
{
    if (!m_hEditor || m_bEnding)
        return true;
    CImageDoc* pDoc = Doc();
    const int row = m_nEditRow, field = m_nEditField;
    if (bKeep && pDoc)
    {
        const std::string text = TypedText(GetWindowString(m_hEditor));
        FieldValue value;
        const FieldValueStatus status = pDoc->Session().CheckValue(field, text, &value);
        if (!status.Ok())
        {
            // The message takes the focus; the box must not end meanwhile.
            m_bEnding = true;
            FwMessageBox(FieldValueMessage(pDoc->Session().Features().Fields()[field].def, status), MB_OK);
            m_bEnding = false;
            if (m_hEditor)
                SetFocus(m_hEditor);
            return false;
        }
        m_bEnding = true;
        ::DestroyWindow(m_hEditor);
        m_hEditor = nullptr;
        Follow(*pDoc, pDoc->Session().SetValue(row, field, value));
        m_bEnding = false;
    }
    else
    {
        m_bEnding = true;
        ::DestroyWindow(m_hEditor);
        m_hEditor = nullptr;
        m_bEnding = false;
    }
    // Back to the row from the keyboard; a click elsewhere keeps its row.
    if (bBackToList)
    {
        SelectFeature(row);
        SetFocus(GetDlgItem(m_hWnd, IDC_FEATURES_LIST));
    }
    return true;
}

// The box lies over its cell, which a scroll moves away: what was typed is
// kept first, as when the focus goes elsewhere, and a value the field
// refuses stops the scroll with the box still over its cell.
LRESULT CALLBACK CFeaturesWnd::ListProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR pThis)
{
    CFeaturesWnd* pWnd = reinterpret_cast<CFeaturesWnd*>(pThis);
    switch (message)
    {
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
        if (pWnd->m_hEditor)
        {
            if (!pWnd->EndCellEdit(true, false))
                return 0;
            SetFocus(hWnd);
        }
        break;
    case WM_NCDESTROY: RemoveWindowSubclass(hWnd, ListProc, 2); break;
    }
    return DefSubclassProc(hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CFeaturesWnd::EditorProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR pThis)
{
    CFeaturesWnd* pWnd = reinterpret_cast<CFeaturesWnd*>(pThis);
    switch (message)
    {
    case WM_GETDLGCODE:
        // Enter and Escape are the box's, not the dialog's.
        return DLGC_WANTALLKEYS | DefSubclassProc(hWnd, message, wParam, lParam);
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_ESCAPE)
        {
            pWnd->EndCellEdit(wParam == VK_RETURN);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == '\r' || wParam == 27)
            return 0;   // no beep
        break;
    case WM_KILLFOCUS:
        if (!pWnd->m_bEnding)
        {
            // Later: the box cannot go while it is losing the focus.
            PostMessageW(pWnd->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_FEATURES_CELL, EN_KILLFOCUS),
                         reinterpret_cast<LPARAM>(hWnd));
        }
        break;
    case WM_NCDESTROY: RemoveWindowSubclass(hWnd, EditorProc, 1); break;
    }
    return DefSubclassProc(hWnd, message, wParam, lParam);
}

void CFeaturesWnd::AddField()
{
    CImageDoc* pDoc = Doc();
    if (!pDoc)
        return;
    CFieldDlg dlg(pDoc->Session(), -1);
    if (dlg.DoModal() != IDOK)
        return;
    Follow(*pDoc, pDoc->Session().AddField(dlg.m_field));
    SetCurrentColumn(kFirstFieldColumn + static_cast<int>(pDoc->Session().Features().Fields().size()) - 1);
}

void CFeaturesWnd::ChangeField()
{
    CImageDoc* pDoc = Doc();
    const int field = CurrentField();
    if (!pDoc || field < 0)
        return;
    CFieldDlg dlg(pDoc->Session(), field);
    if (dlg.DoModal() == IDOK)
        Follow(*pDoc, pDoc->Session().ChangeField(field, dlg.m_field));
}

void CFeaturesWnd::RemoveField()
{
    CImageDoc* pDoc = Doc();
    const int field = CurrentField();
    if (!pDoc || field < 0)
        return;
    if (FwMessageBox(LoadResStringWith(IDS_FIELD_REMOVE_ASK, {m_fieldTitles[field]}), MB_YESNO | MB_ICONQUESTION) !=
        IDYES)
        return;
    Follow(*pDoc, pDoc->Session().RemoveField(field));
    UpdateButtons();
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
    dlg.m_pSession = &pDoc->Session();
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
    // Enter edits the chosen feature's current cell.
    if (m_hEditor)
        EndCellEdit(true);
    else
        EditCurrent();
}

void CFeaturesWnd::OnCancel()
{
    if (m_hEditor)
        EndCellEdit(false);
    else
        CDocToolWnd::OnCancel();
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
    case IDC_FEATURES_ADD_FIELD:
        if (nCode == BN_CLICKED)
            AddField();
        return true;
    case IDC_FEATURES_FIELD:
        if (nCode == BN_CLICKED)
            ChangeField();
        return true;
    case IDC_FEATURES_REMOVE_FIELD:
        if (nCode == BN_CLICKED)
            RemoveField();
        return true;
    case IDC_FEATURES_CELL:
        // The focus went elsewhere: what was typed is kept when it may be.
        if (nCode == EN_KILLFOCUS && m_hEditor && GetFocus() != m_hEditor)
            EndCellEdit(true, false);
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
        case VK_F2: EditCurrent(); break;
        case VK_LEFT: SetCurrentColumn(CurrentField() > 0 ? m_nColumn - 1 : kNameColumn); break;
        case VK_RIGHT: SetCurrentColumn(CurrentField() >= 0 ? m_nColumn + 1 : kFirstFieldColumn); break;
        }
        *pResult = 0;
        return true;
    case NM_CLICK:
        SetCurrentColumn(reinterpret_cast<const NMITEMACTIVATE*>(pNMHDR)->iSubItem);
        *pResult = 0;
        return true;
    case NM_DBLCLK:
    {
        // A field's cell in place; the name, or any other column, in the dialog.
        const int column = reinterpret_cast<const NMITEMACTIVATE*>(pNMHDR)->iSubItem;
        m_nColumn = kNameColumn;
        SetCurrentColumn(column);
        EditCurrent();
        *pResult = 0;
        return true;
    }
    }
    return false;
}

void CFeaturesWnd::SelectFeatureFromMap(int nIndex)
{
    if (!m_hWnd || !IsOpen() || nIndex == GetSelectedFeature())
        return;
    // The map already shows it: no scroll to it.
    m_bFilling = true;
    SelectFeature(nIndex);
    m_bFilling = false;
    UpdateButtons();
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
    if (message == WM_DESTROY && m_hEditor)
        EndCellEdit(false, false);
    if (message == WM_DESTROY)
        if (CImageView* pView = View())
            pView->SetSelectedFeature(-1);
    return CDocToolWnd::OnMessage(message, wParam, lParam, pResult);
}
