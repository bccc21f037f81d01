// "Snap Tolerance": how near, in screen pixels, a click must come to a
// vertex or segment to snap to it. m_nPixels in and, after IDOK, out.
#pragma once

#include "winfw/Dialog.h"

class CSnapToleranceDlg : public CDialog
{
public:
    explicit CSnapToleranceDlg(HWND hParent = nullptr);

    int m_nPixels = 10;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
