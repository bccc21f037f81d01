// The Features window as an attribute table: an ogr2ogr-made Shapefile of
// points with a text, integer, real and date field opened over the GeoTIFF
// it lies on; a cell refused with a message, then edited in place (double
// click, F2, Enter), undone and redone; a field added in its dialog, undone
// and redone; a point added whose name dialog shows the fields with their
// defaults; Save writes back, Save As writes a GeoPackage. The journal as
// it was before the save (what a kill would have left) is restored by the
// program started again: the same fields and values. The files and
// the table's and dialog's pictures are left in QUARVEX_SESSION_OUT for
// check_attribute_session (GDAL) to compare with the file opened.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/DocumentCommands.h"
#include "app/FeaturesWnd.h"
#include "app/RecoveryStore.h"
#include "core/journal/RecoveryJournal.h"
#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"

using gui::ModalScript;

namespace
{
HWND List(CFeaturesWnd* pWnd) { return GetDlgItem(pWnd->m_hWnd, IDC_FEATURES_LIST); }

std::string HeaderTitle(HWND hList, int column)
{
    char text[64] = {};
    LVCOLUMNA item = {};
    item.mask = LVCF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(hList, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&item));
    return text;
}

// The middle of a cell, in the list's client coordinates.
POINT CellPoint(HWND hList, int row, int column)
{
    RECT cell = {};
    cell.top = column;
    cell.left = LVIR_BOUNDS;
    SendMessageA(hList, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
    return POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
}

// What the user types into the open box, then Enter.
void TypeIntoCell(CFeaturesWnd* pWnd, const std::string& text)
{
    ASSERT_NE(pWnd->CellEditor(), nullptr);
    SetWindowTextA(pWnd->CellEditor(), text.c_str());
    SendMessageA(pWnd->CellEditor(), WM_KEYDOWN, VK_RETURN, 0);
}

void PressButton(CFeaturesWnd* pWnd, int nID)
{
    SendMessageA(pWnd->m_hWnd, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(pWnd->m_hWnd, nID)));
}

void CopyLayer(const std::string& folder, const std::string& from, const std::string& to)
{
    for (const char* ext : {".shp", ".shx", ".dbf", ".cpg"})
        ASSERT_TRUE(CopyFileA((folder + "\\" + from + ext).c_str(), (folder + "\\" + to + ext).c_str(), FALSE)) << ext;
}

void SaveShot(HWND hWnd, const std::string& path) { EXPECT_TRUE(gui::CaptureWindow(hWnd).SaveBmp(path)) << path; }
}   // namespace

