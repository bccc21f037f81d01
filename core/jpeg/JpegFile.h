// Our JPEG decoder, over libjpeg-turbo.
#pragma once

#include <string>

#include "core/io/StdioFileSystem.h"
#include "core/raster/RgbImage.h"
#include "core/raster/ScanFile.h"

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
    static ScanReadStatus ReadJpegFile(const std::string& fileName, CRgbImage* pImage, const CScanReadOptions& options,
                                       CFileSystem& files = StdioFileSystem());
};
