// Copy in the program's own windows: the clipboard gets the resampled image
// as a bitmap of exactly its size and pixels whatever the view shows, only
// in transposed mode (menu and keys), with the status texts; a clipboard in
// use or a bitmap too large is reported and nothing half-made is handed over;
// the image copied is the one pasted, whatever happens in between.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/TransposeTestSupport.h"
#include "app/ClipboardExport.h"
#include "winfw/FwIds.h"
#include "winfw/FwUtil.h"
#include "tests/win/app/DocTestAccess.h"

using gui::ModalScript;
using namespace transpose_test;

namespace
{
const char kCopying[] = "Copying to clipboard...";

// A 300 x 200 scan on a sheet turned by about 7 degrees, with four control
// points drawn on it, digitising; then transposed (whole image: 200 x 300).
void TransposeRotatedScan(AppSession& session, int zoomCommand = ID_VIEW_ZOOM100)
{
    ShowSyntheticImage(session, 300, 200, [](int x, int y) { return 0x204060u + (x << 16) + (y << 4) + x; });
    CImageDoc* pDoc = session.Doc();
    CGeoRefArray sheet;   // map = 5000/8000 + 0.5 (pixel turned by 0.12 rad)
    sheet.SetImageHeight(200);
    sheet.m_dRotation = 0.12;
    sheet.m_dX0 = 5000;
    sheet.m_dXScale = 0.5;
    sheet.m_dY0 = 8000;
    sheet.m_dYScale = 0.5;
    sheet.m_bValid = TRUE;
    for (POINT pixel : {POINT{20, 20}, POINT{280, 30}, POINT{30, 180}, POINT{270, 170}})
    {
        double x = 0, y = 0;
        sheet.PixelToMap(pixel.x, pixel.y, &x, &y);
        TestGeoRef(pDoc).m_points.push_back(CGeoRefPoint(x, y, pixel.x, pixel.y));
    }
    EnterDigitise(session);
    ASSERT_EQ(pDoc->Session().Mode(), MODE_DIGITISE);
    session.Command(zoomCommand);
    ModalScript script;
    script.Then(ModalScript::Press(IDNO));
    session.Command(ID_VIEW_TRANSPOSE);
    ASSERT_EQ(pDoc->Session().Mode(), MODE_TRANSPOSED);
    ASSERT_EQ(session.Doc()->NorthUp().Width(), 200);
    ASSERT_EQ(session.Doc()->NorthUp().Height(), 300);
}

void PutTextOnClipboard(const char* pszText)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const size_t cb = strlen(pszText) + 1;
    HGLOBAL hText = GlobalAlloc(GMEM_MOVEABLE, cb);
    memcpy(GlobalLock(hText), pszText, cb);
    GlobalUnlock(hText);
    SetClipboardData(CF_TEXT, hText);
    CloseClipboard();
}

std::string ClipboardText()
{
    std::string text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HGLOBAL hText = GetClipboardData(CF_TEXT))
    {
        text = static_cast<const char*>(GlobalLock(hText));
        GlobalUnlock(hText);
    }
    CloseClipboard();
    return text;
}
}

TEST(CopyClipboard, BitmapIsTheResampledImageAtAnyZoomAndScrollPosition)
{
    AppSession session;
    session.SetViewClientSize(150, 120);
    TransposeRotatedScan(session, ID_VIEW_ZOOM400);
    CImageView* pView = session.View();
    const RgbImage resampled = TransposedOfView(pView);
    ASSERT_EQ(resampled.width, 200);

    const SIZE total = pView->GetTotalSize();
    for (POINT scroll : {POINT{0, 0}, POINT{37, 55}, POINT{total.cx, total.cy}})
    {
        SCOPED_TRACE(scroll.x);
        pView->ScrollToPosition(scroll);
        gui::Pump();
        ClearClipboard();
        std::vector<std::string> texts;
        {
            StatusRecorder status(session.StatusBarWnd());
            session.Command(ID_EDIT_COPY);
            texts = status.Texts();
        }
        const RgbImage copied = ReadClipboardBitmap();
        EXPECT_EQ(copied.width, 200);
        EXPECT_EQ(copied.height, 300);
        EXPECT_TRUE(copied == resampled) << "no markers, no view offset, every pixel";
        EXPECT_EQ(texts, (std::vector<std::string>{kCopying, ""}));
    }
    // Copying again places the same bitmap; the view keeps its image.
    session.Command(ID_EDIT_COPY);
    EXPECT_TRUE(ReadClipboardBitmap() == resampled);
    EXPECT_TRUE(TransposedOfView(pView) == resampled);
    EXPECT_EQ(session.Doc()->Session().Mode(), MODE_TRANSPOSED);
}

