// The attribute table of an ogr2ogr-made Shapefile edited in a session:
// one cell changed, fields added, renamed and removed, new features given
// defaults and the last feature's values, the program killed and the work
// restored from the journal, then saved back and saved as a GeoPackage.
// GDAL must find every other value as it was and the edits as made.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "core/gpkg/FeatureGeoPackage.h"
#include "core/io/StdioFileSystem.h"
#include "core/session/ImageSession.h"
#include "core/shape/ShapefileLayer.h"
#include "tests/core/TestFiles.h"

namespace
{
const char kGeoJson[] = R"({"type": "FeatureCollection", "features": [
{"type": "Feature", "properties": {"NAME": "Ridge", "height": 120, "ratio": 0.25, "surveyed": "2019-06-30", "note": "steep"},
 "geometry": {"type": "LineString", "coordinates": [[100, 900], [200, 800]]}},
{"type": "Feature", "properties": {"NAME": "Valley", "height": null, "ratio": 1.5, "surveyed": null, "note": "wet \u00e9t\u00e9"},
 "geometry": {"type": "LineString", "coordinates": [[300, 700], [400, 600]]}},
{"type": "Feature", "properties": {"NAME": "Spur", "height": -3, "ratio": null, "surveyed": "2000-02-29", "note": null},
 "geometry": {"type": "LineString", "coordinates": [[500, 500], [600, 400]]}}
]})";

CImageOpening Opening(const ScratchDir& dir)
{
    CImageOpening opening;
    opening.strPath = opening.strFullPath = dir.File("sheet.jpg");
    opening.strJournalFolder = dir.File("recovery") + "/";
    opening.nHeight = 100;
    // mapX = 10 column, mapY = 1000 - 10 row.
    opening.points = {CGeoRefPoint(100, 900, 10, 10), CGeoRefPoint(900, 900, 90, 10), CGeoRefPoint(100, 100, 10, 90),
                      CGeoRefPoint(900, 100, 90, 90)};
    return opening;
}

int FieldIndex(const CImageSession& session, const std::string& name)
{
    const std::vector<CAttributeField>& fields = session.Features().Fields();
    for (size_t k = 0; k < fields.size(); ++k)
        if (fields[k].def.strName == name)
            return static_cast<int>(k);
    return -1;
}

FieldValue Checked(const CImageSession& session, int nField, const std::string& text)
{
    FieldValue value;
    EXPECT_TRUE(session.CheckValue(nField, text, &value).Ok()) << text;
    return value;
}

void Digitise(CImageSession& session, int x)
{
    ASSERT_TRUE(session.AddVertex(x, 20).bDone);
    ASSERT_TRUE(session.AddVertex(x + 5, 30).bDone);
}

std::string Python(const std::string& script, const std::string& args, int* pExit)
{
    return RunTool("/usr/bin/python3 " + std::string(QUARVEX_SOURCE_DIR) + "/tests/native/" + script + " " + args,
                   pExit);
}
}   // namespace

