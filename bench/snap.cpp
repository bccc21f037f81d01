// What one snap search costs: FindSnap over 1,000 to 100,000 polygons of
// eight corners scattered over a 40,000-pixel scan, at points near and far
// from them, with the 10-pixel tolerance at zoom 1, by a scan of every
// feature and through the grid index (and what building the index costs,
// once after each change of the features). A mouse move is handled once a
// frame at most, 16 ms. Prints
// "features build-ms scan-us-per-query index-us-per-query hits-scan hits-index".
#include <chrono>
#include <cmath>
#include <cstdio>

#include "core/view/FeatureSnap.h"

namespace
{
double Since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}
}   // namespace

int main()
{
    for (int count : {1000, 10000, 100000})
    {
        CShapeArray features;
        for (int i = 0; i < count; ++i)
        {
            const double cx = 40000.0 * std::fmod(i * 0.618034, 1.0), cy = 40000.0 * std::fmod(i * 0.414214 + 0.1, 1.0);
            std::vector<CShapeVertex> ring;
            for (int k = 0; k <= 8; ++k)
            {
                const double a = (k % 8) * 0.785398 + i;
                ring.push_back({static_cast<int>(cx + 40 * std::cos(a)), static_cast<int>(cy + 40 * std::sin(a))});
            }
            CShape shape;
            shape.SetVertices(ring);
            features.Add(std::move(shape));
        }
        auto start = std::chrono::steady_clock::now();
        CSnapIndex index;
        index.Build(features, SHAPE_POLYGON);
        const double buildMs = Since(start) / 1000.0;

        const int queries = 200;
        double us[2] = {0, 0};
        int hits[2] = {0, 0};
        for (int indexed = 0; indexed < 2; ++indexed)
        {
            SnapSources sources;
            sources.pFeatures = &features;
            sources.nShapeType = SHAPE_POLYGON;
            sources.pIndex = indexed ? &index : nullptr;
            start = std::chrono::steady_clock::now();
            for (int q = 0; q < queries; ++q)
            {
                // Half the points by a feature's first corner, half anywhere.
                const CShapeVertex near = features.GetAt((q * 7919) % count).GetAt(0);
                const ImagePoint p =
                    q % 2 ? ImagePoint{near.x + 3.0, near.y - 2.0}
                          : ImagePoint{40000.0 * std::fmod(q * 0.3819, 1.0), 40000.0 * std::fmod(q * 0.7071, 1.0)};
                hits[indexed] += FindSnap(sources, p, ImageTolerance(10, 1)).nKind != HitKind::None;
            }
            us[indexed] = Since(start) / queries;
        }
        std::printf("%d %.1f %.1f %.2f %d %d\n", count, buildMs, us[0], us[1], hits[0], hits[1]);
    }
    return 0;
}