TEST(CopyClipboard, KeysCopyOnlyInTransposedMode)
{
    AppSession session;
    TransposeRotatedScan(session);
    BackToDigitise(session);
    ASSERT_FALSE(session.Doc()->NorthUp().IsEmpty()) << "the image is still held";
    for (UINT key : {UINT('C'), UINT(VK_INSERT)})
    {
        PutTextOnClipboard("before");
        gui::PressKey(session.ViewWnd(), key, {VK_CONTROL});
        EXPECT_EQ(ReadClipboardBitmap().width, 0) << key;
        EXPECT_EQ(ClipboardText(), "before");
    }
    {
        ModalScript script;   // shown again without a question
        session.Command(ID_VIEW_TRANSPOSE);
    }
    ASSERT_EQ(session.Doc()->Session().Mode(), MODE_TRANSPOSED);
    for (UINT key : {UINT('C'), UINT(VK_INSERT)})
    {
        ClearClipboard();
        gui::PressKey(session.ViewWnd(), key, {VK_CONTROL});
        EXPECT_TRUE(ReadClipboardBitmap() == TransposedOfView(session.View())) << key;
    }
}

TEST(CopyClipboard, ClipboardInUseIsReportedAndKeepsItsContent)
{
    AppSession session;
    TransposeRotatedScan(session);
    PutTextOnClipboard("kept");
    HWND hOther = CreateWindowA("STATIC", "other program", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(OpenClipboard(hOther));
    ModalScript script;
    script.Then(ModalScript::Press(IDOK));
    std::vector<std::string> texts;
    {
        StatusRecorder status(session.StatusBarWnd());
        session.Command(ID_EDIT_COPY);
        texts = status.Texts();
    }
    CloseClipboard();
    DestroyWindow(hOther);
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_NE(script.Seen()[0].message.find("clipboard is in use"), std::string::npos) << script.Seen()[0].message;
    EXPECT_EQ(ClipboardText(), "kept");
    EXPECT_EQ(ReadClipboardBitmap().width, 0);
    // The work is over before the message comes up.
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0], kCopying);
    EXPECT_EQ(texts[1], "");
    // Once the clipboard is free, the same command works.
    session.Command(ID_EDIT_COPY);
    EXPECT_TRUE(ReadClipboardBitmap() == TransposedOfView(session.View()));
}

TEST(CopyClipboard, BitmapTooLargeIsReportedAndNothingIsHandedOver)
{
    AppSession session;
    TransposeRotatedScan(session);
    CImageView* pView = session.View();
    // An image neither a device bitmap (6.4 GB at the display's depth) nor a
    // DIB (4.8 GB, beyond its 32-bit size field) can hold. Its pixels are
    // never read: both fail from the size alone, so a few bytes stand in.
    static const unsigned char pixels[3] = {};
    PutTextOnClipboard("kept");
    CClipboardOffer offer;
    const unsigned nFailureId =
        offer.Offer(session.ViewWnd(), session.FrameWnd(),
                    std::shared_ptr<const unsigned char>(std::shared_ptr<void>(), pixels), 40000, 40000);
    ASSERT_EQ(nFailureId, static_cast<unsigned>(IDS_COPY_NO_BITMAP));
    EXPECT_NE(LoadResString(nFailureId).find("not enough memory for a bitmap"), std::string::npos)
        << LoadResString(nFailureId);
    EXPECT_EQ(ClipboardText(), "kept");
    EXPECT_EQ(ReadClipboardBitmap().width, 0);
    // The program goes on: a copy of the real image still works.
    session.Command(ID_EDIT_COPY);
    EXPECT_TRUE(ReadClipboardBitmap() == TransposedOfView(pView));
}

