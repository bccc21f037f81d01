// Times the decoding of one scan, natively or under Wine: the whole call as
// the document makes it (ReadScanFile: read the file, decode on every core
// the format allows, RGB buffer), or a JPEG 2000 at 1/2^REDUCE of its size.
// Usage: scan_decode_timer FILE [REPEATS] [REDUCE]
// Prints: width height best_ms median_ms checksum
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/io/StdioFileSystem.h"
#include "core/scan/Jp2Scan.h"
#include "core/scan/ScanReader.h"

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: scan_decode_timer FILE [REPEATS] [REDUCE]\n");
        return 2;
    }
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const int reduce = argc > 3 ? std::atoi(argv[3]) : 0;
    std::vector<double> milliseconds;
    CRgbImage image;
    uint64_t checksum = 0;
    for (int i = 0; i < repeats; ++i)
    {
        const auto start = std::chrono::steady_clock::now();
        const ScanReadStatus status = reduce > 0
                                          ? ReadJp2Scan(argv[1], &image, CScanReadOptions(), StdioFileSystem(), reduce)
                                          : ReadScanFile(argv[1], &image, CScanReadOptions(), StdioFileSystem());
        const auto stop = std::chrono::steady_clock::now();
        if (!status.Ok())
        {
            std::fprintf(stderr, "scan_decode_timer: cannot decode %s: %s\n", argv[1], status.Detail().c_str());
            return 1;
        }
        milliseconds.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
        // A sum over every 4099th byte, so that the buffer is used and the
        // runs can be compared across builds.
        checksum = 0;
        for (size_t at = 0; at < image.ByteCount(); at += 4099)
            checksum = checksum * 31 + image.Pixels()[at];
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("%d %d %.1f %.1f %016llx\n", image.Width(), image.Height(), milliseconds.front(),
                milliseconds[milliseconds.size() / 2], static_cast<unsigned long long>(checksum));
    return 0;
}
