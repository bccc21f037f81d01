// Edits as values: each kind applied, undone and redone through the
// history leaves the document exactly as it was at each step, the
// listeners hear every step with its edit, and an edit that does not fit
// changes nothing.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/edit/EditHistory.h"

namespace
{

// What an edit may change, compared as a whole.
struct State
{
    CGeoRefArray geoRef;
    CShapeArray features;
    ShapeType nShapeType = SHAPE_POLYLINE;
    CShape current;

    std::string Describe() const { return DescribeGeoRef() + DescribeFeatures() + "|current" + Vertices(current); }

    std::string DescribeGeoRef() const
    {
        std::string text = "fit " + std::to_string(FitModelIndex(geoRef.m_nFitModel));
        for (const CGeoRefPoint& p : geoRef.m_points)
            text += ";" + std::to_string(p.m_dMapX) + "," + std::to_string(p.m_dMapY) + "@" +
                    std::to_string(p.m_nPixelX) + "," + std::to_string(p.m_nPixelY) + p.m_strMapX;
        return text;
    }

    std::string DescribeFeatures() const
    {
        std::string text;
        for (int i = 0; i < features.GetSize(); ++i)
            text += "|" + features.GetAt(i).m_strName + Vertices(features.GetAt(i));
        return text;
    }

    static std::string Vertices(const CShape& shape)
    {
        std::string text;
        for (const CShapeVertex& v : shape.Vertices())
            text += " " + std::to_string(v.x) + "," + std::to_string(v.y);
        return text;
    }
};

CShape MakeShape(std::vector<CShapeVertex> vertices, const std::string& name = "")
{
    CShape shape;
    for (const CShapeVertex& v : vertices)
        shape.Add(v.x, v.y);
    shape.m_strName = name;
    return shape;
}

State Start()
{
    State s;
    s.geoRef.SetImageHeight(100);
    CGeoRefPoint typed(7.25, 45.0, 90, 80);
    typed.m_strMapX = "7 15 00 E";
    s.geoRef.m_points = {CGeoRefPoint(7.0, 45.0, 10, 80), typed, CGeoRefPoint(7.0, 45.1, 12, 10)};
    s.features.Add(MakeShape({{1, 1}, {5, 5}}, "road"));
    s.current = MakeShape({{20, 20}, {30, 25}});
    return s;
}

std::vector<CEdit> EveryKind(const State& s)
{
    CGeoRefPoint moved = s.geoRef.m_points[1];
    moved.m_nPixelX = 95;
    CGeoRefPoint retyped = s.geoRef.m_points[0];
    retyped.m_dMapX = 6.99;
    retyped.m_strMapX = "6 59 24 E";
    return {
        CAddPointEdit{1, CGeoRefPoint(7.1, 45.05, 50, 40)},
        CDeletePointEdit{2, s.geoRef.m_points[2]},
        CChangePointEdit{1, s.geoRef.m_points[1], moved},
        CChangePointEdit{0, s.geoRef.m_points[0], retyped},
        CDeleteAllPointsEdit{s.geoRef.m_points},
        CSetFitModelEdit{FitModel::RotationScales, FitModel::Affine},
        CAddVertexEdit{{40, 41}},
        CRemoveVertexEdit{s.current.GetAt(1)},
        CFinishFeatureEdit(s.current, SHAPE_POLYGON, "lake", 1),
        CDiscardFeatureEdit{s.current},
        CDeleteAllFeaturesEdit{s.features, SHAPE_POLYLINE},
        CRenameFeatureEdit(0, s.features.GetAt(0), "track"),
        CDeleteFeatureEdit{0, s.features.GetAt(0)},
    };
}

TEST(EditHistory, EveryKindUndoesAndRedoesToTheSameState)
{
    const State start = Start();
    for (const CEdit& edit : EveryKind(start))
    {
        SCOPED_TRACE(static_cast<int>(edit.Name()));
        State s = Start();
        CEditTarget target{s.geoRef, s.features, s.nShapeType, s.current};
        CEditHistory history;
        ASSERT_TRUE(history.Do(edit, target));
        const std::string after = s.Describe();
        EXPECT_NE(after, start.Describe()) << "the edit changed something";
        ASSERT_TRUE(history.Undo(target));
        EXPECT_EQ(s.Describe(), start.Describe());
        ASSERT_TRUE(history.Redo(target));
        EXPECT_EQ(s.Describe(), after);
    }
}

// The windows, the point file and the journal follow an edit by its scope:
// a kind must change nothing outside it.
TEST(EditHistory, EveryKindChangesOnlyWhatItsScopeSays)
{
    const State start = Start();
    for (const CEdit& edit : EveryKind(start))
    {
        SCOPED_TRACE(static_cast<int>(edit.Name()));
        State s = Start();
        CEditTarget target{s.geoRef, s.features, s.nShapeType, s.current};
        ASSERT_TRUE(edit.Apply(true, target));
        const EditScope scope = edit.Scope();
        EXPECT_EQ(s.DescribeGeoRef() == start.DescribeGeoRef(), scope != EditScope::Georeference);
        EXPECT_EQ(s.DescribeFeatures() == start.DescribeFeatures(), scope != EditScope::Features);
        if (scope == EditScope::Georeference)
        {
            EXPECT_EQ(State::Vertices(s.current), State::Vertices(start.current));
        }
    }
    // A point dragged is moved; one with new map coordinates, edited.
    const std::vector<CEdit> kinds = EveryKind(start);
    EXPECT_EQ(kinds[2].Name(), EditName::MovePoint);
    EXPECT_EQ(kinds[3].Name(), EditName::EditPoint);
}

TEST(EditHistory, FinishingStoresTheFeatureAsTheWriterExpectsAndUndoGivesTheClicksBack)
{
    State s = Start();
    CEditTarget target{s.geoRef, s.features, s.nShapeType, s.current};
    CEditHistory history;
    ASSERT_TRUE(history.Do(CFinishFeatureEdit(s.current, SHAPE_POLYGON, "lake", 1), target));
    ASSERT_EQ(s.features.GetSize(), 2);
    const CShape& lake = s.features.GetAt(1);
    EXPECT_EQ(lake.m_strName, "lake");
    ASSERT_EQ(lake.GetSize(), 3) << "the ring is closed";
    EXPECT_EQ(lake.GetAt(2), lake.GetAt(0));
    EXPECT_EQ(s.current.GetSize(), 0);
    ASSERT_TRUE(history.Undo(target));
    EXPECT_EQ(s.current.GetSize(), 2) << "the two clicks, to go on with";
    EXPECT_EQ(s.features.GetSize(), 1);
}

TEST(EditHistory, ChangesOfThePointsRefitAtOnce)
{
    State s = Start();
    CEditTarget target{s.geoRef, s.features, s.nShapeType, s.current};
    CEditHistory history;
    ASSERT_TRUE(history.Do(CSetFitModelEdit{FitModel::RotationScales, FitModel::Helmert}, target));
    EXPECT_TRUE(s.geoRef.m_bValid);
    EXPECT_EQ(s.geoRef.m_nFittedModel, FitModel::Helmert);
    ASSERT_TRUE(history.Do(CDeleteAllPointsEdit{s.geoRef.m_points}, target));
    EXPECT_FALSE(s.geoRef.m_bValid) << "no fit of points that are gone";
    ASSERT_TRUE(history.Undo(target));
    EXPECT_TRUE(s.geoRef.m_bValid);
}

TEST(EditHistory, ListenersHearEachStepAndANewEditDropsTheRedo)
{
    State s = Start();
    CEditTarget target{s.geoRef, s.features, s.nShapeType, s.current};
    CEditHistory history;
    std::vector<std::pair<EditName, EditStep>> heard;
    history.AddListener([&heard](const CEdit& edit, EditStep nStep) { heard.push_back({edit.Name(), nStep}); });
    ASSERT_TRUE(history.Do(CAddVertexEdit{{1, 2}}, target));
    ASSERT_TRUE(history.Do(CAddVertexEdit{{3, 4}}, target));
    ASSERT_TRUE(history.Undo(target));
    ASSERT_TRUE(history.Redo(target));
    ASSERT_TRUE(history.Undo(target));
    ASSERT_NE(history.NextRedo(), nullptr);
    ASSERT_TRUE(history.Do(CRemoveVertexEdit{CShapeVertex{1, 2}}, target));
    EXPECT_EQ(history.NextRedo(), nullptr);
    const std::vector<std::pair<EditName, EditStep>> expected = {
        {EditName::AddVertex, EditStep::Done},   {EditName::AddVertex, EditStep::Done},
        {EditName::AddVertex, EditStep::Undone}, {EditName::AddVertex, EditStep::Redone},
        {EditName::AddVertex, EditStep::Undone}, {EditName::RemoveVertex, EditStep::Done},
    };
    EXPECT_EQ(heard, expected);
    history.Clear();
    EXPECT_FALSE(history.Undo(target));
    EXPECT_FALSE(history.Redo(target));
}

TEST(EditHistory, AnEditThatDoesNotFitChangesNothingAndIsNotKept)
{
    State s = Start();
    const std::string before = s.Describe();
    CEditTarget target{s.geoRef, s.features, s.nShapeType, s.current};
    CEditHistory history;
    int heard = 0;
    history.AddListener([&heard](const CEdit&, EditStep) { ++heard; });
    EXPECT_FALSE(history.Do(CDeletePointEdit{7, CGeoRefPoint()}, target));
    EXPECT_FALSE(history.Do(CAddPointEdit{-1, CGeoRefPoint()}, target));
    EXPECT_FALSE(history.Do(CRenameFeatureEdit(3, CShape(), "x"), target));
    EXPECT_FALSE(history.Do(CFinishFeatureEdit(s.current, SHAPE_POLYLINE, "x", 9), target));
    EXPECT_EQ(s.Describe(), before);
    EXPECT_EQ(history.NextUndo(), nullptr);
    EXPECT_EQ(heard, 0);
}

}   // namespace
