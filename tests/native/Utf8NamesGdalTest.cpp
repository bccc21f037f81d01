// Names in any script in a new Shapefile: the table's code page chosen by
// the names, and GDAL writing the same names the same way and reading ours
// back through the .cpg.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/shape/CodePage.h"
#include "core/shape/ShapeFile.h"
#include "tests/core/ShapeWriterFixture.h"
#include "tests/core/TestFiles.h"

namespace
{

TEST(NewTableCodePage, TheSystemPageWhenEveryNameFitsElseUtf8)
{
    const struct
    {
        std::vector<std::string> names;
        unsigned nAnsi;
        bool bUtf8Asked;
        unsigned nExpected;
    } cases[] = {
        {{"Road", "Caf\xC3\xA9", "\xE2\x82\xAC 5"}, 1252, false, 1252},   // e acute and the euro sign are in 1252
        {{"Road", "\xD0\x9A\xD0\xB0\xD1\x80\xD1\x82\xD1\x8B"}, 1252, false, kCodePageUtf8},
        {{"\xD0\x9A\xD0\xB0\xD1\x80\xD1\x82\xD1\x8B"}, 1251, false, 1251},
        {{"\xCE\xA7\xCE\xAC\xCF\x81\xCF\x84\xCE\xB5\xCF\x82"}, 1251, false, kCodePageUtf8},
        {{"Road"}, 1252, true, kCodePageUtf8},
        {{"Road?"}, 932, false, 932},   // a page we cannot encode: ASCII fits
        {{"\xE5\x9C\xB0\xE5\x9B\xB3"}, 932, false, kCodePageUtf8},
        {{}, 1252, false, 1252},
    };
    for (const auto& c : cases)
    {
        CShapeArray shapes;
        for (const std::string& name : c.names)
            shapes.Add(MakeShape({{1, 1}}, name));
        EXPECT_EQ(NewTableCodePage(shapes, c.nAnsi, c.bUtf8Asked), c.nExpected)
            << (c.names.empty() ? "" : c.names.back());
    }
}

// Writes the names as points with UTF-8 chosen for them; false on failure.
bool WriteNames(const std::vector<std::string>& names, const std::string& path, std::string* pCsv)
{
    CShapeFile file;
    FitRoundNumberGeoRef(file.m_geoRef);
    *pCsv = "WKT,ID,NAME\n";
    for (size_t i = 0; i < names.size(); ++i)
    {
        file.m_shapes.Add(MakeShape({{10 + int(i), 20}}, names[i]));
        double x = 0, y = 0;
        if (!file.m_geoRef.PixelToMap(10 + int(i), 20, &x, &y))
            return false;
        *pCsv += "\"POINT (" + std::to_string(x) + " " + std::to_string(y) + ")\"," + std::to_string(i + 1) + ",\"" +
                 names[i] + "\"\n";
    }
    CShapeSideFiles sides;
    sides.nNameCodePage = kCodePageUtf8;
    sides.nCodePage = NewTableCodePage(file.m_shapes, 1252, false);
    return sides.nCodePage == kCodePageUtf8 && file.SaveAs(path.c_str(), SHAPE_POINT, sides);
}

// Our table of UTF-8 names against ogr2ogr's with ENCODING=UTF-8: the same
// bytes but the update date (the language byte included), the same .cpg.
// A name longer than its 32 bytes, which GDAL would widen the field for, is
// cut before the character that does not fit whole; GDAL reads all back.
TEST(Utf8NamesGdal, TableAsGdalWritesItAndNamesReadBack)
{
    ScratchDir dir;
    std::vector<std::string> names = {
        "\xD0\x9A\xD0\xB0\xD1\x80\xD1\x82\xD1\x8B",           // Cyrillic
        "\xCE\xA7\xCE\xAC\xCF\x81\xCF\x84\xCE\xB5\xCF\x82",   // Greek
        "\xE5\x9C\xB0\xE5\x9B\xB3 \xF0\x9F\x97\xBA",          // CJK and an emoji
    };
    std::string csv;
    ASSERT_TRUE(WriteNames(names, dir.File("ours.shp"), &csv));
    WriteFileBytes(dir.File("names.csv"), csv);
    WriteFileBytes(dir.File("names.csvt"), "WKT,Integer(8),String(32)\n");
    int exitCode = 0;
    const std::string output = RunTool("ogr2ogr -f 'ESRI Shapefile' -oo KEEP_GEOM_COLUMNS=NO -lco ENCODING=UTF-8 '" +
                                           dir.File("gdal.shp") + "' '" + dir.File("names.csv") + "'",
                                       &exitCode);
    ASSERT_EQ(exitCode, 0) << output;
    std::string ours = ReadFileBytes(dir.File("ours.dbf")), gdal = ReadFileBytes(dir.File("gdal.dbf"));
    ASSERT_GT(gdal.size(), 32u);
    ASSERT_EQ(ours.size(), gdal.size());
    gdal.replace(1, 3, ours.substr(1, 3));   // the date GDAL saved it
    EXPECT_TRUE(ours == gdal);
    EXPECT_EQ(ReadFileBytes(dir.File("ours.cpg")), ReadFileBytes(dir.File("gdal.cpg")));

    std::string longName = "a";
    for (int i = 0; i < 16; ++i)
        longName += "\xD0\x9A";   // 33 bytes: the last Cyrillic letter goes whole
    names.push_back(longName);
    ASSERT_TRUE(WriteNames(names, dir.File("long.shp"), &csv));
    const std::string read = RunTool(
        "/usr/bin/python3 -c \"import sys; from osgeo import ogr; d = ogr.Open(sys.argv[1]); "
        "sys.stdout.buffer.write(b''.join(f.GetField('NAME').encode('utf-8') + b'|' for f in d.GetLayer()))\" '" +
            dir.File("long.shp") + "'",
        &exitCode);
    ASSERT_EQ(exitCode, 0) << read;
    EXPECT_EQ(read, names[0] + "|" + names[1] + "|" + names[2] + "|" + names[3].substr(0, 31) + "|");
}

}   // namespace
