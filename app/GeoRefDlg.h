// "Add Geo-reference": asks the map coordinates of the clicked pixel, or
// removes all control points. Ends with IDC_ADD (1002) and the parsed
// values, IDC_DELETE_ALL (1003) once the user confirmed, or IDCANCEL.
// As "Edit Geo-reference" it shows a point's texts for changing them.
#pragma once

#include <string>

#include "winfw/Dialog.h"

class CGeoRefDlg : public CDialog
{
public:
    explicit CGeoRefDlg(HWND hParent = nullptr);

    double m_dEasting = 0.0;
    double m_dNorthing = 0.0;
    HWND m_editNorthing = nullptr;
    HWND m_editEasting = nullptr;
    // The texts: shown at the start when editing, and as typed after IDC_ADD.
    std::string m_strEasting;
    std::string m_strNorthing;
    // Editing a point: its texts are filled in, and Delete All is not offered.
    bool m_bEditing = false;
    // The point the dialog is about, on the screen: the dialog opens beside it.
    bool m_bAnchored = false;
    POINT m_ptAnchor = {0, 0};

    // Converts both texts; on failure tells the user and returns FALSE.
    BOOL ValidateEntries();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT nID, UINT nCode) override;

private:
    void OnAdd();
    void OnDeleteAll();
    void PlaceBesideAnchor();
};
