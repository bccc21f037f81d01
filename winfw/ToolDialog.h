// A modeless tool window on a dialog template, owned by the main window:
// it floats over it, follows it while a modal dialog is up, takes the
// keyboard like a dialog (Tab, Enter, arrows) and remembers in the profile
// whether it was open and where it stood. Closing it only hides it. Its
// controls can follow a resize by rules given once the template has made them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "winfw/Dialog.h"

class CToolDialog : public CDialog
{
public:
    // How a control follows a resize: by the change of the window's width
    // and height it grows (stretch) or moves.
    struct LayoutRule
    {
        int nID;
        bool bStretchX, bStretchY, bMoveX, bMoveY;
    };

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
    // Takes the controls' places as the template made them (call from
    // OnInitDialog); the window cannot be made smaller than the given
    // percentages of its template size.
    void SetLayout(const LayoutRule* pRules, size_t nRules, int nMinPercentX, int nMinPercentY);

    // Shown or hidden: the owner of what the window draws elsewhere may
    // need to know.
    virtual void OnShowTool(bool bOpen);
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* pResult) override;

private:
    void SavePlacement() const;
    void RestorePlacement();
    void ApplyLayout(int cx, int cy);

    std::string m_strProfileName;
    std::vector<LayoutRule> m_layout;
    std::vector<RECT> m_templateRects;
    SIZE m_templateClient = {0, 0};
    int m_nMinPercentX = 0, m_nMinPercentY = 0;
};
