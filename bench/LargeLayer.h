// The layer the feature benchmarks share: 100,000 polylines of 10 vertices
// (a random walk from random starts over a 20-km square in map units), with
// an integer ID and a text NAME outside ASCII, as a CSV of WKT lines that
// ogr2ogr turns into a Shapefile or a GeoPackage.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

const int kShapes = 100000;
const int kVertices = 10;

inline double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Calls line(i, xy) for each polyline of the layer in order, xy its
// vertices' map coordinates as x, y pairs.
template <class Line>
void ForEachLargeLine(Line line)
{
    unsigned seed = 12345;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<unsigned>(range));
    };
    double xy[2 * kVertices];
    for (int i = 0; i < kShapes; ++i)
    {
        double x = 500000.0 + next(20000) + next(1000) / 1000.0, y = 4200000.0 + next(20000);
        for (int v = 0; v < kVertices; ++v)
        {
            xy[2 * v] = x;
            xy[2 * v + 1] = y;
            x += (next(2001) - 1000) / 10.0;
            y += (next(2001) - 1000) / 10.0;
        }
        line(i, static_cast<const double*>(xy));
    }
}

// Writes the layer to csv and its column types beside it (.csvt); false
// when either cannot be written.
inline bool WriteLinesCsv(const std::filesystem::path& csv)
{
    FILE* out = std::fopen(csv.string().c_str(), "w");
    if (!out)
        return false;
    std::fprintf(out, "WKT,ID,NAME\n");
    ForEachLargeLine([out](int i, const double* xy) {
        std::fprintf(out, "\"LINESTRING (");
        for (int v = 0; v < kVertices; ++v)
            std::fprintf(out, "%s%.17g %.17g", v ? "," : "", xy[2 * v], xy[2 * v + 1]);
        std::fprintf(out, ")\",%d,Chemin n\xC2\xB0%d\n", i + 1, i + 1);
    });
    const bool written = std::fclose(out) == 0;
    std::filesystem::path types = csv;
    FILE* typesOut = std::fopen(types.replace_extension(".csvt").string().c_str(), "w");
    if (!typesOut)
        return false;
    std::fprintf(typesOut, "WKT,Integer(8),String(32)\n");
    return std::fclose(typesOut) == 0 && written;
}

// A folder of the benchmark's own under the system's temporary folder, empty.
inline std::filesystem::path FreshBenchFolder(const std::string& name)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("quarvex-bench-" + name + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// The layer as dir/lines.shp (.shx, .dbf; names in UTF-8), written by
// ogr2ogr from its CSV, with its size told; false, with the command, when
// either step failed.
inline bool MakeLinesShapefile(const std::filesystem::path& dir, std::filesystem::path* pShp)
{
    const std::filesystem::path csv = dir / "lines.csv";
    if (!WriteLinesCsv(csv))
        return false;
    *pShp = dir / "lines.shp";
    const std::string make = "ogr2ogr -f \"ESRI Shapefile\" -lco ENCODING=UTF-8 -nlt LINESTRING "
                             "-oo KEEP_GEOM_COLUMNS=NO '" +
                             pShp->string() + "' '" + csv.string() + "' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0)
    {
        std::fprintf(stderr, "ogr2ogr failed: %s\n", make.c_str());
        return false;
    }
    std::printf("%d polylines of %d vertices, %.1f MB of .shp, .shx and .dbf\n", kShapes, kVertices,
                static_cast<double>(std::filesystem::file_size(*pShp) + std::filesystem::file_size(dir / "lines.shx") +
                                    std::filesystem::file_size(dir / "lines.dbf")) /
                    1e6);
    return true;
}
