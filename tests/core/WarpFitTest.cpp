// The fit models that are not affine against outside implementations on
// the same points (tests/data/fits/make_fixtures.py): the polynomials and
// the thin-plate spline against gdaltransform -order 2, -order 3 and -tps,
// the projective mapping and every leave-one-out residual against numpy;
// then the way back from map to pixel.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/georef/FitReport.h"
#include "core/georef/WarpTransform.h"
#include "core/raster/Resample.h"

namespace
{

struct Expected
{
    int column, row;
    double x, y;
};

struct FixtureSet
{
    std::string name;
    std::vector<CGeoRefPoint> points;
    std::map<std::string, std::vector<Expected>> mapped;    // by model
    std::map<std::string, std::vector<Expected>> leftOut;   // column: the point's index; x, y: dx, dy
};

std::vector<FixtureSet> ReadFixtures()
{
    std::ifstream in(std::string(QUARVEX_SOURCE_DIR) + "/tests/data/fits/fits.txt");
    std::vector<FixtureSet> sets;
    std::string line;
    while (std::getline(in, line))
    {
        std::istringstream words(line);
        std::string kind, model;
        words >> kind;
        if (kind == "set")
        {
            sets.emplace_back();
            words >> sets.back().name;
            continue;
        }
        if (sets.empty())
            break;
        Expected e{};
        if (kind == "gcp" && words >> e.column >> e.row >> e.x >> e.y)
            sets.back().points.push_back(CGeoRefPoint(e.x, e.y, e.column, e.row));
        else if (kind == "map" && words >> model >> e.column >> e.row >> e.x >> e.y)
            sets.back().mapped[model].push_back(e);
        else if (kind == "loo" && words >> model >> e.column >> e.x >> e.y)
            sets.back().leftOut[model].push_back(e);
    }
    return sets;
}

const struct
{
    const char* name;
    FitModel model;
} kModels[] = {{"polynomial2", FitModel::Polynomial2},
               {"polynomial3", FitModel::Polynomial3},
               {"projective", FitModel::Projective},
               {"tps", FitModel::ThinPlateSpline}};

TEST(WarpFit, MapsAsGdaltransformAndNumpyDo)
{
    const std::vector<FixtureSet> sets = ReadFixtures();
    ASSERT_EQ(sets.size(), 3u);
    for (const FixtureSet& set : sets)
    {
        for (const auto& m : kModels)
        {
            SCOPED_TRACE(set.name + " " + m.name);
            WarpKind kind;
            ASSERT_TRUE(IsWarpModel(m.model, &kind));
            CWarpTransform warp;
            ASSERT_TRUE(CWarpTransform::Fit(kind, set.points, &warp));
            const std::vector<Expected>& expected = set.mapped.at(m.name);
            ASSERT_EQ(expected.size(), set.points.size() + 5);
            for (const Expected& e : expected)
            {
                double x, y;
                warp.Map(e.column, e.row, &x, &y);
                EXPECT_NEAR(x, e.x, 1e-9 * std::fabs(e.x)) << e.column << "," << e.row;
                EXPECT_NEAR(y, e.y, 1e-9 * std::fabs(e.y)) << e.column << "," << e.row;
                // And back: Newton (or the projective's closed form) finds the pixel.
                double column, row;
                ASSERT_TRUE(warp.MapToPixel(x, y, &column, &row)) << e.column << "," << e.row;
                EXPECT_NEAR(column, e.column, 1e-6);
                EXPECT_NEAR(row, e.row, 1e-6);
            }
        }
    }
}

TEST(WarpFit, LeaveOneOutResidualsAsNumpyFindsThem)
{
    for (const FixtureSet& set : ReadFixtures())
    {
        CGeoRefArray geoRef;
        geoRef.SetImageHeight(8000);
        geoRef.m_points = set.points;
        // The map spread the residuals are judged against.
        double spread = 0;
        for (const CGeoRefPoint& p : set.points)
            spread =
                std::fmax(spread, std::hypot(p.m_dMapX - set.points[0].m_dMapX, p.m_dMapY - set.points[0].m_dMapY));
        for (const auto& m : kModels)
        {
            if (!set.leftOut.count(m.name))
                continue;
            SCOPED_TRACE(set.name + " " + m.name);
            const CModelFit fit = EvaluateFit(geoRef, m.model, true);
            ASSERT_TRUE(fit.bFitted);
            const std::vector<Expected>& expected = set.leftOut.at(m.name);
            ASSERT_EQ(expected.size(), set.points.size());
            for (const Expected& e : expected)
            {
                const CPointResidual& r = fit.residuals[e.column];
                ASSERT_TRUE(r.bLeftOut) << e.column;
                EXPECT_NEAR(r.dLeftOutX, e.x, 1e-9 * spread) << e.column;
                EXPECT_NEAR(r.dLeftOutY, e.y, 1e-9 * spread) << e.column;
            }
        }
    }
}

TEST(WarpFit, PointsThatDoNotDetermineTheModel)
{
    std::vector<CGeoRefPoint> line, conic, spot;
    for (int k = 0; k < 12; ++k)
        line.push_back(CGeoRefPoint(1000.0 + k, 2000.0 - 2 * k, 100 * k, 50 * k));
    // Pixels on one circle: a second-order polynomial cannot tell them apart.
    const int circle[][2] = {{500, 0},  {300, 400},  {0, 500},     {-300, 400}, {-500, 0},
                             {0, -500}, {400, -300}, {-400, -300}, {300, -400}};
    for (const auto& p : circle)
        conic.push_back(CGeoRefPoint(p[0] * 1.1 + 0.001 * p[1], p[1] * 0.9, 1000 + p[0], 1000 + p[1]));
    spot = {CGeoRefPoint(0, 0, 10, 10), CGeoRefPoint(1, 0, 20, 10), CGeoRefPoint(0, 1, 10, 20),
            CGeoRefPoint(5, 5, 10, 10)};
    const struct
    {
        const char* what;
        WarpKind kind;
        std::vector<CGeoRefPoint> points;
        bool fits;
    } cases[] = {
        {"five for order 2", WarpKind::Polynomial2, std::vector<CGeoRefPoint>(conic.begin(), conic.begin() + 5), false},
        {"six for order 2", WarpKind::Polynomial2, std::vector<CGeoRefPoint>(conic.begin(), conic.begin() + 6), false},
        {"on one line", WarpKind::Projective, line, false},
        {"on one line", WarpKind::ThinPlateSpline, line, false},
        {"nine for order 3", WarpKind::Polynomial3, std::vector<CGeoRefPoint>(conic.begin(), conic.begin() + 9), false},
        {"two typings of one pixel", WarpKind::ThinPlateSpline, spot, false},
        {"three for the spline", WarpKind::ThinPlateSpline, std::vector<CGeoRefPoint>(spot.begin(), spot.begin() + 3),
         true},
    };
    for (const auto& c : cases)
    {
        CWarpTransform warp;
        EXPECT_EQ(CWarpTransform::Fit(c.kind, c.points, &warp), c.fits) << c.what;
    }
}

TEST(WarpFit, ExportCellsComeFromThePixelsTheExactInverseFinds)
{
    // A scan whose pixels say where they are: red and green the column and
    // row, blue their high bits.
    CRgbImage scan;
    ASSERT_TRUE(scan.Allocate(300, 200));
    for (int r = 0; r < 200; ++r)
        for (int c = 0; c < 300; ++c)
        {
            unsigned char* p = scan.Row(r) + 3 * c;
            p[0] = static_cast<unsigned char>(c & 255), p[1] = static_cast<unsigned char>(r & 255);
            p[2] = static_cast<unsigned char>((c >> 8) | ((r >> 8) << 4));
        }
    // Photographed at a slant: a projective mapping, and a spline through
    // the same corners and a middle point off the straight.
    std::vector<CGeoRefPoint> points = {CGeoRefPoint(1000, 2000, 0, 0), CGeoRefPoint(1320, 1990, 299, 0),
                                        CGeoRefPoint(1010, 1800, 0, 199), CGeoRefPoint(1290, 1810, 299, 199),
                                        CGeoRefPoint(1160, 1897, 150, 100)};
    for (WarpKind kind : {WarpKind::Projective, WarpKind::ThinPlateSpline})
    {
        CWarpTransform warp;
        ASSERT_TRUE(CWarpTransform::Fit(kind, points, &warp));
        const double left = 1000, top = 2000, size = 0.9;
        const CInverseSampler sampler(scan, warp, left, top, size, RESAMPLE_NEAREST);
        const int width = 360;
        std::vector<unsigned char> whole(width * 4), pieces(width * 4);
        int compared = 0;
        for (int j = 0; j < 230; j += 7)
        {
            sampler.SampleRow(0, j, width, whole.data());
            // Cut anywhere, a row gives the same cells.
            sampler.SampleRow(0, j, 37, pieces.data());
            sampler.SampleRow(37, j, width - 37, pieces.data() + 37 * 4);
            ASSERT_EQ(whole, pieces) << j;
            for (int i = 0; i < width; ++i)
            {
                const unsigned char* cell = &whole[i * 4];
                double c, r;
                const bool inside = warp.MapToPixel(left + (i + 0.5) * size, top - (j + 0.5) * size, &c, &r) &&
                                    c > -0.499 && r > -0.499 && c < 299.499 && r < 199.499;
                if (!inside || cell[3] == 0)
                    continue;
                ++compared;
                const int column = cell[0] | ((cell[2] & 15) << 8), row = cell[1] | ((cell[2] >> 4) << 8);
                EXPECT_LE(std::fabs(column - c), 0.502) << i << "," << j;
                EXPECT_LE(std::fabs(row - r), 0.502) << i << "," << j;
            }
        }
        EXPECT_GT(compared, 1000);
    }
}

// The export takes most cells back by interpolating between exact ones:
// over each fixture's points, on a grid of cells a few scan pixels wide
// (so that its squares bend more than at the scan's own size), every 7th
// cell's position lies within twice the checked tolerance of the exact
// inverse, fails where that fails, and a block gives the cells its rows give.
TEST(WarpFit, InterpolatedCellsStayWithTheExactInverse)
{
    CRgbImage scan;
    ASSERT_TRUE(scan.Allocate(64, 64));
    for (const FixtureSet& set : ReadFixtures())
    {
        double left = 1e300, right = -1e300, bottom = 1e300, top = -1e300;
        for (const CGeoRefPoint& p : set.points)
        {
            left = std::min(left, p.m_dMapX), right = std::max(right, p.m_dMapX);
            bottom = std::min(bottom, p.m_dMapY), top = std::max(top, p.m_dMapY);
        }
        const int width = 1024;
        const double size = (right - left) / width;
        const int height = static_cast<int>((top - bottom) / size);
        for (const auto& m : kModels)
        {
            SCOPED_TRACE(set.name + " " + m.name);
            WarpKind kind;
            ASSERT_TRUE(IsWarpModel(m.model, &kind));
            CWarpTransform warp;
            ASSERT_TRUE(CWarpTransform::Fit(kind, set.points, &warp));
            const CInverseSampler sampler(scan, warp, left, top, size, RESAMPLE_NEAREST);
            std::vector<double> columns(size_t(width) * height), rows(columns.size());
            sampler.CellPositions(0, 0, width, height, columns.data(), rows.data());
            double worst = 0.0;
            for (int j = 0; j < height; j += 7)
                for (int i = 0; i < width; i += 7)
                {
                    const size_t k = size_t(j) * width + i;
                    double exactC, exactR;
                    const bool exact =
                        warp.MapToPixel(left + (i + 0.5) * size, top - (j + 0.5) * size, &exactC, &exactR);
                    ASSERT_EQ(!std::isnan(columns[k]), exact) << i << "," << j;
                    if (exact)
                        worst = std::max({worst, std::fabs(columns[k] - exactC), std::fabs(rows[k] - exactR)});
                }
            EXPECT_LE(worst, 2 * CInverseSampler::kWarpTolerance);
        }
    }
    // A block cut across squares gives the cells of its rows, on the scan
    // of the first set through its spline.
    const FixtureSet set = ReadFixtures().front();
    CWarpTransform warp;
    ASSERT_TRUE(CWarpTransform::Fit(WarpKind::ThinPlateSpline, set.points, &warp));
    ASSERT_TRUE(scan.Allocate(2000, 2500));   // the part of the sheet under the block
    for (size_t k = 0; k < scan.ByteCount(); ++k)
        scan.Pixels()[k] = static_cast<unsigned char>(k * 2654435761u >> 24);
    const CInverseSampler sampler(scan, warp, 679900, 5122900, 1.9, RESAMPLE_BILINEAR);
    const int i0 = 500, j0 = 700, w = 300, h = 280;
    std::vector<unsigned char> block(w * h * 4), rows(w * h * 4);
    sampler.SampleBlock(i0, j0, w, h, block.data(), w * 4);
    for (int y = 0; y < h; ++y)
        sampler.SampleRow(i0, j0 + y, w, rows.data() + y * w * 4);
    EXPECT_EQ(block, rows);
    int opaque = 0;
    for (size_t k = 3; k < block.size(); k += 4)
        opaque += block[k] == 255;
    EXPECT_GT(opaque, w * h / 8);
}

// A curved fit's kernels widen where its cells are coarser than the scan's
// pixels as an affine fit's do: a projective fit of points that lie on an
// affine mapping (10 degrees askew) gives, on a grid 2.5 times coarser, the
// cells of the affine sampler within a level.
TEST(WarpFit, CoarserCellsWidenAsTheAffineSamplersDo)
{
    CRgbImage scan;
    ASSERT_TRUE(scan.Allocate(300, 200));
    unsigned noise = 7;
    for (size_t k = 0; k < scan.ByteCount(); ++k, noise = noise * 1103515245u + 12345u)
        scan.Pixels()[k] = static_cast<unsigned char>(noise >> 24);
    const double cs = std::cos(0.1745), sn = std::sin(0.1745);
    std::vector<CGeoRefPoint> points;
    for (const auto& at : {std::make_pair(0, 0), std::make_pair(299, 0), std::make_pair(0, 199),
                           std::make_pair(299, 199), std::make_pair(150, 90)})
        points.push_back(CGeoRefPoint(1000 + cs * at.first + sn * at.second, 2000 + sn * at.first - cs * at.second,
                                      at.first, at.second));
    CWarpTransform warp;
    ASSERT_TRUE(CWarpTransform::Fit(WarpKind::Projective, points, &warp));
    CAffineTransform inverse;
    ASSERT_TRUE(warp.Affine().Invert(&inverse));
    const double left = 990, top = 2010, size = 2.5;
    const CAffineTransform cellToPixel{
        inverse.x0 + inverse.xPerColumn * (left + 0.5 * size) + inverse.xPerRow * (top - 0.5 * size),
        inverse.xPerColumn * size,
        -inverse.xPerRow * size,
        inverse.y0 + inverse.yPerColumn * (left + 0.5 * size) + inverse.yPerRow * (top - 0.5 * size),
        inverse.yPerColumn * size,
        -inverse.yPerRow * size};
    for (ResampleMethod method : {RESAMPLE_BILINEAR, RESAMPLE_CUBIC})
    {
        const CInverseSampler curved(scan, warp, left, top, size, method);
        const CInverseSampler affine(scan, cellToPixel, method);
        std::vector<unsigned char> a(140 * 4), b(140 * 4);
        int worst = 0, opaque = 0;
        for (int j = 0; j < 110; ++j)
        {
            curved.SampleRow(0, j, 140, a.data());
            affine.SampleRow(0, j, 140, b.data());
            for (size_t k = 0; k < a.size(); ++k)
                worst = std::max(worst, std::abs(a[k] - b[k]));
            for (size_t k = 3; k < a.size(); k += 4)
                opaque += a[k] == 255;
        }
        EXPECT_LE(worst, 1) << method;
        EXPECT_GT(opaque, 5000) << method;
    }
}

}   // namespace

// Features read from a file go back to pixels through the fit in force:
// for a model that is not affine that is the warp's own inverse, not the
// affine form beside it.
TEST(WarpFit, FitInForceMapsBackToThePixelsItMaps)
{
    const std::vector<FixtureSet> sets = ReadFixtures();
    ASSERT_FALSE(sets.empty());
    const FixtureSet& set = sets.front();
    for (const auto& m : kModels)
    {
        SCOPED_TRACE(m.name);
        CGeoRefArray geoRef;
        geoRef.SetImageHeight(8000);
        geoRef.m_points = set.points;
        geoRef.m_nFitModel = m.model;
        ASSERT_TRUE(geoRef.CalcTransform());
        const CPixelToMapTransform transform = geoRef.GetTransform();
        ASSERT_TRUE(transform.pWarp);
        for (const CGeoRefPoint& p : set.points)
        {
            const int column = p.m_nPixelX + 7, row = p.m_nPixelY - 5;
            double x, y, c, r;
            transform.Map(column, row, &x, &y);
            ASSERT_TRUE(transform.MapToPixel(x, y, &c, &r));
            EXPECT_NEAR(c, column, 1e-6);
            EXPECT_NEAR(r, row, 1e-6);
        }
    }
}
