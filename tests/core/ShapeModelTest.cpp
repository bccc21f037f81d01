#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/shape/Shape.h"
#include "tests/core/ShapeWriterFixture.h"

namespace
{

std::vector<CShapeVertex> VerticesOf(const CShape& shape) { return shape.Vertices(); }

TEST(ShapeModel, VertexEditingKeepsOrderAndIgnoresOutOfRangeRemovals)
{
    CShape shape;
    EXPECT_EQ(shape.Add(1, 2), 0);
    EXPECT_EQ(shape.Add(3, 4), 1);
    EXPECT_EQ(shape.Add(5, 6), 2);
    EXPECT_EQ(shape.Add(7, 8), 3);
    shape.RemoveAt(1, 2);
    EXPECT_EQ(VerticesOf(shape), (std::vector<CShapeVertex>{{1, 2}, {7, 8}}));
    shape.RemoveAt(5, 1);
    shape.RemoveAt(-1, 1);
    shape.RemoveAt(0, 0);
    EXPECT_EQ(shape.GetSize(), 2);
    shape.RemoveAt(1, 10);   // a count past the end stops at the end
    EXPECT_EQ(VerticesOf(shape), (std::vector<CShapeVertex>{{1, 2}}));

    RemoveLastVertex(shape);
    EXPECT_EQ(shape.GetSize(), 0);
    RemoveLastVertex(shape);   // nothing to remove: nothing happens
    EXPECT_EQ(shape.GetSize(), 0);
}

TEST(ShapeModel, CopiesAreDeep)
{
    CShape source = MakeShape({{1, 1}, {2, 2}}, "river");
    CShape copy(source);
    copy.Add(3, 3);
    copy.m_strName = "lake";
    CShape assigned = MakeShape({{9, 9}, {8, 8}, {7, 7}}, "old");
    assigned = source;
    assigned.RemoveAll();
    EXPECT_EQ(VerticesOf(source), (std::vector<CShapeVertex>{{1, 1}, {2, 2}}));
    EXPECT_EQ(source.m_strName, "river");
    EXPECT_EQ(copy.GetSize(), 3);

    CShapeArray shapes;
    EXPECT_EQ(shapes.Add(source), 0);
    source.Add(4, 4);
    EXPECT_EQ(shapes.GetAt(0).GetSize(), 2);
}

TEST(ShapeModel, ArrayAddsCopiesOfItsOwnElementsWhileGrowing)
{
    CShapeArray shapes;
    shapes.Add(MakeShape({{1, 1}}, "first"));
    // Adding an element of the same array must survive the array moving
    // its storage (AddressSanitizer watches this).
    for (int i = 1; i < 40; ++i)
        EXPECT_EQ(shapes.Add(shapes.GetAt(0)), i);
    EXPECT_EQ(shapes.GetAt(39).m_strName, "first");
    shapes.InsertAt(0, shapes.GetAt(39));
    ASSERT_EQ(shapes.GetSize(), 41);
    EXPECT_EQ(shapes.GetAt(0).m_strName, "first");
    shapes.RemoveAll();
    EXPECT_EQ(shapes.GetSize(), 0);
}

struct FinishCase
{
    const char* name;
    ShapeType type;
    std::vector<TestVertex> clicks;
    bool add;
    std::vector<CShapeVertex> stored;   // empty: nothing appended
};

void PrintTo(const FinishCase& c, std::ostream* os) { *os << c.name; }

class FinishCases : public testing::TestWithParam<FinishCase>
{};

TEST_P(FinishCases, AppendsWhatTheAnswerSaysAndEmptiesTheCurrentShape)
{
    const FinishCase& c = GetParam();
    CShapeArray shapes;
    shapes.Add(MakeShape({{0, 0}}, "earlier"));
    CShape current = MakeShape(c.clicks);
    const bool appended = FinishThroughEdit(current, c.type, c.add, "Name 1", shapes);

    EXPECT_EQ(current.GetSize(), 0);
    EXPECT_EQ(shapes.GetAt(0).m_strName, "earlier");
    if (c.stored.empty())
    {
        EXPECT_FALSE(appended);
        EXPECT_EQ(shapes.GetSize(), 1);
        return;
    }
    EXPECT_TRUE(appended);
    ASSERT_EQ(shapes.GetSize(), 2);
    EXPECT_EQ(VerticesOf(shapes.GetAt(1)), c.stored);
    EXPECT_EQ(shapes.GetAt(1).m_strName, "Name 1");
}

INSTANTIATE_TEST_SUITE_P(
    ShapeModel, FinishCases,
    testing::Values(FinishCase{"PolylineKeepsItsClicks", SHAPE_POLYLINE, {{1, 2}, {3, 4}}, true, {{1, 2}, {3, 4}}},
                    FinishCase{"PolylineOfOneClick", SHAPE_POLYLINE, {{5, 5}}, true, {{5, 5}}},
                    FinishCase{
                        "PolygonOfOneClickHoldsTwoEqualVertices", SHAPE_POLYGON, {{7, 8}}, true, {{7, 8}, {7, 8}}},
                    FinishCase{"PolygonRingIsClosed", SHAPE_POLYGON, {{1, 1}, {9, 1}}, true, {{1, 1}, {9, 1}, {1, 1}}},
                    FinishCase{"PointHoldsItsClick", SHAPE_POINT, {{4, 6}}, true, {{4, 6}}},
                    FinishCase{"DeleteDiscardsTheVertices", SHAPE_POLYGON, {{1, 1}, {2, 2}}, false, {}},
                    FinishCase{"EmptyShapeIsNeverAppended", SHAPE_POLYGON, {}, true, {}}),
    [](const testing::TestParamInfo<FinishCase>& info) { return std::string(info.param.name); });

TEST(ShapeModel, EmptyNameIsStoredAsEmpty)
{
    CShapeArray shapes;
    CShape current = MakeShape({{1, 1}});
    EXPECT_TRUE(FinishThroughEdit(current, SHAPE_POINT, true, "", shapes));
    EXPECT_EQ(shapes.GetAt(0).m_strName, "");
}

}   // namespace
