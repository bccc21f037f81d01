// Tracing: the least-cost path over a scan's pixels, its simplification,
// the stretch taken from a neighbour's border, and each as one undoable edit.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/io/MemoryFile.h"
#include "core/session/ImageSession.h"
#include "core/trace/LineTrace.h"
#include "core/trace/SharedBorder.h"

namespace
{
// An RGB image drawn as text: '#' black, 'r' red, '+' mid grey, anything else white.
struct ArtImage
{
    explicit ArtImage(const std::vector<std::string>& rows)
        : width(static_cast<int>(rows[0].size())), height(static_cast<int>(rows.size()))
    {
        for (const std::string& row : rows)
            for (char c : row)
            {
                const unsigned char r = c == '#' ? 0 : c == '+' ? 128 : 255;
                const unsigned char gb = c == 'r' ? 0 : r;
                pixels.insert(pixels.end(), {r, gb, gb});
            }
    }
    TraceImage View() const { return {pixels.data(), width, height, static_cast<size_t>(width) * 3}; }

    int width, height;
    std::vector<unsigned char> pixels;
};

const TraceColour kBlack{0, 0, 0}, kRed{255, 0, 0};

// Whether the path runs from "from" to "to" in steps to a neighbour, on
// pixels marked ch only (it may cut a marked corner diagonally).
bool OnMarked(const std::vector<CShapeVertex>& path, const std::vector<std::string>& rows, char ch, CShapeVertex from,
              CShapeVertex to)
{
    if (path.empty() || !(path.front() == from) || !(path.back() == to))
        return false;
    for (size_t i = 0; i < path.size(); ++i)
    {
        if (rows[path[i].y][path[i].x] != ch)
            return false;
        if (i > 0 && (std::abs(path[i].x - path[i - 1].x) > 1 || std::abs(path[i].y - path[i - 1].y) > 1))
            return false;
    }
    return true;
}

TEST(LeastCostPath, FollowsTheLineOfItsColourWhereTheWayRoundIsNotTooLong)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> rows;
        CShapeVertex from, to;
        TraceColour colour;
        char follows;   // the path's pixels are all so marked
    };
    const Case cases[] = {
        // A U three times as long as the straight way across white.
        {"u-turn", {"#.......#", "#.......#", "#.......#", "#########"}, {0, 0}, {8, 0}, kBlack, '#'},
        // Red wanted: the black shortcut is white to it.
        {"colour", {"r#######r", "r.......r", "rrrrrrrrr"}, {0, 0}, {8, 0}, kRed, 'r'},
        // A grey line costs a quarter of the white's: taken over the white diagonal.
        {"grey", {"+++++", "....+", "....+", "....+", "....+"}, {0, 0}, {4, 4}, kBlack, '+'},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ArtImage image(c.rows);
        CLineTracer tracer;
        EXPECT_TRUE(
            OnMarked(tracer.LeastCostPath(image.View(), c.from, c.to, c.colour), c.rows, c.follows, c.from, c.to));
    }
}

TEST(LeastCostPath, CutsAcrossWhereTheLineGoesTooFarRoundAndOnlyOnTheImage)
{
    // The dark way is 160 pixels long against 2 straight across: longer
    // than the off-line cost makes worth following, and out of the window.
    std::vector<std::string> rows(80, std::string(3, '.'));
    for (auto& row : rows)
        row[0] = row[2] = '#';
    rows[79] = "###";
    ArtImage image(rows);
    CLineTracer tracer;
    EXPECT_EQ(tracer.LeastCostPath(image.View(), {0, 0}, {2, 0}, kBlack),
              (std::vector<CShapeVertex>{{0, 0}, {1, 0}, {2, 0}}));
    // Reused buffers: the second search of a tracer is not misled by the first.
    EXPECT_EQ(tracer.LeastCostPath(image.View(), {0, 5}, {0, 0}, kBlack).size(), 6u);
    EXPECT_TRUE(tracer.LeastCostPath(image.View(), {0, 0}, {3, 0}, kBlack).empty());
    EXPECT_TRUE(tracer.LeastCostPath(image.View(), {-1, 0}, {2, 0}, kBlack).empty());
}

TEST(LineColourAt, IsTheDarkestPixelNearTheClickOnTheImage)
{
    const ArtImage image({"....+", ".....", "..r..", ".....", "#...."});
    struct Case
    {
        CShapeVertex at;
        int radius;
        unsigned char r, g;
    } cases[] = {{{2, 2}, 1, 255, 0}, {{2, 2}, 2, 0, 0}, {{4, 0}, 1, 128, 128}, {{4, 0}, 2, 255, 0}};
    for (const Case& c : cases)
    {
        const TraceColour colour = LineColourAt(image.View(), c.at, c.radius);
        EXPECT_EQ(colour.r, c.r);
        EXPECT_EQ(colour.g, c.g);
    }
}

