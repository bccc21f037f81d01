// What every decoder of a scan shares: the header it shows before the
// pixels are decoded, the options of a read, and why a read failed.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/base/Status.h"

struct CScanHeader
{
    int nWidth = 0;
    int nHeight = 0;
    size_t cbDecodedPixel = 3;   // the bytes a pixel takes while decoding (4 for CMYK, narrowed to RGB after)
    unsigned long long cbFile = 0;
    // The decoder holds the whole file in memory while it decodes (JPEG);
    // the others stream it.
    bool bFileHeld = false;
    // The file's own bands as other tools count them, before our decoding
    // turns every scan into RGB: 1 (grey, or palette indices with the
    // colour table), 2 (grey and alpha), 3 (RGB) or 4 (RGBA).
    int nFileBands = 3;
    bool bFilePalette = false;
    std::vector<unsigned char> filePalette;   // RGB a palette index, in index order
    bool bFile16Bit = false;                  // samples of 16 bits
};

// One resolution a file offers: its size, and how many full-resolution
// pixels one of its pixels spans on each axis (1 for the full image; 2, 4,
// 8 for JPEG's and JPEG 2000's halvings; full size over its own for a TIFF
// overview, which need not be a power of two).
struct CScanLevel
{
    int nWidth = 0;
    int nHeight = 0;
    double dScaleX = 1.0;
    double dScaleY = 1.0;
};

// Why a scan was not read; the status's detail names the file, or gives
// the decoder's own words.
enum class ScanReadError
{
    None,
    CannotOpen,     // missing or unreadable file
    ReadFailed,     // a read stopped before the end of the file
    NotDecodable,   // empty, not of the format, or damaged (detail: the decoder's message)
    NoMemory,       // the image or the file could not be held
    Refused,        // refused by acceptHeader before the pixels were decoded
};
using ScanReadStatus = CStatus<ScanReadError>;

struct CScanReadOptions
{
    // Asked once the header is read, before the pixels are decoded or any
    // pixel buffer is allocated; false refuses the image at once.
    std::function<bool(const CScanHeader& header)> acceptHeader;
    // Asked once, before acceptHeader, when the file offers reduced
    // resolutions, with the full image's header: levels[0] is the full
    // image, the rest smaller. The index returned is the level decoded (and
    // the one acceptHeader then sees); unset, or out of range, the full
    // image is decoded. A decoder whose file offers no reduction asks nothing.
    std::function<size_t(const CScanHeader& full, const std::vector<CScanLevel>& levels)> chooseLevel;
    // Told the share of the decoding done, from 0 to 1, now and then.
    std::function<void(double done)> progress;
};

// Whether the program opens a file of this name as a scan: .jpg, .jpeg,
// .tif, .tiff, .jp2, .j2k and .png, in any letter case. The decoder is then
// chosen by the file's first bytes, not by its name.
bool IsScanFileName(const std::string& path);
