// Whole sessions on the bundled sample map, as a user works: three control
// points typed in degrees, minutes and seconds with hemisphere letters, a
// right click, the feature type, features clicked and named, Save As.
// Each session leaves its shapefile and the clicked pixels of each feature
// (<type>.expected) in the folder QUARVEX_SESSION_OUT names (a temporary
// folder without it); tests/win/app/check_session_shapefiles.py then reads
// the files with GDAL and compares every vertex with the map's true
// georeference.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>

#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"
#include "app/DocumentCommands.h"

namespace
{
struct ControlPoint
{
    std::string lonTyped, latTyped;
    int column = 0, row = 0;
};

struct Feature
{
    std::string name;
    std::vector<POINT> pixels;   // image pixels in click order
    bool keep = true;            // false: answered with "Delete"
};

std::string SamplePath(const std::string& name) { return gui::FixturePath("../../../../samples/" + name); }

// The value after "key": in text, from position from on.
std::string JsonValueAfter(const std::string& text, const std::string& key, size_t& from)
{
    size_t at = text.find("\"" + key + "\":", from);
    if (at == std::string::npos)
        return std::string();
    at = text.find_first_not_of(" ", at + key.size() + 3);
    size_t end = text[at] == '"' ? text.find('"', at + 1) + 1 : text.find_first_of(",\n}", at);
    from = end;
    std::string value = text.substr(at, end - at);
    if (!value.empty() && value.front() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

// The three control points of the truth file, with the texts a user types.
std::vector<ControlPoint> TruthControlPoints()
{
    std::string truth = ReadWholeFile(SamplePath("sample_map.truth.json"));
    std::vector<ControlPoint> points;
    size_t from = truth.find("\"control_points\"");
    for (int i = 0; i < 3 && from != std::string::npos; ++i)
    {
        ControlPoint point;
        point.lonTyped = JsonValueAfter(truth, "lon_typed", from);
        point.latTyped = JsonValueAfter(truth, "lat_typed", from);
        point.column = std::atoi(JsonValueAfter(truth, "column", from).c_str());
        point.row = std::atoi(JsonValueAfter(truth, "row", from).c_str());
        points.push_back(point);
    }
    return points;
}

// Opens the sample map (without its point file) and enters the three
// control points of the truth file.
void GeoreferenceSample(AppSession& session)
{
    for (const ControlPoint& point : TruthControlPoints())
    {
        POINT client = gui::ShowPixel(session, point.column, point.row);
        gui::ModalScript script;
        script.Then([&](HWND hDialog) {
            EXPECT_EQ(gui::Text(hDialog), "Add Geo-reference");
            EXPECT_EQ(gui::ItemText(hDialog, IDC_EASTING), "");
            EXPECT_EQ(gui::ItemText(hDialog, IDC_NORTHING), "");
            EXPECT_EQ(session.View()->m_ptPending.x, point.column);
            EXPECT_EQ(session.View()->m_ptPending.y, point.row);
            gui::TypeCoordinates(point.lonTyped, point.latTyped)(hDialog);
        });
        gui::LeftClick(session.ViewWnd(), client);
        EXPECT_EQ(script.Pending(), 0u);
        EXPECT_TRUE(script.Unexpected().empty());
    }
    ASSERT_EQ(session.Doc()->Session().GeoRef().m_points.size(), 3u);
    EXPECT_EQ(session.View()->m_ptPending.x, -1);
}

void EnterDigitiseMode(AppSession& session, int nRadioID)
{
    gui::ModalScript script;
    script.Then([nRadioID](HWND hDialog) {
        EXPECT_EQ(gui::Text(hDialog), "Digitise");
        EXPECT_EQ(IsDlgButtonChecked(hDialog, IDC_POLYLINES), BST_CHECKED);
        gui::ChooseShapeType(nRadioID)(hDialog);
    });
    gui::RightClick(session.ViewWnd(), POINT{100, 100});
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_TRUE(script.Unexpected().empty());
    ASSERT_EQ(session.Doc()->Session().Mode(), MODE_DIGITISE);
}

// Clicks the feature's pixels; the last click is a double-click, except for
// points, where every click is a feature of its own.
void DigitiseFeature(AppSession& session, const Feature& feature, ShapeType nShapeType)
{
    gui::ModalScript script;
    if (feature.keep)
        script.Then(gui::NameFeature(feature.name));
    else
        script.Then(gui::ModalScript::Press(IDCANCEL));
    for (size_t i = 0; i < feature.pixels.size(); ++i)
    {
        POINT client = gui::ShowPixel(session, feature.pixels[i].x, feature.pixels[i].y);
        if (nShapeType != SHAPE_POINT && i + 1 == feature.pixels.size())
            gui::DoubleClick(session.ViewWnd(), client);
        else
            gui::LeftClick(session.ViewWnd(), client);
    }
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_TRUE(script.Unexpected().empty());
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_EQ(script.Seen()[0].title, "Add");
    EXPECT_EQ(session.View()->m_shape.GetSize(), 0);
}

void WriteExpected(const std::string& path, const std::vector<Feature>& features)
{
    std::ofstream out(path, std::ios::trunc);
    for (const Feature& feature : features)
    {
        if (!feature.keep)
            continue;
        out << feature.name;
        for (POINT p : feature.pixels)
            out << "|" << p.x << " " << p.y;
        out << "\n";
    }
}

void RunSession(const std::string& kind, int nRadioID, ShapeType nShapeType, const std::vector<Feature>& features)
{
    std::string folder = gui::OutputFolder("QUARVEX_SESSION_OUT", "session");
    // Nothing of an earlier run may stand in for this one's files.
    for (const char* ext : {".shp", ".shx", ".dbf", ".cpg", ".prj", ".expected", ".tvg", ".quarvex"})
        DeleteFileA((folder + "\\" + kind + ext).c_str());
    std::string image = CopyFixture("../../../../samples/sample_map.jpg", folder, kind + ".jpg", false);
    AppSession session({image});
    ASSERT_TRUE(session.started) << image << " "
                                 << (session.startUnexpected.empty() ? "" : session.startUnexpected[0].message);
    ASSERT_EQ(session.Doc()->Session().Mode(), MODE_GEOREFERENCE);
    ASSERT_TRUE(session.Doc()->Session().GeoRef().m_points.empty());

    GeoreferenceSample(session);
    EnterDigitiseMode(session, nRadioID);
    EXPECT_EQ(session.Doc()->Session().ShapeType(), nShapeType);
    // The point file now lies beside the image.
    EXPECT_NE(ReadWholeFile(folder + "\\" + kind + ".tvg").find("7.250000,45.000000,1898,1242"), std::string::npos);

    // The read-out under the cursor: over the first control point it gives
    // that point's coordinates.
    gui::MouseMove(session.ViewWnd(), gui::ShowPixel(session, 218, 1347));
    std::smatch m;
    std::string status = gui::Text(session.StatusBarWnd());
    ASSERT_TRUE(std::regex_match(status, m, std::regex(R"((-?\d+\.\d{6}), (-?\d+\.\d{6}) r=(-?\d+\.\d{2}) deg  (.*))")))
        << status;
    EXPECT_NEAR(std::atof(m[1].str().c_str()), 7.0, 3e-4);
    EXPECT_NEAR(std::atof(m[2].str().c_str()), 45.0, 3e-4);
    EXPECT_NEAR(std::fabs(std::atof(m[3].str().c_str())), 3.58, 0.1);
    EXPECT_EQ(m[4].str(), "Left click each point.  Double click to finish line. Right click to delete point");

    int kept = 0;
    for (const Feature& feature : features)
    {
        DigitiseFeature(session, feature, nShapeType);
        kept += feature.keep ? 1 : 0;
        ASSERT_EQ(session.Doc()->Session().Features().GetSize(), kept);
    }
    EXPECT_EQ(session.Doc()->Session().Unsaved(), true);

    // The sample's coordinates are longitudes and latitudes: polygons are
    // saved in WGS 84, the others without a coordinate system.
    if (nShapeType == SHAPE_POLYGON)
        SetCoordinateSystem(*session.Doc(), 4326);
    std::string shp = folder + "\\" + kind + ".shp";
    const std::vector<gui::SeenWindow> seen = session.SaveThroughDialog(folder + "\\" + kind);   // the dialog adds .shp
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].message, "File saved as " + shp);
    EXPECT_EQ(session.Doc()->Session().Unsaved(), false);
    WriteExpected(folder + "\\" + kind + ".expected", features);
}
}

