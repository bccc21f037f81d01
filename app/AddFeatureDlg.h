// "Add": the name of the feature just finished. IDOK ("Add" or Enter)
// keeps the feature with m_strName exactly as typed; IDCANCEL ("Delete",
// Escape or the close box) throws it away.
// As "Rename Feature" it shows a finished feature's name for changing it:
// IDOK with the new name, IDCANCEL leaves it.
// Given a session, OK refuses a name the features' file cannot hold, and
// the dialog of a new feature also shows a box for each attribute field
// (of the first kFeatureDialogFields) under the name, filled with
// m_values, so that a contour's height is typed as it is finished; OK
// checks each and hands them back in m_values.
#pragma once

#include <string>
#include <vector>

#include "core/session/ImageSession.h"
#include "winfw/Dialog.h"

class CAddFeatureDlg : public CDialog
{
public:
    explicit CAddFeatureDlg(HWND hParent = nullptr);

    std::string m_strName;
    // Renaming: the field starts with m_strName, the buttons say OK and Cancel.
    bool m_bRenaming = false;
    const CImageSession* m_pSession = nullptr;
    std::vector<FieldValue> m_values;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void AddFieldBoxes();
    int m_nFieldBoxes = 0;
};
