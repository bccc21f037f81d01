// The client-point-to-pixel rule of the view's mouse handling and the map
// read-out of the status line.
#include <gtest/gtest.h>

#include <clocale>
#include <vector>

#include "core/view/InputRules.h"

TEST(ViewInputRules, ClientPointToPixelAddsScrollThenDividesByZoom)
{
    struct Case
    {
        int x, y, scrollX, scrollY, zoom, column, row;
    };
    const Case cases[] = {
        {37, 18, 100, 50, 2, 68, 34},                          // (37 + 100) / 2, (18 + 50) / 2
        {37, 18, 0, 0, 1, 37, 18},    {3, 3, 0, 0, 4, 0, 0},   // inside the first 4 x 4 block
        {4, 7, 0, 0, 4, 1, 1},        {0, 0, 203, 51, 4, 50, 12},
        {-3, -1, 0, 0, 2, -1, 0},   // truncation toward zero left of the image
    };
    for (const Case& c : cases)
    {
        ImagePixel pixel = ClientPointToPixel(c.x, c.y, c.scrollX, c.scrollY, c.zoom);
        EXPECT_EQ(pixel.column, c.column) << c.x << "," << c.y << " zoom " << c.zoom;
        EXPECT_EQ(pixel.row, c.row) << c.x << "," << c.y << " zoom " << c.zoom;
    }
}

TEST(ViewInputRules, MapReadoutHasSixDecimalsAndTheRotationInDegrees)
{
    // 0.0624188... rad is 3.576... deg with the rounded pi of the fit.
    EXPECT_EQ(FormatMapReadout(7.0, 45.0, 0.0624188), "7.000000, 45.000000 r=3.58 deg");
    EXPECT_EQ(FormatMapReadout(-123.4567891, 451.5, -1.5707963265), "-123.456789, 451.500000 r=-90.00 deg");
    EXPECT_EQ(FormatMapReadout(500000.25, 5123456.125, 0.0), "500000.250000, 5123456.125000 r=0.00 deg");
    // The rounded pi: exactly 3.141592653 rad reads as 180.00, not 179.99.
    EXPECT_EQ(FormatMapReadout(0.0, 0.0, 3.141592653), "0.000000, 0.000000 r=180.00 deg");
}

TEST(ViewInputRules, TypedReadoutInDegreesMinutesAndSecondsOrMetres)
{
    const struct
    {
        double x, y;
        bool bGeographic;
        const char* expected;
    } cases[] = {
        {15.0 + 26 / 60.0 + 41 / 3600.0, 47.0 + 12 / 60.0 + 3 / 3600.0, true,
         "47\xC2\xB0"
         "12'03\"N 15\xC2\xB0"
         "26'41\"E"},
        // 59.6 seconds carry into the minute, and the minute into the degree.
        {-(3.0 + 59 / 60.0 + 59.6 / 3600.0), -0.4 / 3600.0, true,
         "0\xC2\xB0"
         "00'00\"N 4\xC2\xB0"
         "00'00\"W"},
        {-179.5, -33.25, true,
         "33\xC2\xB0"
         "15'00\"S 179\xC2\xB0"
         "30'00\"W"},
        {533210.004, 5228930.5, false, "E 533210.00 N 5228930.50"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatTypedReadout(c.x, c.y, c.bGeographic), c.expected) << c.x << " " << c.y;
}

TEST(ViewInputRules, MapReadoutKeepsTheDecimalPointInACommaLocale)
{
    const char* pszComma = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE", "German_Germany.1252", "fr_FR.UTF-8"})
        if ((pszComma = std::setlocale(LC_NUMERIC, name)) != nullptr)
            break;
    if (!pszComma)
        GTEST_SKIP() << "no locale with a decimal comma installed";
    std::string readout = FormatMapReadout(7.5, 45.25, 0.0);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(readout, "7.500000, 45.250000 r=0.00 deg");
}

TEST(ViewInputRules, APressTakesTheNearestMarkerWithinTheRadius)
{
    const std::vector<CGeoRefPoint> points = {CGeoRefPoint(0, 0, 10, 20), CGeoRefPoint(0, 0, 14, 20),
                                              CGeoRefPoint(0, 0, 100, 100)};
    struct Case
    {
        int x, y, scrollX, scrollY, zoom, hit;
    };
    const Case cases[] = {
        {11, 20, 0, 0, 1, 0},   {13, 21, 0, 0, 1, 1},   // the nearer of two close markers
        {22, 20, 0, 0, 1, -1},  {20, 40, 0, 0, 2, 0},   // at zoom 2 the marker of (10, 20) is at (20, 40)
        {5, 5, 195, 195, 2, 2}, {100, 109, 0, 0, 1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HitMarker(points, c.x, c.y, c.scrollX, c.scrollY, c.zoom, 6), c.hit) << c.x << "," << c.y;
}

TEST(ViewInputRules, DialogGoesBesideThePointNeverOverItAndStaysOnTheScreen)
{
    const ScreenRect screen = {0, 0, 1280, 1024};
    struct Case
    {
        const char* where;
        int x, y;
    };
    const Case cases[] = {
        {"middle", 640, 500},         {"top-left corner", 3, 2}, {"right edge", 1270, 500},
        {"bottom-right", 1275, 1020}, {"near the top", 640, 4},  {"left edge, low", 2, 1000},
    };
    const int cx = 330, cy = 120, clearance = 16;
    for (const Case& c : cases)
    {
        int left = -1, top = -1;
        PlaceBesidePoint(c.x, c.y, clearance, cx, cy, screen, &left, &top);
        EXPECT_GE(left, screen.left) << c.where;
        EXPECT_GE(top, screen.top) << c.where;
        EXPECT_LE(left + cx, screen.right) << c.where;
        EXPECT_LE(top + cy, screen.bottom) << c.where;
        const bool coversPoint = c.x + clearance > left && c.x - clearance < left + cx && c.y + clearance > top &&
                                 c.y - clearance < top + cy;
        EXPECT_FALSE(coversPoint) << c.where << " at " << left << "," << top;
    }
    // Preferred to the right of the point, level with it.
    int left = 0, top = 0;
    PlaceBesidePoint(640, 500, clearance, cx, cy, screen, &left, &top);
    EXPECT_EQ(left, 656);
    EXPECT_EQ(top, 440);
    // A dialog larger than the screen shows its top-left corner.
    PlaceBesidePoint(640, 500, clearance, 2000, 2000, screen, &left, &top);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(top, 0);
}
