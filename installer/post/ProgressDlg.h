// The modeless "Set-up" window shown during the database copy and the MDAC
// run: a message line and a three-frame picture that moves on a timer.
#pragma once

#include <windows.h>

#include <string>

namespace postinst
{

// The owner-drawn picture: each paint shows the next of bitmaps 2001-2003.
class CAnimButton
{
public:
    void DrawItem(const DRAWITEMSTRUCT& item);
    unsigned long FrameCounter() const { return m_nFrame; }

private:
    unsigned long m_nFrame = 0;
};

class CProgressDlg
{
public:
    // Creates, shows and centres the window at once; a null message keeps
    // the template's "Copying database file...".
    CProgressDlg(const char* message, HWND parent);
    // Closes the window.
    ~CProgressDlg();
    CProgressDlg(const CProgressDlg&) = delete;
    CProgressDlg& operator=(const CProgressDlg&) = delete;

    HWND Window() const { return m_hWnd; }
    const CAnimButton& Picture() const { return m_picture; }

    static const UINT kTimerInterval = 200;

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog();
    void OnTimer();

    std::string m_strMessage;
    CAnimButton m_picture;
    HWND m_hWnd = nullptr;
};

}   // namespace postinst
