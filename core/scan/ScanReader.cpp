#include "core/scan/ScanReader.h"

#include <cstring>
#include <memory>

#include "core/jpeg/JpegFile.h"
#include "core/scan/Jp2Scan.h"
#include "core/scan/PngScan.h"
#include "core/scan/TiffScan.h"

namespace
{
bool StartsWith(const unsigned char* pBytes, size_t cb, const char* pszSignature, size_t cbSignature)
{
    return cb >= cbSignature && std::memcmp(pBytes, pszSignature, cbSignature) == 0;
}
}   // namespace

ScanFormat SniffScanFormat(const unsigned char* pBytes, size_t cb)
{
    if (StartsWith(pBytes, cb, "\xFF\xD8\xFF", 3))
        return ScanFormat::Jpeg;
    // Classic TIFF (42) and BigTIFF (43), little- and big-endian.
    if (StartsWith(pBytes, cb, "II*\0", 4) || StartsWith(pBytes, cb, "MM\0*", 4) ||
        StartsWith(pBytes, cb, "II+\0", 4) || StartsWith(pBytes, cb, "MM\0+", 4))
        return ScanFormat::Tiff;
    if (StartsWith(pBytes, cb, "\x89PNG\r\n\x1A\n", 8))
        return ScanFormat::Png;
    // The JP2 signature box, or a codestream's SOC and SIZ markers.
    if (StartsWith(pBytes, cb, "\0\0\0\x0CjP  \r\n\x87\n", 12) || StartsWith(pBytes, cb, "\xFF\x4F\xFF\x51", 4))
        return ScanFormat::Jpeg2000;
    return ScanFormat::Unknown;
}

ScanReadStatus ReadScanFile(const std::string& path, CRgbImage* pImage, const CScanReadOptions& options,
                            CFileSystem& files)
{
    unsigned char first[12] = {};
    size_t cb = 0;
    {
        std::unique_ptr<CFile> file = files.OpenForReading(path);
        if (!file)
            return {ScanReadError::CannotOpen, path};
        cb = file->Read(first, sizeof first);
    }
    switch (SniffScanFormat(first, cb))
    {
    case ScanFormat::Jpeg: return JpegFile::ReadJpegFile(path, pImage, options, files);
    case ScanFormat::Tiff: return ReadTiffScan(path, pImage, options, files);
    case ScanFormat::Png: return ReadPngScan(path, pImage, options, files);
    case ScanFormat::Jpeg2000:
    {
        int nReduce = 0;
        if (options.chooseLevel)
        {
            CJp2Levels levels;
            const ScanReadStatus status = ReadJp2Levels(path, &levels, files);
            if (!status.Ok())
                return status;
            const size_t chosen = levels.levels.size() > 1 ? options.chooseLevel(levels.full, levels.levels) : 0;
            if (chosen < levels.levels.size())
                nReduce = static_cast<int>(chosen);
        }
        return ReadJp2Scan(path, pImage, options, files, nReduce);
    }
    case ScanFormat::Unknown: break;
    }
    return {ScanReadError::NotDecodable, path};
}

ScanReadStatus ReadScanHeader(const std::string& path, CScanHeader* pHeader, CFileSystem& files)
{
    CScanReadOptions options;
    bool seen = false;
    // Refused once the header is known: no pixel is decoded or held.
    options.acceptHeader = [&](const CScanHeader& header) {
        *pHeader = header;
        seen = true;
        return false;
    };
    CRgbImage none;
    const ScanReadStatus status = ReadScanFile(path, &none, options, files);
    return seen ? ScanReadStatus() : status;
}
