// Our JPEG decoder, over libjpeg-turbo.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "core/io/StdioFileSystem.h"
#include "core/raster/RgbImage.h"

// What a JPEG's header tells before anything is decoded.
struct CJpegHeader
{
    int nWidth = 0;
    int nHeight = 0;
    size_t cbDecodedPixel = 3;   // 4 for CMYK, narrowed to RGB after decoding
    unsigned long long cbFile = 0;
};

enum JpegReadStatus
{
    JPEG_READ_OK = 0,
    JPEG_READ_FAILED,    // missing or unreadable file, not a JPEG, a decoding error, no memory
    JPEG_READ_REFUSED,   // refused by acceptHeader before the file was read whole
};

struct CJpegReadOptions
{
    // Asked once the header is read, before the file is read whole or any
    // pixel buffer is allocated; false refuses the image at once.
    std::function<bool(const CJpegHeader& header)> acceptHeader;
    // Told the share of the decoding done, from 0 to 1, now and then.
    std::function<void(double done)> progress;
};

class JpegFile
{
public:
    // Decodes the JPEG file at fileName into *pImage as RGB (red, green,
    // blue, the top row first, no padding between rows). Grey and CMYK
    // images come out as RGB, progressive ones are decoded, the EXIF
    // orientation is left as stored. On any failure (missing or unreadable
    // file, not a JPEG, a decoding error, an image too large to hold)
    // returns false and leaves *pImage as it was.
    static bool JpegFileToRGB(const std::string& fileName, CRgbImage* pImage, CFileSystem& files = StdioFileSystem());
    // The same, with the header shown to options.acceptHeader first and the
    // decoding's progress reported.
    static JpegReadStatus ReadJpegFile(const std::string& fileName, CRgbImage* pImage, const CJpegReadOptions& options,
                                       CFileSystem& files = StdioFileSystem());
};
