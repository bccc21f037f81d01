// Times Copy's bitmap for the clipboard inside a process under Wine: our
// banded fill from DIB rows beside the simplest fill, one SetPixel call per
// pixel on a memory device context; then Copy (the promise of the image) and
// a paste of it (the bitmap made and handed over) on resampled images the
// size of the benchmark scans', and in the x86-64 build one too large for a
// device bitmap, which goes as a DIB.
// Usage: bench_clipboard_copy [PER_PIXEL_SIDE]
// Prints one line per measurement: what, width, height, milliseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "app/ClipboardExport.h"

namespace
{
double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Now()
{
    LARGE_INTEGER now, zero = {};
    QueryPerformanceCounter(&now);
    return Milliseconds(zero, now);
}

std::unique_ptr<unsigned char[]> MakeRgb(int width, int height)
{
    const size_t cb = static_cast<size_t>(width) * height * 3;
    std::unique_ptr<unsigned char[]> rgb(new (std::nothrow) unsigned char[cb]);
    if (rgb)
        for (size_t k = 0; k < cb; ++k)
            rgb[k] = static_cast<unsigned char>((k * 7) % 251);
    return rgb;
}

// The simplest fill: a compatible bitmap selected into a memory DC and
// every pixel set on its own.
double PerPixel(HDC hScreen, const unsigned char* pRgb, int width, int height)
{
    const double start = Now();
    HDC hMemory = CreateCompatibleDC(hScreen);
    HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, width, height);
    HGDIOBJ hOld = SelectObject(hMemory, hBitmap);
    for (int i = 0; i < height; ++i)
        for (int j = 0; j < width; ++j)
        {
            const unsigned char* p = pRgb + (static_cast<size_t>(i) * width + j) * 3;
            SetPixel(hMemory, j, i, RGB(p[0], p[1], p[2]));
        }
    SelectObject(hMemory, hOld);
    GdiFlush();
    const double ms = Now() - start;
    DeleteObject(hBitmap);
    DeleteDC(hMemory);
    return ms;
}

double Banded(HDC hScreen, const unsigned char* pRgb, int width, int height)
{
    const double start = Now();
    HBITMAP hBitmap = CreateBitmapOfRgb(hScreen, pRgb, width, height);
    GdiFlush();
    const double ms = Now() - start;
    if (!hBitmap)
        return -1;
    DeleteObject(hBitmap);
    return ms;
}

CClipboardOffer g_offer;

LRESULT CALLBACK OwnerProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (g_offer.OnOwnerMessage(hWnd, message, wParam))
        return 0;
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

HWND MakeOwner()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BenchClipboardOwner";
    RegisterClassW(&wc);
    return CreateWindowW(wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
}

void EmptyTheClipboard()
{
    if (OpenClipboard(nullptr))
    {
        EmptyClipboard();
        CloseClipboard();
    }
}

// Copy (the promise on the clipboard), then a paste of it: the bitmap made
// and handed over, as another program's paste has it made.
// Milliseconds of each, -1 for a failure.
std::pair<double, double> CopyAndPaste(HWND hOwner, const std::shared_ptr<const unsigned char>& rgb, int width,
                                       int height)
{
    const double start = Now();
    const bool copied = g_offer.Offer(nullptr, hOwner, rgb, width, height) == 0;
    const double copy = Now() - start;
    bool pasted = false;
    if (copied && OpenClipboard(nullptr))
    {
        // The form offered: a bitmap, or a DIB when the image is beyond one.
        pasted = GetClipboardData(EnumClipboardFormats(0)) != nullptr;
        CloseClipboard();
    }
    const double paste = Now() - start - copy;
    EmptyTheClipboard();
    return {copied ? copy : -1, pasted ? paste : -1};
}
}   // namespace

int main(int argc, char** argv)
{
    const int side = argc > 1 ? std::max(16, std::atoi(argv[1])) : 1000;
    HDC hScreen = GetDC(nullptr);
    {
        auto rgb = MakeRgb(side, side);
        std::printf("per-pixel %d %d %.1f\n", side, side, PerPixel(hScreen, rgb.get(), side, side));
        double best = 1e30;
        for (int k = 0; k < 3; ++k)
            best = std::min(best, Banded(hScreen, rgb.get(), side, side));
        std::printf("banded %d %d %.1f\n", side, side, best);
    }
    // The resampled images of the 27-MP and 108-MP scans (whole image: the
    // output's width is the scan's height).
    // And in the x86-64 build the resampled image of a 560-MP sheet, whose
    // device bitmap is beyond what Wine makes (it goes as a DIB).
    std::vector<SIZE> outputs = {{4500, 6000}, {9000, 12000}};
    if (sizeof(void*) == 8)
        outputs.push_back({23700, 23700});
    const HWND hOwner = MakeOwner();
    for (const SIZE& size : outputs)
    {
        auto made = MakeRgb(size.cx, size.cy);
        std::shared_ptr<const unsigned char> rgb(made.release(), [](const unsigned char* p) { delete[] p; });
        double copy = -1, paste = -1;
        for (int k = 0; rgb && k < 2; ++k)
        {
            const auto [c, p] = CopyAndPaste(hOwner, rgb, size.cx, size.cy);
            if (c >= 0 && (copy < 0 || c < copy))
                copy = c;
            if (p >= 0 && (paste < 0 || p < paste))
                paste = p;
        }
        std::printf("copy %ld %ld %.1f\n", static_cast<long>(size.cx), static_cast<long>(size.cy), copy);
        std::printf("paste %ld %ld %.1f\n", static_cast<long>(size.cx), static_cast<long>(size.cy), paste);
        // Of which the bitmap alone (the rest is the clipboard's hand-over).
        std::printf("bitmap %ld %ld %.1f\n", static_cast<long>(size.cx), static_cast<long>(size.cy),
                    rgb ? Banded(hScreen, rgb.get(), size.cx, size.cy) : -1.0);
        std::fflush(stdout);
    }
    DestroyWindow(hOwner);
    ReleaseDC(nullptr, hScreen);
    return 0;
}
