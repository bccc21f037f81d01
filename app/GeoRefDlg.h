// "Add Geo-reference": asks the map coordinates of the clicked pixel, or
// removes all control points. Ends with IDC_ADD (1002) and the parsed
// values, IDC_DELETE_ALL (1003) once the user confirmed, or IDCANCEL.
#pragma once

#include "winfw/Dialog.h"

class CGeoRefDlg : public CDialog
{
public:
    explicit CGeoRefDlg(HWND hParent = nullptr);

    double m_dEasting = 0.0;
    double m_dNorthing = 0.0;
    HWND m_editNorthing = nullptr;
    HWND m_editEasting = nullptr;

    // Converts both texts; on failure tells the user and returns FALSE.
    BOOL ValidateEntries();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT nID, UINT nCode) override;

private:
    void OnAdd();
    void OnDeleteAll();
};
