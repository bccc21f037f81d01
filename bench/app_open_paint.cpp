// Times, inside the running program under Wine, opening a scan and painting
// it for the first time (decode, point file, view reset, first full paint),
// then repainting while scrolling at 400%; with --transpose also the
// Transpose command on the whole image and Copy of its result, and the
// process's peak working set; with --export also the GeoTIFF export of the
// whole image at the scan's pixel size (bilinear, DEFLATE, every core) that
// File > Export GeoTIFF... makes, into a file beside the image removed again;
// with --peak only the peak working set of the opens.
// Usage: app_open_paint_timer IMAGE REPEATS [--transpose [--export] | --peak]
// Prints: width height best_open_and_paint_ms mean_scroll_step_ms
//         [peak_working_set_mb_of_the_opens (--peak)]
//         [transpose_ms copy_ms peak_working_set_mb_of_open_and_transpose
//          [export_ms export_width export_height peak_working_set_mb_of_all]]
// An image that cannot be opened prints "refused MS" (the time until its
// message shows) and exits with 3.
// app_open_paint_timer --limit prints the largest scan, in pixels, that the
// process could open now.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "winbase/Win32Files.h"
#include "app/ScanLimits.h"
#include "core/io/Path.h"
#include "core/raster/GeoTiffGrid.h"
#include "core/raster/GeoTiffWriter.h"
#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/DocTestAccess.h"

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

double PeakWorkingSetMb()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakWorkingSetSize / 1048576.0;
}
}

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--limit") == 0)
    {
        std::printf("%lld\n", LargestScanPixelsNow());
        return 0;
    }
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: app_open_paint_timer IMAGE.jpg REPEATS [--transpose]\n");
        return 2;
    }
    const int repeats = std::max(1, std::atoi(argv[2]));
    const bool transpose = argc > 3 && std::strcmp(argv[3], "--transpose") == 0;
    const bool exportGeoTiff = transpose && argc > 4 && std::strcmp(argv[4], "--export") == 0;
    AppSession session;   // the start-up Open dialog is cancelled
    session.SetViewClientSize(1024, 700);
    double best = 1e30;
    for (int i = 0; i < repeats; ++i)
    {
        const double start = Now();
        // The open repaints the view at once (the view's update); GdiFlush
        // makes sure the pixels reached the window. A refusal's message is
        // answered at once.
        double refusedAt = 0;
        gui::ModalScript script;
        script.Then([&refusedAt](HWND hBox) {
            refusedAt = Now();
            gui::Click(hBox, IDOK);
        });
        if (!session.app.OpenDocumentFile(argv[1]))
        {
            std::printf("refused %.1f\n", refusedAt - start);
            return 3;
        }
        UpdateWindow(session.ViewWnd());
        GdiFlush();
        best = std::min(best, Now() - start);
    }
    // Scrolling at 400%: 40 steps of 64 device pixels right and down, each
    // painted at once, as dragging the scroll bars does.
    session.Command(ID_VIEW_ZOOM400);
    const double scrollStart = Now();
    const int steps = 40;
    for (int i = 1; i <= steps; ++i)
    {
        session.View()->ScrollToPosition(POINT{i * 64, i * 64});
        UpdateWindow(session.ViewWnd());
    }
    GdiFlush();
    const double scrollMs = (Now() - scrollStart) / steps;
    CImageDoc* pDoc = session.Doc();
    std::printf("%d %d %.1f %.2f", pDoc->Image().Width(), pDoc->Image().Height(), best, scrollMs);
    if (argc > 3 && std::strcmp(argv[3], "--peak") == 0)
        std::printf(" %.1f", PeakWorkingSetMb());
    if (transpose)
    {
        // Digitising on the scan's control points, then Transpose of the
        // whole image (No to the crop question) and Copy, as the user does.
        session.Command(ID_VIEW_ZOOM100);
        if (!TestGeoRef(pDoc).CalcTransform())
        {
            std::fprintf(stderr, "app_open_paint_timer: no control points beside %s\n", argv[1]);
            return 1;
        }
        SetTestMode(pDoc, MODE_DIGITISE);
        double transposeMs = -1, copyMs = -1;
        {
            gui::ModalScript script;
            script.Then(gui::ModalScript::Press(IDNO));
            const double start = Now();
            session.Command(ID_VIEW_TRANSPOSE);
            GdiFlush();
            transposeMs = Now() - start;
        }
        // Open and Transpose: Copy's bitmap comes on top of them.
        const double peakMb = PeakWorkingSetMb();
        if (pDoc->Session().Mode() == MODE_TRANSPOSED)
        {
            gui::ModalScript script;   // a failure's message is answered
            const double start = Now();
            session.Command(ID_EDIT_COPY);
            copyMs = Now() - start;
            if (!script.Seen().empty() || !script.Unexpected().empty())
                copyMs = -1;
        }
        std::printf(" %.1f %.1f %.1f", transposeMs, copyMs, peakMb);
        if (exportGeoTiff)
        {
            const CAffineTransform fit = pDoc->Session().GeoRef().GetAffine();
            CGeoTiffGrid grid;
            CGeoTiffOptions options;   // bilinear, DEFLATE, every core
            double exportMs = -1;
            if (CalcGeoTiffGrid(fit, pDoc->Image().Width(), pDoc->Image().Height(), pDoc->Session().GeoRef().m_points,
                                GEOTIFF_EXTENT_WHOLE_IMAGE, DefaultGeoTiffPixelSize(fit), &grid) == GEOTIFF_OK)
            {
                const std::string path = SideFileName(argv[1], ".bench.tif");
                const double start = Now();
                if (ExportGeoTiff(Win32Files(), path, pDoc->Image(), fit, grid, pDoc->Session().Crs(), options) ==
                    GEOTIFF_OK)
                    exportMs = Now() - start;
                DeleteFileA(path.c_str());
            }
            std::printf(" %.1f %d %d %.1f", exportMs, grid.nWidth, grid.nHeight, PeakWorkingSetMb());
        }
    }
    std::printf("\n");
    return 0;
}
