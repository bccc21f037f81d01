// What the Control Points window shows of a fit: residuals in map units
// and pixels with their signs, the RMS of each model side by side, the
// worst point, how many points a model still needs, and the hints.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "core/georef/FitReport.h"

namespace
{

// A sheet at 45 N turned by atan(12/228), 3.01 degrees, one minute of
// longitude 228 x 12 pixels and one of latitude 17 x 323: degrees and
// pixels are related by an affine mapping the first model cannot follow
// from uneven points.
CGeoRefPoint Crossing(int eastMinutes, int northMinutes)
{
    const int column = 150 + eastMinutes * 228 - northMinutes * 17;
    const int row = 1400 - eastMinutes * 12 - northMinutes * 323;
    return CGeoRefPoint(7.0 + eastMinutes / 60.0, 45.0 + northMinutes / 60.0, column, row);
}

CGeoRefArray Sheet(std::vector<CGeoRefPoint> points, FitModel nModel = FitModel::RotationScales)
{
    CGeoRefArray geoRef;
    geoRef.SetImageHeight(1700);
    geoRef.m_points = std::move(points);
    geoRef.m_nFitModel = nModel;
    return geoRef;
}

bool HasHint(const CFitReport& report, int nKind, int nPoint = -1)
{
    for (const CFitHint& hint : report.hints)
        if (hint.nKind == nKind && (nPoint < 0 || hint.nPoint == nPoint))
            return true;
    return false;
}

TEST(FitReport, UnevenCornersShowTheFirstModelsBiasBesideAnExactAffineFit)
{
    // The south corners, the north-west corner and 7 04' on the north edge.
    const CFitReport report =
        EvaluateFits(Sheet({Crossing(0, 0), Crossing(5, 0), Crossing(0, 4), Crossing(4, 4)}, FitModel::Affine));
    EXPECT_EQ(report.nChosenModel, FitModel::Affine);
    const CModelFit& first = report.Model(FitModel::RotationScales);
    const CModelFit& affine = report.Model(FitModel::Affine);
    ASSERT_TRUE(first.bFitted && affine.bFitted && report.Model(FitModel::Helmert).bFitted);
    EXPECT_GT(first.dRmsPixels, 5.0);
    EXPECT_LT(affine.dRmsPixels, 1e-6);
    // Helmert cannot follow degrees of unequal length at all.
    EXPECT_GT(report.Model(FitModel::Helmert).dRmsPixels, 50.0);
    EXPECT_EQ(affine.nWorst, -1) << "nothing to flag in an exact fit";
    ASSERT_GE(first.nWorst, 0);
    for (const CPointResidual& r : first.residuals)
        EXPECT_LE(r.dPixelLength, first.residuals[first.nWorst].dPixelLength);
    EXPECT_NEAR(affine.dRotation * 180 / kPi, std::atan2(12.0, 228.0) * 180 / kPi, 1e-9);
    EXPECT_GT(affine.dScaleX, 0.0);
    EXPECT_GT(affine.dScaleY, 0.0);
}

TEST(FitReport, ResidualIsFitMinusTypedInMapUnitsAndPixels)
{
    // Four exact points and one typed 0.001 degrees too far east: the
    // Helmert fit of a square-pixel sheet puts it back west of the typing.
    CGeoRefArray geoRef;
    geoRef.SetImageHeight(1000);
    geoRef.m_nFitModel = FitModel::Helmert;
    const double perPixel = 1e-4;
    for (auto p : {std::make_pair(0, 0), std::make_pair(800, 0), std::make_pair(0, 800), std::make_pair(800, 800)})
        geoRef.m_points.push_back(CGeoRefPoint(p.first * perPixel, -p.second * perPixel, p.first, p.second));
    geoRef.m_points.push_back(CGeoRefPoint(400 * perPixel + 0.001, -400 * perPixel, 400, 400));
    const CModelFit fit = EvaluateFit(geoRef, FitModel::Helmert);
    ASSERT_TRUE(fit.bFitted);
    const CPointResidual& typo = fit.residuals[4];
    EXPECT_LT(typo.dX, 0.0);
    EXPECT_NEAR(typo.dY, 0.0, 1e-12);
    // In pixels through the inverse: the same vector, 1e-4 degrees a pixel.
    EXPECT_NEAR(typo.dPixelX, typo.dX / perPixel, 1e-6);
    EXPECT_NEAR(typo.dPixelY, -typo.dY / perPixel, 1e-6);
    EXPECT_EQ(fit.nWorst, 4);
    double sum = 0;
    for (const CPointResidual& r : fit.residuals)
        sum += r.dPixelLength * r.dPixelLength;
    EXPECT_NEAR(fit.dRmsPixels, std::sqrt(sum / 5), 1e-12);
}

TEST(FitReport, ModelsSayHowManyMorePointsTheyNeed)
{
    struct Case
    {
        std::vector<CGeoRefPoint> points;
        int moreFirst, moreHelmert, moreAffine;
    } cases[] = {
        {{}, 2, 2, 3},
        {{Crossing(0, 0)}, 1, 1, 2},
        {{Crossing(0, 0), Crossing(5, 4)}, 0, 0, 1},
        {{Crossing(0, 0), Crossing(5, 4), Crossing(0, 4)}, 0, 0, 0},
    };
    for (const Case& c : cases)
    {
        const CFitReport report = EvaluateFits(Sheet(c.points));
        EXPECT_EQ(report.Model(FitModel::RotationScales).nMorePointsNeeded, c.moreFirst) << c.points.size();
        EXPECT_EQ(report.Model(FitModel::Helmert).nMorePointsNeeded, c.moreHelmert) << c.points.size();
        EXPECT_EQ(report.Model(FitModel::Affine).nMorePointsNeeded, c.moreAffine) << c.points.size();
        EXPECT_EQ(report.Model(FitModel::Affine).bFitted, c.moreAffine == 0);
    }
}

TEST(FitReport, HintsNameTheLikelyMistake)
{
    // Easting and northing swapped on every point: the fit mirrors the image.
    std::vector<CGeoRefPoint> swapped;
    for (CGeoRefPoint p : {Crossing(0, 0), Crossing(5, 0), Crossing(0, 4), Crossing(5, 4)})
    {
        std::swap(p.m_dMapX, p.m_dMapY);
        swapped.push_back(p);
    }
    EXPECT_TRUE(HasHint(EvaluateFits(Sheet(swapped)), HINT_SCALES_OPPOSITE));

    // Metres typed for the easting, kilometres for the northing.
    std::vector<CGeoRefPoint> units = {CGeoRefPoint(500000, 4200.0, 0, 1000), CGeoRefPoint(501000, 4200.0, 1000, 1000),
                                       CGeoRefPoint(500000, 4201.0, 0, 0), CGeoRefPoint(501000, 4201.0, 1000, 0)};
    const CFitReport unequal = EvaluateFits(Sheet(units));
    EXPECT_TRUE(HasHint(unequal, HINT_SCALES_UNEQUAL));
    EXPECT_FALSE(HasHint(unequal, HINT_SCALES_OPPOSITE));

    // Three crossings along one edge.
    EXPECT_TRUE(HasHint(EvaluateFits(Sheet({Crossing(0, 0), Crossing(2, 0), Crossing(5, 0)})), HINT_POINTS_ON_A_LINE));

    // Nine good crossings and one with its minutes mistyped.
    std::vector<CGeoRefPoint> grid;
    for (int e = 0; e <= 4; e += 2)
        for (int n = 0; n <= 4; n += 2)
            grid.push_back(Crossing(e, n));
    grid.push_back(Crossing(1, 3));
    grid.back().m_dMapY += 2 / 60.0;
    const CFitReport outlier = EvaluateFits(Sheet(grid, FitModel::Affine));
    EXPECT_TRUE(HasHint(outlier, HINT_OUTLIER, 9));
    EXPECT_EQ(outlier.Chosen().nWorst, 9);

    // A good sheet, as a user enters it, raises none of them.
    EXPECT_TRUE(EvaluateFits(Sheet({Crossing(0, 0), Crossing(5, 0), Crossing(0, 4), Crossing(5, 4)}, FitModel::Affine))
                    .hints.empty());
}

// A sheet of 120 x 93 pixels a minute of longitude and latitude, turned a
// little; k and noise add a fixed pattern of clicking error.
CGeoRefPoint Minute(double east, double north, int k = 0, double noise = 0.0)
{
    const int column = static_cast<int>(std::lround(100 + east * 120 - north * 6 + noise * std::sin(1.7 * k)));
    const int row = static_cast<int>(std::lround(1000 - east * 5 - north * 93 + noise * std::cos(2.3 * k)));
    return CGeoRefPoint(7.0 + east / 60.0, 45.0 + north / 60.0, column, row);
}

std::vector<int> Outliers(const CFitReport& report)
{
    std::vector<int> points;
    for (const CFitHint& hint : report.hints)
        if (hint.nKind == HINT_OUTLIER)
            points.push_back(hint.nPoint);
    return points;
}

TEST(FitReport, LeaveOneOutExposesAMistypedPointTheOrdinaryResidualHides)
{
    // Four corners and the middle crossing typed a minute north (93 px).
    std::vector<CGeoRefPoint> five = {Minute(0, 0), Minute(8, 0), Minute(0, 9), Minute(8, 9), Minute(4, 4)};
    five[4].m_dMapY += 1 / 60.0;
    const CFitReport report = EvaluateFits(Sheet(five));
    const CModelFit& fit = report.Chosen();
    ASSERT_TRUE(fit.bFitted);
    // The fit bends towards it: its own residual is not three times the others'.
    EXPECT_NEAR(fit.residuals[4].dPixelLength, 62, 2);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_GT(fit.residuals[4].dPixelLength, fit.residuals[i].dPixelLength);
        EXPECT_LT(fit.residuals[4].dPixelLength, 3 * fit.residuals[i].dPixelLength);
    }
    // Left out, the whole minute shows, and the other four agree without it.
    ASSERT_TRUE(fit.residuals[4].bLeftOut);
    EXPECT_NEAR(fit.residuals[4].dLeftOutPixels, 93, 1);
    EXPECT_EQ(Outliers(report), std::vector<int>{4});

