// GeoPackages we write, judged by tools nobody here wrote: GDAL reads every
// geometry (holes and multipolygons included), value and the coordinate
// system back; GDAL's GeoPackage validator and SQLite's integrity check
// accept the file. Bad values are refused and an existing file stays;
// damaged files are refused.
#include <algorithm>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "core/gpkg/GeoPackageReader.h"
#include "core/gpkg/GeoPackageWriter.h"
#include "core/io/MemoryFile.h"
#include "core/io/StdioFileSystem.h"
#include "tests/core/TestFiles.h"

namespace
{
const char kValidator[] = "/usr/lib/python3/dist-packages/osgeo_utils/samples/validate_gpkg.py";

CMapPoint P(double x, double y) { return CMapPoint{x, y, 0, 0}; }

std::vector<CMapPoint> Square(double x0, double y0, double side, bool bClockwise)
{
    std::vector<CMapPoint> ring = {P(x0, y0), P(x0 + side, y0), P(x0 + side, y0 + side), P(x0, y0 + side), P(x0, y0)};
    if (bClockwise)
        std::reverse(ring.begin(), ring.end());
    return ring;
}

std::string Dump(const std::string& path)
{
    int code = 0;
    std::string out =
        RunTool("/usr/bin/python3 " QUARVEX_SOURCE_DIR "/tests/native/gpkg_dump.py '" + path + "'", &code);
    EXPECT_EQ(code, 0) << out;
    return out;
}

// GDAL's validator, SQLite's integrity check and the R*Tree module's own
// check of the packed index pass.
void ExpectValid(const std::string& path, const std::string& table)
{
    int code = 0;
    std::string out = RunTool(std::string("/usr/bin/python3 ") + kValidator + " '" + path + "'", &code);
    EXPECT_EQ(code, 0) << out;
    out = RunTool("sqlite3 '" + path + "' 'PRAGMA integrity_check' \"SELECT rtreecheck('rtree_" + table + "_geom')\"",
                  &code);
    EXPECT_EQ(out, "ok\nok\n");
}

CVectorLayer Parcels()
{
    CVectorLayer layer;
    layer.strName = "parcels";
    layer.nKind = GeometryKind::Polygon;
    layer.fields = {{"ID", FieldType::Integer, 9, 0},
                    {"NAME", FieldType::Text, 40, 0},
                    {"AREA", FieldType::Real, 12, 3},
                    {"SURVEYED", FieldType::Date, 8, 0}};
    // A plain parcel drawn anticlockwise (a lone ring is an exterior either
    // way), one with a hole, two islands with a hole in the second, and one
    // with no geometry.
    layer.features.push_back({{Square(500000, 5200000, 100, false)}, {"1", "Wiese", "10000.5", "20260107"}});
    layer.features.push_back({{Square(500200, 5200000, 100, true), Square(500220, 5200020, 10, false)},
                              {"2", "Höfe & \"Äcker\"", "9900", "1999-12-31"}});
    layer.features.push_back(
        {{Square(501000, 5201000, 50, true), Square(502000, 5201000, 50, true), Square(502010, 5201010, 5, false)},
         {"3", std::nullopt, " -0.25 ", std::nullopt}});
    layer.features.push_back({{}, {"4", "", std::nullopt, std::nullopt}});
    return layer;
}
}   // namespace

