// The Transpose command in the program's own windows: the crop question,
// extents and size of the resampled image, its world file beside the image,
// the view switched to it, refusals of degenerate extents, the re-show
// without asking, and the menu states of Transpose and Copy in each mode.
#include <gtest/gtest.h>

#include "core/raster/Transpose.h"
#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"
#include "tests/win/app/TransposeTestSupport.h"
#include "winfw/FwUtil.h"
#include "tests/win/app/DocTestAccess.h"

using gui::ModalScript;
using namespace transpose_test;

namespace
{
const char kCropQuestion[] = "Do you want to crop to the reference points?";
const char kCalculating[] = "Calculating transformation...";
const char kTransposedHint[] = "Georeferenced Image.  .jgw file created.  Copy image to clipboard and save as .jpg";

// The 200 x 100 image of the worked example: map X = 100 + column and map
// Y = 200 + (100 - row), given by control points at its four corners.
const std::vector<PointRecord> kWorkedExamplePoints = {
    {100, 300, 0, 0}, {299, 300, 199, 0}, {100, 201, 0, 99}, {299, 201, 199, 99}};
const char kWorkedExampleWorldFile[] =
    "1.990000000000\r\n0.00\r\n0.00\r\n-0.495000000000\r\n100.000000000000\r\n300.000000000000\r\n";

// Map X = 1000 + 2 column, map Y = 5000 - 2 row at three points.
const std::vector<PointRecord> kCropPoints = {{1020, 4980, 10, 10}, {1220, 4880, 110, 60}, {1120, 4940, 60, 30}};

std::string WorldFilePath(const std::string& imagePath) { return imagePath.substr(0, imagePath.rfind('.')) + ".jgw"; }

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A JPEG of width x height made now, with its point file, opened through
// File Open and taken to digitise mode.
std::string OpenMadeImage(AppSession& session, const std::string& folder, int width, int height,
                          const std::vector<PointRecord>& points)
{
    std::string path = gui::TempFolder(folder) + "\\scan.jpg";
    EXPECT_TRUE(WriteJpeg(path, NumberedImage(width, height), 95));
    WritePointFile(path, points);
    DeleteFileA(WorldFilePath(path).c_str());
    session.OpenThroughDialog(path);
    EXPECT_EQ(session.Doc()->Image().Width(), width);
    EnterDigitise(session);
    EXPECT_EQ(session.Doc()->Session().Mode(), MODE_DIGITISE);
    return path;
}

// Runs Transpose answering the crop question; returns what was asked.
std::vector<gui::SeenWindow> Transpose(AppSession& session, int answer, int* pDefaultButton = nullptr)
{
    ModalScript script;
    script.Then([=](HWND hBox) {
        if (pDefaultButton)
            *pDefaultButton = DefaultButton(hBox);
        gui::Click(hBox, answer);
    });
    session.Command(ID_VIEW_TRANSPOSE);
    std::vector<gui::SeenWindow> seen = script.Seen();
    for (const gui::SeenWindow& window : script.Unexpected())
        seen.push_back(window);
    return seen;
}

// The cells that the plain per-pixel statement of the resampling gives for
// the document's image and transformation, on a white grid.
RgbImage ExpectedCells(const CImageDoc* pDoc, const CTransposeExtents& extents)
{
    RgbImage cells;
    cells.width = extents.outW;
    cells.height = extents.outH;
    cells.rgb.assign(static_cast<size_t>(cells.width) * cells.height * 3, 0xFF);
    ResampleNorthUpPerPixel(pDoc->Image().Pixels(), pDoc->Image().Width(), pDoc->Image().Height(),
                            pDoc->Session().GeoRef(), extents, cells.rgb.data());
    return cells;
}
}

