// The interaction modes driven by the mouse and the mode commands: control
// point entry and its dialog, the fit on the way to digitising, the way
// back to georeferencing, clicks that must do nothing, the status line and
// the menu state in each mode.
#include <gtest/gtest.h>

#include <regex>

#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"
#include "tests/win/app/DocTestAccess.h"

using gui::ModalScript;

namespace
{
const char kGeoreferenceHint[] =
    "Left click on points to be used for geo-referencing. Right click to start digitising.";
const char kDigitiseHint[] = "Left click each point.  Double click to finish line. Right click to delete point";
const char kTransposedHint[] = "Georeferenced Image.  .jgw file created.  Copy image to clipboard and save as .jpg";
const char kSwitchQuestion[] = "Switching to Georeference mode will delete all current points.  Are you sure?";

uint32_t Paper(int, int) { return 0xF0E6C8; }

// The 64 x 48 test map with its two control points, opened from the
// command line; at zoom 1 and no scroll a client point is its pixel.
std::string MapWithPoints(const std::string& folder, bool withPointFile = true)
{
    return CopyFixture("map.jpg", gui::TempFolder(folder), "map.jpg", withPointFile);
}

void EnterDigitise(AppSession& session, int nRadioID = IDC_POLYLINES)
{
    ModalScript script;
    script.Then(gui::ChooseShapeType(nRadioID));
    gui::RightClick(session.ViewWnd(), POINT{5, 5});
    ASSERT_EQ(script.Seen().size(), 1u);
    ASSERT_EQ(session.Doc()->Session().Mode(), MODE_DIGITISE);
}

std::string StatusText(AppSession& session) { return gui::Text(session.StatusBarWnd()); }
}

TEST(InteractMode, ClickAtZoomTwoScrolledPutsThePointOnThePixelOfTheRule)
{
    AppSession session;
    session.SetViewClientSize(300, 200);
    ShowSyntheticImage(session, 400, 300, Paper);
    session.Command(ID_VIEW_ZOOM200);
    session.View()->ScrollToPosition(POINT{100, 50});
    gui::Pump();
    ASSERT_EQ(session.View()->GetScrollPosition().x, 100);
    ASSERT_EQ(session.View()->GetScrollPosition().y, 50);

    POINT pending = {0, 0};
    ModalScript script;
    script.Then([&](HWND hDialog) {
        pending = session.View()->m_ptPending;
        gui::TypeCoordinates("451.5", "887.25")(hDialog);
    });
    gui::LeftClick(session.ViewWnd(), POINT{37, 18});
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_EQ(pending.x, 68);
    EXPECT_EQ(pending.y, 34);
    EXPECT_EQ(session.View()->m_ptPending.x, -1) << "no pending point after the dialog";
    const auto& points = session.Doc()->Session().GeoRef().m_points;
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].m_nPixelX, 68);
    EXPECT_EQ(points[0].m_nPixelY, 34);
    EXPECT_DOUBLE_EQ(points[0].m_dMapX, 451.5);
    EXPECT_DOUBLE_EQ(points[0].m_dMapY, 887.25);
}

TEST(InteractMode, CoordinateDialogTakesDegreesRefusesNonsenseAndCancels)
{
    AppSession session;
    ShowSyntheticImage(session, 64, 48, Paper);
    const auto& points = session.Doc()->Session().GeoRef().m_points;

    // Degrees, minutes and seconds with lower-case hemisphere letters.
    {
        ModalScript script;
        script.Then(gui::TypeCoordinates("123 30 0 w", "10 30 15 s"));
        gui::LeftClick(session.ViewWnd(), POINT{10, 20});
    }
    ASSERT_EQ(points.size(), 1u);
    EXPECT_DOUBLE_EQ(points[0].m_dMapX, -123.5);
    EXPECT_NEAR(points[0].m_dMapY, -(10 + 30 / 60.0 + 15 / 3600.0), 1e-12);

    // Text that is no coordinate: "Invalid values", the dialog stays with
    // the texts as typed, and Cancel then adds nothing.
    std::string eastingAfter, northingAfter;
    HWND hGeoRef = nullptr;
    {
        ModalScript script;
        script.Then([&](HWND hDialog) {
            hGeoRef = hDialog;
            gui::TypeCoordinates("N 10 20 30", "")(hDialog);
        });
        script.Then([&](HWND hBox) {
            EXPECT_EQ(GetWindow(hBox, GW_OWNER), hGeoRef);
            EXPECT_FALSE(IsWindowEnabled(hGeoRef)) << "no click reaches the dialog behind the message";
            eastingAfter = gui::ItemText(hGeoRef, IDC_EASTING);
            northingAfter = gui::ItemText(hGeoRef, IDC_NORTHING);
            gui::Click(hBox, IDOK);
            gui::Click(hGeoRef, IDCANCEL);
        });
        gui::LeftClick(session.ViewWnd(), POINT{30, 30});
        ASSERT_EQ(script.Seen().size(), 2u);
        EXPECT_EQ(script.Seen()[1].message, "Invalid values");
        EXPECT_TRUE(script.Unexpected().empty());
    }
    EXPECT_EQ(eastingAfter, "N 10 20 30");
    EXPECT_EQ(northingAfter, "");
    EXPECT_EQ(points.size(), 1u);
    EXPECT_EQ(session.View()->m_ptPending.x, -1);
}

