// Lengths and areas of finished features in map units, as the Features
// window shows them.
#include <gtest/gtest.h>

#include "core/shape/FeatureMeasure.h"
#include "tests/core/ShapeWriterFixture.h"

namespace
{
struct MeasureCase
{
    const char* name;
    ShapeType type;
    std::vector<TestVertex> vertices;
    bool known;
    double value;
};

void PrintTo(const MeasureCase& c, std::ostream* os) { *os << c.name; }

class MeasureCases : public testing::TestWithParam<MeasureCase>
{};
}   // namespace

// With the round-number fit, column c and row r lie at map (100 + c, 300 - r).
INSTANTIATE_TEST_SUITE_P(
    Features, MeasureCases,
    testing::Values(
        MeasureCase{"polyline3_4_5", SHAPE_POLYLINE, {{0, 0}, {3, 4}, {3, 10}}, true, 11.0},
        MeasureCase{"polylineOfOneVertex", SHAPE_POLYLINE, {{5, 5}}, true, 0.0},
        MeasureCase{"squareClockwise", SHAPE_POLYGON, {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}, true, 100.0},
        MeasureCase{"squareAnticlockwise", SHAPE_POLYGON, {{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}}, true, 100.0},
        MeasureCase{
            "triangleFarFromTheOrigin", SHAPE_POLYGON, {{4000, 3}, {4006, 3}, {4000, 7}, {4000, 3}}, true, 12.0},
        MeasureCase{"point", SHAPE_POINT, {{5, 5}}, false, 0.0},
        MeasureCase{"noVertex", SHAPE_POLYLINE, {}, false, 0.0}));

TEST_P(MeasureCases, InMapUnits)
{
    CGeoRefArray geoRef;
    FitRoundNumberGeoRef(geoRef);
    double value = -1.0;
    ASSERT_EQ(MeasureFeature(MakeShape(GetParam().vertices), GetParam().type, geoRef, &value), GetParam().known);
    if (GetParam().known)
        EXPECT_NEAR(value, GetParam().value, 1e-9);
    else
        EXPECT_EQ(value, -1.0) << "nothing stored";
}

TEST(FeatureMeasure, NothingWithoutAFit)
{
    CGeoRefArray geoRef;
    double value = -1.0;
    EXPECT_FALSE(MeasureFeature(MakeShape({{0, 0}, {3, 4}}), SHAPE_POLYLINE, geoRef, &value));
    EXPECT_EQ(value, -1.0);
}
