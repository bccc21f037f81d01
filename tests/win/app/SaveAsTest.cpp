// Save As of the digitised features, Ctrl+S, and the question before the
// program closes or opens another image: a feature counts as saved only
// after a save that succeeded, and a Yes whose save failed or was
// cancelled keeps the program and the features as they were.
#include <gtest/gtest.h>

#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"

using gui::ModalScript;

namespace
{
const char kSaveQuestion[] = "Do you want to save the polylines to a shapefile?";

// The test map in digitise mode (polygons) with one finished feature.
void DigitiseOneFeature(AppSession& session)
{
    ASSERT_TRUE(session.started);
    ASSERT_EQ(gui::DigitiseFeature(session.ViewWnd(), IDC_POLYGONS, "field", {{10, 10}, {40, 10}, {40, 30}}), 2u);
    ASSERT_EQ(session.Doc()->Session().Features().GetSize(), 1);
    ASSERT_EQ(session.Doc()->Session().Unsaved(), true);
}

std::string MapIn(const std::string& folder) { return CopyFixture("map.jpg", gui::TempFolder(folder), "map.jpg"); }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int32_t Little32(const std::string& bytes, size_t at)
{
    return static_cast<int32_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8 |
                                static_cast<unsigned char>(bytes[at + 2]) << 16 |
                                static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24);
}
}

TEST(SaveAs, CancelledSaveAsLeavesTheFeaturesUnsavedSoExitStillAsks)
{
    std::string folder = gui::TempFolder("saveas-cancel");
    AppSession session({MapIn("saveas-cancel")});
    DigitiseOneFeature(session);
    {
        ModalScript script;
        script.Then(ModalScript::Cancel());
        session.Command(ID_FILE_SAVE_AS);
        ASSERT_EQ(script.Seen().size(), 1u) << "nothing shown after a cancelled dialog";
        EXPECT_TRUE(script.Unexpected().empty());
    }
    EXPECT_EQ(session.Doc()->Session().Unsaved(), true);

    // No still closes, and writes nothing.
    HWND hFrame = session.FrameWnd();
    ModalScript script;
    script.Then(ModalScript::Press(IDNO));
    session.Command(ID_APP_EXIT);
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_EQ(script.Seen()[0].message, kSaveQuestion);
    EXPECT_FALSE(IsWindow(hFrame));
}

TEST(SaveAs, YesWithACancelledOrFailedSaveKeepsTheProgramAndItsFeatures)
{
    std::string folder = gui::TempFolder("saveas-keep");
    AppSession session({MapIn("saveas-keep")});
    DigitiseOneFeature(session);
    HWND hFrame = session.FrameWnd();

    // Exit, Yes, then the file dialog cancelled.
    {
        ModalScript script;
        script.Then(ModalScript::Press(IDYES));
        script.Then(ModalScript::Cancel());
        session.Command(ID_APP_EXIT);
        ASSERT_EQ(script.Seen().size(), 2u);
        EXPECT_EQ(script.Seen()[0].message, kSaveQuestion);
    }
    ASSERT_TRUE(IsWindow(hFrame));
    EXPECT_EQ(session.Doc()->Session().Features().GetSize(), 1);
    EXPECT_EQ(session.Doc()->Session().Unsaved(), true);

    // Exit, Yes, then a save that fails: a main file named as its own
    // table is refused by the writers.
    std::string bad = folder + "\\bad.dbf";
    {
        ModalScript script;
        script.Then(ModalScript::Press(IDYES));
        script.Then(ModalScript::OpenFile(bad));
        script.Then(ModalScript::Press(IDOK));
        session.Command(ID_APP_EXIT);
        ASSERT_EQ(script.Seen().size(), 3u);
        EXPECT_EQ(script.Seen()[2].message, "An error occurred whilst saving the file " + bad);
    }
    ASSERT_TRUE(IsWindow(hFrame));
    EXPECT_EQ(session.Doc()->Session().Unsaved(), true);

    // Opening another image: Yes and a cancelled save keep this image.
    std::string other = CopyFixture("other.jpg", folder, "other.jpg");
    std::string current = session.Doc()->GetPathName();
    std::vector<gui::SeenWindow> seen =
        session.OpenThroughDialog(other, {ModalScript::Press(IDYES), ModalScript::Cancel()});
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1].message, kSaveQuestion);
    EXPECT_EQ(session.Doc()->GetPathName(), current);
    EXPECT_EQ(session.Doc()->Image().Width(), 64);
    EXPECT_EQ(session.Doc()->Session().Features().GetSize(), 1);
    EXPECT_EQ(session.Doc()->Session().Mode(), MODE_DIGITISE);

    // Yes and a save that succeeds lets the program close.
    std::string good = folder + "\\good.shp";
    ModalScript script;
    script.Then(ModalScript::Press(IDYES));
    script.Then(ModalScript::OpenFile(good));
    script.Then(ModalScript::Press(IDOK));
    session.Command(ID_APP_EXIT);
    ASSERT_EQ(script.Seen().size(), 3u);
    EXPECT_EQ(script.Seen()[2].message, "File saved as " + good);
    EXPECT_FALSE(IsWindow(hFrame));
    EXPECT_TRUE(Exists(good));
}

