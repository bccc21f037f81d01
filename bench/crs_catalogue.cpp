// What the built-in coordinate-system catalogue costs when it is first
// needed (inflating and indexing it), and one search of it.
// Usage: crs_catalogue_timer [REPEATS]
// Prints: systems compressed_bytes text_bytes best_load_ms best_search_ms
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "core/crs/CrsCatalogue.h"
#include "core/crs/CrsCatalogueData.h"
#include "core/crs/CrsSearch.h"

namespace
{
double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
}

int main(int argc, char** argv)
{
    const int repeats = std::max(1, argc > 1 ? std::atoi(argv[1]) : 5);
    double bestLoad = 1e30, bestSearch = 1e30;
    size_t systems = 0;
    for (int i = 0; i < repeats; ++i)
    {
        CCrsCatalogue catalogue;
        auto start = std::chrono::steady_clock::now();
        if (!catalogue.LoadCompressed(kCrsCatalogueData, kCrsCatalogueDataSize, kCrsCatalogueTextSize))
        {
            std::fprintf(stderr, "crs_catalogue_timer: the catalogue does not load\n");
            return 1;
        }
        bestLoad = std::min(bestLoad, MillisecondsSince(start));
        systems = catalogue.GetSize();
        // A search as typed in the dialog: every name is compared.
        start = std::chrono::steady_clock::now();
        const size_t found = SearchCrs(catalogue, "wgs 84 utm 33").size();
        bestSearch = std::min(bestSearch, MillisecondsSince(start));
        if (found == 0)
            return 1;
    }
    std::printf("%zu %zu %zu %.2f %.2f\n", systems, size_t(kCrsCatalogueDataSize), size_t(kCrsCatalogueTextSize),
                bestLoad, bestSearch);
    return 0;
}
