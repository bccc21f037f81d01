#include "app/AboutDlg.h"

#include "app/ProgramFiles.h"
#include "app/UserGuide.h"
#include "app/res/resource.h"
#include "winfw/FwUtil.h"

const char kBuildDate[] = "Apr 11 2002";

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetItemText(IDC_BUILD_DATE, LoadResString(IDS_BUILD_DATE) + ": " + kBuildDate);
    return TRUE;
}

HBRUSH CAboutDlg::OnCtlColor(HDC, HWND, UINT)
{
    // The box and every control on it are painted on white.
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

bool CAboutDlg::OnCommand(UINT nID, UINT nCode)
{
    if (nCode != BN_CLICKED)
        return false;
    if (nID == IDC_ABOUT_GUIDE)
        OpenUserGuide(0);
    else if (nID == IDC_ABOUT_LICENCE)
        OpenShippedFile("LICENSE.txt");
    else
        return false;
    return true;
}
