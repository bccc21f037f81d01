#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "core/georef/GeoRefArray.h"

namespace
{

struct FitPoint
{
    int col, row;
    double mapX, mapY;
};

CGeoRefArray MakeGeoRef(int imageHeight, const std::vector<FitPoint>& points)
{
    CGeoRefArray geoRef;
    geoRef.SetImageHeight(imageHeight);
    for (const FitPoint& p : points)
        geoRef.m_points.push_back(CGeoRefPoint(p.mapX, p.mapY, p.col, p.row));
    return geoRef;
}

// Fit cases as data: control points, the expected transformation and the
// map coordinates of one probe pixel.
struct FitCase
{
    const char* name;
    int imageHeight;
    std::vector<FitPoint> points;
    double rotation, x0, xScale, y0, yScale;
    int probeCol, probeRow;
    double probeX, probeY;
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }

const double kTolerance = 1e-9;

class FitCases : public testing::TestWithParam<FitCase>
{};

TEST_P(FitCases, FitsTheExpectedTransformation)
{
    const FitCase& c = GetParam();
    CGeoRefArray geoRef = MakeGeoRef(c.imageHeight, c.points);
    ASSERT_TRUE(geoRef.CalcTransform());
    EXPECT_TRUE(geoRef.m_bValid);
    EXPECT_NEAR(geoRef.GetRotation(), c.rotation, kTolerance);
    EXPECT_NEAR(geoRef.m_dX0, c.x0, kTolerance);
    EXPECT_NEAR(geoRef.m_dXScale, c.xScale, kTolerance);
    EXPECT_NEAR(geoRef.m_dY0, c.y0, kTolerance);
    EXPECT_NEAR(geoRef.m_dYScale, c.yScale, kTolerance);
    double x = 0, y = 0;
    ASSERT_TRUE(geoRef.PixelToMap(c.probeCol, c.probeRow, &x, &y));
    EXPECT_NEAR(x, c.probeX, 1e-7);
    EXPECT_NEAR(y, c.probeY, 1e-7);
}

INSTANTIATE_TEST_SUITE_P(Examples, FitCases,
                         testing::Values(FitCase{"ThreePoints",
                                                 100,
                                                 {{10, 90, 110, 210}, {50, 90, 150, 210}, {10, 50, 110, 250}},
                                                 0.0,
                                                 100,
                                                 1,
                                                 200,
                                                 1,
                                                 30,
                                                 70,
                                                 130,
                                                 230},
                                         FitCase{"ScaledByTwo",
                                                 100,
                                                 {{10, 90, 120, 220}, {50, 90, 200, 220}, {10, 50, 120, 300}},
                                                 0.0,
                                                 100,
                                                 2,
                                                 200,
                                                 2,
                                                 30,
                                                 70,
                                                 160,
                                                 260},
                                         // Two points in one pixel column: a quarter turn of pi/4 and scales sqrt(2).
                                         FitCase{"QuarterPiTwoPoints",
                                                 100,
                                                 {{10, 90, 110, 210}, {10, 50, 150, 250}},
                                                 std::atan(1.0),
                                                 110 - std::sqrt(2.0) * 10 * std::sqrt(2.0),
                                                 std::sqrt(2.0),
                                                 210,
                                                 std::sqrt(2.0),
                                                 10,
                                                 90,
                                                 110,
                                                 210},
                                         // An image turned by half a turn: rotation 0 and two negative scales.
                                         FitCase{"HalfTurn",
                                                 100,
                                                 {{10, 90, 90, 190}, {50, 90, 50, 190}, {10, 50, 90, 150}},
                                                 0.0,
                                                 100,
                                                 -1,
                                                 200,
                                                 -1,
                                                 30,
                                                 70,
                                                 70,
                                                 170}),
                         [](const testing::TestParamInfo<FitCase>& info) { return std::string(info.param.name); });

TEST(CalcTransform, FailsWithoutAnAxisOrAPair)
{
    // No points, one point, two identical points, a shared map Y, a shared map X.
    const std::vector<std::vector<FitPoint>> failing = {
        {},
        {{10, 10, 5, 5}},
        {{10, 10, 5, 5}, {10, 10, 5, 5}},
        {{10, 10, 5, 5}, {50, 10, 9, 5}},
        {{10, 10, 5, 5}, {10, 50, 5, 9}},
        {{10, 10, 5, 5}, {50, 10, 5, 9}, {90, 60, 5, 20}},
    };
    for (size_t i = 0; i < failing.size(); ++i)
    {
        CGeoRefArray geoRef = MakeGeoRef(100, failing[i]);
        EXPECT_FALSE(geoRef.CalcTransform()) << "case " << i;
        EXPECT_FALSE(geoRef.m_bValid) << "case " << i;
        double x = -1, y = -1;
        EXPECT_FALSE(geoRef.PixelToMap(1, 1, &x, &y));
        EXPECT_EQ(x, -1);
        EXPECT_EQ(y, -1);
    }
}

TEST(CalcTransform, FailedFitKeepsThePreviousCoefficientsButNotTheRotation)
{
    CGeoRefArray geoRef = MakeGeoRef(100, {{10, 90, 110, 210}, {50, 90, 150, 210}, {10, 50, 110, 250}});
    ASSERT_TRUE(geoRef.CalcTransform());
    // Two points on one map meridian, with a different orientation on the image.
    geoRef.m_points = {CGeoRefPoint(5, 5, 0, 0), CGeoRefPoint(5, 9, 40, 40)};
    EXPECT_FALSE(geoRef.CalcTransform());
    EXPECT_TRUE(geoRef.m_bValid);
    EXPECT_DOUBLE_EQ(geoRef.m_dX0, 100);
    EXPECT_DOUBLE_EQ(geoRef.m_dYScale, 1);
    EXPECT_NE(geoRef.GetRotation(), 0.0);
    EXPECT_EQ(geoRef.m_points[1].m_nFitY, 60);
}

TEST(CalcTransform, DerivesFitFieldsForEveryPoint)
{
    CGeoRefArray geoRef = MakeGeoRef(100, {{10, 90, 110, 210}, {50, 120, 150, 180}});
    ASSERT_TRUE(geoRef.CalcTransform());
    EXPECT_EQ(geoRef.m_points[0].m_nFitX, 10);
    EXPECT_EQ(geoRef.m_points[0].m_nFitY, 10);
    // Below the bottom edge: y <= 0 in the fit frame, rotated like any other.
    EXPECT_EQ(geoRef.m_points[1].m_nFitY, -20);
    double u, v;
    geoRef.RotatePixel(50, -20, &u, &v);
    EXPECT_DOUBLE_EQ(geoRef.m_points[1].m_dRotX, u);
    EXPECT_DOUBLE_EQ(geoRef.m_points[1].m_dRotY, v);
}

TEST(CalcTransform, RoundedHalfPiFoldsFullPrecisionQuarterTurns)
{
    const double fullHalfPi = std::acos(0.0);
    CGeoRefArray geoRef;
    geoRef.SetImageHeight(100);
    // A vertical image segment (beta = -0) against a map segment whose
    // orientation is a full-precision -pi/2: below the rounded constant, so
    // it is folded by +pi to about +pi/2.
    geoRef.m_points = {CGeoRefPoint(0, 0, 10, 90), CGeoRefPoint(-1e300, 1, 10, 50)};
    geoRef.CalcTransform();
    EXPECT_DOUBLE_EQ(geoRef.GetRotation(), kPi - fullHalfPi);
    // Exactly equal map Y gives the rounded -pi/2, which is not folded.
    geoRef.m_points = {CGeoRefPoint(0, 0, 10, 90), CGeoRefPoint(40, 0, 10, 50)};
    geoRef.CalcTransform();
    EXPECT_DOUBLE_EQ(geoRef.GetRotation(), -kHalfPi);
    // The full-precision +pi/2 lies above the constant and becomes about -pi/2.
    geoRef.m_points = {CGeoRefPoint(0, 0, 10, 90), CGeoRefPoint(-1e300, -1, 10, 50)};
    geoRef.CalcTransform();
    EXPECT_DOUBLE_EQ(geoRef.GetRotation(), fullHalfPi - kPi);
}

TEST(RotatePixel, MatchesTheAngleFormOfTheRotation)
{
    CGeoRefArray geoRef;
    geoRef.m_dRotation = 0.3;
    for (int x : {-7, 0, 3, 250})
    {
        for (int y : {1, 5, 400})
        {
            double u, v;
            geoRef.RotatePixel(x, y, &u, &v);
            const double r = std::sqrt(double(x) * x + double(y) * y);
            const double theta = std::atan(double(x) / y);
            EXPECT_NEAR(u, r * std::sin(theta + 0.3), 1e-9);
            EXPECT_NEAR(v, r * std::cos(theta + 0.3), 1e-9);
        }
    }
}

TEST(PixelToMap, BulkTransformGivesIdenticalResults)
{
    CGeoRefArray geoRef =
        MakeGeoRef(700, {{12, 650, 500000, 4200000}, {690, 610, 510000, 4200700}, {40, 15, 500900, 4210000}});
    ASSERT_TRUE(geoRef.CalcTransform());
    ASSERT_NE(geoRef.GetRotation(), 0.0);
    const CPixelToMapTransform transform = geoRef.GetTransform();
    for (int row = -3; row < 700; row += 37)
    {
        for (int col = -5; col < 720; col += 29)
        {
            double x1, y1, x2, y2;
            ASSERT_TRUE(geoRef.PixelToMap(col, row, &x1, &y1));
            transform.Map(col, row, &x2, &y2);
            ASSERT_EQ(x1, x2);
            ASSERT_EQ(y1, y2);
        }
    }
}

}   // namespace

