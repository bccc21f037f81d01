// Following a line drawn on the scan: the cheapest 8-connected path of
// pixels between two points, where a pixel costs more the further its colour
// is from the line's, and that path reduced to the few vertices that keep
// within a tolerance of it. Vertex (c, r) is pixel (c, r), as everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/shape/Shape.h"

// RGB pixels of 3 bytes, rows cbRow bytes apart (CRgbImage's layout).
struct TraceImage
{
    const unsigned char* pPixels = nullptr;
    int nWidth = 0;
    int nHeight = 0;
    size_t cbRow = 0;
};

struct TraceColour
{
    unsigned char r, g, b;
};

// A pixel of the line's colour costs 1 a step and one furthest from it
// kOffLineCost: a path leaves the line only where following it is that many
// times longer.
constexpr double kOffLineCost = 100.0;

// Searches one path after another, keeping its buffers between them so that
// a search run at every mouse move allocates nothing once warm.
class CLineTracer
{
public:
    // The cheapest path from "from" to "to", both ends included, looked for
    // only within the box of the two points grown by WindowMargin; empty
    // when an end is off the image.
    std::vector<CShapeVertex> LeastCostPath(const TraceImage& image, CShapeVertex from, CShapeVertex to,
                                            TraceColour colour);
    // Pixels the last search settled, for the benchmark.
    size_t Settled() const { return m_nSettled; }

private:
    // What the search knows of one pixel of its window, side by side: one
    // cache line fetched per pixel looked at, not one per field.
    struct Node
    {
        uint32_t stamp;   // m_nSearch + 1 reached in this search, + 2 settled
        float cost;       // cheapest cost yet from "from"
        float pixel;      // the cost of a step onto the pixel
        uint8_t from;     // direction taken into the pixel; 8 for the start
    };
    std::vector<Node> m_nodes;
    uint32_t m_nSearch = 0;
    size_t m_nSettled = 0;
};

// How far around the box of the two ends a path may go: bends of a road
// leave the straight line between two clicks by a fraction of its length.
int WindowMargin(CShapeVertex from, CShapeVertex to);

// Douglas-Peucker: the fewest of path's vertices, the first and last always,
// such that every vertex of path lies within dTolerance of the polyline kept.
std::vector<CShapeVertex> SimplifyPath(const std::vector<CShapeVertex>& path, double dTolerance);

// The colour of the line under a click: the darkest pixel within nRadius
// of "at" (a click lands on a line's edge as often as on its middle). A
// scan's black is seldom 0, and a path costs least where its pixels are the
// line's own colour.
TraceColour LineColourAt(const TraceImage& image, CShapeVertex at, int nRadius);

// What the tracing preview proposes: the least-cost path simplified to half
// a pixel.
std::vector<CShapeVertex> TraceLine(CLineTracer& tracer, const TraceImage& image, CShapeVertex from, CShapeVertex to,
                                    TraceColour colour);
