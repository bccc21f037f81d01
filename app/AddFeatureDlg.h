// "Add": the name of the feature just finished. IDOK ("Add" or Enter)
// keeps the feature with m_strName exactly as typed; IDCANCEL ("Delete",
// Escape or the close box) throws it away.
#pragma once

#include <string>

#include "winfw/Dialog.h"

class CAddFeatureDlg : public CDialog
{
public:
    explicit CAddFeatureDlg(HWND hParent = nullptr);

    std::string m_strName;

protected:
    void OnOK() override;
};
