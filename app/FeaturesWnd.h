// The Features window: a tool window beside the map listing the finished
// features with their number (the ID they are saved with), name, type,
// vertex count and length or area in map units. A row chosen scrolls the
// map to its feature and highlights it; F2, Enter or a double click renames
// it, Delete removes it. Each change is a step of the undo history.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

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
    void RenameSelectedFeature();
    void DeleteSelectedFeature();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT nID, UINT nCode) override;
    bool OnNotify(NMHDR* pNMHDR, LRESULT* pResult) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* pResult) override;
    void OnShowTool(bool bOpen) override;

private:
    void UpdateButtons();

    bool m_bFilling = false;
};
