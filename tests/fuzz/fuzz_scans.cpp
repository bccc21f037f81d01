// libFuzzer target for the scan decoders: any bytes under any scan name are
// decoded or refused with a cause, and a refusal leaves the image as it was.
// Run with tools/fuzz.sh; not part of the test runs.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/io/MemoryFile.h"
#include "core/scan/ScanReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMemoryFileSystem files;
    files.m_files["scan"] = std::string(reinterpret_cast<const char*>(data), size);
    CScanReadOptions options;
    // Nothing larger than a few megapixels: the fuzzer looks for faults, not for memory.
    options.acceptHeader = [](const CScanHeader& header) {
        return static_cast<long long>(header.nWidth) * header.nHeight <= 4 * 1024 * 1024;
    };
    // The smallest level a file offers, so that reduced images are read too.
    options.chooseLevel = [](const CScanHeader&, const std::vector<CScanLevel>& levels) { return levels.size() - 1; };
    CRgbImage image;
    const ScanReadStatus status = ReadScanFile("scan", &image, options, files);
    if (status.Ok() != !image.IsEmpty())
        std::abort();
    return 0;
}
