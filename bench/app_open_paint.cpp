// Times, inside the running program under Wine, opening a JPEG and painting
// it for the first time (decode, point file, view reset, first full paint),
// then repainting while scrolling at 400%.
// Usage: app_open_paint_timer IMAGE.jpg REPEATS
// Prints: width height best_open_and_paint_ms mean_scroll_step_ms
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"

namespace
{
double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}
}

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: app_open_paint_timer IMAGE.jpg REPEATS\n");
        return 2;
    }
    const int repeats = std::max(1, std::atoi(argv[2]));
    AppSession session;   // the start-up Open dialog is cancelled
    session.SetViewClientSize(1024, 700);
    double best = 1e30;
    for (int i = 0; i < repeats; ++i)
    {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        // The open repaints the view at once (the view's update); GdiFlush
        // makes sure the pixels reached the window.
        if (!session.app.OpenDocumentFile(argv[1]))
        {
            std::fprintf(stderr, "app_open_paint_timer: cannot open %s\n", argv[1]);
            return 1;
        }
        UpdateWindow(session.ViewWnd());
        GdiFlush();
        QueryPerformanceCounter(&end);
        best = std::min(best, Milliseconds(start, end));
    }
    // Scrolling at 400%: 40 steps of 64 device pixels right and down, each
    // painted at once, as dragging the scroll bars does.
    session.Command(ID_VIEW_ZOOM400);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const int steps = 40;
    for (int i = 1; i <= steps; ++i)
    {
        session.View()->ScrollToPosition(POINT{i * 64, i * 64});
        UpdateWindow(session.ViewWnd());
    }
    GdiFlush();
    QueryPerformanceCounter(&end);
    const CRgbImage& image = session.Doc()->m_image;
    std::printf("%d %d %.1f %.2f\n", image.Width(), image.Height(), best, Milliseconds(start, end) / steps);
    return 0;
}
