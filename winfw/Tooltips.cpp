#include "winfw/Tooltips.h"

#include <commctrl.h>

#include "winfw/FwUtil.h"
#include "winbase/Wide.h"

namespace
{
// Wide enough for two or three short lines; longer texts wrap.
const int kMaxTipWidth = 360;
// Long tips stay long enough to be read.
const int kAutoPopMilliseconds = 20000;
}   // namespace

HWND AddControlTips(HWND hWnd, const ControlTip* pTips, size_t nTips)
{
    if (!hWnd)
        return nullptr;
    HWND hTip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hWnd, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hTip)
        return nullptr;
    SendMessageW(hTip, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    SendMessageW(hTip, TTM_SETDELAYTIME, TTDT_AUTOPOP, kAutoPopMilliseconds);
    for (size_t i = 0; i < nTips; ++i)
    {
        HWND hControl = GetDlgItem(hWnd, pTips[i].nControlID);
        std::wstring text = Widen(LoadResString(pTips[i].nIDText));
        if (!hControl || text.empty())
            continue;
        TTTOOLINFOW info = {};
        // The version 5 size: the common controls without a manifest refuse the larger one.
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = hWnd;
        info.uId = reinterpret_cast<UINT_PTR>(hControl);
        info.lpszText = &text[0];   // the control keeps its own copy
        SendMessageW(hTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
    return hTip;
}