TEST(TransposeCommand, WorkedExampleWholeImage)
{
    AppSession session;
    session.SetViewClientSize(260, 240);
    const std::string path = OpenMadeImage(session, "transpose-worked", 200, 100, kWorkedExamplePoints);
    session.Command(ID_VIEW_ZOOM200);   // Transpose shows its image at zoom 1 whatever the zoom before

    int defaultButton = 0;
    std::vector<gui::SeenWindow> seen;
    std::vector<std::string> statusTexts;
    {
        StatusRecorder status(session.StatusBarWnd());
        seen = Transpose(session, IDNO, &defaultButton);
        statusTexts = status.Texts();
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, kCropQuestion);
    EXPECT_EQ(defaultButton, IDNO);

    CImageView* pView = session.View();
    EXPECT_EQ(session.Doc()->Session().Mode(), MODE_TRANSPOSED);
    ASSERT_FALSE(pView->GetDocument()->NorthUp().IsEmpty());
    const CTransposeExtents& e = pView->GetDocument()->NorthUp().extents;
    EXPECT_EQ(e.x0, 100);
    EXPECT_EQ(e.y0, 300);
    EXPECT_EQ(e.x1, 299);
    EXPECT_EQ(e.y1, 201);
    // The output's width is the source's height, and its height the source's width.
    EXPECT_EQ(pView->GetDocument()->NorthUp().Width(), 100);
    EXPECT_EQ(pView->GetDocument()->NorthUp().Height(), 200);
    EXPECT_EQ(ReadWholeFile(WorldFilePath(path)), kWorkedExampleWorldFile);
    EXPECT_TRUE(TransposedOfView(pView) == ExpectedCells(session.Doc(), e));

    // The status line announced the work and keeps saying so until the
    // mouse moves.
    ASSERT_FALSE(statusTexts.empty());
    EXPECT_EQ(statusTexts.back(), kCalculating);
    EXPECT_EQ(gui::Text(session.StatusBarWnd()), kCalculating);

    // The view shows the resampled image at zoom 1 from the origin, and
    // nothing of the scan or its control points.
    EXPECT_EQ(pView->m_nZoom, 1);
    EXPECT_EQ(pView->GetTotalSize().cx, 100);
    EXPECT_EQ(pView->GetTotalSize().cy, 200);
    EXPECT_EQ(pView->GetScrollPosition().x, 0);
    EXPECT_EQ(pView->GetScrollPosition().y, 0);
    gui::Capture capture = gui::CaptureClient(session.ViewWnd());
    const RgbImage cells = TransposedOfView(pView);
    int wrong = 0;
    for (int y = 0; y < std::min(capture.height, cells.height); ++y)
        for (int x = 0; x < cells.width; ++x)
        {
            const unsigned char* p = &cells.rgb[(static_cast<size_t>(y) * cells.width + x) * 3];
            wrong += capture.At(x, y) != (static_cast<uint32_t>(p[0]) << 16 | p[1] << 8 | p[2]);
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(capture.At(150, 10), gui::Rgb(GetSysColor(COLOR_WINDOW))) << "right of the image";

    // The next mouse move tells the user what to do with the image.
    gui::MouseMove(session.ViewWnd(), POINT{20, 20});
    EXPECT_EQ(gui::Text(session.StatusBarWnd()), kTransposedHint);
}

TEST(TransposeCommand, CropToTheControlPoints)
{
    AppSession session;
    const std::string path = OpenMadeImage(session, "transpose-crop", 200, 100, kCropPoints);
    ASSERT_EQ(Transpose(session, IDYES).size(), 1u);

    CImageView* pView = session.View();
    ASSERT_EQ(session.Doc()->Session().Mode(), MODE_TRANSPOSED);
    EXPECT_EQ(pView->GetDocument()->NorthUp().Width(), 100);
    EXPECT_EQ(pView->GetDocument()->NorthUp().Height(), 50);
    // The bounding box of the points' map coordinates, north at the top.
    const CTransposeExtents& e = pView->GetDocument()->NorthUp().extents;
    EXPECT_EQ(e.x0, 1020);
    EXPECT_EQ(e.x1, 1220);
    EXPECT_EQ(e.y0, 4980);
    EXPECT_EQ(e.y1, 4880);
    EXPECT_EQ(ReadWholeFile(WorldFilePath(path)),
              "2.000000000000\r\n0.00\r\n0.00\r\n-2.000000000000\r\n1020.000000000000\r\n4980.000000000000\r\n");
    EXPECT_TRUE(TransposedOfView(pView) == ExpectedCells(session.Doc(), e));
    EXPECT_EQ(pView->GetTotalSize().cx, 100);
    EXPECT_EQ(pView->GetTotalSize().cy, 50);
}

namespace
{
struct RefusalCase
{
    const char* name;
    int width, height;
    std::vector<PointRecord> points;   // fitted; empty: the transformation below
    double rotation, xScale, yScale;   // set directly when there are no points
    int answer;
    TransposeStatus expected;
};

const RefusalCase kRefusals[] = {
    // A rotated sheet whose two points lie in one pixel column: the fit
    // works, the crop would have no width.
    {"one column", 120, 80, {{100, 200, 10, 10}, {150, 150, 10, 60}}, 0, 0, 0, IDYES, TRANSPOSE_SAME_COLUMN},
    {"one row", 120, 80, {{100, 200, 10, 10}, {150, 250, 60, 10}}, 0, 0, 0, IDYES, TRANSPOSE_SAME_ROW},
    // A one-pixel-wide scan, north up: its corners share one map X.
    {"one map X", 1, 40, {}, 0.0, 1.0, 1.0, IDNO, TRANSPOSE_SAME_MAP_X},
    {"one map Y", 40, 1, {}, 0.0, 1.0, 1.0, IDNO, TRANSPOSE_SAME_MAP_Y},
};
}

TEST(TransposeCommand, EveryRefusalSaysWhy)
{
    const struct
    {
        TransposeStatus status;
        const char* because;
    } reasons[] = {
        {TRANSPOSE_SAME_COLUMN, "one pixel column"},
        {TRANSPOSE_SAME_ROW, "one pixel row"},
        {TRANSPOSE_SAME_MAP_X, "share one map X"},
        {TRANSPOSE_SAME_MAP_Y, "share one map Y"},
        {TRANSPOSE_SAME_MAP_X, "west to east is zero"},
        {TRANSPOSE_SAME_MAP_Y, "north to south is zero"},
        {TRANSPOSE_NO_POINTS, "no reference points"},
#ifdef _WIN64
        {TRANSPOSE_TOO_LARGE, "4294967296 pixels"},
#else
        {TRANSPOSE_TOO_LARGE, "268435456 pixels"},
#endif
        {TRANSPOSE_NO_IMAGE, "no image"},
        {TRANSPOSE_NOT_FITTED, "fitted"},
        {TRANSPOSE_BAD_MAP_EXTENTS, "out of range"},
        {TRANSPOSE_OUT_OF_MEMORY, "not enough memory"},
    };
    for (const auto& reason : reasons)
    {
        const std::string text = LoadResString(TransposeStatusStringId(reason.status));
        EXPECT_NE(text.find(reason.because), std::string::npos) << text;
    }
}

TEST(TransposeCommand, DegenerateExtentsAreRefusedWithTheReasonAndDigitisingGoesOn)
{
    for (const RefusalCase& c : kRefusals)
    {
        SCOPED_TRACE(c.name);
        AppSession session;
        ShowSyntheticImage(session, c.width, c.height, [](int x, int y) { return 0x102030u + x + (y << 8); });
        const std::string path = gui::TempFolder("transpose-refused") + "\\scan.jpg";
        DeleteFileA(WorldFilePath(path).c_str());
        CImageDoc* pDoc = session.Doc();
        pDoc->SetPathName(path.c_str());
        CGeoRefArray& geoRef = TestGeoRef(pDoc);
        if (!c.points.empty())
        {
            for (const PointRecord& p : c.points)
                geoRef.m_points.push_back(CGeoRefPoint(p.mapX, p.mapY, p.column, p.row));
            EnterDigitise(session);
        }
        else
        {
            // No fit gives these: points sharing a map X leave the fit with
            // no slope. The state a successful fit leaves, set directly.
            geoRef.m_dRotation = c.rotation;
            geoRef.m_dX0 = 500;
            geoRef.m_dXScale = c.xScale;
            geoRef.m_dY0 = 700;
            geoRef.m_dYScale = c.yScale;
            geoRef.m_bValid = TRUE;
            SetTestMode(pDoc, MODE_DIGITISE);
        }
        ASSERT_EQ(pDoc->Session().Mode(), MODE_DIGITISE);
        const SIZE sizeBefore = session.View()->GetTotalSize();

        ModalScript script;
        script.Then(ModalScript::Press(c.answer));
        script.Then(ModalScript::Press(IDOK));
        session.Command(ID_VIEW_TRANSPOSE);
        ASSERT_EQ(script.Seen().size(), 2u);
        EXPECT_EQ(script.Seen()[0].message, kCropQuestion);
        EXPECT_EQ(script.Seen()[1].message, LoadResString(TransposeStatusStringId(c.expected)));
        EXPECT_TRUE(script.Unexpected().empty());

        EXPECT_EQ(pDoc->Session().Mode(), MODE_DIGITISE);
        EXPECT_TRUE(session.Doc()->NorthUp().IsEmpty());
        EXPECT_FALSE(FileExists(WorldFilePath(path)));
        EXPECT_EQ(session.View()->GetTotalSize().cx, sizeBefore.cx) << "still the scan in the view";
        EXPECT_EQ(session.View()->GetTotalSize().cy, sizeBefore.cy);
        EXPECT_NE(gui::Text(session.StatusBarWnd()), kCalculating);
        EXPECT_FALSE(gui::GetMenuState(session.FrameWnd(), ID_EDIT_COPY).enabled);
    }
}

TEST(TransposeCommand, SecondTransposeShowsTheSameImageWithoutAskingAndRewritesItsWorldFile)
{
    AppSession session;
    const std::string path = OpenMadeImage(session, "transpose-again", 200, 100, kWorkedExamplePoints);
    ASSERT_EQ(Transpose(session, IDNO).size(), 1u);
    CImageView* pView = session.View();
    const unsigned char* pFirst = pView->GetDocument()->NorthUp().Pixels();
    const RgbImage first = TransposedOfView(pView);

    BackToDigitise(session);
    EXPECT_EQ(pView->GetTotalSize().cx, 200) << "the scan again";
    EXPECT_EQ(pView->GetDocument()->NorthUp().Pixels(), pFirst) << "kept for later";
    // A different fit now: a new run would give other extents, but the
    // world file must describe the image that is shown.
    CGeoRefArray& geoRef = TestGeoRef(session.Doc());
    geoRef.m_points[3].m_dMapX = 350;
    ASSERT_TRUE(geoRef.CalcTransform());
    DeleteFileA(WorldFilePath(path).c_str());

    ModalScript script;
    session.Command(ID_VIEW_TRANSPOSE);
    EXPECT_TRUE(script.Seen().empty()) << "no crop question";
    EXPECT_TRUE(script.Unexpected().empty());
    EXPECT_EQ(session.Doc()->Session().Mode(), MODE_TRANSPOSED);
    EXPECT_EQ(pView->GetDocument()->NorthUp().Pixels(), pFirst);
    EXPECT_TRUE(TransposedOfView(pView) == first);
    EXPECT_EQ(pView->GetTotalSize().cx, 100);
    EXPECT_EQ(pView->GetTotalSize().cy, 200);
    EXPECT_EQ(ReadWholeFile(WorldFilePath(path)), kWorkedExampleWorldFile);
}

TEST(TransposeCommand, WorldFileThatCannotBeWrittenIsReportedAndTheImageStillShown)
{
    AppSession session;
    const std::string path = OpenMadeImage(session, "transpose-no-world-file", 200, 100, kWorkedExamplePoints);
    // A folder where the world file should go: it cannot be opened for writing.
    ASSERT_TRUE(CreateDirectoryA(WorldFilePath(path).c_str(), nullptr));
    ModalScript script;
    script.Then(ModalScript::Press(IDNO));
    script.Then(ModalScript::Press(IDOK));
    session.Command(ID_VIEW_TRANSPOSE);
    RemoveDirectoryA(WorldFilePath(path).c_str());
    ASSERT_EQ(script.Seen().size(), 2u);
    EXPECT_EQ(script.Seen()[1].message, "The world file could not be written: " + WorldFilePath(path));
    EXPECT_EQ(session.Doc()->Session().Mode(), MODE_TRANSPOSED);
    EXPECT_FALSE(session.Doc()->NorthUp().IsEmpty());
    EXPECT_EQ(session.View()->GetTotalSize().cx, 100);
}

TEST(TransposeCommand, ImageKeptThroughNewHasNoWorldFileAndSaysSo)
{
    AppSession session;
    const std::string path = OpenMadeImage(session, "transpose-after-new", 200, 100, kWorkedExamplePoints);
    // New keeps the image, its fit and digitise mode, but not its path.
    session.Command(ID_FILE_NEW);
    ASSERT_EQ(session.Doc()->Session().Mode(), MODE_DIGITISE);
    ASSERT_TRUE(session.Doc()->GetPathName().empty());
    ModalScript script;
    script.Then(ModalScript::Press(IDNO));
    script.Then(ModalScript::Press(IDOK));
    session.Command(ID_VIEW_TRANSPOSE);
    ASSERT_EQ(script.Seen().size(), 2u);
    EXPECT_EQ(script.Seen()[1].message.rfind("The world file could not be written: the image has no file name", 0), 0u)
        << script.Seen()[1].message;
    EXPECT_FALSE(FileExists(WorldFilePath(path)));
    EXPECT_EQ(session.Doc()->Session().Mode(), MODE_TRANSPOSED);
    EXPECT_EQ(session.Doc()->NorthUp().Width(), 100);
}

TEST(TransposeCommand, DoesNothingOutsideDigitiseMode)
{
    AppSession session;
    // No image: enabled, but nothing happens.
    {
        ModalScript script;
        session.Command(ID_VIEW_TRANSPOSE);
        EXPECT_TRUE(script.Seen().empty() && script.Unexpected().empty());
        EXPECT_EQ(session.Doc()->Session().Mode(), MODE_NONE);
        EXPECT_TRUE(session.Doc()->NorthUp().IsEmpty());
    }
    const std::string path = gui::TempFolder("transpose-modes") + "\\scan.jpg";
    ASSERT_TRUE(WriteJpeg(path, NumberedImage(200, 100), 95));
    WritePointFile(path, kWorkedExamplePoints);
    session.OpenThroughDialog(path);
    // Georeference mode: the command is disabled; reached anyway, the
    // handler does nothing either.
    {
        ModalScript script;
        session.View()->OnTranspose();
        EXPECT_TRUE(script.Seen().empty() && script.Unexpected().empty());
        EXPECT_EQ(session.Doc()->Session().Mode(), MODE_GEOREFERENCE);
        EXPECT_TRUE(session.Doc()->NorthUp().IsEmpty());
    }
    EnterDigitise(session);
    ASSERT_EQ(Transpose(session, IDNO).size(), 1u);
    // Transposed mode: the image stays as it is, no question.
    const unsigned char* pFirst = session.Doc()->NorthUp().Pixels();
    {
        ModalScript script;
        session.Command(ID_VIEW_TRANSPOSE);
        EXPECT_TRUE(script.Seen().empty() && script.Unexpected().empty());
        EXPECT_EQ(session.Doc()->Session().Mode(), MODE_TRANSPOSED);
        EXPECT_EQ(session.Doc()->NorthUp().Pixels(), pFirst);
    }
}

TEST(TransposeCommand, MenuStatesOfTransposeAndCopyInEachMode)
{
    struct Expected
    {
        int mode;
        bool transposeEnabled, transposeChecked, copyEnabled;
    };
    AppSession session;
    auto check = [&](const Expected& e) {
        SCOPED_TRACE(e.mode);
        ASSERT_EQ(session.Doc()->Session().Mode(), e.mode);
        gui::MenuState transpose = gui::GetMenuState(session.FrameWnd(), ID_VIEW_TRANSPOSE);
        gui::MenuState copy = gui::GetMenuState(session.FrameWnd(), ID_EDIT_COPY);
        ASSERT_TRUE(transpose.found && copy.found);
        EXPECT_EQ(transpose.enabled, e.transposeEnabled);
        EXPECT_EQ(transpose.checked, e.transposeChecked);
        EXPECT_EQ(copy.enabled, e.copyEnabled);
        EXPECT_FALSE(copy.checked);
    };
    check({MODE_NONE, true, false, false});
    const std::string path = gui::TempFolder("transpose-menu") + "\\scan.jpg";
    ASSERT_TRUE(WriteJpeg(path, NumberedImage(200, 100), 95));
    WritePointFile(path, kWorkedExamplePoints);
    session.OpenThroughDialog(path);
    check({MODE_GEOREFERENCE, false, false, false});
    EnterDigitise(session);
    check({MODE_DIGITISE, true, false, false});
    ASSERT_EQ(Transpose(session, IDNO).size(), 1u);
    check({MODE_TRANSPOSED, true, true, true});
    EXPECT_FALSE(gui::GetMenuState(session.FrameWnd(), ID_VIEW_ZOOM200).enabled);
    BackToDigitise(session);
    check({MODE_DIGITISE, true, false, false});
}
