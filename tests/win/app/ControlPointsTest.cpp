// The Control Points window and what it edits: the list after adding,
// deleting, editing and moving points, the worst point flagged in the list
// and on the map, the hints, the fit model kept beside the image; undo and
// redo across control-point and digitising steps with the point file after
// each; an unwritable point file told once per action; the coordinate
// dialog beside the point it is about.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/ControlPointsWnd.h"
#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"
#include "tests/win/app/DocTestAccess.h"
#include "app/DocumentCommands.h"

using gui::ModalScript;

namespace
{
const char kPointFileMessage[] =
    "The control points could not be written to their file; they are kept only until the program ends: ";

CControlPointsWnd* OpenWindow(AppSession& session)
{
    gui::PressKey(session.FrameWnd(), VK_F8, {});
    CControlPointsWnd* pWnd = session.Frame()->GetControlPointsWnd();
    EXPECT_TRUE(pWnd && pWnd->IsOpen());
    return pWnd;
}

// Closed again at the end of a test: the profile remembers it for the next.
void CloseWindow(AppSession& session)
{
    session.Command(ID_VIEW_CONTROL_POINTS);
    EXPECT_FALSE(session.Frame()->GetControlPointsWnd()->IsOpen());
}

HWND List(CControlPointsWnd* pWnd) { return GetDlgItem(pWnd->m_hWnd, IDC_CP_LIST); }

std::string PointFileOf(const std::string& image) { return image.substr(0, image.size() - 4) + ".tvg"; }

const char kMapPoints[] = "10.500000,-3.250000,10,20\r\n100.000000,200.000000,40,30\r\n";

// The fit-model list's items as shown.
std::vector<std::string> ModelChoices(CControlPointsWnd* pWnd)
{
    HWND hModels = GetDlgItem(pWnd->m_hWnd, IDC_CP_FIT_MODEL);
    std::vector<std::string> texts;
    const LRESULT count = SendMessageA(hModels, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
    {
        char text[128] = "";
        if (SendMessageA(hModels, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof text))
            SendMessageA(hModels, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    return texts;
}

void Drag(HWND hView, POINT from, POINT to)
{
    SendMessageA(hView, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    SendMessageA(hView, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from.x + to.x) / 2, (from.y + to.y) / 2));
    SendMessageA(hView, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    SendMessageA(hView, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
    gui::Pump();
}
}   // namespace

TEST(ControlPoints, ListFollowsAddDeleteEditAndMoveAndFlagsTheWorstPoint)
{
    const std::string image = CopyFixture("map.jpg", gui::TempFolder("cp-list"), "map.jpg");
    AppSession session({image});
    CControlPointsWnd* pWnd = OpenWindow(session);
    ASSERT_TRUE(pWnd);
    EXPECT_TRUE(gui::GetMenuState(session.FrameWnd(), ID_VIEW_CONTROL_POINTS).checked);
    HWND hList = List(pWnd);
    // The two points of the point file: only their numbers were kept.
    ASSERT_EQ(gui::ListRows(hList), 2);
    EXPECT_EQ(gui::ListCell(hList, 0, 2), "20");
    EXPECT_EQ(gui::ListCell(hList, 0, 3), "10.500000");
    EXPECT_EQ(gui::ItemText(pWnd->m_hWnd, IDC_CP_RMS_AFFINE), "Affine: needs 1 more control point");
    EXPECT_EQ(gui::ItemText(pWnd->m_hWnd, IDC_CP_RMS_FIRST).find("Rotation and scales: RMS 0.000000, 0.00 px"), 0u);
    // The later models are offered once the points are enough for them,
    // and say meanwhile how many they still need.
    const std::vector<std::string> firstThree = {"Rotation and scales", "Helmert", "Affine"};
    EXPECT_EQ(ModelChoices(pWnd), firstThree);
    EXPECT_EQ(gui::ItemText(pWnd->m_hWnd, IDC_CP_RMS_TPS), "Thin-plate spline: needs 1 more control point");
    EXPECT_EQ(gui::ItemText(pWnd->m_hWnd, IDC_CP_RMS_POLYNOMIAL2), "Polynomial, order 2: needs 4 more control points");

    // A third point, typed in degrees: shown as typed and converted, and
    // now the fit misses.
    {
        ModalScript script;
        script.Then(gui::TypeCoordinates("100 30 00 E", "10 15 00 N"));
        gui::LeftClick(session.ViewWnd(), POINT{50, 10});
        ASSERT_EQ(script.Seen().size(), 1u);
    }
    ASSERT_EQ(gui::ListRows(hList), 3);
    std::vector<std::string> withSpline = firstThree;
    withSpline.push_back("Thin-plate spline");
    EXPECT_EQ(ModelChoices(pWnd), withSpline);
    EXPECT_EQ(gui::ItemText(pWnd->m_hWnd, IDC_CP_RMS_PROJECTIVE), "Projective: needs 1 more control point");
    // Each point's residual of the fit without it, in pixels.
    EXPECT_FALSE(gui::ListCell(hList, 0, 14).empty());
    EXPECT_EQ(gui::ListCell(hList, 2, 3), "100 30 00 E");
    EXPECT_EQ(gui::ListCell(hList, 2, 6), "10.250000");
    const CModelFit& fit = session.Doc()->Session().FitReport().Chosen();
    ASSERT_TRUE(fit.bFitted);
    ASSERT_GE(fit.nWorst, 0);
    int flagged = 0;
    for (int row = 0; row < 3; ++row)
    {
        EXPECT_FALSE(gui::ListCell(hList, row, 12).empty());
        if (gui::ListCell(hList, row, 13).find("worst") != std::string::npos)
        {
            ++flagged;
            EXPECT_EQ(row, fit.nWorst);
        }
    }
    EXPECT_EQ(flagged, 1);
    // On the map the worst point's marker is red, the others navy.
    {
        const CGeoRefPoint& worst = session.Doc()->Session().GeoRef().m_points[fit.nWorst];
        const CGeoRefPoint& other = session.Doc()->Session().GeoRef().m_points[(fit.nWorst + 1) % 3];
        gui::Capture capture = gui::CaptureClient(session.ViewWnd());
        EXPECT_EQ(capture.At(worst.m_nPixelX + 3, worst.m_nPixelY - 3), 0xFF0000u);
        EXPECT_EQ(capture.At(other.m_nPixelX + 3, other.m_nPixelY - 3), 0x000080u);
    }

    // Delete: the key on the chosen row; the point file is written at once.
    pWnd->SelectPoint(1);
    SetFocus(hList);
    gui::PressKey(hList, VK_DELETE, {});
    ASSERT_EQ(gui::ListRows(hList), 2);
    EXPECT_EQ(gui::ListCell(hList, 1, 3), "100 30 00 E");
    EXPECT_EQ(ReadWholeFile(PointFileOf(image)), "10.500000,-3.250000,10,20\r\n100.500000,10.250000,50,10\r\n");
    EXPECT_EQ(gui::MenuText(session.FrameWnd(), ID_EDIT_UNDO), "&Undo Delete Control Point\tCtrl+Z");

    // Enter edits the chosen row in the coordinate dialog, filled in.
    pWnd->SelectPoint(1);
    {
        ModalScript script;
        script.Then([](HWND hDialog) {
            EXPECT_EQ(gui::Text(hDialog), "Edit Geo-reference");
            EXPECT_EQ(gui::ItemText(hDialog, IDC_EASTING), "100 30 00 E");
            EXPECT_EQ(gui::ItemText(hDialog, IDC_NORTHING), "10 15 00 N");
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(hDialog, IDC_DELETE_ALL)));
            gui::TypeCoordinates("100 30 00 E", "10 45 00 N")(hDialog);
        });
        gui::PressKey(hList, VK_RETURN, {});
        ASSERT_EQ(script.Seen().size(), 1u);
        EXPECT_TRUE(script.Unexpected().empty());
    }
    EXPECT_EQ(gui::ListCell(hList, 1, 4), "10 45 00 N");
    EXPECT_EQ(gui::ListCell(hList, 1, 6), "10.750000");
    EXPECT_EQ(ReadWholeFile(PointFileOf(image)), "10.500000,-3.250000,10,20\r\n100.500000,10.750000,50,10\r\n");
    EXPECT_EQ(gui::MenuText(session.FrameWnd(), ID_EDIT_UNDO), "&Undo Edit Control Point\tCtrl+Z");

    // A marker dragged in georeference mode moves its pixel.
    Drag(session.ViewWnd(), POINT{10, 20}, POINT{20, 25});
    EXPECT_EQ(gui::ListCell(hList, 0, 1), "20");
    EXPECT_EQ(gui::ListCell(hList, 0, 2), "25");
    EXPECT_EQ(ReadWholeFile(PointFileOf(image)), "10.500000,-3.250000,20,25\r\n100.500000,10.750000,50,10\r\n");
    EXPECT_EQ(gui::MenuText(session.FrameWnd(), ID_EDIT_UNDO), "&Undo Move Control Point\tCtrl+Z");

    // A press on a marker that does not move is a click: a new point there.
    {
        ModalScript script;
        script.Then(ModalScript::Cancel());
        gui::LeftClick(session.ViewWnd(), POINT{50, 10});
        ASSERT_EQ(script.Seen().size(), 1u);
        EXPECT_EQ(script.Seen()[0].title, "Add Geo-reference");
    }
    EXPECT_EQ(gui::ListRows(hList), 2);
    // The program's keys work from the window too: Ctrl+Z in the list.
    gui::PressKey(hList, 'Z', {VK_CONTROL});
    EXPECT_EQ(gui::ListCell(hList, 0, 1), "10");
    CloseWindow(session);
    EXPECT_FALSE(gui::GetMenuState(session.FrameWnd(), ID_VIEW_CONTROL_POINTS).checked);
}

TEST(ControlPoints, WindowComesBackOpenWhereItWasLeft)
{
    RECT placed = {};
    {
        AppSession session;
        CControlPointsWnd* pWnd = OpenWindow(session);
        ASSERT_TRUE(pWnd);
        SetWindowPos(pWnd->m_hWnd, nullptr, 123, 234, 700, 380, SWP_NOZORDER);
        GetWindowRect(pWnd->m_hWnd, &placed);
        // Closing the program with the window open keeps it open.
    }
    {
        AppSession session;
        CControlPointsWnd* pWnd = session.Frame()->GetControlPointsWnd();
        ASSERT_TRUE(pWnd->IsOpen());
        RECT now = {};
        GetWindowRect(pWnd->m_hWnd, &now);
        EXPECT_EQ(now.left, placed.left);
        EXPECT_EQ(now.top, placed.top);
        EXPECT_EQ(now.right - now.left, placed.right - placed.left);
        EXPECT_EQ(now.bottom - now.top, placed.bottom - placed.top);
        // Escape hands the keyboard back to the main window.
        gui::PressKey(List(pWnd), VK_ESCAPE, {});
        EXPECT_EQ(GetActiveWindow(), session.FrameWnd());
        EXPECT_TRUE(pWnd->IsOpen());
        CloseWindow(session);
    }
    AppSession closed;
    EXPECT_FALSE(closed.Frame()->GetControlPointsWnd()->IsOpen());
}

TEST(ControlPoints, HintsNameSwappedCoordinatesAndPointsOnALine)
{
    AppSession session;
    ShowSyntheticImage(session, 200, 150, [](int, int) { return 0xF0E6C8u; });
    CControlPointsWnd* pWnd = OpenWindow(session);
    ASSERT_TRUE(pWnd);
    auto enter = [&](POINT at, const char* easting, const char* northing) {
        ModalScript script;
        script.Then(gui::TypeCoordinates(easting, northing));
        gui::LeftClick(session.ViewWnd(), at);
    };
    // Easting typed as northing and the other way round: a mirrored fit.
    enter(POINT{20, 120}, "4200000", "500000");
    enter(POINT{180, 120}, "4200000", "500160");
    enter(POINT{20, 20}, "4200100", "500000");
    const std::string hints = gui::ItemText(pWnd->m_hWnd, IDC_CP_HINTS);
    EXPECT_NE(hints.find("The scales have opposite signs: are easting and northing swapped?"), std::string::npos)
        << hints;

    // Three points along one line of the image.
    Follow(*session.Doc(), session.Doc()->Session().DeleteAllPoints());
    enter(POINT{20, 20}, "500000", "4200100");
    enter(POINT{100, 70}, "500080", "4200050");
    enter(POINT{180, 120}, "500160", "4200000");
    EXPECT_NE(gui::ItemText(pWnd->m_hWnd, IDC_CP_HINTS).find("The points lie nearly on one line"), std::string::npos);
    CloseWindow(session);
}

TEST(ControlPoints, UndoAndRedoAcrossPointsAndDigitisingRewriteThePointFile)
{
    const std::string image = CopyFixture("map.jpg", gui::TempFolder("cp-undo"), "map.jpg");
    const std::string pointFile = PointFileOf(image);
    AppSession session({image});
    CImageDoc* pDoc = session.Doc();
    const auto& points = pDoc->Session().GeoRef().m_points;
    HWND hFrame = session.FrameWnd();
    EXPECT_FALSE(gui::GetMenuState(hFrame, ID_EDIT_UNDO).enabled) << "nothing to undo after an open";

    // A new point is written when the fit is asked for, as always.
    {
        ModalScript script;
        script.Then(gui::TypeCoordinates("60", "70"));
        gui::LeftClick(session.ViewWnd(), POINT{50, 10});
    }
    EXPECT_EQ(ReadWholeFile(pointFile), kMapPoints);
    CControlPointsWnd* pWnd = OpenWindow(session);
    ASSERT_TRUE(pWnd);
    pWnd->SelectPoint(0);
    pWnd->DeleteSelectedPoint();
    EXPECT_EQ(ReadWholeFile(pointFile), "100.000000,200.000000,40,30\r\n60.000000,70.000000,50,10\r\n");

    // Digitise a polyline of three clicks and name it.
    ASSERT_EQ(gui::DigitiseFeature(session.ViewWnd(), IDC_POLYLINES, "road", {{5, 5}, {20, 5}, {30, 30}}), 2u);
    ASSERT_EQ(pDoc->Session().Features().GetSize(), 1);
    EXPECT_EQ(gui::MenuText(hFrame, ID_EDIT_UNDO), "&Undo Finish Feature\tCtrl+Z");

    // Ctrl+Z takes the feature back into the clicks, then the clicks one by one.
    gui::PressKey(hFrame, 'Z', {VK_CONTROL});
    EXPECT_EQ(pDoc->Session().Features().GetSize(), 0);
    EXPECT_EQ(session.View()->m_shape.GetSize(), 3);
    for (int left = 2; left >= 0; --left)
    {
        EXPECT_EQ(gui::MenuText(hFrame, ID_EDIT_UNDO), "&Undo Add Vertex\tCtrl+Z");
        gui::PressKey(hFrame, 'Z', {VK_CONTROL});
        EXPECT_EQ(session.View()->m_shape.GetSize(), left);
    }
    // Then the deleted point comes back, and the file with it.
    EXPECT_EQ(gui::MenuText(hFrame, ID_EDIT_UNDO), "&Undo Delete Control Point\tCtrl+Z");
    gui::PressKey(hFrame, 'Z', {VK_CONTROL});
    EXPECT_EQ(points.size(), 3u);
    EXPECT_EQ(pDoc->Session().Mode(), MODE_DIGITISE) << "undo keeps the mode";
    EXPECT_EQ(ReadWholeFile(pointFile), std::string(kMapPoints) + "60.000000,70.000000,50,10\r\n");
    // Alt+Backspace undoes too: the point added by the click.
    gui::PressKey(hFrame, VK_BACK, {VK_MENU});
    EXPECT_EQ(points.size(), 2u);
    EXPECT_EQ(ReadWholeFile(pointFile), kMapPoints);
    EXPECT_FALSE(gui::GetMenuState(hFrame, ID_EDIT_UNDO).enabled);
    EXPECT_EQ(gui::MenuText(hFrame, ID_EDIT_UNDO), "&Undo\tCtrl+Z");

    // Ctrl+Y redoes in order.
    EXPECT_EQ(gui::MenuText(hFrame, ID_EDIT_REDO), "&Redo Add Control Point\tCtrl+Y");
    gui::PressKey(hFrame, 'Y', {VK_CONTROL});
    EXPECT_EQ(ReadWholeFile(pointFile), std::string(kMapPoints) + "60.000000,70.000000,50,10\r\n");
    gui::PressKey(hFrame, 'Y', {VK_CONTROL});
    EXPECT_EQ(ReadWholeFile(pointFile), "100.000000,200.000000,40,30\r\n60.000000,70.000000,50,10\r\n");
    for (int i = 0; i < 4; ++i)
        gui::PressKey(hFrame, 'Y', {VK_CONTROL});
    ASSERT_EQ(pDoc->Session().Features().GetSize(), 1);
    EXPECT_EQ(pDoc->Session().Features().GetAt(0).m_strName, "road");
    EXPECT_FALSE(gui::GetMenuState(hFrame, ID_EDIT_REDO).enabled);

    // Back to georeferencing removes the features; undo digitises them again.
    {
        ModalScript script;
        script.Then(ModalScript::Press(IDYES));
        session.Command(ID_VIEW_GEOREFERENCE);
    }
    EXPECT_EQ(pDoc->Session().Mode(), MODE_GEOREFERENCE);
    EXPECT_EQ(pDoc->Session().Features().GetSize(), 0);
    gui::PressKey(hFrame, 'Z', {VK_CONTROL});
    EXPECT_EQ(pDoc->Session().Mode(), MODE_DIGITISE);
    EXPECT_EQ(pDoc->Session().Features().GetSize(), 1);

    // A new edit drops what could be redone; a new image drops the history.
    gui::PressKey(hFrame, 'Z', {VK_CONTROL});
    gui::LeftClick(session.ViewWnd(), POINT{12, 12});
    EXPECT_FALSE(gui::GetMenuState(hFrame, ID_EDIT_REDO).enabled);
    session.OpenThroughDialog(CopyFixture("other.jpg", gui::TempFolder("cp-undo-other"), "other.jpg"));
    EXPECT_FALSE(gui::GetMenuState(hFrame, ID_EDIT_UNDO).enabled);
    EXPECT_EQ(gui::ListRows(List(pWnd)), 1) << "the window shows the new image's points";
    CloseWindow(session);
}

TEST(ControlPoints, UnwritablePointFileIsToldOncePerActionAndTheFitStaysUsable)
{
    const std::string image = CopyFixture("map.jpg", gui::TempFolder("cp-unwritable"), "map.jpg");
    AppSession session({image});
    // A folder where the point file would go: no file can be written there.
    const std::string pointFile = PointFileOf(image);
    DeleteFileA(pointFile.c_str());
    ASSERT_TRUE(CreateDirectoryA(pointFile.c_str(), nullptr));
    CControlPointsWnd* pWnd = OpenWindow(session);
    ASSERT_TRUE(pWnd);
    {
        ModalScript script;
        script.Then(ModalScript::Press(IDOK));
        pWnd->SelectPoint(1);
        gui::PressKey(List(pWnd), VK_DELETE, {});
        ASSERT_EQ(script.Seen().size(), 1u);
        EXPECT_EQ(script.Seen()[0].message, kPointFileMessage + pointFile);
        EXPECT_TRUE(script.Unexpected().empty());
    }
    EXPECT_EQ(session.Doc()->Session().GeoRef().m_points.size(), 1u) << "the edit stands in memory";
    {
        ModalScript script;
        script.Then(ModalScript::Press(IDOK));
        gui::PressKey(session.FrameWnd(), 'Z', {VK_CONTROL});
        ASSERT_EQ(script.Seen().size(), 1u);
        EXPECT_EQ(script.Seen()[0].message, kPointFileMessage + pointFile);
        EXPECT_TRUE(script.Unexpected().empty());
    }
    // On the way to digitising: told once, then the fit is used as ever.
    {
        ModalScript script;
        script.Then(ModalScript::Press(IDOK));
        script.Then(gui::ChooseShapeType(IDC_POLYLINES));
        gui::RightClick(session.ViewWnd(), POINT{5, 5});
        ASSERT_EQ(script.Seen().size(), 2u);
        EXPECT_EQ(script.Seen()[0].message, kPointFileMessage + pointFile);
        EXPECT_TRUE(script.Unexpected().empty());
    }
    EXPECT_EQ(session.Doc()->Session().Mode(), MODE_DIGITISE);
    double x = 0, y = 0;
    EXPECT_TRUE(session.Doc()->Session().GeoRef().PixelToMap(10, 20, &x, &y));
    EXPECT_NEAR(x, 10.5, 1e-9);
    EXPECT_NEAR(y, -3.25, 1e-9);
    CloseWindow(session);
    RemoveDirectoryA(pointFile.c_str());
}

TEST(ControlPoints, FitModelIsKeptBesideTheImageWithTheOtherSettings)
{
    const std::string folder = gui::TempFolder("cp-model");
    const std::string image = CopyFixture("map.jpg", folder, "map.jpg");
    const std::string settings = folder + "\\map.quarvex";
    WriteWholeFile(settings, "crs=EPSG:4326\r\n");
    {
        AppSession session({image});
        CControlPointsWnd* pWnd = OpenWindow(session);
        ASSERT_TRUE(pWnd);
        HWND hModel = GetDlgItem(pWnd->m_hWnd, IDC_CP_FIT_MODEL);
        EXPECT_EQ(SendMessageA(hModel, CB_GETCURSEL, 0, 0), FitModelIndex(FitModel::RotationScales));
        SendMessageA(hModel, CB_SETCURSEL, FitModelIndex(FitModel::Helmert), 0);
        SendMessageA(pWnd->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_CP_FIT_MODEL, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(hModel));
        EXPECT_EQ(session.Doc()->Session().GeoRef().m_nFitModel, FitModel::Helmert);
        EXPECT_EQ(ReadWholeFile(settings), "crs=EPSG:4326\r\nfit=helmert\r\n");
        EXPECT_EQ(gui::MenuText(session.FrameWnd(), ID_EDIT_UNDO), "&Undo Change Fit Model\tCtrl+Z");
        gui::PressKey(session.FrameWnd(), 'Z', {VK_CONTROL});
        EXPECT_EQ(ReadWholeFile(settings), "crs=EPSG:4326\r\n") << "only our key goes";
        EXPECT_EQ(SendMessageA(hModel, CB_GETCURSEL, 0, 0), FitModelIndex(FitModel::RotationScales));
        gui::PressKey(session.FrameWnd(), 'Y', {VK_CONTROL});

        // While features are digitised a model that cannot be fitted yet
        // is refused, and the fit in force stays.
        {
            ModalScript script;
            script.Then(gui::ChooseShapeType(IDC_POLYLINES));
            gui::RightClick(session.ViewWnd(), POINT{5, 5});
        }
        ASSERT_EQ(session.Doc()->Session().Mode(), MODE_DIGITISE);
        ModalScript script;
        script.Then(ModalScript::Press(IDOK));
        SendMessageA(hModel, CB_SETCURSEL, FitModelIndex(FitModel::Affine), 0);
        SendMessageA(pWnd->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_CP_FIT_MODEL, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(hModel));
        gui::Pump();
        ASSERT_EQ(script.Seen().size(), 1u);
        EXPECT_EQ(script.Seen()[0].message.find("This fit model cannot be fitted"), 0u);
        EXPECT_EQ(session.Doc()->Session().GeoRef().m_nFitModel, FitModel::Helmert);
        EXPECT_EQ(SendMessageA(hModel, CB_GETCURSEL, 0, 0), FitModelIndex(FitModel::Helmert));
        CloseWindow(session);
    }
    // Opened again, the image comes back with its model.
    AppSession again({image});
    EXPECT_EQ(again.Doc()->Session().GeoRef().m_nFitModel, FitModel::Helmert);
}

TEST(ControlPoints, ABoxSwitchesAPointOffAndOnAsAnEditKeptBesideTheImage)
{
    const std::string folder = gui::TempFolder("cp-switch");
    const std::string image = CopyFixture("map.jpg", folder, "map.jpg");
    const std::string settings = folder + "\\map.quarvex";
    AppSession session({image});
    CControlPointsWnd* pWnd = OpenWindow(session);
    ASSERT_TRUE(pWnd);
    HWND hList = List(pWnd);
    ASSERT_EQ(gui::ListRows(hList), 2);
    EXPECT_TRUE(ListView_GetCheckState(hList, 1));
    // The user clears the second point's box.
    ListView_SetCheckState(hList, 1, FALSE);
    gui::Pump();
    EXPECT_TRUE(session.Doc()->Session().GeoRef().m_points[1].m_bOff);
    EXPECT_EQ(ReadWholeFile(settings), "off=2\r\n");
    EXPECT_FALSE(ListView_GetCheckState(hList, 1));
    EXPECT_EQ(gui::ListCell(hList, 1, 13), "switched off");
    EXPECT_EQ(gui::MenuText(session.FrameWnd(), ID_EDIT_UNDO), "&Undo Switch Control Point\tCtrl+Z");
    gui::PressKey(session.FrameWnd(), 'Z', {VK_CONTROL});
    EXPECT_FALSE(session.Doc()->Session().GeoRef().m_points[1].m_bOff);
    EXPECT_TRUE(ListView_GetCheckState(hList, 1));
    CloseWindow(session);
}

TEST(ControlPoints, CoordinateDialogOpensBesideTheClickedPointAndOnTheScreen)
{
    AppSession session;
    ShowSyntheticImage(session, 600, 500, [](int, int) { return 0xF0E6C8u; });
    // Near the view's top-left corner, where the dialog used to open.
    POINT screen = {12, 8};
    ClientToScreen(session.ViewWnd(), &screen);
    RECT dialog = {};
    ModalScript script;
    script.Then([&dialog](HWND hDialog) {
        GetWindowRect(hDialog, &dialog);
        gui::Click(hDialog, IDCANCEL);
    });
    gui::LeftClick(session.ViewWnd(), POINT{12, 8});
    ASSERT_EQ(script.Seen().size(), 1u);
    // The marker and a margin around it stay in sight, the dialog on the screen.
    RECT marker = {screen.x - 10, screen.y - 10, screen.x + 11, screen.y + 11}, overlap;
    EXPECT_FALSE(IntersectRect(&overlap, &dialog, &marker));
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_TRUE(dialog.left >= work.left && dialog.top >= work.top && dialog.right <= work.right &&
                dialog.bottom <= work.bottom);
}
