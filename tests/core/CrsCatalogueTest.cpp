// The coordinate systems built into the program: what the catalogue holds,
// how it is read, and how a user's words find a system.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/crs/CrsCatalogue.h"
#include "core/crs/CrsCatalogueData.h"
#include "core/crs/CrsSearch.h"

namespace
{

struct KnownSystem
{
    int code;
    bool geographic;
    const char* name;
    const char* wktStart;
};

TEST(CrsCatalogue, HoldsTheRegistersSystemsInCodeOrderWithTheirPrjText)
{
    const CCrsCatalogue& catalogue = EmbeddedCrsCatalogue();
    ASSERT_GT(catalogue.GetSize(), 5000u);
    const KnownSystem known[] = {
        {4326, true, "WGS 84", "GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\""},
        {4258, true, "ETRS89", "GEOGCS[\"GCS_ETRS_1989\""},
        {27700, false, "OSGB36 / British National Grid", "PROJCS[\"British_National_Grid\",GEOGCS[\"GCS_OSGB_1936\""},
        {32733, false, "WGS 84 / UTM zone 33S", "PROJCS[\"WGS_1984_UTM_Zone_33S\""},
        {3857, false, "WGS 84 / Pseudo-Mercator", "PROJCS[\"WGS_1984_Web_Mercator_Auxiliary_Sphere\""},
    };
    for (const KnownSystem& k : known)
    {
        const CCrsEntry* pEntry = catalogue.Find(k.code);
        ASSERT_NE(pEntry, nullptr) << k.code;
        EXPECT_EQ(pEntry->nCode, k.code);
        EXPECT_EQ(pEntry->bGeographic, k.geographic) << k.code;
        EXPECT_EQ(pEntry->name, k.name);
        EXPECT_EQ(pEntry->wkt.substr(0, std::string(k.wktStart).size()), k.wktStart);
        EXPECT_FALSE(pEntry->area.empty()) << k.code;
        EXPECT_EQ(catalogue.GetAt(catalogue.IndexOf(k.code)).nCode, k.code);
    }
    // Not a system, not in the register, and a system with no ESRI form.
    for (int code : {0, -4326, 4979, 999999, 3139})
        EXPECT_EQ(catalogue.Find(code), nullptr) << code;

    for (size_t i = 0; i < catalogue.GetSize(); ++i)
    {
        const CCrsEntry& entry = catalogue.GetAt(i);
        if (i > 0)
        {
            ASSERT_LT(catalogue.GetAt(i - 1).nCode, entry.nCode);
        }
        ASSERT_EQ(entry.wkt.substr(0, 7), entry.bGeographic ? "GEOGCS[" : "PROJCS[") << entry.nCode;
        ASSERT_EQ(entry.wkt.back(), ']') << entry.nCode;
    }
    EXPECT_EQ(std::string(kCrsCatalogueSource).substr(0, 6), "EPSG v");
}

TEST(CrsCatalogue, RefusesDamagedData)
{
    const char* damaged[] = {
        "4326\tG\tWGS 84\tWorld.\n",                            // no WKT
        "4326\tG\tWGS 84\tWorld.\tGEOGCS[]",                    // no line end
        "4326\tX\tWGS 84\tWorld.\tGEOGCS[]\n",                  // neither kind
        "43a6\tG\tWGS 84\tWorld.\tGEOGCS[]\n",                  // not a code
        "0\tG\tWGS 84\tWorld.\tGEOGCS[]\n",                     // no code
        "4326\tG\tWGS 84\tWorld.\t\n",                          // empty WKT
        "4326\tG\ta\tb\tGEOGCS[]\n4269\tG\tc\td\tGEOGCS[]\n",   // codes out of order
        "4326\tG\ta\tb\tGEOGCS[]\n4326\tG\tc\td\tGEOGCS[]\n",   // a code twice
    };
    for (const char* text : damaged)
    {
        CCrsCatalogue catalogue;
        EXPECT_FALSE(catalogue.LoadText(text)) << text;
        EXPECT_EQ(catalogue.GetSize(), 0u) << text;
    }
    CCrsCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadText("4269\tG\tNAD83\tNorth America.\tGEOGCS[a]\n27700\tP\tOSGB\tUK.\tPROJCS[b]\n"));
    ASSERT_EQ(catalogue.GetSize(), 2u);
    EXPECT_EQ(catalogue.Find(27700)->wkt, "PROJCS[b]");
    EXPECT_FALSE(catalogue.Find(27700)->bGeographic);

