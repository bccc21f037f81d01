// A Shapefile made by ogr2ogr, opened over a scan with a known fit, edited,
// left unsaved (the program killed), restored from the journal by a second
// session and saved back: GDAL must find every other feature and attribute
// as it was and the changes as made, pyshp must read the file, and the
// records nobody touched must keep their bytes. A GeoPackage layer opened
// and saved back keeps the rest of its file.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "core/gpkg/FeatureGeoPackage.h"
#include "core/gpkg/GeoPackageReader.h"
#include "core/io/StdioFileSystem.h"
#include "core/session/ImageSession.h"
#include "core/shape/CodePage.h"
#include "core/shape/ShapefileLayer.h"
#include "tests/core/TestFiles.h"

namespace
{
// Every field type GeoJSON has, nulls, single rings, a hole and a multipolygon,
// on map units where the fit below puts every vertex on a whole pixel.
const char kGeoJson[] = R"({"type": "FeatureCollection", "features": [
{"type": "Feature", "properties": {"NAME": "Mill pond", "count": 12, "big": 12345678901, "area": 1534.25, "surveyed": "2019-06-30", "ok": true},
 "geometry": {"type": "Polygon", "coordinates": [[[100, 900], [200, 900], [200, 800], [100, 800], [100, 900]]]}},
{"type": "Feature", "properties": {"NAME": "Lower field", "count": null, "big": -5, "area": null, "surveyed": null, "ok": false},
 "geometry": {"type": "Polygon", "coordinates": [[[300, 700], [400, 700], [400, 600], [300, 700]]]}},
{"type": "Feature", "properties": {"NAME": "Quarry – Ñ", "count": -7, "big": null, "area": 0.125, "surveyed": "2000-01-01", "ok": null},
 "geometry": {"type": "Polygon", "coordinates": [[[500, 500], [700, 500], [700, 300], [500, 300], [500, 500]],
                                                 [[550, 450], [650, 450], [650, 350], [550, 450]]]}},
{"type": "Feature", "properties": {"NAME": "Islands", "count": 3, "big": 7, "area": 3.5, "surveyed": "2021-12-31", "ok": true},
 "geometry": {"type": "MultiPolygon", "coordinates": [[[[10, 10], [10, 50], [50, 50], [10, 10]]], [[[60, 60], [60, 90], [90, 90], [60, 60]]]]}}
]})";

// mapX = 10 column, mapY = 1000 - 10 row.
std::vector<CGeoRefPoint> Corners()
{
    return {CGeoRefPoint(100, 900, 10, 10), CGeoRefPoint(900, 900, 90, 10), CGeoRefPoint(100, 100, 10, 90),
            CGeoRefPoint(900, 100, 90, 90)};
}

CImageOpening Opening(const ScratchDir& dir, FitModel nModel)
{
    CImageOpening opening;
    opening.strPath = opening.strFullPath = dir.File("sheet.jpg");
    opening.strJournalFolder = dir.File("recovery") + "/";
    opening.nHeight = 100;
    opening.points = Corners();
    opening.nFitModel = nModel;
    return opening;
}

class OpenedLayerRoundTrip : public testing::TestWithParam<FitModel>
{};

