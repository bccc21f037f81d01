// The framework's modal dialogs: a template filled at initialisation, a
// plain value handed back on OK, nothing on Cancel, and the main window as
// the owner when the caller names none.
#include <gtest/gtest.h>

#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "winfw/Dialog.h"

using gui::ModalScript;

namespace
{
// A dialog on the shape-type template that hands back the checked button.
class ShapeTypeDialog : public CDialog
{
public:
    ShapeTypeDialog() : CDialog(IDD_DIGITISE) {}
    int m_nChosen = 0;
    HWND m_hOwner = nullptr;

protected:
    BOOL OnInitDialog() override
    {
        m_hOwner = GetWindow(m_hWnd, GW_OWNER);
        CheckRadioButton(IDC_POLYLINES, IDC_POINTS, IDC_POLYLINES);
        return TRUE;
    }
    void OnOK() override
    {
        m_nChosen = GetCheckedRadioButton(IDC_POLYLINES, IDC_POINTS);
        CDialog::OnOK();
    }
};
}

TEST(FrameworkDialog, HandsBackThePlainValueOnOkOnly)
{
    AppSession session;
    struct Case
    {
        int click;   // radio button pressed first, or 0
        int button;
        INT_PTR result;
        int chosen;
    } cases[] = {
        {0, IDOK, IDOK, IDC_POLYLINES},
        {IDC_POINTS, IDOK, IDOK, IDC_POINTS},
        {IDC_POLYGONS, IDCANCEL, IDCANCEL, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.click);
        ShapeTypeDialog dialog;
        ModalScript script;
        std::string title;
        script.Then([&](HWND hDialog) {
            title = gui::Text(hDialog);
            if (c.click)
                SendMessageA(GetDlgItem(hDialog, c.click), BM_CLICK, 0, 0);
            gui::Click(hDialog, c.button);
        });
        EXPECT_EQ(dialog.DoModal(), c.result);
        EXPECT_EQ(title, "Digitise");
        EXPECT_EQ(dialog.m_nChosen, c.chosen);
        EXPECT_EQ(dialog.m_hOwner, session.FrameWnd());
    }
}
