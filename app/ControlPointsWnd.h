// The Control Points window: a tool window beside the map with every
// control point (pixel, typed and converted coordinates, residuals), the
// fit model, the RMS of each model side by side, the fit's rotation and
// scales, and hints at likely mistakes. A row chosen scrolls the map to its
// point; Delete removes it, Enter or a double click edits its texts.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "app/DocToolWnd.h"
#include "core/georef/FitModel.h"

class CControlPointsWnd : public CDocToolWnd
{
public:
    CControlPointsWnd();

    // Fills every control from the document as it now is.
    void Refresh();
    // The point chosen in the list, or -1.
    int GetSelectedPoint() const;
    void SelectPoint(int nIndex);
    void DeleteSelectedPoint();
    void EditSelectedPoint();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT nID, UINT nCode) override;
    bool OnNotify(NMHDR* pNMHDR, LRESULT* pResult) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* pResult) override;
    void OnShowTool(bool bOpen) override;

private:
    void FillList();
    void FillSummary();
    void UpdateButtons();
    void OnFitModelChosen();
    void SelectModel(FitModel nModel);
    void OnScaleChosen();
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* pDraw);

    bool m_bFilling = false;
    int m_nResidualScale = 10;
    // The models in the fit-model list, item by item.
    std::vector<FitModel> m_offeredModels;
};