TEST(InteractMode, DeleteAllAsksAndRemovesEveryControlPointOnlyOnYes)
{
    AppSession session({MapWithPoints("interact-delete-all")});
    const auto& points = session.Doc()->Session().GeoRef().m_points;
    ASSERT_EQ(points.size(), 2u);
    HWND hGeoRef = nullptr;
    ModalScript script;
    script.Then([&](HWND hDialog) {
        hGeoRef = hDialog;
        gui::Click(hDialog, IDC_DELETE_ALL);
    });
    script.Then([&](HWND hBox) {
        EXPECT_TRUE(IsWindow(hGeoRef));
        // The question belongs to the dialog, which waits for the answer.
        EXPECT_EQ(GetWindow(hBox, GW_OWNER), hGeoRef);
        EXPECT_FALSE(IsWindowEnabled(hGeoRef));
        gui::Click(hBox, IDNO);
        // No leaves the dialog open: ask again and say Yes this time.
        gui::Click(hGeoRef, IDC_DELETE_ALL);
    });
    script.Then(ModalScript::Press(IDYES));
    gui::LeftClick(session.ViewWnd(), POINT{20, 20});
    ASSERT_EQ(script.Seen().size(), 3u);
    EXPECT_EQ(script.Seen()[1].message, "Delete alll Georeferences?");
    EXPECT_EQ(script.Seen()[2].message, "Delete alll Georeferences?");
    EXPECT_TRUE(script.Unexpected().empty());
    EXPECT_TRUE(points.empty());
}

TEST(InteractMode, FailingFitShowsTheMessageStaysAndHasWrittenThePointFile)
{
    std::string image = MapWithPoints("interact-failing-fit", false);
    std::string pointFile = image.substr(0, image.size() - 4) + ".tvg";
    AppSession session({image});
    {
        ModalScript script;
        script.Then(gui::TypeCoordinates("10", "20"));
        gui::LeftClick(session.ViewWnd(), POINT{12, 34});
    }
    ASSERT_EQ(session.Doc()->Session().GeoRef().m_points.size(), 1u);
    ASSERT_EQ(GetFileAttributesA(pointFile.c_str()), INVALID_FILE_ATTRIBUTES);

    ModalScript script;
    script.Then(ModalScript::Press(IDOK));
    gui::RightClick(session.ViewWnd(), POINT{5, 5});
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_EQ(script.Seen()[0].message, "Insufficient, or inappropriate points to georeference");
    EXPECT_EQ(session.Doc()->Session().Mode(), MODE_GEOREFERENCE);
    EXPECT_EQ(ReadWholeFile(pointFile), "10.000000,20.000000,12,34\r\n");
}

TEST(InteractMode, CancellingTheDigitiseDialogKeepsGeoreferenceMode)
{
    AppSession session({MapWithPoints("interact-cancel-digitise")});
    ModalScript script;
    script.Then([](HWND hDialog) {
        EXPECT_EQ(IsDlgButtonChecked(hDialog, IDC_POLYLINES), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(hDialog, IDC_POLYGONS), BST_UNCHECKED);
        EXPECT_EQ(IsDlgButtonChecked(hDialog, IDC_POINTS), BST_UNCHECKED);
        CheckRadioButton(hDialog, IDC_POLYLINES, IDC_POINTS, IDC_POINTS);
        gui::Click(hDialog, IDCANCEL);
    });
    session.Command(ID_VIEW_DIGITISE);
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_EQ(script.Seen()[0].title, "Digitise");
    EXPECT_EQ(session.Doc()->Session().Mode(), MODE_GEOREFERENCE);
    EXPECT_EQ(session.Doc()->Session().ShapeType(), SHAPE_POLYLINE);
}

