// Control points typed in one system and fitted in another: the session
// carries them as PROJ's cs2cs does (tests/data/crs/transform.txt, made by
// make_fixtures.py), names projinfo's operation, fits in the output's
// units, tells the points it cannot carry, and keeps the settings file as
// it was while the points are typed in the output system.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/crs/CrsTransform.h"
#include "core/io/MemoryFile.h"
#include "core/session/ImageSession.h"

namespace
{
const char kImage[] = "maps/sheet.jpg";
const char kSettings[] = "maps/sheet.quarvex";

struct CCarriedCase
{
    int nSource = 0, nTarget = 0;
    std::string strOperation;
    std::vector<CMapXY> from, to;
};

std::vector<CCarriedCase> ReadCases()
{
    std::ifstream in(std::string(QUARVEX_SOURCE_DIR) + "/tests/data/crs/transform.txt");
    std::vector<CCarriedCase> cases;
    std::string line, kind;
    while (std::getline(in, line))
    {
        std::istringstream fields(line);
        fields >> kind;
        if (kind == "pair")
        {
            cases.emplace_back();
            fields >> cases.back().nSource >> cases.back().nTarget >> std::ws;
            std::getline(fields, cases.back().strOperation);
        }
        else if (kind == "point")
        {
            CMapXY a, b;
            fields >> a.x >> a.y >> b.x >> b.y;
            cases.back().from.push_back(a);
            cases.back().to.push_back(b);
        }
    }
    return cases;
}

bool Geographic(int nCode) { return nCode == 4326 || nCode == 4258 || nCode == 4314 || nCode == 4277 || nCode == 4267; }

class PointsCrsSessionTest : public testing::Test
{
protected:
    void SetUp() override { SetProjDataFolder(QUARVEX_PROJ_DATA_DIR); }
    void TearDown() override { SetProjDataFolder(std::string()); }

    CSessionOutcome Open(std::vector<CGeoRefPoint> points, int nPoints, int nOutput)
    {
        CImageOpening opening;
        opening.strPath = kImage;
        opening.strFullPath = std::string("C:/") + kImage;
        opening.strJournalFolder = "recovery/";
        opening.nHeight = 1000;
        opening.points = std::move(points);
        opening.nFitModel = FitModel::Affine;
        opening.crs = {nOutput, Geographic(nOutput)};
        opening.pointsCrs = {nPoints, Geographic(nPoints)};
        m_session.BeginOpen();
        return m_session.Open(opening);
    }

    // The first pair's points (WGS 84 degrees) at pixels 1 px a kilometre
    // of their UTM 33N position; the affine fit is then 1000 m a pixel.
    std::vector<CGeoRefPoint> UtmSheet()
    {
        const CCarriedCase c = ReadCases().front();
        std::vector<CGeoRefPoint> points;
        for (size_t i = 0; i < c.from.size(); ++i)
            points.emplace_back(c.from[i].x, c.from[i].y, static_cast<int>((c.to[i].x - 200000) / 1000),
                                static_cast<int>((5600000 - c.to[i].y) / 1000));
        return points;
    }

    CMemoryFileSystem m_files;
    CImageSession m_session{m_files};
};

std::vector<SessionNotice> Notices(const CSessionOutcome& outcome)
{
    std::vector<SessionNotice> notices;
    for (const CSessionMessage& message : outcome.messages)
        notices.push_back(message.nNotice);
    return notices;
}
}   // namespace