TEST(SimplifyPath, KeepsEveryDroppedVertexWithinTheTolerance)
{
    struct Case
    {
        std::vector<CShapeVertex> path;
        double tolerance;
        std::vector<CShapeVertex> kept;
    };
    const Case cases[] = {
        {{{0, 0}, {1, 0}, {2, 0}, {3, 0}}, 0.5, {{0, 0}, {3, 0}}},
        // A staircase's corners lie 0.71 from its diagonal, and 0.45 from (1, 0)-(2, 2).
        {{{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}}, 0.75, {{0, 0}, {2, 2}}},
        {{{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}}, 0.5, {{0, 0}, {1, 0}, {2, 2}}},
        // One pixel off a 4-pixel run: 1 from the chord, kept at half a pixel, dropped at one.
        {{{0, 0}, {2, 1}, {4, 0}}, 0.5, {{0, 0}, {2, 1}, {4, 0}}},
        {{{0, 0}, {2, 1}, {4, 0}}, 1.0, {{0, 0}, {4, 0}}},
        // The spike first, then each side of it on its own: (1, 0) lies on
        // (0, 0)-(2, 0), which the spike's side needed.
        {{{0, 0}, {1, 0}, {2, 0}, {3, 5}, {4, 0}, {5, 0}}, 0.5, {{0, 0}, {2, 0}, {3, 5}, {4, 0}, {5, 0}}},
        {{{7, 7}}, 0.5, {{7, 7}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SimplifyPath(c.path, c.tolerance), c.kept);
}

// Two squares side by side with a shared edge x = 10, the left one with
// extra corners along it; and a line.
CShapeArray Neighbours()
{
    CShapeArray features;
    CShape left;
    left.SetVertices({{0, 0}, {10, 0}, {10, 3}, {10, 6}, {10, 10}, {0, 10}, {0, 0}});
    features.Add(left);
    CShape right;
    right.SetVertices({{10, 0}, {20, 0}, {20, 10}, {10, 10}, {10, 0}});
    features.Add(right);
    return features;
}

TEST(NeighbourStretch, TakesTheShorterWayRoundTheOtherOnAskingAndTheShortestNeighbour)
{
    struct Case
    {
        const char* name;
        CShapeVertex a, b;
        bool otherWay;
        bool found;
        int feature;
        std::vector<CShapeVertex> between;
    };
    const Case cases[] = {
        {"down the shared edge", {10, 0}, {10, 10}, false, true, 0, {{10, 3}, {10, 6}}},
        {"up it, reversed", {10, 10}, {10, 0}, false, true, 0, {{10, 6}, {10, 3}}},
        // The other way round each ring is 30 long, with two corners each: the first feature's.
        {"the longer way", {10, 0}, {10, 10}, true, true, 0, {{0, 0}, {0, 10}}},
        {"across the ring's start", {0, 10}, {10, 0}, false, true, 0, {{0, 0}}},
        {"next to each other", {10, 3}, {10, 6}, false, true, 0, {}},
        {"not both on one feature", {0, 0}, {20, 0}, false, false, -1, {}},
        {"one vertex twice", {10, 0}, {10, 0}, false, false, -1, {}},
    };
    const CShapeArray features = Neighbours();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        NeighbourStretch stretch;
        ASSERT_EQ(FindNeighbourStretch(features, SHAPE_POLYGON, c.a, c.b, c.otherWay, &stretch), c.found);
        if (c.found)
        {
            EXPECT_EQ(stretch.nFeature, c.feature);
            EXPECT_EQ(stretch.between, c.between);
            EXPECT_TRUE(stretch.bTwoWays);
        }
    }

    // Of two ways as long, the one with corners, not a straight edge past them.
    CShapeArray rightFirst;
    rightFirst.Add(features.GetAt(1));
    rightFirst.Add(features.GetAt(0));
    NeighbourStretch stretch;
    ASSERT_TRUE(FindNeighbourStretch(rightFirst, SHAPE_POLYGON, {10, 10}, {10, 0}, false, &stretch));
    EXPECT_EQ(stretch.nFeature, 1);

    // A line has one way, whichever is asked for, and no way past its ends.
    CShapeArray lines;
    CShape line;
    line.SetVertices({{0, 0}, {5, 0}, {9, 1}, {12, 4}});
    lines.Add(line);
    for (bool otherWay : {false, true})
    {
        ASSERT_TRUE(FindNeighbourStretch(lines, SHAPE_POLYLINE, {12, 4}, {0, 0}, otherWay, &stretch));
        EXPECT_EQ(stretch.between, (std::vector<CShapeVertex>{{9, 1}, {5, 0}}));
        EXPECT_FALSE(stretch.bTwoWays);
    }
}

class TraceSessionTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CImageOpening opening;
        opening.strPath = "maps/sheet.jpg";
        opening.strFullPath = "C:/maps/sheet.jpg";
        opening.strJournalFolder = "recovery/";
        opening.nHeight = 100;
        opening.points = {CGeoRefPoint(0, 100, 0, 0), CGeoRefPoint(100, 100, 100, 0), CGeoRefPoint(0, 0, 0, 100),
                          CGeoRefPoint(100, 0, 100, 100)};
        m_session.BeginOpen();
        (void)m_session.Open(opening);
        ASSERT_TRUE(m_session.FitPoints().bDone);
        ASSERT_TRUE(m_session.StartDigitising(SHAPE_POLYGON).bDone);
        const CShapeArray features = Neighbours();
        const CShape& left = features.GetAt(0);
        for (int i = 0; i + 1 < left.GetSize(); ++i)
            ASSERT_TRUE(m_session.AddVertex(left.GetAt(i).x, left.GetAt(i).y).bDone);
        ASSERT_TRUE(m_session.FinishFeature("left").bDone);
    }
    std::vector<CShapeVertex> Current() const { return m_session.Current().Vertices(); }

    CMemoryFileSystem m_files;
    CImageSession m_session{m_files};
};

