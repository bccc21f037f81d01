#include "app/AddFeatureDlg.h"

#include "app/res/resource.h"
#include "winfw/FwUtil.h"
#include "winbase/Wide.h"

CAddFeatureDlg::CAddFeatureDlg(HWND hParent) : CDialog(IDD_ADDFEATURE, hParent) {}

BOOL CAddFeatureDlg::OnInitDialog()
{
    if (m_bRenaming)
    {
        SetWindowTextW(m_hWnd, Widen(LoadResString(IDS_RENAME_FEATURE_CAPTION)).c_str());
        SetItemText(IDOK, LoadResString(IDS_RENAME_FEATURE_OK));
        SetItemText(IDCANCEL, LoadResString(IDS_RENAME_FEATURE_CANCEL));
        SetItemText(IDC_FEATURE_NAME, m_strName);
        // All of it selected: typing replaces the name, an arrow key edits it.
        SendDlgItemMessageW(m_hWnd, IDC_FEATURE_NAME, EM_SETSEL, 0, -1);
    }
    return CDialog::OnInitDialog();
}

void CAddFeatureDlg::OnOK()
{
    // Whole and untrimmed: the attribute table is where a name is shortened.
    m_strName = GetItemText(IDC_FEATURE_NAME);
    EndDialog(IDOK);
}