TEST(GeoPackageGdal, LayersReadBackThroughGdalAndPassTheValidator)
{
    ScratchDir dir;
    CFileSystem& files = StdioFileSystem();
    const std::string path = dir.File("parcels.gpkg");
    const GeoPackageWriteStatus written = WriteGeoPackage(path, Parcels(), CCrsRef{32633, false}, files);
    ASSERT_TRUE(written.Ok()) << written.Detail();
    ExpectValid(path, "parcels");
    EXPECT_EQ(Dump(path),
              "layer parcels Multi Polygon epsg 32633\n"
              "field ID Integer 0\nfield NAME String 40\nfield AREA Real 0\nfield SURVEYED Date 0\n"
              "1 MULTIPOLYGON (((500000 5200000,500100 5200000,500100 5200100,500000 5200100,500000 5200000))) | "
              "1 | Wiese | 10000.5 | 2026/01/07\n"
              "2 MULTIPOLYGON (((500200 5200000,500300 5200000,500300 5200100,500200 5200100,500200 5200000),"
              "(500220 5200020,500220 5200030,500230 5200030,500230 5200020,500220 5200020))) | "
              "2 | Höfe & \"Äcker\" | 9900.0 | 1999/12/31\n"
              "3 MULTIPOLYGON (((501000 5201000,501050 5201000,501050 5201050,501000 5201050,501000 5201000)),"
              "((502000 5201000,502050 5201000,502050 5201050,502000 5201050,502000 5201000),"
              "(502010 5201010,502010 5201015,502015 5201015,502015 5201010,502010 5201010))) | "
              "3 | null | -0.25 | null\n"
              "4 null | 4 |  | null | null\n");

    // Lines with Z, points, in no coordinate system; single kinds when every
    // feature is one.
    CVectorLayer roads;
    roads.strName = "roads";
    roads.nKind = GeometryKind::PolyLine;
    roads.bHasZ = true;
    roads.fields = {{"ID", FieldType::Integer, 10, 0}};
    roads.features.push_back({{{CMapPoint{1.5, 2.25, 100, 0}, CMapPoint{3, 4, 101.5, 0}}}, {"12345678901"}});
    const std::string roadsPath = dir.File("roads.gpkg");
    ASSERT_TRUE(WriteGeoPackage(roadsPath, roads, CCrsRef{}, files).Ok());
    ExpectValid(roadsPath, "roads");
    EXPECT_EQ(Dump(roadsPath), "layer roads 3D Line String epsg None\nfield ID Integer64 0\n"
                               "1 LINESTRING Z (1.5 2.25 100,3 4 101.5) | 12345678901\n");

    CVectorLayer wells;
    wells.strName = "wells";
    wells.nKind = GeometryKind::Point;
    wells.features.push_back({{{P(15.25, 47.5)}}, {}});
    const std::string wellsPath = dir.File("wells.gpkg");
    ASSERT_TRUE(WriteGeoPackage(wellsPath, wells, CCrsRef{4326, true}, files).Ok());
    ExpectValid(wellsPath, "wells");
    EXPECT_EQ(Dump(wellsPath), "layer wells Point epsg 4326\n1 POINT (15.25 47.5) | \n");
}

// Enough features for a packed index of two levels: SQLite's own check
// passes, GDAL's spatial filter (which goes through the index) finds what a
// scan of every feature finds, and GDAL's edits keep it whole.
TEST(GeoPackageGdal, PackedIndexAnswersAsAScanDoes)
{
    ScratchDir dir;
    CVectorLayer layer;
    layer.strName = "plots";
    layer.nKind = GeometryKind::Polygon;
    for (int i = 0; i < 3000; ++i)
    {
        const double x = (i * 7919) % 1000 * 10.0 + 0.3, y = (i * 104729) % 997 * 10.0 + 0.7;
        layer.features.push_back({{Square(x, y, 5.5 + i % 7, true)}, {}});
    }
    const std::string path = dir.File("plots.gpkg");
    ASSERT_TRUE(WriteGeoPackage(path, layer, CCrsRef{}, StdioFileSystem()).Ok());
    ExpectValid(path, "plots");
    const std::string query = R"(/usr/bin/python3 -c "
from osgeo import ogr
ds = ogr.Open('%s')
layer = ds.GetLayer(0)
for box in [(1000, 2000, 3000, 3500), (0, 100, 0, 100), (5000.3, 5000.4, 2000, 9000)]:
    layer.SetSpatialFilterRect(box[0], box[2], box[1], box[3])
    indexed = sorted(f.GetFID() for f in layer)
    layer.SetSpatialFilter(None)
    scanned = sorted(f.GetFID() for f in layer if f.GetGeometryRef().GetEnvelope()[0] <= box[1] and
                     f.GetGeometryRef().GetEnvelope()[1] >= box[0] and f.GetGeometryRef().GetEnvelope()[2] <= box[3]
                     and f.GetGeometryRef().GetEnvelope()[3] >= box[2])
    print(len(indexed), indexed == scanned)
ds = None
ds = ogr.Open('%s', 1)
layer = ds.GetLayer(0)
feature = ogr.Feature(layer.GetLayerDefn())
feature.SetGeometry(ogr.CreateGeometryFromWkt('POLYGON ((-50 -50,-40 -50,-40 -40,-50 -50))'))
layer.CreateFeature(feature)
layer.DeleteFeature(1)
ds = None
ds = ogr.Open('%s')
layer = ds.GetLayer(0)
layer.SetSpatialFilterRect(-60, -60, -30, -30)
print([f.GetFID() for f in layer])
")";
    char command[2048];
    std::snprintf(command, sizeof command, query.c_str(), path.c_str(), path.c_str(), path.c_str());
    const std::string out = RunTool(command);
    EXPECT_EQ(out.find("False"), std::string::npos) << out;
    EXPECT_EQ(out.find("\n0 "), std::string::npos) << out;
    // GDAL's later edits go through the index's triggers.
    EXPECT_NE(out.find("\n[3001]\n"), std::string::npos) << out;
    ExpectValid(path, "plots");
}

