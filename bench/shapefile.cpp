// Writes 100,000 polylines of 10 vertices (.shp, .shx, .dbf) with our
// writers, then has GDAL's ogr2ogr write the same shapes from a CSV file of
// WKT lines in map coordinates, and prints both speeds and their ratio.
// Each side is timed as the best of three runs; ogr2ogr's time includes
// starting the process and reading the CSV, so a Shapefile-to-Shapefile copy
// by ogr2ogr is timed as well.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "core/shape/ShapeFile.h"

namespace fs = std::filesystem;

namespace
{

const int kShapes = 100000;
const int kVertices = 10;
const int kRuns = 3;

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

uintmax_t TripleBytes(const fs::path& main)
{
    uintmax_t total = 0;
    for (const char* extension : {".shp", ".shx", ".dbf"})
    {
        fs::path file = main;
        file.replace_extension(extension);
        std::error_code error;
        const uintmax_t size = fs::file_size(file, error);
        total += error ? 0 : size;
    }
    return total;
}

std::string ReadAll(const fs::path& path)
{
    std::string bytes;
    if (FILE* f = std::fopen(path.string().c_str(), "rb"))
    {
        char chunk[65536];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
            bytes.append(chunk, got);
        std::fclose(f);
    }
    return bytes;
}

void Report(const char* who, double seconds, uintmax_t bytes)
{
    std::printf("%-8s %.3f s, %.1f MB written, %.1f MB/s\n", who, seconds, bytes / 1e6, bytes / 1e6 / seconds);
}

}   // namespace

int main()
{
    CShapeFile file;
    CGeoRefArray& geoRef = file.m_geoRef;
    geoRef.SetImageHeight(20000);
    geoRef.m_points = {CGeoRefPoint(500000.0, 4200000.0, 120, 19800), CGeoRefPoint(520000.0, 4200800.0, 19900, 19500),
                       CGeoRefPoint(500600.0, 4220000.0, 400, 150)};
    if (!geoRef.CalcTransform())
    {
        std::fprintf(stderr, "fit failed\n");
        return 1;
    }
    unsigned seed = 12345;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<unsigned>(range));
    };
    for (int i = 0; i < kShapes; ++i)
    {
        CShape shape;
        int x = next(20000), y = next(20000);
        for (int v = 0; v < kVertices; ++v)
        {
            shape.Add(x, y);
            x += next(201) - 100;
            y += next(201) - 100;
        }
        shape.m_strName = "Road " + std::to_string(i + 1);
        file.m_shapes.Add(std::move(shape));
    }

    const fs::path dir = fs::temp_directory_path() / ("quarvex-bench-shapefile-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "gdal");
    const fs::path ours = dir / "ours.shp";

    std::printf("%d polylines of %d vertices\n", kShapes, kVertices);
    double best = 1e300;
    for (int run = 0; run < kRuns; ++run)
    {
        const auto start = std::chrono::steady_clock::now();
        if (!file.WriteShapefile(ours.string().c_str(), SHAPE_POLYLINE))
        {
            std::fprintf(stderr, "our write failed\n");
            return 1;
        }
        best = std::min(best, Seconds(start));
    }
    const uintmax_t ourBytes = TripleBytes(ours);
    Report("quarvex", best, ourBytes);

    // The same shapes for GDAL, in map units with every bit of each double.
    const fs::path csv = dir / "shapes.csv";
    {
        FILE* out = std::fopen(csv.string().c_str(), "w");
        if (!out)
            return 1;
        std::fprintf(out, "WKT,ID,NAME\n");
        for (int i = 0; i < file.m_shapes.GetSize(); ++i)
        {
            const CShape& shape = file.m_shapes.GetAt(i);
            std::fprintf(out, "\"LINESTRING (");
            for (int v = 0; v < shape.GetSize(); ++v)
            {
                double mx, my;
                geoRef.PixelToMap(shape.GetAt(v).x, shape.GetAt(v).y, &mx, &my);
                std::fprintf(out, "%s%.17g %.17g", v ? "," : "", mx, my);
            }
            std::fprintf(out, ")\",%d,%s\n", i + 1, shape.m_strName.c_str());
        }
        std::fclose(out);
        FILE* types = std::fopen((dir / "shapes.csvt").string().c_str(), "w");
        if (!types)
            return 1;
        std::fprintf(types, "WKT,Integer(8),String(32)\n");
        std::fclose(types);
    }
    const fs::path gdalMain = dir / "gdal" / "shapes.shp";
    const std::string command = "ogr2ogr -f \"ESRI Shapefile\" -nlt LINESTRING -oo KEEP_GEOM_COLUMNS=NO '" +
                                gdalMain.string() + "' '" + csv.string() + "' >/dev/null 2>&1";
    double gdalBest = 1e300;
    for (int run = 0; run < kRuns; ++run)
    {
        fs::remove_all(dir / "gdal");
        fs::create_directories(dir / "gdal");
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0)
        {
            std::fprintf(stderr, "ogr2ogr failed: %s\n", command.c_str());
            fs::remove_all(dir);
            return 1;
        }
        gdalBest = std::min(gdalBest, Seconds(start));
    }
    Report("ogr2ogr", gdalBest, TripleBytes(gdalMain));
    std::printf("ogr2ogr time / our time: %.1f (above 1: we are faster)\n", gdalBest / best);

    // For scale: GDAL copying our Shapefile, which spares it the text parsing.
    const fs::path copyMain = dir / "copy" / "copy.shp";
    const std::string copyCommand =
        "ogr2ogr -f \"ESRI Shapefile\" '" + copyMain.string() + "' '" + ours.string() + "' >/dev/null 2>&1";
    double copyBest = 1e300;
    for (int run = 0; run < kRuns; ++run)
    {
        fs::remove_all(dir / "copy");
        fs::create_directories(dir / "copy");
        const auto start = std::chrono::steady_clock::now();
        if (std::system(copyCommand.c_str()) != 0)
            break;
        copyBest = std::min(copyBest, Seconds(start));
    }
    if (copyBest < 1e300)
        std::printf("ogr2ogr copying our .shp instead of reading CSV: %.3f s, ratio %.1f\n", copyBest, copyBest / best);
    // Both wrote the same shapes: the main files and indexes should agree byte for byte.
    for (const char* extension : {".shp", ".shx"})
    {
        fs::path a = ours, b = gdalMain;
        a.replace_extension(extension);
        b.replace_extension(extension);
        std::printf("%s of both: %s\n", extension, ReadAll(a) == ReadAll(b) ? "identical bytes" : "DIFFERENT bytes");
    }
    fs::remove_all(dir);
    return 0;
}