TEST(InteractMode, SwitchingBackAnsweredNoKeepsFeaturesYesRemovesThem)
{
    AppSession session({MapWithPoints("interact-switch-back")});
    CImageDoc* pDoc = session.Doc();
    CImageView* pView = session.View();
    // Outside digitise mode the command asks nothing.
    {
        ModalScript script;
        session.Command(ID_VIEW_GEOREFERENCE);
        EXPECT_TRUE(script.Seen().empty());
        EXPECT_TRUE(script.Unexpected().empty());
    }
    EnterDigitise(session);
    {
        ModalScript script;
        script.Then(gui::NameFeature("road"));
        gui::LeftClick(session.ViewWnd(), POINT{10, 10});
        gui::DoubleClick(session.ViewWnd(), POINT{30, 20});
    }
    ASSERT_EQ(pDoc->Session().Features().GetSize(), 1);
    gui::LeftClick(session.ViewWnd(), POINT{40, 40});   // a feature still being digitised
    ASSERT_EQ(pView->m_shape.GetSize(), 1);

    ASSERT_TRUE(CImageDocTestAccess::NorthUp(*pDoc).Allocate(1, 1));
    {
        ModalScript script;
        script.Then([](HWND hBox) {
            LONG_PTR noStyle = GetWindowLongPtrA(GetDlgItem(hBox, IDNO), GWL_STYLE);
            EXPECT_EQ(noStyle & 0x0F, BS_DEFPUSHBUTTON) << "No is the default button";
            EXPECT_NE(GetDlgItem(hBox, IDYES), nullptr);
            gui::Click(hBox, IDNO);
        });
        session.Command(ID_VIEW_GEOREFERENCE);
        ASSERT_EQ(script.Seen().size(), 1u);
        EXPECT_EQ(script.Seen()[0].message, kSwitchQuestion);
    }
    EXPECT_EQ(pDoc->Session().Mode(), MODE_DIGITISE);
    EXPECT_EQ(pDoc->Session().Features().GetSize(), 1);
    EXPECT_TRUE(pView->GetDocument()->NorthUp().IsEmpty()) << "released whatever the answer";

    ASSERT_TRUE(CImageDocTestAccess::NorthUp(*pDoc).Allocate(1, 1));
    {
        ModalScript script;
        script.Then(ModalScript::Press(IDYES));
        session.Command(ID_VIEW_GEOREFERENCE);
        ASSERT_EQ(script.Seen().size(), 1u);
    }
    EXPECT_EQ(pDoc->Session().Mode(), MODE_GEOREFERENCE);
    EXPECT_EQ(pDoc->Session().Features().GetSize(), 0);
    EXPECT_EQ(pView->m_shape.GetSize(), 1) << "the unfinished feature keeps its vertex";
    EXPECT_EQ(pDoc->Session().Unsaved(), true);
    EXPECT_TRUE(pView->GetDocument()->NorthUp().IsEmpty());
}

TEST(InteractMode, ClicksWithoutVerticesDoNothingAndRightClickRemovesTheLastVertex)
{
    AppSession session({MapWithPoints("interact-no-vertex")});
    EnterDigitise(session);
    CImageView* pView = session.View();
    {
        ModalScript script;
        gui::RightClick(session.ViewWnd(), POINT{20, 20});
        SendMessageA(session.ViewWnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 20));
        gui::Pump();
        EXPECT_TRUE(script.Seen().empty());
        EXPECT_TRUE(script.Unexpected().empty());
    }
    EXPECT_EQ(pView->m_shape.GetSize(), 0);
    EXPECT_EQ(session.Doc()->Session().Features().GetSize(), 0);
    EXPECT_EQ(session.Doc()->Session().Mode(), MODE_DIGITISE);

    gui::LeftClick(session.ViewWnd(), POINT{10, 11});
    gui::LeftClick(session.ViewWnd(), POINT{20, 21});
    gui::RightClick(session.ViewWnd(), POINT{50, 40});
    ASSERT_EQ(pView->m_shape.GetSize(), 1);
    EXPECT_EQ(pView->m_shape.GetAt(0).x, 10);
    EXPECT_EQ(pView->m_shape.GetAt(0).y, 11);

    // A feature finished with Delete leaves nothing behind.
    {
        ModalScript script;
        script.Then(ModalScript::Press(IDCANCEL));
        gui::DoubleClick(session.ViewWnd(), POINT{30, 30});
        ASSERT_EQ(script.Seen().size(), 1u);
    }
    EXPECT_EQ(pView->m_shape.GetSize(), 0);
    EXPECT_EQ(session.Doc()->Session().Features().GetSize(), 0);
    EXPECT_EQ(session.Doc()->Session().Unsaved(), false);
}

