// An image as a value: its size and one owning buffer of RGB pixels. The
// document holds the decoded scan and the resampled north-up copy as these.
#pragma once

#include <cstddef>
#include <memory>

// nWidth x nHeight pixels of 3 bytes (red, green, blue), the top row first,
// no padding between rows: pixel (c, r) starts at byte 3 * (nWidth * r + c).
class CRgbImage
{
public:
    CRgbImage() = default;
    CRgbImage(CRgbImage&&) = default;
    CRgbImage& operator=(CRgbImage&&) = default;

    // Replaces the pixels by an uninitialised buffer of the given size, with
    // room for cbPerPixel bytes a pixel (at least 3: a decoder may work in a
    // wider format before narrowing in place). False, and empty, when a size
    // is below 1 or the buffer cannot be had.
    bool Allocate(int nWidth, int nHeight, size_t cbPerPixel = 3);
    void Release();

    bool IsEmpty() const { return !m_pPixels; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    size_t PixelCount() const { return static_cast<size_t>(m_nWidth) * static_cast<size_t>(m_nHeight); }
    size_t ByteCount() const { return PixelCount() * 3; }
    size_t RowBytes() const { return static_cast<size_t>(m_nWidth) * 3; }

    unsigned char* Pixels() { return m_pPixels.get(); }
    const unsigned char* Pixels() const { return m_pPixels.get(); }
    unsigned char* Row(int nRow) { return m_pPixels.get() + RowBytes() * static_cast<size_t>(nRow); }
    const unsigned char* Row(int nRow) const { return m_pPixels.get() + RowBytes() * static_cast<size_t>(nRow); }

private:
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::unique_ptr<unsigned char[]> m_pPixels;
};

// Whether an image of this size can be held in this process's address
// space at cbPerPixel bytes a pixel.
bool ImageSizeFits(long long nWidth, long long nHeight, size_t cbPerPixel);
