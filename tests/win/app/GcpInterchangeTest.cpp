// The control-point exports in the program's windows, on a copy of the sample
// map with twelve points: the menu's states, the .points round trip through
// Import, the scan's world file asked before replacing, and for three models
// the VRT, the clipboard's GDAL command lines and our GeoTIFF export, which
// check_gcp_interchange_gdal.py then sets against gdalwarp and gdalinfo.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "app/DocumentCommands.h"
#include "app/ExportGeoTiffDlg.h"
#include "app/res/resource.h"
#include "core/georef/NumberFormat.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/DocTestAccess.h"
#include "tests/win/app/MouseDriver.h"

using gui::ModalScript;

namespace
{

std::string ClipboardText()
{
    std::string text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE hData = GetClipboardData(CF_TEXT))
    {
        if (const char* p = static_cast<const char*>(GlobalLock(hData)))
        {
            text = p;
            GlobalUnlock(hData);
        }
    }
    CloseClipboard();
    return text;
}

// A smooth, not affine relation of the sample map's pixels to degrees,
// sampled at twelve spread pixels.
std::string PointFileText()
{
    std::string text;
    for (int i = 0; i < 12; ++i)
    {
        const int c = 60 + (i % 4) * 620 + (i / 4) * 37, r = 50 + (i / 4) * 660 + (i % 4) * 23;
        const double lon = 6.98 + 1.9576e-4 * c + 7e-6 * r + 2e-10 * c * r;
        const double lat = 45.2017 - 1.1631e-4 * r + 8e-6 * c - 3e-11 * r * r;
        text += FormatFixed(lon, 6) + "," + FormatFixed(lat, 6) + "," + std::to_string(c) + "," + std::to_string(r) +
                "\r\n";
    }
    return text;
}

void SelectCombo(HWND hDialog, int nID, int nIndex)
{
    SendDlgItemMessageA(hDialog, nID, CB_SETCURSEL, nIndex, 0);
    SendMessageA(hDialog, WM_COMMAND, MAKEWPARAM(nID, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(hDialog, nID)));
}

bool Enabled(AppSession& session, UINT nID) { return gui::GetMenuState(session.FrameWnd(), nID).enabled; }

void ChooseModel(AppSession& session, FitModel nModel)
{
    Follow(*session.Doc(), session.Doc()->Session().ChooseFitModel(nModel));
    ASSERT_EQ(session.Doc()->Session().GeoRef().m_nFittedModel, nModel);
}

// The model's VRT with the command lines, and our GeoTIFF at pixel size
// dSize (finer than the scan's, where no kernel needs widening) with each
// resampling.
void ExportModel(AppSession& session, const std::string& folder, const std::string& name)
{
    const std::string vrt = folder + "\\" + name + ".vrt";
    ModalScript script;
    script.Then(ModalScript::OpenFile(vrt));
    script.Then([&](HWND hBox) {
        const std::string text = gui::MessageText(hBox);
        EXPECT_EQ(text.rfind("GDAL virtual raster written as " + vrt, 0), 0u) << text;
        gui::Click(hBox, IDOK);
    });
    session.Command(ID_FILE_EXPORT_GDAL);
    EXPECT_EQ(script.Pending(), 0u);
    const std::string commands = ClipboardText();
    EXPECT_EQ(commands.rfind("gdal_translate -of VRT -a_srs EPSG:4326 -gcp ", 0), 0u) << commands;
    std::ofstream(folder + "\\" + name + ".commands", std::ios::binary) << commands;

    // Our fit at the points and at the scan's corners and centre, for
    // gdaltransform on the VRT.
    const CGeoRefArray& geoRef = session.Doc()->Session().GeoRef();
    std::ofstream expected(folder + "\\" + name + ".expected", std::ios::binary);
    expected.precision(17);
    std::vector<std::pair<double, double>> pixels = {{-0.5, -0.5}, {2047.5, 1479.5}, {1023.5, 739.5}};
    for (const CGeoRefPoint& p : geoRef.m_points)
        pixels.push_back({p.m_nPixelX, p.m_nPixelY});
    for (const auto& [c, r] : pixels)
    {
        double x, y;
        if (geoRef.Warp())
            geoRef.Warp()->Map(c, r, &x, &y);
        else
            geoRef.GetAffine().Map(c, r, &x, &y);
        expected << c << " " << r << " " << x << " " << y << "\n";
    }

    for (const auto& [method, suffix] : {std::pair{RESAMPLE_NEAREST, "near"}, std::pair{RESAMPLE_BILINEAR, "bilinear"}})
    {
        const std::string tif = folder + "\\" + name + "-" + suffix + ".tif";
        script.Then([method = method](HWND hDialog) {
            SetDlgItemTextA(hDialog, IDC_GEOTIFF_PIXEL_SIZE, "0.0001");
            SelectCombo(hDialog, IDC_GEOTIFF_RESAMPLING, method);
            SelectCombo(hDialog, IDC_GEOTIFF_COMPRESSION, GEOTIFF_DEFLATE);
            gui::Click(hDialog, IDOK);
        });
        script.Then(ModalScript::OpenFile(tif));
        script.Then(ModalScript::Press(IDOK));
        session.Command(ID_FILE_EXPORT_GEOTIFF);
        EXPECT_EQ(script.Pending(), 0u);
    }
    EXPECT_TRUE(script.Unexpected().empty());
}

}   // namespace

