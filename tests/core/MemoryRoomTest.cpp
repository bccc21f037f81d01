// Whether a scan can be held, decided from its size before decoding.
#include <gtest/gtest.h>

#include "core/raster/MemoryRoom.h"

namespace
{
const unsigned long long MB = 1ull << 20;
}

TEST(MemoryRoom, ScanNeedsItsCopyAndFileInPlacesOfTheirOwn)
{
    // Under 32-bit Wine: reservable blocks of 1883, 1007, 597 and 342 MB.
    CMemoryRoom x86;
    x86.blocks = {1883 * MB, 1007 * MB, 597 * MB, 342 * MB};
    x86.cbCommit = 24000 * MB;
    CMemoryRoom twoEqual;
    twoEqual.blocks = {1200 * MB, 1200 * MB};
    twoEqual.cbCommit = 24000 * MB;
    const struct
    {
        const char* what;
        long long width, height;
        size_t cbPixel;
        unsigned long long cbFile;
        const CMemoryRoom& room;
        bool fits;
    } cases[] = {
        {"108 MP", 12000, 9000, 3, 40 * MB, x86, true},
        // 335 MP: scan and copy of 1005 MB each, one in each of the two largest.
        {"just under the second block", 19000, 18500, 3, 150 * MB, x86, true},
        {"copy beyond the second block", 19000, 18600, 3, 150 * MB, x86, false},
        // The A0 sheet: 1.6 GB twice.
        {"560 MP", 19866, 28087, 3, 200 * MB, x86, false},
        // 380 MP: 1.1 GB as RGB, 1.5 GB while decoding CMYK.
        {"RGB", 20000, 19000, 3, 10 * MB, twoEqual, true},
        {"CMYK needs four bytes while decoding", 20000, 19000, 4, 10 * MB, twoEqual, false},
        {"file without a place", 12000, 9000, 3, 2000 * MB, x86, false},
        {"no size", 0, 9000, 3, 0, x86, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BlocksFit(ScanBlocks(c.width, c.height, c.cbPixel, c.cbFile, 8 * MB), c.room), c.fits) << c.what;
}

TEST(MemoryRoom, CommitLimitBoundsAHugeAddressSpace)
{
    CMemoryRoom x64;
    x64.blocks = {128ull << 40};
    x64.cbCommit = 8000 * MB;
    // 560 MP: 1.6 GB twice and the file.
    EXPECT_TRUE(BlocksFit(ScanBlocks(19866, 28087, 3, 200 * MB, 8 * MB), x64));
    // 1444 MP: 8.7 GB of pixels, more than can be committed.
    EXPECT_FALSE(BlocksFit(ScanBlocks(38000, 38000, 3, 200 * MB, 8 * MB), x64));
    x64.cbCommit = 64000 * MB;
    EXPECT_EQ(LargestScanPixels(x64, 0.1, 8 * MB), 65535LL * 65535LL);
}

TEST(MemoryRoom, LargestScanIsTheLastThatFits)
{
    CMemoryRoom x86;
    x86.blocks = {1883 * MB, 1007 * MB, 597 * MB, 342 * MB};
    x86.cbCommit = 24000 * MB;
    const long long largest = LargestScanPixels(x86, 0.1, 8 * MB);
    // The copy takes the 1007 MB block: about 350 million pixels.
    EXPECT_GT(largest, 340000000LL);
    EXPECT_LE(largest * 3, static_cast<long long>(1007 * MB));
    // The bound holds for square scans and for any other shape of as many pixels.
    EXPECT_TRUE(BlocksFit(ScanBlocks(largest / 20000, 20000, 3, largest / 10, 8 * MB), x86));
    EXPECT_FALSE(BlocksFit(ScanBlocks(largest / 20000 + 10, 20000, 3, largest / 10, 8 * MB), x86));
}
