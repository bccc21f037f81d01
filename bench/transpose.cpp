// Times Transpose on the 27-MP and 108-MP benchmark scans (rotated about 7
// degrees) beside gdalwarp -r near doing the same north-up warp onto the same
// grid, each on one thread and on every core, in the same run; prints the
// wall times, the ratios and the thread count,
// and the time of one plain read and write pass over the pixels (allocate
// and copy an image of the same size) as the floor to aim at. gdalwarp runs
// twice on each: from an uncompressed copy of the scan, against our
// resampling alone, and from the JPEG, against our decoding and resampling.
//
// Usage: bench_transpose [scan.jpg ...]; without arguments the scans of
// bench/make_scans.sh in $BENCH_BUILD/data (made there when missing).
//
// Built for Win32 it times the program's own resampling instead (x86 or
// x86-64), on a decoded scan (binary PPM) with its .tvg beside it:
// bench/transpose.sh runs it under Wine. Usage: bench_transpose.exe scan.ppm ...
#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/georef/GeoRefArray.h"
#include "core/raster/Transpose.h"

namespace
{

double ProcessSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
    };
    return seconds(kernel) + seconds(user);
}

bool ReadPpm(const char* path, std::vector<unsigned char>* pRgb, int* pWidth, int* pHeight)
{
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return false;
    int maxValue = 0;
    bool ok = std::fscanf(f, "P6 %d %d %d", pWidth, pHeight, &maxValue) == 3 && maxValue == 255 &&
              std::fgetc(f) != EOF && *pWidth > 0 && *pHeight > 0;
    if (ok)
    {
        pRgb->resize(static_cast<size_t>(*pWidth) * *pHeight * 3);
        ok = std::fread(pRgb->data(), 1, pRgb->size(), f) == pRgb->size();
    }
    std::fclose(f);
    return ok;
}

}   // namespace

int main(int argc, char** argv)
{
    int failures = 0;
    for (int a = 1; a < argc; ++a)
    {
        std::vector<unsigned char> rgb;
        int width = 0, height = 0;
        CGeoRefArray geoRef;
        if (!ReadPpm(argv[a], &rgb, &width, &height))
        {
            std::fprintf(stderr, "%s: cannot read\n", argv[a]);
            ++failures;
            continue;
        }
        geoRef.SetImageHeight(height);
        geoRef.ReadPointFile(argv[a]);
        if (!geoRef.CalcTransform())
        {
            std::fprintf(stderr, "%s: no usable control points in its .tvg\n", argv[a]);
            ++failures;
            continue;
        }
        double best = 1e300;
        TransposeStatus status = TRANSPOSE_OK;
        for (int run = 0; run < 3 && status == TRANSPOSE_OK; ++run)
        {
            CTransposedImage image;
            const double start = ProcessSeconds();
            status = TransposeImage(rgb.data(), width, height, geoRef, false, &image);
            best = std::min(best, ProcessSeconds() - start);
        }
        if (status != TRANSPOSE_OK)
        {
            std::fprintf(stderr, "%s: transpose refused (status %d)\n", argv[a], static_cast<int>(status));
            ++failures;
            continue;
        }
        std::printf("%s: %d x %d (%.1f MP), %d-bit build under Wine: transpose %.3f s (processor time)\n",
                    std::strrchr(argv[a], '\\') ? std::strrchr(argv[a], '\\') + 1 : argv[a], width, height,
                    width * double(height) / 1e6, static_cast<int>(sizeof(void*) * 8), best);
    }
    return failures ? 1 : 0;
}

#else   // the native bench beside gdalwarp

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/ScanBench.h"
#include "core/georef/GeoRefArray.h"
#include "core/georef/NumberFormat.h"
#include "core/parallel/ParallelFor.h"
#include "core/raster/Transpose.h"

