#include "core/raster/RgbImage.h"

#include <cstdint>
#include <new>

bool ImageSizeFits(long long nWidth, long long nHeight, size_t cbPerPixel)
{
    if (nWidth < 1 || nHeight < 1 || nWidth > INT32_MAX || nHeight > INT32_MAX || cbPerPixel < 1)
        return false;
    // A 32-bit process cannot address a larger object: say so before allocating.
    const uint64_t largest = static_cast<uint64_t>(PTRDIFF_MAX);
    const uint64_t pixels = static_cast<uint64_t>(nWidth) * static_cast<uint64_t>(nHeight);
    return pixels <= largest / cbPerPixel;
}

bool CRgbImage::Allocate(int nWidth, int nHeight, size_t cbPerPixel)
{
    Release();
    if (cbPerPixel < 3 || !ImageSizeFits(nWidth, nHeight, cbPerPixel))
        return false;
    const size_t cb = static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight) * cbPerPixel;
    m_pPixels.reset(new (std::nothrow) unsigned char[cb]);
    if (!m_pPixels)
        return false;
    m_nWidth = nWidth;
    m_nHeight = nHeight;
    return true;
}

void CRgbImage::Release()
{
    m_pPixels.reset();
    m_nWidth = 0;
    m_nHeight = 0;
}
