// Times JpegFile::JpegFileToRGB on one file, natively or under Wine: the
// whole call as the document makes it (read the file, decode, RGB buffer).
// Usage: jpeg_decode_timer FILE.jpg [REPEATS]
// Prints: width height best_ms median_ms checksum
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/jpeg/JpegFile.h"

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: jpeg_decode_timer FILE.jpg [REPEATS]\n");
        return 2;
    }
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::vector<double> milliseconds;
    CRgbImage image;
    uint64_t checksum = 0;
    for (int i = 0; i < repeats; ++i)
    {
        const auto start = std::chrono::steady_clock::now();
        const bool decoded = JpegFile::JpegFileToRGB(argv[1], &image);
        const auto stop = std::chrono::steady_clock::now();
        if (!decoded)
        {
            std::fprintf(stderr, "jpeg_decode_timer: cannot decode %s\n", argv[1]);
            return 1;
        }
        milliseconds.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
        // A sum over every 4099th byte, so that the buffer is used and the
        // runs can be compared across builds.
        checksum = 0;
        const size_t bytes = image.ByteCount();
        for (size_t at = 0; at < bytes; at += 4099)
            checksum = checksum * 31 + image.Pixels()[at];
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("%d %d %.1f %.1f %016llx\n", image.Width(), image.Height(), milliseconds.front(),
                milliseconds[milliseconds.size() / 2], static_cast<unsigned long long>(checksum));
    return 0;
}
