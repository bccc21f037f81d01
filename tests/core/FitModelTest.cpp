// The least-squares fit models beside the first one: exact recovery of the
// mapping they can represent, the cases they refuse, the model in force
// everywhere the fit is used, and the model's per-image setting.
#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "core/georef/FitModel.h"
#include "core/georef/GeoRefArray.h"
#include "core/raster/Transpose.h"

namespace
{

struct Pixel
{
    int column, row;
};

CGeoRefArray PointsThrough(const CAffineTransform& truth, const std::vector<Pixel>& pixels, FitModel nModel,
                           int nImageHeight = 1000)
{
    CGeoRefArray geoRef;
    geoRef.SetImageHeight(nImageHeight);
    geoRef.m_nFitModel = nModel;
    for (const Pixel& p : pixels)
    {
        double x, y;
        truth.Map(p.column, p.row, &x, &y);
        geoRef.m_points.push_back(CGeoRefPoint(x, y, p.column, p.row));
    }
    return geoRef;
}

// Every model reproduces the mappings it can represent, from points spread
// as a user clicks them; the probe pixel lies away from every point.
struct ExactCase
{
    const char* name;
    FitModel model;
    CAffineTransform truth;
    std::vector<Pixel> pixels;
};

void PrintTo(const ExactCase& c, std::ostream* os) { *os << c.name; }

class ExactFits : public testing::TestWithParam<ExactCase>
{};

TEST_P(ExactFits, RecoverTheMappingAndItsRotation)
{
    const ExactCase& c = GetParam();
    CGeoRefArray geoRef = PointsThrough(c.truth, c.pixels, c.model);
    ASSERT_TRUE(geoRef.CalcTransform());
    EXPECT_EQ(geoRef.m_nFittedModel, c.model);
    const double scale = std::fabs(c.truth.xPerColumn) + std::fabs(c.truth.xPerRow) + std::fabs(c.truth.yPerColumn) +
                         std::fabs(c.truth.yPerRow);
    for (Pixel probe : {Pixel{3, 7}, Pixel{4321, 987}, Pixel{-50, 1200}})
    {
        double x, y, wantX, wantY;
        ASSERT_TRUE(geoRef.PixelToMap(probe.column, probe.row, &x, &y));
        c.truth.Map(probe.column, probe.row, &wantX, &wantY);
        EXPECT_NEAR(x, wantX, 1e-9 * (std::fabs(wantX) + scale * 5000));
        EXPECT_NEAR(y, wantY, 1e-9 * (std::fabs(wantY) + scale * 5000));
    }
    // The bulk transform and the six coefficients say the same.
    const CAffineTransform affine = geoRef.GetAffine();
    double x1, y1, x2, y2;
    geoRef.GetTransform().Map(250, 140, &x1, &y1);
    affine.Map(250, 140, &x2, &y2);
    EXPECT_EQ(x1, x2);
    EXPECT_EQ(y1, y2);
    // The read-out's angle is the turn of the image's x axis, in the sense
    // of the first model: east along the image's x axis gives 0.
    double rotation, sx, sy;
    DescribeAffine(c.truth, &rotation, &sx, &sy);
    EXPECT_NEAR(geoRef.GetRotation(), rotation, 1e-12);
    // Features read from a file go back to pixels through the same
    // transform, for this model and for the first one fitted to the points.
    for (FitModel nModel : {c.model, FitModel::RotationScales})
    {
        CGeoRefArray fitted = PointsThrough(c.truth, c.pixels, nModel);
        if (!fitted.CalcTransform())
            continue;
        const CPixelToMapTransform transform = fitted.GetTransform();
        for (Pixel probe : {Pixel{3, 7}, Pixel{4321, 987}, Pixel{-50, 1200}})
        {
            double x, y, column, row;
            transform.Map(probe.column, probe.row, &x, &y);
            ASSERT_TRUE(transform.MapToPixel(x, y, &column, &row));
            EXPECT_NEAR(column, probe.column, 1e-6);
            EXPECT_NEAR(row, probe.row, 1e-6);
        }
    }
}

const std::vector<Pixel> kSpread = {{10, 20}, {1900, 40}, {1850, 1400}, {30, 1450}, {900, 700}};

INSTANTIATE_TEST_SUITE_P(
    Models, ExactFits,
    testing::Values(
        // Three degrees turned, a metre a pixel, rows running south.
        ExactCase{"HelmertTurnedSheet",
                  FitModel::Helmert,
                  {500000, std::cos(0.0523), std::sin(0.0523), 4200000, std::sin(0.0523), -std::cos(0.0523)},
                  kSpread},
        ExactCase{"HelmertTwoPoints", FitModel::Helmert, {7.0, 2e-4, -1e-5, 45.2, -1e-5, -2e-4}, {{5, 5}, {800, 300}}},
        // Degrees at 45 N: a true-proportion sheet has unequal scales.
        ExactCase{
            "AffineDegreesAt45North", FitModel::Affine, {7.0, 1.4807e-4, 7.76e-6, 45.07, 5.49e-6, -1.0471e-4}, kSpread},
        ExactCase{"AffineThreePoints",
                  FitModel::Affine,
                  CAffineTransform{-120, 0.5, 0.25, 80, -0.125, -0.75},
                  {{0, 0}, {100, 0}, {0, 100}}},
        ExactCase{"AffineMirrored", FitModel::Affine, {0, 1, 0, 0, 0, 1}, kSpread}),
    [](const testing::TestParamInfo<ExactCase>& info) { return std::string(info.param.name); });

TEST(FitModels, RefuseWhatTheyCannotDetermine)
{
    const CAffineTransform truth{10, 2, 0, 20, 0, -2};
    struct Case
    {
        FitModel model;
        std::vector<Pixel> pixels;
    } cases[] = {
        {FitModel::Helmert, {}},
        {FitModel::Helmert, {{5, 5}}},
        {FitModel::Helmert, {{5, 5}, {5, 5}, {5, 5}}},                // one pixel
        {FitModel::Affine, {{5, 5}, {50, 9}}},                        // two points
        {FitModel::Affine, {{0, 0}, {10, 10}, {20, 20}, {35, 35}}},   // one line
        {FitModel::Affine, {{0, 0}, {0, 10}, {0, 20}}},               // one column
    };
    for (const Case& c : cases)
    {
        CGeoRefArray geoRef = PointsThrough(truth, c.pixels, c.model);
        EXPECT_FALSE(geoRef.CalcTransform()) << FitModelIndex(c.model) << " with " << c.pixels.size();
        EXPECT_FALSE(geoRef.m_bValid);
    }
    // Points spread on the image but typed with one map position fold the
    // plane onto a spot: no fit.
    CGeoRefArray same;
    same.m_nFitModel = FitModel::Affine;
    same.m_points = {CGeoRefPoint(1, 1, 0, 0), CGeoRefPoint(1, 1, 50, 0), CGeoRefPoint(1, 1, 0, 50)};
    EXPECT_FALSE(same.CalcTransform());
}

TEST(FitModels, FailedFitKeepsTheFitInForceAndRefitDropsIt)
{
    // An affine fit in force, then a model change that cannot be fitted
    // yet: CalcTransform keeps converting with the affine fit, Refit stops.
    const CAffineTransform truth{100, 1, 0.5, 200, 0.25, -1};
    CGeoRefArray geoRef = PointsThrough(truth, {{0, 0}, {100, 0}, {0, 100}}, FitModel::Affine);
    ASSERT_TRUE(geoRef.CalcTransform());
    geoRef.m_nFitModel = FitModel::RotationScales;
    geoRef.m_points.resize(1);
    EXPECT_FALSE(geoRef.CalcTransform());
    double x = 0, y = 0;
    ASSERT_TRUE(geoRef.PixelToMap(10, 10, &x, &y));
    EXPECT_DOUBLE_EQ(x, 100 + 10 + 5);
    EXPECT_EQ(geoRef.m_nFittedModel, FitModel::Affine);
    EXPECT_FALSE(geoRef.Refit());
    EXPECT_FALSE(geoRef.PixelToMap(10, 10, &x, &y));
}

TEST(FitModels, SettingValuesRoundTripAndAbsentMeansTheDefault)
{
    for (FitModel model : kFitModels)
        EXPECT_EQ(ParseFitModelSetting(FitModelSettingValue(model)), model);
    EXPECT_EQ(FitModelSettingValue(FitModel::RotationScales), "") << "the default is never written";
    EXPECT_EQ(ParseFitModelSetting("polynomial"), FitModel::RotationScales);
}

TEST(FitModels, TransposeOfAnAffineFitMatchesThePerPixelStatement)
{
    // A sheared mapping the first model cannot express.
    const CAffineTransform truth{1000, 0.9, 0.3, 2000, 0.2, -1.1};
    CGeoRefArray geoRef = PointsThrough(truth, {{0, 0}, {60, 0}, {0, 40}, {60, 40}}, FitModel::Affine, 40);
    ASSERT_TRUE(geoRef.CalcTransform());
    const int width = 61, height = 41;
    std::vector<unsigned char> source(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<unsigned char>(i * 7 + i / 3);
    CTransposeExtents extents;
    ASSERT_EQ(CalcTransposeExtents(geoRef, width, height, false, &extents), TRANSPOSE_OK);
    const size_t cells = static_cast<size_t>(extents.outW) * extents.outH * 3;
    std::vector<unsigned char> fast(cells, 0xFF), plain(cells, 0xFF);
    ASSERT_TRUE(ResampleNorthUp(source.data(), width, height, geoRef.GetTransform(), extents, fast.data()));
    ResampleNorthUpPerPixel(source.data(), width, height, geoRef, extents, plain.data());
    EXPECT_EQ(fast, plain);
    EXPECT_NE(std::count(fast.begin(), fast.end(), 0xFF), static_cast<long>(cells)) << "pixels landed";
}

}   // namespace