TEST(AttributeTable, EditsSurviveAKillAndGdalFindsOnlyThemInTheShapefileAndTheGeoPackage)
{
    ScratchDir dir;
    std::filesystem::create_directories(dir.File("recovery"));
    WriteFileBytes(dir.File("in.geojson"), kGeoJson);
    int exitCode;
    const std::string made = RunTool("ogr2ogr -f 'ESRI Shapefile' -lco ENCODING=UTF-8 '" + dir.File("roads.shp") +
                                         "' '" + dir.File("in.geojson") + "'",
                                     &exitCode);
    ASSERT_EQ(exitCode, 0) << made;
    for (const char* ext : {".shp", ".shx", ".dbf", ".cpg"})
        std::filesystem::copy_file(dir.File(std::string("roads") + ext), dir.File(std::string("before") + ext));
    const std::string shp = dir.File("roads.shp");

    CShapeArray beforeKill;
    {
        CImageSession session(StdioFileSystem());
        session.BeginOpen();
        (void)session.Open(Opening(dir));
        CShapefileLayer layer;
        ASSERT_TRUE(ReadShapefileLayer(shp, StdioFileSystem(), &layer).Ok());
        ASSERT_TRUE(session.OpenFeatures(shp, std::move(layer)).bDone);
        // Every field but the name, which is the features' own.
        ASSERT_EQ(session.Features().Fields().size(), 4u);
        const int height = FieldIndex(session, "height"), ratio = FieldIndex(session, "ratio"),
                  note = FieldIndex(session, "note");
        ASSERT_GE(height, 0);
        EXPECT_EQ(session.Features().Fields()[height].def.nType, FieldType::Integer);
        EXPECT_EQ(session.Features().Fields()[FieldIndex(session, "surveyed")].def.nType, FieldType::Date);
        EXPECT_EQ(session.Features().GetAt(1).Value(note), FieldValue("wet \xC3\xA9t\xC3\xA9"));
        EXPECT_EQ(session.Features().GetAt(1).Value(height), FieldValue());

        FieldValue refused;
        EXPECT_EQ(session.CheckValue(height, "12.5", &refused).GetCode(), FieldValueError::NotInteger);
        // A cell changed, taken back and changed again.
        ASSERT_TRUE(session.SetValue(1, height, Checked(session, height, "250")).bDone);
        ASSERT_TRUE(session.Undo().bDone);
        EXPECT_EQ(session.Features().GetAt(1).Value(height), FieldValue());
        ASSERT_TRUE(session.Redo().bDone);
        EXPECT_EQ(session.Features().GetAt(1).Value(height), FieldValue("250"));

        CAttributeField cls;
        cls.def = {"CLASS", FieldType::Text, 12, 0};
        cls.bReuseLast = true;
        ASSERT_TRUE(session.CheckField(&cls.def).Ok());
        CLayerField taken{"Height", FieldType::Integer, 4, 0};
        EXPECT_EQ(session.CheckField(&taken).GetCode(), FieldDefinitionError::NameTaken);
        ASSERT_TRUE(session.AddField(cls).bDone);
        ASSERT_TRUE(session.Undo().bDone);   // a field add taken back and made again
        EXPECT_EQ(FieldIndex(session, "CLASS"), -1);
        ASSERT_TRUE(session.Redo().bDone);
        const int clsField = FieldIndex(session, "CLASS");
        ASSERT_EQ(clsField, 4);
        CAttributeField level;
        level.def = {"LEVEL", FieldType::Real, 6, 1};
        level.defaultValue = "1.5";
        ASSERT_TRUE(session.CheckField(&level.def).Ok());
        ASSERT_TRUE(session.AddField(level).bDone);
        ASSERT_TRUE(session.SetValue(2, clsField, Checked(session, clsField, "track")).bDone);

        CAttributeField remark = session.Features().Fields()[note];
        remark.def.strName = "REMARK";
        ASSERT_TRUE(session.CheckField(&remark.def, note).Ok());
        ASSERT_TRUE(session.ChangeField(note, remark).bDone);
        ASSERT_TRUE(session.RemoveField(ratio).bDone);

        // A new feature: the default of LEVEL, the last feature's CLASS.
        Digitise(session, 20);
        ASSERT_TRUE(session.FinishFeature("Track").bDone);
        const CShape& added = session.Features().GetAt(3);
        EXPECT_EQ(added.Value(FieldIndex(session, "CLASS")), FieldValue("track"));
        EXPECT_EQ(added.Value(FieldIndex(session, "LEVEL")), FieldValue("1.5"));
        beforeKill = session.Features();
        // Killed here: nothing saved.
    }
    CImageSession session(StdioFileSystem());
    session.BeginOpen();
    ASSERT_EQ(session.Open(Opening(dir)).messages.size(), 1u);
    EXPECT_TRUE(session.RestoreFromJournal().messages.empty());
    ASSERT_EQ(session.Features().GetSize(), beforeKill.GetSize());
    ASSERT_EQ(session.Features().Fields().size(), beforeKill.Fields().size());
    for (size_t k = 0; k < beforeKill.Fields().size(); ++k)
    {
        EXPECT_EQ(session.Features().Fields()[k].def.strName, beforeKill.Fields()[k].def.strName);
        EXPECT_EQ(session.Features().Fields()[k].nSourceField, beforeKill.Fields()[k].nSourceField);
        EXPECT_EQ(session.Features().Column(static_cast<int>(k)), beforeKill.Column(static_cast<int>(k)));
    }

    CShapeFile shapeFile = session.ShapeFile();
    ASSERT_TRUE(shapeFile.SaveAs(shp.c_str(), session.ShapeType(), CShapeSideFiles(), StdioFileSystem()));
    session.SaveSucceeded(shp);
    const std::string edits = R"({"renamed": {"note": "REMARK"}, "removed": ["ratio"],
        "added": {"CLASS": ["String", 12, 0], "LEVEL": ["Real", 6, 1]}, "count": 4,
        "values": [[1, "height", 250], [2, "CLASS", "track"], [0, "CLASS", null], [0, "LEVEL", null],
                   [3, "CLASS", "track"], [3, "LEVEL", 1.5], [3, "NAME", "Track"]]})";
    std::string report =
        Python("check_attributes.py", "'" + dir.File("before.shp") + "' '" + shp + "' '" + edits + "'", &exitCode);
    EXPECT_EQ(exitCode, 0) << report;

    // The cells of the fields kept are the file's bytes, the layout rebuilt.
    CShapefileLayer before, after;
    ASSERT_TRUE(ReadShapefileLayer(dir.File("before.shp"), StdioFileSystem(), &before).Ok());
    ASSERT_TRUE(ReadShapefileLayer(shp, StdioFileSystem(), &after).Ok());
    for (const char* name : {"NAME", "surveyed"})
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(after.m_table.Cell(i, after.m_table.FindField(name)),
                      before.m_table.Cell(i, before.m_table.FindField(name)));
    // Saved again unchanged: the same bytes, now from the file just written.
    const std::string saved = ReadFileBytes(dir.File("roads.dbf"));
    CShapeFile again = session.ShapeFile();
    ASSERT_TRUE(again.SaveAs(shp.c_str(), session.ShapeType(), CShapeSideFiles(), StdioFileSystem()));
    EXPECT_EQ(ReadFileBytes(dir.File("roads.dbf")), saved);

    const std::string gpkg = dir.File("roads.gpkg");
    ASSERT_TRUE(
        WriteFeatureGeoPackage(gpkg, session.ShapeFile(), session.ShapeType(), CCrsRef{}, 0, StdioFileSystem()).Ok());
    const std::string gpkgEdits = R"({"renamed": {"note": "REMARK"}, "removed": ["ratio"],
        "added": {"CLASS": ["String", 12, -1], "LEVEL": ["Real", -1, -1]}, "count": 4,
        "values": [[1, "height", 250], [2, "CLASS", "track"], [3, "LEVEL", 1.5]]})";
    report =
        Python("check_attributes.py", "'" + dir.File("before.shp") + "' '" + gpkg + "' '" + gpkgEdits + "'", &exitCode);
    EXPECT_EQ(exitCode, 0) << report;
}

