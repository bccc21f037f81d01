// The About box: product name, full version and build date, on white, with
// the user guide and the licence a click away.
#pragma once

#include "winfw/Dialog.h"

class CAboutDlg : public CDialog
{
public:
    CAboutDlg();

protected:
    BOOL OnInitDialog() override;
    HBRUSH OnCtlColor(HDC hDC, HWND hControl, UINT nMessage) override;
    bool OnCommand(UINT nID, UINT nCode) override;
};

// The build date the About box shows.
extern const char kBuildDate[];
