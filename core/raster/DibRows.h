// The row layout of a 24-bit device-independent bitmap: blue, green, red,
// each row padded with zeros to a multiple of 4 bytes. Painting and the
// clipboard hand the system pixels in this layout.
#pragma once

#include <cstddef>

// Bytes of one row nWidth pixels wide.
size_t DibRowStride(size_t nWidth);
// Bytes of a whole bitmap; false when a size is below 1 or the block would
// not fit in a bitmap's 32-bit size field or in memory on this platform.
bool DibImageSize(int nWidth, int nHeight, size_t* pcbImage);
// Fills pBits (DibImageSize bytes) from RGB pixels, top row first, with the
// rows of a bottom-up bitmap: the bottom image row first.
void FillBottomUpDib(const unsigned char* pRgb, int nWidth, int nHeight, unsigned char* pBits);
// The same rows as 32-bit pixels (blue, green, red, 0), which need no
// padding and which a 32-bit display takes without converting them.
void FillBottomUpDib32(const unsigned char* pRgb, int nWidth, int nHeight, unsigned char* pBits);
