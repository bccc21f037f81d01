// Painting the image at each zoom, the control point overlays, scrolling
// across zoom changes and the zoom commands' menu state, checked on the
// pixels the view puts on the screen.
#include <gtest/gtest.h>

#include <new>

#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/DocTestAccess.h"

namespace
{
// Neighbouring pixels always differ, so a block off by one shows.
uint32_t Pattern(int c, int r)
{
    return (static_cast<uint32_t>(c * 37 + r * 11) & 0xFF) << 16 | (static_cast<uint32_t>(c * 5 + r * 53) & 0xFF) << 8 |
           (static_cast<uint32_t>(c ^ (r * 7)) & 0xFF);
}

uint32_t Background() { return gui::Rgb(GetSysColor(COLOR_WINDOW)); }

// Compares every client pixel with the image pixel under it (or the
// background); returns the number of differing pixels and the first one.
int CountWrongPixels(const gui::Capture& capture, int width, int height, int zoom, POINT scroll, std::string* pFirst)
{
    int wrong = 0;
    for (int y = 0; y < capture.height; ++y)
        for (int x = 0; x < capture.width; ++x)
        {
            int c = (x + scroll.x) / zoom, r = (y + scroll.y) / zoom;
            uint32_t expected = (c < width && r < height) ? Pattern(c, r) : Background();
            if (capture.At(x, y) != expected && wrong++ == 0 && pFirst)
            {
                char text[128];
                snprintf(text, sizeof(text), "(%d, %d): %06x, expected %06x", x, y,
                         static_cast<unsigned>(capture.At(x, y)), static_cast<unsigned>(expected));
                *pFirst = text;
            }
        }
    return wrong;
}

UINT ZoomCommand(int zoom) { return zoom == 1 ? ID_VIEW_ZOOM100 : zoom == 2 ? ID_VIEW_ZOOM200 : ID_VIEW_ZOOM400; }
}

TEST(ViewPaint, ImagePixelsAtEachZoom)
{
    AppSession session;
    session.SetViewClientSize(300, 200);
    ShowSyntheticImage(session, 50, 40, Pattern);
    for (int zoom : {1, 2, 4})
    {
        SCOPED_TRACE(zoom);
        session.Command(ZoomCommand(zoom));
        EXPECT_EQ(session.View()->m_nZoom, zoom);
        gui::Capture capture = gui::CaptureClient(session.ViewWnd());
        std::string first;
        EXPECT_EQ(CountWrongPixels(capture, 50, 40, zoom, session.View()->GetScrollPosition(), &first), 0) << first;
    }
}

TEST(ViewPaint, ThreeByTwoImageAtZoomFourCoversTwelveByEight)
{
    AppSession session;
    ShowSyntheticImage(session, 3, 2, Pattern);
    session.Command(ID_VIEW_ZOOM400);
    gui::Capture capture = gui::CaptureClient(session.ViewWnd());
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 14; ++x)
        {
            uint32_t expected = (x < 12 && y < 8) ? Pattern(x / 4, y / 4) : Background();
            ASSERT_EQ(capture.At(x, y), expected) << x << ", " << y;
        }
    // Image pixel (2, 1) covers device pixels x 8 to 11, y 4 to 7.
    EXPECT_EQ(capture.At(8, 4), Pattern(2, 1));
    EXPECT_EQ(capture.At(11, 7), Pattern(2, 1));
}

TEST(ViewPaint, ScrolledPaintsMatchTheScrollPosition)
{
    AppSession session;
    session.SetViewClientSize(320, 240);
    ShowSyntheticImage(session, 400, 300, Pattern);
    struct Case
    {
        int zoom;
        POINT scroll;
    } cases[] = {{2, {101, 33}}, {4, {517, 250}}, {1, {80, 60}}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.zoom);
        session.Command(ZoomCommand(c.zoom));
        session.View()->ScrollToPosition(c.scroll);
        gui::Pump();
        POINT scroll = session.View()->GetScrollPosition();
        EXPECT_EQ(scroll.x, c.scroll.x);
        EXPECT_EQ(scroll.y, c.scroll.y);
        gui::Capture capture = gui::CaptureClient(session.ViewWnd());
        std::string first;
        EXPECT_EQ(CountWrongPixels(capture, 400, 300, c.zoom, scroll, &first), 0) << first;
    }
}

