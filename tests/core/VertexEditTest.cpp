// Editing the vertices of finished features: the rules of a polygon's
// closed ring and the fewest vertices a feature keeps, and the session's
// verbs as steps of the undo history whose every step the recovery journal
// replays to the features the session holds.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/io/MemoryFile.h"
#include "core/journal/RecoveryJournal.h"
#include "core/session/ImageSession.h"
#include "core/shape/VertexEdit.h"

namespace
{
using Vertices = std::vector<CShapeVertex>;

std::string Describe(const Vertices& vertices)
{
    std::string text;
    for (const CShapeVertex& v : vertices)
        text += " " + std::to_string(v.x) + "," + std::to_string(v.y);
    return text;
}

std::string Describe(const CShapeArray& features)
{
    std::string text;
    for (int i = 0; i < features.GetSize(); ++i)
        text += "|" + features.GetAt(i).m_strName + Describe(features.GetAt(i).Vertices());
    return text;
}
}   // namespace

TEST(VertexEdit, ARingsClosingCopyFollowsItsFirstVertexAndFeaturesKeepTheirFewest)
{
    const Vertices square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
    const Vertices triangle = {{0, 0}, {10, 0}, {10, 10}, {0, 0}};
    const Vertices line = {{0, 0}, {10, 0}, {20, 5}};
    enum Op
    {
        Move,
        Insert,
        Delete
    };
    const struct
    {
        const char* name;
        Vertices vertices;
        ShapeType type;
        Op op;
        int index;
        VertexEditResult result;
        Vertices after;
    } cases[] = {
        {"move a ring's first",
         square,
         SHAPE_POLYGON,
         Move,
         0,
         VertexEditResult::Done,
         {{-5, -5}, {10, 0}, {10, 10}, {0, 10}, {-5, -5}}},
        {"move a ring's corner",
         square,
         SHAPE_POLYGON,
         Move,
         2,
         VertexEditResult::Done,
         {{0, 0}, {10, 0}, {-5, -5}, {0, 10}, {0, 0}}},
        {"a ring's closing copy is no vertex", square, SHAPE_POLYGON, Move, 4, VertexEditResult::NoSuchVertex, square},
        {"move a line's last", line, SHAPE_POLYLINE, Move, 2, VertexEditResult::Done, {{0, 0}, {10, 0}, {-5, -5}}},
        {"insert on a ring's closing segment",
         square,
         SHAPE_POLYGON,
         Insert,
         3,
         VertexEditResult::Done,
         {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {-5, -5}, {0, 0}}},
        {"insert on a line",
         line,
         SHAPE_POLYLINE,
         Insert,
         0,
         VertexEditResult::Done,
         {{0, 0}, {-5, -5}, {10, 0}, {20, 5}}},
        {"no segment after a line's last", line, SHAPE_POLYLINE, Insert, 2, VertexEditResult::NoSuchVertex, line},
        {"no segment on a point", {{3, 3}}, SHAPE_POINT, Insert, 0, VertexEditResult::NoSuchVertex, {{3, 3}}},
        {"delete a ring's first: it closes on the next",
         square,
         SHAPE_POLYGON,
         Delete,
         0,
         VertexEditResult::Done,
         {{10, 0}, {10, 10}, {0, 10}, {10, 0}}},
        {"delete a ring's corner",
         square,
         SHAPE_POLYGON,
         Delete,
         3,
         VertexEditResult::Done,
         {{0, 0}, {10, 0}, {10, 10}, {0, 0}}},
        {"a triangle keeps three", triangle, SHAPE_POLYGON, Delete, 1, VertexEditResult::TooFew, triangle},
        {"a line of three loses one", line, SHAPE_POLYLINE, Delete, 1, VertexEditResult::Done, {{0, 0}, {20, 5}}},
        {"a line keeps two", {{0, 0}, {1, 1}}, SHAPE_POLYLINE, Delete, 0, VertexEditResult::TooFew, {{0, 0}, {1, 1}}},
        {"a point keeps its one", {{3, 3}}, SHAPE_POINT, Delete, 0, VertexEditResult::TooFew, {{3, 3}}},
        {"no such vertex", line, SHAPE_POLYLINE, Delete, -1, VertexEditResult::NoSuchVertex, line},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        Vertices vertices = c.vertices;
        const VertexEditResult result = c.op == Move     ? MoveVertex(vertices, c.type, c.index, {-5, -5})
                                        : c.op == Insert ? InsertVertex(vertices, c.type, c.index, {-5, -5})
                                                         : DeleteVertex(vertices, c.type, c.index);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(Describe(vertices), Describe(c.after));
    }
}

class VertexEditSessionTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CImageOpening opening;
        opening.strPath = "maps/sheet.jpg";
        opening.strFullPath = "C:/maps/sheet.jpg";
        opening.strJournalFolder = "recovery/";
        opening.nHeight = 100;
        opening.points = {CGeoRefPoint(100, 900, 10, 10), CGeoRefPoint(900, 900, 90, 10),
                          CGeoRefPoint(100, 100, 10, 90)};
        m_session.BeginOpen();
        (void)m_session.Open(opening);
        ASSERT_TRUE(m_session.FitPoints().bDone);
        ASSERT_TRUE(m_session.StartDigitising(SHAPE_POLYGON).bDone);
        for (CShapeVertex v : Vertices{{10, 10}, {50, 10}, {50, 50}})
            ASSERT_TRUE(m_session.AddVertex(v.x, v.y).bDone);
        ASSERT_TRUE(m_session.FinishFeature("lake").bDone);
    }

    // What a restore after a kill would bring back now.
    std::string Journaled()
    {
        CRecoveredWork work;
        const std::string& bytes = m_files.m_files[m_session.JournalPath()];
        EXPECT_TRUE(ReadJournal(bytes.data(), bytes.size(), &work));
        EXPECT_EQ(work.cbReplayed, bytes.size()) << "every record replays";
        return Describe(work.shapes);
    }

    CMemoryFileSystem m_files;
    CImageSession m_session{m_files};
};

TEST_F(VertexEditSessionTest, EachVertexEditIsOneStepThatTheJournalReplaysUndoneAndRedone)
{
    const struct
    {
        const char* name;
        std::function<CSessionOutcome(CImageSession&)> verb;
        EditName edit;
        const char* after;
    } steps[] = {
        {"move the first", [](CImageSession& s) { return s.MoveFeatureVertex(0, 0, 5, 5); }, EditName::MoveVertex,
         "|lake 5,5 50,10 50,50 5,5"},
        {"insert on the closing segment", [](CImageSession& s) { return s.InsertFeatureVertex(0, 2, 20, 40); },
         EditName::InsertVertex, "|lake 5,5 50,10 50,50 20,40 5,5"},
        {"delete the first", [](CImageSession& s) { return s.DeleteFeatureVertex(0, 0); }, EditName::DeleteVertex,
         "|lake 50,10 50,50 20,40 50,10"},
    };
    std::vector<std::string> states = {Describe(m_session.Features())};
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.name);
        const CSessionOutcome outcome = step.verb(m_session);
        ASSERT_TRUE(outcome.bDone);
        ASSERT_NE(outcome.pEdit, nullptr);
        EXPECT_EQ(outcome.pEdit->Name(), step.edit);
        EXPECT_EQ(Describe(m_session.Features()), step.after);
        EXPECT_EQ(Journaled(), step.after);
        EXPECT_TRUE(m_session.Unsaved());
        states.push_back(step.after);
    }
    // Back to the start and forward again, the journal in step all along.
    for (size_t i = states.size() - 1; i > 0; --i)
    {
        ASSERT_TRUE(m_session.Undo().bDone);
        EXPECT_EQ(Describe(m_session.Features()), states[i - 1]);
        EXPECT_EQ(Journaled(), states[i - 1]);
    }
    for (size_t i = 1; i < states.size(); ++i)
    {
        ASSERT_TRUE(m_session.Redo().bDone);
        EXPECT_EQ(Journaled(), states[i]);
    }
    EXPECT_EQ(Describe(m_session.Features()), states.back());
}

TEST_F(VertexEditSessionTest, TooFewVerticesIsRefusedAndNothingElseIsAStep)
{
    const std::string before = Describe(m_session.Features());
    const CEdit* pLast = m_session.History().NextUndo();
    const CSessionOutcome refused = m_session.DeleteFeatureVertex(0, 1);
    EXPECT_FALSE(refused.bDone);
    ASSERT_EQ(refused.messages.size(), 1u);
    EXPECT_EQ(refused.messages[0].nNotice, NOTICE_TOO_FEW_VERTICES);
    EXPECT_EQ(refused.messages[0].nCount, 3);
    // Not a step: a vertex left where it is, one that is not there, a feature that is not there.
    EXPECT_FALSE(m_session.MoveFeatureVertex(0, 1, 50, 10).bDone);
    EXPECT_FALSE(m_session.MoveFeatureVertex(0, 3, 1, 1).bDone);
    EXPECT_FALSE(m_session.InsertFeatureVertex(1, 0, 1, 1).bDone);
    EXPECT_EQ(Describe(m_session.Features()), before);
    EXPECT_EQ(m_session.History().NextUndo(), pLast);
}

TEST_F(VertexEditSessionTest, EditVerticesIsAStateOfDigitisingOnly)
{
    EXPECT_FALSE(m_session.VertexEditing());
    EXPECT_TRUE(m_session.SetVertexEditing(true).bDone);
    EXPECT_TRUE(m_session.VertexEditing());
    EXPECT_FALSE(m_session.SetVertexEditing(true).bDone);
    // Back to georeferencing ends it, and digitising again does not bring it back on.
    ASSERT_TRUE(m_session.BackToGeoreferencing().bDone);
    EXPECT_FALSE(m_session.VertexEditing());
    EXPECT_FALSE(m_session.SetVertexEditing(true).bDone);
    ASSERT_TRUE(m_session.Undo().bDone);
    EXPECT_EQ(m_session.Mode(), MODE_DIGITISE);
    EXPECT_FALSE(m_session.VertexEditing());
}
