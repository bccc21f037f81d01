// A whole session on the Lambert sample sheet (6° x 4° at about
// 1:1,000,000): the seven graticule crossings typed in degrees, minutes and
// seconds of ETRS89, the roads digitised and saved, once with the output in
// the sheet's Lambert conformal conic (the points carried there by PROJ)
// and once with the output in the same degrees, both with the affine fit.
// Each run leaves its shapefile and the clicked pixels (<kind>.expected) in
// QUARVEX_SESSION_OUT; check_lambert_session.py then measures them with
// GDAL against the sheet's truth.
#include <gtest/gtest.h>

#include <regex>

#include "app/ControlPointsWnd.h"
#include "app/DocumentCommands.h"
#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"
#include "tests/win/app/SheetSession.h"

namespace
{
// The crossings of samples/lambert_sheet.truth.json, as typed.
const std::vector<gui::TypedCrossing> kCrossings = {
    {"12 00 00 E", "44 00 00 N", 262, 2003},  {"18 00 00 E", "44 00 00 N", 2126, 1837},
    {"12 00 00 E", "48 00 00 N", 180, 281},   {"18 00 00 E", "48 00 00 N", 1904, 128},
    {"15 00 00 E", "44 00 00 N", 1196, 1939}, {"15 00 00 E", "48 00 00 N", 1043, 222},
    {"15 00 00 E", "46 00 00 N", 1120, 1080},
};

// The sheet's roads, clicked at the nearest pixel of each bend.
const std::vector<gui::NamedLine> kRoads = {
    {"Road 1", {{347, 1826}, {592, 1293}, {946, 446}, {1311, 283}}},
    {"Road 2", {{592, 1293}, {1056, 1042}, {1496, 653}, {1839, 310}}},
    {"Road 3", {{1056, 1042}, {1328, 1363}, {1812, 1571}}},
};

const int kEtrs89 = 4258;
const int kLambertEurope = 3034;

void RunSession(const std::string& kind, int nOutput)
{
    const std::string folder = gui::OutputFolder("QUARVEX_SESSION_OUT", "session");
    for (const char* ext : {".shp", ".shx", ".dbf", ".prj", ".expected", ".tvg", ".quarvex"})
        DeleteFileA((folder + "\\" + kind + ext).c_str());
    const std::string image = CopyFixture("../../../../samples/lambert_sheet.jpg", folder, kind + ".jpg", false);
    AppSession session({image});
    ASSERT_TRUE(session.started);
    MoveWindow(session.FrameWnd(), 0, 0, 900, 700, TRUE);
    gui::Pump();
    CControlPointsWnd* pWnd = gui::ShowControlPoints(session);
    ASSERT_TRUE(pWnd && pWnd->IsOpen());
    SetCoordinateSystems(*session.Doc(), nOutput, kEtrs89);
    const bool bCarried = nOutput != kEtrs89;
    ASSERT_EQ(session.Doc()->Session().PointsCarried(), bCarried);

    gui::TypeCrossings(session, kCrossings);
    if (testing::Test::HasFatalFailure())
        return;
    ASSERT_EQ(session.Doc()->Session().GeoRef().m_points.size(), 7u);
    gui::ChooseFitModel(*pWnd, FitModel::Affine);
    ASSERT_EQ(session.Doc()->Session().GeoRef().m_nFitModel, FitModel::Affine);
    // The window names both systems and PROJ's operation; the residuals are metres.
    const std::string crsLine = gui::ItemText(pWnd->m_hWnd, IDC_CP_CRS);
    if (bCarried)
        EXPECT_EQ(crsLine, "Typed in EPSG:4258, fitted in EPSG:3034 by: Europe Conformal 2001");
    else
        EXPECT_EQ(crsLine, "");

    {
        gui::ModalScript script;
        script.Then(gui::ChooseShapeType(IDC_POLYLINES));
        gui::RightClick(session.ViewWnd(), POINT{100, 100});
        ASSERT_EQ(session.Doc()->Session().Mode(), MODE_DIGITISE);
    }
    // By the crossing at 15°E 46°N (a pixel is 8 seconds): typed degrees
    // first, then the output's position.
    gui::MouseMove(session.ViewWnd(), gui::ShowPixel(session, 1120, 1080));
    const std::string status = gui::Text(session.StatusBarWnd());
    if (bCarried)
        EXPECT_TRUE(
            std::regex_search(status, std::regex("^(45\xC2\xB0"
                                                 "59'[0-5]\\d|46\xC2\xB0"
                                                 "00'0\\d)\"N (14\xC2\xB0"
                                                 "59'[0-5]\\d|15\xC2\xB0"
                                                 "00'0\\d)\"E \xE2\x80\x94 43\\d{5}\\.\\d{6}, 21\\d{5}\\.\\d{6} r=")))
            << status;
    else
        EXPECT_EQ(status.find("\xE2\x80\x94"), std::string::npos) << status;

    gui::DigitiseAndSave(session, kRoads, folder, kind);
    if (testing::Test::HasFatalFailure())
        return;
    session.Command(ID_VIEW_CONTROL_POINTS);
    EXPECT_FALSE(pWnd->IsOpen());
}
}   // namespace

TEST(LambertSession, DmsCrossingsCarriedIntoTheSheetsLambert) { RunSession("lambert-projected", kLambertEurope); }

TEST(LambertSession, DmsCrossingsFittedInDegrees) { RunSession("lambert-degrees", kEtrs89); }

TEST(LambertSession, DegreesWithoutAnOutputSystemOfferTheUtmZoneOnOneButton)
{
    const std::string folder = gui::OutputFolder("QUARVEX_SESSION_OUT", "session");
    for (const char* ext : {".tvg", ".quarvex"})
        DeleteFileA((folder + "\\lambert-utm" + ext).c_str());
    const std::string image = CopyFixture("../../../../samples/lambert_sheet.jpg", folder, "lambert-utm.jpg", false);
    AppSession session({image});
    ASSERT_TRUE(session.started);
    CControlPointsWnd* pWnd = gui::ShowControlPoints(session);
    ASSERT_TRUE(pWnd && pWnd->IsOpen());
    HWND hButton = GetDlgItem(pWnd->m_hWnd, IDC_CP_USE_SUGGESTED_CRS);
    EXPECT_FALSE(IsWindowVisible(hButton));

    gui::TypeCrossings(session, {kCrossings[0], kCrossings[3]});
    if (testing::Test::HasFatalFailure())
        return;
    // The points' centre, 15°E 46°N, lies in zone 33N.
    ASSERT_TRUE(IsWindowVisible(hButton));
    EXPECT_EQ(gui::Text(hButton), "&Use UTM 33N");
    gui::Click(pWnd->m_hWnd, IDC_CP_USE_SUGGESTED_CRS);
    gui::Pump();
    EXPECT_EQ(session.Doc()->Session().Crs().nEpsg, 32633);
    EXPECT_EQ(session.Doc()->Session().PointsCrs().nEpsg, 4326);
    EXPECT_FALSE(IsWindowVisible(hButton));
    EXPECT_EQ(gui::ItemText(pWnd->m_hWnd, IDC_CP_CRS), "Typed in EPSG:4326, fitted in EPSG:32633 by: UTM zone 33N");
    session.Command(ID_VIEW_CONTROL_POINTS);
    EXPECT_FALSE(pWnd->IsOpen());
}
