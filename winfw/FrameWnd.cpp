#include "winfw/FrameWnd.h"

#include <shellapi.h>

#include "winfw/Document.h"
#include "winfw/LongWork.h"
#include "winfw/StatusBar.h"
#include "winfw/View.h"
#include "winfw/WinApp.h"
#include "winbase/Wide.h"

namespace
{
const char kFrameClass[] = "QuarvexFrame";
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA&) { return TRUE; }

int CFrameWnd::OnCreate(LPCREATESTRUCTW) { return 0; }

CStatusBar* CFrameWnd::GetMessageBar() { return nullptr; }

BOOL CFrameWnd::SaveModified() { return TRUE; }

BOOL CFrameWnd::LoadFrame(UINT nIDResource)
{
    HINSTANCE hInstance = GetModuleHandleW(nullptr);
    HICON hIcon = LoadIconW(hInstance, MAKEINTRESOURCEW(nIDResource));
    RegisterClassOnce(kFrameClass, CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                      reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1), hIcon);
    CREATESTRUCTA cs = {};
    cs.lpszClass = kFrameClass;
    cs.lpszName = "";
    cs.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    cs.x = CW_USEDEFAULT;
    cs.y = CW_USEDEFAULT;
    cs.cx = CW_USEDEFAULT;
    cs.cy = CW_USEDEFAULT;
    cs.hMenu = LoadMenuW(hInstance, MAKEINTRESOURCEW(nIDResource));
    if (!PreCreateWindow(cs))
        return FALSE;
    if (!CreateEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy, nullptr, cs.hMenu))
    {
        if (cs.hMenu)
            DestroyMenu(cs.hMenu);
        return FALSE;
    }
    return TRUE;
}

void CFrameWnd::SetActiveView(CView* pView)
{
    m_pActiveView = pView;
    RecalcLayout();
}

void CFrameWnd::SetMessageText(const std::string& strText)
{
    if (CStatusBar* pBar = GetMessageBar())
    {
        SetWindowTextW(pBar->m_hWnd, Widen(strText).c_str());
        // Shown at once: the text often announces a long synchronous task.
        UpdateWindow(pBar->m_hWnd);
    }
}

void CFrameWnd::SetTitleText(const std::string& strTitle)
{
    if (m_hWnd && GetWindowString(m_hWnd) != strTitle)
        SetWindowTextW(m_hWnd, Widen(strTitle).c_str());
}

bool CFrameWnd::RouteCommand(UINT nID)
{
    CDocument* pDoc = m_pActiveView ? m_pActiveView->GetDocument() : nullptr;
    CWinApp* pApp = FwGetApp();
    return (m_pActiveView && m_pActiveView->DoCommand(nID)) || (pDoc && pDoc->DoCommand(nID)) || DoCommand(nID) ||
           (pApp && pApp->DoCommand(nID));
}

void CFrameWnd::RouteUpdate(CCmdUI& ui)
{
    CDocument* pDoc = m_pActiveView ? m_pActiveView->GetDocument() : nullptr;
    CWinApp* pApp = FwGetApp();
    if ((m_pActiveView && m_pActiveView->DoUpdate(ui)) || (pDoc && pDoc->DoUpdate(ui)) || DoUpdate(ui) ||
        (pApp && pApp->DoUpdate(ui)))
        return;
    ui.m_bEnabled = false;
    ui.m_bChecked = false;
}

void CFrameWnd::RecalcLayout()
{
    if (!m_hWnd)
        return;
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    if (CStatusBar* pBar = GetMessageBar())
    {
        if (pBar->m_hWnd)
        {
            SendMessageW(pBar->m_hWnd, WM_SIZE, 0, 0);
            pBar->RecalcPanes();
            RECT rcBar;
            GetWindowRect(pBar->m_hWnd, &rcBar);
            rc.bottom -= rcBar.bottom - rcBar.top;
        }
    }
    if (m_pActiveView && m_pActiveView->m_hWnd)
        MoveWindow(m_pActiveView->m_hWnd, 0, 0, rc.right, rc.bottom > 0 ? rc.bottom : 0, TRUE);
}

