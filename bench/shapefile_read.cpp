// Reads 100,000 polylines of 10 vertices, with an integer and a text
// field, from a Shapefile that ogr2ogr wrote: our reader (geometry and
// attribute table, every name decoded) against ogr2ogr reading the same
// file into GeoJSON sent to /dev/null (its GeoJSON driver cannot
// open /dev/null itself; it writes to standard output). Best of three runs each; ogr2ogr's
// time includes starting the process and writing the GeoJSON text.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/LargeLayer.h"
#include "core/io/StdioFileSystem.h"
#include "core/shape/ShapefileLayer.h"

namespace fs = std::filesystem;

namespace
{

const int kRuns = 3;

}   // namespace

int main()
{
    const fs::path dir = FreshBenchFolder("shapefile-read");
    fs::path shp;
    if (!MakeLinesShapefile(dir, &shp))
        return 1;

    double best = 1e300;
    size_t decoded = 0;
    for (int run = 0; run < kRuns; ++run)
    {
        const auto start = std::chrono::steady_clock::now();
        CShapefileLayer layer;
        const ShapefileReadStatus status = ReadShapefileLayer(shp.string(), StdioFileSystem(), &layer);
        if (!status.Ok() || layer.m_features.size() != size_t(kShapes))
        {
            std::fprintf(stderr, "our read failed: %s\n", status.Detail().c_str());
            return 1;
        }
        // The attributes as the program will show them: every name decoded.
        decoded = 0;
        for (int i = 0; i < kShapes; ++i)
            decoded += layer.m_table.Text(i, 1).size();
        best = std::min(best, Seconds(start));
    }
    std::printf("quarvex  %.3f s (%zu bytes of names decoded)\n", best, decoded);

    const std::string read = "ogr2ogr -f GeoJSON /vsistdout/ '" + shp.string() + "' >/dev/null 2>&1";
    double gdalBest = 1e300;
    for (int run = 0; run < kRuns; ++run)
    {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(read.c_str()) != 0)
        {
            std::fprintf(stderr, "ogr2ogr failed: %s\n", read.c_str());
            return 1;
        }
        gdalBest = std::min(gdalBest, Seconds(start));
    }
    std::printf("ogr2ogr  %.3f s to GeoJSON on /dev/null\n", gdalBest);
    std::printf("ogr2ogr time / our time: %.1f (above 1: we are faster)\n", gdalBest / best);
    fs::remove_all(dir);
    return 0;
}
