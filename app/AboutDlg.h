// The About box: product name, version and build date, on white.
#pragma once

#include "winfw/Dialog.h"

class CAboutDlg : public CDialog
{
public:
    CAboutDlg();

protected:
    BOOL OnInitDialog() override;
    HBRUSH OnCtlColor(HDC hDC, HWND hControl, UINT nMessage) override;
};

// The build date the About box shows.
extern const char kBuildDate[];
