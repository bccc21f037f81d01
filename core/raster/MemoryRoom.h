// Whether a scan can be held before anything of it is decoded: the blocks a
// scan needs at once, against what the process can still hold.
#pragma once

#include <cstddef>
#include <vector>

#include "core/raster/ScanFile.h"

// What a process can still hold, as measured by the platform layer.
struct CMemoryRoom
{
    // The largest blocks of address space it can reserve, each found while
    // holding the larger ones, largest first.
    std::vector<unsigned long long> blocks;
    // The memory the system can still commit to it.
    unsigned long long cbCommit = 0;
};

// What working on a scan holds at once besides the blocks below: thread
// stacks, the decoder's row buffers, the heap of everything else.
const unsigned long long kScanWorkReserve = 64ull << 20;

// The blocks a scan of nWidth x nHeight needs together, largest first: the
// decoded scan (cbDecodedPixel bytes a pixel while decoding), its resampled
// copy (as many cells as the scan has pixels when the whole image is
// transposed), the file's bytes while it is decoded and the paint buffers.
// Empty when a size is below 1.
std::vector<unsigned long long> ScanBlocks(long long nWidth, long long nHeight, size_t cbDecodedPixel,
                                           unsigned long long cbFile, unsigned long long cbPaint);

// Whether every block finds a place of its own among room.blocks (each
// block placed, largest first, into the smallest place that still takes it)
// and all of them with kScanWorkReserve fit in room.cbCommit.
bool BlocksFit(const std::vector<unsigned long long>& blocks, const CMemoryRoom& room);

// The most pixels of a scan (RGB, file bytes at fileBytesPerPixel of its
// pixels) that this room holds with cbPaint of paint buffers: the limit the
// program states.
long long LargestScanPixels(const CMemoryRoom& room, double fileBytesPerPixel, unsigned long long cbPaint);

// The level of a scan to open: of levels (each cbDecodedPixel bytes a pixel
// while decoding, with cbFile held beside it and cbPaint of paint buffers),
// the one of most pixels whose blocks fit room; -1 when none does.
int ChooseScanLevel(const std::vector<CScanLevel>& levels, size_t cbDecodedPixel, unsigned long long cbFile,
                    unsigned long long cbPaint, const CMemoryRoom& room);