namespace
{

volatile unsigned char g_sink;

bool DecodeJpeg(const std::string& path, std::vector<unsigned char>* pRgb, int* pWidth, int* pHeight)
{
    return DecodeJpegInto(path, [&](int width, int height) {
        *pWidth = width;
        *pHeight = height;
        pRgb->resize(static_cast<size_t>(width) * height * 3);
        return pRgb->data();
    });
}

double RunCommand(const std::string& command)
{
    const double start = Now();
    const int rc = std::system(command.c_str());
    const double seconds = Now() - start;
    if (rc != 0)
    {
        std::fprintf(stderr, "failed (%d): %s\n", rc, command.c_str());
        return -1.0;
    }
    return seconds;
}

// On a shared machine the best of a few runs is taken.
template <typename F>
double BestOf(int runs, F run)
{
    double best = 1e300;
    for (int k = 0; k < runs; ++k)
    {
        const double start = Now();
        run();
        best = std::min(best, Now() - start);
    }
    return best;
}

int BenchScan(const std::string& jpegPath, const std::string& workDir)
{
    const std::string name = jpegPath.substr(jpegPath.find_last_of('/') + 1);
    std::vector<unsigned char> rgb;
    int width = 0, height = 0;
    const double decodeSeconds = BestOf(1, [&] { DecodeJpeg(jpegPath, &rgb, &width, &height); });
    if (rgb.empty())
    {
        std::fprintf(stderr, "%s: cannot decode\n", jpegPath.c_str());
        return 1;
    }
    CGeoRefArray geoRef;
    geoRef.SetImageHeight(height);
    geoRef.ReadPointFile(jpegPath.c_str());
    if (!geoRef.CalcTransform())
    {
        std::fprintf(stderr, "%s: no usable control points in its .tvg\n", jpegPath.c_str());
        return 1;
    }
    CTransposeExtents e;
    if (CalcTransposeExtents(geoRef, width, height, false, &e) != TRANSPOSE_OK)
        return 1;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("%s: %d x %d (%.1f MP) rotated %.2f degrees -> %d x %d\n", name.c_str(), width, height,
                width * double(height) / 1e6, geoRef.GetRotation() * 180 / kPi, e.outW, e.outH);

    // Ours: allocation, white fill and resampling, as the command does them,
    // on one thread and on every core.
    const int threads = HardwareThreads();
    CTransposedImage image;
    auto ours = [&](int nThreads) {
        return BestOf(3, [&] {
            image = CTransposedImage();
            CTransposeOptions options;
            options.nThreads = nThreads;
            if (TransposeImage(rgb.data(), width, height, geoRef, false, &image, options) != TRANSPOSE_OK)
                std::abort();
        });
    };
    const double oursOneSeconds = ours(1);
    const double oursSeconds = ours(threads);
    // The floor: one read and one write pass over as many pixels.
    const size_t cbOut = static_cast<size_t>(e.outW) * e.outH * 3;
    const double passSeconds = BestOf(3, [&] {
        std::unique_ptr<unsigned char[]> copy(new unsigned char[cbOut]);
        std::memcpy(copy.get(), rgb.data(), std::min(cbOut, rgb.size()));
        g_sink = copy[cbOut / 2];   // keeps the copy from being optimised away
    });
    // The per-pixel form, one PixelToMap a pixel, and the check that the
    // threaded path gave the very same cells.
    std::vector<unsigned char> plain(cbOut, 0xFF);
    const double plainSeconds =
        BestOf(1, [&] { ResampleNorthUpPerPixel(rgb.data(), width, height, geoRef, e, plain.data()); });
    const bool identical = std::memcmp(plain.data(), image.Pixels(), cbOut) == 0;
    plain = std::vector<unsigned char>();
    image = CTransposedImage();

    // gdalwarp onto the same grid: -te gives the outer edges, which our x0,
    // y0 and x1, y1 are. No overviews (the JPEG driver offers reduced
    // decodes), enough cache to decode each line once; one thread, then
    // every core (-multi, NUM_THREADS).
    const std::string grid = "-te " + FormatFixed(std::min(e.x0, e.x1), 6) + " " +
                             FormatFixed(std::min(e.y0, e.y1), 6) + " " + FormatFixed(std::max(e.x0, e.x1), 6) + " " +
                             FormatFixed(std::max(e.y0, e.y1), 6) + " -ts " + std::to_string(e.outW) + " " +
                             std::to_string(e.outH) + " ";
    const std::string gdalwarp = "gdalwarp -q -overwrite -ovr NONE -r near -wm 1024 --config GDAL_CACHEMAX 2048 "
                                 "-of MEM " +
                                 grid + "--config GDAL_NUM_THREADS 1 ";
    const std::string gdalwarpMulti = "gdalwarp -q -overwrite -ovr NONE -r near -wm 1024 --config GDAL_CACHEMAX 2048 "
                                      "-of MEM " +
                                      grid + "-multi -wo NUM_THREADS=ALL_CPUS --config GDAL_NUM_THREADS ALL_CPUS ";
    const std::string tif = workDir + "/" + name + ".tif";
    if (RunCommand("test -s '" + tif + "' || (gdal_translate -q -of GTiff '" + jpegPath + "' '" + tif +
                   ".part' && mv -f '" + tif + ".part' '" + tif + "')") < 0)
        return 1;
    double warpOneSeconds = 1e300, warpMultiSeconds = 1e300, warpJpegSeconds = 1e300;
    for (int k = 0; k < 2; ++k)
    {
        warpOneSeconds = std::min(warpOneSeconds, RunCommand(gdalwarp + "'" + tif + "' mem"));
        warpMultiSeconds = std::min(warpMultiSeconds, RunCommand(gdalwarpMulti + "'" + tif + "' mem"));
        warpJpegSeconds = std::min(warpJpegSeconds, RunCommand(gdalwarp + "'" + jpegPath + "' mem"));
    }
    if (warpOneSeconds < 0 || warpMultiSeconds < 0 || warpJpegSeconds < 0)
        return 1;

    std::printf("  transpose (ours), 1 thread           %7.3f s\n", oursOneSeconds);
    std::printf("  transpose (ours), %d threads          %7.3f s   %s the per-pixel statement (%.3f s)\n", threads,
                oursSeconds, identical ? "identical to" : "DIFFERENT FROM", plainSeconds);
    std::printf("  one read + one write pass            %7.3f s   ours / pass = %.2f\n", passSeconds,
                oursSeconds / passSeconds);
    std::printf("  gdalwarp -r near, 1 thread           %7.3f s   gdalwarp 1 thread / ours %d threads = %.2f\n",
                warpOneSeconds, threads, warpOneSeconds / oursSeconds);
    std::printf("  gdalwarp -r near -multi, %d threads   %7.3f s   gdalwarp %d threads / ours %d threads = %.2f\n",
                threads, warpMultiSeconds, threads, threads, warpMultiSeconds / oursSeconds);
    std::printf("  decode + transpose (ours)            %7.3f s\n", decodeSeconds + oursSeconds);
    std::printf("  gdalwarp -r near, JPEG input         %7.3f s   gdalwarp / ours = %.2f\n", warpJpegSeconds,
                warpJpegSeconds / (decodeSeconds + oursSeconds));
    return identical ? 0 : 1;
}

}   // namespace

int main(int argc, char** argv)
{
    std::string workDir;
    const std::vector<std::string> scans = BenchScans(argc, argv, "transpose", &workDir);
    if (scans.empty())
        return 1;
    int failures = 0;
    for (const std::string& scan : scans)
        failures += BenchScan(scan, workDir);
    return failures ? 1 : 0;
}

#endif