TEST(ViewPaint, ZoomKeepsTheTopLeftImagePixel)
{
    AppSession session;
    session.SetViewClientSize(320, 240);
    ShowSyntheticImage(session, 800, 600, Pattern);
    CImageView* pView = session.View();

    pView->ScrollToPosition(POINT{50, 30});
    session.Command(ID_VIEW_ZOOM400);
    EXPECT_EQ(pView->GetScrollPosition().x, 200);
    EXPECT_EQ(pView->GetScrollPosition().y, 120);
    EXPECT_EQ(gui::CaptureClient(session.ViewWnd()).At(0, 0), Pattern(50, 30));

    pView->ScrollToPosition(POINT{203, 121});
    session.Command(ID_VIEW_ZOOM100);
    EXPECT_EQ(pView->GetScrollPosition().x, 50);
    EXPECT_EQ(pView->GetScrollPosition().y, 30);

    // At the right edge at zoom 1 the position is as far as the range
    // goes; zoom 2 doubles it. Back at zoom 1 the range limits the doubled
    // position first, and the limited position is what gets halved.
    pView->ScrollToPosition(POINT{800, 0});
    const int edge = pView->GetScrollPosition().x;
    EXPECT_GT(edge, 400);
    EXPECT_LT(edge, 800);
    session.Command(ID_VIEW_ZOOM200);
    EXPECT_EQ(pView->GetScrollPosition().x, edge * 2);
    session.Command(ID_VIEW_ZOOM100);
    EXPECT_EQ(pView->GetScrollPosition().x, edge / 2);
}

TEST(ViewPaint, ControlPointMarkerAndLabelAtZoomTwo)
{
    const uint32_t kPaper = 0xC0C0C0;
    const uint32_t kNavy = 0x000080;
    AppSession session;
    session.SetViewClientSize(320, 240);
    ShowSyntheticImage(session, 120, 80, [=](int, int) { return kPaper; });
    TestGeoRef(session.Doc()).m_points.push_back(CGeoRefPoint(10.5, -3.25, 10, 20));
    session.Command(ID_VIEW_ZOOM200);
    gui::Capture capture = gui::CaptureClient(session.ViewWnd());

    // Marker lines from (15, 35) to (25, 45) and from (15, 45) to (25, 35).
    for (int t = 1; t < 10; ++t)
    {
        EXPECT_EQ(capture.At(15 + t, 35 + t), kNavy) << t;
        EXPECT_EQ(capture.At(15 + t, 45 - t), kNavy) << t;
    }
    EXPECT_EQ(capture.At(20, 30), kPaper);
    EXPECT_EQ(capture.At(10, 40), kPaper);
    EXPECT_EQ(capture.At(20, 49), kPaper);

    // The label "10.500000, -3.250000" starts at (25, 40): navy text right
    // of the marker and below its top-left corner, nothing above or left.
    int left = capture.width, top = capture.height, right = -1;
    for (int y = 0; y < capture.height; ++y)
        for (int x = 0; x < capture.width; ++x)
        {
            bool inMarker = x >= 12 && x <= 28 && y >= 32 && y <= 48;
            if (x >= 240 || y >= 160)
                continue;   // beyond the image
            if (capture.At(x, y) == kNavy && !inMarker)
            {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
            }
            else if (!inMarker && !(y >= 40 && x >= 25))
            {
                ASSERT_EQ(capture.At(x, y), kPaper) << x << ", " << y;
            }
        }
    EXPECT_GE(left, 25);
    EXPECT_LE(left, 30);
    EXPECT_GE(top, 40);
    EXPECT_LE(top, 46);
    EXPECT_GT(right - left, 60) << "a label of twenty characters";
}

TEST(ViewPaint, WithoutImageOnlyTheOverlaysArePainted)
{
    AppSession session;
    CImageDoc* pDoc = session.Doc();
    ASSERT_TRUE(pDoc->Image().IsEmpty());
    TestGeoRef(pDoc).m_points.push_back(CGeoRefPoint(1, 2, 30, 30));
    InvalidateRect(session.ViewWnd(), nullptr, TRUE);
    gui::Capture capture = gui::CaptureClient(session.ViewWnd());
    EXPECT_EQ(capture.At(30, 30), 0x000080u);
    EXPECT_EQ(capture.At(5, 5), Background());
}

