// The largest scan this build of the program can work on, measured in the
// running process: what it can still hold against what a scan needs at once.
#pragma once

#include "core/raster/ScanFile.h"
#include "core/raster/MemoryRoom.h"

#include <vector>

// Whether a scan with this header can be opened, transposed and painted in
// what the process can hold now.
bool CanHoldScan(const CScanHeader& header);

// The level of a scan to open (an index into levels, levels[0] the full
// image of header full): the largest that the process can hold now; the
// full image when none fits, which acceptHeader then refuses.
size_t ChooseOpenLevel(const CScanHeader& full, const std::vector<CScanLevel>& levels);

// The bytes a scan with this header needs at once: the figure the user is
// told when it opens reduced.
unsigned long long ScanBytesNeeded(const CScanHeader& header);

// The largest scan, in pixels, that this process could open now (a JPEG of
// a tenth of a byte a pixel).
long long LargestScanPixelsNow();

// The most cells Transpose attempts in this build.
long long TransposeCellLimit();
