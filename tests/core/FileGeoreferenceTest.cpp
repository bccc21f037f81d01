// The georeference an image brings along, judged by GDAL: the fixtures in
// tests/data/georef were written by gdal_translate, and expected.txt holds
// what gdalinfo reads from each, moved to pixel centres.
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/io/MemoryFile.h"
#include "core/io/StdioFileSystem.h"
#include "core/scan/ImageGeoreference.h"
#include "TestFiles.h"

namespace
{
const std::string kFixtures = std::string(QUARVEX_SOURCE_DIR) + "/tests/data/georef/";

void ExpectSameTransform(const CAffineTransform& got, const CAffineTransform& want, const std::string& what)
{
    // Map units of metres or degrees: far below any pixel.
    const double got6[] = {got.x0, got.xPerColumn, got.xPerRow, got.y0, got.yPerColumn, got.yPerRow};
    const double want6[] = {want.x0, want.xPerColumn, want.xPerRow, want.y0, want.yPerColumn, want.yPerRow};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(got6[i], want6[i], 1e-9 * (1.0 + std::fabs(want6[i]))) << what << " coefficient " << i;
}
}   // namespace

TEST(FileGeoreference, EveryFixtureGivesWhatGdalReads)
{
    std::ifstream table(kFixtures + "expected.txt");
    ASSERT_TRUE(table) << "expected.txt";
    std::string line;
    int rows = 0;
    while (std::getline(table, line))
    {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string name;
        CAffineTransform want;
        int epsg = -1;
        fields >> name >> want.x0 >> want.xPerColumn >> want.xPerRow >> want.y0 >> want.yPerColumn >> want.yPerRow >>
            epsg;
        ASSERT_FALSE(fields.fail()) << line;
        ++rows;
        CFileGeoreference got;
        ASSERT_TRUE(ReadFileGeoreference(kFixtures + name, StdioFileSystem(), &got)) << name;
        ExpectSameTransform(got.transform, want, name);
        EXPECT_EQ(got.nEpsg, epsg) << name;
        // Only the images without keys take their world file.
        const bool plain = name.rfind("plain", 0) == 0;
        EXPECT_EQ(got.nSource, plain ? GeoreferenceSource::WorldFile : GeoreferenceSource::GeoTiffKeys) << name;
    }
    EXPECT_EQ(rows, 7);

    // The .tfw GDAL wrote beside its keys says the same as they do.
    CFileGeoreference keys, world;
    ASSERT_TRUE(ReadGeoTiffKeys(kFixtures + "utm-tfw.tif", StdioFileSystem(), &keys));
    ASSERT_TRUE(ReadWorldFile(kFixtures + "utm-tfw.tif", StdioFileSystem(), &world));
    ExpectSameTransform(world.transform, keys.transform, "utm-tfw.tfw");
    EXPECT_EQ(world.nEpsg, 0);
}