TEST(InteractSession, PolygonsOnTheSampleMap)
{
    RunSession("polygons", IDC_POLYGONS, SHAPE_POLYGON,
               {
                   {"Lake", {{1205, 639}, {1113, 583}, {969, 654}, {1057, 700}}},
                   {"Sheet corner", {{218, 1347}, {778, 1312}, {700, 1000}, {190, 900}}},
                   {"Village block", {{470, 815}, {490, 815}, {490, 835}, {470, 835}}},
               });
}

TEST(InteractSession, PolylinesOnTheSampleMap)
{
    RunSession("polylines", IDC_POLYLINES, SHAPE_POLYLINE,
               {
                   {"Road to Castelrivo", {{478, 825}, {791, 794}, {1368, 679}}},
                   {"Discarded", {{100, 100}, {200, 200}}, false},
                   {"Ridge", {{637, 320}, {887, 361}, {1489, 458}, {1622, 596}}},
                   {"", {{1010, 1061}, {1100, 1100}}},
               });
}

TEST(InteractSession, PointsOnTheSampleMap)
{
    RunSession("points", IDC_POINTS, SHAPE_POINT,
               {
                   {"Varenne", {{478, 825}}},
                   {"Pra Lungo", {{791, 794}}},
                   {"Discarded", {{900, 900}}, false},
                   {"M. Sereno", {{887, 361}}},
               });
}

