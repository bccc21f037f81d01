#include "app/GeoRefDlg.h"

#include <string>

#include "core/georef/DegreeParser.h"
#include "core/view/InputRules.h"
#include "app/res/resource.h"
#include "winfw/FwUtil.h"
#include "winfw/Wnd.h"
#include "winbase/Wide.h"

namespace
{
// Screen pixels kept clear around the point: its marker and a margin.
const int kAnchorClearance = 16;
}

CGeoRefDlg::CGeoRefDlg(HWND hParent) : CDialog(IDD_GEOREF, hParent) {}

BOOL CGeoRefDlg::OnInitDialog()
{
    m_editEasting = GetDlgItem(m_hWnd, IDC_EASTING);
    m_editNorthing = GetDlgItem(m_hWnd, IDC_NORTHING);
    if (m_bEditing)
    {
        SetWindowTextW(m_hWnd, Widen(LoadResString(IDS_EDIT_GEOREF_CAPTION)).c_str());
        SetItemText(IDC_ADD, LoadResString(IDS_EDIT_GEOREF_OK));
        ShowWindow(GetDlgItem(m_hWnd, IDC_DELETE_ALL), SW_HIDE);
        SetWindowTextW(m_editEasting, Widen(m_strEasting).c_str());
        SetWindowTextW(m_editNorthing, Widen(m_strNorthing).c_str());
    }
    if (m_bAnchored)
        PlaceBesideAnchor();
    return CDialog::OnInitDialog();
}

void CGeoRefDlg::PlaceBesideAnchor()
{
    RECT rc;
    GetWindowRect(m_hWnd, &rc);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromPoint(m_ptAnchor, MONITOR_DEFAULTTONEAREST), &info))
        return;
    const ScreenRect work = {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
    int left = 0, top = 0;
    PlaceBesidePoint(m_ptAnchor.x, m_ptAnchor.y, kAnchorClearance, rc.right - rc.left, rc.bottom - rc.top, work, &left,
                     &top);
    SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CGeoRefDlg::OnCommand(UINT nID, UINT nCode)
{
    if (nCode != BN_CLICKED)
        return false;
    switch (nID)
    {
    case IDC_ADD: OnAdd(); return true;
    case IDC_DELETE_ALL: OnDeleteAll(); return true;
    }
    return false;
}

void CGeoRefDlg::OnOK()
{
    // Add is the default button; an IDOK from elsewhere means the same.
    OnAdd();
}

void CGeoRefDlg::OnAdd()
{
    if (ValidateEntries())
        EndDialog(IDC_ADD);
}

void CGeoRefDlg::OnDeleteAll()
{
    if (FwMessageBox(IDS_DELETE_ALL_GEOREFS, MB_YESNO) == IDYES)
        EndDialog(IDC_DELETE_ALL);
}

BOOL CGeoRefDlg::ValidateEntries()
{
    const std::string strEasting = GetWindowString(m_editEasting);
    const std::string strNorthing = GetWindowString(m_editNorthing);
    // The hemisphere letters come from the string table, like every text
    // the user reads or types.
    const std::string strNorth = LoadResString(IDS_NORTH), strEast = LoadResString(IDS_EAST);
    const std::string strSouth = LoadResString(IDS_SOUTH), strWest = LoadResString(IDS_WEST);
    HemisphereLetters letters;
    letters.pszNorth = strNorth.c_str();
    letters.pszEast = strEast.c_str();
    letters.pszSouth = strSouth.c_str();
    letters.pszWest = strWest.c_str();
    if (ConvertCoordinateEntries(strEasting.c_str(), strNorthing.c_str(), &m_dEasting, &m_dNorthing, letters))
    {
        m_strEasting = strEasting;
        m_strNorthing = strNorthing;
        return TRUE;
    }
    FwMessageBox(IDS_INVALID_VALUES, MB_OK);
    return FALSE;
}
