// What carrying control points into the output system costs: the first
// operation (PROJ's context, opening proj.db, choosing the operation), then
// 10,000 points carried, as every refit of a large point set would.
// Usage: crs_transform_timer PROJ_DATA_FOLDER SOURCE TARGET [REPEATS]
// Reads "lon lat" lines (the points) from standard input.
// Prints: points best_create_ms best_transform_ms
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/crs/CrsTransform.h"

namespace
{
double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
}

int main(int argc, char** argv)
{
    if (argc < 4)
    {
        std::fprintf(stderr, "usage: crs_transform_timer PROJ_DATA_FOLDER SOURCE TARGET [REPEATS]\n");
        return 2;
    }
    SetProjDataFolder(argv[1]);
    const int source = std::atoi(argv[2]), target = std::atoi(argv[3]);
    const int repeats = std::max(1, argc > 4 ? std::atoi(argv[4]) : 5);
    std::vector<CMapXY> typed;
    CMapXY p;
    while (std::scanf("%lf %lf", &p.x, &p.y) == 2)
        typed.push_back(p);

    double bestCreate = 1e30, bestTransform = 1e30;
    for (int i = 0; i < repeats; ++i)
    {
        auto start = std::chrono::steady_clock::now();
        CCrsTransform transform;
        const auto created = transform.Create(source, target);
        if (!created.Ok())
        {
            std::fprintf(stderr, "crs_transform_timer: %s\n", created.Detail().c_str());
            return 1;
        }
        bestCreate = std::min(bestCreate, MillisecondsSince(start));
        for (int j = 0; j < repeats; ++j)
        {
            std::vector<CMapXY> points = typed;
            start = std::chrono::steady_clock::now();
            if (!transform.Transform(points.data(), points.size()).Ok())
                return 1;
            bestTransform = std::min(bestTransform, MillisecondsSince(start));
        }
    }
    std::printf("%zu %.2f %.3f\n", typed.size(), bestCreate, bestTransform);
    return 0;
}