TEST_P(OpenedLayerRoundTrip, GdalFindsOnlyTheChangesAfterRestoreAndSave)
{
    ScratchDir dir;
    std::filesystem::create_directories(dir.File("recovery"));
    WriteFileBytes(dir.File("in.geojson"), kGeoJson);
    int exitCode;
    const std::string made = RunTool("ogr2ogr -f 'ESRI Shapefile' -lco ENCODING=UTF-8 -a_srs EPSG:32631 '" +
                                         dir.File("fields.shp") + "' '" + dir.File("in.geojson") + "'",
                                     &exitCode);
    ASSERT_EQ(exitCode, 0) << made;
    for (const char* ext : {".shp", ".shx", ".dbf", ".prj", ".cpg"})
        std::filesystem::copy_file(dir.File(std::string("fields") + ext), dir.File(std::string("before") + ext));
    const std::string shp = dir.File("fields.shp");

    CShapefileLayer before;
    ASSERT_TRUE(ReadShapefileLayer(shp, StdioFileSystem(), &before).Ok());
    {
        CImageSession session(StdioFileSystem());
        session.SetNameCodePage(1252);   // names typed in Windows Western, the file in UTF-8
        session.BeginOpen();
        (void)session.Open(Opening(dir, GetParam()));
        ASSERT_TRUE(session.CanOpenFeatures());
        CShapefileLayer layer = before;
        const CSessionOutcome opened = session.OpenFeatures(shp, std::move(layer));
        ASSERT_TRUE(opened.bDone);
        ASSERT_EQ(opened.messages.size(), 1u);
        EXPECT_EQ(opened.messages[0].nNotice, NOTICE_FEATURES_KEPT);
        EXPECT_EQ(opened.messages[0].nCount, 2);   // the hole and the multipolygon
        ASSERT_EQ(session.Features().GetSize(), 4);
        EXPECT_EQ(session.ShapeType(), SHAPE_POLYGON);
        EXPECT_EQ(session.Features().GetAt(1).GetAt(0), (CShapeVertex{30, 30}));
        EXPECT_EQ(session.Features().GetAt(1).m_strName, "Lower field");
        EXPECT_EQ(session.Features().GetAt(2).m_strName, "Quarry \x96 \xD1");
        EXPECT_FALSE(session.MoveFeature(2, 1, 1).bDone);                 // a kept shape stays where it is
        const CSessionOutcome kept = session.DeleteFeatureVertex(2, 0);   // nor do its vertices change
        EXPECT_FALSE(kept.bDone);
        ASSERT_EQ(kept.messages.size(), 1u);
        EXPECT_EQ(kept.messages[0].nNotice, NOTICE_SHAPE_KEPT);

        ASSERT_TRUE(session.RenameFeature(1, "Upper field \xE9").bDone);
        ASSERT_TRUE(session.MoveFeature(0, 3, -2).bDone);
        for (const CShapeVertex& v : {CShapeVertex{20, 20}, CShapeVertex{30, 20}, CShapeVertex{30, 30}})
            ASSERT_TRUE(session.AddVertex(v.x, v.y).bDone);
        ASSERT_TRUE(session.FinishFeature("Barn").bDone);
        // Killed here: nothing saved.
    }
    CImageSession session(StdioFileSystem());
    session.SetNameCodePage(1252);
    session.BeginOpen();
    const CSessionOutcome reopened = session.Open(Opening(dir, GetParam()));
    ASSERT_EQ(reopened.messages.size(), 1u);
    ASSERT_EQ(reopened.messages[0].nNotice, NOTICE_ASK_RESTORE);
    const CSessionOutcome restored = session.RestoreFromJournal();
    EXPECT_TRUE(restored.messages.empty());
    ASSERT_EQ(session.Features().GetSize(), 5);
    EXPECT_EQ(session.FeaturePath(), shp);

    CShapeFile shapeFile = session.ShapeFile();
    ASSERT_TRUE(shapeFile.SaveAs(shp.c_str(), session.ShapeType(), CShapeSideFiles(), StdioFileSystem()));
    session.SaveSucceeded(shp);

    const std::string changes = R"({"renamed": {"1": "Upper field é"}, "moved": {"0": [30, 20]},
        "added": [["Barn", [[200, 800], [300, 800], [300, 700], [200, 800]]]]})";
    const std::string report =
        RunTool("/usr/bin/python3 " + std::string(QUARVEX_SOURCE_DIR) + "/tests/native/check_reopened.py '" +
                    dir.File("before.shp") + "' '" + shp + "' '" + changes + "'",
                &exitCode);
    EXPECT_EQ(exitCode, 0) << report;

    // Untouched to the bit: the kept shapes whole, the renamed one's shape,
    // the moved one's cells, and the files beside.
    CShapefileLayer after;
    ASSERT_TRUE(ReadShapefileLayer(shp, StdioFileSystem(), &after).Ok());
    for (int i : {1, 2, 3})
        EXPECT_EQ(after.RawRecord(i), before.RawRecord(i)) << i;
    for (int i : {0, 2, 3})
        EXPECT_EQ(after.m_table.RecordBytes(i), before.m_table.RecordBytes(i)) << i;
    EXPECT_EQ(ReadFileBytes(dir.File("fields.prj")), ReadFileBytes(dir.File("before.prj")));
    EXPECT_EQ(ReadFileBytes(dir.File("fields.cpg")), ReadFileBytes(dir.File("before.cpg")));
    EXPECT_EQ(ReadFileBytes(dir.File("fields.shx")).size(), 100u + 8 * 5);
    // Saved once more without a change: the same bytes.
    const std::string saved = ReadFileBytes(shp) + ReadFileBytes(dir.File("fields.dbf"));
    CShapeFile again = session.ShapeFile();
    ASSERT_TRUE(again.SaveAs(shp.c_str(), session.ShapeType(), CShapeSideFiles(), StdioFileSystem()));
    EXPECT_EQ(ReadFileBytes(shp) + ReadFileBytes(dir.File("fields.dbf")), saved);

    // The same features as a GeoPackage: every field and value, and the
    // shapes kept whole with every part and hole, as GDAL reads the Shapefile.
    const std::string gpkg = dir.File("fields.gpkg");
    ASSERT_TRUE(
        WriteFeatureGeoPackage(gpkg, session.ShapeFile(), session.ShapeType(), CCrsRef{}, 1252, StdioFileSystem())
            .Ok());
    EXPECT_EQ(RunTool("/usr/bin/python3 " + std::string(QUARVEX_SOURCE_DIR) + "/tests/native/compare_layers.py '" +
                      shp + "' '" + gpkg + "'"),
              "done\n");
}