TEST(ViewPaint, ZoomMenuStateFollowsZoomAndMode)
{
    AppSession session;
    ShowSyntheticImage(session, 40, 30, Pattern);
    const UINT zooms[] = {ID_VIEW_ZOOM100, ID_VIEW_ZOOM200, ID_VIEW_ZOOM400};
    for (int chosen = 0; chosen < 3; ++chosen)
    {
        session.Command(zooms[chosen]);
        for (int i = 0; i < 3; ++i)
        {
            gui::MenuState state = gui::GetMenuState(session.FrameWnd(), zooms[i]);
            ASSERT_TRUE(state.found);
            EXPECT_TRUE(state.enabled);
            EXPECT_EQ(state.checked, i == chosen) << chosen << " " << i;
        }
    }
    // Showing the resampled image: zoom 1 only.
    SetTestMode(session.Doc(), MODE_TRANSPOSED);
    session.Command(ID_VIEW_ZOOM400);
    EXPECT_EQ(session.View()->m_nZoom, 4) << "a disabled command does nothing";
    session.Command(ID_VIEW_ZOOM100);
    EXPECT_EQ(session.View()->m_nZoom, 1);
    EXPECT_TRUE(gui::GetMenuState(session.FrameWnd(), ID_VIEW_ZOOM100).enabled);
    EXPECT_TRUE(gui::GetMenuState(session.FrameWnd(), ID_VIEW_ZOOM100).checked);
    EXPECT_FALSE(gui::GetMenuState(session.FrameWnd(), ID_VIEW_ZOOM200).enabled);
    EXPECT_FALSE(gui::GetMenuState(session.FrameWnd(), ID_VIEW_ZOOM400).enabled);
    session.Command(ID_VIEW_ZOOM200);
    EXPECT_EQ(session.View()->m_nZoom, 1);
    // Commands nobody serves yet are shown disabled.
    EXPECT_FALSE(gui::GetMenuState(session.FrameWnd(), ID_EDIT_COPY).enabled);
}

TEST(ViewPaint, OpenedJpegIsPaintedWithItsDecodedPixelsAndPoints)
{
    std::string path = CopyFixture("map.jpg", gui::TempFolder("paint-jpeg"), "map.jpg");
    AppSession session;
    session.OpenThroughDialog(path);
    const CRgbImage& image = session.Doc()->Image();
    ASSERT_FALSE(image.IsEmpty());
    gui::Capture capture = gui::CaptureClient(session.ViewWnd());
    // Away from the two markers and their labels (rows 15 to 45), every
    // pixel is the decoded one.
    int wrong = 0;
    for (int r = 0; r < image.Height(); ++r)
        for (int c = 0; c < image.Width(); ++c)
        {
            if (r >= 14 && r <= 46)
                continue;
            const unsigned char* p = image.Row(r) + 3 * c;
            uint32_t expected = (p[0] << 16) | (p[1] << 8) | p[2];
            wrong += capture.At(c, r) != expected;
        }
    EXPECT_EQ(wrong, 0);
    // The marker of the point at (10, 20) at zoom 1: lines through it.
    EXPECT_EQ(capture.At(10, 20), 0x000080u);
    EXPECT_EQ(capture.At(7, 17), 0x000080u);
    EXPECT_EQ(capture.At(13, 17), 0x000080u);
}

TEST(ViewPaint, RepaintWithErasingLeavesNoStaleOverlay)
{
    AppSession session;
    session.SetViewClientSize(300, 200);
    ShowSyntheticImage(session, 50, 40, Pattern);
    // A label that runs past the image's right edge onto the background.
    TestGeoRef(session.Doc()).m_points.push_back(CGeoRefPoint(123.5, 10.25, 45, 20));
    InvalidateRect(session.ViewWnd(), nullptr, TRUE);
    gui::Capture withLabel = gui::CaptureClient(session.ViewWnd());
    ASSERT_EQ(withLabel.At(45, 20), 0x000080u);

    TestGeoRef(session.Doc()).m_points.clear();
    InvalidateRect(session.ViewWnd(), nullptr, TRUE);
    gui::Capture capture = gui::CaptureClient(session.ViewWnd());
    std::string first;
    EXPECT_EQ(CountWrongPixels(capture, 50, 40, 1, POINT{0, 0}, &first), 0) << first;
}

