// The header of the 24-bit device-independent bitmaps that painting and the
// clipboard copy hand to GDI, in the row layout of core/raster/DibRows.h.
#pragma once

#include <windows.h>

// nWidth x nHeight pixels, blue-green-red, rows padded to 4 bytes; bTopDown:
// the top row first (else the bottom row first).
inline BITMAPINFO Dib24Info(int nWidth, int nHeight, BOOL bTopDown)
{
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = nWidth;
    bmi.bmiHeader.biHeight = bTopDown ? -nHeight : nHeight;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    return bmi;
}