TEST(AffineTransform, AgreesWithPixelToMapAndInvertsBack)
{
    CGeoRefArray geoRef;
    geoRef.SetImageHeight(480);
    geoRef.m_points = {CGeoRefPoint(500000, 5600000, 10, 20), CGeoRefPoint(501000, 5599000, 610, 420),
                       CGeoRefPoint(500800, 5600100, 530, 15)};
    ASSERT_TRUE(geoRef.CalcTransform());
    const CAffineTransform affine = geoRef.GetAffine();
    CAffineTransform inverse;
    ASSERT_TRUE(affine.Invert(&inverse));
    for (const auto& pixel : {std::pair<int, int>{0, 0}, {639, 479}, {17, 400}})
    {
        double x = 0, y = 0, ax = 0, ay = 0, column = 0, row = 0;
        geoRef.PixelToMap(pixel.first, pixel.second, &x, &y);
        affine.Map(pixel.first, pixel.second, &ax, &ay);
        EXPECT_NEAR(ax, x, 1e-6);
        EXPECT_NEAR(ay, y, 1e-6);
        inverse.Map(ax, ay, &column, &row);
        EXPECT_NEAR(column, pixel.first, 1e-6);
        EXPECT_NEAR(row, pixel.second, 1e-6);
    }
    CAffineTransform flat;
    flat.xPerRow = 1.0;
    flat.yPerColumn = 0.0;
    flat.yPerRow = 0.0;
    EXPECT_FALSE(flat.Invert(&inverse));
}