TEST(SaveAs, ReplacesExistingFilesWithoutAQuestion)
{
    std::string folder = gui::TempFolder("saveas-replace");
    AppSession session({MapIn("saveas-replace")});
    DigitiseOneFeature(session);
    std::string shp = folder + "\\roads.shp";
    for (const char* ext : {".shp", ".shx", ".dbf"})
        WriteWholeFile(folder + "\\roads" + ext, std::string(3000, 'x'));

    ModalScript script;
    script.Then(ModalScript::OpenFile(folder + "\\roads"));
    script.Then(ModalScript::Press(IDOK));
    session.Command(ID_FILE_SAVE_AS);
    ASSERT_EQ(script.Seen().size(), 2u) << "no question about the existing file";
    EXPECT_TRUE(script.Unexpected().empty());
    EXPECT_EQ(script.Seen()[1].message, "File saved as " + shp);
    EXPECT_EQ(session.Doc()->Session().Unsaved(), false);

    // One polygon ring of three clicks and its closing vertex.
    std::string main = ReadWholeFile(shp);
    ASSERT_EQ(main.size(), 100u + 8 + 44 + 4 + 4 * 16);
    EXPECT_EQ(main.substr(0, 4), std::string("\x00\x00\x27\x0A", 4));
    EXPECT_EQ(Little32(main, 32), SHAPE_POLYGON);
    EXPECT_EQ(ReadWholeFile(folder + "\\roads.shx").size(), 108u);
    std::string table = ReadWholeFile(folder + "\\roads.dbf");
    EXPECT_NE(table.find("field"), std::string::npos);
    EXPECT_EQ(table.find("xxx"), std::string::npos);

    // Saving again without a change asks nothing when the program closes.
    HWND hFrame = session.FrameWnd();
    ModalScript exitScript;
    session.Command(ID_APP_EXIT);
    EXPECT_TRUE(exitScript.Seen().empty());
    EXPECT_TRUE(exitScript.Unexpected().empty());
    EXPECT_FALSE(IsWindow(hFrame));
}

TEST(SaveAs, CtrlSOffersTheShapefileOrAGeoPackageAndNeverTouchesTheImage)
{
    AppSession session({MapIn("saveas-ctrl-s")});
    std::string image = session.Doc()->GetPathName();
    std::string before = ReadWholeFile(image);
    std::vector<std::string> filters;
    std::string title;
    ModalScript script;
    script.Then([&](HWND hDialog) {
        title = gui::Text(hDialog);
        filters = gui::ComboItems(hDialog, 0x470);   // the file type list
        gui::Click(hDialog, IDCANCEL);
    });
    gui::PressKey(session.FrameWnd(), 'S', {VK_CONTROL});
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_EQ(title, "Save As");
    EXPECT_EQ(filters, (std::vector<std::string>{"Shape Files", "GeoPackage", "Shape Files, names in UTF-8"}));
    EXPECT_EQ(ReadWholeFile(image), before);
}

// The third file type writes the names in UTF-8 even when they fit the
// system's code page; the next Save As proposes it again, and the first
// type goes back to the code page.
TEST(SaveAs, Utf8TypeIsRememberedAndNamesThatFitGoInTheCodePageOtherwise)
{
    const std::string folder = gui::TempFolder("saveas-utf8");
    AppSession session({CopyFixture("map.jpg", folder, "map.jpg")});
    DigitiseOneFeature(session);
    const struct
    {
        int proposedType, chosenType;
        const char* cpg;
    } saves[] = {{0, 2, "UTF-8"}, {2, 0, "1252"}, {0, 0, "1252"}};
    for (const auto& save : saves)
    {
        int proposed = -1;
        ModalScript script;
        script.Then([&](HWND hDialog) {
            proposed = static_cast<int>(SendDlgItemMessageW(hDialog, 0x470, CB_GETCURSEL, 0, 0));
            SendDlgItemMessageW(hDialog, 0x470, CB_SETCURSEL, save.chosenType, 0);
            SendMessageW(hDialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELENDOK),
                         reinterpret_cast<LPARAM>(GetDlgItem(hDialog, 0x470)));
            gui::AnswerFileDialog(hDialog, folder + "\\fields.shp");
        });
        script.Then(ModalScript::Press(IDOK));
        session.Command(ID_FILE_SAVE_AS);
        EXPECT_EQ(proposed, save.proposedType);
        EXPECT_EQ(ReadWholeFile(folder + "\\fields.cpg"), save.cpg);
        EXPECT_EQ(ReadWholeFile(folder + "\\fields.dbf").substr(29, 1), std::string(1, '\0'));
    }
}