TEST(AttributeTable, ANewFileKeepsIdAndNameFirstAndGdalReadsTheAddedFields)
{
    ScratchDir dir;
    std::filesystem::create_directories(dir.File("recovery"));
    CImageSession session(StdioFileSystem());
    session.BeginOpen();
    (void)session.Open(Opening(dir));
    ASSERT_TRUE(session.FitPoints().bDone);
    ASSERT_TRUE(session.StartDigitising(SHAPE_POLYLINE).bDone);
    const struct
    {
        CLayerField def;
        const char* value;
    } added[] = {{{"HEIGHT", FieldType::Integer, 6, 0}, "-1250"},
                 {{"SLOPE", FieldType::Real, 10, 3}, "12.125"},
                 {{"SEEN", FieldType::Date, 8, 0}, "2024-02-29"},
                 {{"KIND", FieldType::Text, 10, 0}, "\xC3\xA9t\xC3\xA9"}};
    for (const auto& field : added)
    {
        CAttributeField attribute;
        attribute.def = field.def;
        ASSERT_TRUE(session.CheckField(&attribute.def).Ok());
        ASSERT_TRUE(session.AddField(attribute).bDone);
    }
    CLayerField id{"id", FieldType::Integer, 4, 0};
    EXPECT_EQ(session.CheckField(&id).GetCode(), FieldDefinitionError::NameTaken);
    Digitise(session, 20);
    std::vector<FieldValue> values;
    for (int k = 0; k < 4; ++k)
        values.push_back(Checked(session, k, added[k].value));
    ASSERT_TRUE(session.FinishFeature("Contour", values).bDone);
    Digitise(session, 40);
    ASSERT_TRUE(session.FinishFeature("Blank").bDone);

    const std::string shp = dir.File("new.shp"), gpkg = dir.File("new.gpkg");
    CShapeSideFiles side;
    side.nCodePage = 1252;
    CShapeFile shapeFile = session.ShapeFile();
    ASSERT_TRUE(shapeFile.SaveAs(shp.c_str(), SHAPE_POLYLINE, side, StdioFileSystem()));
    ASSERT_TRUE(WriteFeatureGeoPackage(gpkg, shapeFile, SHAPE_POLYLINE, CCrsRef{}, 1252, StdioFileSystem()).Ok());
    const char kDump[] = R"(/usr/bin/python3 -c 'import sys
from osgeo import ogr
ds = ogr.Open(sys.argv[1]); l = ds.GetLayer(0); d = l.GetLayerDefn()
print([(d.GetFieldDefn(i).GetName(), d.GetFieldDefn(i).GetTypeName(), d.GetFieldDefn(i).GetWidth(), d.GetFieldDefn(i).GetPrecision()) for i in range(d.GetFieldCount())])
for f in l: print([f.GetField(i) for i in range(d.GetFieldCount())])' )";
    EXPECT_EQ(RunTool(kDump + shp), "[('ID', 'Integer', 8, 0), ('NAME', 'String', 32, 0), ('HEIGHT', 'Integer', 6, 0), "
                                    "('SLOPE', 'Real', 10, 3), ('SEEN', 'Date', 10, 0), ('KIND', 'String', 10, 0)]\n"
                                    "[1, 'Contour', -1250, 12.125, '2024/02/29', '\xC3\xA9t\xC3\xA9']\n"
                                    "[2, 'Blank', None, None, None, None]\n");
    EXPECT_EQ(RunTool(kDump + gpkg),
              "[('ID', 'Integer', 0, 0), ('NAME', 'String', 32, 0), ('HEIGHT', 'Integer', 0, 0), "
              "('SLOPE', 'Real', 0, 0), ('SEEN', 'Date', 0, 0), ('KIND', 'String', 10, 0)]\n"
              "[1, 'Contour', -1250, 12.125, '2024/02/29', '\xC3\xA9t\xC3\xA9']\n"
              "[2, 'Blank', None, None, None, None]\n");
}

