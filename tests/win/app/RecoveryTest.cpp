// The recovery journal in the program: it appears with the first finished
// feature, follows every change of the list, and goes when the features
// are saved or given up; a journal found on opening is offered back (No
// discards it, Yes restores the features with their type, fitted or not);
// a journal that cannot be written is told once, and the work goes on.
#include <gtest/gtest.h>

#include "app/RecoveryStore.h"
#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"
#include "tests/win/app/DocTestAccess.h"
#include "app/DocumentCommands.h"

using gui::ModalScript;

namespace
{
const char kSaveQuestion[] = "Do you want to save the polylines to a shapefile?";

std::string JournalOf(const std::string& image) { return CRecoveryStore::PathOf(JournalFileName(image)); }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The features the journal brings back now, by name ("lake|wood").
std::string Journaled(const std::string& image)
{
    const std::string bytes = ReadWholeFile(JournalOf(image));
    CRecoveredWork work;
    if (!ReadJournal(bytes.data(), bytes.size(), &work))
        return "(none)";
    std::string names;
    for (int i = 0; i < work.shapes.GetSize(); ++i)
        names += (i ? "|" : "") + work.shapes.GetAt(i).m_strName;
    return names;
}

void EnterDigitise(AppSession& session, int nRadioID)
{
    ModalScript script;
    script.Then(gui::ChooseShapeType(nRadioID));
    gui::RightClick(session.ViewWnd(), POINT{5, 5});
    ASSERT_EQ(session.Doc()->Session().Mode(), MODE_DIGITISE);
}

void WriteJournal(const std::string& image, ShapeType nShapeType, const std::vector<const char*>& names)
{
    std::string bytes = JournalSignature();
    CJournalRecord record;
    record.nTime = 1765000000;
    record.nShapeType = nShapeType;
    int x = 10;
    for (const char* name : names)
    {
        record.shape = CShape();
        record.shape.m_strName = name;
        record.shape.Add(x, 20);
        bytes += EncodeJournalRecord(record);
        x += 10;
    }
    WriteWholeFile(JournalOf(image), bytes);
}
}   // namespace

TEST(Recovery, JournalFollowsTheUnsavedFeaturesAndGoesWhenTheyAreSavedOrGivenUp)
{
    const std::string folder = gui::TempFolder("recovery-life");
    const std::string image = CopyFixture("map.jpg", folder, "map.jpg");
    DeleteFileA(JournalOf(image).c_str());
    AppSession session({image});
    ASSERT_TRUE(session.started);
    EnterDigitise(session, IDC_POLYLINES);
    EXPECT_FALSE(Exists(JournalOf(image))) << "nothing to keep before the first feature";

    gui::FinishFeature(session, "lake", {{10, 10}, {40, 10}});
    EXPECT_EQ(Journaled(image), "lake");
    gui::FinishFeature(session, "wood", {{5, 40}, {20, 40}});
    Follow(*session.Doc(), session.Doc()->Session().Undo());   // "wood" back to the vertices being digitised
    EXPECT_EQ(Journaled(image), "lake");
    Follow(*session.Doc(), session.Doc()->Session().Redo());
    EXPECT_EQ(Journaled(image), "lake|wood");

    // Saved: every feature is in the files, the journal goes; the next
    // change starts it again with all of them.
    ASSERT_EQ(session.SaveThroughDialog(folder + "\\roads.shp").size(), 2u);
    EXPECT_FALSE(Exists(JournalOf(image)));
    gui::FinishFeature(session, "field", {{30, 30}, {50, 40}});
    EXPECT_EQ(Journaled(image), "lake|wood|field");

    // File New, and No to the question: given up, gone.
    {
        ModalScript script;
        script.Then(ModalScript::Press(IDNO));
        session.Command(ID_FILE_NEW);
        ASSERT_EQ(script.Seen().size(), 1u);
        EXPECT_EQ(script.Seen()[0].message, kSaveQuestion);
    }
    EXPECT_FALSE(Exists(JournalOf(image)));
}

