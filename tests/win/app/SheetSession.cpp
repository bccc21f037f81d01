#include "tests/win/app/SheetSession.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/ControlPointsWnd.h"
#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"

namespace gui
{
CControlPointsWnd* ShowControlPoints(AppSession& session)
{
    CControlPointsWnd* pWnd = session.Frame()->GetControlPointsWnd();
    if (!pWnd || !pWnd->IsOpen())
        PressKey(session.FrameWnd(), VK_F8, {});
    return session.Frame()->GetControlPointsWnd();
}

void TypeCrossings(AppSession& session, const std::vector<TypedCrossing>& crossings)
{
    for (const TypedCrossing& point : crossings)
    {
        ModalScript script;
        script.Then(TypeCoordinates(point.lon, point.lat));
        LeftClick(session.ViewWnd(), ShowPixel(session, point.column, point.row));
        ASSERT_EQ(script.Seen().size(), 1u) << point.lon << " " << point.lat;
    }
}

void ChooseFitModel(CControlPointsWnd& window, FitModel nModel)
{
    HWND hModel = GetDlgItem(window.m_hWnd, IDC_CP_FIT_MODEL);
    SendMessageA(hModel, CB_SETCURSEL, FitModelIndex(nModel), 0);
    SendMessageA(window.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_CP_FIT_MODEL, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(hModel));
}

void DigitiseAndSave(AppSession& session, const std::vector<NamedLine>& lines, const std::string& folder,
                     const std::string& kind)
{
    std::ofstream expected(folder + "\\" + kind + ".expected", std::ios::trunc);
    for (const NamedLine& line : lines)
    {
        ModalScript script;
        script.Then(NameFeature(line.name));
        for (size_t i = 0; i < line.pixels.size(); ++i)
        {
            const POINT client = ShowPixel(session, line.pixels[i].x, line.pixels[i].y);
            if (i + 1 == line.pixels.size())
                DoubleClick(session.ViewWnd(), client);
            else
                LeftClick(session.ViewWnd(), client);
        }
        ASSERT_EQ(script.Seen().size(), 1u) << line.name;
        expected << line.name;
        for (const POINT& p : line.pixels)
            expected << "|" << p.x << " " << p.y;
        expected << "\n";
    }
    expected.close();
    const std::vector<SeenWindow> seen = session.SaveThroughDialog(folder + "\\" + kind);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].message, "File saved as " + folder + "\\" + kind + ".shp");
}
}   // namespace gui