TEST(AttributeTable, ANameFieldAddedByASaveTakesTheNamesOfTheNextSave)
{
    ScratchDir dir;
    std::filesystem::create_directories(dir.File("recovery"));
    WriteFileBytes(dir.File("in.geojson"), R"({"type": "FeatureCollection", "features": [
{"type": "Feature", "properties": {"height": 1}, "geometry": {"type": "LineString", "coordinates": [[100, 900], [200, 800]]}}]})");
    int exitCode;
    const std::string shp = dir.File("plain.shp");
    const std::string made =
        RunTool("ogr2ogr -f 'ESRI Shapefile' '" + shp + "' '" + dir.File("in.geojson") + "'", &exitCode);
    ASSERT_EQ(exitCode, 0) << made;
    CImageSession session(StdioFileSystem());
    session.BeginOpen();
    (void)session.Open(Opening(dir));
    CShapefileLayer layer;
    ASSERT_TRUE(ReadShapefileLayer(shp, StdioFileSystem(), &layer).Ok());
    ASSERT_TRUE(session.OpenFeatures(shp, std::move(layer)).bDone);
    for (const char* name : {"first", "second"})
    {
        ASSERT_TRUE(session.RenameFeature(0, name).bDone);
        CShapeFile shapeFile = session.ShapeFile();
        ASSERT_TRUE(shapeFile.SaveAs(shp.c_str(), session.ShapeType(), CShapeSideFiles(), StdioFileSystem()));
        session.SaveSucceeded(shp);
        const std::string dump = RunTool("ogrinfo -q -al '" + shp + "'");
        EXPECT_NE(dump.find(std::string("NAME (String) = ") + name), std::string::npos) << dump;
        EXPECT_NE(dump.find("height (Integer) = 1"), std::string::npos) << dump;
    }
}
