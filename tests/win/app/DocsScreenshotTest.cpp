// The screenshot in docs/: the sample map opened as a user opens it, with
// its control points. Written only when QUARVEX_SCREENSHOT names the BMP
// file to write (tools/docs-screenshot.sh does that).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "app/ControlPointsWnd.h"
#include "app/FeaturesWnd.h"
#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"
#include "tests/win/app/DocTestAccess.h"

TEST(DocsScreenshot, SampleMapWithItsControlPoints)
{
    const char* pszOutput = std::getenv("QUARVEX_SCREENSHOT");
    if (!pszOutput || !*pszOutput)
        GTEST_SKIP() << "QUARVEX_SCREENSHOT is not set";
    // A copy with its points: the program writes its settings beside the
    // scan it opens, which must not be the bundled sample in the source tree.
    const std::string sample =
        CopyFixture("../../../../samples/sample_map.jpg", gui::TempFolder("docs-sample"), "sample_map.jpg", true);
    AppSession session({sample});
    ASSERT_TRUE(session.started);
    ASSERT_FALSE(session.Doc()->Image().IsEmpty());
    ASSERT_FALSE(session.Doc()->Session().GeoRef().m_points.empty());
    MoveWindow(session.FrameWnd(), 0, 0, 1000, 720, TRUE);
    gui::Pump();
    // The top-left corner of the sheet, with its control point and label.
    session.View()->ScrollToPosition(POINT{0, 60});
    gui::Pump();
    gui::Capture capture = gui::CaptureWindow(session.FrameWnd());
    ASSERT_TRUE(capture.SaveBmp(pszOutput));
}

// The screenshot of the Control Points window in docs/: the true-proportion
// sample with four crossings typed in degrees, the first model's residuals
// drawn ten times their length toward where the fit puts each point, the
// list with the worst point flagged and the RMS of each model. Written
// only when QUARVEX_CONTROL_POINTS_SCREENSHOT names the BMP file to write.
TEST(DocsScreenshot, ControlPointsWithResidualVectors)
{
    const char* pszOutput = std::getenv("QUARVEX_CONTROL_POINTS_SCREENSHOT");
    if (!pszOutput || !*pszOutput)
        GTEST_SKIP() << "QUARVEX_CONTROL_POINTS_SCREENSHOT is not set";
    std::string image = CopyFixture("../../../../samples/true_proportion_map.jpg", gui::TempFolder("docs-cp"),
                                    "true_proportion_map.jpg", false);
    AppSession session({image});
    ASSERT_TRUE(session.started);
    MoveWindow(session.FrameWnd(), 0, 0, 1000, 700, TRUE);
    gui::Pump();
    const struct
    {
        const char *lon, *lat;
        int column, row;
    } crossings[] = {{"7 00 00 E", "45 00 00 N", 178, 1430},
                     {"7 05 00 E", "45 00 00 N", 1318, 1370},
                     {"7 00 00 E", "45 04 00 N", 110, 138},
                     {"7 04 00 E", "45 04 00 N", 1022, 90}};
    for (const auto& c : crossings)
    {
        session.View()->ScrollToPosition(POINT{c.column - 200, c.row - 200});
        gui::Pump();
        const POINT scroll = session.View()->GetScrollPosition();
        gui::ModalScript script;
        script.Then(gui::TypeCoordinates(c.lon, c.lat));
        SendMessageA(session.ViewWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.column - scroll.x, c.row - scroll.y));
        SendMessageA(session.ViewWnd(), WM_LBUTTONUP, 0, MAKELPARAM(c.column - scroll.x, c.row - scroll.y));
        gui::Pump();
        ASSERT_EQ(script.Seen().size(), 1u);
    }
    session.Command(ID_VIEW_CONTROL_POINTS);
    CControlPointsWnd* pWnd = session.Frame()->GetControlPointsWnd();
    ASSERT_TRUE(pWnd->IsOpen());
    SetWindowPos(pWnd->m_hWnd, nullptr, 250, 520, 1020, 440, SWP_NOZORDER);
    // The south-west corner: the worst point in red with its arrow, and the
    // south-east one chosen in the list.
    pWnd->SelectPoint(1);
    session.View()->ScrollToPosition(POINT{0, 1110});
    gui::Pump();
    gui::Capture capture = gui::CaptureScreen(RECT{0, 0, 1275, 965});
    session.Command(ID_VIEW_CONTROL_POINTS);
    ASSERT_TRUE(capture.SaveBmp(pszOutput));
}

