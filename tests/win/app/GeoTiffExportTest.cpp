// Export GeoTIFF in the program's windows: the dialog's defaults, checks and
// remembered choices, Escape and a failed write, and a session on the sample
// map whose marks GDAL then finds in the export (check_geotiff_gdal.py reads
// what this test leaves in QUARVEX_GEOTIFF_OUT).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "app/ExportGeoTiffDlg.h"
#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"
#include "tests/win/app/DocTestAccess.h"

using gui::ModalScript;

namespace
{

// A copy of the sample map with its control points, digitising points.
void OpenSampleDigitising(AppSession& session)
{
    ASSERT_TRUE(session.started);
    ModalScript script;
    script.Then(gui::ChooseShapeType(IDC_POINTS));
    session.Command(ID_VIEW_DIGITISE);
    ASSERT_EQ(session.Doc()->Session().Mode(), MODE_DIGITISE);
}

std::string SampleCopy(const std::string& folder, const std::string& name)
{
    return CopyFixture("../../../../samples/sample_map.jpg", folder, name, true);
}

void SelectCombo(HWND hDialog, int nID, int nIndex)
{
    SendDlgItemMessageA(hDialog, nID, CB_SETCURSEL, nIndex, 0);
    SendMessageA(hDialog, WM_COMMAND, MAKEWPARAM(nID, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(hDialog, nID)));
}

int CountFiles(const std::string& pattern)
{
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA(pattern.c_str(), &data);
    int count = 0;
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
            count += !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        while (FindNextFileA(hFind, &data));
        FindClose(hFind);
    }
    return count;
}

HWND g_hView = nullptr;
std::string g_progressSeen;

// Presses Escape in the view once the status line shows the export's progress.
void CALLBACK EscapeOnceExporting(HWND, UINT, UINT_PTR nTimer, DWORD)
{
    const std::string status = gui::Text(GetDlgItem(GetParent(g_hView), AFX_IDW_STATUS_BAR));
    if (status.find("Exporting GeoTIFF:") == std::string::npos)
        return;
    g_progressSeen = status;
    KillTimer(nullptr, nTimer);
    PostMessageA(g_hView, WM_KEYDOWN, VK_ESCAPE, 1);
}

}   // namespace

TEST(GeoTiffExport, DialogShowsTheDefaultRefusesBadEntriesAndRemembersChoices)
{
    const std::string folder = gui::TempFolder("geotiff-dialog");
    AppSession session({SampleCopy(folder, "map.jpg")});
    OpenSampleDigitising(session);
    EXPECT_TRUE(gui::GetMenuState(session.FrameWnd(), ID_FILE_EXPORT_GEOTIFF).enabled);
    const std::string defaultSize =
        FormatPixelSize(DefaultGeoTiffPixelSize(session.Doc()->Session().GeoRef().GetAffine()));
    HWND hExport = nullptr;
    ModalScript script;
    script.Then([&](HWND hDialog) {
        hExport = hDialog;
        EXPECT_EQ(gui::ItemText(hDialog, IDC_GEOTIFF_PIXEL_SIZE), defaultSize);
        SetDlgItemTextA(hDialog, IDC_GEOTIFF_PIXEL_SIZE, "0,5");
        gui::Click(hDialog, IDOK);
    });
    script.Then([&](HWND hBox) {
        EXPECT_EQ(gui::MessageText(hBox), "Type a pixel size above zero, in map units (such as 0.5).");
        gui::Click(hBox, IDOK);
        // The dialog stays; these are posted after the box's OK.
        SetDlgItemTextA(hExport, IDC_GEOTIFF_PIXEL_SIZE, "0.0003");
        CheckRadioButton(hExport, IDC_GEOTIFF_WHOLE_IMAGE, IDC_GEOTIFF_CONTROL_POINTS, IDC_GEOTIFF_CONTROL_POINTS);
        SelectCombo(hExport, IDC_GEOTIFF_RESAMPLING, RESAMPLE_CUBIC);
        SelectCombo(hExport, IDC_GEOTIFF_COMPRESSION, GEOTIFF_JPEG);
        SetDlgItemTextA(hExport, IDC_GEOTIFF_JPEG_QUALITY, "90");
        gui::Click(hExport, IDOK);
    });
    script.Then([](HWND hSave) {
        const std::string name = gui::ItemText(hSave, 0x47C) + gui::ItemText(hSave, 0x480);
        EXPECT_NE(name.find("map.tif"), std::string::npos);   // the scan's name
        gui::Click(hSave, IDCANCEL);
    });
    // Shown again as chosen: the pixel size for this image, the rest from the profile.
    script.Then([](HWND hDialog) {
        EXPECT_EQ(IsDlgButtonChecked(hDialog, IDC_GEOTIFF_CONTROL_POINTS), BST_CHECKED);
        EXPECT_EQ(gui::ItemText(hDialog, IDC_GEOTIFF_PIXEL_SIZE), "0.0003");
        EXPECT_EQ(SendDlgItemMessageA(hDialog, IDC_GEOTIFF_RESAMPLING, CB_GETCURSEL, 0, 0), RESAMPLE_CUBIC);
        EXPECT_EQ(SendDlgItemMessageA(hDialog, IDC_GEOTIFF_COMPRESSION, CB_GETCURSEL, 0, 0), GEOTIFF_JPEG);
        EXPECT_EQ(gui::ItemText(hDialog, IDC_GEOTIFF_JPEG_QUALITY), "90");
        // Back to the defaults for the tests that follow.
        CheckRadioButton(hDialog, IDC_GEOTIFF_WHOLE_IMAGE, IDC_GEOTIFF_CONTROL_POINTS, IDC_GEOTIFF_WHOLE_IMAGE);
        SelectCombo(hDialog, IDC_GEOTIFF_RESAMPLING, RESAMPLE_BILINEAR);
        SelectCombo(hDialog, IDC_GEOTIFF_COMPRESSION, GEOTIFF_DEFLATE);
        gui::Click(hDialog, IDOK);
    });
    script.Then(ModalScript::Cancel());
    session.Command(ID_FILE_EXPORT_GEOTIFF);
    session.Command(ID_FILE_EXPORT_GEOTIFF);
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_TRUE(script.Unexpected().empty());
    EXPECT_EQ(CountFiles(folder + "\\*.tif"), 0);
}

