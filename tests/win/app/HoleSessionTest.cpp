// A polygon with a hole digitised in the program's windows on the GeoTIFF
// gdal_translate georeferenced: the outer ring clicked, H, a hole that
// pokes out refused with its message and mended, the polygon finished,
// then saved as a Shapefile and a GeoPackage that check_hole_session.py
// reads back with GDAL.
#include <gtest/gtest.h>

#include "app/DocumentCommands.h"
#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"

using gui::ModalScript;

TEST(HoleSession, APolygonWithAHoleIsDrawnByKeyAndMouseAndSavedWithItsHole)
{
    const std::string folder = gui::OutputFolder("QUARVEX_SESSION_OUT", "session");
    for (const char* ext : {".shp", ".shx", ".dbf", ".cpg", ".prj", ".gpkg", ".tvg", ".quarvex"})
        DeleteFileA((folder + "\\holes" + ext).c_str());
    const std::string image = CopyFixture("utm33.tif", folder, "holes.tif", false);
    AppSession session;
    ASSERT_EQ(session.OpenThroughDialog(image, {ModalScript::Press(IDYES), gui::ChooseShapeType(IDC_POLYGONS)}).size(),
              3u);
    const CImageSession& state = session.Doc()->Session();
    ASSERT_EQ(state.Mode(), MODE_DIGITISE);
    ASSERT_EQ(session.View()->m_nZoom, 1);
    HWND hView = session.ViewWnd();
    if (session.View()->m_bSnap)
        gui::PressKey(hView, 'S', {});

    EXPECT_EQ(gui::MenuText(session.FrameWnd(), ID_VIEW_ADD_HOLE), "Add &Hole\tH");
    EXPECT_FALSE(gui::GetMenuState(session.FrameWnd(), ID_VIEW_ADD_HOLE).enabled);
    for (POINT p : {POINT{20, 20}, POINT{200, 20}, POINT{200, 200}, POINT{20, 200}})
        gui::LeftClick(hView, p);
    EXPECT_TRUE(gui::GetMenuState(session.FrameWnd(), ID_VIEW_ADD_HOLE).enabled);
    gui::PressKey(hView, 'H', {});
    EXPECT_EQ(state.Current().RingCount(), 2);
    EXPECT_EQ(UndoText(state, false), "&Undo Add Hole\tCtrl+Z");
    EXPECT_NE(gui::Text(session.StatusBarWnd()).find("Add Hole:"), std::string::npos);

    // A hole poking out of the outer ring: told, and every vertex kept.
    for (POINT p : {POINT{60, 60}, POINT{250, 60}, POINT{100, 100}})
        gui::LeftClick(hView, p);
    {
        ModalScript script;
        script.Then(ModalScript::Press(IDOK));
        gui::PressKey(hView, 'H', {});
        ASSERT_EQ(script.Seen().size(), 1u);
        EXPECT_NE(script.Seen()[0].message.find("lies outside the polygon's outer ring"), std::string::npos);
    }
    EXPECT_EQ(state.Current().GetSize(), 7);
    EXPECT_EQ(state.Current().RingCount(), 2);
    gui::PressKey(hView, VK_BACK, {});
    gui::PressKey(hView, VK_BACK, {});
    {
        ModalScript script;
        script.Then(gui::NameFeature("pond"));
        gui::LeftClick(hView, POINT{120, 60});
        gui::DoubleClick(hView, POINT{90, 120});
        EXPECT_EQ(script.Seen().size(), 1u);
    }
    ASSERT_EQ(state.Features().GetSize(), 1);
    EXPECT_EQ(state.Features().GetAt(0).HoleStarts(), std::vector<int>{5});
    ASSERT_TRUE(gui::CaptureClient(hView).SaveBmp(folder + "\\holes-drawn.bmp"));

    EXPECT_EQ(session.SaveThroughDialog(folder + "\\holes").size(), 2u);
    EXPECT_EQ(session.SaveThroughDialog(folder + "\\holes.gpkg").size(), 2u);
}