TEST(GcpInterchange, SampleMapExportsForGdal)
{
    const std::string folder = gui::OutputFolder("QUARVEX_GCP_OUT", "gcp");
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((folder + "\\" + found.cFileName).c_str());
        while (FindNextFileA(hFind, &found));
        FindClose(hFind);
    }
    const std::string scan = CopyFixture("../../../../samples/sample_map.jpg", folder, "map.jpg", false);
    WriteWholeFile(folder + "\\map.tvg", PointFileText());
    AppSession session({scan});
    ASSERT_TRUE(session.started);
    CImageSession& s = session.Doc()->Session();
    ASSERT_EQ(s.GeoRef().m_points.size(), 12u);
    (void)s.SetCrs(CCrsRef{4326, true});

    // Georeferencing, no fit asked for yet: the exports are there all the same.
    ASSERT_EQ(s.Mode(), MODE_GEOREFERENCE);
    for (UINT id : {ID_FILE_IMPORT_POINTS, ID_FILE_EXPORT_POINTS, ID_FILE_EXPORT_GDAL, ID_FILE_EXPORT_IIIF,
                    ID_FILE_SAVE_WORLD_FILE, ID_FILE_EXPORT_FIT_REPORT})
        EXPECT_TRUE(Enabled(session, id)) << id;
    ChooseModel(session, FitModel::Projective);
    EXPECT_FALSE(Enabled(session, ID_FILE_SAVE_WORLD_FILE));   // not affine
    ChooseModel(session, FitModel::Affine);

    // The scan's world file, asked before it is replaced.
    const std::string world = folder + "\\map.jgw";
    ModalScript script;
    script.Then(ModalScript::Press(IDOK));
    script.Then([&](HWND hBox) {
        EXPECT_EQ(gui::MessageText(hBox), world + " already exists. Replace it?");
        gui::Click(hBox, IDNO);
    });
    session.Command(ID_FILE_SAVE_WORLD_FILE);
    session.Command(ID_FILE_SAVE_WORLD_FILE);
    EXPECT_EQ(script.Pending(), 0u);
    {
        // Our fit's corners of the scan, for gdalinfo's.
        const CAffineTransform fit = s.GeoRef().GetAffine();
        std::ofstream corners(folder + "\\map.corners", std::ios::binary);
        corners.precision(17);
        for (const auto& [c, r] :
             {std::pair{-0.5, -0.5}, std::pair{2047.5, -0.5}, std::pair{-0.5, 1479.5}, std::pair{2047.5, 1479.5}})
        {
            double x, y;
            fit.Map(c, r, &x, &y);
            corners << x << " " << y << "\n";
        }
    }

    // .points out and in again: the same points, one edit that Undo takes back.
    const std::vector<CGeoRefPoint> before = s.GeoRef().m_points;
    const std::string points = folder + "\\map.points";
    script.Then(ModalScript::OpenFile(points));
    script.Then(ModalScript::Press(IDOK));
    session.Command(ID_FILE_EXPORT_POINTS);
    Follow(*session.Doc(), s.DeletePoint(0));
    script.Then(ModalScript::OpenFile(points));
    script.Then([](HWND hBox) {
        EXPECT_EQ(gui::MessageText(hBox).rfind("Replace the 11 control points with the 12 read from ", 0), 0u);
        gui::Click(hBox, IDYES);
    });
    session.Command(ID_FILE_IMPORT_POINTS);
    EXPECT_EQ(script.Pending(), 0u);
    ASSERT_EQ(s.GeoRef().m_points.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i)
    {
        EXPECT_EQ(s.GeoRef().m_points[i].m_nPixelX, before[i].m_nPixelX);
        EXPECT_EQ(s.GeoRef().m_points[i].m_nPixelY, before[i].m_nPixelY);
        EXPECT_EQ(s.GeoRef().m_points[i].m_dMapX, before[i].m_dMapX);
        EXPECT_EQ(s.GeoRef().m_points[i].m_dMapY, before[i].m_dMapY);
    }
    EXPECT_EQ(UndoText(s, false), "&Undo Import Control Points\tCtrl+Z");

    script.Then(ModalScript::OpenFile(folder + "\\map.json"));
    script.Then(ModalScript::Press(IDOK));
    session.Command(ID_FILE_EXPORT_IIIF);
    script.Then(ModalScript::OpenFile(folder + "\\map-fit-report.txt"));
    script.Then(ModalScript::Press(IDOK));
    session.Command(ID_FILE_EXPORT_FIT_REPORT);
    EXPECT_EQ(script.Pending(), 0u);

    // The GeoTIFF export is offered while digitising.
    script.Then(gui::ChooseShapeType(IDC_POINTS));
    session.Command(ID_VIEW_DIGITISE);
    ASSERT_EQ(s.Mode(), MODE_DIGITISE);
    for (const auto& [model, name] : {std::pair{FitModel::Affine, "affine"}, std::pair{FitModel::Polynomial2, "poly2"},
                                      std::pair{FitModel::ThinPlateSpline, "tps"}})
    {
        ChooseModel(session, model);
        ExportModel(session, folder, name);
    }
    EXPECT_TRUE(script.Unexpected().empty());
}

