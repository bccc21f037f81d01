#include "winfw/Wnd.h"

#include "winfw/LongWork.h"
#include "winfw/WinApp.h"
#include "winbase/Wide.h"

CWnd::~CWnd() { DestroyWindow(); }

void CWnd::DestroyWindow()
{
    if (m_hWnd && IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

void CWnd::RegisterClassOnce(const char* pszClass, UINT style, HCURSOR hCursor, HBRUSH hBackground, HICON hIcon)
{
    const std::wstring className = Widen(pszClass);
    WNDCLASSW existing;
    HINSTANCE hInstance = GetModuleHandleW(nullptr);
    if (GetClassInfoW(hInstance, className.c_str(), &existing))
        return;
    WNDCLASSW wc = {};
    wc.style = style;
    wc.lpfnWndProc = StaticWndProc;
    wc.hInstance = hInstance;
    wc.hCursor = hCursor;
    wc.hbrBackground = hBackground;
    wc.hIcon = hIcon;
    wc.lpszClassName = className.c_str();
    RegisterClassW(&wc);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* pszClass, const char* pszTitle, DWORD dwStyle, int x, int y, int cx,
                    int cy, HWND hParent, HMENU hMenu)
{
    HWND hWnd = CreateWindowExW(dwExStyle, Widen(pszClass).c_str(), Widen(pszTitle ? pszTitle : "").c_str(), dwStyle, x,
                                y, cx, cy, hParent, hMenu, GetModuleHandleW(nullptr), this);
    if (!hWnd)
    {
        m_hWnd = nullptr;
        return FALSE;
    }
    m_hWnd = hWnd;
    return TRUE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }

LRESULT CWnd::Default(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd;
    if (message == WM_NCCREATE)
    {
        pWnd = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pWnd));
        if (pWnd)
            pWnd->m_hWnd = hWnd;
    }
    else
    {
        pWnd = reinterpret_cast<CWnd*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    }
    if (!pWnd)
        return DefWindowProcW(hWnd, message, wParam, lParam);
    // Long work keeps the wait cursor over every window of ours.
    if (message == WM_SETCURSOR && FwIsBusy())
    {
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        return TRUE;
    }

    // No exception may unwind through the system's window code.
    LRESULT result = 0;
    try
    {
        result = pWnd->WindowProc(message, wParam, lParam);
    }
    catch (...)
    {
        ReportUnexpectedException();
        result = 0;
    }
    if (message == WM_NCDESTROY)
    {
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        pWnd->m_hWnd = nullptr;
    }
    return result;
}

std::string GetWindowString(HWND hWnd)
{
    int cch = GetWindowTextLengthW(hWnd);
    std::wstring text(static_cast<size_t>(cch) + 1, L'\0');
    cch = GetWindowTextW(hWnd, &text[0], cch + 1);
    text.resize(static_cast<size_t>(cch > 0 ? cch : 0));
    return Narrow(text);
}
