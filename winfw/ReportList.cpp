#include "winfw/ReportList.h"

#include "winfw/FwUtil.h"

void InitReportList(HWND hDlg, HWND hList, const ReportColumn* pColumns, size_t nColumns)
{
    SendMessageA(hList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (size_t i = 0; i < nColumns; ++i)
    {
        RECT width = {0, 0, pColumns[i].cx, 8};
        MapDialogRect(hDlg, &width);
        const std::string title = LoadResString(pColumns[i].nTitle);
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = pColumns[i].bRight && i > 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = width.right;
        column.pszText = const_cast<char*>(title.c_str());
        column.iSubItem = static_cast<int>(i);
        SendMessageA(hList, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
}

void InsertReportRow(HWND hList, int nItem, const std::string& strFirst)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = nItem;
    item.pszText = const_cast<char*>(strFirst.c_str());
    SendMessageA(hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void SetReportText(HWND hList, int nItem, int nColumn, const std::string& strText)
{
    LVITEMA item = {};
    item.iSubItem = nColumn;
    item.pszText = const_cast<char*>(strText.c_str());
    SendMessageA(hList, LVM_SETITEMTEXTA, nItem, reinterpret_cast<LPARAM>(&item));
}

void SetReportColumnTitle(HWND hList, int nColumn, const std::string& strTitle)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<char*>(strTitle.c_str());
    SendMessageA(hList, LVM_SETCOLUMNA, nColumn, reinterpret_cast<LPARAM>(&column));
}

int GetReportSelection(HWND hList)
{
    if (!hList)
        return -1;
    return static_cast<int>(SendMessageA(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SelectReportRow(HWND hList, int nItem)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(hList, LVM_SETITEMSTATE, nItem, reinterpret_cast<LPARAM>(&item));
    SendMessageA(hList, LVM_ENSUREVISIBLE, nItem, FALSE);
}

bool IsNewlySelected(const NMLISTVIEW* pChange)
{
    return (pChange->uChanged & LVIF_STATE) && (pChange->uNewState & LVIS_SELECTED) &&
           !(pChange->uOldState & LVIS_SELECTED);
}