TEST(Recovery, NoDiscardsTheFeaturesAndYesRestoresThemWithTheirTypeEvenWithoutAFit)
{
    // No point file: the features come back before there is a fit.
    const std::string image = CopyFixture("map.jpg", gui::TempFolder("recovery-nofit"), "map.jpg", false);
    WriteJournal(image, SHAPE_POINT, {"well", "spring"});
    {
        std::string question;
        AppSession session({image}, {[&](HWND hBox) {
                                         question = gui::MessageText(hBox);
                                         gui::Click(hBox, IDNO);
                                     },
                                     ModalScript::Cancel()});
        EXPECT_EQ(question.rfind("Restore 2 unsaved features from ", 0), 0u) << question;
        EXPECT_EQ(session.Doc()->Session().Features().GetSize(), 0);
        EXPECT_FALSE(Exists(JournalOf(image))) << "No discards them for good";
    }
    {
        AppSession session({image});
        EXPECT_TRUE(session.startUnexpected.empty()) << "nothing offered any more";
    }

    WriteJournal(image, SHAPE_POINT, {"well", "spring"});
    AppSession session({image}, {ModalScript::Press(IDYES), ModalScript::Cancel()});
    CImageDoc* pDoc = session.Doc();
    ASSERT_EQ(pDoc->Session().Features().GetSize(), 2);
    EXPECT_EQ(pDoc->Session().Features().GetAt(1).m_strName, "spring");
    EXPECT_EQ(pDoc->Session().ShapeType(), SHAPE_POINT);
    EXPECT_EQ(pDoc->Session().Mode(), MODE_GEOREFERENCE) << "no fit to digitise with";
    EXPECT_EQ(pDoc->Session().Unsaved(), true);

    // Once fitted, digitising goes on with their type, the only one offered.
    CImageDocTestAccess::DoEdit(*pDoc, CAddPointEdit{0, CGeoRefPoint(10.5, -3.25, 10, 20)});
    CImageDocTestAccess::DoEdit(*pDoc, CAddPointEdit{1, CGeoRefPoint(100, 200, 40, 30)});
    ModalScript script;
    script.Then([](HWND hDialog) {
        EXPECT_EQ(IsDlgButtonChecked(hDialog, IDC_POINTS), BST_CHECKED);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hDialog, IDC_POLYLINES)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hDialog, IDC_POLYGONS)));
        gui::Click(hDialog, IDOK);
    });
    gui::RightClick(session.ViewWnd(), POINT{5, 5});
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_EQ(pDoc->Session().Mode(), MODE_DIGITISE);
    EXPECT_EQ(pDoc->Session().ShapeType(), SHAPE_POINT);
}

TEST(Recovery, AJournalThatCannotBeWrittenIsToldOnceAndTheWorkGoesOn)
{
    const std::string image = CopyFixture("map.jpg", gui::TempFolder("recovery-blocked"), "map.jpg");
    const std::string journal = JournalOf(image);
    DeleteFileA(journal.c_str());
    // A folder where the journal should go: it can never be made.
    ASSERT_TRUE(CreateDirectoryA(journal.c_str(), nullptr));
    AppSession session({image});
    EnterDigitise(session, IDC_POLYLINES);
    {
        ModalScript script;
        script.Then(gui::NameFeature("lake"));
        script.Then(ModalScript::Press(IDOK));
        gui::LeftClick(session.ViewWnd(), POINT{10, 10});
        gui::DoubleClick(session.ViewWnd(), POINT{40, 10});
        ASSERT_EQ(script.Seen().size(), 2u);
        EXPECT_EQ(script.Seen()[1].message,
                  "The features cannot be kept safe until they are saved: the recovery file could not be written, so "
                  "they would be lost if the program stopped now. Save them with Save As. The file: " +
                      journal);
    }
    gui::FinishFeature(session, "wood", {{5, 40}, {20, 40}});   // no second message
    gui::FinishFeature(session, "field", {{30, 30}, {50, 40}});
    EXPECT_EQ(session.Doc()->Session().Features().GetSize(), 3);
    EXPECT_FALSE(Exists(journal + ".partial")) << "no temporary left behind";
    RemoveDirectoryA(journal.c_str());
}
