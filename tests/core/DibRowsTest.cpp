// The rows of 24-bit bottom-up bitmaps that the clipboard copy is filled from.
#include <vector>

#include <gtest/gtest.h>

#include "core/raster/DibRows.h"

TEST(Dib, BottomUpBgrRowsPaddedToFourBytes)
{
    // 3 x 2 RGB: the rows need 9 bytes, padded to 12.
    const unsigned char rgb[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    size_t cb = 0;
    ASSERT_TRUE(DibImageSize(3, 2, &cb));
    ASSERT_EQ(cb, 24u);
    std::vector<unsigned char> bits(cb, 0xAA);
    FillBottomUpDib(rgb, 3, 2, bits.data());
    const std::vector<unsigned char> expected = {12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0,
                                                 3,  2,  1,  6,  5,  4,  9,  8,  7,  0, 0, 0};
    EXPECT_EQ(bits, expected);
}

TEST(Dib, BottomUpThirtyTwoBitRows)
{
    const unsigned char rgb[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    std::vector<unsigned char> bits(24, 0xAA);
    FillBottomUpDib32(rgb, 3, 2, bits.data());
    const std::vector<unsigned char> expected = {12, 11, 10, 0, 15, 14, 13, 0, 18, 17, 16, 0,
                                                 3,  2,  1,  0, 6,  5,  4,  0, 9,  8,  7,  0};
    EXPECT_EQ(bits, expected);
}

TEST(Dib, SizesAndStrides)
{
    const struct
    {
        int width, height;
        size_t stride, bytes;
    } cases[] = {{1, 1, 4, 4}, {4, 3, 12, 36}, {5, 2, 16, 32}, {6, 1, 20, 20}, {7, 7, 24, 168}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(DibRowStride(c.width), c.stride) << c.width;
        size_t cb = 0;
        EXPECT_TRUE(DibImageSize(c.width, c.height, &cb));
        EXPECT_EQ(cb, c.bytes) << c.width << "x" << c.height;
    }
    size_t cb = 7;
    EXPECT_FALSE(DibImageSize(0, 5, &cb));
    EXPECT_FALSE(DibImageSize(5, -1, &cb));
    EXPECT_FALSE(DibImageSize(100000, 100000, &cb));   // 30 GB
    EXPECT_EQ(cb, 7u);
}
