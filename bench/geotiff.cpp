// Times the GeoTIFF export of the 27-MP and 108-MP benchmark scans (turned
// about 7 degrees) beside gdalwarp writing the same file: the whole image
// north up at the scan's pixel size, bilinear, tiled 256 x 256, DEFLATE (zlib
// level 4) with the horizontal predictor, alpha, internal overviews (gdaladdo after
// gdalwarp, which makes none itself). Each run is a process of its own,
// started from the JPEG with its georeference: wall time and peak resident
// memory, ours on one thread and on every core, gdalwarp on one thread and
// with -multi -wo NUM_THREADS=ALL_CPUS, printed side by side, with the
// memory the export is allowed: the scan, one band of output rows and the
// overviews.
//
// Usage: bench_geotiff [scan.jpg ...]; without arguments the scans of
// bench/make_scans.sh in $BENCH_BUILD/data (made there when missing).
// bench_geotiff --export scan.jpg out.tif THREADS is the timed child;
// bench_geotiff --nothing the process without any image, for its memory.
//
// bench_geotiff --models [scan.jpg] (bench/geotiff_models.sh): the same
// export of the 108-MP scan through each curved fit, from 16 control points
// on a 4 x 4 grid bent a few pixels off the scan's georeference, beside
// gdalwarp -order 2, -order 3 and -tps (and the projective mapping, which
// gdalwarp has no option for, alone) given the same points as GCPs, on one
// thread; bench_geotiff --export-model scan.jpg out.tif THREADS MODEL the child.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/ScanBench.h"
#include "core/georef/GeoRefArray.h"
#include "core/georef/NumberFormat.h"
#include "core/io/StdioFileSystem.h"
#include "core/raster/GeoTiffWriter.h"

