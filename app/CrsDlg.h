// "Coordinate System": chooses the system of the typed map coordinates from
// the built-in catalogue by EPSG code or words of the name, among the
// recently used ones, or None; and the system the control points are typed
// in, the output's unless another is picked. Ends with IDOK, m_nChosenCode
// (0 for None) and m_nPointsCode (0: the output's), or IDCANCEL.
#pragma once

#include <string>
#include <vector>

#include "core/crs/CrsCatalogue.h"
#include "winfw/Dialog.h"

class CCrsDlg : public CDialog
{
public:
    // nCurrentCode: the image's system (0: none); recent: the recently used
    // codes, most recent first.
    // nPointsCode: the points' system when it is another (0: the output's).
    CCrsDlg(int nCurrentCode, std::vector<int> recent, HWND hParent = nullptr, int nPointsCode = 0);

    int m_nChosenCode = 0;
    int m_nPointsCode = 0;

    // The rows the list shows, as catalogue indices (for tests).
    const std::vector<int>& Rows() const { return m_rows; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT nID, UINT nCode) override;
    bool OnNotify(NMHDR* pHeader, LRESULT* pResult) override;

private:
    // Fills the list for the search text and says how many rows it has.
    void Search();
    int SelectedRow() const;
    void SelectRow(int nRow);
    void ShowArea();
    void Choose(int nRow);
    // The points' list: the output's, the current one, the usual datums'
    // degrees and the recent systems; a code added selects its item.
    void FillPointsList();
    void SelectPointsCode(int nCode);
    int ChosenPointsCode() const;

    const CCrsCatalogue& m_catalogue;
    int m_nCurrentCode;
    std::vector<int> m_recent;
    std::vector<int> m_rows;
    HWND m_hList = nullptr;
    HWND m_hSearch = nullptr;
    std::wstring m_cellText;   // what the list last asked to show
};

// The recently used codes from the program's profile, and back.
std::vector<int> LoadRecentCrs();
void SaveRecentCrs(const std::vector<int>& codes);

// Wide text of UTF-8 catalogue text.
std::wstring WideFromUtf8(std::string_view text);
