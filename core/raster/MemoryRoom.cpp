#include "core/raster/MemoryRoom.h"

#include <algorithm>
#include <cmath>
#include <functional>

std::vector<unsigned long long> ScanBlocks(long long nWidth, long long nHeight, size_t cbDecodedPixel,
                                           unsigned long long cbFile, unsigned long long cbPaint)
{
    // JPEG sides are at most 65,535: the products below cannot wrap.
    if (nWidth < 1 || nHeight < 1 || nWidth > 0xFFFFFFFFLL || nHeight > 0xFFFFFFFFLL / nWidth)
        return {};
    const unsigned long long pixels =
        static_cast<unsigned long long>(nWidth) * static_cast<unsigned long long>(nHeight);
    std::vector<unsigned long long> blocks = {pixels * cbDecodedPixel, pixels * 3, cbFile, cbPaint};
    std::sort(blocks.begin(), blocks.end(), std::greater<unsigned long long>());
    return blocks;
}

bool BlocksFit(const std::vector<unsigned long long>& blocks, const CMemoryRoom& room)
{
    if (blocks.empty())
        return false;
    unsigned long long total = kScanWorkReserve;
    std::vector<unsigned long long> places = room.blocks;
    std::vector<unsigned long long> needs = blocks;
    std::sort(needs.begin(), needs.end(), std::greater<unsigned long long>());
    for (unsigned long long need : needs)
    {
        if (need > room.cbCommit - std::min(room.cbCommit, total))
            return false;
        total += need;
        if (need == 0)
            continue;
        // The smallest place that takes it keeps the large ones for later.
        auto best = places.end();
        for (auto place = places.begin(); place != places.end(); ++place)
            if (*place >= need && (best == places.end() || *place < *best))
                best = place;
        if (best == places.end())
            return false;
        *best -= need;
    }
    return true;
}

long long LargestScanPixels(const CMemoryRoom& room, double fileBytesPerPixel, unsigned long long cbPaint)
{
    auto fits = [&](long long pixels) {
        // A square-ish scan of at least that many pixels: only the count matters.
        const long long side = std::max(1LL, static_cast<long long>(std::ceil(std::sqrt(static_cast<double>(pixels)))));
        const long long other = std::max(1LL, (pixels + side - 1) / side);
        const auto cbFile = static_cast<unsigned long long>(fileBytesPerPixel * static_cast<double>(side * other));
        return BlocksFit(ScanBlocks(side, other, 3, cbFile, cbPaint), room);
    };
    // JPEG's own bound: 65,535 pixels a side.
    long long low = 0, high = 65535LL * 65535LL;
    if (fits(high))
        return high;
    while (high - low > 1)
    {
        const long long middle = low + (high - low) / 2;
        (fits(middle) ? low : high) = middle;
    }
    return low;
}

int ChooseScanLevel(const std::vector<CScanLevel>& levels, size_t cbDecodedPixel, unsigned long long cbFile,
                    unsigned long long cbPaint, const CMemoryRoom& room)
{
    int best = -1;
    long long bestPixels = 0;
    for (size_t i = 0; i < levels.size(); ++i)
    {
        const CScanLevel& level = levels[i];
        const long long pixels = static_cast<long long>(level.nWidth) * level.nHeight;
        if ((best < 0 || pixels > bestPixels) &&
            BlocksFit(ScanBlocks(level.nWidth, level.nHeight, cbDecodedPixel, cbFile, cbPaint), room))
        {
            best = static_cast<int>(i);
            bestPixels = pixels;
        }
    }
    return best;
}
