#include "tests/win/app/TransposeTestSupport.h"

#include <cstdio>

#include <turbojpeg.h>

#include "app/res/resource.h"
#include "tests/win/app/MouseDriver.h"

namespace transpose_test
{
RgbImage NumberedImage(int width, int height)
{
    RgbImage image;
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            unsigned char* p = &image.rgb[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = static_cast<unsigned char>(x);
            p[1] = static_cast<unsigned char>((x >> 8) | ((y >> 8) << 4));
            p[2] = static_cast<unsigned char>(y);
        }
    return image;
}

bool WriteJpeg(const std::string& path, const RgbImage& image, int quality)
{
    tjhandle handle = tjInitCompress();
    if (!handle)
        return false;
    unsigned char* jpeg = nullptr;
    unsigned long cbJpeg = 0;
    bool ok = tjCompress2(handle, image.rgb.data(), image.width, image.width * 3, image.height, TJPF_RGB, &jpeg,
                          &cbJpeg, TJSAMP_444, quality, 0) == 0;
    if (ok)
    {
        FILE* file = std::fopen(path.c_str(), "wb");
        ok = file && std::fwrite(jpeg, 1, cbJpeg, file) == cbJpeg;
        if (file)
            ok = std::fclose(file) == 0 && ok;
    }
    tjFree(jpeg);
    tjDestroy(handle);
    return ok;
}

RgbImage TransposedOfView(const CImageView* pView)
{
    RgbImage image;
    const CTransposedImage& transposed = pView->GetDocument()->NorthUp();
    if (transposed.IsEmpty())
        return image;
    image.width = transposed.Width();
    image.height = transposed.Height();
    image.rgb.assign(transposed.Pixels(), transposed.Pixels() + transposed.ByteCount());
    return image;
}

RgbImage ReadBitmap(HBITMAP hBitmap)
{
    RgbImage image;
    BITMAP bm = {};
    if (!GetObjectA(hBitmap, sizeof(bm), &bm))
        return image;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = bm.bmWidth;
    bmi.bmiHeader.biHeight = -bm.bmHeight;   // top row first
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    const size_t stride = (static_cast<size_t>(bm.bmWidth) * 3 + 3) & ~static_cast<size_t>(3);
    std::vector<unsigned char> bits(stride * bm.bmHeight);
    HDC hScreen = GetDC(nullptr);
    int rows = GetDIBits(hScreen, hBitmap, 0, bm.bmHeight, bits.data(), &bmi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, hScreen);
    if (rows != bm.bmHeight)
        return image;
    image.width = bm.bmWidth;
    image.height = bm.bmHeight;
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
        {
            const unsigned char* bgr = &bits[y * stride + x * 3];
            unsigned char* rgb = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
            rgb[0] = bgr[2];
            rgb[1] = bgr[1];
            rgb[2] = bgr[0];
        }
    return image;
}

RgbImage ReadClipboardBitmap()
{
    RgbImage image;
    if (!OpenClipboard(nullptr))
        return image;
    if (HBITMAP hBitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)))
        image = ReadBitmap(hBitmap);
    CloseClipboard();
    return image;
}

int ClipboardFormatCount() { return CountClipboardFormats(); }

void ClearClipboard()
{
    if (OpenClipboard(nullptr))
    {
        EmptyClipboard();
        CloseClipboard();
    }
}

namespace
{
std::vector<std::string> g_texts;
WNDPROC g_previous = nullptr;

LRESULT CALLBACK Record(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT)
        g_texts.push_back(reinterpret_cast<const char*>(lParam));
    return CallWindowProcA(g_previous, hWnd, message, wParam, lParam);
}
}

StatusRecorder::StatusRecorder(HWND hStatusBar) : m_hBar(hStatusBar)
{
    g_texts.clear();
    g_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(m_hBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Record)));
}

StatusRecorder::~StatusRecorder() { SetWindowLongPtrA(m_hBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous)); }

const std::vector<std::string>& StatusRecorder::Texts() const { return g_texts; }

void EnterDigitise(AppSession& session)
{
    gui::ModalScript script;
    script.Then(gui::ChooseShapeType(IDC_POLYLINES));
    session.Command(ID_VIEW_DIGITISE);
}

void BackToDigitise(AppSession& session)
{
    gui::ModalScript script;   // none expected: an unexpected one is closed
    session.Command(ID_VIEW_DIGITISE);
}

void WritePointFile(const std::string& imagePath, const std::vector<PointRecord>& points)
{
    std::string text;
    for (const PointRecord& point : points)
    {
        char line[128];
        std::snprintf(line, sizeof(line), "%f,%f,%d,%d\r\n", point.mapX, point.mapY, point.column, point.row);
        text += line;
    }
    WriteWholeFile(imagePath.substr(0, imagePath.rfind('.')) + ".tvg", text);
}

int DefaultButton(HWND hDialog)
{
    for (int nID : {IDOK, IDCANCEL, IDYES, IDNO})
    {
        HWND hButton = GetDlgItem(hDialog, nID);
        if (hButton && (GetWindowLongA(hButton, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return nID;
    }
    return 0;
}
}