// The screenshot of digitising in docs/: the sample map georeferenced from
// its point file, the lake digitised as a polygon, a second polygon under
// way and the map read-out under the cursor in the status line. Written
// only when QUARVEX_DIGITISE_SCREENSHOT names the BMP file to write
// (tools/docs-screenshot.sh does that).
TEST(DocsScreenshot, DigitisingWithTheCoordinateReadout)
{
    const char* pszOutput = std::getenv("QUARVEX_DIGITISE_SCREENSHOT");
    if (!pszOutput || !*pszOutput)
        GTEST_SKIP() << "QUARVEX_DIGITISE_SCREENSHOT is not set";
    std::string image =
        CopyFixture("../../../../samples/sample_map.jpg", gui::TempFolder("docs-digitise"), "sample_map.jpg", true);
    AppSession session({image});
    ASSERT_TRUE(session.started);
    ASSERT_EQ(session.Doc()->Session().GeoRef().m_points.size(), 3u);
    MoveWindow(session.FrameWnd(), 0, 0, 1000, 720, TRUE);
    gui::Pump();
    EnterDigitiseMode(session, IDC_POLYGONS);

    session.View()->ScrollToPosition(POINT{880, 380});
    gui::Pump();
    POINT scroll = session.View()->GetScrollPosition();
    auto client = [scroll](int c, int r) { return POINT{c - scroll.x, r - scroll.y}; };
    const POINT lake[] = {{1205, 639}, {1165, 598}, {1081, 586}, {997, 607},
                          {969, 654},  {1007, 694}, {1089, 708}, {1172, 685}};
    {
        gui::ModalScript script;
        script.Then(gui::NameFeature("Lago Nero"));
        for (size_t i = 0; i + 1 < std::size(lake); ++i)
            gui::LeftClick(session.ViewWnd(), client(lake[i].x, lake[i].y));
        gui::DoubleClick(session.ViewWnd(), client(lake[7].x, lake[7].y));
        ASSERT_EQ(script.Seen().size(), 1u);
    }
    for (POINT p : {POINT{1300, 650}, POINT{1420, 640}, POINT{1440, 720}})
        gui::LeftClick(session.ViewWnd(), client(p.x, p.y));
    gui::MouseMove(session.ViewWnd(), client(1330, 735));
    ASSERT_NE(gui::Text(session.StatusBarWnd()).find(" deg  Left click each point."), std::string::npos);
    gui::Capture capture = gui::CaptureWindow(session.FrameWnd());
    ASSERT_TRUE(capture.SaveBmp(pszOutput));
}
