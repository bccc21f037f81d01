// The recovery journal's records: what a replay brings back, and that a torn
// or damaged tail is never misread.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/journal/RecoveryJournal.h"

namespace
{
CJournalRecord Feature(const char* name, std::vector<CShapeVertex> vertices, ShapeType type = SHAPE_POLYGON)
{
    CJournalRecord record;
    record.nKind = JOURNAL_FEATURE;
    record.nTime = 1765000000;
    record.nShapeType = type;
    record.shape.m_strName = name;
    for (const CShapeVertex& v : vertices)
        record.shape.Add(v.x, v.y);
    return record;
}

CJournalRecord Edit(JournalRecordKind kind, int index, const char* name = "")
{
    CJournalRecord record;
    record.nKind = kind;
    record.nTime = 1765000100 + index;
    record.nIndex = index;
    record.shape.m_strName = name;
    return record;
}

// A journal of three features; offsets[k] is where record k ends.
std::string ThreeFeatures(std::vector<size_t>* pEnds)
{
    std::string bytes = JournalSignature();
    for (const CJournalRecord& r : {Feature("lake", {{1, 2}, {30, 4}, {20, 40}, {1, 2}}),
                                    Feature("w\xE4ldchen", {{-5, 7}, {8, 9}, {10, 11}, {-5, 7}}),
                                    Feature("", {{100, 200}, {300, 400}, {100, 500}, {100, 200}})})
    {
        bytes += EncodeJournalRecord(r);
        pEnds->push_back(bytes.size());
    }
    return bytes;
}
}

TEST(RecoveryJournal, ReplaysFeaturesAndListEditsInOrder)
{
    std::string bytes = JournalSignature();
    for (const CJournalRecord& r : {Feature("a", {{1, 1}}, SHAPE_POINT), Edit(JOURNAL_CLEAR, 0),
                                    Feature("road", {{0, 0}, {5, 5}}, SHAPE_POLYLINE),
                                    Feature("track", {{9, 9}, {7, 7}, {2147483647, -2147483647 - 1}}, SHAPE_POLYLINE),
                                    Feature("river", {{3, 3}, {4, 4}}, SHAPE_POLYLINE),
                                    Edit(JOURNAL_RENAME, 1, "old track"), Edit(JOURNAL_DELETE, 0)})
        bytes += EncodeJournalRecord(r);

    CRecoveredWork work;
    ASSERT_TRUE(ReadJournal(bytes.data(), bytes.size(), &work));
    EXPECT_EQ(work.nRecords, 7);
    EXPECT_EQ(work.cbReplayed, bytes.size());
    EXPECT_EQ(work.nShapeType, SHAPE_POLYLINE);
    EXPECT_EQ(work.nLastTime, 1765000100);
    ASSERT_EQ(work.shapes.GetSize(), 2);
    EXPECT_EQ(work.shapes.GetAt(0).m_strName, "old track");
    EXPECT_EQ(work.shapes.GetAt(0).GetAt(2), (CShapeVertex{2147483647, -2147483647 - 1}));
    EXPECT_EQ(work.shapes.GetAt(1).m_strName, "river");

    EXPECT_FALSE(ReadJournal("QVXJRNL2", 8, &work)) << "not a journal";
    EXPECT_FALSE(ReadJournal("", 0, &work));
}

TEST(RecoveryJournal, EveryTruncationRestoresExactlyTheCompleteRecords)
{
    std::vector<size_t> ends;
    const std::string bytes = ThreeFeatures(&ends);
    for (size_t cut = 8; cut <= bytes.size(); ++cut)
    {
        CRecoveredWork work;
        ASSERT_TRUE(ReadJournal(bytes.data(), cut, &work));
        int complete = 0;
        while (complete < 3 && ends[static_cast<size_t>(complete)] <= cut)
            ++complete;
        ASSERT_EQ(work.nRecords, complete) << "cut at " << cut;
        ASSERT_EQ(work.shapes.GetSize(), complete);
        EXPECT_EQ(work.cbReplayed, complete ? ends[static_cast<size_t>(complete - 1)] : 8u);
    }
}

