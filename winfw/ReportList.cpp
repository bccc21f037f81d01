#include "winfw/ReportList.h"

#include "winfw/FwUtil.h"
#include "winbase/Wide.h"

void InitReportList(HWND hDlg, HWND hList, const ReportColumn* pColumns, size_t nColumns)
{
    SendMessageW(hList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (size_t i = 0; i < nColumns; ++i)
    {
        RECT width = {0, 0, pColumns[i].cx, 8};
        MapDialogRect(hDlg, &width);
        std::wstring title = Widen(LoadResString(pColumns[i].nTitle));
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = pColumns[i].bRight && i > 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = width.right;
        column.pszText = &title[0];
        column.iSubItem = static_cast<int>(i);
        SendMessageW(hList, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

void InsertReportRow(HWND hList, int nItem, const std::string& strFirst)
{
    std::wstring text = Widen(strFirst);
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = nItem;
    item.pszText = &text[0];
    SendMessageW(hList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void SetReportText(HWND hList, int nItem, int nColumn, const std::string& strText)
{
    std::wstring text = Widen(strText);
    LVITEMW item = {};
    item.iSubItem = nColumn;
    item.pszText = &text[0];
    SendMessageW(hList, LVM_SETITEMTEXTW, nItem, reinterpret_cast<LPARAM>(&item));
}

void SetReportColumnTitle(HWND hList, int nColumn, const std::string& strTitle)
{
    std::wstring title = Widen(strTitle);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT;
    column.pszText = &title[0];
    SendMessageW(hList, LVM_SETCOLUMNW, nColumn, reinterpret_cast<LPARAM>(&column));
}

int GetReportSelection(HWND hList)
{
    if (!hList)
        return -1;
    return static_cast<int>(SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SelectReportRow(HWND hList, int nItem)
{
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(hList, LVM_SETITEMSTATE, nItem, reinterpret_cast<LPARAM>(&item));
    SendMessageW(hList, LVM_ENSUREVISIBLE, nItem, FALSE);
}

bool IsNewlySelected(const NMLISTVIEW* pChange)
{
    return (pChange->uChanged & LVIF_STATE) && (pChange->uNewState & LVIS_SELECTED) &&
           !(pChange->uOldState & LVIS_SELECTED);
}
