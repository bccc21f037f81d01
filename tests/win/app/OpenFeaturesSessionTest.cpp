// Coming back to saved work: day one digitises points on a GeoTIFF that
// carries its georeference and saves them; day two opens the scan again,
// is refused a Shapefile with a damaged table through File > Open Features
// (named in the message, the features unchanged), drops the saved one on
// the window, adds a point, renames one and saves back with Ctrl+S, then as
// a GeoPackage through the file type list of Save As. The
// features and the clicked pixels are left in the folder QUARVEX_SESSION_OUT
// names, for check_reopened_session.py to read with GDAL. A GeoPackage of
// two layers is opened with its layer chosen, and saved back.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>
#include <fstream>

#include "app/DocumentCommands.h"
#include "app/res/resource.h"
#include "core/gpkg/GeoPackageReader.h"
#include "winbase/Win32Files.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"

using gui::ModalScript;

namespace
{
void ClickPoint(AppSession& session, const std::string& name, POINT p, std::ofstream& expected)
{
    ModalScript script;
    script.Then(gui::NameFeature(name));
    gui::LeftClick(session.ViewWnd(), gui::ShowPixel(session, p.x, p.y));
    EXPECT_EQ(script.Pending(), 0u) << name;
    expected << name << "|" << p.x << " " << p.y << "\n";
}

// What the shell sends when a file is dropped on the window: one ANSI path.
void DropFile(HWND hWnd, const std::string& path)
{
    HGLOBAL hDrop = GlobalAlloc(GHND, sizeof(DROPFILES) + path.size() + 2);
    auto* pDrop = static_cast<DROPFILES*>(GlobalLock(hDrop));
    pDrop->pFiles = sizeof(DROPFILES);
    std::memcpy(reinterpret_cast<char*>(pDrop) + sizeof(DROPFILES), path.c_str(), path.size());
    GlobalUnlock(hDrop);
    SendMessageA(hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(hDrop), 0);   // the frame lets it go
}
}   // namespace

