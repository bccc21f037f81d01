// The start page: the workflow in five steps and the keys, shown inside the
// view while no scan is open. It never takes the focus by itself, so the
// view keeps the keyboard; Tab in the view moves into it, Escape back out.
// Whether it comes at start-up is kept in the profile.
#pragma once

#include "winbase/Handles.h"
#include "winfw/Dialog.h"

class CStartPage : public CDialog
{
public:
    CStartPage();
    ~CStartPage() override;

    // Made hidden, as a child of hView. FALSE when it could not be made.
    BOOL CreatePage(HWND hView);
    // After a scan opened or a new document began: shown only while there
    // is no image and the user keeps it at start-up.
    void FollowDocument(bool bHasImage);
    // Help > Getting Started: shown whatever the profile says, with the focus.
    void ShowWithFocus();
    void Hide();
    bool IsShown() const;
    // Moves the focus to its first control (Tab from the view).
    void TakeFocus();
    // Centred in the view's client area, or at its top left when larger.
    void Place();

    // The profile's "show at start-up" answer; true until the user clears it.
    static bool ShowAtStartUp();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT nID, UINT nCode) override;
    void OnOK() override;
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* pResult) override;

private:
    void Show(bool bShow);

    UniqueGdiObject<HFONT> m_titleFont;
};