INSTANTIATE_TEST_SUITE_P(Fits, OpenedLayerRoundTrip, testing::Values(FitModel::RotationScales, FitModel::Affine));

// Rows of a GeoPackage table as sqlite3 prints them, geometries in hex.
std::string Rows(const std::string& gpkg, const std::string& query)
{
    int exitCode;
    const std::string rows = RunTool("sqlite3 '" + gpkg + "' \"" + query + "\"", &exitCode);
    return exitCode == 0 ? rows : "failed: " + rows;
}

TEST(OpenedGeoPackage, SavedBackGdalFindsOnlyTheChangesAndTheRestOfTheFileAsItWas)
{
    ScratchDir dir;
    std::filesystem::create_directories(dir.File("recovery"));
    WriteFileBytes(dir.File("in.geojson"), kGeoJson);
    WriteFileBytes(dir.File("notes.csv"), "sheet,note\n12,\"scanned 1961\"\n");
    const std::string gpkg = dir.File("fields.gpkg");
    int exitCode;
    for (const std::string& command :
         {"ogr2ogr -f GPKG -a_srs EPSG:32631 -nln fields '" + gpkg + "' '" + dir.File("in.geojson") + "'",
          "ogr2ogr -update -a_srs EPSG:32631 -nln other '" + gpkg + "' '" + dir.File("in.geojson") + "'",
          "ogr2ogr -update -nln notes '" + gpkg + "' '" + dir.File("notes.csv") + "'"})
    {
        const std::string made = RunTool(command, &exitCode);
        ASSERT_EQ(exitCode, 0) << made;
    }
    std::filesystem::copy_file(gpkg, dir.File("before.gpkg"));

    std::vector<CGeoPackageLayerInfo> layers;
    ASSERT_TRUE(ListGeoPackageLayers(gpkg, StdioFileSystem(), &layers).Ok());
    ASSERT_EQ(layers.size(), 2u);   // the attribute table is no layer
    EXPECT_EQ(layers[0].strName, "fields");
    CVectorLayer layer;
    ASSERT_TRUE(ReadGeoPackageLayer(gpkg, "fields", StdioFileSystem(), &layer, nullptr, nullptr).Ok());

    {
        CImageSession session(StdioFileSystem());
        session.SetNameCodePage(1252);
        session.BeginOpen();
        (void)session.Open(Opening(dir, FitModel::Affine));
        EXPECT_TRUE(session.SrsDiffers(layers[0]));   // the image names no system
        (void)session.SetCrs(CCrsRef{32631, false});
        EXPECT_FALSE(session.SrsDiffers(layers[0]));
        (void)session.SetCrs(CCrsRef{32632, false});
        EXPECT_TRUE(session.SrsDiffers(layers[0]));

        const CSessionOutcome opened = session.OpenFeatures(gpkg, std::move(layer));
        ASSERT_TRUE(opened.bDone);
        ASSERT_EQ(opened.messages.size(), 1u);
        EXPECT_EQ(opened.messages[0].nNotice, NOTICE_FEATURES_KEPT);
        EXPECT_EQ(opened.messages[0].nCount, 2);   // the hole and the multipolygon
        ASSERT_EQ(session.Features().GetSize(), 4);
        EXPECT_EQ(session.Features().GetAt(1).GetAt(0), (CShapeVertex{30, 30}));
        EXPECT_EQ(session.Features().GetAt(2).m_strName, "Quarry \x96 \xD1");
        EXPECT_FALSE(session.MoveFeature(2, 1, 1).bDone);
        EXPECT_EQ(session.FeaturePath(), gpkg);

        ASSERT_TRUE(session.MoveFeature(0, 3, -2).bDone);
        ASSERT_TRUE(session.RenameFeature(1, "Upper field \xE9").bDone);
        for (const CShapeVertex& v : {CShapeVertex{20, 20}, CShapeVertex{30, 20}, CShapeVertex{30, 30}})
            ASSERT_TRUE(session.AddVertex(v.x, v.y).bDone);
        ASSERT_TRUE(session.FinishFeature("Barn").bDone);
        // Killed here: nothing saved.
    }
    CImageSession session(StdioFileSystem());
    session.SetNameCodePage(1252);
    session.BeginOpen();
    const CSessionOutcome reopened = session.Open(Opening(dir, FitModel::Affine));
    ASSERT_EQ(reopened.messages.size(), 1u);
    ASSERT_EQ(reopened.messages[0].nNotice, NOTICE_ASK_RESTORE);
    EXPECT_TRUE(session.RestoreFromJournal().messages.empty());
    ASSERT_EQ(session.Features().GetSize(), 5);
    EXPECT_EQ(session.FeaturePath(), gpkg);
    ASSERT_TRUE(
        WriteFeatureGeoPackage(gpkg, session.ShapeFile(), session.ShapeType(), session.Crs(), 1252, StdioFileSystem())
            .Ok());
    session.SaveSucceeded(gpkg);

    const std::string changes = R"({"renamed": {"1": "Upper field é"}, "moved": {"0": [30, 20]},
        "added": [["Barn", [[200, 800], [300, 800], [300, 700], [200, 800]]]]})";
    const std::string report =
        RunTool("/usr/bin/python3 " + std::string(QUARVEX_SOURCE_DIR) + "/tests/native/check_reopened.py '" +
                    dir.File("before.gpkg") + "' '" + gpkg + "' '" + changes + "' fields",
                &exitCode);
    EXPECT_EQ(exitCode, 0) << report;
    EXPECT_EQ(Rows(gpkg, "PRAGMA integrity_check"), "ok\n");
    const std::string validated =
        RunTool("/usr/bin/python3 /usr/lib/python3/dist-packages/osgeo_utils/samples/validate_gpkg.py '" + gpkg + "'",
                &exitCode);
    EXPECT_EQ(exitCode, 0) << validated;

    // Untouched to the byte: the other layer, the attribute table, the rows
    // nobody changed and the names of the moved one.
    const std::string before = dir.File("before.gpkg");
    for (const char* query :
         {"SELECT fid, hex(geom), * FROM other", "SELECT * FROM notes", "SELECT * FROM rtree_other_geom",
          "SELECT fid, hex(geom) FROM fields WHERE fid IN (2, 3, 4)",
          "SELECT NAME, count, big, area, surveyed, ok FROM fields WHERE fid IN (1, 3, 4)"})
        EXPECT_EQ(Rows(gpkg, query), Rows(before, query)) << query;
    // The index holds the moved and the added feature where they are now.
    EXPECT_EQ(Rows(gpkg, "SELECT id, minx, maxx, miny, maxy FROM rtree_fields_geom WHERE id IN (1, 5)"),
              "1|130.0|230.0|820.0|920.0\n5|200.0|300.0|700.0|800.0\n");
    EXPECT_EQ(Rows(gpkg, "SELECT min_x, min_y, max_x, max_y FROM gpkg_contents WHERE table_name = 'fields'"),
              "10.0|10.0|700.0|920.0\n");

    // The features now name the rows just written: a second save changes
    // the added one's row rather than adding it again, and a deleted
    // feature's row goes.
    ASSERT_TRUE(session.MoveFeature(4, 1, 0).bDone);
    ASSERT_TRUE(session.DeleteFeature(3).bDone);
    ASSERT_TRUE(
        WriteFeatureGeoPackage(gpkg, session.ShapeFile(), session.ShapeType(), session.Crs(), 1252, StdioFileSystem())
            .Ok());
    EXPECT_EQ(Rows(gpkg, "SELECT fid, NAME FROM fields"),
              "1|Mill pond\n2|Upper field \xC3\xA9\n3|Quarry \xE2\x80\x93 \xC3\x91\n5|Barn\n");
    EXPECT_EQ(Rows(gpkg, "SELECT id, minx FROM rtree_fields_geom ORDER BY id"), "1|130.0\n2|300.0\n3|500.0\n5|210.0\n");
    EXPECT_EQ(Rows(gpkg, "PRAGMA integrity_check"), "ok\n");

    // A polygon drawn with a hole goes back with its hole, not as one ring.
    session.SaveSucceeded(gpkg);
    for (const CShapeVertex& v : {CShapeVertex{10, 10}, CShapeVertex{60, 10}, CShapeVertex{60, 60}})
        ASSERT_TRUE(session.AddVertex(v.x, v.y).bDone);
    ASSERT_TRUE(session.AddHole().bDone);
    for (const CShapeVertex& v : {CShapeVertex{40, 20}, CShapeVertex{55, 20}, CShapeVertex{55, 35}})
        ASSERT_TRUE(session.AddVertex(v.x, v.y).bDone);
    ASSERT_TRUE(session.FinishFeature("Yard").bDone);
    ASSERT_TRUE(
        WriteFeatureGeoPackage(gpkg, session.ShapeFile(), session.ShapeType(), session.Crs(), 1252, StdioFileSystem())
            .Ok());
    CVectorLayer saved;
    ASSERT_TRUE(ReadGeoPackageLayer(gpkg, "fields", StdioFileSystem(), &saved, nullptr, nullptr).Ok());
    ASSERT_EQ(saved.features.size(), 5u);
    EXPECT_EQ(saved.features.back().parts.size(), 2u);
}

