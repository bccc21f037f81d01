// A modeless tool window on a dialog template, owned by the main window:
// it floats over it, follows it while a modal dialog is up, takes the
// keyboard like a dialog (Tab, Enter, arrows) and remembers in the profile
// whether it was open and where it stood. Closing it only hides it.
#pragma once

#include <string>

#include "winfw/Dialog.h"

class CToolDialog : public CDialog
{
public:
    // pszProfileName names its entries in the profile ("ControlPoints").
    CToolDialog(UINT nIDTemplate, const char* pszProfileName);
    ~CToolDialog() override;

    // Creates the window hidden, at its remembered place. FALSE when it
    // could not be made.
    BOOL CreateTool(HWND hOwner);
    // Shows it again if it was open when the program last ended.
    void RestoreOpenState();
    bool IsOpen() const;
    // Shows (and activates) or hides it; remembered at once.
    void Show(bool bOpen);
    void Toggle() { Show(!IsOpen()); }

protected:
    // Shown or hidden: the owner of what the window draws elsewhere may
    // need to know.
    virtual void OnShowTool(bool bOpen);
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* pResult) override;

private:
    void SavePlacement() const;
    void RestorePlacement();

    std::string m_strProfileName;
};