TEST_F(PointsCrsSessionTest, TypedPointsAreCarriedAsCs2csDoesAndTheOperationIsNamedAsProjinfoDoes)
{
    const std::vector<CCarriedCase> cases = ReadCases();
    ASSERT_EQ(cases.size(), 7u);
    for (const CCarriedCase& c : cases)
    {
        SCOPED_TRACE("EPSG:" + std::to_string(c.nSource) + " -> EPSG:" + std::to_string(c.nTarget));
        std::vector<CGeoRefPoint> typed;
        for (size_t i = 0; i < c.from.size(); ++i)
            typed.emplace_back(c.from[i].x, c.from[i].y, 10 + 100 * static_cast<int>(i), 20 + 37 * static_cast<int>(i));
        EXPECT_TRUE(Open(typed, c.nSource, c.nTarget).messages.empty());
        ASSERT_TRUE(m_session.PointsCarried());
        EXPECT_EQ(m_session.OperationName(), c.strOperation);
        const double tolerance = c.nTarget == 4326 ? 1e-11 : 1e-6;
        for (size_t i = 0; i < c.from.size(); ++i)
        {
            EXPECT_NEAR(m_session.GeoRef().m_points[i].m_dMapX, c.to[i].x, tolerance) << "point " << i + 1;
            EXPECT_NEAR(m_session.GeoRef().m_points[i].m_dMapY, c.to[i].y, tolerance) << "point " << i + 1;
            EXPECT_EQ(m_session.TypedPoints()[i].m_dMapX, c.from[i].x) << "kept as typed";
            // The read-out's way back lands on the typed position (a datum
            // shift and its inverse agree to a millimetre).
            CMapXY back = c.to[i];
            ASSERT_TRUE(m_session.TypedAt(&back));
            EXPECT_NEAR(back.x, c.from[i].x, c.nSource == 3035 ? 1e-3 : 1e-7);
            EXPECT_NEAR(back.y, c.from[i].y, c.nSource == 3035 ? 1e-3 : 1e-7);
        }
    }
}

TEST_F(PointsCrsSessionTest, TheFitAndItsResidualsAreInTheOutputSystem)
{
    const std::vector<CGeoRefPoint> points = UtmSheet();
    (void)Open(points, 4326, 32633);
    ASSERT_TRUE(m_session.ChooseFitModel(FitModel::Helmert).bDone);
    ASSERT_TRUE(m_session.FitPoints().bDone);
    const CModelFit& fit = m_session.FitReport().Chosen();
    // Metres a pixel, not degrees; the pixels were rounded to whole kilometres.
    EXPECT_NEAR(fit.dScaleX, 1000.0, 20.0);
    ASSERT_GT(fit.dRmsPixels, 0.0);
    EXPECT_NEAR(fit.dRmsMap / fit.dRmsPixels, 1000.0, 20.0);

    // Typed in the output system (the default) the same numbers are metres: the fit follows.
    ASSERT_TRUE(m_session.SetCrs({32633, false}, {}).bDone);
    EXPECT_FALSE(m_session.PointsCarried());
    EXPECT_EQ(m_session.GeoRef().m_points[0].m_dMapX, points[0].m_dMapX);
    EXPECT_LT(m_session.FitReport().Chosen().dScaleX, 1.0);
}

TEST_F(PointsCrsSessionTest, APointThatCannotBeCarriedIsToldOnceAndLeftOutOfTheFitNotDropped)
{
    std::vector<CGeoRefPoint> points = UtmSheet();
    (void)Open(points, 4326, 32633);
    ASSERT_TRUE(m_session.FitPoints().bDone);
    const double x0 = m_session.GeoRef().m_points[0].m_dMapX;

    const CSessionOutcome added = m_session.AddPoint(CGeoRefPoint(15.0, 95.0, 300, 300));
    ASSERT_EQ(Notices(added), std::vector<SessionNotice>{NOTICE_POINTS_NOT_CARRIED});
    EXPECT_EQ(added.messages[0].strPath, "4");
    EXPECT_EQ(added.messages[0].nCount, 1);
    ASSERT_EQ(m_session.TypedPoints().size(), 4u);
    EXPECT_FALSE(m_session.IsPointCarried(3));
    EXPECT_TRUE(m_session.GeoRef().m_points[3].m_bOff);
    EXPECT_FALSE(m_session.TypedPoints()[3].m_bOff) << "the user did not switch it off";
    EXPECT_TRUE(m_session.GeoRef().m_bValid) << "the others still fit";
    EXPECT_EQ(m_session.GeoRef().m_points[0].m_dMapX, x0);

    // Told once: the next edit says nothing of it; mended, it is carried.
    EXPECT_TRUE(m_session.MovePoint(0, 1, 2).messages.empty());
    EXPECT_TRUE(m_session.ChangePoint(3, CGeoRefPoint(15.0, 45.0, 300, 300)).messages.empty());
    EXPECT_TRUE(m_session.IsPointCarried(3));
    EXPECT_FALSE(m_session.GeoRef().m_points[3].m_bOff);
    EXPECT_EQ(m_files.m_files.count(kSettings), 0u) << "no point is switched off in the settings";
    // Undone, it is lost again and told again.
    EXPECT_EQ(Notices(m_session.Undo()), std::vector<SessionNotice>{NOTICE_POINTS_NOT_CARRIED});
}

