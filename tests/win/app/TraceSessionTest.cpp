// Shared borders and tracing lines in the program's windows. Two polygons
// on the GeoTIFF gdal_translate georeferenced, the second taking its border
// from the first with Trace Neighbour (N): check_shared_border.py then asks
// GDAL/GEOS whether they touch with no gap and no overlap. A road traced
// with Trace Lines (T) on the synthetic scan samples/make_traced_road.py
// drew: check_traced_road.py measures it against the road's true course.
// Each interaction is undone and redone on the way.
#include <gtest/gtest.h>

#include <fstream>

#include "app/DocumentCommands.h"
#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"

using gui::ModalScript;

namespace
{
std::string Vertices(const std::vector<CShapeVertex>& vertices)
{
    std::string text;
    for (const CShapeVertex& v : vertices)
        text += (text.empty() ? "" : " ") + std::to_string(v.x) + "," + std::to_string(v.y);
    return text;
}

void Key(AppSession& session, UINT nKey, std::vector<UINT> modifiers = {})
{
    gui::PressKey(session.ViewWnd(), nKey, std::move(modifiers));
}

void Undo(AppSession& session) { gui::PressKey(session.FrameWnd(), 'Z', {VK_CONTROL}); }
void Redo(AppSession& session) { gui::PressKey(session.FrameWnd(), 'Y', {VK_CONTROL}); }

void DeleteOutputs(const std::string& stem)
{
    for (const char* ext : {".shp", ".shx", ".dbf", ".cpg", ".prj", ".tvg", ".quarvex", ".expected"})
        DeleteFileA((stem + ext).c_str());
}
}   // namespace

TEST(TraceSession, TraceNeighbourCopiesTheSharedBorderAndFlipsUndoesAndRedoes)
{
    const std::string folder = gui::OutputFolder("QUARVEX_SESSION_OUT", "session");
    DeleteOutputs(folder + "\\shared");
    const std::string image = CopyFixture("utm33.tif", folder, "shared.tif", false);
    AppSession session;
    ASSERT_EQ(session.OpenThroughDialog(image, {ModalScript::Press(IDYES), gui::ChooseShapeType(IDC_POLYGONS)}).size(),
              3u);
    CImageView* pView = session.View();
    const CImageSession& state = session.Doc()->Session();
    ASSERT_EQ(state.Mode(), MODE_DIGITISE);
    ASSERT_EQ(pView->GetScrollPosition().x, 0);
    ASSERT_EQ(pView->m_nZoom, 1);
    HWND hView = session.ViewWnd();
    if (pView->m_bSnap)
        Key(session, 'S');
    gui::FinishFeature(session, "A", {{20, 20}, {100, 20}, {110, 60}, {95, 110}, {100, 150}, {20, 150}});
    ASSERT_EQ(state.Features().GetSize(), 1);

    // Two clicks snapped onto A's corners, then N: A's corners between them
    // the shorter way round; N again the longer way; undone to the clicks.
    Key(session, 'S');
    EXPECT_FALSE(gui::GetMenuState(session.FrameWnd(), ID_VIEW_TRACE_NEIGHBOUR).enabled);
    for (POINT p : {POINT{102, 22}, POINT{98, 152}})
        gui::MouseMove(hView, p), gui::LeftClick(hView, p);
    ASSERT_EQ(Vertices(state.Current().Vertices()), "100,20 100,150");
    EXPECT_TRUE(gui::GetMenuState(session.FrameWnd(), ID_VIEW_TRACE_NEIGHBOUR).enabled);
    const std::string shorter = "100,20 110,60 95,110 100,150", longer = "100,20 20,20 20,150 100,150";
    Key(session, 'N');
    EXPECT_EQ(Vertices(state.Current().Vertices()), shorter);
    EXPECT_EQ(UndoText(state, false), "&Undo Trace Neighbour\tCtrl+Z");
    session.Command(ID_VIEW_TRACE_NEIGHBOUR);
    EXPECT_EQ(Vertices(state.Current().Vertices()), longer);
    Undo(session);
    EXPECT_EQ(Vertices(state.Current().Vertices()), "100,20 100,150");
    Redo(session);
    EXPECT_EQ(Vertices(state.Current().Vertices()), longer);
    Key(session, 'N');
    EXPECT_EQ(Vertices(state.Current().Vertices()), shorter);
    {
        ModalScript script;
        script.Then(gui::NameFeature("B"));
        gui::LeftClick(hView, POINT{180, 150});
        gui::DoubleClick(hView, POINT{180, 20});
        EXPECT_EQ(script.Seen().size(), 1u);
    }
    ASSERT_EQ(state.Features().GetSize(), 2);
    EXPECT_EQ(Vertices(state.Features().GetAt(1).Vertices()), shorter + " 180,150 180,20 100,20");

    // Two clicks that are no corners of one feature: nothing is taken, the status line says why.
    for (POINT p : {POINT{200, 30}, POINT{210, 40}})
        gui::MouseMove(hView, p), gui::LeftClick(hView, p);
    Key(session, 'N');
    EXPECT_EQ(state.Current().GetSize(), 2);
    EXPECT_NE(gui::Text(session.StatusBarWnd()).find("Trace Neighbour: snap the last two"), std::string::npos);
    Key(session, VK_BACK);
    Key(session, VK_BACK);
    Key(session, 'S');

    const std::vector<gui::SeenWindow> saved = session.SaveThroughDialog(folder + "\\shared");
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[1].message, "File saved as " + folder + "\\shared.shp");
}

