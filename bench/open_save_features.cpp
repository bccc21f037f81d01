// Opens 100,000 polylines of 10 vertices with an integer and a text field
// (a Shapefile ogr2ogr wrote) as the document's features over a scan fitted
// by four control points, renames one and saves them all to a new path
// through the staged write: read, every vertex to a pixel, every record
// written back (all but one from the bytes read). Beside it, ogr2ogr
// copying the same file to a new Shapefile. Best of three runs each;
// ogr2ogr's time includes starting the process.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/LargeLayer.h"
#include "core/io/StdioFileSystem.h"
#include "core/shape/ShapeFile.h"

namespace fs = std::filesystem;

namespace
{

const int kRuns = 3;

}   // namespace

int main()
{
    const fs::path dir = FreshBenchFolder("open-save");
    fs::path shp;
    if (!MakeLinesShapefile(dir, &shp))
        return 1;

    const std::string out = (dir / "saved.shp").string();
    double best = 1e300;
    for (int run = 0; run < kRuns; ++run)
    {
        const auto start = std::chrono::steady_clock::now();
        CShapefileLayer layer;
        if (!ReadShapefileLayer(shp.string(), StdioFileSystem(), &layer).Ok())
            return 1;
        CShapeFile shapeFile;
        // 1 m a pixel over the 22 km square the lines lie in.
        shapeFile.m_geoRef.SetImageHeight(25000);
        for (const CGeoRefPoint& point :
             {CGeoRefPoint(498000, 4224000, 0, 0), CGeoRefPoint(523000, 4224000, 25000, 0),
              CGeoRefPoint(498000, 4199000, 0, 25000), CGeoRefPoint(523000, 4199000, 25000, 25000)})
            shapeFile.m_geoRef.m_points.push_back(point);
        if (!shapeFile.m_geoRef.CalcTransform())
            return 1;
        auto pOpened = std::make_shared<COpenedLayer>();
        if (!MakeOpenedLayer(shp.string(), std::move(layer), shapeFile.m_geoRef.GetTransform(), pOpened.get(),
                             &shapeFile.m_shapes))
            return 1;
        shapeFile.m_pSource = pOpened;
        shapeFile.m_shapes.SetName(kShapes / 2, "Renamed");
        if (!shapeFile.SaveAs(out.c_str(), SHAPE_POLYLINE))
        {
            std::fprintf(stderr, "our save failed\n");
            return 1;
        }
        best = std::min(best, Seconds(start));
    }
    std::printf("quarvex  %.3f s to open and save back\n", best);

    const std::string copy = "ogr2ogr -f \"ESRI Shapefile\" -overwrite '" + (dir / "copied.shp").string() + "' '" +
                             shp.string() + "' >/dev/null 2>&1";
    double gdalBest = 1e300;
    for (int run = 0; run < kRuns; ++run)
    {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(copy.c_str()) != 0)
        {
            std::fprintf(stderr, "ogr2ogr failed: %s\n", copy.c_str());
            return 1;
        }
        gdalBest = std::min(gdalBest, Seconds(start));
    }
    std::printf("ogr2ogr  %.3f s to copy to a new Shapefile\n", gdalBest);
    std::printf("ogr2ogr time / our time: %.1f (above 1: we are faster)\n", gdalBest / best);
    fs::remove_all(dir);
    return 0;
}