// Escape stops a long export: the status line showed its progress, the
// message says it was cancelled, and no file is left, temporary or not.
TEST(GeoTiffExport, EscapeCancelsAndLeavesNoFile)
{
    const std::string folder = gui::TempFolder("geotiff-cancel");
    AppSession session;
    ShowSyntheticImage(session, 4000, 3000, [](int c, int r) { return static_cast<uint32_t>(c * 2654435761u ^ r); });
    CGeoRefArray& geoRef = TestGeoRef(session.Doc());
    geoRef.m_points = {{1000.0, 5000.0, 100, 2900}, {4900.0, 5100.0, 3900, 2800}, {1100.0, 7900.0, 200, 100}};
    ASSERT_TRUE(geoRef.CalcTransform());
    SetTestMode(session.Doc(), MODE_DIGITISE);
    g_hView = session.ViewWnd();
    g_progressSeen.clear();
    const std::string path = folder + "\\large.tif";
    ModalScript script;
    script.Then(ModalScript::Press(IDOK));
    script.Then([&](HWND hSave) {
        gui::AnswerFileDialog(hSave, path);
        SetTimer(nullptr, 0, 50, EscapeOnceExporting);
    });
    script.Then([&](HWND hBox) {
        EXPECT_EQ(gui::MessageText(hBox), "The export was cancelled; no file was written: " + path);
        gui::Click(hBox, IDOK);
    });
    session.Command(ID_FILE_EXPORT_GEOTIFF);
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_NE(g_progressSeen.find("% done. Press Esc to cancel."), std::string::npos) << g_progressSeen;
    EXPECT_EQ(gui::Text(session.StatusBarWnd()), "");
    EXPECT_EQ(CountFiles(folder + "\\*"), 0);
}

// A target another program holds open cannot be replaced: the export fails
// with its path, the old file stays and no temporary is left.
TEST(GeoTiffExport, FailedWriteSaysSoWithThePath)
{
    const std::string folder = gui::TempFolder("geotiff-locked");
    AppSession session({SampleCopy(folder, "map.jpg")});
    OpenSampleDigitising(session);
    const std::string path = folder + "\\locked.tif";
    WriteWholeFile(path, "held open elsewhere");
    HANDLE hHeld = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ModalScript script;
    script.Then(ModalScript::Press(IDOK));
    script.Then(ModalScript::OpenFile(path));
    script.Then(ModalScript::Press(IDYES));   // replace the existing file?
    script.Then([&](HWND hBox) {
        EXPECT_EQ(gui::MessageText(hBox),
                  "An error occurred whilst writing the GeoTIFF (is the disk full?); no file was written: " + path);
        gui::Click(hBox, IDOK);
    });
    session.Command(ID_FILE_EXPORT_GEOTIFF);
    CloseHandle(hHeld);
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(ReadWholeFile(path), "held open elsewhere");
    EXPECT_EQ(CountFiles(folder + "\\*.tmp"), 0);
}