TEST(FileGeoreference, WorldFileNamesForEachKindOfImage)
{
    const struct
    {
        const char* image;
        std::vector<std::string> names;
    } cases[] = {
        {"C:\\maps\\sheet.tif",
         {"C:\\maps\\sheet.tfw", "C:\\maps\\sheet.TFW", "C:\\maps\\sheet.tifw", "C:\\maps\\sheet.TIFW",
          "C:\\maps\\sheet.wld", "C:\\maps\\sheet.WLD"}},
        {"a.JPG", {"a.JGW", "a.jgw", "a.JPGW", "a.jpgw", "a.WLD", "a.wld"}},
        {"a.jp2", {"a.j2w", "a.J2W", "a.jp2w", "a.JP2W", "a.wld", "a.WLD"}},
        // A dot in a folder never counts.
        {"v1.0/sheet", {"v1.0/sheet.wld", "v1.0/sheet.WLD"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WorldFileNames(c.image), c.names) << c.image;
}

TEST(FileGeoreference, WorldFileTextIsSixNumbersOrNothing)
{
    const struct
    {
        const char* text;
        bool ok;
    } cases[] = {
        {"2\r\n0.5\r\n-0.25\r\n-2\r\n400001\r\n5599999\r\n", true},
        {"  2 0.5\n-0.25 -2\n4.00001e5   5599999", true},   // any white space, exponents
        {"2\n0\n0\n-2\n400001\n", false},                   // five numbers
        {"2\n0\n0\n-2\n400001\n5599999\n7\n", false},       // seven
        {"2\n0\n0\n-2\n400001,5\n5599999\n", false},        // a decimal comma
        {"2\n0\n0\n-2\nINF\n5599999\n", false},
        {"2\n0\n4\n0\n400001\n5599999\n", false},   // both axes along X: folds the plane
        {"", false},
    };
    for (const auto& c : cases)
    {
        CAffineTransform t;
        ASSERT_EQ(ParseWorldFile(c.text, &t), c.ok) << c.text;
        if (c.ok)
        {
            double x, y;
            t.Map(1, 2, &x, &y);
            EXPECT_DOUBLE_EQ(x, 400001 + 2 * 1 - 0.25 * 2) << c.text;
            EXPECT_DOUBLE_EQ(y, 5599999 + 0.5 * 1 - 2 * 2) << c.text;
        }
    }
}

TEST(FileGeoreference, KeysWinAndAWorldFileIsFoundInEitherCase)
{
    CMemoryFileSystem files;
    files.m_files["maps/sheet.tif"] = ReadFileBytes(kFixtures + "utm-area.tif");
    files.m_files["maps/sheet.TFW"] = "1\n0\n0\n-1\n0\n0\n";
    CFileGeoreference got;
    ASSERT_TRUE(ReadFileGeoreference("maps/sheet.tif", files, &got));
    EXPECT_EQ(got.nSource, GeoreferenceSource::GeoTiffKeys);
    EXPECT_EQ(got.transform.x0, 500005.0);

    // A TIFF without keys, a JPEG (no TIFF at all): the world file.
    files.m_files["maps/sheet.tif"] = ReadFileBytes(kFixtures + "plain-tfw.tif");
    files.m_files["maps/scan.jpg"] = "\xFF\xD8\xFF\xE0 not much of a JPEG";
    files.m_files["maps/scan.jgw"] = "1\n0\n0\n-1\n10\n20\n";
    for (const char* image : {"maps/sheet.tif", "maps/scan.jpg"})
    {
        ASSERT_TRUE(ReadFileGeoreference(image, files, &got)) << image;
        EXPECT_EQ(got.nSource, GeoreferenceSource::WorldFile) << image;
    }
    EXPECT_EQ(got.transform.y0, 20.0);

    // An unreadable world file gives way to the next name; none at all is none.
    files.m_files["maps/scan.jgw"] = "garbage";
    files.m_files["maps/scan.wld"] = "1\n0\n0\n-1\n30\n40\n";
    ASSERT_TRUE(ReadFileGeoreference("maps/scan.jpg", files, &got));
    EXPECT_EQ(got.transform.x0, 30.0);
    EXPECT_FALSE(ReadFileGeoreference("maps/other.jpg", files, &got));
    EXPECT_TRUE(got.IsNone());
}

TEST(FileGeoreference, EpsgCodeFromTheKeysOnlyWhenTheRegisterHasIt)
{
    // Directory header (version 1, 1.0, n keys), then id, location, count, value.
    auto directory = [](std::vector<uint16_t> keys) {
        std::vector<uint16_t> d = {1, 1, 0, static_cast<uint16_t>(keys.size() / 4)};
        d.insert(d.end(), keys.begin(), keys.end());
        return d;
    };
    const struct
    {
        std::vector<uint16_t> keys;
        int epsg;
    } cases[] = {
        {{2048, 0, 1, 4326}, 4326},
        {{2048, 0, 1, 4326, 3072, 0, 1, 32633}, 32633},
        // A projected system of its own over WGS 84 is not WGS 84.
        {{2048, 0, 1, 4326, 3072, 0, 1, 32767}, 0},
        {{3072, 34737, 1, 0}, 0},   // a value elsewhere is no code
        {{}, 0},
    };
    for (const auto& c : cases)
    {
        CGeoTiffTags tags;
        tags.pixelScale = {1, 1, 0};
        tags.tiepoints = {0, 0, 0, 100, 200, 0};
        tags.keyDirectory = directory(c.keys);
        CFileGeoreference got;
        ASSERT_TRUE(GeoTiffGeoreference(tags, &got));
        EXPECT_EQ(got.nEpsg, c.epsg) << c.keys.size();
    }
}
