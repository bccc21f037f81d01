// Opens 100,000 polylines of 10 vertices, with an integer and a text field,
// from a GeoPackage that ogr2ogr wrote, and saves them back as a new
// GeoPackage: our reader and writer against ogr2ogr doing the same
// conversion (GeoPackage to GeoPackage, with its spatial index); then the
// same layer opened as the document's features over a fit, one feature
// moved and saved back into its file. Best of three runs each; ogr2ogr's
// time includes starting the process.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/gpkg/FeatureGeoPackage.h"
#include "core/gpkg/GeoPackageReader.h"
#include "core/gpkg/GeoPackageWriter.h"
#include "bench/LargeLayer.h"
#include "core/io/StdioFileSystem.h"
#include "core/shape/OpenedLayer.h"

namespace fs = std::filesystem;

namespace
{
const int kRuns = 3;

bool Run(const std::string& command)
{
    if (std::system((command + " >/dev/null 2>&1").c_str()) == 0)
        return true;
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    return false;
}
}   // namespace

int main()
{
    const fs::path dir = FreshBenchFolder("geopackage");
    const fs::path csv = dir / "lines.csv";
    if (!WriteLinesCsv(csv))
        return 1;
    const fs::path source = dir / "lines.gpkg";
    if (!Run("ogr2ogr -f GPKG -nlt LINESTRING -a_srs EPSG:32633 -oo KEEP_GEOM_COLUMNS=NO -nln lines '" +
             source.string() + "' '" + csv.string() + "'"))
        return 1;
    std::printf("%d polylines of %d vertices, a GeoPackage of %.1f MB\n", kShapes, kVertices,
                fs::file_size(source) / 1e6);

    double readBest = 1e300, writeBest = 1e300;
    const fs::path ours = dir / "ours.gpkg";
    for (int run = 0; run < kRuns; ++run)
    {
        auto start = std::chrono::steady_clock::now();
        CVectorLayer layer;
        const GeoPackageReadStatus read =
            ReadGeoPackageLayer(source.string(), "lines", StdioFileSystem(), &layer, nullptr, nullptr);
        if (!read.Ok() || layer.features.size() != size_t(kShapes))
        {
            std::fprintf(stderr, "our read failed: %s\n", read.Detail().c_str());
            return 1;
        }
        readBest = std::min(readBest, Seconds(start));
        start = std::chrono::steady_clock::now();
        const GeoPackageWriteStatus written =
            WriteGeoPackage(ours.string(), layer, CCrsRef{32633, false}, StdioFileSystem());
        if (!written.Ok())
        {
            std::fprintf(stderr, "our write failed: %s\n", written.Detail().c_str());
            return 1;
        }
        writeBest = std::min(writeBest, Seconds(start));
    }
    std::printf("quarvex  open %.3f s, save %.3f s (%.1f MB), together %.3f s\n", readBest, writeBest,
                fs::file_size(ours) / 1e6, readBest + writeBest);

    double gdalBest = 1e300;
    const fs::path theirs = dir / "ogr2ogr.gpkg";
    for (int run = 0; run < kRuns; ++run)
    {
        fs::remove(theirs);
        const auto start = std::chrono::steady_clock::now();
        if (!Run("ogr2ogr -f GPKG '" + theirs.string() + "' '" + source.string() + "'"))
            return 1;
        gdalBest = std::min(gdalBest, Seconds(start));
    }
    std::printf("ogr2ogr  %.3f s GeoPackage to GeoPackage\n", gdalBest);
    std::printf("ogr2ogr time / our open and save: %.1f (above 1: we are faster)\n", gdalBest / (readBest + writeBest));

    // Open Features and Save back: the rows read, made the document's
    // features through the fit, one moved, the file updated in place.
    double backBest = 1e300;
    const fs::path back = dir / "back.gpkg";
    for (int run = 0; run < kRuns; ++run)
    {
        fs::copy_file(source, back, fs::copy_options::overwrite_existing);
        const auto start = std::chrono::steady_clock::now();
        CVectorLayer layer;
        CShapeFile shapeFile;
        // The layer's 25-km square over a 25,000-pixel scan, as the Shapefile bench fits it.
        shapeFile.m_geoRef.SetImageHeight(25000);
        for (const CGeoRefPoint& point :
             {CGeoRefPoint(498000, 4224000, 0, 0), CGeoRefPoint(523000, 4224000, 25000, 0),
              CGeoRefPoint(498000, 4199000, 0, 25000), CGeoRefPoint(523000, 4199000, 25000, 25000)})
            shapeFile.m_geoRef.m_points.push_back(point);
        auto pOpened = std::make_shared<COpenedLayer>();
        if (!ReadGeoPackageLayer(back.string(), "lines", StdioFileSystem(), &layer, nullptr, nullptr).Ok() ||
            !shapeFile.m_geoRef.CalcTransform() ||
            !MakeOpenedGeoPackageLayer(back.string(), std::move(layer), shapeFile.m_geoRef.GetTransform(),
                                       pOpened.get(), &shapeFile.m_shapes))
        {
            std::fprintf(stderr, "our open failed\n");
            return 1;
        }
        shapeFile.m_pSource = pOpened;
        std::vector<CShapeVertex> moved = shapeFile.m_shapes.GetAt(kShapes / 2).Vertices();
        for (CShapeVertex& v : moved)
            v.x += 3;
        shapeFile.m_shapes.SetVertices(kShapes / 2, std::move(moved));
        const GeoPackageWriteStatus saved = WriteOpenedGeoPackage(shapeFile, SHAPE_POLYLINE, StdioFileSystem());
        if (!saved.Ok())
        {
            std::fprintf(stderr, "our save back failed: %s\n", saved.Detail().c_str());
            return 1;
        }
        backBest = std::min(backBest, Seconds(start));
    }
    std::printf("quarvex  %.3f s to open as features and save back one moved\n", backBest);
    std::printf("ogr2ogr time / our open and save back: %.1f (above 1: we are faster)\n", gdalBest / backBest);
    fs::remove_all(dir);
    return 0;
}
