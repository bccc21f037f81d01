#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/raster/Transpose.h"

namespace
{

// A transformation set directly: map X = x0 + xScale u, map Y = y0 + yScale v
// with (u, v) the pixel rotated by rotation.
CGeoRefArray MakeTransform(int imageHeight, double rotation, double x0, double xScale, double y0, double yScale)
{
    CGeoRefArray geoRef;
    geoRef.SetImageHeight(imageHeight);
    geoRef.m_dRotation = rotation;
    geoRef.m_dX0 = x0;
    geoRef.m_dXScale = xScale;
    geoRef.m_dY0 = y0;
    geoRef.m_dYScale = yScale;
    geoRef.m_bValid = true;
    return geoRef;
}

// Control points at the given pixels, with the map coordinates the
// transformation gives them.
void AddPointsOnTransform(CGeoRefArray* geoRef, const std::vector<std::pair<int, int>>& pixels)
{
    for (const auto& px : pixels)
    {
        double x, y;
        ASSERT_TRUE(geoRef->PixelToMap(px.first, px.second, &x, &y));
        geoRef->m_points.push_back(CGeoRefPoint(x, y, px.first, px.second));
    }
}

// Every pixel a colour of its own, never white: red and green the column,
// blue and green the row.
std::vector<unsigned char> NumberedImage(int width, int height)
{
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = static_cast<unsigned char>(x);
            p[1] = static_cast<unsigned char>((x >> 8) | ((y >> 8) << 4));
            p[2] = static_cast<unsigned char>(y);
        }
    return rgb;
}

std::string Cell(const CTransposedImage& image, int i, int j)
{
    const unsigned char* p = image.Pixels() + (static_cast<size_t>(j) * image.Width() + i) * 3;
    return std::string(reinterpret_cast<const char*>(p), 3);
}

std::string SourcePixel(const std::vector<unsigned char>& rgb, int width, int x, int y)
{
    return std::string(reinterpret_cast<const char*>(&rgb[(static_cast<size_t>(y) * width + x) * 3]), 3);
}

const std::string kWhite("\xFF\xFF\xFF", 3);

}   // namespace

TEST(Transpose, WholeImageWorkedExample)
{
    // 200 x 100, map X = 100 + column, map Y = 200 + (100 - row).
    const int width = 200, height = 100;
    CGeoRefArray geoRef = MakeTransform(height, 0.0, 100, 1, 200, 1);
    std::vector<unsigned char> rgb = NumberedImage(width, height);
    CTransposedImage image;
    ASSERT_EQ(TransposeImage(rgb.data(), width, height, geoRef, false, &image), TRANSPOSE_OK);
    ASSERT_FALSE(image.IsEmpty());
    EXPECT_EQ(image.extents.x0, 100);
    EXPECT_EQ(image.extents.y0, 300);
    EXPECT_EQ(image.extents.x1, 299);
    EXPECT_EQ(image.extents.y1, 201);
    // The output's width is the source's height, and its height the source's width.
    EXPECT_EQ(image.Width(), 100);
    EXPECT_EQ(image.Height(), 200);

    // Columns land at c * 100/199, rows at r * 200/99: cell (0, 0) is reached
    // by pixels (0, 0) and (1, 0), the later wins; cell (1, 0) last by (3, 0)
    // as its own cell after (0, 0) and (1, 0) copied in from the left.
    EXPECT_EQ(Cell(image, 0, 0), SourcePixel(rgb, width, 1, 0));
    EXPECT_EQ(Cell(image, 1, 0), SourcePixel(rgb, width, 3, 0));
    // Row 49 lands in cell row 98 and copies into 99, row 50 in 101: row 100
    // is reached by no pixel and stays white.
    EXPECT_EQ(Cell(image, 0, 99), SourcePixel(rgb, width, 1, 49));
    EXPECT_EQ(Cell(image, 0, 100), kWhite);
    EXPECT_EQ(Cell(image, 0, 101), SourcePixel(rgb, width, 1, 50));
    // The bottom-right pixel maps exactly onto (outW, outH) and is dropped.
    const std::string bottomRight = SourcePixel(rgb, width, width - 1, height - 1);
    for (int j = 0; j < image.Height(); ++j)
        for (int i = 0; i < image.Width(); ++i)
            ASSERT_NE(Cell(image, i, j), bottomRight) << i << "," << j;
}

