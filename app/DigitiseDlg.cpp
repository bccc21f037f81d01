#include "app/DigitiseDlg.h"

#include "app/res/resource.h"

CDigitiseDlg::CDigitiseDlg(HWND hParent) : CDialog(IDD_DIGITISE, hParent) {}

BOOL CDigitiseDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CheckRadioButton(IDC_POLYLINES, IDC_POINTS, IDC_POLYLINES);
    if (m_bTypeFixed)
    {
        const int fixed = m_nFixedType == SHAPE_POLYGON ? IDC_POLYGONS
                          : m_nFixedType == SHAPE_POINT ? IDC_POINTS
                                                        : IDC_POLYLINES;
        CheckRadioButton(IDC_POLYLINES, IDC_POINTS, fixed);
        for (int nID = IDC_POLYLINES; nID <= IDC_POINTS; ++nID)
            EnableWindow(GetDlgItem(m_hWnd, nID), nID == fixed);
    }
    // The focus goes to OK, the first control that takes it: Enter confirms.
    return TRUE;
}

void CDigitiseDlg::OnOK()
{
    switch (GetCheckedRadioButton(IDC_POLYLINES, IDC_POINTS))
    {
    case IDC_POLYGONS: m_nType = SHAPE_POLYGON; break;
    case IDC_POINTS: m_nType = SHAPE_POINT; break;
    default: m_nType = SHAPE_POLYLINE; break;
    }
    EndDialog(IDOK);
}
