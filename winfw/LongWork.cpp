#include "winfw/LongWork.h"

#include <windows.h>

#include <exception>
#include <system_error>
#include <thread>

#include "winfw/FrameWnd.h"
#include "winfw/FwUtil.h"
#include "winfw/StatusBar.h"
#include "winfw/WinApp.h"

namespace
{
int g_nBusy = 0;

// Input the user gave while the program was busy, and commands: not acted
// on later.
bool IsInput(UINT message)
{
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) || message == WM_MOUSEHOVER ||
           message == WM_MOUSELEAVE || message == WM_NCMOUSELEAVE || message == WM_COMMAND ||
           message == WM_SYSCOMMAND || message == WM_DROPFILES;
}

CStatusBar* MessageBar()
{
    CWinApp* pApp = FwGetApp();
    return pApp && pApp->m_pMainWnd ? pApp->m_pMainWnd->GetMessageBar() : nullptr;
}

class CBusyScope
{
public:
    CBusyScope() : m_pBar(MessageBar()), m_dwStart(GetTickCount()) { ++g_nBusy; }
    ~CBusyScope()
    {
        if (m_pBar && m_bShown)
            m_pBar->ShowProgress(FALSE);
        --g_nBusy;
    }
    CBusyScope(const CBusyScope&) = delete;
    CBusyScope& operator=(const CBusyScope&) = delete;
    // The bar appears only for work that lasts: short work would flash it.
    void Show(int permille, const CLongWorkOptions& options)
    {
        const DWORD elapsed = GetTickCount() - m_dwStart;
        const int percent = permille / 10;
        if (options.statusText && elapsed >= kTextAfterMs && percent != m_nTextPercent)
        {
            FwSetStatusText(options.statusText(percent));
            m_nTextPercent = percent;
        }
        if (!m_pBar)
            return;
        if (!m_bShown && elapsed >= kShowAfterMs)
        {
            m_pBar->ShowProgress(TRUE);
            m_bShown = true;
        }
        if (m_bShown)
            m_pBar->SetProgress(permille);
    }

private:
    static const DWORD kShowAfterMs = 300;
    static const DWORD kTextAfterMs = 500;
    CStatusBar* m_pBar;
    DWORD m_dwStart;
    bool m_bShown = false;
    int m_nTextPercent = -1;
};
}

bool FwIsBusy() { return g_nBusy > 0; }

void FwRunLongWork(const std::function<void(CProgress& progress)>& work, const CLongWorkOptions& options)
{
    CProgress progress;
    CBusyScope busy;
    std::exception_ptr error;
    std::atomic<bool> done{false};
    std::thread worker;
    const DWORD dwThisThread = GetCurrentThreadId();
    try
    {
        worker = std::thread([&] {
            try
            {
                work(progress);
            }
            catch (...)
            {
                error = std::current_exception();
            }
            done = true;
            // Wakes the waiting loop at once.
            PostThreadMessageW(dwThisThread, WM_NULL, 0, 0);
        });
    }
    catch (const std::system_error&)
    {
        work(progress);
        return;
    }

    HCURSOR hWait = LoadCursor(nullptr, IDC_WAIT);
    bool bQuit = false;
    WPARAM quitCode = 0;
    HWND hClosing = nullptr;
    while (!done)
    {
        // Woken by any message, and a few times a second for the bar.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (!done && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
            {
                bQuit = true;
                quitCode = msg.wParam;
                progress.Cancel();
                continue;
            }
            if (msg.message == WM_CLOSE)
            {
                hClosing = msg.hwnd;
                progress.Cancel();
                continue;
            }
            if (options.bCancellable && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)
                progress.Cancel();
            if (IsInput(msg.message))
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        busy.Show(progress.Permille(), options);
        SetCursor(hWait);
    }
    worker.join();
    if (bQuit)
        PostQuitMessage(static_cast<int>(quitCode));
    if (hClosing)
        PostMessageW(hClosing, WM_CLOSE, 0, 0);
    if (error)
        std::rethrow_exception(error);
}