TEST(Transpose, CropToPointsExample)
{
    // Map X = 1000 + 2 column, map Y = 5000 - 2 row, fitted from the points.
    CGeoRefArray geoRef;
    geoRef.SetImageHeight(100);
    geoRef.m_points = {CGeoRefPoint(1020, 4980, 10, 10), CGeoRefPoint(1220, 4880, 110, 60),
                       CGeoRefPoint(1120, 4940, 60, 30)};
    ASSERT_TRUE(geoRef.CalcTransform());
    std::vector<unsigned char> rgb = NumberedImage(200, 100);
    CTransposedImage image;
    ASSERT_EQ(TransposeImage(rgb.data(), 200, 100, geoRef, true, &image), TRANSPOSE_OK);
    EXPECT_EQ(image.Width(), 100);
    EXPECT_EQ(image.Height(), 50);
    EXPECT_EQ(image.extents.x0, 1020);
    EXPECT_EQ(image.extents.x1, 1220);
    EXPECT_EQ(image.extents.y0, 4980);
    EXPECT_EQ(image.extents.y1, 4880);
    // One source pixel a cell: cell (i, j) holds pixel (10 + i, 10 + j).
    EXPECT_EQ(Cell(image, 0, 0), SourcePixel(rgb, 200, 10, 10));
    EXPECT_EQ(Cell(image, 37, 21), SourcePixel(rgb, 200, 47, 31));
    EXPECT_EQ(Cell(image, 99, 49), SourcePixel(rgb, 200, 109, 59));
}

// One source pixel (map (100, 201)) into a 4 x 3 grid whose extents put it at
// a chosen grid position: which cells does it reach?
struct PlacementCase
{
    const char* name;
    double x0, y0;
    std::vector<std::pair<int, int>> cells;
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }

class Placement : public testing::TestWithParam<PlacementCase>
{};

TEST_P(Placement, TruncatesTowardZeroAndDropsOutside)
{
    const PlacementCase& c = GetParam();
    CGeoRefArray geoRef = MakeTransform(1, 0.0, 100, 1, 200, 1);
    CTransposeExtents e;
    e.x0 = c.x0;
    e.x1 = c.x0 + 4;
    e.y0 = c.y0;
    e.y1 = c.y0 - 3;
    e.outW = 4;
    e.outH = 3;
    const unsigned char pixel[3] = {1, 2, 3};
    std::vector<unsigned char> fast(4 * 3 * 3, 0xFF), plain(fast);
    ASSERT_TRUE(ResampleNorthUp(pixel, 1, 1, geoRef.GetTransform(), e, fast.data()));
    ResampleNorthUpPerPixel(pixel, 1, 1, geoRef, e, plain.data());
    EXPECT_EQ(fast, plain);
    std::vector<unsigned char> expected(4 * 3 * 3, 0xFF);
    for (const auto& cell : c.cells)
        std::memcpy(&expected[(cell.second * 4 + cell.first) * 3], pixel, 3);
    EXPECT_EQ(fast, expected);
}

INSTANTIATE_TEST_SUITE_P(
    GridPositions, Placement,
    testing::Values(PlacementCase{"InsideWithBothNeighbours", 99, 201, {{1, 0}, {2, 0}, {1, 1}}},
                    PlacementCase{"HalfACellLeftLandsInColumn0", 100.5, 201, {{0, 0}, {1, 0}, {0, 1}}},
                    PlacementCase{"OneCellLeftIsDropped", 101, 201, {}},
                    PlacementCase{"ExactlyOutWIsDropped", 96, 201, {}},
                    PlacementCase{"LastColumnHasNoRightNeighbour", 96.5, 201, {{3, 0}, {3, 1}}},
                    PlacementCase{"LastRowHasNoLowerNeighbour", 98, 203.5, {{2, 2}, {3, 2}}},
                    PlacementCase{"HalfARowAboveLandsInRow0", 98, 200.5, {{2, 0}, {3, 0}, {2, 1}}},
                    PlacementCase{"ExactlyOutHIsDropped", 98, 204, {}}),
    [](const testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });

