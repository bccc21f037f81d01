// The screenshot in docs/: the sample map opened as a user opens it, with
// its control points. Written only when QUARVEX_SCREENSHOT names the BMP
// file to write (tools/docs-screenshot.sh does that).
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/win/app/AppSession.h"

TEST(DocsScreenshot, SampleMapWithItsControlPoints)
{
    const char* pszOutput = std::getenv("QUARVEX_SCREENSHOT");
    if (!pszOutput || !*pszOutput)
        GTEST_SKIP() << "QUARVEX_SCREENSHOT is not set";
    std::string sample = gui::FixturePath("../../../../samples/sample_map.jpg");
    AppSession session({sample});
    ASSERT_TRUE(session.started);
    ASSERT_FALSE(session.Doc()->m_image.IsEmpty());
    ASSERT_FALSE(session.Doc()->m_shapeFile.m_geoRef.m_points.empty());
    MoveWindow(session.FrameWnd(), 0, 0, 1000, 720, TRUE);
    gui::Pump();
    // The top-left corner of the sheet, with its control point and label.
    session.View()->ScrollToPosition(POINT{0, 60});
    gui::Pump();
    gui::Capture capture = gui::CaptureWindow(session.FrameWnd());
    ASSERT_TRUE(capture.SaveBmp(pszOutput));
}