TEST(SaveAs, BeforeDigitisingWritesEmptyFilesOfThePolylineType)
{
    std::string folder = gui::TempFolder("saveas-empty");
    AppSession session({MapIn("saveas-empty")});
    std::string shp = folder + "\\empty.shp";
    const std::vector<gui::SeenWindow> seen = session.SaveThroughDialog(shp);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].message, "File saved as " + shp);
    std::string main = ReadWholeFile(shp);
    ASSERT_EQ(main.size(), 100u);
    EXPECT_EQ(Little32(main, 32), SHAPE_POLYLINE);
}

TEST(SaveAs, TheOpenedImageIsNeverWrittenOver)
{
    AppSession session({MapIn("saveas-image")});
    DigitiseOneFeature(session);
    std::string image = session.Doc()->GetPathName();
    std::string before = ReadWholeFile(image);
    const std::vector<gui::SeenWindow> seen = session.SaveThroughDialog(image);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].message, "An error occurred whilst saving the file " + image);
    EXPECT_EQ(ReadWholeFile(image), before);
    EXPECT_EQ(session.Doc()->Session().Unsaved(), true);
}

TEST(SaveAs, EndingTheWindowsSessionAsksAsExitDoes)
{
    AppSession session({MapIn("saveas-endsession")});
    DigitiseOneFeature(session);
    HWND hFrame = session.FrameWnd();

    // Yes and a cancelled save: the session may not end, nothing is lost.
    {
        ModalScript script;
        script.Then(ModalScript::Press(IDYES));
        script.Then(ModalScript::Cancel());
        EXPECT_EQ(SendMessageA(hFrame, WM_QUERYENDSESSION, 0, 0), FALSE);
        ASSERT_EQ(script.Seen().size(), 2u);
        EXPECT_EQ(script.Seen()[0].message, kSaveQuestion);
    }
    EXPECT_EQ(session.Doc()->Session().Features().GetSize(), 1);
    EXPECT_EQ(session.Doc()->Session().Unsaved(), true);

    // No lets the session end.
    ModalScript script;
    script.Then(ModalScript::Press(IDNO));
    EXPECT_NE(SendMessageA(hFrame, WM_QUERYENDSESSION, 0, 0), FALSE);
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_EQ(script.Seen()[0].message, kSaveQuestion);
}

TEST(SaveAs, AFailureMidSaveLeavesTheOldFilesByteForByteAndIsTold)
{
    const std::string folder = gui::TempFolder("saveas-midway");
    AppSession session({MapIn("saveas-midway")});
    DigitiseOneFeature(session);
    const std::string shp = folder + "\\roads.shp";
    const char* extensions[] = {".shp", ".shx", ".dbf", ".cpg"};
    for (const char* ext : extensions)
        WriteWholeFile(folder + "\\roads" + ext, std::string("the old ") + ext);
    // The old table is read-only: every new file is written, the main file
    // and the index take their places, and then the table cannot.
    const std::string table = folder + "\\roads.dbf";
    ASSERT_TRUE(SetFileAttributesA(table.c_str(), FILE_ATTRIBUTE_READONLY));

    const std::vector<gui::SeenWindow> seen = session.SaveThroughDialog(shp);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].message, "An error occurred whilst saving the file " + shp);
    SetFileAttributesA(table.c_str(), FILE_ATTRIBUTE_NORMAL);
    for (const char* ext : extensions)
    {
        EXPECT_EQ(ReadWholeFile(folder + "\\roads" + ext), std::string("the old ") + ext) << ext;
        EXPECT_FALSE(Exists(folder + "\\roads" + ext + ".previous")) << ext;
        EXPECT_FALSE(Exists(folder + "\\roads" + ext + ".partial")) << ext;
    }
    EXPECT_EQ(session.Doc()->Session().Unsaved(), true) << "still unsaved";
}
