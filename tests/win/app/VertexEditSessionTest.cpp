// Digitising as in a GIS editor, on the GeoTIFF gdal_translate georeferenced
// (its own fit, so every pixel has one exact place): Backspace and Escape
// while drawing; Edit Vertices (V) moving, inserting and deleting vertices of
// a finished polygon with handles shown; Snap (S) taking a second polygon's
// vertices onto the first's vertex and segment. The session leaves its
// shapefile, the pixels of each polygon (vertexedit.expected) and two
// screenshots in the folder QUARVEX_SESSION_OUT names;
// check_vertex_edit_session.py then reads the shapefile with GDAL.
#include <gtest/gtest.h>

#include <fstream>

#include "app/DocumentCommands.h"
#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"

using gui::ModalScript;

namespace
{
std::string Vertices(const CShape& shape)
{
    std::string text;
    for (const CShapeVertex& v : shape.Vertices())
        text += (text.empty() ? "" : " ") + std::to_string(v.x) + "," + std::to_string(v.y);
    return text;
}

void Key(AppSession& session, UINT nKey, std::vector<UINT> modifiers = {})
{
    gui::PressKey(session.ViewWnd(), nKey, std::move(modifiers));
}
}   // namespace

TEST(VertexEditSession, DrawsEditsAndSnapsPolygonsThenSavesThem)
{
    const std::string folder = gui::OutputFolder("QUARVEX_SESSION_OUT", "session");
    for (const char* ext : {".shp", ".shx", ".dbf", ".cpg", ".prj", ".expected", ".tvg", ".quarvex"})
        DeleteFileA((folder + "\\vertexedit" + ext).c_str());
    const std::string image = CopyFixture("utm33.tif", folder, "vertexedit.tif", false);
    AppSession session;
    const std::vector<gui::SeenWindow> opened =
        session.OpenThroughDialog(image, {ModalScript::Press(IDYES), gui::ChooseShapeType(IDC_POLYGONS)});
    ASSERT_EQ(opened.size(), 3u);
    CImageView* pView = session.View();
    const CImageSession& state = session.Doc()->Session();
    ASSERT_EQ(state.Mode(), MODE_DIGITISE);
    // The whole 240 x 180 image at zoom 1: client points are pixels.
    ASSERT_EQ(pView->GetScrollPosition().x, 0);
    ASSERT_EQ(pView->GetScrollPosition().y, 0);
    ASSERT_EQ(pView->m_nZoom, 1);
    HWND hView = session.ViewWnd();
    if (pView->m_bSnap)
        Key(session, 'S');   // an earlier run's profile

    // Backspace takes the last vertex back; Escape asks before abandoning three.
    for (POINT p : {POINT{5, 5}, POINT{6, 6}})
        gui::LeftClick(hView, p);
    Key(session, VK_BACK);
    EXPECT_EQ(Vertices(pView->m_shape), "5,5");
    for (POINT p : {POINT{7, 7}, POINT{8, 8}})
        gui::LeftClick(hView, p);
    {
        ModalScript script;
        script.Then(ModalScript::Press(IDNO)).Then(ModalScript::Press(IDYES));
        Key(session, VK_ESCAPE);
        EXPECT_EQ(pView->m_shape.GetSize(), 3);
        Key(session, VK_ESCAPE);
        ASSERT_EQ(script.Seen().size(), 2u);
        EXPECT_EQ(script.Seen()[0].message, "Abandon the feature being drawn, with its 3 vertices?");
    }
    EXPECT_EQ(pView->m_shape.GetSize(), 0);
    gui::FinishFeature(session, "A", {{20, 20}, {100, 20}, {100, 80}, {20, 80}});
    ASSERT_EQ(state.Features().GetSize(), 1);

    // Edit Vertices: the menu item checked, the hint in the status line.
    Key(session, 'V');
    ASSERT_TRUE(state.VertexEditing());
    EXPECT_TRUE(gui::GetMenuState(session.FrameWnd(), ID_VIEW_EDIT_VERTICES).checked);
    gui::MouseMove(hView, POINT{150, 150});
    EXPECT_NE(gui::Text(session.StatusBarWnd()).find("Edit Vertices: click a feature"), std::string::npos);
    gui::LeftClick(hView, POINT{60, 22});   // on a segment: the feature is chosen
    EXPECT_EQ(pView->m_nEditFeature, 0);

    // A vertex dragged and dropped, a vertex inserted on a segment with a
    // double click, one deleted with Delete under the cursor.
    SendMessageA(hView, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(101, 79));
    for (POINT p : {POINT{105, 85}, POINT{110, 90}})
        SendMessageA(hView, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageA(hView, WM_LBUTTONUP, 0, MAKELPARAM(110, 90));
    gui::Pump();
    EXPECT_EQ(Vertices(state.Features().GetAt(0)), "20,20 100,20 110,90 20,80 20,20");
    EXPECT_EQ(UndoText(state, false), "&Undo Move Vertex\tCtrl+Z");
    gui::DoubleClick(hView, POINT{60, 21});
    EXPECT_EQ(Vertices(state.Features().GetAt(0)), "20,20 60,20 100,20 110,90 20,80 20,20");
    gui::MouseMove(hView, POINT{21, 81});
    Key(session, VK_DELETE);
    EXPECT_EQ(Vertices(state.Features().GetAt(0)), "20,20 60,20 100,20 110,90 20,20");

    // A right click deletes too, down to three corners and not below; undone.
    gui::RightClick(hView, POINT{60, 20});
    {
        ModalScript script;
        script.Then(ModalScript::Press(IDOK));
        gui::RightClick(hView, POINT{100, 20});
        ASSERT_EQ(script.Seen().size(), 1u);
        EXPECT_EQ(script.Seen()[0].message, "A polygon keeps at least three vertices: this one was not deleted.");
    }
    EXPECT_EQ(Vertices(state.Features().GetAt(0)), "20,20 100,20 110,90 20,20");
    gui::PressKey(session.FrameWnd(), 'Z', {VK_CONTROL});
    const std::string finalA = "20,20 60,20 100,20 110,90 20,20";
    EXPECT_EQ(Vertices(state.Features().GetAt(0)), finalA);
    gui::MouseMove(hView, POINT{150, 150});
    ASSERT_TRUE(gui::CaptureClient(hView).SaveBmp(folder + "\\vertexedit-handles.bmp"));
    Key(session, 'V');
    EXPECT_FALSE(state.VertexEditing());

    // Snapping: the marker shows the target before the click; a vertex
    // takes the first polygon's vertex, one by its closing segment the
    // nearest pixel on it.
    Key(session, 'S');
    EXPECT_TRUE(gui::GetMenuState(session.FrameWnd(), ID_VIEW_SNAP).checked);
    gui::MouseMove(hView, POINT{113, 93});
    EXPECT_EQ(pView->m_snapShown.nKind, HitKind::Vertex);
    EXPECT_NE(gui::Text(session.StatusBarWnd()).find("Snap: vertex"), std::string::npos);
    {
        ModalScript script;
        script.Then(gui::NameFeature("B"));
        for (POINT p : {POINT{113, 93}, POINT{180, 90}, POINT{180, 150}, POINT{112, 150}})
            gui::MouseMove(hView, p), gui::LeftClick(hView, p);
        gui::MouseMove(hView, POINT{62, 55});
        EXPECT_EQ(pView->m_snapShown.nKind, HitKind::Segment);
        EXPECT_NE(gui::Text(session.StatusBarWnd()).find("Snap: segment"), std::string::npos);
        ASSERT_TRUE(gui::CaptureClient(hView).SaveBmp(folder + "\\vertexedit-snap.bmp"));
        gui::DoubleClick(hView, POINT{62, 55});
        EXPECT_EQ(script.Seen().size(), 1u);
    }
    ASSERT_EQ(state.Features().GetSize(), 2);
    const std::string finalB = "110,90 180,90 180,150 112,150 63,54 110,90";
    EXPECT_EQ(Vertices(state.Features().GetAt(1)), finalB);
    Key(session, 'S');   // off again: the profile keeps it for later tests
    EXPECT_FALSE(pView->m_bSnap);

    const std::vector<gui::SeenWindow> saved = session.SaveThroughDialog(folder + "\\vertexedit");
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[1].message, "File saved as " + folder + "\\vertexedit.shp");
    std::ofstream expected(folder + "\\vertexedit.expected", std::ios::trunc);
    expected << "A|" << finalA << "\nB|" << finalB << "\n";
}

