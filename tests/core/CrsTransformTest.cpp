// Points carried between coordinate systems, against PROJ's own cs2cs and
// the operation projinfo names first (tests/data/crs/make_fixtures.py, over
// the same lone proj.db the program ships).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/crs/CrsTransform.h"

namespace
{
struct CPairCase
{
    int nSource = 0;
    int nTarget = 0;
    std::string strOperation;
    std::vector<CMapXY> from, to;
    std::vector<CMapXY> fails;
};

std::vector<CPairCase> ReadCases()
{
    std::ifstream in(std::string(QUARVEX_SOURCE_DIR) + "/tests/data/crs/transform.txt");
    std::vector<CPairCase> cases;
    std::string line;
    while (std::getline(in, line))
    {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "pair")
        {
            cases.emplace_back();
            fields >> cases.back().nSource >> cases.back().nTarget >> std::ws;
            std::getline(fields, cases.back().strOperation);
        }
        else if (kind == "point" && !cases.empty())
        {
            CMapXY a, b;
            fields >> a.x >> a.y >> b.x >> b.y;
            cases.back().from.push_back(a);
            cases.back().to.push_back(b);
        }
        else if (kind == "fail" && !cases.empty())
        {
            CMapXY a;
            fields >> a.x >> a.y;
            cases.back().fails.push_back(a);
        }
    }
    return cases;
}

class CrsTransformTest : public ::testing::Test
{
protected:
    void SetUp() override { SetProjDataFolder(QUARVEX_PROJ_DATA_DIR); }
    void TearDown() override { SetProjDataFolder(std::string()); }
};
}   // namespace

TEST_F(CrsTransformTest, MatchesCs2csAndProjinfo)
{
    const std::vector<CPairCase> cases = ReadCases();
    ASSERT_EQ(cases.size(), 7u);
    for (const CPairCase& c : cases)
    {
        SCOPED_TRACE("EPSG:" + std::to_string(c.nSource) + " -> EPSG:" + std::to_string(c.nTarget));
        CCrsTransform transform;
        const auto status = transform.Create(c.nSource, c.nTarget);
        ASSERT_TRUE(status.Ok()) << status.Detail();

        std::vector<CMapXY> points = c.from;
        ASSERT_TRUE(transform.Transform(points.data(), points.size()).Ok());
        // Degrees to 1e-11 (under a millimetre's thousandth), metres to 1e-6.
        const double tolerance = c.nTarget == 4326 ? 1e-11 : 1e-6;
        for (size_t i = 0; i < points.size(); ++i)
        {
            EXPECT_NEAR(points[i].x, c.to[i].x, tolerance) << "point " << i + 1;
            EXPECT_NEAR(points[i].y, c.to[i].y, tolerance) << "point " << i + 1;
        }

        CMapXY low = c.from[0], high = c.from[0];
        for (const CMapXY& p : c.from)
        {
            low = {std::min(low.x, p.x), std::min(low.y, p.y)};
            high = {std::max(high.x, p.x), std::max(high.y, p.y)};
        }
        EXPECT_EQ(transform.OperationNameAt({(low.x + high.x) / 2, (low.y + high.y) / 2}), c.strOperation);

        for (CMapXY p : c.fails)
        {
            // One bad point among good ones: it is named, the good ones still carried.
            std::vector<CMapXY> mixed = {c.from[0], p};
            const auto failed = transform.Transform(mixed.data(), mixed.size());
            EXPECT_EQ(failed.GetCode(), CrsTransformCode::PointFailed);
            EXPECT_EQ(failed.Detail(), "2");
            EXPECT_NEAR(mixed[0].x, c.to[0].x, tolerance);
            EXPECT_EQ(transform.OperationNameAt(p), "");
        }
    }
}

TEST_F(CrsTransformTest, RefusalsCarryTheirCause)
{
    CCrsTransform transform;
    auto status = transform.Create(4326, 999999);
    EXPECT_EQ(status.GetCode(), CrsTransformCode::UnknownSystem);
    EXPECT_EQ(status.Detail(), "EPSG:999999");
    EXPECT_FALSE(transform.IsReady());
    CMapXY p{15.0, 47.0};
    EXPECT_EQ(transform.Transform(&p, 1).GetCode(), CrsTransformCode::NoOperation);

    // A folder without proj.db: no search elsewhere, and PROJ's words kept.
    SetProjDataFolder(std::string(QUARVEX_SOURCE_DIR) + "/tests/data/crs");
    status = transform.Create(4326, 32633);
    EXPECT_EQ(status.GetCode(), CrsTransformCode::NoDatabase);
    EXPECT_NE(status.Detail().find("proj.db"), std::string::npos) << status.Detail();
}
