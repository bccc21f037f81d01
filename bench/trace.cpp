// What the tracing preview costs as the mouse moves: a 108-MP scan
// (12,000 x 9,000 RGB) with a winding black road on noisy paper, the last
// vertex on the road and the cursor moving along it, a step at a time, to
// 2,000 pixels away; each move searches the least-cost path to the cursor
// and simplifies it, as the view does. Then the same with the cursor 25
// pixels off the road, in the paper. A move is handled once a frame, 16 ms.
// Prints "case moves mean-ms max-ms cpu-mean-ms cpu-max-ms mean-settled-pixels"
// per case (wall clock, then this thread's processor time), and,
// with a folder argument, writes the search window of the longest move
// (window.rgb, window.txt: width height from-x from-y to-x to-y) and our
// path (path.txt) for bench/trace_skimage.py.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <ctime>
#include <vector>

#include "core/raster/RgbImage.h"
#include "core/trace/LineTrace.h"

namespace
{
const int kWidth = 12000, kHeight = 9000;
const double kPi = 3.14159265358979323846;

// The road: x grows along it, y winds; about 2,600 pixels long.
CShapeVertex RoadAt(double t)
{
    const double x = 3000 + 2000 * t + 60 * std::sin(2 * kPi * 3 * t);
    const double y = 4500 + 300 * std::sin(2 * kPi * 1.2 * t) + 40 * std::sin(2 * kPi * 6 * t);
    return {static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))};
}

void DrawRoad(CRgbImage& image, const std::vector<CShapeVertex>& road)
{
    for (size_t i = 0; i + 1 < road.size(); ++i)
    {
        const CShapeVertex a = road[i], b = road[i + 1];
        const double vx = b.x - a.x, vy = b.y - a.y, len2 = std::max(1e-9, vx * vx + vy * vy);
        for (int y = std::min(a.y, b.y) - 3; y <= std::max(a.y, b.y) + 3; ++y)
            for (int x = std::min(a.x, b.x) - 3; x <= std::max(a.x, b.x) + 3; ++x)
            {
                const double t = std::clamp(((x - a.x) * vx + (y - a.y) * vy) / len2, 0.0, 1.0);
                const double d = std::hypot(x - a.x - t * vx, y - a.y - t * vy);
                const double ink = std::clamp((1.75 - d) / 1.5, 0.0, 1.0);
                unsigned char* p = image.Row(y) + 3 * static_cast<size_t>(x);
                for (int k = 0; k < 3; ++k)
                    p[k] = std::min<unsigned char>(p[k], static_cast<unsigned char>(240 * (1 - ink) + 20 * ink));
            }
    }
}

double Ms(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The processor time of this thread: what a move costs on a machine shared
// with other work, where the wall clock also counts the others' turns.
double CpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}
}   // namespace

int main(int argc, char** argv)
{
    CRgbImage image;
    if (!image.Allocate(kWidth, kHeight))
    {
        std::printf("no room for the scan\n");
        return 1;
    }
    uint32_t seed = 24;
    for (size_t i = 0; i < image.ByteCount(); ++i)
    {
        seed = seed * 1664525u + 1013904223u;
        image.Pixels()[i] = static_cast<unsigned char>(232 + (seed >> 28));   // paper with noise
    }
    std::vector<CShapeVertex> road;
    for (int i = 0; i <= 4000; ++i)
    {
        const CShapeVertex v = RoadAt(i / 4000.0);
        if (road.empty() || !(road.back() == v))
            road.push_back(v);
    }
    DrawRoad(image, road);
    const TraceImage pixels{image.Pixels(), image.Width(), image.Height(), image.RowBytes()};

    // The cursor's stops: every 8th road vertex until 2,000 pixels from the start.
    const CShapeVertex from = road[0];
    std::vector<CShapeVertex> stops;
    for (size_t i = 8; i < road.size(); i += 8)
    {
        if (std::hypot(road[i].x - from.x, road[i].y - from.y) > 2000)
            break;
        stops.push_back(road[i]);
    }
    CLineTracer tracer;
    const TraceColour colour = LineColourAt(pixels, from, 2);      // as the view takes it
    (void)TraceLine(tracer, pixels, from, stops.back(), colour);   // warm: the buffers grown once
    for (int off : {0, 25})
    {
        double total = 0, worst = 0, cpuTotal = 0, cpuWorst = 0;
        size_t settled = 0;
        for (const CShapeVertex& stop : stops)
        {
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = CpuMs();
            const std::vector<CShapeVertex> path = TraceLine(tracer, pixels, from, {stop.x, stop.y + off}, colour);
            const double ms = Ms(start), cpu = CpuMs() - cpuStart;
            cpuTotal += cpu;
            cpuWorst = std::max(cpuWorst, cpu);
            total += ms;
            worst = std::max(worst, ms);
            settled += tracer.Settled();
            if (path.size() < 2)
                std::printf("no path to %d %d\n", stop.x, stop.y + off);
        }
        std::printf("%s %zu %.2f %.2f %.2f %.2f %zu\n", off ? "cursor-off-road" : "cursor-on-road", stops.size(),
                    total / stops.size(), worst, cpuTotal / stops.size(), cpuWorst, settled / stops.size());
    }

    if (argc > 1)
    {
        // The longest move's window, for the same search by an outside tool.
        const CShapeVertex to = stops.back();
        const int margin = WindowMargin(from, to);
        const int left = std::max(0, std::min(from.x, to.x) - margin),
                  top = std::max(0, std::min(from.y, to.y) - margin);
        const int right = std::min(kWidth - 1, std::max(from.x, to.x) + margin);
        const int bottom = std::min(kHeight - 1, std::max(from.y, to.y) + margin);
        const std::string folder = argv[1];
        FILE* f = std::fopen((folder + "/window.rgb").c_str(), "wb");
        for (int y = top; y <= bottom; ++y)
            std::fwrite(image.Row(y) + 3 * static_cast<size_t>(left), 1, 3 * static_cast<size_t>(right - left + 1), f);
        std::fclose(f);
        f = std::fopen((folder + "/window.txt").c_str(), "w");
        std::fprintf(f, "%d %d %d %d %d %d %d %d %d\n", right - left + 1, bottom - top + 1, from.x - left, from.y - top,
                     to.x - left, to.y - top, colour.r, colour.g, colour.b);
        std::fclose(f);
        f = std::fopen((folder + "/path.txt").c_str(), "w");
        for (const CShapeVertex& v : tracer.LeastCostPath(pixels, from, to, colour))
            std::fprintf(f, "%d %d\n", v.x - left, v.y - top);
        std::fclose(f);
    }
    return 0;
}
