// The journal kept in step with the features: after every step of the
// undo history (done, undone, redone) its replay is the list as it is; it
// starts whole after a save or a failure; a failed write is said once per
// failure, and a journal with nothing to restore is not offered.
#include <algorithm>
#include <functional>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "core/edit/EditHistory.h"
#include "core/io/MemoryFile.h"
#include "core/io/StagedWrite.h"
#include "core/edit/JournalWriter.h"

namespace
{
const char kFolder[] = "recovery/";

CShape Clicked(std::vector<CShapeVertex> vertices)
{
    CShape shape;
    for (const CShapeVertex& v : vertices)
        shape.Add(v.x, v.y);
    return shape;
}

std::string Describe(const CShapeArray& shapes)
{
    std::string text;
    for (int i = 0; i < shapes.GetSize(); ++i)
    {
        text += "|" + shapes.GetAt(i).m_strName;
        for (const CShapeVertex& v : shapes.GetAt(i).Vertices())
            text += " " + std::to_string(v.x) + "," + std::to_string(v.y);
    }
    return text;
}

// A document's features with a history whose every step is journaled.
class JournalOfAnImage : public testing::Test
{
protected:
    void SetUp() override
    {
        m_writer.SetImage("C:\\maps\\sheet.jpg", kFolder);
        m_history.AddListener([this](const CEdit& edit, EditStep nStep) {
            m_outcomes.push_back(m_writer.Record(edit, nStep, m_features, m_nShapeType, 1765000000 + m_nClock++));
        });
    }

    void Finish(const char* name, std::vector<CShapeVertex> vertices)
    {
        ASSERT_TRUE(
            m_history.Do(CFinishFeatureEdit(Clicked(vertices), SHAPE_POLYGON, name, m_features.GetSize()), m_target));
    }

    CRecoveredWork Replay()
    {
        CRecoveredWork work;
        const std::string& bytes = m_store.m_files[m_writer.Path()];
        EXPECT_TRUE(ReadJournal(bytes.data(), bytes.size(), &work));
        EXPECT_EQ(work.cbReplayed, bytes.size()) << "every byte belongs to a complete record";
        return work;
    }

    CMemoryFileSystem m_store;
    CJournalWriter m_writer{m_store};
    CGeoRefArray m_geoRef;
    CShapeArray m_features;
    // What the features are digitised as; the document passes its own to the writer.
    ShapeType m_nShapeType = SHAPE_POLYGON;
    CShape m_current;
    CEditTarget m_target{m_geoRef, m_features, m_nShapeType, m_current};
    CEditHistory m_history;
    std::vector<int> m_outcomes;
    int m_nClock = 0;
};
}   // namespace

TEST_F(JournalOfAnImage, ReplaysToTheListAfterEveryStepDoneUndoneOrRedone)
{
    Finish("lake", {{1, 2}, {30, 4}, {20, 40}});
    Finish("wood", {{-5, 7}, {8, 9}});
    Finish("field", {{100, 200}, {300, 400}, {100, 500}});
    // Each step: what the history does next, then the replay is compared.
    const std::vector<std::function<bool()>> steps = {
        [&] { return m_history.Do(CRenameFeatureEdit(1, m_features.GetAt(1), "old wood"), m_target); },
        [&] {
            return m_history.Do(CDeleteFeatureEdit{0, m_features.GetAt(0)}, m_target);
        },
        [&] { return m_history.Undo(m_target); },   // the lake back at 0
        [&] { return m_history.Undo(m_target); },   // the old name back
        [&] { return m_history.Redo(m_target); },
        [&] {
            return m_history.Do(CDeleteAllFeaturesEdit{m_features, SHAPE_POLYGON}, m_target);
        },
        [&] { return m_history.Undo(m_target); },   // every feature back
        [&] {
            return m_history.Do(CAddVertexEdit{{7, 7}}, m_target);
        },   // not a list change
        [&] { return m_history.Do(CFinishFeatureEdit(m_current, SHAPE_POLYGON, "pond", 3), m_target); },
        [&] { return m_history.Undo(m_target); },
        [&] { return m_history.Redo(m_target); },
        [&] {
            return m_history.Do(CDeleteFeatureEdit{3, m_features.GetAt(3)}, m_target);
        },
    };
    for (size_t i = 0; i < steps.size(); ++i)
    {
        ASSERT_TRUE(steps[i]()) << "step " << i;
        const CRecoveredWork work = Replay();
        ASSERT_EQ(Describe(work.shapes), Describe(m_features)) << "after step " << i;
        EXPECT_EQ(work.nShapeType, SHAPE_POLYGON);
    }
    EXPECT_EQ(std::count(m_store.m_opened.begin(), m_store.m_opened.end(), StagedName(m_writer.Path())), 2)
        << "appended to, but written whole for every feature coming back at once";
    EXPECT_EQ(Replay().nLastTime, 1765000000 + m_nClock - 1);
    for (int outcome : m_outcomes)
        EXPECT_NE(outcome, JOURNAL_FAILED);
}

