// What the native benches beside gdalwarp share: the wall clock, reading a
// file, decoding a JPEG with libjpeg-turbo directly (so that a bench does not
// depend on the program's own decoder), and the scans to run on.
#pragma once

#include <turbojpeg.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

// Wall times: several threads' work is measured by the clock on the wall.
inline double Now()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// The file's bytes; none when it cannot be read.
inline std::vector<unsigned char> ReadFile(const std::string& path)
{
    std::vector<unsigned char> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb"))
    {
        unsigned char chunk[1 << 16];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
            bytes.insert(bytes.end(), chunk, chunk + got);
        std::fclose(f);
    }
    return bytes;
}

// Decodes the JPEG as RGB rows without padding into the buffer that
// allocate(width, height) returns (nullptr: no memory).
template <typename Allocate>
bool DecodeJpegInto(const std::string& path, Allocate allocate)
{
    const std::vector<unsigned char> jpeg = ReadFile(path);
    if (jpeg.empty())
        return false;
    tjhandle tj = tjInitDecompress();
    int width = 0, height = 0, subsampling, colorspace;
    unsigned char* pixels = nullptr;
    const bool ok =
        tjDecompressHeader3(tj, jpeg.data(), jpeg.size(), &width, &height, &subsampling, &colorspace) == 0 &&
        (pixels = allocate(width, height)) != nullptr &&
        tjDecompress2(tj, jpeg.data(), jpeg.size(), pixels, width, 0, height, TJPF_RGB, 0) == 0;
    tjDestroy(tj);
    return ok;
}

// The scans named on the command line, or else the benchmark scans of
// bench/make_scans.sh in $BENCH_BUILD/data (made there when missing); none
// when they cannot be made. *pWorkDir is the bench's own folder beside them.
inline std::vector<std::string> BenchScans(int argc, char** argv, const std::string& benchName, std::string* pWorkDir)
{
    std::vector<std::string> scans(argv + 1, argv + argc);
    const char* benchBuild = std::getenv("BENCH_BUILD");
    const std::string dataDir = std::string(benchBuild ? benchBuild : QUARVEX_BENCH_DIR) + "/data";
    if (scans.empty())
    {
        if (std::system(("bash '" QUARVEX_SOURCE_DIR "/bench/make_scans.sh' '" + dataDir + "' >/dev/null").c_str()) !=
            0)
            return {};
        scans = {dataDir + "/scan27.jpg", dataDir + "/scan108.jpg"};
    }
    *pWorkDir = dataDir + "/" + benchName;
    std::system(("mkdir -p '" + *pWorkDir + "'").c_str());
    return scans;
}
