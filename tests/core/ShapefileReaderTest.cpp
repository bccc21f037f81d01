// The Shapefile reader on the fixtures of tests/data/shp (made by outside
// tools), on damaged copies of them, and on what our own writer writes.
// tests/native/ShapefileReaderToolsTest.cpp compares every value with
// pyshp and GDAL; here: the bytes kept for writing back, the causes of
// refusal, and the code pages.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/io/MemoryFile.h"
#include "core/shape/ByteOrder.h"
#include "core/shape/CodePage.h"
#include "core/shape/ShapefileLayer.h"
#include "tests/core/ShapeWriterFixture.h"
#include "tests/core/TestFiles.h"

namespace
{

const std::string kFixtures = std::string(QUARVEX_SOURCE_DIR) + "/tests/data/shp/";
const char* const kSides[] = {".shp", ".shx", ".dbf", ".cpg", ".prj"};

// A fixture's files in memory, as "m.shp", "m.shx"...
CMemoryFileSystem LoadFixture(const std::string& name)
{
    CMemoryFileSystem files;
    for (const char* side : kSides)
    {
        const std::string bytes = ReadFileBytes(kFixtures + name + side);
        if (!bytes.empty())
            files.m_files[std::string("m") + side] = bytes;
    }
    return files;
}

void PutBig(std::string& bytes, size_t at, int32_t n) { PutBig32(reinterpret_cast<unsigned char*>(&bytes[at]), n); }
void PutLittle(std::string& bytes, size_t at, int32_t n)
{
    PutLittle32(reinterpret_cast<unsigned char*>(&bytes[at]), n);
}

TEST(ShapefileRead, KeepsEveryByteToWriteBack)
{
    for (const char* name : {"polygons_utf8", "lines_1252", "multipoints_z", "points_zm", "lines_zm", "arcs_shapelib"})
    {
        SCOPED_TRACE(name);
        CMemoryFileSystem files = LoadFixture(name);
        CShapefileLayer layer;
        const ShapefileReadStatus status = ReadShapefileLayer("m.shp", files, &layer);
        ASSERT_TRUE(status.Ok()) << status.Detail();
        // The records' headers between the kept contents give the main file back.
        const std::string& shp = files.m_files["m.shp"];
        std::string rebuilt = shp.substr(0, 100);
        for (int i = 0; i < int(layer.m_features.size()); ++i)
            rebuilt += shp.substr(layer.m_features[i].cbOffset - 8, 8) + std::string(layer.RawRecord(i));
        EXPECT_EQ(rebuilt, shp);
        // So do the header, the records and the end of the table.
        const CAttributeTable& table = layer.m_table;
        std::string dbf(table.HeaderBytes());
        for (int i = 0; i < table.GetRecordCount(); ++i)
            dbf += std::string(table.RecordBytes(i));
        EXPECT_EQ(dbf + std::string(table.TrailingBytes()), files.m_files["m.dbf"]);
        EXPECT_EQ(layer.m_strPrj, files.m_files.count("m.prj") ? files.m_files["m.prj"] : "");
    }
}

TEST(ShapefileRead, CodePageFromTheCpgElseTheLanguageByte)
{
    struct Case
    {
        const char* name;
        unsigned nCodePage;
        CodePageSource nSource;
        const char* firstName;   // UTF-8
    } cases[] = {
        {"polygons_utf8", kCodePageUtf8, CodePageSource::Cpg, "\xC3\x8Ele Verte \xE2\x80\x93 ouest"},
        {"lines_1252", 1252, CodePageSource::Cpg, "Rue de l'\xC3\x89glise"},
        {"multipoints_z", kCodePageLatin1, CodePageSource::LanguageByte,
         "Se\xC3\xB1"
         "al"},
        {"regions_ldid", 1250, CodePageSource::LanguageByte,
         "\xC5\x81\xC3\xB3"
         "d\xC5\xBA"},
        {"points_zm", 1252, CodePageSource::Assumed, "For\xC3\xAAt"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CMemoryFileSystem files = LoadFixture(c.name);
        CShapefileLayer layer;
        ASSERT_TRUE(ReadShapefileLayer("m.shp", files, &layer).Ok());
        EXPECT_EQ(layer.m_table.m_nCodePage, c.nCodePage);
        EXPECT_EQ(layer.m_table.m_nCodePageSource, c.nSource);
        EXPECT_EQ(layer.m_table.Text(0, 0), c.firstName);
    }
}

// Damaged copies of a fixture: each is refused with its cause, names the
// file at fault, and leaves the layer it was to fill alone.
struct DamageCase
{
    const char* what;
    const char* fixture;
    void (*damage)(CMemoryFileSystem& files);
    ShapefileReadError nError;
    const char* file;   // named in the detail
};

void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.what; }

const DamageCase kDamage[] = {
    {"no .shp", "lines_1252", [](CMemoryFileSystem& f) { f.m_files.erase("m.shp"); }, ShapefileReadError::CannotOpen,
     "m.shp"},
    {"unreadable .shx", "lines_1252", [](CMemoryFileSystem& f) { f.m_unopenable.insert("m.shx"); },
     ShapefileReadError::CannotOpen, "m.shx"},
    {"no .dbf", "lines_1252", [](CMemoryFileSystem& f) { f.m_files.erase("m.dbf"); }, ShapefileReadError::CannotOpen,
     "m.dbf"},
    {"file code", "lines_1252", [](CMemoryFileSystem& f) { PutBig(f.m_files["m.shp"], 0, 9995); },
     ShapefileReadError::NotShapefile, "m.shp"},
    {"version", "lines_1252", [](CMemoryFileSystem& f) { PutLittle(f.m_files["m.shx"], 28, 1001); },
     ShapefileReadError::NotShapefile, "m.shx"},
    {"MultiPatch", "lines_1252", [](CMemoryFileSystem& f) { PutLittle(f.m_files["m.shp"], 32, 31); },
     ShapefileReadError::Unsupported, "m.shp"},
    {"shape type of a record", "lines_1252", [](CMemoryFileSystem& f) { PutLittle(f.m_files["m.shp"], 108, 5); },
     ShapefileReadError::Damaged, "m.shp"},
    {"huge parts count", "lines_1252", [](CMemoryFileSystem& f) { PutLittle(f.m_files["m.shp"], 144, 0x7FFFFFFF); },
     ShapefileReadError::Damaged, "m.shp"},
    {"huge points count", "lines_1252", [](CMemoryFileSystem& f) { PutLittle(f.m_files["m.shp"], 148, 0x7FFFFFFF); },
     ShapefileReadError::Damaged, "m.shp"},
    {"negative points count", "lines_1252", [](CMemoryFileSystem& f) { PutLittle(f.m_files["m.shp"], 148, -1); },
     ShapefileReadError::Damaged, "m.shp"},
    {"part index past the points", "lines_1252",
     // the start of the second part of record 2, whose content begins at 100 + 8 + 96 + 8
     [](CMemoryFileSystem& f) { PutLittle(f.m_files["m.shp"], 212 + 48, 99); }, ShapefileReadError::Damaged, "m.shp"},
    {"parts out of order", "lines_1252", [](CMemoryFileSystem& f) { PutLittle(f.m_files["m.shp"], 212 + 48, 0); },
     ShapefileReadError::Damaged, "m.shp"},
    {"main file length", "lines_1252", [](CMemoryFileSystem& f) { PutBig(f.m_files["m.shp"], 24, 0x7FFFFFF0); },
     ShapefileReadError::Damaged, "m.shp"},
    {"record length", "lines_1252", [](CMemoryFileSystem& f) { PutBig(f.m_files["m.shp"], 104, 0x7FFFFFF0); },
     ShapefileReadError::Damaged, "m.shx"},
    {"record length without index", "lines_1252",
     [](CMemoryFileSystem& f) {
         f.m_files.erase("m.shx");
         PutBig(f.m_files["m.shp"], 104, 0x7FFFFFF0);
     },
     ShapefileReadError::Damaged, "m.shp"},
    {"index offset", "lines_1252", [](CMemoryFileSystem& f) { PutBig(f.m_files["m.shx"], 108, 0x7FFFFFF0); },
     ShapefileReadError::Damaged, "m.shx"},
    {"index length", "lines_1252", [](CMemoryFileSystem& f) { PutBig(f.m_files["m.shx"], 104 + 8, 10); },
     ShapefileReadError::Damaged, "m.shx"},
    {"table counts more records", "lines_1252", [](CMemoryFileSystem& f) { PutLittle(f.m_files["m.dbf"], 4, 1000000); },
     ShapefileReadError::Damaged, "m.dbf"},
    {"table counts fewer records", "lines_1252", [](CMemoryFileSystem& f) { PutLittle(f.m_files["m.dbf"], 4, 1); },
     ShapefileReadError::Damaged, "m.dbf"},
    {"table header length", "lines_1252",
     [](CMemoryFileSystem& f) { PutLittle16(reinterpret_cast<unsigned char*>(&f.m_files["m.dbf"][8]), 0xFFFF); },
     ShapefileReadError::Damaged, "m.dbf"},
    {"field wider than the record", "lines_1252", [](CMemoryFileSystem& f) { f.m_files["m.dbf"][32 + 16] = char(200); },
     ShapefileReadError::Damaged, "m.dbf"},
};

class ShapefileReadDamaged : public testing::TestWithParam<DamageCase>
{};

TEST_P(ShapefileReadDamaged, RefusedWithACauseNamingTheFile)
{
    const DamageCase& c = GetParam();
    CMemoryFileSystem files = LoadFixture(c.fixture);
    c.damage(files);
    CShapefileLayer layer;
    layer.m_strPrj = "untouched";
    const ShapefileReadStatus status = ReadShapefileLayer("m.shp", files, &layer);
    EXPECT_EQ(status.GetCode(), c.nError) << status.Detail();
    EXPECT_EQ(status.Detail().compare(0, 6, std::string(c.file) + ":"), 0) << status.Detail();
    EXPECT_EQ(layer.m_strPrj, "untouched");
}

INSTANTIATE_TEST_SUITE_P(Causes, ShapefileReadDamaged, testing::ValuesIn(kDamage));

// Cut at every record boundary and in the middle of every record, each of
// the three files is refused as damaged (never read past its end), naming
// the file that was cut.
TEST(ShapefileRead, EveryTruncationIsRefused)
{
    for (const char* side : {".shp", ".shx", ".dbf"})
    {
        const CMemoryFileSystem whole = LoadFixture("polygons_utf8");
        const std::string path = std::string("m") + side;
        const std::string bytes = whole.m_files.at(path);
        std::vector<size_t> cuts;
        if (std::string(side) == ".dbf")
        {
            const size_t header = GetLittle16(reinterpret_cast<const unsigned char*>(&bytes[8]));
            const size_t record = GetLittle16(reinterpret_cast<const unsigned char*>(&bytes[10]));
            for (size_t at = 0; at < bytes.size() - 1; at += at < header ? 16 : record / 2)
                cuts.push_back(at);
        }
        else
        {
            for (size_t at = 0; at < bytes.size(); at += 4)   // every record starts at a multiple of 4
                cuts.push_back(at);
        }
        for (size_t cut : cuts)
        {
            SCOPED_TRACE(path + " cut at " + std::to_string(cut));
            CMemoryFileSystem files = whole;
            files.m_files[path].resize(cut);
            CShapefileLayer layer;
            const ShapefileReadStatus status = ReadShapefileLayer("m.shp", files, &layer);
            ASSERT_FALSE(status.Ok());
            EXPECT_EQ(status.Detail().compare(0, path.size() + 1, path + ":"), 0) << status.Detail();
        }
    }
}

// Our writer's files read back as the features that were written: map
// coordinates of every vertex, polygon rings clockwise, IDs and names.
TEST(ShapefileRead, WhatOurWriterWrites)
{
    for (ShapeType type : {SHAPE_POINT, SHAPE_POLYLINE, SHAPE_POLYGON})
    {
        SCOPED_TRACE(type);
        CShapeFile file;
        FitRoundNumberGeoRef(file.m_geoRef);
        const std::vector<std::vector<TestVertex>> clicks = {{{10, 90}, {50, 90}, {50, 50}, {10, 90}},
                                                             {{3, 4}, {5, 6}, {7, 2}, {3, 4}}};
        file.m_shapes.Add(MakeShape(clicks[0], "Caf\xE9"));   // as typed in 1252
        file.m_shapes.Add(MakeShape(clicks[1], "Mill Lane"));
        CMemoryFileSystem files;
        CShapeSideFiles sides;
        sides.nCodePage = 1252;
        ASSERT_TRUE(file.WriteShapefile("w.shp", type, files, sides));

        CShapefileLayer layer;
        const ShapefileReadStatus status = ReadShapefileLayer("w.shp", files, &layer);
        ASSERT_TRUE(status.Ok()) << status.Detail();
        EXPECT_EQ(int(layer.m_nType), int(type));
        ASSERT_EQ(layer.m_features.size(), 2u);
        for (int i = 0; i < 2; ++i)
        {
            const CLayerFeature& feature = layer.m_features[i];
            ASSERT_EQ(feature.parts.size(), 1u);
            const std::vector<CMapPoint>& points = feature.parts[0];
            std::vector<TestVertex> expected = clicks[i];
            if (type == SHAPE_POINT)
                expected.resize(1);
            // Column c, row r is map (100 + c, 300 - r); a ring that runs
            // anticlockwise on the map comes back reversed.
            double twiceArea = 0.0;
            for (size_t v = 1; v < expected.size(); ++v)
                twiceArea += double(expected[v - 1].x) * -expected[v].y - double(expected[v].x) * -expected[v - 1].y;
            if (type == SHAPE_POLYGON && twiceArea > 0)
                expected = std::vector<TestVertex>(expected.rbegin(), expected.rend());
            ASSERT_EQ(points.size(), expected.size());
            for (size_t v = 0; v < points.size(); ++v)
            {
                EXPECT_EQ(points[v].x, 100.0 + expected[v].x);
                EXPECT_EQ(points[v].y, 300.0 - expected[v].y);
            }
            int64_t id;
            ASSERT_TRUE(layer.m_table.Integer(i, layer.m_table.FindField("ID"), &id));
            EXPECT_EQ(id, i + 1);
        }
        EXPECT_EQ(layer.m_table.Text(0, layer.m_table.FindField("NAME")), "Caf\xC3\xA9");
        EXPECT_EQ(layer.m_table.m_nCodePageSource, CodePageSource::Cpg);
    }
}

TEST(CodePage, CpgTextsAndLanguageBytes)
{
    const struct
    {
        const char* text;
        unsigned nCodePage;
    } cpgs[] = {
        {"UTF-8", 65001},
        {"utf8\r\n", 65001},
        {"\xEF\xBB\xBFUTF-8", 65001},
        {"1252", 1252},
        {"CP1252", 1252},
        {"ANSI 1252", 1252},
        {"windows-1250", 1250},
        {" 8859-1 ", 28591},
        {"88591", 28591},
        {"ISO-8859-1", 28591},
        {"OEM 850", 850},
        {"UTF-16", 0},
        {"", 0},
        {"ANSI", 0},
        {"12x", 0},
    };
    for (const auto& c : cpgs)
        EXPECT_EQ(CodePageFromCpg(c.text), c.nCodePage) << c.text;
    const struct
    {
        unsigned char nByte;
        unsigned nCodePage;
    } bytes[] = {{0x57, 28591}, {0x03, 1252}, {0x01, 437},  {0x02, 850},  {0x64, 852}, {0x65, 866},
                 {0xC8, 1250},  {0xC9, 1251}, {0xCA, 1254}, {0xCB, 1253}, {0x00, 0},   {0x4D, 0}};
    for (const auto& c : bytes)
        EXPECT_EQ(CodePageFromLanguageByte(c.nByte), c.nCodePage) << int(c.nByte);
}

TEST(CodePage, DecodesToUtf8)
{
    const struct
    {
        unsigned nCodePage;
        std::string bytes;
        const char* utf8;
    } cases[] = {
        {1252, "\x80 \xE9", "\xE2\x82\xAC \xC3\xA9"},
        {1252, "\x81", "\xEF\xBF\xBD"},   // undefined in 1252
        {28591, "\x80\xE9", "\xC2\x80\xC3\xA9"},
        {437, "\x80\xE1", "\xC3\x87\xC3\x9F"},
        {850, "\xD5", "\xC4\xB1"},
        {1250, "\xA3\xB3", "\xC5\x81\xC5\x82"},
        {1251, "\xC0\xFF", "\xD0\x90\xD1\x8F"},
        {936, "a\xC4", "a\xEF\xBF\xBD"},   // a page we cannot decode
        {65001, "\xF0\x9D\x84\x9E ok", "\xF0\x9D\x84\x9E ok"},
        {65001, "\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},                   // overlong
        {65001, "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},   // a surrogate
        {65001, "ab\xE2\x82", "ab\xEF\xBF\xBD\xEF\xBF\xBD"},               // cut off
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeToUtf8(c.bytes.data(), c.bytes.size(), c.nCodePage), c.utf8) << c.nCodePage;
}

}   // namespace
