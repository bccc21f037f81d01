// A dialog on a resource template, modal (DoModal) or modeless (Create).
// The dialog fills its controls in OnInitDialog and hands plain values back
// to the caller in OnOK.
#pragma once

#include <windows.h>

#include <string>

class CDialog
{
public:
    // Without hParent the main window owns the dialog.
    explicit CDialog(UINT nIDTemplate, HWND hParent = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog; returns the id it ended with (IDOK, IDCANCEL, ...),
    // or -1 when it could not be shown.
    INT_PTR DoModal();
    // Creates the dialog modeless (hidden unless its template says
    // WS_VISIBLE), owned by hOwner. FALSE when it could not be made.
    BOOL Create(HWND hOwner);
    // Destroys a modeless dialog.
    void DestroyWindow();

    HWND m_hWnd = nullptr;

protected:
    // Returns TRUE to let the system set the focus.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // Other buttons and control notifications; true when handled.
    virtual bool OnCommand(UINT nID, UINT nCode);
    // WM_NOTIFY from a control; true when handled, with the result in *pResult.
    virtual bool OnNotify(NMHDR* pNMHDR, LRESULT* pResult);
    // Colour requests (WM_CTLCOLOR*): a brush, or null for the default.
    virtual HBRUSH OnCtlColor(HDC hDC, HWND hControl, UINT nMessage);
    // Any other message; true when handled, with the result in *pResult.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* pResult);
    // F1 (WM_HELP): by default the application's help for the template's id.
    virtual void OnHelp();

    void EndDialog(INT_PTR nResult);
    std::string GetItemText(int nID) const;
    void SetItemText(int nID, const std::string& strText);
    // Checks nCheck among the radio buttons nFirst..nLast, unchecking the others.
    void CheckRadioButton(int nFirst, int nLast, int nCheck);
    // The checked one of the radio buttons nFirst..nLast, or 0.
    int GetCheckedRadioButton(int nFirst, int nLast) const;

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_nIDTemplate;
    HWND m_hParent;
    bool m_bModeless = false;
};

// F1 pressed in hControl of the dialog hDialog: sends the dialog WM_HELP, as
// the system does, from a message loop that sees the key before the dialog
// (and would give it to the main window's accelerator table).
void FwSendHelpRequest(HWND hDialog, HWND hControl);
// Whether a key message is F1 alone, without Shift, Ctrl or Alt.
bool FwIsHelpKey(const MSG& msg);