// Cells typed and fields added, renamed and removed in the attribute table
// reach the GeoPackage's columns and rows; a second save, with nothing
// changed since, finds nothing to do.
TEST(OpenedGeoPackage, FieldEditsReachTheColumnsAndASecondSaveKeepsThem)
{
    ScratchDir dir;
    std::filesystem::create_directories(dir.File("recovery"));
    WriteFileBytes(dir.File("in.geojson"), kGeoJson);
    const std::string gpkg = dir.File("fields.gpkg");
    int exitCode;
    const std::string made = RunTool(
        "ogr2ogr -f GPKG -a_srs EPSG:32631 -nln fields '" + gpkg + "' '" + dir.File("in.geojson") + "'", &exitCode);
    ASSERT_EQ(exitCode, 0) << made;
    CVectorLayer layer;
    ASSERT_TRUE(ReadGeoPackageLayer(gpkg, "fields", StdioFileSystem(), &layer, nullptr, nullptr).Ok());
    CImageSession session(StdioFileSystem());
    session.BeginOpen();
    (void)session.Open(Opening(dir, FitModel::Affine));
    ASSERT_TRUE(session.OpenFeatures(gpkg, std::move(layer)).bDone);
    // count, big, area, surveyed, ok: every field but NAME.
    ASSERT_EQ(session.Features().Fields().size(), 5u);

    FieldValue area, none;
    ASSERT_TRUE(session.CheckValue(2, "2.0625", &area).Ok());   // a REAL of no set width keeps its digits
    ASSERT_TRUE(session.SetValue(1, 2, area).bDone);
    ASSERT_TRUE(session.SetValue(0, 0, none).bDone);
    CAttributeField renamed = session.Features().Fields()[0];
    renamed.def.strName = "n";
    ASSERT_TRUE(session.ChangeField(0, renamed).bDone);
    ASSERT_TRUE(session.RemoveField(4).bDone);   // ok
    CAttributeField added;
    added.def = {"class", FieldType::Text, 10, 0};
    ASSERT_TRUE(session.AddField(added).bDone);
    ASSERT_TRUE(session.SetValue(2, 4, FieldValue("pit")).bDone);
    for (const CShapeVertex& v : {CShapeVertex{20, 20}, CShapeVertex{30, 20}, CShapeVertex{30, 30}})
        ASSERT_TRUE(session.AddVertex(v.x, v.y).bDone);
    ASSERT_TRUE(session.FinishFeature("Barn", {FieldValue("4"), none, none, FieldValue("2024-02-29"), none}).bDone);

    for (int save = 0; save < 2; ++save)
    {
        ASSERT_TRUE(
            WriteFeatureGeoPackage(gpkg, session.ShapeFile(), session.ShapeType(), session.Crs(), 0, StdioFileSystem())
                .Ok())
            << save;
        session.SaveSucceeded(gpkg);
        EXPECT_EQ(Rows(gpkg, "SELECT fid, NAME, n, big, area, surveyed, class FROM fields"),
                  "1|Mill pond||12345678901|1534.25|2019-06-30|\n"
                  "2|Lower field||-5|2.0625||\n"
                  "3|Quarry \xE2\x80\x93 \xC3\x91|-7||0.125|2000-01-01|pit\n"
                  "4|Islands|3|7|3.5|2021-12-31|\n"
                  "5|Barn|4|||2024-02-29|\n")
            << save;
        EXPECT_EQ(Rows(gpkg, "SELECT group_concat(name || ' ' || type, ', ') FROM pragma_table_info('fields')"),
                  "fid INTEGER, geom GEOMETRY, NAME TEXT, n MEDIUMINT, big INTEGER, area REAL, surveyed DATE, "
                  "class TEXT(10)\n");
        EXPECT_EQ(Rows(gpkg, "PRAGMA integrity_check"), "ok\n");
    }
    const std::string validated =
        RunTool("/usr/bin/python3 /usr/lib/python3/dist-packages/osgeo_utils/samples/validate_gpkg.py '" + gpkg + "'",
                &exitCode);
    EXPECT_EQ(exitCode, 0) << validated;
}

