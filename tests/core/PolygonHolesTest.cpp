// Polygons with holes: which holes are refused, how the rings are turned
// for each format (the pixel rows run down, map y up), and the session's
// Add Hole with its undo and its journal.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/gpkg/FeatureGeoPackage.h"
#include "core/gpkg/GeometryBlob.h"
#include "core/journal/RecoveryJournal.h"
#include "core/session/ImageSession.h"
#include "core/shape/FeatureMeasure.h"
#include "core/shape/PolygonRings.h"
#include "tests/core/ShapeWriterFixture.h"

namespace
{
CShape Rings(const std::vector<std::vector<TestVertex>>& rings)
{
    CShape shape;
    for (size_t r = 0; r < rings.size(); ++r)
    {
        if (r > 0)
            shape.StartHole();
        for (const TestVertex& v : rings[r])
            shape.Add(v.x, v.y);
    }
    return shape;
}

const std::vector<TestVertex> kOuter = {{10, 10}, {90, 10}, {90, 90}, {10, 90}};

TEST(HoleCheck, AHoleMustLieInsideTheOuterRingClearOfItAndOfTheOtherHoles)
{
    const struct
    {
        const char* name;
        std::vector<std::vector<TestVertex>> holes;
        HoleCheck expected;
    } cases[] = {
        {"inside", {{{20, 20}, {40, 20}, {30, 40}}}, HoleCheck::Fits},
        {"two vertices", {{{20, 20}, {40, 20}}}, HoleCheck::TooFew},
        {"on one line", {{{20, 20}, {30, 30}, {40, 40}}}, HoleCheck::TooFew},
        {"wholly outside", {{{100, 100}, {120, 100}, {110, 120}}}, HoleCheck::Outside},
        {"around the outer ring", {{{0, 0}, {100, 0}, {100, 100}, {0, 100}}}, HoleCheck::Outside},
        {"crossing it", {{{20, 20}, {95, 20}, {50, 50}}}, HoleCheck::Outside},
        {"touching it at a corner", {{{10, 10}, {40, 20}, {30, 40}}}, HoleCheck::Outside},
        {"beside another", {{{20, 20}, {40, 20}, {30, 40}}, {{60, 60}, {80, 60}, {70, 80}}}, HoleCheck::Fits},
        {"crossing another", {{{20, 20}, {40, 20}, {30, 40}}, {{30, 30}, {50, 30}, {40, 50}}}, HoleCheck::Crosses},
        {"within another",
         {{{20, 20}, {60, 20}, {60, 60}, {20, 60}}, {{30, 30}, {40, 30}, {35, 40}}},
         HoleCheck::Crosses},
        {"around another",
         {{{30, 30}, {40, 30}, {35, 40}}, {{20, 20}, {60, 20}, {60, 60}, {20, 60}}},
         HoleCheck::Crosses},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::vector<std::vector<TestVertex>> rings = {kOuter};
        rings.insert(rings.end(), c.holes.begin(), c.holes.end());
        const CShape drawn = Rings(rings);
        EXPECT_EQ(CheckHoles(drawn), c.expected);
        // The same rings finished, each closed, are judged alike.
        EXPECT_EQ(CheckHoles(FinishedShape(drawn, SHAPE_POLYGON, "")), c.expected);
    }
}

double TwiceArea(const std::vector<double>& xy) { return TwiceSignedArea(xy); }

// The rings of the .shp's first record: part starts and points, in map units.
std::vector<std::vector<double>> ShpRings(const std::string& shp)
{
    auto i32 = [&](size_t at) {
        int32_t v;
        std::memcpy(&v, shp.data() + at, 4);
        return v;
    };
    const size_t content = 100 + 8;
    EXPECT_EQ(i32(content), SHAPE_POLYGON);
    const int parts = i32(content + 36), points = i32(content + 40);
    std::vector<std::vector<double>> rings(static_cast<size_t>(parts));
    const size_t xy = content + 44 + 4 * size_t(parts);
    for (int p = 0; p < parts; ++p)
    {
        const int end = p + 1 < parts ? i32(content + 44 + 4 * size_t(p + 1)) : points;
        for (int v = i32(content + 44 + 4 * size_t(p)); v < end; ++v)
            for (int k = 0; k < 2; ++k)
            {
                double d;
                std::memcpy(&d, shp.data() + xy + 16 * size_t(v) + 8 * size_t(k), 8);
                rings[size_t(p)].push_back(d);
            }
    }
    return rings;
}

// The rings of a GeoPackage blob's WKB polygon (little-endian, xy envelope).
std::vector<std::vector<double>> WkbRings(const std::string& blob)
{
    size_t at = 8 + 32;
    auto u32 = [&] {
        uint32_t v;
        std::memcpy(&v, blob.data() + at, 4);
        at += 4;
        return v;
    };
    EXPECT_EQ(blob[at], 1);
    ++at;
    EXPECT_EQ(u32(), 3u);   // Polygon
    std::vector<std::vector<double>> rings(u32());
    for (std::vector<double>& ring : rings)
    {
        ring.resize(2 * size_t(u32()));
        std::memcpy(ring.data(), blob.data() + at, 8 * ring.size());
        at += 8 * ring.size();
    }
    return rings;
}

TEST(HoleOrientation, ShapefileOuterClockwiseHolesAnticlockwiseGeoPackageTheOtherWayWhicheverWayDrawn)
{
    // Each ring drawn either way round on the screen (rows down).
    const std::vector<TestVertex> outerCw = kOuter, outerCcw = {{10, 10}, {10, 90}, {90, 90}, {90, 10}};
    const std::vector<TestVertex> holeCw = {{20, 20}, {40, 20}, {30, 40}}, holeCcw = {{20, 20}, {30, 40}, {40, 20}};
    for (const auto& outer : {outerCw, outerCcw})
        for (const auto& hole : {holeCw, holeCcw})
        {
            CShapeFile file;
            FitRoundNumberGeoRef(file.m_geoRef);
            CShape drawn = Rings({outer, hole});
            file.m_shapes.Add(FinishedShape(drawn, SHAPE_POLYGON, "lake"));

            CMemoryFileSystem files;
            ASSERT_TRUE(file.WriteShapefile("m/lake.shp", SHAPE_POLYGON, files));
            const std::vector<std::vector<double>> shp = ShpRings(files.m_files["m/lake.shp"]);
            ASSERT_EQ(shp.size(), 2u);
            EXPECT_EQ(shp[0].size(), 10u);
            EXPECT_EQ(shp[1].size(), 8u);
            EXPECT_DOUBLE_EQ(TwiceArea(shp[0]), -2 * 6400.0);
            EXPECT_DOUBLE_EQ(TwiceArea(shp[1]), 2 * 200.0);
            // The index gives the record its length: 2 parts, 9 points.
            const std::string& shx = files.m_files["m/lake.shx"];
            EXPECT_EQ(static_cast<unsigned char>(shx[100 + 7]), (44 + 2 * 4 + 9 * 16) / 2);

            CVectorLayer layer;
            ASSERT_TRUE(MakeFeatureLayer(file, SHAPE_POLYGON, "lake", 0, &layer));
            CEnvelope envelope;
            const std::vector<std::vector<double>> wkb =
                WkbRings(GeometryBlob(layer.features[0], layer.nKind, false, false, 1, &envelope));
            ASSERT_EQ(wkb.size(), 2u);
            EXPECT_DOUBLE_EQ(TwiceArea(wkb[0]), 2 * 6400.0);
            EXPECT_DOUBLE_EQ(TwiceArea(wkb[1]), -2 * 200.0);
        }
}

class HoleSessionTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Open(m_session).bDone);
        ASSERT_TRUE(m_session.FitPoints().bDone);
        ASSERT_TRUE(m_session.StartDigitising(SHAPE_POLYGON).bDone);
    }
    CSessionOutcome Open(CImageSession& session)
    {
        CImageOpening opening;
        opening.strPath = "maps/sheet.jpg";
        opening.strFullPath = "C:/maps/sheet.jpg";
        opening.strJournalFolder = "recovery/";
        opening.nHeight = 1000;
        opening.points = {CGeoRefPoint(100, 900, 10, 10), CGeoRefPoint(900, 900, 90, 10),
                          CGeoRefPoint(100, 100, 10, 90), CGeoRefPoint(900, 100, 90, 90)};
        session.BeginOpen();
        return session.Open(opening);
    }
    void Click(const std::vector<TestVertex>& vertices)
    {
        for (const TestVertex& v : vertices)
            ASSERT_TRUE(m_session.AddVertex(v.x, v.y).bDone);
    }
    static SessionNotice Notice(const CSessionOutcome& outcome)
    {
        EXPECT_FALSE(outcome.bDone);
        return outcome.messages.size() == 1 ? outcome.messages[0].nNotice : NOTICE_ASK_RESTORE;
    }

    CMemoryFileSystem m_files;
    CImageSession m_session{m_files};
};