namespace
{

bool DecodeJpeg(const std::string& path, CRgbImage* pScan)
{
    return DecodeJpegInto(
        path, [&](int width, int height) { return pScan->Allocate(width, height) ? pScan->Pixels() : nullptr; });
}

// The fit of the scan's control points, and the grid of the export.
bool FitAndGrid(const std::string& jpegPath, const CRgbImage& scan, CAffineTransform* pFit, CGeoTiffGrid* pGrid)
{
    CGeoRefArray geoRef;
    geoRef.SetImageHeight(scan.Height());
    geoRef.ReadPointFile(jpegPath.c_str());
    if (!geoRef.CalcTransform())
        return false;
    *pFit = geoRef.GetAffine();
    return CalcGeoTiffGrid(*pFit, scan.Width(), scan.Height(), geoRef.m_points, GEOTIFF_EXTENT_WHOLE_IMAGE,
                           DefaultGeoTiffPixelSize(*pFit), pGrid) == GEOTIFF_OK;
}

// The child: decode, fit, export; prints its decode and export seconds.
int ExportChild(const std::string& jpegPath, const std::string& tifPath, int threads)
{
    const double start = Now();
    CRgbImage scan;
    CAffineTransform fit;
    CGeoTiffGrid grid;
    if (!DecodeJpeg(jpegPath, &scan) || !FitAndGrid(jpegPath, scan, &fit, &grid))
        return 2;
    const double decoded = Now();
    CGeoTiffOptions options;
    options.nResampling = RESAMPLE_BILINEAR;
    options.nCompression = GEOTIFF_DEFLATE;
    options.nThreads = threads;
    if (ExportGeoTiff(StdioFileSystem(), tifPath, scan, fit, grid, CCrsRef{32633, false}, options) != GEOTIFF_OK)
        return 3;
    std::printf("%.3f %.3f\n", decoded - start, Now() - decoded);
    return 0;
}

// The bench's 16 points: a 4 x 4 grid over the scan, their map positions
// those of the scan's own georeference bent by up to about 4 pixels, so
// that every curved fit bends too.
std::vector<CGeoRefPoint> ModelPoints(const std::string& jpegPath, int width, int height)
{
    CGeoRefArray own;
    own.SetImageHeight(height);
    own.ReadPointFile(jpegPath.c_str());
    std::vector<CGeoRefPoint> points;
    if (!own.CalcTransform())
        return points;
    const CAffineTransform fit = own.GetAffine();
    const double pixel = DefaultGeoTiffPixelSize(fit);
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
        {
            const int c = static_cast<int>((0.05 + 0.3 * i) * width), r = static_cast<int>((0.05 + 0.3 * j) * height);
            const double u = 2.0 * c / width - 1.0, v = 2.0 * r / height - 1.0;
            double x, y;
            fit.Map(c, r, &x, &y);
            x += pixel * (3.0 * u * v + 1.0 * u * u * u);
            y += pixel * (2.0 * u * u - 1.5 * v * v * v);
            points.push_back(CGeoRefPoint(x, y, c, r));
        }
    return points;
}

// The child of --models: decode, fit the model, export; prints its decode
// and export seconds.
int ExportModelChild(const std::string& jpegPath, const std::string& tifPath, int threads, const std::string& model)
{
    const double start = Now();
    CRgbImage scan;
    if (!DecodeJpeg(jpegPath, &scan))
        return 2;
    CGeoRefArray geoRef;
    geoRef.SetImageHeight(scan.Height());
    geoRef.m_points = ModelPoints(jpegPath, scan.Width(), scan.Height());
    geoRef.m_nFitModel = ParseFitModelSetting(model);
    CGeoTiffGrid grid;
    if (!geoRef.CalcTransform() ||
        CalcGeoTiffGrid(geoRef.GetAffine(), scan.Width(), scan.Height(), geoRef.m_points, GEOTIFF_EXTENT_WHOLE_IMAGE,
                        DefaultGeoTiffPixelSize(geoRef.GetAffine()), &grid, geoRef.Warp()) != GEOTIFF_OK)
        return 3;
    const double decoded = Now();
    CGeoTiffOptions options;
    options.nResampling = RESAMPLE_BILINEAR;
    options.nCompression = GEOTIFF_DEFLATE;
    options.nThreads = threads;
    if (ExportGeoTiff(StdioFileSystem(), tifPath, scan, geoRef.GetAffine(), grid, CCrsRef{32633, false}, options,
                      nullptr, geoRef.Warp()) != GEOTIFF_OK)
        return 4;
    // The grid, for gdalwarp to warp onto the same cells.
    std::printf("%.3f %.3f %.10f %.10f %.10f %d %d\n", decoded - start, Now() - decoded, grid.dLeft, grid.dTop,
                grid.dPixelSize, grid.nWidth, grid.nHeight);
    return 0;
}

struct CRun
{
    bool ok = false;
    double seconds = 0.0;      // wall
    double cpuSeconds = 0.0;   // user and system, all threads of all its processes
    double peakMb = 0.0;       // the largest of the run's processes
    std::string output;
};

// Runs the commands one after the other, each a process of its own (sh -c).
CRun Run(const std::vector<std::string>& commands)
{
    CRun run;
    const double start = Now();
    for (const std::string& command : commands)
    {
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return run;
        const pid_t pid = fork();
        if (pid == 0)
        {
            dup2(pipeFds[1], 1);
            close(pipeFds[0]);
            close(pipeFds[1]);
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        char chunk[4096];
        ssize_t got;
        while ((got = read(pipeFds[0], chunk, sizeof chunk)) > 0)
            run.output.append(chunk, static_cast<size_t>(got));
        close(pipeFds[0]);
        int status = 0;
        rusage usage;
        if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        {
            std::fprintf(stderr, "failed: %s\n", command.c_str());
            return run;
        }
        run.peakMb = std::max(run.peakMb, usage.ru_maxrss / 1024.0);
        run.cpuSeconds += usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
                          usage.ru_stime.tv_usec * 1e-6;
    }
    run.seconds = Now() - start;
    run.ok = true;
    return run;
}

long long FileSize(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return -1;
    std::fseek(f, 0, SEEK_END);
    const long long size = std::ftell(f);
    std::fclose(f);
    return size;
}

int BenchScan(const std::string& self, const std::string& jpegPath, const std::string& workDir)
{
    const std::string name = jpegPath.substr(jpegPath.find_last_of('/') + 1);
    CRgbImage scan;
    CAffineTransform fit;
    CGeoTiffGrid grid;
    if (!DecodeJpeg(jpegPath, &scan) || !FitAndGrid(jpegPath, scan, &fit, &grid))
    {
        std::fprintf(stderr, "%s: cannot decode, or no usable control points\n", jpegPath.c_str());
        return 1;
    }
    const double scanMb = scan.ByteCount() / 1048576.0;
    double overviewMb = 0.0;
    for (const auto& size : GeoTiffOverviewSizes(grid.nWidth, grid.nHeight))
        overviewMb += 4.0 * size.first * size.second / 1048576.0;
    const double bandMb = 4.0 * grid.nWidth * kGeoTiffTileSize / 1048576.0;
    scan = CRgbImage();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("%s: %.1f MP -> %d x %d at %s m, bilinear, DEFLATE + predictor, tiled 256, alpha, overviews\n",
                name.c_str(), scanMb * 1048576.0 / 3e6, grid.nWidth, grid.nHeight,
                FormatFixed(grid.dPixelSize, 4).c_str());

    const std::string te =
        "-te " + FormatFixed(grid.dLeft, 6) + " " + FormatFixed(grid.dTop - grid.nHeight * grid.dPixelSize, 6) + " " +
        FormatFixed(grid.dLeft + grid.nWidth * grid.dPixelSize, 6) + " " + FormatFixed(grid.dTop, 6) + " -ts " +
        std::to_string(grid.nWidth) + " " + std::to_string(grid.nHeight);
    const std::string ours = workDir + "/" + name + ".ours.tif", theirs = workDir + "/" + name + ".gdal.tif";
    const std::string create = "-co TILED=YES -co BLOCKXSIZE=256 -co BLOCKYSIZE=256 -co COMPRESS=DEFLATE "
                               "-co PREDICTOR=2 -co ZLEVEL=4 -co BIGTIFF=NO";
    std::string levels;
    for (int factor = 2, w = grid.nWidth, h = grid.nHeight; std::min(w, h) > kGeoTiffTileSize; factor *= 2)
    {
        levels += " " + std::to_string(factor);
        w = (w + 1) / 2;
        h = (h + 1) / 2;
    }
    const auto gdal = [&](bool multi) {
        const std::string threads = multi ? " --config GDAL_NUM_THREADS ALL_CPUS" : " --config GDAL_NUM_THREADS 1";
        const std::string warpThreads = multi ? " -multi -wo NUM_THREADS=ALL_CPUS" + threads : threads;
        return std::vector<std::string>{"rm -f '" + theirs + "'",
                                        "gdalwarp -q -r bilinear -dstalpha -s_srs EPSG:32633 -t_srs EPSG:32633 " + te +
                                            " " + create + threads + " '" + jpegPath + "' '" + theirs + "'",
                                        "gdaladdo -q -r average --config COMPRESS_OVERVIEW DEFLATE --config "
                                        "PREDICTOR_OVERVIEW 2 --config ZLEVEL_OVERVIEW 4" +
                                            threads + " '" + theirs + "'" + levels};
    };
    const auto oursRun = [&](int threads) {
        return std::vector<std::string>{"'" + self + "' --export '" + jpegPath + "' '" + ours + "' " +
                                        std::to_string(threads)};
    };

    struct
    {
        const char* label;
        std::vector<std::string> commands;
        CRun best;
    } runs[] = {
        {"ours, 1 thread", oursRun(1), {}},
        {"ours, every core", oursRun(0), {}},
        {"gdalwarp + gdaladdo, 1 thread", gdal(false), {}},
        {"gdalwarp -multi, ALL_CPUS", gdal(true), {}},
    };
    const int repeats = std::max(1, std::atoi(std::getenv("REPEATS") ? std::getenv("REPEATS") : "2"));
    for (int k = 0; k < repeats; ++k)
        for (auto& run : runs)
        {
            CRun one = Run(run.commands);
            if (!one.ok)
                return 1;
            if (!run.best.ok || one.seconds < run.best.seconds)
                run.best = one;
        }

    std::printf("  %-32s %8s %8s %9s\n", "", "wall s", "cpu s", "peak MB");
    for (const auto& run : runs)
    {
        std::printf("  %-32s %8.2f %8.2f %9.0f", run.label, run.best.seconds, run.best.cpuSeconds, run.best.peakMb);
        double decode = 0, write = 0;
        if (std::sscanf(run.best.output.c_str(), "%lf %lf", &decode, &write) == 2)
            std::printf("   (decode %.2f s, export %.2f s)", decode, write);
        std::printf("\n");
    }
    std::printf("  gdalwarp 1 thread / ours every core: %.2f x;  gdalwarp -multi / ours every core: %.2f x;  "
                "gdalwarp 1 thread / ours 1 thread: %.2f x\n",
                runs[2].best.seconds / runs[1].best.seconds, runs[3].best.seconds / runs[1].best.seconds,
                runs[2].best.seconds / runs[0].best.seconds);
    std::printf("  load average at the end: %s", Run({"cut -d' ' -f1-3 /proc/loadavg"}).output.c_str());
    // What the process holds before any image: code, libraries, the C++ runtime.
    const CRun empty = Run({"'" + self + "' --nothing"});
    std::printf("  memory allowed: scan %.0f + band of 256 rows %.0f + overviews %.0f = %.0f MB, beside the %.0f MB of "
                "the process itself; ours at peak %.0f MB\n",
                scanMb, bandMb, overviewMb, scanMb + bandMb + overviewMb, empty.peakMb, runs[1].best.peakMb);
    std::printf("  files: ours %.1f MB, gdal %.1f MB\n", FileSize(ours) / 1048576.0, FileSize(theirs) / 1048576.0);
    return 0;
}

int BenchModels(const std::string& self, const std::string& jpegPath, const std::string& workDir)
{
    const std::string name = jpegPath.substr(jpegPath.find_last_of('/') + 1);
    CRgbImage scan;
    if (!DecodeJpeg(jpegPath, &scan))
        return 1;
    const std::vector<CGeoRefPoint> points = ModelPoints(jpegPath, scan.Width(), scan.Height());
    const double megapixels = scan.Width() * static_cast<double>(scan.Height()) / 1e6;
    scan = CRgbImage();
    if (points.size() != 16)
        return 1;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("%s: %.1f MP, 16 control points, bilinear, DEFLATE + predictor, tiled 256, alpha, overviews; "
                "seconds (wall), best of the runs\n",
                name.c_str(), megapixels);
    // GDAL's pixel (c, r) spans c .. c + 1: our pixel centre c is its c + 0.5.
    std::string gcps;
    for (const CGeoRefPoint& p : points)
        gcps += " -gcp " + FormatFixed(p.m_nPixelX + 0.5, 1) + " " + FormatFixed(p.m_nPixelY + 0.5, 1) + " " +
                FormatFixed(p.m_dMapX, 6) + " " + FormatFixed(p.m_dMapY, 6);
    const std::string vrt = workDir + "/" + name + ".gcps.vrt";
    if (!Run({"gdal_translate -q -of VRT -a_srs EPSG:32633" + gcps + " '" + jpegPath + "' '" + vrt + "'"}).ok)
        return 1;
    const std::string create = "-co TILED=YES -co BLOCKXSIZE=256 -co BLOCKYSIZE=256 -co COMPRESS=DEFLATE "
                               "-co PREDICTOR=2 -co ZLEVEL=4 -co BIGTIFF=NO --config GDAL_NUM_THREADS 1";
    const struct
    {
        const char* model;   // our setting's name
        const char* gdal;    // gdalwarp's transformer, "" for none
    } models[] = {{"projective", ""}, {"polynomial2", "-order 2"}, {"polynomial3", "-order 3"}, {"tps", "-tps"}};
    // CPU seconds beside the wall: on a shared machine the wall says more
    // of the load than of the work.
    std::printf("  %-12s %16s %16s %16s   %s\n", "model", "ours all", "ours 1", "gdalwarp 1",
                "gdalwarp 1 / ours 1 (wall, cpu)");
    const int repeats = std::max(1, std::atoi(std::getenv("REPEATS") ? std::getenv("REPEATS") : "1"));
    for (const auto& m : models)
    {
        const std::string ours = workDir + "/" + name + "." + m.model + ".ours.tif";
        const std::string theirs = workDir + "/" + name + "." + m.model + ".gdal.tif";
        CRun best[3];
        for (int k = 0; k < repeats; ++k)
            for (int which = 0; which < 3; ++which)
            {
                CRun one;
                if (which < 2)
                    one = Run({"'" + self + "' --export-model '" + jpegPath + "' '" + ours + "' " +
                               (which == 0 ? "0 " : "1 ") + m.model});
                else if (*m.gdal)
                {
                    // On the grid our export chose, which its child printed.
                    double decode, write, left, top, size;
                    int width, height;
                    if (std::sscanf(best[0].output.c_str(), "%lf %lf %lf %lf %lf %d %d", &decode, &write, &left, &top,
                                    &size, &width, &height) != 7)
                        return 1;
                    const std::string te = "-te " + FormatFixed(left, 6) + " " + FormatFixed(top - height * size, 6) +
                                           " " + FormatFixed(left + width * size, 6) + " " + FormatFixed(top, 6) +
                                           " -ts " + std::to_string(width) + " " + std::to_string(height);
                    std::string levels;
                    for (int factor = 2, w = width, h = height; std::min(w, h) > kGeoTiffTileSize; factor *= 2)
                    {
                        levels += " " + std::to_string(factor);
                        w = (w + 1) / 2;
                        h = (h + 1) / 2;
                    }
                    one = Run({"rm -f '" + theirs + "'",
                               "gdalwarp -q -r bilinear -dstalpha " + std::string(m.gdal) + " " + te + " " + create +
                                   " '" + vrt + "' '" + theirs + "'",
                               "gdaladdo -q -r average --config COMPRESS_OVERVIEW DEFLATE --config "
                               "PREDICTOR_OVERVIEW 2 --config ZLEVEL_OVERVIEW 4 --config GDAL_NUM_THREADS 1 '" +
                                   theirs + "'" + levels});
                }
                else
                    continue;
                if (!one.ok)
                    return 1;
                if (!best[which].ok || one.seconds < best[which].seconds)
                    best[which] = one;
            }
        const auto both = [](const CRun& run) {
            char text[64];
            std::snprintf(text, sizeof text, "%.1f (%.1f cpu)", run.seconds, run.cpuSeconds);
            return std::string(text);
        };
        if (best[2].ok)
            std::printf("  %-12s %16s %16s %16s   %.2f x, %.2f x\n", m.model, both(best[0]).c_str(),
                        both(best[1]).c_str(), both(best[2]).c_str(), best[2].seconds / best[1].seconds,
                        best[2].cpuSeconds / best[1].cpuSeconds);
        else
            std::printf("  %-12s %16s %16s %16s\n", m.model, both(best[0]).c_str(), both(best[1]).c_str(), "-");
    }
    std::printf("  load average at the end: %s", Run({"cut -d' ' -f1-3 /proc/loadavg"}).output.c_str());
    return 0;
}

}   // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--export") == 0)
        return ExportChild(argv[2], argv[3], std::atoi(argv[4]));
    if (argc == 6 && std::strcmp(argv[1], "--export-model") == 0)
        return ExportModelChild(argv[2], argv[3], std::atoi(argv[4]), argv[5]);
    if (argc >= 2 && std::strcmp(argv[1], "--models") == 0)
    {
        char self[4096] = {};
        if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
            return 1;
        std::string workDir;
        std::vector<std::string> scans = BenchScans(argc - 1, argv + 1, "geotiff", &workDir);
        if (argc == 2 && !scans.empty())
            scans = {scans.back()};   // the 108-MP scan
        int failures = 0;
        for (const std::string& scan : scans)
            failures += BenchModels(self, scan, workDir);
        return failures ? 1 : 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--nothing") == 0)
        return 0;
    std::string workDir;
    const std::vector<std::string> scans = BenchScans(argc, argv, "geotiff", &workDir);
    if (scans.empty())
        return 1;
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return 1;
    int failures = 0;
    for (const std::string& scan : scans)
        failures += BenchScan(self, scan, workDir);
    return failures ? 1 : 0;
}