// Copy promises the image and makes the bitmap when it is pasted: the
// promise keeps the pixels copied, after a new image, after the program
// ends, and lets them go when another program takes the clipboard.
TEST(CopyClipboard, CopiedImageIsPastedAsCopiedUntilTheClipboardIsTakenOver)
{
    RgbImage copied;
    {
        AppSession session;
        TransposeRotatedScan(session);
        copied = TransposedOfView(session.View());
        session.Command(ID_EDIT_COPY);
        EXPECT_TRUE(session.Frame()->m_clipboardOffer.HoldsImage());
        session.Command(ID_FILE_NEW);
        ASSERT_TRUE(session.Doc()->NorthUp().IsEmpty());
        // Pasted from another thread, as another program pastes: the
        // request reaches the window while it waits for messages.
        RgbImage pasted;
        std::atomic<bool> done{false};
        std::thread paste([&] {
            pasted = ReadClipboardBitmap();
            done = true;
        });
        while (!done)
            gui::Pump();
        paste.join();
        EXPECT_TRUE(pasted == copied) << "the document's image is gone, the copy stays";

        session.Command(ID_EDIT_COPY);   // disabled: nothing to copy, the clipboard as it was
        EXPECT_TRUE(ReadClipboardBitmap() == copied);
        PutTextOnClipboard("another program's");
        EXPECT_FALSE(session.Frame()->m_clipboardOffer.HoldsImage());

        TransposeRotatedScan(session);
        session.Command(ID_EDIT_COPY);
    }
    // The program has ended: it made the bitmap as its window went.
    EXPECT_TRUE(ReadClipboardBitmap() == copied);
    ClearClipboard();
}

// The form Copy falls back on when the system makes no device bitmap of the
// image's size: a program that pastes a bitmap gets the same pixels.
TEST(CopyClipboard, DibHoldsEveryRowAndPastesAsTheSameBitmap)
{
    const RgbImage image = NumberedImage(37, 23);   // padded rows
    ClearClipboard();
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    ASSERT_NE(SetClipboardData(CF_DIB, CreateDibOfRgb(image.rgb.data(), image.width, image.height)), nullptr);
    CloseClipboard();
    EXPECT_TRUE(ReadClipboardBitmap() == image);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HGLOBAL hDib = GetClipboardData(CF_DIB);
    ASSERT_NE(hDib, nullptr);
    const auto* pHeader = static_cast<const BITMAPINFOHEADER*>(GlobalLock(hDib));
    EXPECT_EQ(pHeader->biWidth, 37);
    EXPECT_EQ(pHeader->biHeight, 23);   // bottom-up
    EXPECT_EQ(pHeader->biBitCount, 24);
    GlobalUnlock(hDib);
    CloseClipboard();
    EXPECT_EQ(CreateDibOfRgb(image.rgb.data(), 0, 5), nullptr);
    ClearClipboard();
}

TEST(CopyClipboard, BitmapFilledInBandsHoldsEveryRow)
{
    const RgbImage image = NumberedImage(37, 23);   // rows of 111 bytes: padded DIB rows
    HDC hScreen = GetDC(nullptr);
    for (int bandRows : {0, 1, 7, 23, 100})
    {
        SCOPED_TRACE(bandRows);
        HBITMAP hBitmap = CreateBitmapOfRgb(hScreen, image.rgb.data(), image.width, image.height, bandRows);
        ASSERT_NE(hBitmap, nullptr);
        EXPECT_TRUE(ReadBitmap(hBitmap) == image);
        DeleteObject(hBitmap);
    }
    EXPECT_EQ(CreateBitmapOfRgb(hScreen, image.rgb.data(), 0, 5), nullptr);
    EXPECT_EQ(CreateBitmapOfRgb(hScreen, nullptr, 5, 5), nullptr);
    ReleaseDC(nullptr, hScreen);
}