TEST_F(HoleSessionTest, AHoleIsOneEditRefusedWhileItDoesNotFitAndNothingIsLost)
{
    Click({{10, 10}, {90, 10}});
    EXPECT_EQ(Notice(m_session.AddHole()), NOTICE_HOLE_NEEDS_RING);
    Click({{90, 90}, {10, 90}});
    ASSERT_TRUE(m_session.AddHole().bDone);
    EXPECT_EQ(m_session.History().NextUndo()->Name(), EditName::AddHole);
    EXPECT_FALSE(m_session.RemoveVertex().bDone);   // the hole has no vertex yet

    // A hole poking out of the outer ring is refused, whole.
    Click({{20, 20}, {95, 20}, {50, 50}});
    EXPECT_EQ(Notice(m_session.CheckFinish()), NOTICE_HOLE_OUTSIDE);
    EXPECT_EQ(Notice(m_session.FinishFeature("lake")), NOTICE_HOLE_OUTSIDE);
    EXPECT_EQ(Notice(m_session.AddHole()), NOTICE_HOLE_OUTSIDE);
    EXPECT_EQ(m_session.Current().GetSize(), 7);
    ASSERT_TRUE(m_session.RemoveVertex().bDone);
    ASSERT_TRUE(m_session.RemoveVertex().bDone);
    Click({{40, 20}, {30, 40}});
    ASSERT_TRUE(m_session.AddHole().bDone);
    Click({{60, 60}, {80, 60}});
    EXPECT_EQ(Notice(m_session.FinishFeature("lake")), NOTICE_HOLE_TOO_FEW);
    Click({{70, 80}});
    ASSERT_TRUE(m_session.FinishFeature("lake").bDone);

    const CShape& lake = m_session.Features().GetAt(0);
    ASSERT_EQ(lake.RingCount(), 3);
    EXPECT_EQ(lake.HoleStarts(), (std::vector<int>{5, 9}));
    EXPECT_EQ(lake.GetSize(), 13);
    EXPECT_EQ(lake.GetAt(8), (CShapeVertex{20, 20}));
    EXPECT_EQ(lake.GetAt(12), (CShapeVertex{60, 60}));
    EXPECT_EQ(Notice(m_session.MoveFeatureVertex(0, 1, 91, 11)), NOTICE_HOLED_SHAPE);

    // Undo gives the clicks back, then takes the second hole's start back.
    ASSERT_TRUE(m_session.Undo().bDone);
    EXPECT_EQ(m_session.Current().RingCount(), 3);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(m_session.Undo().bDone);
    EXPECT_EQ(m_session.Current().RingCount(), 3);
    ASSERT_TRUE(m_session.Undo().bDone);
    EXPECT_EQ(m_session.Current().RingCount(), 2);
    ASSERT_TRUE(m_session.Redo().bDone);
    EXPECT_EQ(m_session.Current().RingCount(), 3);
}

