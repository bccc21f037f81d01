// Coming back to saved work: day one digitises points on a GeoTIFF that
// carries its georeference and saves them; day two opens the scan again,
// is refused a Shapefile with a damaged table through File > Open Features
// (named in the message, the features unchanged), drops the saved one on
// the window, adds a point, renames one and saves back with Ctrl+S. The
// features and the clicked pixels are left in the folder QUARVEX_SESSION_OUT
// names, for check_reopened_session.py to read with GDAL.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>
#include <fstream>

#include "app/DocumentCommands.h"
#include "app/res/resource.h"
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

    ClickPoint(day2, "p4", {60, 170}, expected);
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
}
