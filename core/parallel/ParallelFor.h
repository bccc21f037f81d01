// Work split by bands across the machine's cores: the caller's function runs
// on [first, last) ranges of a count (rows of an output image, say), each
// band on one thread, with no lock in the caller's inner loop.
#pragma once

#include <functional>

// The number of threads the machine offers (at least 1).
int HardwareThreads();

// Calls work(first, last) over consecutive bands that together cover
// [0, nCount) exactly once, on up to nThreads threads (0: HardwareThreads()),
// bands of at least nMinBand items. Returns when every band is done. With one
// thread (or a small count) everything runs on the caller's thread. A band
// that throws stops no other band; the first exception is rethrown here once
// all have finished. False when threads could not be started (the work is
// then done on the caller's thread).
bool ParallelFor(long long nCount, const std::function<void(long long first, long long last)>& work, int nThreads = 0,
                 long long nMinBand = 1);
