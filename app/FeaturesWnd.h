// The Features window: a tool window beside the map listing the finished
// features with their number (the ID they are saved with), name, type,
// vertex count and length or area in map units, then a column for each
// attribute field. A row chosen scrolls the map to its feature and
// highlights it; Delete removes it. The current column (a click, or the
// Left and Right keys) says what F2, Enter or a double click edits: the
// name in the rename dialog, a field's cell in place (Enter or leaving the
// cell keeps the value once the field takes it, Escape leaves it). Fields
// are added, changed and removed with the buttons. Each change is a step
// of the undo history.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/DocToolWnd.h"
#include "core/georef/NumberFormat.h"

// The words of the length or area column for a feature: six significant
// digits with "." as the decimal point, "" when it has none.
inline std::string FormatFeatureSize(double dValue) { return FormatSignificant(dValue, 6); }

class CFeaturesWnd : public CDocToolWnd
{
public:
    CFeaturesWnd();

    // Fills every control from the document as it now is.
    void Refresh();
    // The feature chosen in the list, or -1.
    int GetSelectedFeature() const;
    void SelectFeature(int nIndex);
    // A feature picked on the map: its row chosen, the map left as it is.
    void SelectFeatureFromMap(int nIndex);
    void RenameSelectedFeature();
    void DeleteSelectedFeature();
    // The column F2 edits: kNameColumn or that of a field.
    static const int kNameColumn = 1;
    static const int kFirstFieldColumn = 5;
    int CurrentColumn() const { return m_nColumn; }
    void SetCurrentColumn(int nColumn);
    // Opens the in-place box on the chosen row's cell of field nField.
    void EditCell(int nField);
    // The box, while a cell is edited; null otherwise.
    HWND CellEditor() const { return m_hEditor; }
    // Keeps what the box holds when the field takes it (else says why and
    // leaves the box open: false), or throws it away; the box goes, and
    // the row is chosen again with the focus unless it went elsewhere.
    bool EndCellEdit(bool bKeep, bool bBackToList = true);
    void AddField();
    void ChangeField();
    void RemoveField();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(UINT nID, UINT nCode) override;
    bool OnNotify(NMHDR* pNMHDR, LRESULT* pResult) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* pResult) override;
    void OnShowTool(bool bOpen) override;

private:
    void UpdateButtons();
    void SyncFieldColumns(HWND hList);
    int CurrentField() const;
    // F2, Enter and a double click: the rename dialog or the cell's box.
    void EditCurrent();
    static LRESULT CALLBACK ListProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR nId,
                                     DWORD_PTR pThis);
    static LRESULT CALLBACK EditorProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR nId,
                                       DWORD_PTR pThis);

    bool m_bFilling = false;
    int m_nColumn = kNameColumn;
    std::vector<std::string> m_fieldTitles;   // the field columns shown
    std::vector<bool> m_fieldNumbers;         // which of them are right-aligned
    HWND m_hEditor = nullptr;
    int m_nEditRow = -1;
    int m_nEditField = -1;
    bool m_bEnding = false;
};