TEST_F(HoleSessionTest, TheJournalBringsBackAHalfDrawnHoleAndFinishedHoledPolygons)
{
    Click({{10, 10}, {90, 10}, {90, 90}, {10, 90}});
    ASSERT_TRUE(m_session.AddHole().bDone);
    Click({{20, 20}, {40, 20}, {30, 40}});
    ASSERT_TRUE(m_session.FinishFeature("lake").bDone);
    Click({{110, 110}, {190, 110}, {190, 190}});
    ASSERT_TRUE(m_session.AddHole().bDone);
    Click({{150, 130}, {170, 130}});   // killed here, the hole half drawn

    CImageSession next(m_files);
    const CSessionOutcome opened = Open(next);
    ASSERT_EQ(opened.messages.size(), 1u);
    EXPECT_EQ(opened.messages[0].nCount, 2);
    ASSERT_TRUE(next.RestoreFromJournal().bDone);
    ASSERT_EQ(next.Features().GetSize(), 1);
    EXPECT_EQ(next.Features().GetAt(0).Vertices(), m_session.Features().GetAt(0).Vertices());
    EXPECT_EQ(next.Features().GetAt(0).HoleStarts(), std::vector<int>{5});
    EXPECT_EQ(next.Current().Vertices(), m_session.Current().Vertices());
    EXPECT_EQ(next.Current().HoleStarts(), std::vector<int>{3});
    EXPECT_EQ(next.ShapeType(), SHAPE_POLYGON);

    // Drawing goes on, and a hole given up leaves no half-drawn feature behind.
    ASSERT_TRUE(next.AddVertex(160, 150).bDone);
    ASSERT_TRUE(next.DiscardFeature().bDone);
    CImageSession third(m_files);
    EXPECT_EQ(Open(third).messages[0].nCount, 1);
    ASSERT_TRUE(third.RestoreFromJournal().bDone);
    EXPECT_EQ(third.Current().GetSize(), 0);
}
}   // namespace
