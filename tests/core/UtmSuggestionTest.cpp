// The UTM zone offered for points typed in degrees. Expected codes from
// pyproj's query_utm_crs_info (PROJ's areas of use) for each place.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/crs/CrsCatalogue.h"
#include "core/crs/UtmSuggestion.h"

TEST(UtmSuggestion, ZoneOfPlaceAsPROJsAreasOfUseHaveIt)
{
    const struct
    {
        double lon, lat;
        int code;
    } cases[] = {
        {15.4447, 47.2008, 32633},
        {-74.0, 40.7, 32618},
        {151.2, -33.9, 32756},
        {-179.5, -10.0, 32701},
        {179.9, 65.0, 32660},
        {3.0, 0.5, 32631},
        {-0.1, 51.5, 32630},
        {0.1, -0.1, 32731},
        // The edges: 180 belongs to zone 60, the zones end at 84N and 80S.
        {180.0, 10.0, 32660},
        {-180.0, 10.0, 32601},
        {10.0, 84.0, 32632},
        {10.0, 84.5, 0},
        {10.0, -80.5, 0},
        {180.5, 0.0, 0},
        {1e300, 0.0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UtmZoneAt(c.lon, c.lat), c.code) << c.lon << " " << c.lat;
    EXPECT_EQ(UtmZoneAt(std::nan(""), 10.0), 0);

    const CCrsEntry* pEntry = EmbeddedCrsCatalogue().Find(UtmZoneAt(15.0, -30.0));
    ASSERT_NE(pEntry, nullptr);
    EXPECT_EQ(pEntry->name, "WGS 84 / UTM zone 33S");
}

TEST(UtmSuggestion, CentreOfThePointsSwitchedOn)
{
    // A sheet straddling 12E: its centre decides, a switched-off outlier does not.
    std::vector<CGeoRefPoint> points = {{11.0, 47.0, 0, 0}, {14.0, 49.0, 100, 100}, {-70.0, 10.0, 50, 50}};
    points[2].m_bOff = true;
    EXPECT_EQ(SuggestUtmZone(points), 32633);
    points.pop_back();
    points[1].m_dMapX = 12.5;
    EXPECT_EQ(SuggestUtmZone(points), 32632);
    EXPECT_EQ(SuggestUtmZone({}), 0);
}