TEST(OpenedLayerSession, NeedsAFitAndARestoreOfAChangedFileKeepsNamesAndVerticesOnly)
{
    ScratchDir dir;
    std::filesystem::create_directories(dir.File("recovery"));
    WriteFileBytes(dir.File("in.geojson"), kGeoJson);
    int exitCode;
    const std::string made = RunTool(
        "ogr2ogr -f 'ESRI Shapefile' '" + dir.File("fields.shp") + "' '" + dir.File("in.geojson") + "'", &exitCode);
    ASSERT_EQ(exitCode, 0) << made;
    const std::string shp = dir.File("fields.shp");
    CShapefileLayer layer;
    ASSERT_TRUE(ReadShapefileLayer(shp, StdioFileSystem(), &layer).Ok());
    {
        CImageSession session(StdioFileSystem());
        session.BeginOpen();
        CImageOpening unfitted = Opening(dir, FitModel::RotationScales);
        unfitted.points.resize(1);
        (void)session.Open(unfitted);
        EXPECT_FALSE(session.CanOpenFeatures());
        const CSessionOutcome refused = session.OpenFeatures(shp, layer);
        EXPECT_FALSE(refused.bDone);
        ASSERT_EQ(refused.messages.size(), 1u);
        EXPECT_EQ(refused.messages[0].nNotice, NOTICE_FEATURES_NEED_FIT);
        EXPECT_EQ(session.Mode(), MODE_GEOREFERENCE);

        session.BeginOpen();
        (void)session.Open(Opening(dir, FitModel::RotationScales));
        ASSERT_TRUE(session.OpenFeatures(shp, layer).bDone);
        ASSERT_TRUE(session.RenameFeature(0, "Weir").bDone);
    }
    // Another program changed a cell since.
    std::string dbf = ReadFileBytes(dir.File("fields.dbf"));
    const size_t at = dbf.find("Lower");
    ASSERT_NE(at, std::string::npos);
    dbf[at] = 'l';
    WriteFileBytes(dir.File("fields.dbf"), dbf);

    CImageSession session(StdioFileSystem());
    session.BeginOpen();
    ASSERT_EQ(session.Open(Opening(dir, FitModel::RotationScales)).messages.size(), 1u);
    const CSessionOutcome restored = session.RestoreFromJournal();
    ASSERT_EQ(restored.messages.size(), 1u);
    EXPECT_EQ(restored.messages[0].nNotice, NOTICE_SOURCE_CHANGED);
    EXPECT_EQ(restored.messages[0].strPath, shp);
    ASSERT_EQ(session.Features().GetSize(), 4);
    EXPECT_EQ(session.Features().GetAt(0).m_strName, "Weir");
    EXPECT_EQ(session.Features().GetAt(0).m_nSource, -1);
    EXPECT_EQ(session.FeaturePath(), "");
    EXPECT_EQ(session.ShapeFile().m_pSource, nullptr);
}

