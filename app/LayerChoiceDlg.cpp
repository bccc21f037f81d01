#include "app/LayerChoiceDlg.h"

#include "app/res/resource.h"
#include "winbase/Wide.h"

CLayerChoiceDlg::CLayerChoiceDlg(HWND hParent) : CDialog(IDD_CHOOSE_LAYER, hParent) {}

BOOL CLayerChoiceDlg::OnInitDialog()
{
    const HWND hList = GetDlgItem(m_hWnd, IDC_LAYER_LIST);
    for (const std::string& name : m_layers)
        SendMessageW(hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(name).c_str()));
    SendMessageW(hList, LB_SETCURSEL, static_cast<WPARAM>(m_nChosen), 0);
    // The list has the keyboard: arrows choose, Enter opens.
    SetFocus(hList);
    CDialog::OnInitDialog();
    return FALSE;
}

void CLayerChoiceDlg::OnOK()
{
    const LRESULT nSel = SendDlgItemMessageW(m_hWnd, IDC_LAYER_LIST, LB_GETCURSEL, 0, 0);
    if (nSel == LB_ERR)
        return;
    m_nChosen = static_cast<int>(nSel);
    EndDialog(IDOK);
}

bool CLayerChoiceDlg::OnCommand(UINT nID, UINT nCode)
{
    if (nID == IDC_LAYER_LIST && nCode == LBN_DBLCLK)
    {
        OnOK();
        return true;
    }
    return false;
}
