// Which image pixels a paint covers and the device pixels made from them.
#include <gtest/gtest.h>

#include "core/view/PaintRegion.h"

TEST(PaintRegion, PixelRangeOfAnUpdateRectangle)
{
    struct Case
    {
        const char* what;
        int scrollX, scrollY, left, top, right, bottom, zoom, width, height;
        PixelRange expected;
    } cases[] = {
        // Zoom 2 scrolled to 101: the whole window starts at column (101 + 0 - 2) / 2.
        {"scrolled zoom 2", 101, 0, 0, 0, 200, 100, 2, 1000, 1000, {49, 0, 151, 51}},
        {"widened by a pixel", 0, 0, 10, 10, 20, 20, 1, 100, 100, {9, 9, 21, 21}},
        {"limited to the image", 0, 0, 0, 0, 500, 500, 4, 3, 2, {0, 0, 3, 2}},
        {"zoom 4 inside", 40, 80, 8, 4, 16, 12, 4, 100, 100, {11, 20, 15, 24}},
        {"beyond the image", 0, 0, 400, 0, 500, 10, 1, 300, 300, {399, 0, 300, 11}},
    };
    for (const Case& c : cases)
    {
        PixelRange range =
            PaintedPixelRange(c.scrollX, c.scrollY, c.left, c.top, c.right, c.bottom, c.zoom, c.width, c.height);
        EXPECT_EQ(range.left, c.expected.left) << c.what;
        EXPECT_EQ(range.top, c.expected.top) << c.what;
        EXPECT_EQ(range.right, c.expected.right) << c.what;
        EXPECT_EQ(range.bottom, c.expected.bottom) << c.what;
    }
    EXPECT_TRUE(PaintedPixelRange(0, 0, 400, 0, 500, 10, 1, 300, 300).IsEmpty());
}

TEST(PaintRegion, ExpandsEachPixelToAZoomBlockInBlueGreenRed)
{
    // 3 x 2 image, pixel (c, r) = (10c + r, 100 + c, 200 + r).
    std::vector<unsigned char> rgb;
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            rgb.insert(rgb.end(), {static_cast<unsigned char>(10 * c + r), static_cast<unsigned char>(100 + c),
                                   static_cast<unsigned char>(200 + r)});
    for (int zoom : {1, 2, 4})
    {
        SCOPED_TRACE(zoom);
        PixelRange range = {1, 0, 3, 2};   // columns 1 and 2
        std::vector<unsigned char> out;
        size_t stride = ExpandPixelsToBgr(rgb.data(), 3, range, zoom, out);
        const size_t cx = 2 * zoom, cy = 2 * zoom;
        EXPECT_EQ(stride % 4, 0u);
        EXPECT_GE(stride, cx * 3);
        ASSERT_EQ(out.size(), stride * cy);
        for (size_t y = 0; y < cy; ++y)
            for (size_t x = 0; x < cx; ++x)
            {
                int c = 1 + static_cast<int>(x) / zoom, r = static_cast<int>(y) / zoom;
                const unsigned char* p = &out[y * stride + 3 * x];
                ASSERT_EQ(p[2], 10 * c + r) << x << "," << y;
                ASSERT_EQ(p[1], 100 + c);
                ASSERT_EQ(p[0], 200 + r);
            }
        for (size_t y = 0; y < cy; ++y)
            for (size_t pad = cx * 3; pad < stride; ++pad)
                EXPECT_EQ(out[y * stride + pad], 0);
    }
}
