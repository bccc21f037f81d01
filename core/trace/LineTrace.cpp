#include "core/trace/LineTrace.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>
#include <utility>

namespace
{
const int kDx[8] = {1, 1, 0, -1, -1, -1, 0, 1};
const int kDy[8] = {0, 1, 1, 1, 0, -1, -1, -1};
const float kSqrt2 = 1.41421356f;

// The cost of stepping one pixel onto a pixel of this colour.
inline float PixelCost(const unsigned char* p, TraceColour colour)
{
    const int dr = p[0] - colour.r, dg = p[1] - colour.g, db = p[2] - colour.b;
    const float d2 = static_cast<float>(dr * dr + dg * dg + db * db) * (1.0f / (3.0f * 255.0f * 255.0f));
    return 1.0f + static_cast<float>(kOffLineCost - 1.0) * d2;
}

// The cheapest an unobstructed path of dx by dy pixels can cost: every
// pixel costs at least 1, so A* with it finds the cheapest path.
inline float Octile(int dx, int dy)
{
    dx = std::abs(dx);
    dy = std::abs(dy);
    const int lo = std::min(dx, dy), hi = std::max(dx, dy);
    return static_cast<float>(hi - lo) + kSqrt2 * static_cast<float>(lo);
}

double DistanceToSegment(CShapeVertex p, CShapeVertex a, CShapeVertex b)
{
    const double vx = b.x - a.x, vy = b.y - a.y, wx = p.x - a.x, wy = p.y - a.y;
    const double len2 = vx * vx + vy * vy;
    double t = len2 > 0 ? (wx * vx + wy * vy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(wx - t * vx, wy - t * vy);
}
}   // namespace

int WindowMargin(CShapeVertex from, CShapeVertex to)
{
    const double length = std::hypot(to.x - from.x, to.y - from.y);
    return 32 + static_cast<int>(length / 2);
}

std::vector<CShapeVertex> CLineTracer::LeastCostPath(const TraceImage& image, CShapeVertex from, CShapeVertex to,
                                                     TraceColour colour)
{
    m_nSettled = 0;
    auto inside = [&](CShapeVertex v) { return v.x >= 0 && v.y >= 0 && v.x < image.nWidth && v.y < image.nHeight; };
    if (!image.pPixels || !inside(from) || !inside(to))
        return {};
    const int margin = WindowMargin(from, to);
    const int left = std::max(0, std::min(from.x, to.x) - margin);
    const int top = std::max(0, std::min(from.y, to.y) - margin);
    const int right = std::min(image.nWidth - 1, std::max(from.x, to.x) + margin);
    const int bottom = std::min(image.nHeight - 1, std::max(from.y, to.y) + margin);
    const int w = right - left + 1, h = bottom - top + 1;
    // The window's nodes in blocks of 16 x 16 pixels: a path's neighbours
    // then share pages and cache lines, where rows of a wide window would not.
    const size_t blocksAcross = static_cast<size_t>(w + 15) / 16;
    const size_t area = blocksAcross * static_cast<size_t>((h + 15) / 16) * 256;
    if (m_nodes.size() < area)
    {
        m_nodes.assign(area, Node{0, 0.0f, 0.0f, 0});
        m_nSearch = 0;
    }
    // Each search takes two new stamps: reached, and settled.
    if (m_nSearch > UINT32_MAX - 2)   // old stamps could match again: start over
    {
        for (Node& node : m_nodes)
            node.stamp = 0;
        m_nSearch = 0;
    }
    const uint32_t seen = m_nSearch + 1, settled = m_nSearch + 2;
    m_nSearch += 2;

    auto node = [&](int wx, int wy) -> Node& {
        return m_nodes[((static_cast<size_t>(wy) >> 4) * blocksAcross + (static_cast<size_t>(wx) >> 4)) * 256 +
                       ((static_cast<size_t>(wy) & 15) << 4) + (static_cast<size_t>(wx) & 15)];
    };
    struct Entry
    {
        float estimate;   // cost so far and the least the rest can cost
        int wx, wy;       // in the window
        bool operator>(const Entry& other) const { return estimate > other.estimate; }
    };
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    const int goalX = to.x - left, goalY = to.y - top;
    node(from.x - left, from.y - top) = Node{seen, 0.0f, 0.0f, 8};
    open.push({Octile(to.x - from.x, to.y - from.y), from.x - left, from.y - top});
    while (!open.empty())
    {
        const Entry at = open.top();
        open.pop();
        Node& here = node(at.wx, at.wy);
        if (here.stamp == settled)
            continue;
        here.stamp = settled;
        ++m_nSettled;
        if (at.wx == goalX && at.wy == goalY)
            break;
        for (int d = 0; d < 8; ++d)
        {
            const int nx = at.wx + kDx[d], ny = at.wy + kDy[d];
            if (nx < 0 || ny < 0 || nx >= w || ny >= h)
                continue;
            Node& next = node(nx, ny);
            if (next.stamp == settled)
                continue;
            if (next.stamp != seen)
            {
                // First reached in this search: its pixel's cost, once.
                const unsigned char* p =
                    image.pPixels + image.cbRow * static_cast<size_t>(ny + top) + 3 * static_cast<size_t>(nx + left);
                next.pixel = PixelCost(p, colour);
                next.cost = std::numeric_limits<float>::max();
                next.stamp = seen;
            }
            const float cost = here.cost + next.pixel * ((d & 1) ? kSqrt2 : 1.0f);
            if (cost < next.cost)
            {
                next.cost = cost;
                next.from = static_cast<uint8_t>(d);
                open.push({cost + Octile(goalX - nx, goalY - ny), nx, ny});
            }
        }
    }
    std::vector<CShapeVertex> path;
    if (node(goalX, goalY).stamp != settled)
        return path;
    for (int wx = goalX, wy = goalY;;)
    {
        path.push_back({wx + left, wy + top});
        const int d = node(wx, wy).from;
        if (d == 8)
            break;
        wx -= kDx[d];
        wy -= kDy[d];
    }
    std::reverse(path.begin(), path.end());
    return path;
}

std::vector<CShapeVertex> SimplifyPath(const std::vector<CShapeVertex>& path, double dTolerance)
{
    if (path.size() < 3)
        return path;
    std::vector<char> keep(path.size(), 0);
    keep.front() = keep.back() = 1;
    // An explicit stack: a path of many thousand pixels would recurse as deep.
    std::vector<std::pair<size_t, size_t>> stack{{0, path.size() - 1}};
    while (!stack.empty())
    {
        const auto [first, last] = stack.back();
        stack.pop_back();
        double worst = -1.0;
        size_t worstAt = first;
        for (size_t i = first + 1; i < last; ++i)
        {
            const double d = DistanceToSegment(path[i], path[first], path[last]);
            if (d > worst)
            {
                worst = d;
                worstAt = i;
            }
        }
        if (worst > dTolerance)
        {
            keep[worstAt] = 1;
            stack.push_back({first, worstAt});
            stack.push_back({worstAt, last});
        }
    }
    std::vector<CShapeVertex> kept;
    for (size_t i = 0; i < path.size(); ++i)
        if (keep[i])
            kept.push_back(path[i]);
    return kept;
}

TraceColour LineColourAt(const TraceImage& image, CShapeVertex at, int nRadius)
{
    TraceColour darkest = {0, 0, 0};
    int best = INT32_MAX;
    for (int y = std::max(0, at.y - nRadius); y <= std::min(image.nHeight - 1, at.y + nRadius); ++y)
        for (int x = std::max(0, at.x - nRadius); x <= std::min(image.nWidth - 1, at.x + nRadius); ++x)
        {
            const unsigned char* p = image.pPixels + image.cbRow * static_cast<size_t>(y) + 3 * static_cast<size_t>(x);
            if (p[0] + p[1] + p[2] < best)
            {
                best = p[0] + p[1] + p[2];
                darkest = {p[0], p[1], p[2]};
            }
        }
    return darkest;
}

std::vector<CShapeVertex> TraceLine(CLineTracer& tracer, const TraceImage& image, CShapeVertex from, CShapeVertex to,
                                    TraceColour colour)
{
    return SimplifyPath(tracer.LeastCostPath(image, from, to, colour), 0.5);
}