namespace
{
const uint32_t kBlue = 0x0000FF;     // the digitise colour
const uint32_t kPurple = 0x800080;   // the colour of finished features
const uint32_t kMaroon = 0x800000;   // the pending control point

CShape MakeShape(std::initializer_list<CShapeVertex> vertices)
{
    CShape shape;
    for (const CShapeVertex& v : vertices)
        shape.Add(v.x, v.y);
    return shape;
}

// Whether any pixel within one pixel of (x, y) has the colour: wide pens
// may fall either side of the ideal line.
bool Near(const gui::Capture& capture, int x, int y, uint32_t colour)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (capture.At(x + dx, y + dy) == colour)
                return true;
    return false;
}
}

TEST(ViewPaint, FeaturesAreDrawnAsStoredWithTheFirstVertexMarked)
{
    const uint32_t kPaper = 0xF0F0F0;
    AppSession session;
    session.SetViewClientSize(320, 240);
    ShowSyntheticImage(session, 200, 150, [=](int, int) { return kPaper; });
    CImageView* pView = session.View();
    // Being digitised: A-B-C, open, with a cross at A.
    CImageSessionTestAccess::Current(session.Doc()->Session()) = MakeShape({{20, 20}, {80, 20}, {80, 80}});
    // Finished polygon: its closing vertex makes A-B-C-A; no cross.
    TestFeatures(session.Doc()).Add(MakeShape({{120, 20}, {180, 20}, {180, 80}, {120, 20}}));
    pView->m_ptPending = POINT{40, 120};
    InvalidateRect(session.ViewWnd(), nullptr, TRUE);
    gui::Capture capture = gui::CaptureClient(session.ViewWnd());

    EXPECT_TRUE(Near(capture, 50, 20, kBlue));   // A-B
    EXPECT_TRUE(Near(capture, 80, 50, kBlue));   // B-C
    EXPECT_EQ(capture.At(50, 50), kPaper) << "not closed while digitising";
    EXPECT_TRUE(Near(capture, 18, 22, kBlue));   // the cross at A reaches below the line
    EXPECT_TRUE(Near(capture, 150, 20, kPurple));
    EXPECT_TRUE(Near(capture, 180, 50, kPurple));
    EXPECT_TRUE(Near(capture, 150, 50, kPurple)) << "closed: C-A";
    EXPECT_EQ(capture.At(118, 22), kPaper) << "no cross on a finished polyline or polygon";
    EXPECT_TRUE(Near(capture, 40, 120, kMaroon));
    EXPECT_TRUE(Near(capture, 36, 116, kMaroon));

    // Point features: one vertex each, visible as a small cross.
    TestFeatures(session.Doc()).RemoveAll();
    TestFeatures(session.Doc()).Add(MakeShape({{150, 120}}));
    CImageSessionTestAccess::ClearCurrent(session.Doc()->Session());
    CImageSessionTestAccess::SetShapeType(pView->GetDocument()->Session(), SHAPE_POINT);
    InvalidateRect(session.ViewWnd(), nullptr, TRUE);
    capture = gui::CaptureClient(session.ViewWnd());
    EXPECT_TRUE(Near(capture, 149, 119, kPurple));
    EXPECT_TRUE(Near(capture, 151, 119, kPurple));
    EXPECT_EQ(capture.At(150, 126), kPaper);
    EXPECT_EQ(capture.At(20, 20), kPaper) << "the emptied feature is gone";
}