TEST_F(TraceSessionTest, TheNeighboursStretchIsOneEditThatFlipsOnTheSecondAsking)
{
    ASSERT_TRUE(m_session.AddVertex(30, 10).bDone);
    ASSERT_TRUE(m_session.AddVertex(10, 10).bDone);
    ASSERT_TRUE(m_session.AddVertex(10, 0).bDone);
    const std::vector<CShapeVertex> clicked = Current();
    ASSERT_TRUE(m_session.TraceNeighbour().bDone);
    EXPECT_EQ(Current(), (std::vector<CShapeVertex>{{30, 10}, {10, 10}, {10, 6}, {10, 3}, {10, 0}}));
    ASSERT_TRUE(m_session.TraceNeighbour().bDone);
    EXPECT_EQ(Current(), (std::vector<CShapeVertex>{{30, 10}, {10, 10}, {0, 10}, {0, 0}, {10, 0}}));
    ASSERT_TRUE(m_session.TraceNeighbour().bDone);
    EXPECT_EQ(Current().size(), 5u);
    EXPECT_EQ(Current()[2], (CShapeVertex{10, 6}));

    ASSERT_TRUE(m_session.Undo().bDone);
    EXPECT_EQ(Current(), clicked);
    ASSERT_TRUE(m_session.Redo().bDone);
    EXPECT_EQ(Current()[3], (CShapeVertex{10, 3}));

    // Finished, the border is the neighbour's vertices exactly.
    ASSERT_TRUE(m_session.FinishFeature("right").bDone);
    EXPECT_EQ(m_session.Features().GetAt(1).Vertices(),
              (std::vector<CShapeVertex>{{30, 10}, {10, 10}, {10, 6}, {10, 3}, {10, 0}, {30, 10}}));

    // Two clicks that are no neighbour's vertices change nothing.
    ASSERT_TRUE(m_session.AddVertex(50, 50).bDone);
    ASSERT_TRUE(m_session.AddVertex(60, 50).bDone);
    EXPECT_FALSE(m_session.TraceNeighbour().bDone);
}

TEST_F(TraceSessionTest, ATracedPathFromTheLastVertexIsOneEdit)
{
    ASSERT_TRUE(m_session.AddVertex(40, 40).bDone);
    EXPECT_FALSE(m_session.AddTracedVertices({{41, 40}, {50, 45}}).bDone);   // not from the last vertex
    ASSERT_TRUE(m_session.AddTracedVertices({{40, 40}, {45, 42}, {50, 45}}).bDone);
    EXPECT_EQ(Current(), (std::vector<CShapeVertex>{{40, 40}, {45, 42}, {50, 45}}));
    ASSERT_TRUE(m_session.Undo().bDone);
    EXPECT_EQ(Current(), (std::vector<CShapeVertex>{{40, 40}}));
    ASSERT_TRUE(m_session.Redo().bDone);
    EXPECT_EQ(Current().size(), 3u);
}
}   // namespace
