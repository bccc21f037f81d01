// A whole session on the true-proportion sample sheet: four graticule
// crossings typed in degrees, minutes and seconds (the north-east corner is
// torn away, so the fourth lies on the northern edge), the Control Points
// window showing the RMS of each model, then digitising and Save As, once
// with the affine fit and once with the first model. Each run leaves its
// shapefile and the clicked pixels (<kind>.expected) in QUARVEX_SESSION_OUT;
// check_true_proportion_session.py then reads them with GDAL: the affine
// run within half a pixel's ground size of the truth everywhere, the first
// model's run visibly off.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "app/ControlPointsWnd.h"
#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"
#include "tests/win/app/SheetSession.h"

namespace
{
// The crossings of samples/true_proportion_map.truth.json, as typed.
const std::vector<gui::TypedCrossing> kCrossings = {
    {"7 00 00 E", "45 00 00 N", 178, 1430},
    {"7 05 00 E", "45 00 00 N", 1318, 1370},
    {"7 00 00 E", "45 04 00 N", 110, 138},
    {"7 04 00 E", "45 04 00 N", 1022, 90},
};

// The roads and the lake shore of the sheet, clicked along their drawn lines.
const std::vector<gui::NamedLine> kLines = {
    {"Strada di fondovalle", {{163, 1139}, {340, 1033}, {517, 926}, {698, 884}, {886, 551}, {1064, 444}, {1265, 369}}},
    {"Strada per Pessinea", {{886, 551}, {972, 870}, {1124, 1154}, {1227, 1375}}},
    {"Strada per Vonzo", {{340, 1033}, {414, 705}, {552, 277}, {612, 112}}},
    {"Lago", {{836, 683}, {795, 612}, {705, 586}, {618, 621}, {585, 696}, {626, 767}, {716, 793}, {803, 758}}},
};

// The RMS in pixels of one model as the window shows it ("...: RMS 0.000712, 12.31 px").
double ShownRmsPixels(CControlPointsWnd* pWnd, int nID)
{
    const std::string text = gui::ItemText(pWnd->m_hWnd, nID);
    std::smatch m;
    if (!std::regex_search(text, m, std::regex(R"(RMS -?\d+\.\d{6}, (\d+\.\d{2}) px)")))
        return -1.0;
    return std::atof(m[1].str().c_str());
}

void RunSession(const std::string& kind, FitModel nModel)
{
    const std::string folder = gui::OutputFolder("QUARVEX_SESSION_OUT", "session");
    for (const char* ext : {".shp", ".shx", ".dbf", ".expected", ".tvg", ".quarvex"})
        DeleteFileA((folder + "\\" + kind + ext).c_str());
    const std::string image = CopyFixture("../../../../samples/true_proportion_map.jpg", folder, kind + ".jpg", false);
    AppSession session({image});
    ASSERT_TRUE(session.started);
    MoveWindow(session.FrameWnd(), 0, 0, 900, 700, TRUE);
    gui::Pump();
    gui::PressKey(session.FrameWnd(), VK_F8, {});
    CControlPointsWnd* pWnd = session.Frame()->GetControlPointsWnd();
    ASSERT_TRUE(pWnd && pWnd->IsOpen());

    gui::TypeCrossings(session, kCrossings);
    if (testing::Test::HasFatalFailure())
        return;
    ASSERT_EQ(session.Doc()->Session().GeoRef().m_points.size(), 4u);
    // Both RMS values side by side: the first model misses by pixels, the
    // affine fit not at all.
    const double first = ShownRmsPixels(pWnd, IDC_CP_RMS_FIRST);
    const double affine = ShownRmsPixels(pWnd, IDC_CP_RMS_AFFINE);
    EXPECT_GT(first, 5.0) << gui::ItemText(pWnd->m_hWnd, IDC_CP_RMS_FIRST);
    EXPECT_GE(affine, 0.0);
    EXPECT_LT(affine, 0.5) << gui::ItemText(pWnd->m_hWnd, IDC_CP_RMS_AFFINE);

    if (nModel != FitModel::RotationScales)
    {
        gui::ChooseFitModel(*pWnd, nModel);
        ASSERT_EQ(session.Doc()->Session().GeoRef().m_nFitModel, nModel);
    }

    {
        gui::ModalScript script;
        script.Then(gui::ChooseShapeType(IDC_POLYLINES));
        gui::RightClick(session.ViewWnd(), POINT{100, 100});
        ASSERT_EQ(session.Doc()->Session().Mode(), MODE_DIGITISE);
    }
    // The read-out's angle: the sheet's turn, atan(12/228), with the affine
    // fit; the first model's biased one without.
    gui::MouseMove(session.ViewWnd(), gui::ShowPixel(session, 700, 700));
    const std::string status = gui::Text(session.StatusBarWnd());
    EXPECT_NE(status.find(nModel == FitModel::Affine ? " r=3.01 deg" : " r=2.32 deg"), std::string::npos) << status;

    gui::DigitiseAndSave(session, kLines, folder, kind);
    if (testing::Test::HasFatalFailure())
        return;
    session.Command(ID_VIEW_CONTROL_POINTS);
    EXPECT_FALSE(pWnd->IsOpen());
}
}   // namespace

TEST(TrueProportionSession, AffineFitFromDmsCrossings) { RunSession("true-affine", FitModel::Affine); }

TEST(TrueProportionSession, FirstModelFromTheSameCrossings) { RunSession("true-first", FitModel::RotationScales); }
