#include "core/trace/LineTrace.h"

#include <algorithm>
#include <cmath>
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
    const size_t area = static_cast<size_t>(w) * static_cast<size_t>(h);
    if (m_stamp.size() < area)
    {
        m_stamp.assign(area, 0);
        m_cost.resize(area);
        m_from.resize(area);
        m_nSearch = 0;
    }
    // Each search takes two new stamps: reached, and settled.
    if (m_nSearch > UINT32_MAX - 2)   // old stamps could match again: start over
    {
        std::fill(m_stamp.begin(), m_stamp.end(), 0);
        m_nSearch = 0;
    }
    const uint32_t seen = m_nSearch + 1, settled = m_nSearch + 2;
    m_nSearch += 2;

    auto index = [&](int x, int y) { return static_cast<size_t>(y - top) * w + static_cast<size_t>(x - left); };
    using Entry = std::pair<float, uint32_t>;   // estimated total, pixel index in the window
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    const size_t start = index(from.x, from.y), goal = index(to.x, to.y);
    m_stamp[start] = seen;
    m_cost[start] = 0.0f;
    m_from[start] = 8;
    open.push({Octile(to.x - from.x, to.y - from.y), static_cast<uint32_t>(start)});
    while (!open.empty())
    {
        const size_t at = open.top().second;
        open.pop();
        if (m_stamp[at] == settled)
            continue;
        m_stamp[at] = settled;
        ++m_nSettled;
        if (at == goal)
            break;
        const int x = left + static_cast<int>(at % w), y = top + static_cast<int>(at / w);
        for (int d = 0; d < 8; ++d)
        {
            const int nx = x + kDx[d], ny = y + kDy[d];
            if (nx < left || ny < top || nx > right || ny > bottom)
                continue;
            const size_t next = index(nx, ny);
            if (m_stamp[next] == settled)
                continue;
            const unsigned char* p =
                image.pPixels + image.cbRow * static_cast<size_t>(ny) + 3 * static_cast<size_t>(nx);
            const float cost = m_cost[at] + PixelCost(p, colour) * ((d & 1) ? kSqrt2 : 1.0f);
            if (m_stamp[next] != seen || cost < m_cost[next])
            {
                m_stamp[next] = seen;
                m_cost[next] = cost;
                m_from[next] = static_cast<uint8_t>(d);
                open.push({cost + Octile(to.x - nx, to.y - ny), static_cast<uint32_t>(next)});
            }
        }
    }
    std::vector<CShapeVertex> path;
    if (m_stamp[goal] != settled)
        return path;
    for (size_t at = goal;;)
    {
        const int x = left + static_cast<int>(at % w), y = top + static_cast<int>(at / w);
        path.push_back({x, y});
        const int d = m_from[at];
        if (d == 8)
            break;
        at = index(x - kDx[d], y - kDy[d]);
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

std::vector<CShapeVertex> TraceLine(CLineTracer& tracer, const TraceImage& image, CShapeVertex from, CShapeVertex to,
                                    TraceColour colour)
{
    return SimplifyPath(tracer.LeastCostPath(image, from, to, colour), 0.5);
}