TEST_F(PointsCrsSessionTest, NoWayBetweenTheSystemsIsToldAndRefusedWhileDigitising)
{
    (void)Open(UtmSheet(), 4326, 32633);
    const CSessionOutcome unknown = m_session.SetCrs({32633, false}, {999999, true});
    ASSERT_EQ(Notices(unknown), std::vector<SessionNotice>{NOTICE_NO_CRS_OPERATION});
    EXPECT_EQ(unknown.messages[0].strPath, "EPSG:999999");
    EXPECT_FALSE(m_session.GeoRef().m_bValid);
    EXPECT_FALSE(m_session.IsPointCarried(0));

    ASSERT_TRUE(m_session.SetCrs({32633, false}, {4326, true}).bDone);
    ASSERT_TRUE(m_session.FitPoints().bDone);
    ASSERT_TRUE(m_session.StartDigitising(SHAPE_POLYLINE).bDone);
    const CSessionOutcome refused = m_session.SetCrs({32633, false}, {999999, true});
    EXPECT_FALSE(refused.bDone);
    EXPECT_EQ(Notices(refused), std::vector<SessionNotice>{NOTICE_MODEL_CANNOT_FIT});
    EXPECT_EQ(m_session.PointsCrs().nEpsg, 4326);
    EXPECT_TRUE(m_session.GeoRef().m_bValid);
}

TEST_F(PointsCrsSessionTest, TheSettingsFileKeepsItsBytesWhileThePointsAreTypedInTheOutputSystem)
{
    const std::string before = "crs=EPSG:32633\r\nfit=affine\r\n";
    m_files.m_files[kSettings] = before;
    CImageOpening opening;
    ReadImageSideFiles(kImage, m_files, &opening);
    EXPECT_TRUE(opening.pointsCrs.IsNone());
    opening.strPath = kImage;
    opening.points = UtmSheet();
    m_session.BeginOpen();
    (void)m_session.Open(opening);
    EXPECT_EQ(m_session.PointsCrs().nEpsg, 32633);
    EXPECT_FALSE(m_session.PointsCarried());

    ASSERT_TRUE(m_session.SetCrs({32633, false}).messages.empty());
    EXPECT_EQ(m_files.m_files[kSettings], before);
    ASSERT_TRUE(m_session.SetCrs({32633, false}, {4326, true}).messages.empty());
    EXPECT_EQ(m_files.m_files[kSettings], before + "points_crs=EPSG:4326\r\n");
    ReadImageSideFiles(kImage, m_files, &opening);
    EXPECT_EQ(opening.pointsCrs.nEpsg, 4326);
    EXPECT_TRUE(opening.pointsCrs.bGeographic);
    // The output's own system again: the key goes.
    ASSERT_TRUE(m_session.SetCrs({32633, false}, {32633, false}).messages.empty());
    EXPECT_EQ(m_files.m_files[kSettings], before);
}

TEST_F(PointsCrsSessionTest, DegreesTypedWithoutAnOutputSystemSuggestTheUtmZoneOfTheirCentre)
{
    std::vector<CGeoRefPoint> points = UtmSheet();
    (void)Open(points, 0, 0);
    EXPECT_EQ(m_session.SuggestedCrs(), 0) << "plain numbers from the point file: no telling";
    for (CGeoRefPoint& p : points)
    {
        p.m_strMapX = "15°00'00\"E";
        p.m_strMapY = "47°00'00\"N";
    }
    ASSERT_TRUE(m_session.ReplacePoints(points).bDone);
    EXPECT_EQ(m_session.SuggestedCrs(), 32633);
    ASSERT_TRUE(m_session.AcceptSuggestedCrs().bDone);
    EXPECT_EQ(m_session.Crs().nEpsg, 32633);
    EXPECT_EQ(m_session.PointsCrs().nEpsg, 4326);
    EXPECT_TRUE(m_session.PointsCarried());
    EXPECT_EQ(m_session.SuggestedCrs(), 0) << "an output system is chosen";
}
