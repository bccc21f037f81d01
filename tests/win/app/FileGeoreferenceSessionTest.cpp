// An image that carries its own georeference (a GeoTIFF gdal_translate
// made, UTM 33N): asked once on open; Yes digitises at once with the file's
// fit and its coordinate system, No asks for control points as before. The
// Yes session leaves its shapefile and the clicked pixels (fromfile.expected)
// in the folder QUARVEX_SESSION_OUT names; check_file_georef_session.py
// then compares every vertex with GDAL's reading of the GeoTIFF.
#include <gtest/gtest.h>

#include <fstream>

#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"

using gui::ModalScript;

namespace
{
const char kQuestion[] = "This image carries a georeference (GeoTIFF keys, EPSG:32633). Use it, and digitise at "
                         "once? No places control points as usual.";

// A fresh copy of the GeoTIFF as kind.tif, with nothing of an earlier run beside it.
std::string FreshCopy(const std::string& folder, const std::string& kind)
{
    for (const char* ext : {".shp", ".shx", ".dbf", ".cpg", ".prj", ".expected", ".tvg", ".quarvex"})
        DeleteFileA((folder + "\\" + kind + ext).c_str());
    return CopyFixture("utm33.tif", folder, kind + ".tif", false);
}
}   // namespace

TEST(FileGeoreferenceSession, YesDigitisesAtOnceInTheFilesSystem)
{
    const std::string folder = gui::OutputFolder("QUARVEX_SESSION_OUT", "session");
    const std::string image = FreshCopy(folder, "fromfile");
    AppSession session;
    const std::vector<gui::SeenWindow> seen =
        session.OpenThroughDialog(image, {ModalScript::Press(IDYES), gui::ChooseShapeType(IDC_POINTS)});
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1].message, kQuestion);
    EXPECT_EQ(seen[2].title, "Digitise");
    const CImageSession& state = session.Doc()->Session();
    ASSERT_EQ(state.Mode(), MODE_DIGITISE);
    EXPECT_EQ(state.GeoRef().m_nFitModel, FitModel::FromFile);
    EXPECT_TRUE(state.GeoRef().m_points.empty());
    EXPECT_EQ(state.Crs().nEpsg, 32633);

    // Corners and the middle of the image: every click a point feature.
    const POINT pixels[] = {{0, 0}, {239, 0}, {120, 90}, {239, 179}, {0, 179}};
    std::ofstream expected(folder + "\\fromfile.expected", std::ios::trunc);
    int n = 0;
    for (POINT p : pixels)
    {
        const std::string name = "p" + std::to_string(++n);
        ModalScript script;
        script.Then(gui::NameFeature(name));
        gui::LeftClick(session.ViewWnd(), gui::ShowPixel(session, p.x, p.y));
        EXPECT_EQ(script.Pending(), 0u) << name;
        expected << name << "|" << p.x << " " << p.y << "\n";
    }
    expected.close();
    ASSERT_EQ(state.Features().GetSize(), 5);
    const std::vector<gui::SeenWindow> saved = session.SaveThroughDialog(folder + "\\fromfile");
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[1].message, "File saved as " + folder + "\\fromfile.shp");
    EXPECT_NE(ReadWholeFile(folder + "\\fromfile.quarvex").find("filegeoref=use"), std::string::npos);
}

TEST(FileGeoreferenceSession, NoAsksForControlPointsAndIsNotAskedAgain)
{
    const std::string image = FreshCopy(gui::TempFolder("fromfile-no"), "fromfile-no");
    AppSession session;
    std::vector<gui::SeenWindow> seen = session.OpenThroughDialog(image, {ModalScript::Press(IDNO)});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].message, kQuestion);
    const CImageSession& state = session.Doc()->Session();
    EXPECT_EQ(state.Mode(), MODE_GEOREFERENCE);
    EXPECT_FALSE(state.GeoRef().m_bValid);
    EXPECT_EQ(state.GeoRef().m_nFitModel, FitModel::RotationScales);
    EXPECT_TRUE(state.Crs().IsNone());

    // Digitise wants control points, as for any scan.
    seen = session.Answered(ID_VIEW_DIGITISE, {ModalScript::Press(IDOK)});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, "Insufficient, or inappropriate points to georeference");
    EXPECT_EQ(state.Mode(), MODE_GEOREFERENCE);

    // The answer is kept beside the image: opened again, nothing is asked.
    seen = session.OpenThroughDialog(image);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(state.Mode(), MODE_GEOREFERENCE);
    EXPECT_TRUE(state.HasFileGeoreference());
}
