#include "app/SnapToleranceDlg.h"

#include <string>

#include "app/res/resource.h"
#include "core/view/FeatureSnap.h"
#include "winfw/FwUtil.h"

CSnapToleranceDlg::CSnapToleranceDlg(HWND hParent) : CDialog(IDD_SNAP_TOLERANCE, hParent) {}

BOOL CSnapToleranceDlg::OnInitDialog()
{
    SetItemText(IDC_SNAP_TOLERANCE, std::to_string(m_nPixels));
    SendDlgItemMessageW(m_hWnd, IDC_SNAP_TOLERANCE, EM_SETSEL, 0, -1);
    return CDialog::OnInitDialog();
}

void CSnapToleranceDlg::OnOK()
{
    int pixels = 0;
    if (!ParseSnapTolerance(GetItemText(IDC_SNAP_TOLERANCE).c_str(), &pixels))
    {
        FwMessageBox(IDS_SNAP_TOLERANCE_BAD, MB_OK);
        SetFocus(GetDlgItem(m_hWnd, IDC_SNAP_TOLERANCE));
        return;
    }
    m_nPixels = pixels;
    EndDialog(IDOK);
}
