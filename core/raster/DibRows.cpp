#include "core/raster/DibRows.h"

#include <cstdint>

size_t DibRowStride(size_t nWidth) { return (nWidth * 3 + 3) & ~static_cast<size_t>(3); }

bool DibImageSize(int nWidth, int nHeight, size_t* pcbImage)
{
    if (nWidth < 1 || nHeight < 1)
        return false;
    // In 64 bits, whatever the platform: the product must not wrap.
    const uint64_t bytes =
        static_cast<uint64_t>(DibRowStride(static_cast<size_t>(nWidth))) * static_cast<uint64_t>(nHeight);
    // A DIB's size field is a 32-bit DWORD, and the block must be addressable.
    if (bytes > 0xFFFFFFFFu || bytes > static_cast<uint64_t>(SIZE_MAX))
        return false;
    *pcbImage = static_cast<size_t>(bytes);
    return true;
}

void FillBottomUpDib(const unsigned char* pRgb, int nWidth, int nHeight, unsigned char* pBits)
{
    const size_t stride = DibRowStride(static_cast<size_t>(nWidth));
    const size_t rgbRowBytes = static_cast<size_t>(nWidth) * 3;
    for (int row = 0; row < nHeight; ++row)
    {
        // DIB rows run from the bottom of the picture upwards.
        const unsigned char* src = pRgb + static_cast<size_t>(nHeight - 1 - row) * rgbRowBytes;
        unsigned char* dst = pBits + static_cast<size_t>(row) * stride;
        for (int col = 0; col < nWidth; ++col, src += 3, dst += 3)
        {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        for (size_t pad = rgbRowBytes; pad < stride; ++pad)
            *dst++ = 0;
    }
}

void FillBottomUpDib32(const unsigned char* pRgb, int nWidth, int nHeight, unsigned char* pBits)
{
    const size_t rgbRowBytes = static_cast<size_t>(nWidth) * 3;
    for (int row = 0; row < nHeight; ++row)
    {
        const unsigned char* src = pRgb + static_cast<size_t>(nHeight - 1 - row) * rgbRowBytes;
        unsigned char* dst = pBits + static_cast<size_t>(row) * nWidth * 4;
        for (int col = 0; col < nWidth; ++col, src += 3, dst += 4)
        {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            dst[3] = 0;
        }
    }
}