TEST(VertexEditSession, SnapToleranceIsCheckedAndRememberedInTheProfile)
{
    int before = 0;
    {
        AppSession session;
        before = session.View()->m_nSnapTolerance;
        HWND hDialog = nullptr;
        const std::vector<gui::SeenWindow> seen = session.Answered(
            ID_VIEW_SNAP_TOLERANCE, {[&](HWND hWnd) {
                                         hDialog = hWnd;
                                         EXPECT_EQ(gui::ItemText(hWnd, IDC_SNAP_TOLERANCE), std::to_string(before));
                                         SetDlgItemTextA(hWnd, IDC_SNAP_TOLERANCE, "0");
                                         gui::Click(hWnd, IDOK);
                                     },
                                     [&](HWND hBox) {
                                         gui::Click(hBox, IDOK);
                                         SetDlgItemTextA(hDialog, IDC_SNAP_TOLERANCE, "4");
                                         gui::Click(hDialog, IDOK);
                                     }});
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[0].title, "Snap Tolerance");
        EXPECT_EQ(seen[1].message, "Type a whole number of screen pixels from 1 to 100.");
        EXPECT_EQ(session.View()->m_nSnapTolerance, 4);
    }
    // The next start of the program snaps within 4; put back as it was.
    AppSession session;
    EXPECT_EQ(session.View()->m_nSnapTolerance, 4);
    const std::vector<gui::SeenWindow> seen =
        session.Answered(ID_VIEW_SNAP_TOLERANCE, {[&](HWND hWnd) {
                             SetDlgItemTextA(hWnd, IDC_SNAP_TOLERANCE, std::to_string(before).c_str());
                             gui::Click(hWnd, IDOK);
                         }});
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(session.View()->m_nSnapTolerance, before);
}