void CFrameWnd::OnInitMenuPopup(HMENU hMenu)
{
    int count = GetMenuItemCount(hMenu);
    for (int i = 0; i < count; ++i)
    {
        UINT nID = GetMenuItemID(hMenu, i);
        if (nID == 0 || nID == static_cast<UINT>(-1))
            continue;   // separator or submenu
        CCmdUI ui(nID);
        RouteUpdate(ui);
        if (ui.m_bTextSet)
        {
            std::wstring text = Widen(ui.m_strText);
            MENUITEMINFOW info = {};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_TYPE;
            info.fType = MFT_STRING;
            info.dwTypeData = &text[0];
            SetMenuItemInfoW(hMenu, static_cast<UINT>(i), TRUE, &info);
        }
        EnableMenuItem(hMenu, i, MF_BYPOSITION | (ui.m_bEnabled ? MF_ENABLED : MF_GRAYED));
        CheckMenuItem(hMenu, i, MF_BYPOSITION | (ui.m_bChecked ? MF_CHECKED : MF_UNCHECKED));
    }
}

void CFrameWnd::OnDropFiles(HDROP hDrop)
{
    UINT cch = DragQueryFileW(hDrop, 0, nullptr, 0);
    std::wstring wide(cch + 1, L'\0');
    if (cch > 0 && DragQueryFileW(hDrop, 0, &wide[0], cch + 1) == cch)
    {
        wide.resize(cch);
        const std::string path = Narrow(wide);
        DragFinish(hDrop);
        SetForegroundWindow(m_hWnd);
        if (CWinApp* pApp = FwGetApp())
            pApp->OpenDocumentFile(path.c_str());
        return;
    }
    DragFinish(hDrop);
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_CREATE: return OnCreate(reinterpret_cast<LPCREATESTRUCTW>(lParam));
    case WM_SIZE: RecalcLayout(); return 0;
    case WM_SETFOCUS:
        if (m_pActiveView && m_pActiveView->m_hWnd)
            SetFocus(m_pActiveView->m_hWnd);
        return 0;
    case WM_INITMENUPOPUP:
        if (!HIWORD(lParam))
            OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_COMMAND:
        // Menus (code 0) and accelerators (code 1) carry no control. A
        // disabled command is ignored, also when it comes from a key.
        if (lParam == 0 && HIWORD(wParam) <= 1)
        {
            UINT nID = LOWORD(wParam);
            CCmdUI ui(nID);
            RouteUpdate(ui);
            if (ui.m_bEnabled)
                RouteCommand(nID);
            return 0;
        }
        break;
    case WM_DROPFILES:
        // While long work runs on the document, nothing else is opened or
        // closed under it: a file dropped meanwhile is let go.
        if (FwIsBusy())
            DragFinish(reinterpret_cast<HDROP>(wParam));
        else
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_ENABLE:
        // A modal dialog or message disables the main window: the tool
        // windows it owns wait for the answer too.
        if (CWinApp* pApp = FwGetApp())
            pApp->EnableModelessWindows(wParam != FALSE);
        break;
    case WM_CLOSE:
        if (CWinApp* pApp = FwGetApp())
            if (!FwIsBusy())
                pApp->CloseMainFrame();
        return 0;
    case WM_QUERYENDSESSION:
        // Logging off or shutting down ends the program as Exit does: the
        // document is asked first, so that unsaved features are offered.
        if (FwIsBusy())
            return FALSE;
        return SaveModified();
    case WM_DESTROY:
        if (CWinApp* pApp = FwGetApp())
            if (pApp->m_pMainWnd == this)
                PostQuitMessage(0);
        break;
    }
    return Default(message, wParam, lParam);
}