// Marks of the sample map digitised as points and saved, then the map
// exported; check_geotiff_gdal.py samples the GeoTIFF at the saved points.
TEST(GeoTiffExport, SampleMapSessionForGdal)
{
    const std::string folder = gui::OutputFolder("QUARVEX_GEOTIFF_OUT", "geotiff");
    for (const char* name : {"marks.shp", "marks.tif", "marks.expected"})
        DeleteFileA((folder + "\\" + name).c_str());
    AppSession session({SampleCopy(folder, "marks.jpg")});
    OpenSampleDigitising(session);
    const struct
    {
        const char* name;
        POINT pixel;
        const char* colour;   // as drawn on the sheet
    } marks[] = {
        {"Varenne", {478, 825}, "20 20 20"},   // village squares
        {"Castelrivo", {1368, 679}, "20 20 20"},
        {"Rocca Bianca", {1489, 459}, "90 50 20"},   // a peak's triangle
        {"Lago Nero", {1000, 660}, "196 222 240"},   // the lake's water
    };
    std::ofstream expected(folder + "\\marks.expected", std::ios::trunc);
    ModalScript script;
    for (const auto& mark : marks)
    {
        script.Then(gui::NameFeature(mark.name));
        gui::LeftClick(session.ViewWnd(), gui::ShowPixel(session, mark.pixel.x, mark.pixel.y));
        expected << mark.name << "|" << mark.colour << "\n";
    }
    expected.close();
    script.Then(ModalScript::OpenFile(folder + "\\marks.shp"));
    script.Then(ModalScript::Press(IDOK));
    session.Command(ID_FILE_SAVE_AS);
    script.Then([](HWND hDialog) {
        SelectCombo(hDialog, IDC_GEOTIFF_RESAMPLING, RESAMPLE_NEAREST);
        gui::Click(hDialog, IDOK);
    });
    script.Then(ModalScript::OpenFile(folder + "\\marks.tif"));
    script.Then([&](HWND hBox) {
        EXPECT_EQ(gui::MessageText(hBox), "GeoTIFF exported as " + folder + "\\marks.tif");
        gui::Click(hBox, IDOK);
    });
    session.Command(ID_FILE_EXPORT_GEOTIFF);
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_TRUE(script.Unexpected().empty());
}

// A scan reopened with four points and the affine model chosen exports at
// once, without digitising; check_geotiff_gdal.py compares the grid gdalinfo
// reads with an affine fit of the same points of its own.
TEST(GeoTiffExport, ReopenedScanWithFourPointsExportsWithoutDigitising)
{
    const std::string folder = gui::OutputFolder("QUARVEX_GEOTIFF_OUT", "geotiff");
    DeleteFileA((folder + "\\four.tif").c_str());
    const std::string scan = CopyFixture("../../../../samples/sample_map.jpg", folder, "four.jpg", false);
    // Easting, northing, column, row: the sample's three and a fourth a pixel off the affine.
    WriteWholeFile(folder + "\\four.tvg", "7.000000,45.000000,218,1347\r\n7.250000,45.000000,1898,1242\r\n"
                                          "7.000000,45.166667,148,227\r\n7.250000,45.166667,1829,121\r\n");
    WriteWholeFile(folder + "\\four.quarvex", "crs=EPSG:4326\r\nfit=affine\r\n");
    AppSession session({scan});
    ASSERT_TRUE(session.started);
    ASSERT_EQ(session.Doc()->Session().Mode(), MODE_GEOREFERENCE);
    EXPECT_TRUE(gui::GetMenuState(session.FrameWnd(), ID_FILE_EXPORT_GEOTIFF).enabled);
    ModalScript script;
    script.Then([](HWND hDialog) {
        SelectCombo(hDialog, IDC_GEOTIFF_RESAMPLING, RESAMPLE_NEAREST);
        gui::Click(hDialog, IDOK);
    });
    script.Then(ModalScript::OpenFile(folder + "\\four.tif"));
    script.Then([&](HWND hBox) {
        EXPECT_EQ(gui::MessageText(hBox), "GeoTIFF exported as " + folder + "\\four.tif");
        gui::Click(hBox, IDOK);
    });
    session.Command(ID_FILE_EXPORT_GEOTIFF);
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_TRUE(script.Unexpected().empty());
    EXPECT_EQ(session.Doc()->Session().Mode(), MODE_GEOREFERENCE) << "no digitising was needed";

    // Two points allow no affine model: nothing to export with.
    ASSERT_TRUE(session.Doc()->Session().DeletePoint(3).bDone);   // still three: the affine fits
    EXPECT_TRUE(gui::GetMenuState(session.FrameWnd(), ID_FILE_EXPORT_GEOTIFF).enabled);
    ASSERT_TRUE(session.Doc()->Session().DeletePoint(2).bDone);
    EXPECT_FALSE(gui::GetMenuState(session.FrameWnd(), ID_FILE_EXPORT_GEOTIFF).enabled);
}

// The screenshot of the export dialog in docs/, written only when
// QUARVEX_EXPORT_SCREENSHOT names the BMP file (tools/docs-screenshot.sh).
TEST(DocsScreenshot, ExportGeoTiffDialog)
{
    const char* pszOutput = std::getenv("QUARVEX_EXPORT_SCREENSHOT");
    if (!pszOutput || !*pszOutput)
        GTEST_SKIP() << "QUARVEX_EXPORT_SCREENSHOT is not set";
    AppSession session({SampleCopy(gui::TempFolder("docs-export"), "sample_map.jpg")});
    OpenSampleDigitising(session);
    ModalScript script;
    script.Then([](HWND hDialog) {
        EXPECT_TRUE(gui::CaptureWindow(hDialog).SaveBmp(std::getenv("QUARVEX_EXPORT_SCREENSHOT")));
        gui::Click(hDialog, IDCANCEL);
    });
    session.Command(ID_FILE_EXPORT_GEOTIFF);
    EXPECT_EQ(script.Pending(), 0u);
}