TEST(OpenFeaturesSession, DigitiseSaveReopenAddRenameAndSaveBack)
{
    const std::string folder = gui::OutputFolder("QUARVEX_SESSION_OUT", "session");
    for (const char* ext : {".shp", ".shx", ".dbf", ".cpg", ".prj", ".expected", ".tvg", ".quarvex"})
        DeleteFileA((folder + "\\reopened" + ext).c_str());
    const std::string image = CopyFixture("utm33.tif", folder, "reopened.tif", false);
    const std::string shp = folder + "\\reopened.shp";
    std::ofstream expected(folder + "\\reopened.expected", std::ios::trunc);
    {
        AppSession day1;
        day1.OpenThroughDialog(image, {ModalScript::Press(IDYES), gui::ChooseShapeType(IDC_POINTS)});
        ASSERT_EQ(day1.Doc()->Session().Mode(), MODE_DIGITISE);
        ClickPoint(day1, "p1", {10, 10}, expected);
        ClickPoint(day1, "p2", {200, 30}, expected);
        ClickPoint(day1, "p3", {120, 150}, expected);
        ASSERT_EQ(day1.SaveThroughDialog(folder + "\\reopened").size(), 2u);
    }

    AppSession day2;
    ASSERT_EQ(day2.OpenThroughDialog(image).size(), 1u) << "the answer about the file's georeference was kept";
    const CImageSession& state = day2.Doc()->Session();
    EXPECT_EQ(state.Mode(), MODE_GEOREFERENCE);
    EXPECT_TRUE(gui::GetMenuState(day2.FrameWnd(), ID_FILE_OPEN_FEATURES).enabled);

    // A table cut short: refused with its name, nothing changes.
    CopyFileA(shp.c_str(), (folder + "\\damaged.shp").c_str(), FALSE);
    CopyFileA((folder + "\\reopened.shx").c_str(), (folder + "\\damaged.shx").c_str(), FALSE);
    WriteWholeFile(folder + "\\damaged.dbf", ReadWholeFile(folder + "\\reopened.dbf").substr(0, 40));
    std::vector<gui::SeenWindow> seen = day2.Answered(
        ID_FILE_OPEN_FEATURES, {ModalScript::OpenFile(folder + "\\damaged.shp"), ModalScript::Press(IDOK)});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].message.rfind("An error occurred whilst reading the shapefile " + folder + "\\damaged.shp", 0),
              0u)
        << seen[1].message;
    EXPECT_NE(seen[1].message.find("damaged.dbf"), std::string::npos) << seen[1].message;
    EXPECT_EQ(state.Features().GetSize(), 0);
    EXPECT_EQ(state.Mode(), MODE_GEOREFERENCE);

    // The saved features dropped on the window: same system, nothing to ask;
    // digitising goes on with points.
    {
        ModalScript script;
        DropFile(day2.FrameWnd(), shp);
        EXPECT_TRUE(script.Unexpected().empty()) << script.Unexpected()[0].message;
    }
    ASSERT_EQ(state.Features().GetSize(), 3);
    EXPECT_EQ(state.Mode(), MODE_DIGITISE);
    EXPECT_EQ(state.ShapeType(), SHAPE_POINT);
    EXPECT_EQ(state.Features().GetAt(1).GetAt(0), (CShapeVertex{200, 30}));
    EXPECT_FALSE(state.Unsaved());

    // A name the file's code page has no letters for is refused, not saved
    // as question marks; the dialog stays for another.
    ASSERT_EQ(state.FieldCodePage(), 1252u);
    {
        ModalScript script;
        script.Then(gui::NameFeature("\xD0\x9C\xD0\xBE\xD1\x81\xD1\x82"));   // Мост
        script.Then([](HWND hBox) {
            const HWND hDialog = GetWindow(hBox, GW_OWNER);
            gui::Click(hBox, IDOK);
            gui::NameFeature("p4")(hDialog);
        });
        gui::LeftClick(day2.ViewWnd(), gui::ShowPixel(day2, 60, 170));
        ASSERT_EQ(script.Seen().size(), 2u);
        EXPECT_NE(script.Seen()[1].message.find("code page 1252"), std::string::npos) << script.Seen()[1].message;
        expected << "p4|60 170\n";
    }
    Follow(*day2.Doc(), day2.Doc()->Session().RenameFeature(1, "p2 renamed"));
    expected.close();
    ASSERT_TRUE(state.Unsaved());
    {
        ModalScript script;
        gui::PressKey(day2.FrameWnd(), 'S', {VK_CONTROL});
        EXPECT_TRUE(script.Unexpected().empty()) << "Save writes back without asking";
    }
    EXPECT_FALSE(state.Unsaved());
    EXPECT_EQ(state.FeaturePath(), shp);

    // The same features as a GeoPackage: the second file type of Save As,
    // the name typed without its extension.
    {
        ModalScript script;
        script.Then([&](HWND hDialog) {
            HWND hTypes = GetDlgItem(hDialog, 0x470);   // the file type list
            SendMessageA(hTypes, CB_SETCURSEL, 1, 0);
            // As a choice in the list ends: the dialog takes the type then.
            for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
                SendMessageA(hDialog, WM_COMMAND, MAKEWPARAM(0x470, code), reinterpret_cast<LPARAM>(hTypes));
            gui::AnswerFileDialog(hDialog, folder + "\\reopened-copy");
        });
        script.Then(ModalScript::Press(IDOK));   // "File saved as ..."
        day2.Command(ID_FILE_SAVE_AS);
        EXPECT_TRUE(script.Unexpected().empty());
    }
    EXPECT_EQ(state.FeaturePath(), folder + "\\reopened-copy.gpkg");
}

