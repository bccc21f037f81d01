// "Coordinate System": chooses the system of the typed map coordinates from
// the built-in catalogue by EPSG code or words of the name, among the
// recently used ones, or None. Ends with IDOK and m_nChosenCode (0 for
// None), or IDCANCEL.
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
    CCrsDlg(int nCurrentCode, std::vector<int> recent, HWND hParent = nullptr);

    int m_nChosenCode = 0;

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
