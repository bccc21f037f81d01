// A C++ object behind a window: the window procedure finds the object
// through the window's user data and calls its WindowProc.
#pragma once

#include <windows.h>

#include <string>

class CWnd
{
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    void DestroyWindow();

    HWND m_hWnd = nullptr;

protected:
    // Registers (once) a window class whose procedure dispatches to CWnd
    // objects, and creates the window for this object.
    BOOL CreateEx(DWORD dwExStyle, const char* pszClass, const char* pszTitle, DWORD dwStyle, int x, int y, int cx,
                  int cy, HWND hParent, HMENU hMenu);
    static void RegisterClassOnce(const char* pszClass, UINT style, HCURSOR hCursor, HBRUSH hBackground, HICON hIcon);

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// The text of a window, of any length.
std::string GetWindowString(HWND hWnd);