    // Compressed data cut short, or claiming another size, loads nothing.
    CCrsCatalogue cut;
    EXPECT_FALSE(cut.LoadCompressed(kCrsCatalogueData, kCrsCatalogueDataSize / 2, kCrsCatalogueTextSize));
    EXPECT_FALSE(cut.LoadCompressed(kCrsCatalogueData, kCrsCatalogueDataSize, kCrsCatalogueTextSize - 1));
    EXPECT_EQ(cut.GetSize(), 0u);
}

struct SearchCase
{
    const char* query;
    int first;       // the best match, 0 for no match at all
    int alsoFound;   // another code that must be among the results, or 0
};

std::vector<int> Codes(const std::vector<int>& indices)
{
    std::vector<int> codes;
    for (int i : indices)
        codes.push_back(EmbeddedCrsCatalogue().GetAt(i).nCode);
    return codes;
}

TEST(CrsSearch, FindsByCodeOrByEveryWordOfTheName)
{
    const SearchCase cases[] = {
        {"", 0, 0},
        {"   ", 0, 0},
        {"27700", 27700, 0},
        {"EPSG:27700", 27700, 0},
        {"epsg 4326", 4326, 0},
        {" EPSG:3857 ", 3857, 0},
        {"british national grid", 27700, 0},
        {"GRID national BRITISH", 27700, 0},
        {"wgs 84", 4326, 32633},
        {"wgs84 utm 33n", 32633, 0},
        {"utm 33S WGS", 32333, 32733},
        {"UTM 33S wgs 84", 32733, 0},
        {"lambert-93", 2154, 0},
        {"osgb36", 4277, 27700},
        {"no such system anywhere", 0, 0},
        {"EPSG:99999999", 0, 0},
    };
    for (const SearchCase& c : cases)
    {
        const std::vector<int> found = Codes(SearchCrs(EmbeddedCrsCatalogue(), c.query));
        if (c.first == 0)
        {
            EXPECT_TRUE(found.empty()) << c.query;
            continue;
        }
        ASSERT_FALSE(found.empty()) << c.query;
        EXPECT_EQ(found[0], c.first) << c.query;
        if (c.alsoFound)
        {
            EXPECT_NE(std::find(found.begin(), found.end(), c.alsoFound), found.end()) << c.query;
        }
        std::vector<int> unique = found;
        std::sort(unique.begin(), unique.end());
        EXPECT_EQ(std::unique(unique.begin(), unique.end()), unique.end()) << c.query << ": a system listed twice";
    }

    // A code prefix lists only codes that begin with it, ascending; a bare
    // number also finds the names that carry it, after the codes.
    const std::vector<int> prefix = Codes(SearchCrs(EmbeddedCrsCatalogue(), "EPSG:3263"));
    ASSERT_GT(prefix.size(), 10u);
    EXPECT_TRUE(std::is_sorted(prefix.begin(), prefix.end()));
    for (int code : prefix)
        EXPECT_EQ(std::to_string(code).substr(0, 4), "3263");
    const std::vector<int> bare = Codes(SearchCrs(EmbeddedCrsCatalogue(), "1942"));
    EXPECT_NE(std::find(bare.begin(), bare.end(), 4284), bare.end()) << "Pulkovo 1942 by its name";

    // Every word in every listed name.
    for (int index : SearchCrs(EmbeddedCrsCatalogue(), "zone 32N etrs89"))
    {
        const std::string name(EmbeddedCrsCatalogue().GetAt(index).name);
        EXPECT_NE(name.find("zone 32N"), std::string::npos) << name;
        EXPECT_NE(name.find("ETRS89"), std::string::npos) << name;
    }
}

}   // namespace
