#include "app/ScanLimits.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "core/raster/Transpose.h"

namespace
{
// The view's paint buffer covers at most the whole screen, and Copy's
// bands take a few megabytes more.
unsigned long long PaintBufferBytes()
{
    const unsigned long long cx = std::max(1, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    const unsigned long long cy = std::max(1, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    return (cx * 3 + 3) * cy + (16ull << 20);
}

// The largest block of address space that can be reserved now, to a
// megabyte, up to cbMost.
unsigned long long LargestReservable(unsigned long long cbMost)
{
    const unsigned long long step = 1ull << 20;
    unsigned long long low = 0, high = std::min<unsigned long long>(cbMost, SIZE_MAX) + 1;
    while (high - low > step)
    {
        const unsigned long long middle = low + (high - low) / 2;
        if (void* p = VirtualAlloc(nullptr, static_cast<SIZE_T>(middle), MEM_RESERVE, PAGE_NOACCESS))
        {
            VirtualFree(p, 0, MEM_RELEASE);
            low = middle;
        }
        else
        {
            high = middle;
        }
    }
    return low;
}

// The blocks of address space this process can reserve now and the memory
// the system can still commit to it.
CMemoryRoom MeasureMemoryRoom()
{
    CMemoryRoom room;
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    if (!GlobalMemoryStatusEx(&status))
        return room;
    room.cbCommit = status.ullAvailPageFile;
    // Only reserved, never committed: finding the blocks costs no memory.
    const unsigned long long cbMost = std::min(status.ullAvailVirtual, status.ullAvailPageFile);
    std::vector<void*> held;
    for (int k = 0; k < 4; ++k)
    {
        const unsigned long long cb = LargestReservable(cbMost);
        void* p = cb ? VirtualAlloc(nullptr, static_cast<SIZE_T>(cb), MEM_RESERVE, PAGE_NOACCESS) : nullptr;
        if (!p)
            break;
        held.push_back(p);
        room.blocks.push_back(cb);
    }
    for (void* p : held)
        VirtualFree(p, 0, MEM_RELEASE);
    // The GUI tests make the process look small, so that a scan opens
    // reduced; the variable's name says it is no setting for users. It can
    // only take room away.
    wchar_t value[32] = {};
    const DWORD cch =
        GetEnvironmentVariableW(L"QUARVEX_TEST_ONLY_MEMORY_ROOM_MB", value, static_cast<DWORD>(std::size(value)));
    const unsigned long long cbCap = cch > 0 && cch < std::size(value) ? std::wcstoull(value, nullptr, 10) << 20 : 0;
    if (cbCap > 0)
    {
        room.blocks.assign(1, room.blocks.empty() ? 0 : std::min(room.blocks.front(), cbCap));
        room.cbCommit = std::min(room.cbCommit, cbCap);
    }
    return room;
}
}   // namespace

bool CanHoldScan(const CScanHeader& header)
{
    return BlocksFit(ScanBlocks(header.nWidth, header.nHeight, header.cbDecodedPixel,
                                header.bFileHeld ? header.cbFile : 0, PaintBufferBytes()),
                     MeasureMemoryRoom());
}

size_t ChooseOpenLevel(const CScanHeader& full, const std::vector<CScanLevel>& levels)
{
    const int chosen = ChooseScanLevel(levels, full.cbDecodedPixel, full.bFileHeld ? full.cbFile : 0,
                                       PaintBufferBytes(), MeasureMemoryRoom());
    return chosen < 0 ? 0 : static_cast<size_t>(chosen);
}

unsigned long long ScanBytesNeeded(const CScanHeader& header)
{
    unsigned long long total = 0;
    for (unsigned long long cb : ScanBlocks(header.nWidth, header.nHeight, header.cbDecodedPixel,
                                            header.bFileHeld ? header.cbFile : 0, PaintBufferBytes()))
        total += cb;
    return total;
}

long long LargestScanPixelsNow() { return LargestScanPixels(MeasureMemoryRoom(), 0.1, PaintBufferBytes()); }

long long TransposeCellLimit() { return sizeof(void*) > 4 ? kMaxTransposedPixels64 : kMaxTransposedPixels; }
