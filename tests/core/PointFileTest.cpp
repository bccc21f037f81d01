#include <clocale>
#include <string>

#include <gtest/gtest.h>

#include "core/georef/DegreeParser.h"
#include "core/georef/GeoRefArray.h"
#include "core/io/Path.h"
#include "core/io/StagedWrite.h"
#include "core/georef/WorldFile.h"
#include "tests/core/TestFiles.h"

namespace
{

std::vector<CGeoRefPoint> Parse(const std::string& text)
{
    return CGeoRefArray::ParsePointRecords(text.data(), text.size());
}

TEST(PointFile, WritesSixDecimalsAndCrLfAndReadsThemBack)
{
    ScratchDir dir;
    const std::string image = dir.File("map.jpg");
    CGeoRefArray written;
    written.m_points = {CGeoRefPoint(10.5, -3.25, 7, 9), CGeoRefPoint(123.4567891, 0.0000004, -12, -40000),
                        CGeoRefPoint(-0.5, 1e7, 0, 2147483647)};
    written.WritePointFile(image.c_str());
    EXPECT_EQ(ReadFileBytes(dir.File("map.tvg")), "10.500000,-3.250000,7,9\r\n"
                                                  "123.456789,0.000000,-12,-40000\r\n"
                                                  "-0.500000,10000000.000000,0,2147483647\r\n");

    CGeoRefArray read;
    read.m_bValid = true;
    read.ReadPointFile(image.c_str());
    EXPECT_FALSE(read.m_bValid);
    ASSERT_EQ(read.m_points.size(), 3u);
    EXPECT_EQ(read.m_points[0].m_dMapX, 10.5);
    EXPECT_EQ(read.m_points[0].m_nPixelY, 9);
    // More than six decimals are rounded on writing.
    EXPECT_EQ(read.m_points[1].m_dMapX, 123.456789);
    EXPECT_EQ(read.m_points[1].m_nPixelX, -12);
    EXPECT_EQ(read.m_points[1].m_nPixelY, -40000);
    EXPECT_EQ(read.m_points[2].m_nPixelY, 2147483647);
}

TEST(PointFile, EmptyListTruncatesAnExistingFile)
{
    ScratchDir dir;
    WriteFileBytes(dir.File("a.tvg"), "1,2,3,4\r\n");
    CGeoRefArray geoRef;
    geoRef.WritePointFile(dir.File("a.jpg").c_str());
    EXPECT_EQ(ReadFileBytes(dir.File("a.tvg")), "");
}

TEST(PointFile, MissingFileGivesAnEmptyList)
{
    ScratchDir dir;
    CGeoRefArray geoRef;
    geoRef.m_points.push_back(CGeoRefPoint(1, 2, 3, 4));
    geoRef.ReadPointFile(dir.File("none.jpg").c_str());
    EXPECT_TRUE(geoRef.m_points.empty());
}

TEST(PointFile, UnwritableFileIsSkippedSilently)
{
    ScratchDir dir;
    CGeoRefArray geoRef;
    geoRef.m_points.push_back(CGeoRefPoint(1, 2, 3, 4));
    geoRef.WritePointFile(dir.File("no-such-folder/map.jpg").c_str());
    EXPECT_EQ(geoRef.m_points.size(), 1u);
}

TEST(PointFile, WriteSaysWhetherEveryByteReachedTheFile)
{
    ScratchDir dir;
    CGeoRefArray geoRef;
    geoRef.m_points.push_back(CGeoRefPoint(1, 2, 3, 4));
    EXPECT_TRUE(geoRef.WritePointFile(dir.File("map.jpg").c_str()));
    EXPECT_FALSE(geoRef.WritePointFile(dir.File("no-such-folder/map.jpg").c_str()));
#ifndef _WIN32
    // A full disk: the file opens, and the bytes fail when they are flushed.
    // They go to the temporary beside the point file first.
    std::filesystem::create_symlink("/dev/full", StagedName(dir.File("full.tvg")));
    EXPECT_FALSE(geoRef.WritePointFile(dir.File("full.jpg").c_str()));
#endif
    EXPECT_EQ(geoRef.m_points.size(), 1u) << "the points in memory stay";
}

struct ParseCase
{
    const char* name;
    std::string text;
    size_t expected;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class ParseCases : public testing::TestWithParam<ParseCase>
{};

TEST_P(ParseCases, GivesAllPointsOrNone) { EXPECT_EQ(Parse(GetParam().text).size(), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Records, ParseCases,
    testing::Values(ParseCase{"Empty", "", 0}, ParseCase{"OnlyWhiteSpace", " \r\n\t\n", 0},
                    ParseCase{"CrLf", "1,2,3,4\r\n5,6,7,8\r\n", 2}, ParseCase{"LfOnly", "1,2,3,4\n5,6,7,8\n", 2},
                    ParseCase{"LastRecordWithoutLineEnd", "1,2,3,4\r\n5,6,7,8", 2},
                    ParseCase{"RecordsSeparatedBySpaces", "1,2,3,4 5,6,7,8", 2},
                    ParseCase{"SpacesAndLineBreaksAfterCommas", "1, 2,\r\n 3,\t4\n", 1},
                    ParseCase{"TrailingThreeValues", "1,2,3,4\n1.5,2.5,3\n", 0},
                    ParseCase{"SpaceBeforeComma", "1,2,3,4\n1 ,2,3,4\n", 0}, ParseCase{"FifthValue", "1,2,3,4,5\n", 0},
                    ParseCase{"DecimalPixel", "1,2,120.0,4\n", 0}, ParseCase{"Letters", "1,2,3,4\nabc\n", 0},
                    ParseCase{"NulByteInside", std::string("1,2,3,4\n\0", 9), 0},
                    ParseCase{"PixelOutOfIntRange", "1,2,3,2147483648\n", 0},
                    ParseCase{"HugeMapValue", "1e999,2,3,4\n", 0},
                    ParseCase{"ExponentAndSigns", "-1.5e2,+2,-3,+4\n", 1}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(PointFile, ParsedFieldsAreExact)
{
    std::vector<CGeoRefPoint> points = Parse("-1.5e2,+2,-3,+4\n");
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].m_dMapX, -150.0);
    EXPECT_EQ(points[0].m_dMapY, 2.0);
    EXPECT_EQ(points[0].m_nPixelX, -3);
    EXPECT_EQ(points[0].m_nPixelY, 4);
}

// The side files and the typed coordinates use "." whatever the user's
// locale: a point file written or read with a decimal comma would lose every
// control point, and a world file so written would not be read at all.
TEST(PointFile, DecimalPointStaysInACommaLocale)
{
    const char* pszComma = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE", "German_Germany.1252", "fr_FR.UTF-8"})
        if ((pszComma = std::setlocale(LC_ALL, name)) != nullptr)
            break;
    if (!pszComma)
        GTEST_SKIP() << "no locale with a decimal comma installed";
    const std::vector<CGeoRefPoint> points = Parse("451.5,887.25,3,4\r\n");
    const std::string text = CGeoRefArray::FormatPointRecords({CGeoRefPoint(10.5, -3.25, 7, 9)});
    CTransposeExtents e;
    e.x0 = 100;
    e.y0 = 300;
    e.x1 = 299;
    e.y1 = 201;
    e.outW = 100;
    e.outH = 200;
    const std::string world = FormatWorldFile(e);
    double easting = 0, northing = 0;
    const bool converted = ConvertCoordinateEntries("451.5", "10 30.5 S", &easting, &northing);
    std::setlocale(LC_ALL, "C");

    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].m_dMapX, 451.5);
    EXPECT_EQ(points[0].m_dMapY, 887.25);
    EXPECT_EQ(text, "10.500000,-3.250000,7,9\r\n");
    EXPECT_EQ(world, "1.990000000000\r\n0.00\r\n0.00\r\n-0.495000000000\r\n100.000000000000\r\n300.000000000000\r\n");
    EXPECT_TRUE(converted);
    EXPECT_EQ(easting, 451.5);
    EXPECT_EQ(northing, 10.0);   // plain numbers: the easting has no second number
}

TEST(SideFileName, CutsAtTheLastDotOfTheFileName)
{
    EXPECT_EQ(SideFileName("C:\\maps.old\\site.jpg", ".tvg"), "C:\\maps.old\\site.tvg");
    EXPECT_EQ(SideFileName("/data/maps.old/site.jpg", ".tvg"), "/data/maps.old/site.tvg");
    EXPECT_EQ(SideFileName("site.v2.jpg", ".jgw"), "site.v2.jgw");
    EXPECT_EQ(SideFileName("out.shp", ".dbf"), "out.dbf");
    // Without a dot in the file name the extension is appended, beside the file.
    EXPECT_EQ(SideFileName("C:\\maps.old\\site", ".shx"), "C:\\maps.old\\site.shx");
    EXPECT_EQ(SideFileName("site", ".tvg"), "site.tvg");
}

TEST(PointFile, ImageInDottedFolderUsesItsOwnPointFile)
{
    ScratchDir dir;
    std::filesystem::create_directories(dir.Path() / "maps.old");
    CGeoRefArray geoRef;
    geoRef.m_points.push_back(CGeoRefPoint(1, 2, 3, 4));
    geoRef.WritePointFile(dir.File("maps.old/site.jpg").c_str());
    EXPECT_EQ(ReadFileBytes(dir.File("maps.old/site.tvg")), "1.000000,2.000000,3,4\r\n");
}

}   // namespace