TEST(RecoveryJournal, AFlippedByteStopsTheReplayAtItsRecord)
{
    std::vector<size_t> ends;
    const std::string good = ThreeFeatures(&ends);
    for (size_t at = 8; at < good.size(); ++at)
        for (const unsigned char mask : {0x01, 0x80, 0xFF})
        {
            std::string bytes = good;
            bytes[at] = static_cast<char>(bytes[at] ^ mask);
            int damaged = 0;
            while (ends[static_cast<size_t>(damaged)] <= at)
                ++damaged;
            CRecoveredWork work;
            ASSERT_TRUE(ReadJournal(bytes.data(), bytes.size(), &work));
            ASSERT_EQ(work.nRecords, damaged) << "byte " << at << " ^ " << int(mask);
        }
}

TEST(RecoveryJournal, AnEditOfAFeatureThatIsNotThereEndsTheReplay)
{
    std::string bytes = JournalSignature() + EncodeJournalRecord(Feature("only", {{1, 1}})) +
                        EncodeJournalRecord(Edit(JOURNAL_DELETE, 1)) + EncodeJournalRecord(Feature("later", {{2, 2}}));
    CRecoveredWork work;
    ASSERT_TRUE(ReadJournal(bytes.data(), bytes.size(), &work));
    EXPECT_EQ(work.nRecords, 1);
    EXPECT_EQ(work.shapes.GetSize(), 1);
}

TEST(RecoveryJournal, ACodeWeNeverWriteEndsTheReplay)
{
    // Whole records with a good checksum: only the kind or the shape type is foreign.
    const std::string payload = EncodeJournalRecord(Feature("a", {{1, 1}})).substr(8);
    std::string foreignKind = payload, foreignType = payload;
    foreignKind[0] = static_cast<char>(200);
    foreignType[1 + 8] = 2;   // after the kind and the time
    for (const std::string& bad : {foreignKind, foreignType})
    {
        std::string record(8, '\0');
        const uint32_t fields[2] = {static_cast<uint32_t>(bad.size()),
                                    static_cast<uint32_t>(Crc32(bad.data(), bad.size()))};
        for (size_t k = 0; k < 8; ++k)
            record[k] = static_cast<char>(fields[k / 4] >> (8 * (k % 4)));
        const std::string bytes = JournalSignature() + EncodeJournalRecord(Feature("b", {{2, 2}})) + record + bad;
        CRecoveredWork work;
        ASSERT_TRUE(ReadJournal(bytes.data(), bytes.size(), &work));
        EXPECT_EQ(work.nRecords, 1);
    }
}

TEST(RecoveryJournal, NameFollowsTheImagePathInAnyLetterCase)
{
    const std::string name = JournalFileName("C:\\Maps\\Sheet 12.jpg");
    EXPECT_EQ(name.rfind("Sheet 12.jpg-", 0), 0u) << name;
    EXPECT_EQ(name.size(), std::string("Sheet 12.jpg-").size() + 16 + std::string(".journal").size());
    EXPECT_EQ(JournalFileName("c:/maps/SHEET 12.JPG").substr(13), name.substr(13));
    EXPECT_NE(JournalFileName("C:\\Other\\Sheet 12.jpg"), name);
    EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926ul);
}

