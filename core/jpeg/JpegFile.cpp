// Our JPEG decoder over libjpeg-turbo's TurboJPEG interface: the same library
// and the same settings as djpeg (accurate integer DCT, smooth upsampling),
// so that our pixels equal djpeg's byte for byte.
#include "core/jpeg/JpegFile.h"

#include <climits>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include <turbojpeg.h>

namespace
{

struct FileCloser
{
    void operator()(FILE* file) const { std::fclose(file); }
};

struct DecompressorCloser
{
    void operator()(void* handle) const { tjDestroy(handle); }
};

// Reads the whole file in chunks. The size the stream reports is only a hint
// for reserving the memory at once: for a directory on Linux it is nonsense,
// and on Win32 it stops at 2 GB.
bool ReadWholeFile(const std::string& fileName, std::vector<unsigned char>& bytes)
{
    std::unique_ptr<FILE, FileCloser> file(std::fopen(fileName.c_str(), "rb"));
    if (!file)
        return false;
    const long largestHint = 1L << 30;
    const long sizeHint = std::fseek(file.get(), 0, SEEK_END) == 0 ? std::ftell(file.get()) : -1;
    std::rewind(file.get());
    if (sizeHint > 0 && sizeHint <= largestHint)
        bytes.reserve(static_cast<size_t>(sizeHint));
    // The TurboJPEG interface takes the size as an unsigned long, 32 bits on Windows.
    const unsigned long long largestSize = ULONG_MAX;
    unsigned char chunk[64 * 1024];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
    {
        if (bytes.size() + got > largestSize)
            return false;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    return !std::ferror(file.get()) && !bytes.empty();
}

// Adobe CMYK as libjpeg stores it (0 is full ink) to RGB, with the rounding
// of djpeg's PPM writer, r = round(c * k / 255). The conversion runs in place
// from 4 to 3 bytes a pixel: pixel i is read whole before its RGB goes to bytes
// 3i..3i+2, which lie below byte 4(i+1), where the next unread pixel begins.
void CmykToRgbInPlace(unsigned char* pixels, size_t pixelCount)
{
    for (size_t i = 0; i < pixelCount; ++i)
    {
        const unsigned c = pixels[4 * i], m = pixels[4 * i + 1], y = pixels[4 * i + 2], k = pixels[4 * i + 3];
        pixels[3 * i] = static_cast<unsigned char>((2 * c * k + 255) / 510);
        pixels[3 * i + 1] = static_cast<unsigned char>((2 * m * k + 255) / 510);
        pixels[3 * i + 2] = static_cast<unsigned char>((2 * y * k + 255) / 510);
    }
}

bool Decode(const std::vector<unsigned char>& jpeg, CRgbImage* pImage)
{
    std::unique_ptr<void, DecompressorCloser> decompressor(tjInitDecompress());
    if (!decompressor)
        return false;

    // The header reader refuses images whose subsampling has no TurboJPEG name
    // (say 2x2,1x1,2x1) after it has filled in the size and colour space, which
    // the decoder proper handles well. So its result is judged by the values:
    // a header that cannot be read leaves them at their start values, and any
    // other trouble makes the decode below fail.
    int width = 0, height = 0, subsampling = -1, colourSpace = -1;
    tjDecompressHeader3(decompressor.get(), jpeg.data(), static_cast<unsigned long>(jpeg.size()), &width, &height,
                        &subsampling, &colourSpace);
    if (width <= 0 || height <= 0 || colourSpace < 0)
        return false;

    // libjpeg converts grey and YCbCr to RGB itself, but not CMYK: that comes
    // out as CMYK and is converted here, in the same buffer.
    const bool cmyk = colourSpace == TJCS_CMYK || colourSpace == TJCS_YCCK;
    const int pixelFormat = cmyk ? TJPF_CMYK : TJPF_RGB;
    // Refused before allocating when the process cannot address it.
    CRgbImage image;
    if (!image.Allocate(width, height, static_cast<size_t>(tjPixelSize[pixelFormat])))
        return false;

    // Warnings (a truncated file, corrupt data) fail too: a map with grey
    // blocks in it must not pass for the scan.
    if (tjDecompress2(decompressor.get(), jpeg.data(), static_cast<unsigned long>(jpeg.size()), image.Pixels(), width,
                      0, height, pixelFormat, TJFLAG_STOPONWARNING) != 0)
        return false;

    if (cmyk)
        CmykToRgbInPlace(image.Pixels(), image.PixelCount());
    *pImage = std::move(image);
    return true;
}

}   // namespace

bool JpegFile::JpegFileToRGB(const std::string& fileName, CRgbImage* pImage)
{
    if (!pImage)
        return false;
    try
    {
        std::vector<unsigned char> jpeg;
        if (!ReadWholeFile(fileName, jpeg))
            return false;
        return Decode(jpeg, pImage);
    }
    catch (...)
    {
        // Out of memory while reading the file: no exception leaves the decoder.
        return false;
    }
}