TEST(InteractMode, StatusLineTextInEachMode)
{
    AppSession session;
    // No image: a move leaves the line as it was.
    session.Frame()->SetMessageText("before");
    gui::MouseMove(session.ViewWnd(), POINT{10, 10});
    EXPECT_EQ(StatusText(session), "before");

    session.OpenThroughDialog(MapWithPoints("interact-status"));
    gui::MouseMove(session.ViewWnd(), POINT{10, 10});
    EXPECT_EQ(StatusText(session), kGeoreferenceHint);

    EnterDigitise(session);
    // The two control points of the map: pixel (10, 20) is 10.5, -3.25.
    gui::MouseMove(session.ViewWnd(), POINT{10, 20});
    std::smatch m;
    std::string status = StatusText(session);
    ASSERT_TRUE(std::regex_match(status, m, std::regex(R"((-?\d+\.\d{6}), (-?\d+\.\d{6}) r=(-?\d+\.\d{2}) deg  (.*))")))
        << status;
    double mapX = 0, mapY = 0;
    ASSERT_TRUE(session.Doc()->Session().GeoRef().PixelToMap(10, 20, &mapX, &mapY));
    char expected[200];
    snprintf(expected, sizeof(expected), "%.6f, %.6f r=%.2f deg", mapX, mapY,
             session.Doc()->Session().GeoRef().GetRotation() * 180 / 3.141592653);
    EXPECT_EQ(status.substr(0, status.find(" deg") + 4), expected);
    EXPECT_EQ(m[4].str(), kDigitiseHint);
    EXPECT_EQ(GetCursor(), session.View()->m_hDigitiseCursor) << "the digitise cursor on every move";

    SetTestMode(session.Doc(), MODE_TRANSPOSED);
    gui::MouseMove(session.ViewWnd(), POINT{10, 10});
    EXPECT_EQ(StatusText(session), kTransposedHint);
    // Nor do the buttons do anything in transposed mode.
    {
        ModalScript script;
        gui::LeftClick(session.ViewWnd(), POINT{10, 10});
        gui::RightClick(session.ViewWnd(), POINT{10, 10});
        EXPECT_TRUE(script.Seen().empty());
        EXPECT_TRUE(script.Unexpected().empty());
    }
    EXPECT_EQ(session.View()->m_shape.GetSize(), 0);
    SetTestMode(session.Doc(), MODE_DIGITISE);
}

TEST(InteractMode, ModeCommandsAreCheckedInTheirModeAndDigitiseLeavesTransposedMode)
{
    AppSession session({MapWithPoints("interact-menu")});
    gui::MenuState georeference = gui::GetMenuState(session.FrameWnd(), ID_VIEW_GEOREFERENCE);
    gui::MenuState digitise = gui::GetMenuState(session.FrameWnd(), ID_VIEW_DIGITISE);
    EXPECT_TRUE(georeference.enabled && georeference.checked);
    EXPECT_TRUE(digitise.enabled && !digitise.checked);

    EnterDigitise(session, IDC_POLYGONS);
    EXPECT_EQ(session.Doc()->Session().ShapeType(), SHAPE_POLYGON);
    georeference = gui::GetMenuState(session.FrameWnd(), ID_VIEW_GEOREFERENCE);
    digitise = gui::GetMenuState(session.FrameWnd(), ID_VIEW_DIGITISE);
    EXPECT_TRUE(georeference.enabled && !georeference.checked);
    EXPECT_TRUE(digitise.enabled && digitise.checked);

    // From the resampled image back to the scan; the resampled image stays.
    CImageView* pView = session.View();
    ASSERT_TRUE(CImageDocTestAccess::NorthUp(*session.Doc()).Allocate(2, 2));
    SetTestMode(session.Doc(), MODE_TRANSPOSED);
    {
        ModalScript script;
        session.Command(ID_VIEW_DIGITISE);
        EXPECT_TRUE(script.Seen().empty());
    }
    EXPECT_EQ(session.Doc()->Session().Mode(), MODE_DIGITISE);
    EXPECT_FALSE(pView->GetDocument()->NorthUp().IsEmpty());
    EXPECT_EQ(pView->GetTotalSize().cx, 64) << "scroll sizes of the scanned image";
}