TEST(GeoPackageGdal, ValueThatIsNotItsTypeIsRefusedAndTheFileStays)
{
    ScratchDir dir;
    CFileSystem& files = StdioFileSystem();
    const std::string path = dir.File("parcels.gpkg");
    WriteFileBytes(path, "earlier");
    for (const char* bad : {"12a", "", "1e400"})
    {
        CVectorLayer layer = Parcels();
        layer.features[1].values[2] = std::string(bad);
        const GeoPackageWriteStatus written = WriteGeoPackage(path, layer, CCrsRef{}, files);
        EXPECT_EQ(written.GetCode(), GeoPackageWriteError::BadValue) << bad;
        EXPECT_NE(written.Detail().find("feature 2, field AREA"), std::string::npos) << written.Detail();
    }
    for (const char* bad : {"20230230", "2023-13-01", "1999-1-1"})
    {
        CVectorLayer layer = Parcels();
        layer.features[0].values[3] = std::string(bad);
        EXPECT_EQ(WriteGeoPackage(path, layer, CCrsRef{}, files).GetCode(), GeoPackageWriteError::BadValue) << bad;
    }
    EXPECT_EQ(ReadFileBytes(path), "earlier");
}

namespace
{
const char kFixtures[] = QUARVEX_SOURCE_DIR "/tests/data/gpkg/";

// What gpkg_dump.py FILE LAYER prints of the same layer.
std::string PartsDump(const CVectorLayer& layer)
{
    std::string out;
    auto num = [](double d) {
        char text[40];
        std::snprintf(text, sizeof text, "%.17g", d);
        return std::string(text);
    };
    for (const CVectorFeature& feature : layer.features)
    {
        out += "feature";
        for (const std::vector<CMapPoint>& part : feature.parts)
        {
            out += " |";
            for (size_t i = 0; i < part.size(); ++i)
                out +=
                    (i ? "," : "") + num(part[i].x) + " " + num(part[i].y) + (layer.bHasZ ? " " + num(part[i].z) : "");
        }
        out += " :";
        for (size_t f = 0; f < layer.fields.size(); ++f)
        {
            const std::optional<std::string>& value = feature.values[f];
            std::string text = value ? *value : "null";
            if (value && layer.fields[f].nType == FieldType::Real)
                text = num(std::stod(*value));
            out += (f ? " ; " : " ") + text;
        }
        out += "\n";
    }
    return out;
}
}   // namespace

