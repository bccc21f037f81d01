// "Digitise": which kind of feature the user is about to digitise. After
// IDOK, m_nType holds the Shapefile type code: 3 polylines, 5 polygons,
// 1 points. Every run starts with "Polylines" checked.
#pragma once

#include "winfw/Dialog.h"

class CDigitiseDlg : public CDialog
{
public:
    explicit CDigitiseDlg(HWND hParent = nullptr);

    int m_nType = 3;
    // Features already finished (restored without a fit) keep their type:
    // it is the one offered, the others are disabled. 0: any.
    int m_nFixedType = 0;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