// The screenshot of the Features window in docs/: three polygons on the
// sample map, the lake chosen in the list and highlighted on the map.
// Written only when QUARVEX_FEATURES_SCREENSHOT names the BMP file to write.
TEST(DocsScreenshot, FeaturesWindowOnTheSampleMap)
{
    const char* pszOutput = std::getenv("QUARVEX_FEATURES_SCREENSHOT");
    if (!pszOutput || !*pszOutput)
        GTEST_SKIP() << "QUARVEX_FEATURES_SCREENSHOT is not set";
    std::string image =
        CopyFixture("../../../../samples/sample_map.jpg", gui::TempFolder("docs-features"), "sample_map.jpg");
    AppSession session({image});
    ASSERT_TRUE(session.started);
    MoveWindow(session.FrameWnd(), 0, 0, 1000, 700, TRUE);
    gui::Pump();
    {
        gui::ModalScript script;
        script.Then(gui::ChooseShapeType(IDC_POLYGONS));
        gui::RightClick(session.ViewWnd(), POINT{5, 5});
        ASSERT_EQ(session.Doc()->Session().Mode(), MODE_DIGITISE);
    }
    // Outlines around the lake and two woods, as a user clicks them.
    const struct
    {
        const char* name;
        int cx, cy, rx, ry;
    } outlines[] = {{"Lago Nero", 1085, 638, 116, 54},
                    {"Bosco del Sereno", 1213, 468, 50, 88},
                    {"Bosco di Castelrivo", 1517, 615, 52, 44}};
    CImageDoc* pDoc = session.Doc();
    for (const auto& o : outlines)
    {
        CShape clicked;
        for (int i = 0; i < 12; ++i)
        {
            const double a = i * 2 * 3.14159265358979 / 12;
            clicked.Add(o.cx + static_cast<int>(o.rx * std::cos(a)), o.cy + static_cast<int>(o.ry * std::sin(a)));
        }
        CImageDocTestAccess::DoEdit(
            *pDoc, CFinishFeatureEdit(clicked, SHAPE_POLYGON, o.name, pDoc->Session().Features().GetSize()));
    }
    session.Command(ID_VIEW_FEATURES);
    CFeaturesWnd* pWnd = session.Frame()->GetFeaturesWnd();
    ASSERT_TRUE(pWnd->IsOpen());
    SetWindowPos(pWnd->m_hWnd, nullptr, 560, 430, 560, 300, SWP_NOZORDER);
    pWnd->SelectFeature(0);
    session.View()->ScrollToPosition(POINT{760, 330});
    gui::Pump();
    // The map read-out in the status line, over the lake.
    gui::MouseMove(session.ViewWnd(), POINT{400, 300});
    gui::Capture capture = gui::CaptureScreen(RECT{0, 0, 1125, 735});
    session.Command(ID_VIEW_FEATURES);
    ASSERT_TRUE(capture.SaveBmp(pszOutput));
    // The features were only for the picture.
    gui::ModalScript noSave;
    noSave.Then(gui::ModalScript::Press(IDNO));
    SendMessageA(session.FrameWnd(), WM_CLOSE, 0, 0);
}

// The screenshot of placing a control point in the user guide: the sample
// map, a graticule crossing clicked and its coordinates typed in degrees in
// the Add Geo-reference dialog. Written only when QUARVEX_GEOREF_SCREENSHOT
// names the BMP file to write.
TEST(DocsScreenshot, AddingAControlPoint)
{
    const char* pszOutput = std::getenv("QUARVEX_GEOREF_SCREENSHOT");
    if (!pszOutput || !*pszOutput)
        GTEST_SKIP() << "QUARVEX_GEOREF_SCREENSHOT is not set";
    const std::string image =
        CopyFixture("../../../../samples/sample_map.jpg", gui::TempFolder("docs-georef"), "sample_map.jpg", false);
    AppSession session({image});
    ASSERT_TRUE(session.started);
    MoveWindow(session.FrameWnd(), 0, 0, 900, 640, TRUE);
    session.View()->ScrollToPosition(POINT{0, 0});
    gui::Pump();
    bool saved = false;
    gui::ModalScript script;
    script.Then([&](HWND hDialog) {
        SetDlgItemTextW(hDialog, IDC_EASTING, L"7 00 00 E");
        SetDlgItemTextW(hDialog, IDC_NORTHING, L"45 10 00 N");
        SetWindowPos(hDialog, nullptr, 300, 260, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        UpdateWindow(hDialog);
        saved = gui::CaptureScreen(RECT{0, 0, 900, 640}).SaveBmp(pszOutput);
        gui::Click(hDialog, IDCANCEL);
    });
    gui::LeftClick(session.ViewWnd(), POINT{148, 227});
    EXPECT_EQ(script.Seen().size(), 1u);
    EXPECT_TRUE(saved);
}

// The About box in the user guide: the version, and the guide and the
// licence a click away. Written only when QUARVEX_ABOUT_SCREENSHOT names the
// BMP file to write.
TEST(DocsScreenshot, AboutBox)
{
    const char* pszOutput = std::getenv("QUARVEX_ABOUT_SCREENSHOT");
    if (!pszOutput || !*pszOutput)
        GTEST_SKIP() << "QUARVEX_ABOUT_SCREENSHOT is not set";
    AppSession session;
    bool saved = false;
    gui::ModalScript script;
    script.Then([&](HWND hDialog) {
        UpdateWindow(hDialog);
        saved = gui::CaptureWindow(hDialog).SaveBmp(pszOutput);
        gui::Click(hDialog, IDOK);
    });
    session.Command(ID_APP_ABOUT);
    EXPECT_EQ(script.Seen().size(), 1u);
    EXPECT_TRUE(saved);
}
