// Tooltips on a dialog's controls: one tooltip control per window, each
// control's text from the string table.
#pragma once

#include <windows.h>

#include <cstddef>

struct ControlTip
{
    int nControlID;
    UINT nIDText;   // string-table id
};

// Gives each control of hWnd named in pTips its tip. Controls the window
// lacks are passed over. Returns the tooltip control (owned by hWnd, so it
// goes with it), or null when none could be made: the window works without.
HWND AddControlTips(HWND hWnd, const ControlTip* pTips, size_t nTips);