TEST(GeoPackageGdal, LayersWrittenByOgr2ogrReadAsGdalReadsThem)
{
    ScratchDir dir;
    CFileSystem& files = StdioFileSystem();
    const std::string path = dir.File("survey.gpkg");
    int code = 0;
    for (const char* command : {"ogr2ogr -f GPKG '%s' %sparcels.geojson -nln parcels",
                                "ogr2ogr -update -f GPKG '%s' %sroads.geojson -nln roads -a_srs EPSG:4326",
                                "ogr2ogr -update -f GPKG '%s' %swells.geojson -nln wells -a_srs EPSG:4326"})
    {
        char line[1024];
        std::snprintf(line, sizeof line, command, path.c_str(), kFixtures);
        const std::string out = RunTool(line, &code);
        ASSERT_EQ(code, 0) << out;
    }
    std::vector<CGeoPackageLayerInfo> layers;
    ASSERT_TRUE(ListGeoPackageLayers(path, files, &layers).Ok());
    ASSERT_EQ(layers.size(), 3u);
    EXPECT_EQ(layers[0].strName, "parcels");
    EXPECT_EQ(layers[0].strOrganization, "EPSG");
    EXPECT_EQ(layers[0].nOrganizationCode, 32633);
    EXPECT_EQ(layers[2].nOrganizationCode, 4326);

    const struct
    {
        const char* name;
        GeometryKind kind;
        bool bHasZ;
        int nOther;
        const char* fields;
    } cases[] = {
        {"parcels", GeometryKind::Polygon, false, 0, "name:0 area:2 height:1 surveyed:3 checked:0"},
        {"roads", GeometryKind::PolyLine, true, 1, "ref:0"},
        {"wells", GeometryKind::MultiPoint, false, 0, "depth:2"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CVectorLayer layer;
        int nOther = -1;
        const GeoPackageReadStatus read = ReadGeoPackageLayer(path, c.name, files, &layer, nullptr, &nOther);
        ASSERT_TRUE(read.Ok()) << read.Detail();
        EXPECT_EQ(layer.nKind, c.kind);
        EXPECT_EQ(layer.bHasZ, c.bHasZ);
        EXPECT_EQ(nOther, c.nOther);
        std::string fields;
        for (const CLayerField& field : layer.fields)
            fields += (fields.empty() ? "" : " ") + field.strName + ":" + std::to_string(int(field.nType));
        EXPECT_EQ(fields, c.fields);
        const std::string gdal = RunTool(
            "/usr/bin/python3 " QUARVEX_SOURCE_DIR "/tests/native/gpkg_dump.py '" + path + "' " + c.name, &code);
        EXPECT_EQ(PartsDump(layer), gdal);
    }

    // Read back from our own writer too: the same parts and values.
    CVectorLayer parcels;
    ASSERT_TRUE(ReadGeoPackageLayer(path, "parcels", files, &parcels, nullptr, nullptr).Ok());
    const std::string ours = dir.File("ours.gpkg");
    ASSERT_TRUE(WriteGeoPackage(ours, parcels, CCrsRef{32633, false}, files).Ok());
    CVectorLayer again;
    ASSERT_TRUE(ReadGeoPackageLayer(ours, "parcels", files, &again, nullptr, nullptr).Ok());
    EXPECT_EQ(PartsDump(again), PartsDump(parcels));

    EXPECT_EQ(ReadGeoPackageLayer(path, "rivers", files, &again, nullptr, nullptr).GetCode(),
              GeoPackageReadError::NoLayer);
}

// Damaged copies of an ogr2ogr GeoPackage: each is refused with its cause
// (never read past its bytes, which the sanitizers watch) or, where SQLite
// cannot tell (a flipped byte inside a value), read whole; a refused read
// leaves the layer it was to fill alone.
TEST(GeoPackageGdal, DamagedFilesAreRefusedAndTheLayerStays)
{
    ScratchDir dir;
    const std::string path = dir.File("whole.gpkg");
    int code = 0;
    for (const std::string& command :
         {"ogr2ogr -f GPKG '" + path + "' " + kFixtures + "parcels.geojson -nln parcels",
          "ogr2ogr -update -f GPKG '" + path + "' " + kFixtures + "roads.geojson -nln roads",
          // A copy whose first line's point count lies (after the blob's
          // header, its envelope, and the WKB's byte order and type).
          "cp '" + path + "' '" + dir.File("count.gpkg") + "'",
          "/usr/bin/python3 -c \"import sqlite3, sys; d = sqlite3.connect(sys.argv[1]); "
          "f, g = d.execute('SELECT fid, geom FROM roads ORDER BY fid').fetchone(); "
          "o = 8 + [0, 32, 48, 48, 64][(g[3] >> 1) & 7] + 5; "
          // (stand-ins for the ST_ functions the index's triggers call)
          "[d.create_function(n, 1, lambda g: 0) for n in ('ST_IsEmpty', 'ST_MinX', 'ST_MaxX', 'ST_MinY', 'ST_MaxY')]; "
          "d.execute('UPDATE roads SET geom = ? WHERE fid = ?', (g[:o] + bytes([255, 255, 255, 127]) + g[o + 4:], f)); "
          "d.commit()\" '" +
              dir.File("count.gpkg") + "'",
          // A layer listed whose table is gone.
          "cp '" + path + "' '" + dir.File("missing.gpkg") + "'",
          "sqlite3 '" + dir.File("missing.gpkg") + "' 'PRAGMA foreign_keys = 0; DROP TABLE roads'"})
    {
        const std::string out = RunTool(command, &code);
        ASSERT_EQ(code, 0) << command << "\n" << out;
    }
    const std::string whole = ReadFileBytes(path);
    struct Case
    {
        std::string what;
        std::string bytes;
        bool bMustFail;
    };
    std::vector<Case> cases = {{"point count", ReadFileBytes(dir.File("count.gpkg")), true},
                               {"missing table", ReadFileBytes(dir.File("missing.gpkg")), true},
                               {"empty", std::string(), true},
                               {"not SQLite", std::string(4096, 'x'), true}};
    for (size_t cut : {size_t(50), size_t(100), size_t(1024), size_t(4096), whole.size() / 2, whole.size() - 4096})
        cases.push_back({"cut at " + std::to_string(cut), whole.substr(0, cut), true});
    // The header's page count says more pages than there are.
    std::string pages = whole;
    pages[28] = pages[29] = char(0x7F);
    cases.push_back({"page count", pages, false});
    for (size_t at = 0; at < whole.size(); at += 331)
    {
        std::string flipped = whole;
        flipped[at] = static_cast<char>(~flipped[at]);
        cases.push_back({"flipped at " + std::to_string(at), flipped, false});
    }
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        CMemoryFileSystem files;
        files.m_files["d.gpkg"] = c.bytes;
        std::vector<CGeoPackageLayerInfo> layers;
        GeoPackageReadStatus status = ListGeoPackageLayers("d.gpkg", files, &layers);
        for (size_t i = 0; status.Ok() && i < layers.size(); ++i)
        {
            CVectorLayer layer;
            layer.strName = "untouched";
            status = ReadGeoPackageLayer("d.gpkg", layers[i].strName, files, &layer, nullptr, nullptr);
            if (!status.Ok())
            {
                EXPECT_EQ(layer.strName, "untouched");
            }
        }
        EXPECT_TRUE(!c.bMustFail || !status.Ok());
        EXPECT_TRUE(status.Ok() || !status.Detail().empty());
    }
}

