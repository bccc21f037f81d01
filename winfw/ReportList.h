// A report-style list view in a dialog: columns from a table of string ids
// and widths, rows of texts, one chosen row.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <string>

struct ReportColumn
{
    UINT nTitle;   // string id
    int cx;        // dialog units
    bool bRight;   // right-aligned (numbers); the first column is always left
};

// Full-row selection with grid lines and the columns of the table.
void InitReportList(HWND hDlg, HWND hList, const ReportColumn* pColumns, size_t nColumns);
// A new row at nItem with the first column's text.
void InsertReportRow(HWND hList, int nItem, const std::string& strFirst);
void SetReportText(HWND hList, int nItem, int nColumn, const std::string& strText);
void SetReportColumnTitle(HWND hList, int nColumn, const std::string& strTitle);
// The chosen row, or -1.
int GetReportSelection(HWND hList);
// Chooses the row, gives it the focus mark and scrolls it into view.
void SelectReportRow(HWND hList, int nItem);
// Whether a change notification says a row has just been chosen.
bool IsNewlySelected(const NMLISTVIEW* pChange);