TEST(ViewPaint, ResampledImageIsShownAtZoomOneWithoutOverlays)
{
    AppSession session;
    session.SetViewClientSize(300, 200);
    ShowSyntheticImage(session, 60, 40, [](int, int) { return 0x102030u; });
    TestGeoRef(session.Doc()).m_points.push_back(CGeoRefPoint(1, 2, 10, 10));
    session.Command(ID_VIEW_ZOOM400);
    CImageView* pView = session.View();
    const int width = 30, height = 70;
    CTransposedImage& transposed = CImageDocTestAccess::NorthUp(*session.Doc());
    ASSERT_TRUE(transposed.Allocate(width, height));
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
        {
            uint32_t rgb = Pattern(c, r);
            unsigned char* p = transposed.Pixels() + 3 * (width * r + c);
            p[0] = static_cast<unsigned char>(rgb >> 16);
            p[1] = static_cast<unsigned char>(rgb >> 8);
            p[2] = static_cast<unsigned char>(rgb);
        }
    SetTestMode(session.Doc(), MODE_TRANSPOSED);
    pView->ApplyZoom();
    EXPECT_EQ(pView->m_nZoom, 1);
    EXPECT_EQ(pView->GetTotalSize().cx, width);
    EXPECT_EQ(pView->GetTotalSize().cy, height);
    gui::Capture capture = gui::CaptureClient(session.ViewWnd());
    std::string first;
    EXPECT_EQ(CountWrongPixels(capture, width, height, 1, POINT{0, 0}, &first), 0) << first;

    // Without a resampled image nothing is painted but the background.
    transposed.Release();
    InvalidateRect(session.ViewWnd(), nullptr, TRUE);
    capture = gui::CaptureClient(session.ViewWnd());
    EXPECT_EQ(capture.At(5, 5), Background());
    EXPECT_EQ(capture.At(10, 10), Background());
}

TEST(ViewPaint, ScrollBarsAndWheelMoveThePictureWithinItsRange)
{
    AppSession session;
    session.SetViewClientSize(320, 240);
    ShowSyntheticImage(session, 1000, 800, Pattern);
    HWND hView = session.ViewWnd();
    CImageView* pView = session.View();
    struct Step
    {
        UINT message;
        WPARAM wParam;
        POINT expected;
    } steps[] = {
        {WM_HSCROLL, SB_LINEDOWN, {10, 0}},   // a line is a tenth of a page, a page a tenth of the size
        {WM_HSCROLL, SB_PAGEDOWN, {110, 0}}, {WM_VSCROLL, SB_PAGEDOWN, {110, 80}},
        {WM_VSCROLL, SB_LINEUP, {110, 72}},  {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), {110, 96}},
        {WM_HSCROLL, SB_BOTTOM, {-1, 96}},   // as far as the range goes
        {WM_VSCROLL, SB_TOP, {-1, 0}},       {WM_HSCROLL, SB_PAGEUP, {-2, 0}},
    };
    int right = -1;
    for (const Step& step : steps)
    {
        SendMessageA(hView, step.message, step.wParam, 0);
        gui::Pump();
        POINT pos = pView->GetScrollPosition();
        if (step.expected.x == -1)
        {
            right = pos.x;
            RECT client;
            GetClientRect(hView, &client);
            EXPECT_EQ(right, 1000 - client.right);
        }
        else if (step.expected.x == -2)
        {
            EXPECT_EQ(pos.x, right - 100);
        }
        else
        {
            EXPECT_EQ(pos.x, step.expected.x) << step.message << " " << step.wParam;
        }
        EXPECT_EQ(pos.y, step.expected.y) << step.message << " " << step.wParam;
        std::string first;
        EXPECT_EQ(CountWrongPixels(gui::CaptureClient(hView), 1000, 800, 1, pos, &first), 0) << first;
    }
}

namespace
{
// A view whose drawing fails, as when its paint buffer cannot be had.
class FailingView : public CView
{
public:
    HDC m_hPaintDC = nullptr;
    void OnDraw(HDC hDC) override
    {
        m_hPaintDC = hDC;
        throw std::bad_alloc();
    }
};
}

TEST(ViewPaint, FailedPaintStillHandsItsDeviceContextBack)
{
    AppSession session;
    FailingView view;
    ASSERT_TRUE(view.Create(session.FrameWnd(), 1234));
    MoveWindow(view.m_hWnd, 0, 0, 40, 30, FALSE);
    gui::ModalScript script;
    script.Then(gui::ModalScript::Press(IDOK));
    InvalidateRect(view.m_hWnd, nullptr, TRUE);
    UpdateWindow(view.m_hWnd);
    gui::Pump();
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_EQ(script.Seen()[0].message, "There is not enough memory to complete the operation.");
    ASSERT_NE(view.m_hPaintDC, nullptr);
    EXPECT_EQ(WindowFromDC(view.m_hPaintDC), nullptr) << "the paint's device context is released";
}
