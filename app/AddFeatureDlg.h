// "Add": the name of the feature just finished. IDOK ("Add" or Enter)
// keeps the feature with m_strName exactly as typed; IDCANCEL ("Delete",
// Escape or the close box) throws it away.
// As "Rename Feature" it shows a finished feature's name for changing it:
// IDOK with the new name, IDCANCEL leaves it.
#pragma once

#include <string>

#include "winfw/Dialog.h"

class CAddFeatureDlg : public CDialog
{
public:
    explicit CAddFeatureDlg(HWND hParent = nullptr);

    std::string m_strName;
    // Renaming: the field starts with m_strName, the buttons say OK and Cancel.
    bool m_bRenaming = false;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
