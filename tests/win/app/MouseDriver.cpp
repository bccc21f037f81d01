#include "tests/win/app/MouseDriver.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/res/resource.h"
#include "winbase/Wide.h"

namespace gui
{
namespace
{
void Send(HWND hView, UINT message, WPARAM flags, POINT client)
{
    SendMessageA(hView, message, flags, MAKELPARAM(client.x, client.y));
    Pump();
}

void ClickVertices(HWND hView, const std::vector<POINT>& clicks)
{
    for (size_t i = 0; i + 1 < clicks.size(); ++i)
        LeftClick(hView, clicks[i]);
    DoubleClick(hView, clicks.back());
}
}

void LeftClick(HWND hView, POINT client)
{
    Send(hView, WM_LBUTTONDOWN, MK_LBUTTON, client);
    Send(hView, WM_LBUTTONUP, 0, client);
}

void DoubleClick(HWND hView, POINT client)
{
    LeftClick(hView, client);
    Send(hView, WM_LBUTTONDBLCLK, MK_LBUTTON, client);
    Send(hView, WM_LBUTTONUP, 0, client);
}

void RightClick(HWND hView, POINT client)
{
    Send(hView, WM_RBUTTONDOWN, MK_RBUTTON, client);
    Send(hView, WM_RBUTTONUP, 0, client);
}

void MouseMove(HWND hView, POINT client) { Send(hView, WM_MOUSEMOVE, 0, client); }

void TypeText(HWND hTarget, const std::string& text)
{
    for (wchar_t ch : Widen(text))
        PostMessageW(hTarget, WM_CHAR, ch, 1);
}

void PostKey(HWND hTarget, UINT nVirtualKey)
{
    PostMessageA(hTarget, WM_KEYDOWN, nVirtualKey, 1);
    PostMessageA(hTarget, WM_KEYUP, nVirtualKey, 0xC0000001);
}

POINT ShowPixel(AppSession& session, int c, int r)
{
    CImageView* pView = session.View();
    RECT client;
    GetClientRect(session.ViewWnd(), &client);
    const int zoom = pView->m_nZoom;
    POINT wanted = {std::max(c * zoom - client.right / 2, 0L), std::max(r * zoom - client.bottom / 2, 0L)};
    pView->ScrollToPosition(wanted);
    Pump();
    POINT scroll = pView->GetScrollPosition();
    return POINT{c * zoom - scroll.x, r * zoom - scroll.y};
}

ModalScript::Answer TypeCoordinates(const std::string& easting, const std::string& northing)
{
    return [easting, northing](HWND hDialog) {
        SetDlgItemTextW(hDialog, IDC_EASTING, Widen(easting).c_str());
        SetDlgItemTextW(hDialog, IDC_NORTHING, Widen(northing).c_str());
        Click(hDialog, IDC_ADD);
    };
}

ModalScript::Answer ChooseShapeType(int nRadioID)
{
    return [nRadioID](HWND hDialog) {
        CheckRadioButton(hDialog, IDC_POLYLINES, IDC_POINTS, nRadioID);
        Click(hDialog, IDOK);
    };
}

ModalScript::Answer NameFeature(const std::string& name)
{
    return [name](HWND hDialog) {
        SetDlgItemTextW(hDialog, IDC_FEATURE_NAME, Widen(name).c_str());
        Click(hDialog, IDOK);
    };
}

void FinishFeature(AppSession& session, const std::string& name, const std::vector<POINT>& clicks)
{
    ModalScript script;
    script.Then(NameFeature(name));
    ClickVertices(session.ViewWnd(), clicks);
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_TRUE(script.Unexpected().empty()) << script.Unexpected()[0].message;
}

size_t DigitiseFeature(HWND hView, int nRadioID, const std::string& name, const std::vector<POINT>& clicks)
{
    ModalScript script;
    script.Then(ChooseShapeType(nRadioID));
    script.Then(NameFeature(name));
    RightClick(hView, POINT{5, 5});
    ClickVertices(hView, clicks);
    return script.Seen().size();
}
}

void ExpectReadingFailure(const std::string& path)
{
    AppSession session;
    std::vector<gui::SeenWindow> seen = session.OpenThroughDialog(path, {gui::ModalScript::Press(IDOK)});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].message, "An error occurred whilst reading the JPG file " + path);
    EXPECT_TRUE(session.Doc()->Image().IsEmpty());
    EXPECT_EQ(session.Doc()->Session().Mode(), MODE_NONE);
}