// The fast path against one PixelToMap call a pixel, byte for byte.
struct EquivalenceCase
{
    const char* name;
    int width, height;
    double rotation, xScale, yScale;
    bool crop;
    bool sideBySide;   // several columns walked together
};

void PrintTo(const EquivalenceCase& c, std::ostream* os) { *os << c.name; }

class FastPath : public testing::TestWithParam<EquivalenceCase>
{};

TEST_P(FastPath, CellsEqualThePerPixelAlgorithm)
{
    const EquivalenceCase& c = GetParam();
    CGeoRefArray geoRef = MakeTransform(c.height, c.rotation, 512345.678, c.xScale, 4123456.789, c.yScale);
    AddPointsOnTransform(&geoRef,
                         {{c.width / 7, c.height / 5}, {c.width - 3, c.height / 2}, {c.width / 2, c.height - 2}});
    std::vector<unsigned char> rgb = NumberedImage(c.width, c.height);

    CTransposedImage image;
    ASSERT_EQ(TransposeImage(rgb.data(), c.width, c.height, geoRef, c.crop, &image), TRANSPOSE_OK);
    const size_t cbCells = static_cast<size_t>(image.Width()) * image.Height() * 3;
    std::vector<unsigned char> plain(cbCells, 0xFF);
    ResampleNorthUpPerPixel(rgb.data(), c.width, c.height, geoRef, image.extents, plain.data());
    ASSERT_EQ(0, std::memcmp(image.Pixels(), plain.data(), cbCells));
    EXPECT_EQ(ResampleStripColumns(geoRef.GetTransform(), image.extents, c.width, c.height) > 1, c.sideBySide);

    // Not a vacuous comparison: many cells are written, and in a rotated
    // image some stay white.
    const size_t cells = cbCells / 3;
    size_t white = 0;
    for (size_t k = 0; k < cbCells; k += 3)
        white += std::memcmp(&plain[k], kWhite.data(), 3) == 0;
    EXPECT_GT(cells - white, cells / 4);
    if (c.rotation != 0.0)
    {
        EXPECT_GT(white, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    RotatedImages, FastPath,
    testing::Values(EquivalenceCase{"SevenDegrees", 97, 61, 0.122173, 2.5, 2.5, false, true},
                    EquivalenceCase{"SevenDegreesCropped", 97, 61, 0.122173, 2.5, 2.5, true, true},
                    EquivalenceCase{"MinusThirtyDegreesUneven", 64, 80, -0.5235987, 0.75, 1.9, false, true},
                    EquivalenceCase{"SixtyDegreesCroppedDegrees", 120, 45, 1.0471975, 1e-5, 1.3e-5, true, true},
                    EquivalenceCase{"HalfTurnNegativeScales", 33, 50, 3.0, -1.0, -1.0, false, true},
                    EquivalenceCase{"TallNarrow", 9, 257, 0.3, 1.0, 1.0, false, true}),
    [](const testing::TestParamInfo<EquivalenceCase>& info) { return std::string(info.param.name); });

// Many random transformations, grids and crops on small images: the fast
// path must agree byte for byte every time, also where it walks several
// columns side by side.
TEST(ResampleNorthUp, AgreesWithThePerPixelStatementOnRandomTransformations)
{
    unsigned int seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFF;
    };
    auto uniform = [&next](double lo, double hi) { return lo + (hi - lo) * next() / 65535.0; };
    int sideBySide = 0, oneByOne = 0;
    for (int run = 0; run < 300; ++run)
    {
        const int width = 8 + next() % 140, height = 8 + next() % 140;
        const double scale = std::pow(10.0, uniform(-5, 2));
        CGeoRefArray geoRef = MakeTransform(height, uniform(-3.3, 3.3), uniform(-1e6, 1e6),
                                            scale * uniform(0.3, 3) * (next() % 5 ? 1 : -1), uniform(-1e7, 1e7),
                                            scale * uniform(0.3, 3) * (next() % 5 ? 1 : -1));
        const int points = 2 + next() % 3;
        std::vector<std::pair<int, int>> pixels;
        for (int p = 0; p < points; ++p)
            pixels.push_back({static_cast<int>(next() % width), static_cast<int>(next() % height)});
        AddPointsOnTransform(&geoRef, pixels);
        const bool crop = next() % 2;
        std::vector<unsigned char> rgb = NumberedImage(width, height);
        CTransposedImage image;
        if (TransposeImage(rgb.data(), width, height, geoRef, crop, &image) != TRANSPOSE_OK)
            continue;   // a degenerate crop
        const size_t cbCells = static_cast<size_t>(image.Width()) * image.Height() * 3;
        std::vector<unsigned char> plain(cbCells, 0xFF);
        ResampleNorthUpPerPixel(rgb.data(), width, height, geoRef, image.extents, plain.data());
        ASSERT_EQ(0, std::memcmp(image.Pixels(), plain.data(), cbCells)) << "run " << run;
        if (ResampleStripColumns(geoRef.GetTransform(), image.extents, width, height) > 1)
            ++sideBySide;
        else
            ++oneByOne;
    }
    EXPECT_GT(sideBySide, 100);
    EXPECT_GT(oneByOne, 0);
}

// Runs that cannot give a usable grid are refused with words saying why.
struct RefusalCase
{
    const char* name;
    int width, height;
    double rotation;
    std::vector<CGeoRefPoint> points;
    bool crop;
    TransposeStatus status;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class Refusal : public testing::TestWithParam<RefusalCase>
{};

TEST_P(Refusal, IsRefusedWithAReason)
{
    const RefusalCase& c = GetParam();
    CGeoRefArray geoRef = MakeTransform(c.height, c.rotation, 100, 1, 200, 1);
    geoRef.m_points = c.points;
    std::vector<unsigned char> rgb(static_cast<size_t>(c.width) * c.height * 3, 0);
    CTransposedImage image;
    image.extents.outW = 5;
    EXPECT_EQ(TransposeImage(rgb.data(), c.width, c.height, geoRef, c.crop, &image), c.status);
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(image.Width(), 0);
}

INSTANTIATE_TEST_SUITE_P(DegenerateRuns, Refusal,
                         testing::Values(RefusalCase{"PointsInOneColumn",
                                                     50,
                                                     50,
                                                     0.0,
                                                     {CGeoRefPoint(110, 240, 10, 10), CGeoRefPoint(150, 200, 10, 40)},
                                                     true,
                                                     TRANSPOSE_SAME_COLUMN},
                                         RefusalCase{"PointsInOneRow",
                                                     50,
                                                     50,
                                                     0.0,
                                                     {CGeoRefPoint(110, 240, 10, 10), CGeoRefPoint(150, 200, 40, 10)},
                                                     true,
                                                     TRANSPOSE_SAME_ROW},
                                         RefusalCase{"PointsShareMapX",
                                                     50,
                                                     50,
                                                     0.0,
                                                     {CGeoRefPoint(110, 240, 10, 10), CGeoRefPoint(110, 200, 40, 30)},
                                                     true,
                                                     TRANSPOSE_SAME_MAP_X},
                                         RefusalCase{"PointsShareMapY",
                                                     50,
                                                     50,
                                                     0.0,
                                                     {CGeoRefPoint(110, 240, 10, 10), CGeoRefPoint(150, 240, 40, 30)},
                                                     true,
                                                     TRANSPOSE_SAME_MAP_Y},
                                         RefusalCase{"OneColumnImage", 1, 50, 0.0, {}, false, TRANSPOSE_SAME_MAP_X},
                                         RefusalCase{"OneRowImage", 50, 1, 0.0, {}, false, TRANSPOSE_SAME_MAP_Y},
                                         RefusalCase{"CropWithoutPoints", 50, 50, 0.0, {}, true, TRANSPOSE_NO_POINTS},
                                         RefusalCase{"CropFarTooLarge",
                                                     50,
                                                     50,
                                                     0.0,
                                                     {CGeoRefPoint(110, 240, -2000000000, -2000000000),
                                                      CGeoRefPoint(150, 200, 2000000000, 2000000000)},
                                                     true,
                                                     TRANSPOSE_TOO_LARGE},
                                         RefusalCase{
                                             "CropJustTooLarge",
                                             50,
                                             50,
                                             0.0,
                                             {CGeoRefPoint(110, 240, 0, 0), CGeoRefPoint(150, 200, 16385, 16384)},
                                             true,
                                             TRANSPOSE_TOO_LARGE},
                                         RefusalCase{"NoImage", 0, 50, 0.0, {}, false, TRANSPOSE_NO_IMAGE}),
                         [](const testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST(Transpose, RefusesWithoutFitOrPixelsOrFiniteExtents)
{
    std::vector<unsigned char> rgb(10 * 10 * 3, 0);
    CTransposedImage image;
    CGeoRefArray unfitted;
    unfitted.SetImageHeight(10);
    EXPECT_EQ(TransposeImage(rgb.data(), 10, 10, unfitted, false, &image), TRANSPOSE_NOT_FITTED);

    CGeoRefArray fitted = MakeTransform(10, 0.0, 100, 1, 200, 1);
    EXPECT_EQ(TransposeImage(nullptr, 10, 10, fitted, false, &image), TRANSPOSE_NO_IMAGE);

    // A corner beyond the range of doubles.
    CGeoRefArray huge = MakeTransform(10, 0.0, 0, 1e308, 200, 1);
    EXPECT_EQ(TransposeImage(rgb.data(), 10, 10, huge, false, &image), TRANSPOSE_BAD_MAP_EXTENTS);
    CGeoRefArray nan = MakeTransform(10, 0.0, std::nan(""), 1, 200, 1);
    EXPECT_EQ(TransposeImage(rgb.data(), 10, 10, nan, false, &image), TRANSPOSE_BAD_MAP_EXTENTS);
    EXPECT_TRUE(image.IsEmpty());
}

TEST(Transpose, LargestAllowedCropIsAccepted)
{
    CGeoRefArray geoRef = MakeTransform(10, 0.0, 100, 1, 200, 1);
    geoRef.m_points = {CGeoRefPoint(110, 240, 0, 0), CGeoRefPoint(150, 200, 16384, 16384)};
    CTransposeExtents e;
    ASSERT_EQ(CalcTransposeExtents(geoRef, 10, 10, true, &e), TRANSPOSE_OK);
    EXPECT_EQ(static_cast<long long>(e.outW) * e.outH, kMaxTransposedPixels);
}

// Bands of output rows on several threads give the cells of one thread, and
// of the per-pixel form, byte for byte: rotations, crops, uneven scales,
// one thread, a few, and more threads than the grid has rows.
TEST(ResampleNorthUp, ThreadedBandsEqualOneThread)
{
    const struct
    {
        int width, height;
        double rotation, xScale, yScale;
        bool crop;
    } grids[] = {
        {97, 61, 0.122173, 2.5, 2.5, false},     {97, 61, 0.122173, 2.5, 2.5, true},
        {64, 80, -0.5235987, 0.75, 1.9, false},  {120, 45, 1.0471975, 1e-5, 1.3e-5, true},
        {33, 50, 3.0, -1.0, -1.0, false},        {9, 257, 0.3, 1.0, 1.0, false},
        {200, 7, 1.5707963265, 1.0, 1.0, false}, {150, 90, 0.0, 1.0, 3.0, false},
    };
    for (const auto& g : grids)
    {
        CGeoRefArray geoRef = MakeTransform(g.height, g.rotation, 512345.678, g.xScale, 4123456.789, g.yScale);
        AddPointsOnTransform(&geoRef,
                             {{g.width / 7, g.height / 5}, {g.width - 3, g.height / 2}, {g.width / 2, g.height - 2}});
        const std::vector<unsigned char> rgb = NumberedImage(g.width, g.height);
        CTransposeExtents e;
        ASSERT_EQ(CalcTransposeExtents(geoRef, g.width, g.height, g.crop, &e), TRANSPOSE_OK);
        const size_t cbCells = static_cast<size_t>(e.outW) * e.outH * 3;
        std::vector<unsigned char> one(cbCells, 0xFF);
        ASSERT_TRUE(ResampleNorthUp(rgb.data(), g.width, g.height, geoRef.GetTransform(), e, one.data(), 1));
        std::vector<unsigned char> plain(cbCells, 0xFF);
        ResampleNorthUpPerPixel(rgb.data(), g.width, g.height, geoRef, e, plain.data());
        ASSERT_EQ(one, plain) << g.width << "x" << g.height << " rotated " << g.rotation;
        for (const int threads : {2, 3, 7, e.outH, e.outH + 5, 1000})
        {
            std::vector<unsigned char> banded(cbCells, 0xFF);
            ASSERT_TRUE(
                ResampleNorthUp(rgb.data(), g.width, g.height, geoRef.GetTransform(), e, banded.data(), threads));
            ASSERT_EQ(banded, one) << g.width << "x" << g.height << " rotated " << g.rotation << ", " << threads
                                   << " threads";
            // The whole run too, with its white grid made band by band.
            CTransposeOptions options;
            options.nThreads = threads;
            CTransposedImage image;
            ASSERT_EQ(TransposeImage(rgb.data(), g.width, g.height, geoRef, g.crop, &image, options), TRANSPOSE_OK);
            ASSERT_EQ(0, std::memcmp(image.Pixels(), one.data(), cbCells)) << threads << " threads";
        }
    }
}

// Random transformations, from tiny to huge scales and any rotation: the
// strips of source rows each band takes must hold every pixel that reaches
// it, whatever the band's height.
TEST(ResampleNorthUp, BandsHoldEveryPixelOnRandomTransformations)
{
    unsigned int seed = 777;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFF;
    };
    auto uniform = [&next](double lo, double hi) { return lo + (hi - lo) * next() / 65535.0; };
    for (int run = 0; run < 150; ++run)
    {
        const int width = 8 + next() % 120, height = 8 + next() % 120;
        const double scale = std::pow(10.0, uniform(-5, 2));
        CGeoRefArray geoRef = MakeTransform(height, uniform(-3.3, 3.3), uniform(-1e6, 1e6),
                                            scale * uniform(0.3, 3) * (next() % 5 ? 1 : -1), uniform(-1e7, 1e7),
                                            scale * uniform(0.3, 3) * (next() % 5 ? 1 : -1));
        AddPointsOnTransform(&geoRef, {{static_cast<int>(next() % width), static_cast<int>(next() % height)},
                                       {static_cast<int>(next() % width), static_cast<int>(next() % height)}});
        CTransposeExtents e;
        if (CalcTransposeExtents(geoRef, width, height, next() % 2, &e) != TRANSPOSE_OK)
            continue;   // a degenerate crop
        const std::vector<unsigned char> rgb = NumberedImage(width, height);
        const size_t cbCells = static_cast<size_t>(e.outW) * e.outH * 3;
        std::vector<unsigned char> plain(cbCells, 0xFF), banded(cbCells, 0xFF);
        ResampleNorthUpPerPixel(rgb.data(), width, height, geoRef, e, plain.data());
        const int threads = 1 + static_cast<int>(next() % 9);
        ASSERT_TRUE(ResampleNorthUp(rgb.data(), width, height, geoRef.GetTransform(), e, banded.data(), threads));
        ASSERT_EQ(banded, plain) << "run " << run << ", " << threads << " threads";
    }
}

TEST(Transpose, ProgressReachesTheWholeAndLimitIsTheCallers)
{
    const int width = 120, height = 90;
    CGeoRefArray geoRef = MakeTransform(height, 0.2, 1000, 1, 5000, 1);
    const std::vector<unsigned char> rgb = NumberedImage(width, height);
    CTransposeOptions options;
    options.nThreads = 3;
    std::atomic<int> reports{0};
    std::atomic<double> last{0.0};
    options.progress = [&](double done) {
        ++reports;
        last = std::max(last.load(), done);
    };
    CTransposedImage image;
    ASSERT_EQ(TransposeImage(rgb.data(), width, height, geoRef, false, &image, options), TRANSPOSE_OK);
    EXPECT_GT(reports, 3);
    EXPECT_DOUBLE_EQ(last, 1.0);
    // 90 x 120 cells: refused under a smaller limit.
    options.nMaxPixels = 90 * 120 - 1;
    EXPECT_EQ(TransposeImage(rgb.data(), width, height, geoRef, false, &image, options), TRANSPOSE_TOO_LARGE);
    EXPECT_TRUE(image.IsEmpty());
}