TEST(TraceSession, TraceLinesFollowsTheRoadInAFewClicksWithAPreview)
{
    const std::string folder = gui::OutputFolder("QUARVEX_SESSION_OUT", "session");
    DeleteOutputs(folder + "\\traced_road");
    const std::string sample = gui::WindowsPath(QUARVEX_ROAD_SAMPLE);
    const std::string image = folder + "\\traced_road.tif";
    ASSERT_TRUE(CopyFileA((sample + "\\traced_road.tif").c_str(), image.c_str(), FALSE));
    std::vector<POINT> clicks;
    {
        std::ifstream in(sample + "\\traced_road.clicks");
        for (POINT p; in >> p.x >> p.y;)
            clicks.push_back(p);
    }
    ASSERT_GE(clicks.size(), 3u);
    AppSession session;
    ASSERT_EQ(session.OpenThroughDialog(image, {ModalScript::Press(IDYES), gui::ChooseShapeType(IDC_POLYLINES)}).size(),
              3u);
    CImageView* pView = session.View();
    const CImageSession& state = session.Doc()->Session();
    ASSERT_EQ(state.Mode(), MODE_DIGITISE);
    HWND hView = session.ViewWnd();
    if (pView->m_bSnap)
        Key(session, 'S');

    Key(session, 'T');
    EXPECT_TRUE(gui::GetMenuState(session.FrameWnd(), ID_VIEW_TRACE_LINES).checked);
    EXPECT_NE(gui::Text(session.StatusBarWnd()).find("Trace Lines:"), std::string::npos);
    ModalScript script;
    script.Then(gui::NameFeature("road"));
    for (size_t i = 0; i < clicks.size(); ++i)
    {
        const POINT at = gui::ShowPixel(session, clicks[i].x, clicks[i].y);
        gui::MouseMove(hView, at);
        if (i > 0)
        {
            // The preview runs from the last vertex to the cursor's pixel.
            const std::vector<CShapeVertex>& preview = pView->TracePreview();
            ASSERT_GE(preview.size(), 2u);
            EXPECT_EQ(preview.front(), state.Current().GetAt(state.Current().GetSize() - 1));
            EXPECT_EQ(preview.back(), (CShapeVertex{clicks[i].x, clicks[i].y}));
            if (i == 2)
            {
                ASSERT_TRUE(gui::CaptureClient(hView).SaveBmp(folder + "\\traced_road-preview.bmp"));
            }
        }
        if (i + 1 == clicks.size())
        {
            gui::DoubleClick(hView, at);
            break;
        }
        const int before = state.Current().GetSize();
        gui::LeftClick(hView, at);
        if (i > 0)
        {
            // One click takes the whole stretch, and one undo takes it back.
            const std::string traced = Vertices(state.Current().Vertices());
            EXPECT_GT(state.Current().GetSize(), before + 1);
            EXPECT_EQ(UndoText(state, false), "&Undo Trace Line\tCtrl+Z");
            Undo(session);
            EXPECT_EQ(state.Current().GetSize(), before);
            Redo(session);
            EXPECT_EQ(Vertices(state.Current().Vertices()), traced);
        }
    }
    ASSERT_EQ(script.Seen().size(), 1u);
    ASSERT_EQ(state.Features().GetSize(), 1);
    Key(session, 'T');
    EXPECT_FALSE(pView->m_bTraceLines);

    const std::vector<gui::SeenWindow> saved = session.SaveThroughDialog(folder + "\\traced_road");
    ASSERT_EQ(saved.size(), 2u);
    std::ofstream expected(folder + "\\traced_road.expected", std::ios::trunc);
    expected << clicks.size() << "\n";
}
