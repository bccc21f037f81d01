// The sample map in a real window: opened with its control points,
// transposed, copied. The copied bitmap is saved as a JPEG beside a copy of
// the world file in the folder QUARVEX_TRANSPOSE_OUT, where GDAL (natively,
// outside Wine) checks afterwards that it reads the georeference we wrote.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/TransposeTestSupport.h"

using gui::ModalScript;
using namespace transpose_test;

namespace
{
std::string SamplePath(const char* name) { return gui::WindowsPath(QUARVEX_SAMPLES_DIR + std::string("/") + name); }
}

TEST(TransposeSampleMap, TransposeAndCopyTheSampleMapForGdal)
{
    const std::string out = gui::OutputFolder("QUARVEX_TRANSPOSE_OUT", "transpose-sample-map");
    const std::string scanFolder = out + "\\scan";
    CreateDirectoryA(scanFolder.c_str(), nullptr);
    const std::string scan = scanFolder + "\\sample_map.jpg";
    ASSERT_TRUE(CopyFileA(SamplePath("sample_map.jpg").c_str(), scan.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(SamplePath("sample_map.tvg").c_str(), (scanFolder + "\\sample_map.tvg").c_str(), FALSE));
    DeleteFileA((scanFolder + "\\sample_map.jgw").c_str());
    for (const char* name : {"north-up.jpg", "north-up.jgw", "north-up.expected"})
        DeleteFileA((out + "\\" + name).c_str());

    AppSession session;
    session.OpenThroughDialog(scan);
    CImageDoc* pDoc = session.Doc();
    ASSERT_EQ(pDoc->Image().Width(), 2048);
    ASSERT_EQ(pDoc->Session().GeoRef().m_points.size(), 3u);
    EnterDigitise(session);
    ASSERT_EQ(pDoc->Session().Mode(), MODE_DIGITISE);

    ModalScript script;
    script.Then(ModalScript::Press(IDNO));
    session.Command(ID_VIEW_TRANSPOSE);
    ASSERT_EQ(pDoc->Session().Mode(), MODE_TRANSPOSED);
    CImageView* pView = session.View();
    EXPECT_EQ(pView->GetDocument()->NorthUp().Width(), 1480);
    EXPECT_EQ(pView->GetDocument()->NorthUp().Height(), 2048);
    const std::string worldFile = ReadWholeFile(scanFolder + "\\sample_map.jgw");
    ASSERT_FALSE(worldFile.empty());

    // Scrolled somewhere in the middle: the copy does not care.
    pView->ScrollToPosition(POINT{400, 900});
    gui::Pump();
    ClearClipboard();
    session.Command(ID_EDIT_COPY);
    const RgbImage copied = ReadClipboardBitmap();
    ASSERT_EQ(copied.width, 1480);
    ASSERT_EQ(copied.height, 2048);
    EXPECT_TRUE(copied == TransposedOfView(pView));

    // What the user does next: save the pasted bitmap as a .jpg beside the
    // world file.
    ASSERT_TRUE(WriteJpeg(out + "\\north-up.jpg", copied, 90));
    WriteWholeFile(out + "\\north-up.jgw", worldFile);
    // The size and extents the run was made with, for the check outside.
    const CTransposeExtents& e = pView->GetDocument()->NorthUp().extents;
    char expected[256];
    std::snprintf(expected, sizeof(expected), "%d %d %.12f %.12f %.12f %.12f\n", e.outW, e.outH, e.x0, e.y0,
                  (e.x1 - e.x0) / e.outW, (e.y1 - e.y0) / e.outH);
    WriteWholeFile(out + "\\north-up.expected", expected);
}
