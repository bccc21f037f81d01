// The least-squares fits against independent implementations on the same
// points: the affine fit against GDAL's gdaltransform -order 1, the Helmert
// fit against numpy's lstsq (tests/native/helmert_reference.py), both to
// 1e-9 relative.
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "core/georef/FitModel.h"
#include "tests/core/TestFiles.h"

namespace
{

std::string RunWithInput(const std::string& command, const std::string& input, const std::string& inputFile)
{
    WriteFileBytes(inputFile, input);
    return RunTool(command + " < '" + inputFile + "'");
}

std::string Full(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// Control points as clicked on real sheets: projected metres and degrees,
// a few metres or seconds of typing and clicking error on each, so that
// no fit is exact and the least squares have work to do.
struct PointSet
{
    const char* name;
    std::vector<CGeoRefPoint> points;
};

std::vector<PointSet> PointSets()
{
    auto noisy = [](double x0, double a, double b, double y0, double d, double e, double noise,
                    const std::vector<std::pair<int, int>>& pixels) {
        std::vector<CGeoRefPoint> points;
        int k = 0;
        for (const auto& p : pixels)
        {
            // A fixed pattern of small errors, different on every point.
            const double ex = noise * std::sin(1.7 * ++k), ey = noise * std::cos(2.3 * k);
            points.push_back(CGeoRefPoint(x0 + a * p.first + b * p.second + ex, y0 + d * p.first + e * p.second + ey,
                                          p.first, p.second));
        }
        return points;
    };
    const std::vector<std::pair<int, int>> corners = {{218, 1347}, {1898, 1242}, {148, 227}, {1828, 122}};
    const std::vector<std::pair<int, int>> scattered = {{35, 60},     {4980, 120},  {5020, 6950},
                                                        {80, 7010},   {2500, 3300}, {1200, 5100},
                                                        {3900, 2200}, {4400, 6100}, {700, 2900}};
    return {
        {"UtmSheetFourCorners", noisy(512345.25, 2.5, 0.12, 4201234.5, 0.13, -2.5, 1.5, corners)},
        {"UtmScanNinePoints", noisy(680000.0, 0.85, -0.031, 5123000.0, -0.03, -0.85, 0.6, scattered)},
        {"DegreesAt45North", noisy(7.0, 1.48e-4, 9.2e-6, 45.17, 6.5e-6, -1.047e-4, 2e-6, corners)},
        {"DegreesSouthWest", noisy(-58.4, 3.1e-5, -1.1e-6, -34.55, -8.7e-7, -2.6e-5, 4e-7, scattered)},
    };
}

class FitReference : public testing::Test
{
protected:
    ScratchDir dir;
};

TEST_F(FitReference, AffineMatchesGdaltransformOrderOne)
{
    for (const PointSet& set : PointSets())
    {
        SCOPED_TRACE(set.name);
        CAffineTransform fit;
        ASSERT_TRUE(FitAffine(set.points, &fit));
        std::string command = "gdaltransform -order 1 -output_xy";
        for (const CGeoRefPoint& p : set.points)
            command += " -gcp " + std::to_string(p.m_nPixelX) + " " + std::to_string(p.m_nPixelY) + " " +
                       Full(p.m_dMapX) + " " + Full(p.m_dMapY);
        // The control points themselves and pixels well away from them.
        std::vector<std::pair<int, int>> probes;
        for (const CGeoRefPoint& p : set.points)
            probes.push_back({p.m_nPixelX, p.m_nPixelY});
        probes.insert(probes.end(), {{0, 0}, {6000, 0}, {3000, 4000}, {-500, 9000}});
        std::string input;
        for (const auto& probe : probes)
            input += std::to_string(probe.first) + " " + std::to_string(probe.second) + "\n";
        std::istringstream output(RunWithInput(command, input, dir.File("probes.txt")));
        for (const auto& probe : probes)
        {
            double gdalX = 0, gdalY = 0;
            ASSERT_TRUE(output >> gdalX >> gdalY) << command;
            double x, y;
            fit.Map(probe.first, probe.second, &x, &y);
            EXPECT_NEAR(x, gdalX, 1e-9 * std::fabs(gdalX)) << probe.first << "," << probe.second;
            EXPECT_NEAR(y, gdalY, 1e-9 * std::fabs(gdalY)) << probe.first << "," << probe.second;
        }
    }
}

TEST_F(FitReference, HelmertMatchesAnIndependentLeastSquaresSolution)
{
    const std::string script = std::string(QUARVEX_SOURCE_DIR) + "/tests/native/helmert_reference.py";
    for (const PointSet& set : PointSets())
    {
        SCOPED_TRACE(set.name);
        CAffineTransform fit;
        ASSERT_TRUE(FitHelmert(set.points, &fit));
        std::string input;
        for (const CGeoRefPoint& p : set.points)
            input += std::to_string(p.m_nPixelX) + " " + std::to_string(p.m_nPixelY) + " " + Full(p.m_dMapX) + " " +
                     Full(p.m_dMapY) + "\n";
        std::istringstream output(RunWithInput("/usr/bin/python3 '" + script + "'", input, dir.File("points.txt")));
        double x0 = 0, a = 0, b = 0, y0 = 0;
        ASSERT_TRUE(output >> x0 >> a >> b >> y0) << output.str();
        const double scale = std::hypot(a, b);
        EXPECT_NEAR(fit.x0, x0, 1e-9 * std::fabs(x0));
        EXPECT_NEAR(fit.y0, y0, 1e-9 * std::fabs(y0));
        EXPECT_NEAR(fit.xPerColumn, a, 1e-9 * scale);
        EXPECT_NEAR(fit.xPerRow, b, 1e-9 * scale);
        EXPECT_NEAR(fit.yPerColumn, b, 1e-9 * scale);
        EXPECT_NEAR(fit.yPerRow, -a, 1e-9 * scale);
    }
}

}   // namespace