TEST(RecoveryJournal, EveryCutOfAJournalOfEveryKindReplaysItsCompleteRecords)
{
    CJournalRecord back = Feature("back", {{4, 4}, {6, 6}}, SHAPE_POLYLINE);
    back.nKind = JOURNAL_INSERT;
    back.nIndex = 1;
    back.shape.m_nSource = 7;   // a record of the file the features were opened from
    CJournalRecord source = Edit(JOURNAL_SOURCE, 0);
    source.strSource = "C:\\Maps\\roads.shp";
    source.nFingerprint = 0xCBF43926ul;
    // Attribute fields, a feature with values and a cell changed.
    CJournalRecord fields = Edit(JOURNAL_FIELDS, 0);
    fields.fields.resize(2);
    fields.fields[0].def = {"HEIGHT", FieldType::Integer, 6, 0};
    fields.fields[0].nSourceField = 3;
    fields.fields[1].def = {"KIND", FieldType::Text, 12, 0};
    fields.fields[1].defaultValue = "road";
    fields.fields[1].bReuseLast = true;
    CJournalRecord a = Feature("a", {{1, 1}, {2, 2}}, SHAPE_POLYLINE);
    a.shape.m_values = {FieldValue("120"), FieldValue()};
    CJournalRecord value = Edit(JOURNAL_VALUE, 1);
    value.nField = 1;
    value.value = "track";
    const std::vector<CJournalRecord> records = {source,
                                                 fields,
                                                 a,
                                                 Feature("b", {{3, 3}, {5, 5}}, SHAPE_POLYLINE),
                                                 value,
                                                 Edit(JOURNAL_DELETE, 0),
                                                 back,
                                                 Edit(JOURNAL_RENAME, 0, "b2"),
                                                 Edit(JOURNAL_CLEAR, 0),
                                                 back};
    std::string bytes = JournalSignature();
    std::vector<size_t> ends;
    for (const CJournalRecord& r : records)
    {
        bytes += EncodeJournalRecord(r);
        ends.push_back(bytes.size());
    }
    // Fully replayed: b at 0 then renamed, back inserted after it; cleared;
    // an insertion beyond the end of an empty list ends the replay.
    CRecoveredWork whole;
    ASSERT_TRUE(ReadJournal(bytes.data(), bytes.size(), &whole));
    EXPECT_EQ(whole.nRecords, 9);
    EXPECT_EQ(whole.shapes.GetSize(), 0);
    EXPECT_EQ(whole.strSource, source.strSource);
    EXPECT_EQ(whole.nFingerprint, source.nFingerprint);

    for (size_t cut = 8; cut <= bytes.size(); ++cut)
    {
        size_t complete = 0;
        while (complete < ends.size() && ends[complete] <= cut)
            ++complete;
        // What the complete records alone give.
        CRecoveredWork expected, work;
        const size_t cbExpected = complete ? ends[complete - 1] : 8;
        ASSERT_TRUE(ReadJournal(bytes.data(), cbExpected, &expected));
        ASSERT_TRUE(ReadJournal(bytes.data(), cut, &work));
        ASSERT_EQ(work.nRecords, expected.nRecords) << "cut at " << cut;
        ASSERT_EQ(work.shapes.GetSize(), expected.shapes.GetSize()) << "cut at " << cut;
        for (int i = 0; i < work.shapes.GetSize(); ++i)
        {
            EXPECT_EQ(work.shapes.GetAt(i).m_strName, expected.shapes.GetAt(i).m_strName);
            EXPECT_EQ(work.shapes.GetAt(i).Vertices(), expected.shapes.GetAt(i).Vertices());
            EXPECT_EQ(work.shapes.GetAt(i).m_nSource, expected.shapes.GetAt(i).m_nSource);
            EXPECT_EQ(work.shapes.GetAt(i).m_values, expected.shapes.GetAt(i).m_values);
        }
    }
    CRecoveredWork values;
    ASSERT_TRUE(ReadJournal(bytes.data(), ends[4], &values));
    ASSERT_EQ(values.shapes.Fields().size(), 2u);
    EXPECT_EQ(values.shapes.Fields()[0].nSourceField, 3);
    EXPECT_EQ(values.shapes.Fields()[1].defaultValue, FieldValue("road"));
    EXPECT_TRUE(values.shapes.Fields()[1].bReuseLast);
    EXPECT_EQ(values.shapes.GetAt(0).m_values, a.shape.m_values);
    EXPECT_EQ(values.shapes.GetAt(1).Value(1), FieldValue("track"));
    CRecoveredWork four;
    ASSERT_TRUE(ReadJournal(bytes.data(), ends[7], &four));
    ASSERT_EQ(four.shapes.GetSize(), 2);
    EXPECT_EQ(four.shapes.GetAt(0).m_strName, "b2");
    EXPECT_EQ(four.shapes.GetAt(1).m_strName, "back");
    EXPECT_EQ(four.shapes.GetAt(1).GetAt(1), (CShapeVertex{6, 6}));
    EXPECT_EQ(four.shapes.GetAt(1).m_nSource, 7);
    EXPECT_EQ(four.shapes.GetAt(0).m_nSource, -1);
}