    // Twelve crossings clicked to a pixel or two; then one, then a second,
    // typed a minute off.
    std::vector<CGeoRefPoint> none;
    int k = 0;
    for (int e = 0; e <= 8; e += 4)
        for (int n = 0; n <= 9; n += 3)
            none.push_back(Minute(e, n, ++k, 1.5));
    std::vector<CGeoRefPoint> one = none, two;
    one[5].m_dMapY += 1 / 60.0;
    two = one;
    two[8].m_dMapX -= 1 / 60.0;
    const struct
    {
        const char* what;
        const std::vector<CGeoRefPoint>& points;
        std::vector<int> outliers;
    } cases[] = {{"none", none, {}}, {"one", one, {5}}, {"two", two, {5, 8}}};
    // The first model's values, taken from its pairs' terms, are those of
    // a fit made again without each point.
    const CModelFit first = EvaluateFit(Sheet(one), FitModel::RotationScales, true);
    for (size_t i = 0; i < one.size(); ++i)
    {
        CGeoRefArray without = Sheet(one);
        without.m_points.erase(without.m_points.begin() + static_cast<std::ptrdiff_t>(i));
        double x, y;
        ASSERT_TRUE(without.Refit() && without.PixelToMap(one[i].m_nPixelX, one[i].m_nPixelY, &x, &y));
        EXPECT_NEAR(first.residuals[i].dLeftOutX, x - one[i].m_dMapX, 1e-12) << i;
        EXPECT_NEAR(first.residuals[i].dLeftOutY, y - one[i].m_dMapY, 1e-12) << i;
    }
    for (const auto& c : cases)
        for (FitModel model : {FitModel::RotationScales, FitModel::Affine, FitModel::Projective})
            EXPECT_EQ(Outliers(EvaluateFits(Sheet(c.points, model))), c.outliers)
                << c.what << " " << FitModelSettingValue(model);
}

}   // namespace