TEST_F(JournalOfAnImage, StartsWholeAfterASaveAndAfterAFailedWrite)
{
    Finish("lake", {{1, 2}, {30, 4}});
    Finish("wood", {{5, 7}, {8, 9}});
    // Saved: the journal goes, and the next change starts one with every
    // feature, since all of them would be lost with the program.
    m_writer.Remove();
    EXPECT_TRUE(m_store.m_files.empty());
    Finish("field", {{10, 20}, {30, 40}});
    EXPECT_EQ(Describe(Replay().shapes), Describe(m_features));

    // A failed append: said, and the torn record never read; the next
    // change writes the whole list again.
    // The disk fills five bytes into the record.
    m_store.m_byteLimit[m_writer.Path()] = m_store.m_files[m_writer.Path()].size() + 5;
    Finish("pond", {{3, 3}, {4, 4}});
    EXPECT_EQ(m_outcomes.back(), JOURNAL_FAILED);
    CRecoveredWork torn;
    const std::string& bytes = m_store.m_files[m_writer.Path()];
    ASSERT_TRUE(ReadJournal(bytes.data(), bytes.size(), &torn));
    EXPECT_EQ(torn.shapes.GetSize(), 3);
    m_store.m_byteLimit.clear();
    ASSERT_TRUE(m_history.Do(CRenameFeatureEdit(0, m_features.GetAt(0), "big lake"), m_target));
    EXPECT_EQ(m_outcomes.back(), JOURNAL_WRITTEN);
    EXPECT_EQ(Describe(Replay().shapes), Describe(m_features));

    // A journal that cannot be made fails every time, and nothing else breaks.
    m_writer.Remove();
    m_store.m_unopenable.insert(StagedName(m_writer.Path()));
    Finish("marsh", {{6, 6}, {7, 7}});
    EXPECT_EQ(m_outcomes.back(), JOURNAL_FAILED);
    EXPECT_EQ(m_features.GetSize(), 5);
}

TEST_F(JournalOfAnImage, NothingIsJournaledWithoutAnImageOrWithoutAListChange)
{
    ASSERT_TRUE(m_history.Do(CAddVertexEdit{{1, 1}}, m_target));
    ASSERT_TRUE(m_history.Do(CAddPointEdit{0, CGeoRefPoint(1, 2, 3, 4)}, m_target));
    EXPECT_EQ(m_outcomes, (std::vector<int>{JOURNAL_UNCHANGED, JOURNAL_UNCHANGED}));
    EXPECT_TRUE(m_store.m_files.empty()) << "no journal before the first change of the features";
    m_writer.SetImage("", kFolder);
    Finish("lake", {{1, 2}});
    EXPECT_EQ(m_outcomes.back(), JOURNAL_UNCHANGED);
    EXPECT_TRUE(m_store.m_files.empty());
}

TEST_F(JournalOfAnImage, OffersOnlyAJournalWithFeaturesAndRemovesAnyOther)
{
    CRecoveredWork work;
    EXPECT_FALSE(m_writer.FindWork(&work)) << "none there";

    Finish("lake", {{1, 2}, {3, 4}});
    Finish("wood", {{5, 6}});
    // The program stopped; the image is opened again.
    CJournalWriter again(m_store);
    again.SetImage("C:/maps/sheet.jpg", kFolder);
    ASSERT_TRUE(again.FindWork(&work));
    EXPECT_EQ(Describe(work.shapes), Describe(m_features));
    EXPECT_EQ(work.nShapeType, SHAPE_POLYGON);

    // Everything deleted before the stop: nothing to restore, nothing kept.
    ASSERT_TRUE(m_history.Do(CDeleteAllFeaturesEdit{m_features, SHAPE_POLYGON}, m_target));
    EXPECT_FALSE(again.FindWork(&work));
    EXPECT_TRUE(m_store.m_files.empty());
    // Bytes that are no journal at all.
    m_store.m_files[again.Path()] = "not a journal";
    EXPECT_FALSE(again.FindWork(&work));
    EXPECT_TRUE(m_store.m_files.empty());
}

TEST_F(JournalOfAnImage, FeaturesBroughtBackAtOnceAreJournaledAsTheTypeTheyWereMadeAs)
{
    Finish("lake", {{1, 2}, {30, 4}, {20, 40}});
    ASSERT_TRUE(m_history.Do(CDeleteAllFeaturesEdit{m_features, SHAPE_POLYGON}, m_target));
    // Back at georeferencing, digitising is started again as points, then given up.
    m_nShapeType = SHAPE_POINT;
    ASSERT_TRUE(m_history.Undo(m_target));
    EXPECT_EQ(m_nShapeType, SHAPE_POLYGON);
    const CRecoveredWork work = Replay();
    EXPECT_EQ(Describe(work.shapes), Describe(m_features));
    EXPECT_EQ(work.nShapeType, SHAPE_POLYGON);
}