TEST(InteractMode, FeatureNameIsTypedAtOnceAndEnterAddsItExactlyAsTyped)
{
    AppSession session({MapWithPoints("interact-keyboard")});
    // Enter in the Digitise dialog confirms Polylines, checked at start.
    {
        ModalScript script;
        script.Then([](HWND) { gui::PostKey(GetFocus(), VK_RETURN); });
        gui::RightClick(session.ViewWnd(), POINT{5, 5});
        ASSERT_EQ(script.Seen().size(), 1u);
    }
    ASSERT_EQ(session.Doc()->Session().Mode(), MODE_DIGITISE);
    EXPECT_EQ(session.Doc()->Session().ShapeType(), SHAPE_POLYLINE);

    // The focus is in the empty name field: the user types and hits Enter.
    const std::string name = "  Strada del Colle, tratto lungo oltre la larghezza del campo  ";
    bool focusInName = false, startsEmpty = false;
    {
        ModalScript script;
        script.Then([&](HWND hDialog) {
            focusInName = GetFocus() == GetDlgItem(hDialog, IDC_FEATURE_NAME);
            startsEmpty = gui::ItemText(hDialog, IDC_FEATURE_NAME).empty();
            gui::TypeText(GetFocus(), name);
            gui::PostKey(GetFocus(), VK_RETURN);
        });
        gui::LeftClick(session.ViewWnd(), POINT{10, 10});
        gui::DoubleClick(session.ViewWnd(), POINT{20, 20});
        ASSERT_EQ(script.Seen().size(), 1u);
    }
    EXPECT_TRUE(focusInName);
    EXPECT_TRUE(startsEmpty);
    ASSERT_EQ(session.Doc()->Session().Features().GetSize(), 1);
    const CShape& road = session.Doc()->Session().Features().GetAt(0);
    EXPECT_EQ(road.m_strName, name);
    ASSERT_EQ(road.GetSize(), 2) << "the first press of the double-click adds the last vertex";
    EXPECT_EQ(road.GetAt(1).x, 20);

    // Escape is Delete.
    {
        ModalScript script;
        script.Then([](HWND) {
            gui::TypeText(GetFocus(), "gone");
            gui::PostKey(GetFocus(), VK_ESCAPE);
        });
        gui::DoubleClick(session.ViewWnd(), POINT{30, 30});
        ASSERT_EQ(script.Seen().size(), 1u);
    }
    EXPECT_EQ(session.Doc()->Session().Features().GetSize(), 1);
    EXPECT_EQ(session.View()->m_shape.GetSize(), 0);
}

TEST(InteractMode, ColourCommandsRepaintInTheChosenColourAndCancelKeepsIt)
{
    AppSession session({MapWithPoints("interact-colour")});
    EnterDigitise(session);
    {
        ModalScript script;
        script.Then(gui::NameFeature("line"));
        gui::LeftClick(session.ViewWnd(), POINT{5, 40});
        gui::DoubleClick(session.ViewWnd(), POINT{60, 40});   // finished, horizontal
    }
    gui::LeftClick(session.ViewWnd(), POINT{5, 5});
    gui::LeftClick(session.ViewWnd(), POINT{60, 5});   // being digitised, horizontal
    CImageView* pView = session.View();

    // The colour dialog's red, green and blue fields.
    auto chooseRgb = [](int red, int green, int blue) {
        return [=](HWND hDialog) {
            SetDlgItemInt(hDialog, 706, red, FALSE);
            SetDlgItemInt(hDialog, 707, green, FALSE);
            SetDlgItemInt(hDialog, 708, blue, FALSE);
            gui::Click(hDialog, IDOK);
        };
    };
    {
        ModalScript script;
        script.Then(chooseRgb(0, 255, 0));
        session.Command(ID_EDIT_PREVIOUS_COLOUR);
        ASSERT_EQ(script.Seen().size(), 1u);
    }
    EXPECT_EQ(pView->m_crPrevious, RGB(0, 255, 0));
    {
        ModalScript script;
        script.Then(chooseRgb(255, 0, 255));
        session.Command(ID_EDIT_DIGITISE_COLOUR);
        ASSERT_EQ(script.Seen().size(), 1u);
    }
    EXPECT_EQ(pView->m_crDigitise, RGB(255, 0, 255));
    gui::Capture capture = gui::CaptureClient(session.ViewWnd());
    EXPECT_EQ(capture.At(30, 40), 0x00FF00u) << "the finished feature";
    EXPECT_EQ(capture.At(30, 5), 0xFF00FFu) << "the feature being digitised";

    {
        ModalScript script;
        script.Then([](HWND hDialog) {
            SetDlgItemInt(hDialog, 706, 1, FALSE);
            gui::Click(hDialog, IDCANCEL);
        });
        session.Command(ID_EDIT_DIGITISE_COLOUR);
        ASSERT_EQ(script.Seen().size(), 1u);
    }
    EXPECT_EQ(pView->m_crDigitise, RGB(255, 0, 255));
}