TEST(OpenedLayerNames, ATableWithoutNameGetsTheFieldOnceAFeatureIsNamed)
{
    // pyshp's points with measures and an ID field alone.
    ScratchDir dir;
    const std::string source = std::string(QUARVEX_SOURCE_DIR) + "/tests/data/shp/points_m.shp";
    CShapefileLayer layer;
    ASSERT_TRUE(ReadShapefileLayer(source, StdioFileSystem(), &layer).Ok());
    CShapeFile shapeFile;
    shapeFile.m_geoRef.m_points = Corners();
    shapeFile.m_geoRef.SetImageHeight(100);
    ASSERT_TRUE(shapeFile.m_geoRef.CalcTransform());
    auto pOpened = std::make_shared<COpenedLayer>();
    ASSERT_TRUE(MakeOpenedLayer(source, layer, shapeFile.m_geoRef.GetTransform(), pOpened.get(), &shapeFile.m_shapes));
    shapeFile.m_pSource = pOpened;
    shapeFile.m_shapes.SetName(1, "Spring");
    CShape well;
    well.Add(50, 60);   // map 500, 400
    well.m_strName = "Well";
    shapeFile.m_shapes.Add(well);
    const std::string out = dir.File("out.shp");
    ASSERT_TRUE(shapeFile.SaveAs(out.c_str(), SHAPE_POINT));
    int exitCode;
    const std::string rows =
        RunTool("/usr/bin/python3 -c \"import sys; from osgeo import ogr; d = ogr.Open(sys.argv[1]); "
                "[print(f.GetField('ID'), f.GetField('NAME'), f.GetGeometryRef().ExportToIsoWkt()) "
                "for f in d.GetLayer(0)]\" '" +
                    out + "'",
                &exitCode);
    EXPECT_EQ(rows, "1 None POINT M (1.5 2.5 99.25)\n2 Spring POINT M (3.5 4.5 -1E+39)\n3 Well POINT M (500 400 0)\n");
}

