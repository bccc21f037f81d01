// "Digitise": which kind of feature the user is about to digitise, in
// m_nType after IDOK. Every run starts with "Polylines" checked.
#pragma once

#include "core/shape/Shape.h"
#include "winfw/Dialog.h"

class CDigitiseDlg : public CDialog
{
public:
    explicit CDigitiseDlg(HWND hParent = nullptr);

    ShapeType m_nType = SHAPE_POLYLINE;
    // Features already finished (restored without a fit) keep their type:
    // it is the one offered, the others are disabled.
    bool m_bTypeFixed = false;
    ShapeType m_nFixedType = SHAPE_POLYLINE;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
