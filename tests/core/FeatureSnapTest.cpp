// Hit-testing and snapping: vertices beat segments, the tolerance holds at
// its edge in image pixels whatever the zoom, a moving vertex is no target
// of itself, and a polygon's closing copy is its first vertex.
#include <gtest/gtest.h>

#include "core/view/FeatureBoxes.h"
#include "core/view/FeatureSnap.h"

namespace
{
CShape MakeShape(std::vector<CShapeVertex> vertices)
{
    CShape shape;
    shape.SetVertices(std::move(vertices));
    return shape;
}

// A square ring (closed, as stored) and a line beside it.
CShapeArray TwoFeatures()
{
    CShapeArray features;
    features.Add(MakeShape({{100, 100}, {200, 100}, {200, 200}, {100, 200}, {100, 100}}));
    features.Add(MakeShape({{300, 100}, {400, 140}}));
    return features;
}
}   // namespace

TEST(FeatureSnap, NearestVertexBeatsANearerSegmentAndTheToleranceHoldsAtItsEdge)
{
    const CShapeArray features = TwoFeatures();
    const struct
    {
        const char* name;
        ImagePoint p;
        double tolerance;
        HitKind kind;
        int feature, vertex;
        CShapeVertex at;
    } cases[] = {
        {"on a vertex", {200, 100}, 10, HitKind::Vertex, 0, 1, {200, 100}},
        {"vertex within tolerance, segment nearer", {195, 102}, 10, HitKind::Vertex, 0, 1, {200, 100}},
        {"vertex exactly at the tolerance", {194, 92}, 10, HitKind::Vertex, 0, 1, {200, 100}},
        {"vertex just beyond it: the segment", {193.9, 100.5}, 6.1, HitKind::Segment, 0, 0, {194, 100}},
        {"segment exactly at the tolerance", {150, 110}, 10, HitKind::Segment, 0, 0, {150, 100}},
        {"segment just beyond it", {150, 110.01}, 10, HitKind::None, -1, -1, {0, 0}},
        {"closing segment of the ring", {97, 150.4}, 10, HitKind::Segment, 0, 3, {100, 150}},
        {"the ring's first vertex, never its copy", {101, 99}, 10, HitKind::Vertex, 0, 0, {100, 100}},
        {"nearest point of a slanted segment, rounded", {350, 130}, 10, HitKind::Segment, 1, 0, {353, 121}},
        {"the nearer of two features' vertices", {245, 100}, 60, HitKind::Vertex, 0, 1, {200, 100}},
        {"nothing near", {250, 300}, 10, HitKind::None, -1, -1, {0, 0}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        SnapSources sources;
        sources.pFeatures = &features;
        sources.nShapeType = SHAPE_POLYGON;
        const FeatureHit hit = FindSnap(sources, c.p, c.tolerance);
        EXPECT_EQ(hit.nKind, c.kind);
        if (c.kind == HitKind::None)
            continue;
        EXPECT_EQ(hit.nFeature, c.feature);
        EXPECT_EQ(hit.nVertex, c.vertex);
        EXPECT_EQ(hit.at, c.at);
    }
}

TEST(FeatureSnap, ScreenToleranceCoversFewerImagePixelsAtHigherZoom)
{
    CShapeArray features;
    features.Add(MakeShape({{50, 50}, {90, 50}}));
    SnapSources sources;
    sources.pFeatures = &features;
    // Exactly ten screen pixels from the vertex at each zoom, and eleven.
    for (int zoom : {1, 2, 4})
    {
        SCOPED_TRACE(zoom);
        const double tolerance = ImageTolerance(10, zoom);
        const ImagePoint edge = ClientPointToImage(50 * zoom, 50 * zoom - 10, 0, 0, zoom);
        EXPECT_EQ(FindSnap(sources, edge, tolerance).nKind, HitKind::Vertex);
        const ImagePoint beyond = ClientPointToImage(50 * zoom - 11, 50 * zoom, 0, 0, zoom);
        EXPECT_EQ(FindSnap(sources, beyond, tolerance).nKind, HitKind::None);
        // Scrolled: the same client point lies elsewhere on the image.
        const ImagePoint scrolled = ClientPointToImage(50 * zoom - 5, 50 * zoom, 100 * zoom, 0, zoom);
        EXPECT_EQ(FindSnap(sources, scrolled, tolerance).nKind, HitKind::None);
    }
}

TEST(FeatureSnap, AMovingVertexSnapsNeitherToItselfNorToTheSegmentsItEnds)
{
    const CShapeArray features = TwoFeatures();
    SnapSources sources;
    sources.pFeatures = &features;
    sources.nShapeType = SHAPE_POLYGON;
    sources.nSkipFeature = 0;
    sources.nSkipVertex = 0;   // the ring's first, and so its closing copy
    EXPECT_EQ(FindSnap(sources, {101, 101}, 5).nKind, HitKind::None);
    EXPECT_EQ(FindSnap(sources, {150, 102}, 5).nKind, HitKind::None);
    EXPECT_EQ(FindSnap(sources, {102, 150}, 5).nKind, HitKind::None);
    // The ring's other corners and far segment are still there.
    const FeatureHit corner = FindSnap(sources, {199, 199}, 5);
    EXPECT_EQ(corner.nKind, HitKind::Vertex);
    EXPECT_EQ(corner.nVertex, 2);
    EXPECT_EQ(FindSnap(sources, {150, 198}, 5).nKind, HitKind::Segment);
}

TEST(FeatureSnap, ControlPointsAndTheFeatureBeingDigitisedAreVertices)
{
    const CShapeArray features = TwoFeatures();
    const std::vector<CShapeVertex> points = {{152, 104}};
    CShape current = MakeShape({{300, 300}, {320, 300}});
    SnapSources sources;
    sources.pFeatures = &features;
    sources.pPoints = &points;
    sources.pCurrent = &current;
    const FeatureHit marker = FindSnap(sources, {150, 101}, 10);
    EXPECT_EQ(marker.nKind, HitKind::Vertex);
    EXPECT_EQ(marker.nFeature, -1);
    EXPECT_EQ(marker.at, (CShapeVertex{152, 104}));
    EXPECT_EQ(FindSnap(sources, {302, 301}, 10).at, (CShapeVertex{300, 300}));
    // Its unfinished segment is no target.
    EXPECT_EQ(FindSnap(sources, {310, 305}, 6).nKind, HitKind::None);
}

TEST(FeatureSnap, HitShapeTestsOneFeatureAndPointsHaveNoSegments)
{
    const CShape line = MakeShape({{0, 0}, {100, 0}});
    EXPECT_EQ(HitShape(line, SHAPE_POLYLINE, {50, 3}, 6).nKind, HitKind::Segment);
    EXPECT_EQ(HitShape(line, SHAPE_POLYLINE, {97, 3}, 6).nKind, HitKind::Vertex);
    const CShape point = MakeShape({{10, 10}});
    EXPECT_EQ(HitShape(point, SHAPE_POINT, {12, 10}, 6).nKind, HitKind::Vertex);
}

TEST(FeatureSnap, ToleranceTextIsAWholeNumberOfPixelsFromOneToAHundred)
{
    const struct
    {
        const char* text;
        bool ok;
        int pixels;
    } cases[] = {{"10", true, 10},   {" 1 ", true, 1},
                 {"100", true, 100}, {"0", false, 0},
                 {"101", false, 0},  {"-5", false, 0},
                 {"7.5", false, 0},  {"", false, 0},
                 {"12px", false, 0}, {"99999999999999999999", false, 0}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        int pixels = 0;
        EXPECT_EQ(ParseSnapTolerance(c.text, &pixels), c.ok);
        EXPECT_EQ(pixels, c.pixels) << "untouched when refused";
    }
}

TEST(FeatureSnap, TheIndexFindsWhatAScanOfEveryFeatureFinds)
{
    // Rings, lines, a lone vertex and a long line across many cells, and
    // points near and far from them, a moving vertex skipped.
    for (ShapeType type : {SHAPE_POLYGON, SHAPE_POLYLINE, SHAPE_POINT})
    {
        SCOPED_TRACE(type);
        CShapeArray features;
        for (int i = 0; i < 300; ++i)
        {
            const int x = (i * 7919) % 3000, y = (i * 104729) % 2000, r = 5 + i % 40;
            features.Add(type == SHAPE_POLYGON ? MakeShape({{x, y}, {x + r, y}, {x + r, y + r}, {x, y}})
                                               : MakeShape({{x, y}, {x + r, y + r / 2}, {x + 2 * r, y}}));
        }
        features.Add(MakeShape({{0, 0}, {3000, 2000}}));
        features.Add(MakeShape({{1500, 50}}));
        CSnapIndex index;
        index.Build(features, type);
        SnapSources scan;
        scan.pFeatures = &features;
        scan.nShapeType = type;
        scan.nSkipFeature = 7;
        scan.nSkipVertex = 1;
        SnapSources indexed = scan;
        indexed.pIndex = &index;
        int hits = 0;
        for (int q = 0; q < 4000; ++q)
        {
            const ImagePoint p = {-50 + (q * 0.61803 - static_cast<int>(q * 0.61803)) * 3100.0,
                                  -50 + (q * 0.41421 - static_cast<int>(q * 0.41421)) * 2100.0};
            const double tolerance = 2.0 + q % 25;
            const FeatureHit a = FindSnap(scan, p, tolerance), b = FindSnap(indexed, p, tolerance);
            ASSERT_EQ(a.nKind, b.nKind) << p.x << "," << p.y;
            ASSERT_EQ(a.dDistance, b.dDistance) << p.x << "," << p.y;
            hits += a.nKind != HitKind::None;
        }
        EXPECT_GT(hits, 300) << "the points come near enough often";
    }
}

// A paint draws the features whose box meets its rectangle: one crossing it
// with no vertex inside, one touching its edge, and not those beside it or
// without vertices.
TEST(FeatureBoxes, PaintsOnlyTheFeaturesThatComeIntoTheRectangle)
{
    CShapeArray features;
    const std::vector<std::vector<CShapeVertex>> shapes = {
        {{0, 50}, {200, 50}},     // crosses the rectangle, no vertex inside
        {{100, 100}},             // a point on its corner
        {{150, 0}, {150, 9}},     // above it
        {},                       // no vertex
        {{20, 20}, {30, 30}},     // inside
        {{101, 20}, {300, 90}},   // right of it
    };
    for (const std::vector<CShapeVertex>& vertices : shapes)
    {
        CShape shape;
        for (const CShapeVertex& v : vertices)
            shape.Add(v.x, v.y);
        features.Add(std::move(shape));
    }
    CFeatureBoxes boxes;
    boxes.Build(features);
    std::vector<int> painted;
    boxes.ForEachIn(10, 10, 100, 100, [&](int i) { painted.push_back(i); });
    EXPECT_EQ(painted, (std::vector<int>{0, 1, 4}));
}