namespace
{
HWND g_hMenuFrame = nullptr;
int g_nMenuStep = 0;

// Inside the menu's own loop: opens the submenu by its letter, then takes
// the screen under the frame's top-left and closes the menus.
void CALLBACK MenuShotStep(HWND, UINT, UINT_PTR nTimer, DWORD)
{
    if (g_nMenuStep++ == 0)
    {
        PostMessageA(g_hMenuFrame, WM_CHAR, 'p', 0);
        return;
    }
    KillTimer(nullptr, nTimer);
    RECT rc;
    GetWindowRect(g_hMenuFrame, &rc);
    rc.right = rc.left + 640;
    rc.bottom = rc.top + 300;
    EXPECT_TRUE(gui::CaptureScreen(rc).SaveBmp(std::getenv("QUARVEX_MENU_SCREENSHOT")));
    for (int i = 0; i < 3; ++i)
        PostMessageA(g_hMenuFrame, WM_KEYDOWN, VK_ESCAPE, 0);
}
}   // namespace

// The File menu with Import/Export Control Points open, written only when
// QUARVEX_MENU_SCREENSHOT names the BMP file.
TEST(DocsScreenshot, ControlPointExportsMenu)
{
    const char* pszOutput = std::getenv("QUARVEX_MENU_SCREENSHOT");
    if (!pszOutput || !*pszOutput)
        GTEST_SKIP() << "QUARVEX_MENU_SCREENSHOT is not set";
    const std::string folder = gui::TempFolder("docs-gcp-menu");
    const std::string scan = CopyFixture("../../../../samples/sample_map.jpg", folder, "sample_map.jpg", false);
    WriteWholeFile(folder + "\\sample_map.tvg", PointFileText());
    AppSession session({scan});
    ASSERT_TRUE(session.started);
    (void)session.Doc()->Session().SetCrs(CCrsRef{4326, true});
    g_hMenuFrame = session.FrameWnd();
    g_nMenuStep = 0;
    SetTimer(nullptr, 0, 500, MenuShotStep);
    SendMessageA(session.FrameWnd(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
    EXPECT_EQ(g_nMenuStep, 2);
}
