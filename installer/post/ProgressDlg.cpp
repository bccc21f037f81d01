#include "installer/post/ProgressDlg.h"

#include "winbase/Handles.h"
#include "installer/post/Module.h"
#include "installer/post/resource.h"

namespace postinst
{

void CAnimButton::DrawItem(const DRAWITEMSTRUCT& item)
{
    static const int kFrames[3] = {IDB_FRAME1, IDB_FRAME2, IDB_FRAME3};
    const int frame = kFrames[m_nFrame % 3];
    ++m_nFrame;

    UniqueGdiObject<HBITMAP> bitmap(LoadBitmapA(ThisModule(), MAKEINTRESOURCEA(frame)));
    UniqueMemoryDc memory(CreateCompatibleDC(item.hDC));
    if (!bitmap || !memory)
        return;
    ScopedSelectObject select(memory.Get(), bitmap.Get());
    RECT client;
    GetClientRect(item.hwndItem, &client);
    BitBlt(item.hDC, client.left, client.top, client.right - client.left, client.bottom - client.top, memory.Get(),
           client.left, client.top, SRCCOPY);
}

CProgressDlg::CProgressDlg(const char* message, HWND parent) : m_strMessage(message ? message : "")
{
    m_hWnd = CreateDialogParamA(ThisModule(), MAKEINTRESOURCEA(IDD_PROGRESS), parent, DialogProc,
                                reinterpret_cast<LPARAM>(this));
    if (!m_hWnd)
        return;
    ShowWindow(m_hWnd, SW_SHOW);
    // Centre on the screen's work area: the window has no parent.
    RECT window, area;
    GetWindowRect(m_hWnd, &window);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const int width = window.right - window.left, height = window.bottom - window.top;
    SetWindowPos(m_hWnd, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CProgressDlg::~CProgressDlg()
{
    if (m_hWnd)
    {
        EndDialog(m_hWnd, 1);
        DestroyWindow(m_hWnd);
    }
}

BOOL CProgressDlg::OnInitDialog()
{
    SetTimer(m_hWnd, 0, kTimerInterval, nullptr);
    if (!m_strMessage.empty())
        SetDlgItemTextA(m_hWnd, IDC_MESSAGE, m_strMessage.c_str());
    return TRUE;
}

void CProgressDlg::OnTimer()
{
    // No erase: the next paint of the picture draws the next frame over the old one.
    InvalidateRect(GetDlgItem(m_hWnd, IDC_PICTURE), nullptr, FALSE);
    InvalidateRect(GetDlgItem(m_hWnd, IDC_MESSAGE), nullptr, FALSE);
}

INT_PTR CALLBACK CProgressDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    try
    {
        if (message == WM_INITDIALOG)
        {
            auto* self = reinterpret_cast<CProgressDlg*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            self->m_hWnd = dialog;
            return self->OnInitDialog();
        }
        auto* self = reinterpret_cast<CProgressDlg*>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (!self)
            return FALSE;
        switch (message)
        {
        case WM_TIMER: self->OnTimer(); return FALSE;   // and the default handling
        case WM_DRAWITEM:
            if (wParam == IDC_PICTURE)
            {
                self->m_picture.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                return TRUE;
            }
            return FALSE;
        case WM_DESTROY:
            KillTimer(dialog, 0);
            SetWindowLongPtrA(dialog, DWLP_USER, 0);
            return FALSE;
        }
    }
    catch (...)
    {
        // A failed paint or timer tick must not unwind through the system's dispatcher.
    }
    return FALSE;
}

}   // namespace postinst
