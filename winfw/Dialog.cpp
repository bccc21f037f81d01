#include "winfw/Dialog.h"

#include "winfw/FrameWnd.h"
#include "winfw/WinApp.h"
#include "winbase/Wide.h"

bool FwIsHelpKey(const MSG& msg)
{
    return msg.message == WM_KEYDOWN && msg.wParam == VK_F1 && GetKeyState(VK_SHIFT) >= 0 &&
           GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
}

void FwSendHelpRequest(HWND hDialog, HWND hControl)
{
    HELPINFO info = {};
    info.cbSize = sizeof(info);
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = hControl ? GetDlgCtrlID(hControl) : 0;
    info.hItemHandle = hControl ? hControl : hDialog;
    GetCursorPos(&info.MousePos);
    SendMessageW(hDialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

namespace
{
// The modal dialog whose loop runs innermost on this thread.
thread_local HWND t_hModalDialog = nullptr;

// F1 in a modal dialog becomes its WM_HELP at once, before the dialog's loop
// translates the key: the system's own WM_HELP arrives through a posted
// message, after anything already queued (a Cancel, say) has ended the dialog.
LRESULT CALLBACK ModalHelpFilter(int nCode, WPARAM wParam, LPARAM lParam)
{
    MSG* pMsg = reinterpret_cast<MSG*>(lParam);
    if (nCode == MSGF_DIALOGBOX && pMsg && t_hModalDialog && FwIsHelpKey(*pMsg) &&
        (pMsg->hwnd == t_hModalDialog || IsChild(t_hModalDialog, pMsg->hwnd)))
    {
        FwSendHelpRequest(t_hModalDialog, pMsg->hwnd);
        return TRUE;
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}
}   // namespace

CDialog::CDialog(UINT nIDTemplate, HWND hParent) : m_nIDTemplate(nIDTemplate), m_hParent(hParent) {}

CDialog::~CDialog() { DestroyWindow(); }

INT_PTR CDialog::DoModal()
{
    HWND hOwner = m_hParent;
    CWinApp* pApp = FwGetApp();
    if (!hOwner && pApp && pApp->m_pMainWnd && IsWindowVisible(pApp->m_pMainWnd->m_hWnd))
        hOwner = pApp->m_pMainWnd->m_hWnd;
    HHOOK hFilter = SetWindowsHookExW(WH_MSGFILTER, ModalHelpFilter, nullptr, GetCurrentThreadId());
    const HWND hOuterDialog = t_hModalDialog;
    INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate), hOwner, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    t_hModalDialog = hOuterDialog;
    if (hFilter)
        UnhookWindowsHookEx(hFilter);
    m_hWnd = nullptr;
    return result;
}

BOOL CDialog::Create(HWND hOwner)
{
    m_bModeless = true;
    HWND hWnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate), hOwner, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr;
}

void CDialog::DestroyWindow()
{
    // A modal dialog's window belongs to its DoModal.
    if (m_bModeless && m_hWnd && IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::OnCommand(UINT, UINT) { return false; }

bool CDialog::OnNotify(NMHDR*, LRESULT*) { return false; }

HBRUSH CDialog::OnCtlColor(HDC, HWND, UINT) { return nullptr; }

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR*) { return false; }

void CDialog::OnHelp()
{
    if (CWinApp* pApp = FwGetApp())
        pApp->ShowHelp(m_nIDTemplate);
}

void CDialog::EndDialog(INT_PTR nResult) { ::EndDialog(m_hWnd, nResult); }

std::string CDialog::GetItemText(int nID) const { return GetWindowString(GetDlgItem(m_hWnd, nID)); }

void CDialog::SetItemText(int nID, const std::string& strText) { SetDlgItemTextW(m_hWnd, nID, Widen(strText).c_str()); }

void CDialog::CheckRadioButton(int nFirst, int nLast, int nCheck) { ::CheckRadioButton(m_hWnd, nFirst, nLast, nCheck); }

int CDialog::GetCheckedRadioButton(int nFirst, int nLast) const
{
    for (int nID = nFirst; nID <= nLast; ++nID)
        if (IsDlgButtonChecked(m_hWnd, nID) == BST_CHECKED)
            return nID;
    return 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* pDlg;
    if (message == WM_INITDIALOG)
    {
        pDlg = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
        pDlg->m_hWnd = hDlg;
        if (!pDlg->m_bModeless)
            t_hModalDialog = hDlg;
    }
    else
    {
        pDlg = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hDlg, DWLP_USER));
    }
    if (!pDlg)
        return FALSE;
    INT_PTR result = FALSE;
    // No exception may unwind through the system's dialog code.
    try
    {
        result = pDlg->HandleMessage(message, wParam, lParam);
    }
    catch (...)
    {
        ReportUnexpectedException();
        if (!pDlg->m_bModeless)
            ::EndDialog(hDlg, IDCANCEL);
        result = TRUE;
    }
    if (message == WM_NCDESTROY)
    {
        SetWindowLongPtrW(hDlg, DWLP_USER, 0);
        pDlg->m_hWnd = nullptr;
    }
    return result;
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_COMMAND:
    {
        UINT nID = LOWORD(wParam);
        UINT nCode = HIWORD(wParam);
        if (OnCommand(nID, nCode))
            return TRUE;
        if (nCode == BN_CLICKED || lParam == 0)
        {
            if (nID == IDOK)
            {
                OnOK();
                return TRUE;
            }
            if (nID == IDCANCEL)
            {
                OnCancel();
                return TRUE;
            }
        }
        return FALSE;
    }
    case WM_NOTIFY:
    {
        LRESULT result = 0;
        if (!OnNotify(reinterpret_cast<NMHDR*>(lParam), &result))
            return FALSE;
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
        return reinterpret_cast<INT_PTR>(
            OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message));
    // F1 in a modal dialog (through the filter above), or the system's own
    // help request handed up from a control.
    case WM_HELP: OnHelp(); return TRUE;
    }
    INT_PTR result = FALSE;
    if (OnMessage(message, wParam, lParam, &result))
        return result;
    return FALSE;
}