TEST(OpenedLayerUntouched, SavedBackUnchangedIsTheSameFileToTheBit)
{
    // ogr2ogr's own file, every kind the reader knows, saved back untouched.
    for (const char* name : {"polygons_utf8", "lines_1252", "multipoints_z", "points_zm"})
    {
        ScratchDir dir;
        const std::string source = std::string(QUARVEX_SOURCE_DIR) + "/tests/data/shp/" + name;
        CShapefileLayer layer;
        ASSERT_TRUE(ReadShapefileLayer(source + ".shp", StdioFileSystem(), &layer).Ok()) << name;
        CShapeFile shapeFile;
        shapeFile.m_geoRef.m_points = Corners();
        shapeFile.m_geoRef.SetImageHeight(100);
        ASSERT_TRUE(shapeFile.m_geoRef.CalcTransform());
        auto pOpened = std::make_shared<COpenedLayer>();
        ASSERT_TRUE(MakeOpenedLayer(source + ".shp", layer, shapeFile.m_geoRef.GetTransform(), pOpened.get(),
                                    &shapeFile.m_shapes));
        shapeFile.m_pSource = pOpened;
        const std::string out = dir.File("out.shp");
        ASSERT_TRUE(shapeFile.SaveAs(out.c_str(), DocumentShapeType(layer.Kind())));
        for (const char* ext : {".shp", ".shx", ".dbf", ".prj", ".cpg"})
            EXPECT_EQ(ReadFileBytes(dir.File(std::string("out") + ext)), ReadFileBytes(source + ext)) << name << ext;
    }
}