// Rows are inserted many to a statement, as many as SQLite's parameters
// allow: for every count around a statement's rows, and with fields enough
// to make the statements shorter, GDAL reads each feature with its own
// geometry (or none) and values, in order, and every fid in turn.
TEST(GeoPackageGdal, EveryRowKeepsItsGeometryAndValuesWhateverTheCount)
{
    ScratchDir dir;
    const struct
    {
        int nFeatures;
        int nFields;
    } cases[] = {{1, 1}, {63, 1}, {64, 1}, {65, 2}, {129, 3}, {200, 20}};
    for (const auto& c : cases)
    {
        CVectorLayer layer;
        layer.strName = "rows";
        layer.nKind = GeometryKind::PolyLine;
        for (int f = 0; f < c.nFields; ++f)
            layer.fields.push_back(f % 2 ? CLayerField{"T" + std::to_string(f), FieldType::Text, 20, 0}
                                         : CLayerField{"N" + std::to_string(f), FieldType::Integer, 9, 0});
        for (int i = 0; i < c.nFeatures; ++i)
        {
            CVectorFeature feature;
            if (i % 7 != 3)
                feature.parts = {{P(i, 2.0 * i), P(i + 0.5, 2.0 * i + 1)}};
            for (int f = 0; f < c.nFields; ++f)
                feature.values.push_back((i + f) % 5 == 4 ? std::nullopt
                                         : f % 2          ? std::optional<std::string>("t" + std::to_string(i))
                                                          : std::optional<std::string>(std::to_string(100 * i + f)));
            layer.features.push_back(std::move(feature));
        }
        const std::string path = dir.File("rows" + std::to_string(c.nFeatures) + ".gpkg");
        ASSERT_TRUE(WriteGeoPackage(path, layer, CCrsRef{}, StdioFileSystem()).Ok()) << c.nFeatures;
        int code = 0;
        EXPECT_EQ(
            RunTool("/usr/bin/python3 " QUARVEX_SOURCE_DIR "/tests/native/gpkg_dump.py '" + path + "' rows", &code),
            PartsDump(layer))
            << c.nFeatures << " features, " << c.nFields << " fields";
        EXPECT_EQ(
            RunTool("sqlite3 '" + path + "' 'SELECT count(*), min(fid), max(fid), count(DISTINCT fid) FROM rows'"),
            std::to_string(c.nFeatures) + "|1|" + std::to_string(c.nFeatures) + "|" + std::to_string(c.nFeatures) +
                "\n");
    }
}
