// Which image pixels a paint covers, and their device pixels at a zoom:
// the portable half of painting the image.
#pragma once

#include <cstddef>
#include <vector>

// Image pixels [left, right) x [top, bottom).
struct PixelRange
{
    int left;
    int top;
    int right;
    int bottom;
    bool IsEmpty() const { return left >= right || top >= bottom; }
};

// The image pixels that meet the update rectangle (client units) at scroll
// position (nScrollX, nScrollY) and zoom, widened by one image pixel on each
// side, and limited to an image of nWidth x nHeight.
PixelRange PaintedPixelRange(int nScrollX, int nScrollY, int nUpdateLeft, int nUpdateTop, int nUpdateRight,
                             int nUpdateBottom, int nZoom, int nWidth, int nHeight);

// The pixels of range from an RGB image (3 bytes a pixel, rows top-down,
// no padding) nWidth pixels wide, each repeated as a nZoom x nZoom block,
// as 24-bit blue-green-red rows, the top row first, each row padded to a
// multiple of 4 bytes. Returns the row length in bytes.
size_t ExpandPixelsToBgr(const unsigned char* pRgb, int nWidth, const PixelRange& range, int nZoom,
                         std::vector<unsigned char>& out);