// A GeoPackage of two layers (ogr2ogr's): the layer is chosen in a dialog
// with the keyboard alone, the points open where their coordinates lie, and
// Ctrl+S writes a new point back into the file, which then holds it beside
// the other layer, with a value typed in the new point's dialog and a
// cell changed.
TEST(OpenFeaturesSession, GeoPackageLayerChosenByKeyboardAndSavedBack)
{
    const std::string folder = gui::OutputFolder("QUARVEX_SESSION_OUT", "session");
    for (const char* name : {"\\survey.tif", "\\survey.tvg", "\\survey.quarvex", "\\survey.gpkg"})
        DeleteFileA((folder + name).c_str());
    const std::string image = CopyFixture("utm33.tif", folder, "survey.tif", false);
    const std::string gpkg = folder + "\\survey.gpkg";
    ASSERT_TRUE(CopyFileA(QUARVEX_APP_TEST_DATA "/survey.gpkg", gpkg.c_str(), FALSE));
    AppSession session;
    session.OpenThroughDialog(image, {ModalScript::Press(IDYES), gui::ChooseShapeType(IDC_POINTS)});
    const CImageSession& state = session.Doc()->Session();
    ASSERT_EQ(state.Mode(), MODE_DIGITISE);

    std::vector<std::string> layers;
    bool focused = false;
    const std::vector<gui::SeenWindow> seen = session.Answered(
        ID_FILE_OPEN_FEATURES, {ModalScript::OpenFile(gpkg), [&layers, &focused](HWND hDialog) {
                                    const HWND hList = GetDlgItem(hDialog, IDC_LAYER_LIST);
                                    for (int i = 0; i < SendMessageA(hList, LB_GETCOUNT, 0, 0); ++i)
                                    {
                                        char name[64] = {};
                                        SendMessageA(hList, LB_GETTEXT, i, reinterpret_cast<LPARAM>(name));
                                        layers.push_back(name);
                                    }
                                    // The list has the focus: Down chooses the second, Enter opens it.
                                    focused = GetFocus() == hList;
                                    PostMessageA(hList, WM_KEYDOWN, VK_DOWN, 1);
                                    PostMessageA(hList, WM_KEYDOWN, VK_RETURN, 1);
                                }});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].title, "Choose Layer");
    EXPECT_EQ(layers, (std::vector<std::string>{"roads", "wells"}));
    EXPECT_TRUE(focused);
    ASSERT_EQ(state.Features().GetSize(), 3);
    EXPECT_EQ(state.ShapeType(), SHAPE_POINT);
    EXPECT_EQ(state.Features().GetAt(1).GetAt(0), (CShapeVertex{120, 140}));
    EXPECT_EQ(state.Features().GetAt(2).m_strName, "Well 3");
    EXPECT_EQ(state.FeaturePath(), gpkg);

    // The layer's other field is the table's, and the new point's dialog asks it.
    ASSERT_EQ(state.Features().Fields().size(), 1u);
    EXPECT_EQ(state.Features().Fields()[0].def.strName, "depth");
    EXPECT_EQ(state.Features().GetAt(1).Value(0), FieldValue("8.25"));
    {
        ModalScript script;
        script.Then([](HWND hDialog) {
            SetDlgItemTextA(hDialog, IDC_FEATURE_FIELD_VALUE, "3.75");
            gui::NameFeature("Well 4")(hDialog);
        });
        gui::LeftClick(session.ViewWnd(), gui::ShowPixel(session, 100, 100));
        EXPECT_EQ(script.Pending(), 0u);
    }
    Follow(*session.Doc(), session.Doc()->Session().SetValue(2, 0, FieldValue("4.5")));
    {
        ModalScript script;
        gui::PressKey(session.FrameWnd(), 'S', {VK_CONTROL});
        EXPECT_TRUE(script.Unexpected().empty()) << "Save writes back without asking";
    }
    EXPECT_FALSE(state.Unsaved());
    std::vector<CGeoPackageLayerInfo> written;
    ASSERT_TRUE(ListGeoPackageLayers(gpkg, Win32Files(), &written).Ok());
    ASSERT_EQ(written.size(), 2u);
    CVectorLayer wells;
    ASSERT_TRUE(ReadGeoPackageLayer(gpkg, "wells", Win32Files(), &wells, nullptr, nullptr).Ok());
    ASSERT_EQ(wells.features.size(), 4u);
    EXPECT_EQ(wells.features[0].values, (std::vector<FieldValue>{"Well 1", "12.5"}));
    EXPECT_EQ(wells.features[2].values, (std::vector<FieldValue>{"Well 3", "4.5"}));
    EXPECT_EQ(wells.features[3].values, (std::vector<FieldValue>{"Well 4", "3.75"}));
    // The centre of pixel (100, 100): 10-m pixels from 500000, 4650000.
    ASSERT_EQ(wells.features[3].parts.size(), 1u);
    ASSERT_EQ(wells.features[3].parts[0].size(), 1u);
    EXPECT_EQ(wells.features[3].parts[0][0].x, 501005);
    EXPECT_EQ(wells.features[3].parts[0][0].y, 4648995);
}
