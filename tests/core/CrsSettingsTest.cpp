// The image's coordinate system in its settings file, and the recently used
// systems of the profile.
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/crs/CrsSettings.h"

TEST(CrsSettings, ValueIsEpsgAndTheCodeAndNothingElseCounts)
{
    const struct
    {
        const char* value;
        int code;
    } cases[] = {
        {"EPSG:27700", 27700}, {"epsg:4326", 4326}, {"Epsg:3857", 3857}, {"EPSG:", 0},           {"EPSG:12a", 0},
        {"EPSG: 4326", 0},     {"4326", 0},         {"EPSG:-1", 0},      {"EPSG:1234567890", 0}, {"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseCrsSetting(c.value), c.code) << c.value;
    EXPECT_EQ(FormatCrsSetting(27700), "EPSG:27700");
    EXPECT_EQ(FormatCrsSetting(0), "");
}

TEST(CrsSettings, ReadsTheSystemFromTheCatalogueAndTouchesNoOtherKey)
{
    CCrsCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadText("4326\tG\tWGS 84\tWorld.\tGEOGCS[a]\n27700\tP\tOSGB36\tUK.\tPROJCS[b]\n"));

    CImageSettings settings = CImageSettings::Parse("fit=affine\r\n");
    EXPECT_TRUE(CrsFromSettings(settings, catalogue).IsNone()) << "absent means none";
    StoreCrsSetting(settings, CCrsRef{4326, true});
    EXPECT_EQ(settings.Format(), "crs=EPSG:4326\r\nfit=affine\r\n");
    const CCrsRef read = CrsFromSettings(settings, catalogue);
    EXPECT_EQ(read.nEpsg, 4326);
    EXPECT_TRUE(read.bGeographic);

    // A code this catalogue does not know counts as none, and stays in the
    // file until the user chooses again.
    settings = CImageSettings::Parse("crs=EPSG:999999\r\nfit=affine\r\n");
    EXPECT_TRUE(CrsFromSettings(settings, catalogue).IsNone());
    EXPECT_EQ(settings.Get("crs"), "EPSG:999999");

    StoreCrsSetting(settings, CCrsRef());
    EXPECT_EQ(settings.Format(), "fit=affine\r\n");
}

TEST(CrsSettings, PointsSystemDefaultsToTheOutputAndIsKeptOnlyWhereItDiffers)
{
    CCrsCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadText("4326\tG\tWGS 84\tWorld.\tGEOGCS[a]\n32633\tP\tUTM 33N\tW.\tPROJCS[b]\n"));
    const CCrsRef utm{32633, false}, wgs{4326, true};

    // A file written before there were two systems reads as it did.
    CImageSettings settings = CImageSettings::Parse("crs=EPSG:32633\r\nfit=affine\r\n");
    EXPECT_EQ(PointsCrsFromSettings(settings, catalogue, utm).nEpsg, 32633);
    settings = CImageSettings::Parse("crs=EPSG:32633\r\npoints_crs=EPSG:999999\r\n");
    EXPECT_EQ(PointsCrsFromSettings(settings, catalogue, utm).nEpsg, 32633) << "unknown code";

    settings = CImageSettings::Parse("crs=EPSG:32633\r\nfit=affine\r\n");
    StorePointsCrsSetting(settings, wgs, utm);
    EXPECT_EQ(settings.Format(), "crs=EPSG:32633\r\nfit=affine\r\npoints_crs=EPSG:4326\r\n");
    const CCrsRef read = PointsCrsFromSettings(settings, catalogue, utm);
    EXPECT_EQ(read.nEpsg, 4326);
    EXPECT_TRUE(read.bGeographic);
    // Degrees typed with no output system chosen are kept as such.
    StorePointsCrsSetting(settings, wgs, CCrsRef());
    EXPECT_EQ(settings.Get("points_crs"), "EPSG:4326");
    StorePointsCrsSetting(settings, utm, utm);
    EXPECT_EQ(settings.Format(), "crs=EPSG:32633\r\nfit=affine\r\n");
}

TEST(CrsSettings, RecentSystemsMostRecentFirstWithoutRepeats)
{
    EXPECT_EQ(ParseRecentCrs("27700,4326"), (std::vector<int>{27700, 4326}));
    EXPECT_EQ(ParseRecentCrs("x,4326,,4326,0,27700,-5"), (std::vector<int>{4326, 27700}));
    EXPECT_EQ(ParseRecentCrs(""), std::vector<int>());
    EXPECT_EQ(ParseRecentCrs("1,2,3,4,5,6,7").size(), kMaxRecentCrs);

    std::vector<int> codes = {1, 2, 3, 4, 5};
    PushRecentCrs(codes, 3);
    EXPECT_EQ(codes, (std::vector<int>{3, 1, 2, 4, 5}));
    PushRecentCrs(codes, 9);
    EXPECT_EQ(codes, (std::vector<int>{9, 3, 1, 2, 4}));
    PushRecentCrs(codes, 0);
    EXPECT_EQ(FormatRecentCrs(codes), "9,3,1,2,4");
    EXPECT_EQ(ParseRecentCrs(FormatRecentCrs(codes)), codes);
}

TEST(CrsSettings, TheCodeAWktGivesItselfNotItsDatumsOrUnits)
{
    // projinfo's WKT2, GDAL's WKT1 and ESRI's (no code): tests/data/crs/make_wkt_ids.sh.
    std::ifstream in(std::string(QUARVEX_SOURCE_DIR) + "/tests/data/crs/wkt-ids.txt");
    std::string line;
    int nCases = 0;
    while (std::getline(in, line))
    {
        const size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos);
        EXPECT_EQ(EpsgOfWkt(line.substr(tab + 1)), std::stoi(line.substr(0, tab))) << line.substr(0, 60);
        ++nCases;
    }
    EXPECT_EQ(nCases, 7);
    // A points file's own line, and what is no WKT at all.
    std::ifstream points(std::string(QUARVEX_SOURCE_DIR) + "/tests/data/points/current.points");
    std::getline(points, line);
    EXPECT_EQ(EpsgOfWkt(line.substr(6)), 4326);
    EXPECT_EQ(EpsgOfWkt(""), 0);
    EXPECT_EQ(EpsgOfWkt("ID[\"EPSG\",4326]"), 0) << "not inside a system";
    EXPECT_EQ(EpsgOfWkt("GEOGCRS[\"x\",ID[\"EPSG\",\"abc\"]]"), 0);
}