TEST(AttributeTableSession, EditACellAddAFieldSaveBackAndAsGeoPackage)
{
    const std::string folder = gui::OutputFolder("QUARVEX_SESSION_OUT", "session");
    for (const char* name : {"attributes.shp", "attributes.shx", "attributes.dbf", "attributes.cpg",
                             "attributes-copy.gpkg", "attributes.tif", "attributes.tvg", "attributes.quarvex"})
        DeleteFileA((folder + "\\" + name).c_str());
    const std::string image = CopyFixture("utm33.tif", folder, "attributes.tif", false);
    std::string shp;
    for (const char* ext : {".shp", ".shx", ".dbf", ".cpg"})
        shp = CopyFixture(std::string("attributes") + ext, folder, std::string("attributes") + ext, false);
    shp = folder + "\\attributes.shp";
    const std::string journal = CRecoveryStore::PathOf(JournalFileName(image));
    DeleteFileA(journal.c_str());
    CShapeArray beforeSave;
    {
        AppSession session;
        session.OpenThroughDialog(image, {ModalScript::Press(IDYES), gui::ChooseShapeType(IDC_POINTS)});
        std::vector<gui::SeenWindow> seen = session.Answered(ID_FILE_OPEN_FEATURES, {ModalScript::OpenFile(shp)});
        ASSERT_EQ(seen.size(), 1u) << seen.back().message;
        const CImageSession& state = session.Doc()->Session();
        ASSERT_EQ(state.Features().GetSize(), 3);

        // The profile may remember it open from another test.
        CFeaturesWnd* pWnd = session.Frame()->GetFeaturesWnd();
        ASSERT_NE(pWnd, nullptr);
        if (!pWnd->IsOpen())
            gui::PressKey(session.FrameWnd(), VK_F9, {});
        ASSERT_TRUE(pWnd && pWnd->IsOpen());
        const HWND hList = List(pWnd);
        const int first = CFeaturesWnd::kFirstFieldColumn;
        EXPECT_EQ(HeaderTitle(hList, first), "height");
        EXPECT_EQ(HeaderTitle(hList, first + 3), "note");
        EXPECT_EQ(gui::ListCell(hList, 0, first), "120");
        EXPECT_EQ(gui::ListCell(hList, 1, first + 1), "1.500000000000000");
        EXPECT_EQ(gui::ListCell(hList, 2, first + 2), "2000-02-29");
        EXPECT_EQ(gui::ListCell(hList, 1, first + 3), "wet \xC3\xA9t\xC3\xA9");   // the file's UTF-8, shown as it is

        // A double click on spring's height opens the box; a word is refused
        // with the field's rule, the box stays; a number is kept.
        pWnd->SelectFeature(1);
        gui::DoubleClick(hList, CellPoint(hList, 1, first));
        ASSERT_NE(pWnd->CellEditor(), nullptr);
        {
            ModalScript script;
            script.Then(ModalScript::Press(IDOK));
            TypeIntoCell(pWnd, "high");
            ASSERT_EQ(script.Seen().size(), 1u);
            EXPECT_EQ(script.Seen()[0].message, "height takes a whole number, such as 120 or -5.");
        }
        ASSERT_NE(pWnd->CellEditor(), nullptr);
        TypeIntoCell(pWnd, "250");
        EXPECT_EQ(pWnd->CellEditor(), nullptr);
        EXPECT_EQ(state.Features().GetAt(1).Value(0), FieldValue("250"));
        EXPECT_EQ(gui::ListCell(hList, 1, first), "250");
        session.Command(ID_EDIT_UNDO);
        EXPECT_EQ(gui::ListCell(hList, 1, first), "");
        session.Command(ID_EDIT_REDO);
        EXPECT_EQ(gui::ListCell(hList, 1, first), "250");

        // A scroll keeps what was typed, as leaving the cell does, rather
        // than leave the box where its cell was.
        gui::DoubleClick(hList, CellPoint(hList, 1, first));
        ASSERT_NE(pWnd->CellEditor(), nullptr);
        SetWindowTextA(pWnd->CellEditor(), "300");
        SendMessageA(hList, WM_VSCROLL, SB_LINEDOWN, 0);
        EXPECT_EQ(pWnd->CellEditor(), nullptr);
        EXPECT_EQ(state.Features().GetAt(1).Value(0), FieldValue("300"));
        session.Command(ID_EDIT_UNDO);
        EXPECT_EQ(gui::ListCell(hList, 1, first), "250");

        // A field added in its dialog, with a default; undone and redone.
        {
            ModalScript script;
            script.Then([](HWND hDialog) {
                SetDlgItemTextA(hDialog, IDC_FIELD_NAME, "CLASS");
                SendDlgItemMessageA(hDialog, IDC_FIELD_TYPE, CB_SETCURSEL, 0, 0);
                SetDlgItemTextA(hDialog, IDC_FIELD_WIDTH, "12");
                SetDlgItemTextA(hDialog, IDC_FIELD_DEFAULT, "spring");
                gui::Click(hDialog, IDOK);
            });
            PressButton(pWnd, IDC_FEATURES_ADD_FIELD);
            ASSERT_EQ(script.Seen().size(), 1u);
            EXPECT_EQ(script.Seen()[0].title, "Add Field");
        }
        ASSERT_EQ(state.Features().Fields().size(), 5u);
        EXPECT_EQ(HeaderTitle(hList, first + 4), "CLASS");
        session.Command(ID_EDIT_UNDO);
        EXPECT_EQ(state.Features().Fields().size(), 4u);
        EXPECT_EQ(HeaderTitle(hList, first + 4), "");
        session.Command(ID_EDIT_REDO);
        ASSERT_EQ(state.Features().Fields().size(), 5u);
        // F2 edits the current column's cell: the new field's, of the well.
        pWnd->SelectFeature(0);
        pWnd->SetCurrentColumn(first + 4);
        gui::PressKey(hList, VK_F2, {});
        TypeIntoCell(pWnd, "source");
        EXPECT_EQ(gui::ListCell(hList, 0, first + 4), "source");

        // A new point: its name dialog shows the fields, CLASS with its default.
        {
            ModalScript script;
            script.Then([&](HWND hDialog) {
                EXPECT_EQ(gui::ItemText(hDialog, IDC_FEATURE_FIELD_LABEL), "height:");
                EXPECT_EQ(gui::ItemText(hDialog, IDC_FEATURE_FIELD_VALUE + 4), "spring");
                SetDlgItemTextA(hDialog, IDC_FEATURE_NAME, "pond");
                SetDlgItemTextA(hDialog, IDC_FEATURE_FIELD_VALUE, "75");
                SetDlgItemTextA(hDialog, IDC_FEATURE_FIELD_VALUE + 2, "2024-05-31");
                SaveShot(hDialog, folder + "\\attributes-dialog.bmp");
                gui::Click(hDialog, IDOK);
            });
            gui::LeftClick(session.ViewWnd(), gui::ShowPixel(session, 60, 150));
            EXPECT_EQ(script.Pending(), 0u);
            EXPECT_TRUE(script.Unexpected().empty());
        }
        ASSERT_EQ(state.Features().GetSize(), 4);
        EXPECT_EQ(gui::ListCell(hList, 3, first), "75");
        EXPECT_EQ(gui::ListCell(hList, 3, first + 4), "spring");
        SaveShot(pWnd->m_hWnd, folder + "\\attributes-table.bmp");

        // What a kill now would leave: the journal and the file it refers to.
        beforeSave = state.Features();
        ASSERT_TRUE(CopyFileA(journal.c_str(), (folder + "\\attributes.journal").c_str(), FALSE));
        CopyLayer(folder, "attributes", "opened");
        {
            ModalScript script;
            gui::PressKey(session.FrameWnd(), 'S', {VK_CONTROL});
            EXPECT_TRUE(script.Unexpected().empty()) << "Save writes back without asking";
        }
        EXPECT_FALSE(state.Unsaved());
        {
            ModalScript script;
            script.Then([&](HWND hDialog) {
                HWND hTypes = GetDlgItem(hDialog, 0x470);   // the file type list
                SendMessageA(hTypes, CB_SETCURSEL, 1, 0);
                for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
                    SendMessageA(hDialog, WM_COMMAND, MAKEWPARAM(0x470, code), reinterpret_cast<LPARAM>(hTypes));
                gui::AnswerFileDialog(hDialog, folder + "\\attributes-copy");
            });
            script.Then(ModalScript::Press(IDOK));   // "File saved as ..."
            session.Command(ID_FILE_SAVE_AS);
            EXPECT_TRUE(script.Unexpected().empty());
        }
        EXPECT_EQ(state.FeaturePath(), folder + "\\attributes-copy.gpkg");
        session.Command(ID_VIEW_FEATURES);   // closed, as the next test expects
    }

    // Started again over the journal and the file as they were: restored.
    CopyLayer(folder, "attributes", "saved");
    CopyLayer(folder, "opened", "attributes");
    ASSERT_TRUE(CopyFileA((folder + "\\attributes.journal").c_str(), journal.c_str(), FALSE));
    {
        AppSession again({image}, {ModalScript::Press(IDYES), ModalScript::Cancel()});
        const CShapeArray& restored = again.Doc()->Session().Features();
        EXPECT_EQ(again.Doc()->Session().FeaturePath(), shp) << "linked to its file again";
        ASSERT_EQ(restored.GetSize(), beforeSave.GetSize());
        ASSERT_EQ(restored.Fields().size(), beforeSave.Fields().size());
        for (int k = 0; k < static_cast<int>(beforeSave.Fields().size()); ++k)
        {
            EXPECT_EQ(restored.Fields()[k].def.strName, beforeSave.Fields()[k].def.strName);
            EXPECT_EQ(restored.Fields()[k].defaultValue, beforeSave.Fields()[k].defaultValue);
            EXPECT_EQ(restored.Column(k), beforeSave.Column(k)) << k;
        }
        again.Doc()->Session().FeaturesGivenUp();
    }
    CopyLayer(folder, "saved", "attributes");
}
