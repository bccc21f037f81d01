// View > Coordinate System...: found by words or code, chosen with the
// keyboard or a double-click, kept beside the image and restored on open,
// None; and Save As writing the .prj and .cpg of the choice.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>

#include "core/crs/CrsCatalogue.h"
#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"
#include "app/DocumentCommands.h"

using gui::ModalScript;

namespace
{

HWND List(HWND hDialog) { return GetDlgItem(hDialog, IDC_CRS_LIST); }

int RowCount(HWND hDialog) { return gui::ListRows(List(hDialog)); }

int SelectedRow(HWND hDialog)
{
    return static_cast<int>(SendMessageA(List(hDialog), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::string Cell(HWND hDialog, int nRow, int nColumn) { return gui::ListCell(List(hDialog), nRow, nColumn); }

// Runs the dialog from the View menu with one answer.
void ChooseWith(AppSession& session, ModalScript::Answer answer)
{
    ModalScript script;
    script.Then(std::move(answer));
    session.Command(ID_VIEW_COORDINATE_SYSTEM);
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_TRUE(script.Unexpected().empty());
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}   // namespace

TEST(CoordinateSystem, ChosenBySearchRememberedBesideTheImageAndNone)
{
    const std::string folder = gui::TempFolder("crs-choose");
    const std::string image = CopyFixture("map.jpg", folder, "map.jpg");
    const std::string settings = folder + "\\map.quarvex";
    // Another setting of the same image stays as it is.
    WriteWholeFile(settings, "fit=affine\r\n");
    const std::string tvg = ReadWholeFile(folder + "\\map.tvg");
    AppSession session({image});
    ASSERT_TRUE(session.started);
    EXPECT_TRUE(session.Doc()->Session().Crs().IsNone());
    EXPECT_TRUE(gui::GetMenuState(session.FrameWnd(), ID_VIEW_COORDINATE_SYSTEM).enabled);

    // Type words, arrow down into the list, Enter.
    ChooseWith(session, [](HWND hDialog) {
        EXPECT_EQ(gui::Text(hDialog), "Coordinate System");
        EXPECT_EQ(gui::ItemText(hDialog, IDC_CRS_CURRENT), "None");
        HWND hSearch = GetDlgItem(hDialog, IDC_CRS_SEARCH);
        EXPECT_EQ(GetFocus(), hSearch);
        EXPECT_GT(RowCount(hDialog), 5000) << "nothing typed: every system";
        gui::TypeText(hSearch, "british national grid");
        gui::Pump();
        ASSERT_EQ(RowCount(hDialog), 1);
        EXPECT_EQ(Cell(hDialog, 0, 0), "27700");
        EXPECT_EQ(Cell(hDialog, 0, 1), "OSGB36 / British National Grid");
        EXPECT_EQ(gui::ItemText(hDialog, IDC_CRS_COUNT), "Systems found: 1");
        gui::PostKey(hSearch, VK_DOWN);
        gui::PostKey(hSearch, VK_RETURN);
    });
    EXPECT_EQ(session.Doc()->Session().Crs().nEpsg, 27700);
    EXPECT_FALSE(session.Doc()->Session().Crs().bGeographic);
    EXPECT_EQ(ReadWholeFile(settings), "crs=EPSG:27700\r\nfit=affine\r\n");
    EXPECT_EQ(ReadWholeFile(folder + "\\map.tvg"), tvg) << "the point file stays as it was";

    // Another image has none; this one has its system again when reopened.
    session.OpenThroughDialog(CopyFixture("other.jpg", folder, "other.jpg"));
    EXPECT_TRUE(session.Doc()->Session().Crs().IsNone());
    session.OpenThroughDialog(image);
    EXPECT_EQ(session.Doc()->Session().Crs().nEpsg, 27700);

    // Nothing typed: the recently used first, the current one picked out; None.
    ChooseWith(session, [](HWND hDialog) {
        EXPECT_EQ(gui::ItemText(hDialog, IDC_CRS_CURRENT), "EPSG:27700  OSGB36 / British National Grid");
        EXPECT_EQ(Cell(hDialog, 0, 0), "27700");
        EXPECT_EQ(SelectedRow(hDialog), 0);
        EXPECT_EQ(gui::ItemText(hDialog, IDC_CRS_AREA).substr(0, 28), "Area of use: United Kingdom ");
        gui::Click(hDialog, IDC_CRS_NONE);
    });
    EXPECT_TRUE(session.Doc()->Session().Crs().IsNone());
    EXPECT_EQ(ReadWholeFile(settings), "fit=affine\r\n");

    // A double-click chooses the row; Cancel changes nothing.
    ChooseWith(session, [](HWND hDialog) {
        gui::TypeText(GetDlgItem(hDialog, IDC_CRS_SEARCH), "EPSG:4326");
        gui::Pump();
        ASSERT_EQ(Cell(hDialog, 0, 0), "4326");
        RECT row = {};
        row.left = LVIR_BOUNDS;
        SendMessageA(List(hDialog), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
        SendMessageA(List(hDialog), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(row.left + 4, (row.top + row.bottom) / 2));
    });
    EXPECT_EQ(session.Doc()->Session().Crs().nEpsg, 4326);
    EXPECT_TRUE(session.Doc()->Session().Crs().bGeographic);
    ChooseWith(session, [](HWND hDialog) {
        gui::TypeText(GetDlgItem(hDialog, IDC_CRS_SEARCH), "no such system");
        gui::Pump();
        EXPECT_EQ(RowCount(hDialog), 0);
        EXPECT_EQ(gui::ItemText(hDialog, IDC_CRS_COUNT).substr(0, 18), "No system matches.");
        gui::Click(hDialog, IDCANCEL);
    });
    EXPECT_EQ(session.Doc()->Session().Crs().nEpsg, 4326);
    EXPECT_EQ(ReadWholeFile(settings), "crs=EPSG:4326\r\nfit=affine\r\n");
}

TEST(CoordinateSystem, ThePointsSystemIsChosenBesideTheOutputAndKeptOnlyWhenItDiffers)
{
    const std::string folder = gui::TempFolder("crs-points");
    const std::string image = CopyFixture("map.jpg", folder, "map.jpg");
    const std::string settings = folder + "\\map.quarvex";
    WriteWholeFile(settings, "fit=affine\r\n");
    AppSession session({image});
    ASSERT_TRUE(session.started);

    // A row of the list taken as the points' system, then the output chosen;
    // the fixture's second point (100, 200) is no latitude and is told.
    ModalScript script;
    script.Then([](HWND hDialog) {
        EXPECT_EQ(gui::ItemText(hDialog, IDC_CRS_POINTS), "Same as the output system");
        HWND hSearch = GetDlgItem(hDialog, IDC_CRS_SEARCH);
        gui::TypeText(hSearch, "EPSG:4258");
        gui::Pump();
        gui::Click(hDialog, IDC_CRS_POINTS_FROM_LIST);
        gui::Pump();
        EXPECT_EQ(gui::ItemText(hDialog, IDC_CRS_POINTS), "EPSG:4258  ETRS89");
        SetWindowTextA(hSearch, "");
        gui::TypeText(hSearch, "EPSG:3034");
        gui::Pump();
        gui::PostKey(hSearch, VK_RETURN);
    });
    script.Then([](HWND hBox) {
        EXPECT_EQ(gui::MessageText(hBox),
                  "Not carried into the output system, and left out of the fit until corrected: control point 2.");
        gui::Click(hBox, IDOK);
    });
    session.Command(ID_VIEW_COORDINATE_SYSTEM);
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_TRUE(script.Unexpected().empty());
    EXPECT_FALSE(session.Doc()->Session().IsPointCarried(1));
    EXPECT_EQ(session.Doc()->Session().Crs().nEpsg, 3034);
    EXPECT_EQ(session.Doc()->Session().PointsCrs().nEpsg, 4258);
    EXPECT_TRUE(session.Doc()->Session().PointsCarried());
    EXPECT_EQ(ReadWholeFile(settings), "crs=EPSG:3034\r\nfit=affine\r\npoints_crs=EPSG:4258\r\n");

    // Shown again when asked; the output's own system again drops the key.
    ChooseWith(session, [](HWND hDialog) {
        EXPECT_EQ(gui::ItemText(hDialog, IDC_CRS_POINTS), "EPSG:4258  ETRS89");
        SendDlgItemMessageA(hDialog, IDC_CRS_POINTS, CB_SETCURSEL, 0, 0);
        gui::PostKey(GetDlgItem(hDialog, IDC_CRS_SEARCH), VK_RETURN);
    });
    EXPECT_EQ(session.Doc()->Session().Crs().nEpsg, 3034);
    EXPECT_FALSE(session.Doc()->Session().PointsCarried());
    EXPECT_EQ(ReadWholeFile(settings), "crs=EPSG:3034\r\nfit=affine\r\n");
}

TEST(CoordinateSystem, SaveAsWritesThePrjOfTheSystemAndTheCodePage)
{
    const std::string folder = gui::TempFolder("crs-saveas");
    AppSession session({CopyFixture("map.jpg", folder, "map.jpg")});
    ASSERT_TRUE(session.started);
    SetCoordinateSystem(*session.Doc(), 27700);
    ASSERT_EQ(gui::DigitiseFeature(session.ViewWnd(), IDC_POLYGONS, "field", {{10, 10}, {40, 10}, {40, 30}}), 2u);
    // The read-out says which system its numbers are in.
    gui::MouseMove(session.ViewWnd(), POINT{20, 20});
    EXPECT_NE(gui::Text(session.StatusBarWnd()).find(" deg  EPSG:27700  Left click"), std::string::npos)
        << gui::Text(session.StatusBarWnd());

    const std::string codePage = std::to_string(GetACP());
    auto saveAs = [&](const std::string& name) {
        const std::vector<gui::SeenWindow> seen = session.SaveThroughDialog(folder + "\\" + name);
        return seen.size() == 2 ? seen[1].message : std::string();
    };
    EXPECT_EQ(saveAs("roads.shp"), "File saved as " + folder + "\\roads.shp");
    EXPECT_EQ(ReadWholeFile(folder + "\\roads.prj"), std::string(EmbeddedCrsCatalogue().Find(27700)->wkt));
    EXPECT_EQ(ReadWholeFile(folder + "\\roads.cpg"), codePage);

    // A .prj that cannot be written fails the save like any other file.
    CreateDirectoryA((folder + "\\blocked.prj").c_str(), nullptr);
    EXPECT_EQ(saveAs("blocked.shp"), "An error occurred whilst saving the file " + folder + "\\blocked.shp");

    // None: the .cpg still, no .prj.
    SetCoordinateSystem(*session.Doc(), 0);
    EXPECT_EQ(saveAs("plain.shp"), "File saved as " + folder + "\\plain.shp");
    EXPECT_EQ(ReadWholeFile(folder + "\\plain.cpg"), codePage);
    EXPECT_FALSE(Exists(folder + "\\plain.prj"));
}

// The screenshot of the dialog in docs/, written only when
// QUARVEX_CRS_SCREENSHOT names the BMP file (tools/docs-screenshot.sh).
TEST(DocsScreenshot, CoordinateSystemDialog)
{
    const char* pszOutput = std::getenv("QUARVEX_CRS_SCREENSHOT");
    if (!pszOutput || !*pszOutput)
        GTEST_SKIP() << "QUARVEX_CRS_SCREENSHOT is not set";
    const std::string folder = gui::TempFolder("crs-docs");
    AppSession session({CopyFixture("../../../../samples/sample_map.jpg", folder, "sample_map.jpg")});
    ASSERT_TRUE(session.started);
    SetCoordinateSystem(*session.Doc(), 4326);
    bool saved = false;
    ChooseWith(session, [&](HWND hDialog) {
        gui::TypeText(GetDlgItem(hDialog, IDC_CRS_SEARCH), "wgs 84 utm");
        gui::Pump();
        SendMessageA(hDialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(List(hDialog)), TRUE);
        gui::PostKey(List(hDialog), VK_DOWN);
        gui::PostKey(List(hDialog), VK_DOWN);
        gui::Pump();
        RedrawWindow(hDialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        saved = gui::CaptureWindow(hDialog).SaveBmp(pszOutput);
        gui::Click(hDialog, IDCANCEL);
    });
    EXPECT_TRUE(saved);
}
