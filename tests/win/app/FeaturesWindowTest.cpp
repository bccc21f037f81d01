// The Features window: the list of finished features with their number,
// name, type, vertices and area; renaming (F2, double click, Enter) in the
// name dialog filled in, deleting with the Delete key, each step undone and
// redone from the Edit menu; the numbers and the saved IDs 1..N in list
// order after a delete; a row chosen scrolls the map to its feature and
// highlights it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cmath>

#include "app/FeaturesWnd.h"
#include "core/shape/FeatureMeasure.h"
#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"
#include "tests/win/app/DocTestAccess.h"

using gui::ModalScript;

namespace
{
CFeaturesWnd* OpenWindow(AppSession& session)
{
    gui::PressKey(session.FrameWnd(), VK_F9, {});
    CFeaturesWnd* pWnd = session.Frame()->GetFeaturesWnd();
    EXPECT_TRUE(pWnd && pWnd->IsOpen());
    return pWnd;
}

HWND List(CFeaturesWnd* pWnd) { return GetDlgItem(pWnd->m_hWnd, IDC_FEATURES_LIST); }

// The rows as "number name" joined by "|".
std::string Listed(HWND hList)
{
    std::string text;
    for (int row = 0; row < gui::ListRows(hList); ++row)
        text += (row ? "|" : "") + gui::ListCell(hList, row, 0) + " " + gui::ListCell(hList, row, 1);
    return text;
}

// The ID and NAME of every record of a saved table ("1 lake|2 wood").
std::string SavedRecords(const std::string& dbf)
{
    const std::string bytes = ReadWholeFile(dbf);
    std::string text;
    for (size_t at = 97; at + 41 <= bytes.size(); at += 41)
    {
        std::string id = bytes.substr(at + 1, 8), name = bytes.substr(at + 9, 32);
        id.erase(0, id.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
        text += (at > 97 ? "|" : "") + id + " " + name;
    }
    return text;
}

// Closed at the end of a test: the profile remembers it for the next.
void CloseWindow(AppSession& session)
{
    session.Command(ID_VIEW_FEATURES);
    EXPECT_FALSE(session.Frame()->GetFeaturesWnd()->IsOpen());
}
}   // namespace

TEST(FeaturesWindow, RenameAndDeleteAreStepsOfTheHistoryAndTheSavedIdsFollowTheList)
{
    const std::string folder = gui::TempFolder("features-edit");
    AppSession session({CopyFixture("map.jpg", folder, "map.jpg")});
    ASSERT_TRUE(session.started);
    {
        ModalScript script;
        script.Then(gui::ChooseShapeType(IDC_POLYGONS));
        gui::RightClick(session.ViewWnd(), POINT{5, 5});
    }
    gui::FinishFeature(session, "lake", {{10, 10}, {40, 10}, {40, 30}});
    gui::FinishFeature(session, "wood", {{5, 40}, {20, 40}, {12, 20}});
    gui::FinishFeature(session, "field", {{50, 5}, {60, 5}, {60, 15}, {52, 20}});

    CFeaturesWnd* pWnd = OpenWindow(session);
    ASSERT_TRUE(pWnd);
    EXPECT_TRUE(gui::GetMenuState(session.FrameWnd(), ID_VIEW_FEATURES).checked);
    HWND hList = List(pWnd);
    EXPECT_EQ(Listed(hList), "1 lake|2 wood|3 field");
    EXPECT_EQ(gui::ListCell(hList, 2, 2), "Polygon");
    EXPECT_EQ(gui::ListCell(hList, 2, 3), "4") << "the corners clicked";
    // The area in map units from the point file's fit.
    double area = 0.0;
    ASSERT_TRUE(MeasureFeature(session.Doc()->Session().Features().GetAt(0), SHAPE_POLYGON,
                               session.Doc()->Session().GeoRef(), &area));
    EXPECT_GT(area, 0.0);
    EXPECT_EQ(gui::ListCell(hList, 0, 4), FormatFeatureSize(area));
    EXPECT_EQ(gui::ItemText(pWnd->m_hWnd, IDC_FEATURES_SUMMARY), "Areas in square map units.");

    // F2 renames in the name dialog, filled in; Cancel leaves the name.
    pWnd->SelectFeature(1);
    SetFocus(hList);
    {
        ModalScript script;
        script.Then([](HWND hDialog) {
            EXPECT_EQ(gui::Text(hDialog), "Rename Feature");
            EXPECT_EQ(gui::ItemText(hDialog, IDC_FEATURE_NAME), "wood");
            EXPECT_EQ(gui::ItemText(hDialog, IDCANCEL), "Cancel");
            gui::Click(hDialog, IDCANCEL);
        });
        script.Then(gui::NameFeature("old wood"));
        gui::PressKey(hList, VK_F2, {});
        EXPECT_EQ(gui::ListCell(hList, 1, 1), "wood");
        // A double click on the row renames too.
        RECT row = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageA(hList, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
        SendMessageA(hList, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(row.left + 20, (row.top + row.bottom) / 2));
        gui::Pump();
        ASSERT_EQ(script.Seen().size(), 2u);
    }
    EXPECT_EQ(Listed(hList), "1 lake|2 old wood|3 field");
    EXPECT_EQ(gui::MenuText(session.FrameWnd(), ID_EDIT_UNDO), "&Undo Rename Feature\tCtrl+Z");
    gui::PressKey(hList, 'Z', {VK_CONTROL});
    EXPECT_EQ(gui::ListCell(hList, 1, 1), "wood");
    gui::PressKey(hList, 'Y', {VK_CONTROL});
    EXPECT_EQ(gui::ListCell(hList, 1, 1), "old wood");

    // Delete: the next feature takes the row and every number after moves up.
    pWnd->SelectFeature(0);
    SetFocus(hList);
    gui::PressKey(hList, VK_DELETE, {});
    EXPECT_EQ(Listed(hList), "1 old wood|2 field");
    EXPECT_EQ(pWnd->GetSelectedFeature(), 0);
    EXPECT_EQ(gui::MenuText(session.FrameWnd(), ID_EDIT_UNDO), "&Undo Delete Feature\tCtrl+Z");

    // Saved: the IDs are the numbers of the list.
    auto save = [&](const std::string& name) {
        session.SaveThroughDialog(folder + "\\" + name + ".shp");
        return SavedRecords(folder + "\\" + name + ".dbf");
    };
    EXPECT_EQ(save("after-delete"), "1 old wood|2 field");
    // Undone: back at its place, and so in the next save.
    gui::PressKey(hList, 'Z', {VK_CONTROL});
    EXPECT_EQ(Listed(hList), "1 lake|2 old wood|3 field");
    EXPECT_EQ(save("after-undo"), "1 lake|2 old wood|3 field");
    EXPECT_EQ(gui::MenuText(session.FrameWnd(), ID_EDIT_REDO), "&Redo Delete Feature\tCtrl+Y");
    CloseWindow(session);
}

TEST(FeaturesWindow, ARowChosenScrollsToItsFeatureAndHighlightsIt)
{
    AppSession session;
    session.SetViewClientSize(300, 200);
    ShowSyntheticImage(session, 1200, 1000, [](int, int) { return 0xF0E6C8u; });
    CImageDoc* pDoc = session.Doc();
    // Map units are pixels, north up.
    TestGeoRef(pDoc).m_points = {CGeoRefPoint(0, 1000, 0, 0), CGeoRefPoint(1200, 0, 1200, 1000)};
    ASSERT_TRUE(TestGeoRef(pDoc).CalcTransform());
    SetTestMode(pDoc, MODE_DIGITISE);
    CShape close, distant;
    close.Add(20, 20);
    close.Add(60, 40);
    distant.Add(1000, 800);
    distant.Add(1100, 820);
    CImageDocTestAccess::DoEdit(*pDoc, CFinishFeatureEdit(close, SHAPE_POLYLINE, "near", 0));
    CImageDocTestAccess::DoEdit(*pDoc, CFinishFeatureEdit(distant, SHAPE_POLYLINE, "far", 1));

    CFeaturesWnd* pWnd = OpenWindow(session);
    ASSERT_TRUE(pWnd);
    // Beside the main window, not over the map that is looked at.
    SetWindowPos(pWnd->m_hWnd, nullptr, 700, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(gui::ListCell(List(pWnd), 1, 4), FormatFeatureSize(std::hypot(100.0, 20.0)));
    pWnd->SelectFeature(1);
    gui::Pump();
    // The middle of its extent in the middle of the view, drawn wide in green.
    const POINT scroll = session.View()->GetScrollPosition();
    RECT client;
    GetClientRect(session.ViewWnd(), &client);
    EXPECT_EQ(scroll.x, 1050 - client.right / 2);
    EXPECT_EQ(scroll.y, 810 - client.bottom / 2);
    gui::Capture shown = gui::CaptureClient(session.ViewWnd());
    const POINT middle = {1050 - scroll.x, 810 - scroll.y};
    EXPECT_EQ(shown.At(middle.x, middle.y), gui::Rgb(kSelectedFeatureColour));
    EXPECT_EQ(shown.At(middle.x, middle.y + 1), gui::Rgb(kSelectedFeatureColour)) << "wider than a feature";

    // Closed: the feature in its own colour again.
    CloseWindow(session);
    gui::Pump();
    gui::Capture closed = gui::CaptureClient(session.ViewWnd());
    EXPECT_EQ(closed.At(middle.x, middle.y), gui::Rgb(session.View()->m_crPrevious));
}
