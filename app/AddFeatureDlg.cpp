#include "app/AddFeatureDlg.h"

#include "app/res/resource.h"

CAddFeatureDlg::CAddFeatureDlg(HWND hParent) : CDialog(IDD_ADDFEATURE, hParent) {}

void CAddFeatureDlg::OnOK()
{
    // Whole and untrimmed: the attribute table is where a name is shortened.
    m_strName = GetItemText(IDC_FEATURE_NAME);
    EndDialog(IDOK);
}