// A table in Windows Western cannot hold Cyrillic: a name or text typed for
// it is refused rather than saved as question marks, while a new file,
// written in UTF-8 when it must be, takes any.
TEST(OpenedLayerCodePage, TextTheTableCannotHoldIsRefusedBeforeItIsLost)
{
    ScratchDir dir;
    std::filesystem::create_directories(dir.File("recovery"));
    CImageSession session(StdioFileSystem());
    session.SetNameCodePage(kCodePageUtf8);
    session.BeginOpen();
    (void)session.Open(Opening(dir, FitModel::Affine));
    const std::string bridge = "\xD0\x9C\xD0\xBE\xD1\x81\xD1\x82";   // Мост
    EXPECT_TRUE(session.NameFits(bridge));

    const std::string shp = std::string(QUARVEX_SOURCE_DIR) + "/tests/data/shp/lines_1252.shp";
    CShapefileLayer layer;
    ASSERT_TRUE(ReadShapefileLayer(shp, StdioFileSystem(), &layer).Ok());
    ASSERT_TRUE(session.OpenFeatures(shp, std::move(layer)).bDone);
    ASSERT_EQ(session.FieldCodePage(), 1252u);
    EXPECT_FALSE(session.NameFits(bridge));
    EXPECT_TRUE(session.NameFits("Pont \xC3\xA0 p\xC3\xA9"
                                 "age"));
    CAttributeField road;
    road.def = {"ROAD", FieldType::Text, 20, 0};
    ASSERT_TRUE(session.AddField(road).bDone);
    ASSERT_EQ(session.Features().Fields()[1].def.strName, "ROAD");
    FieldValue value;
    const FieldValueStatus status = session.CheckValue(1, bridge, &value);
    EXPECT_EQ(status.GetCode(), FieldValueError::NotInCodePage);
    EXPECT_EQ(status.Detail(), "1252");
}

}   // namespace
