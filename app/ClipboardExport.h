// Copy: the resampled image of Transpose onto the clipboard as a bitmap.
#pragma once

#include <windows.h>

class CProgress;

// A bitmap compatible with hDC (the display's own colour format), nWidth x
// nHeight pixels, holding the RGB pixels pRgb (top row first, no padding).
// Filled through 32-bit DIB rows a band at a time, nBandRows rows each (0:
// bands of a few megabytes) converted on every core, so that the transient
// copy stays small beside the image and the bitmap. nullptr when it cannot
// be made; nothing is left over. Tells pProgress, when given, how far it got.
HBITMAP CreateBitmapOfRgb(HDC hDC, const unsigned char* pRgb, int nWidth, int nHeight, int nBandRows = 0,
                          CProgress* pProgress = nullptr);

// A packed 24-bit bottom-up DIB of the RGB pixels (BITMAPINFOHEADER, then
// the rows) in movable global memory, the form CF_DIB takes; rows converted
// on every core. nullptr when it cannot be made.
HGLOBAL CreateDibOfRgb(const unsigned char* pRgb, int nWidth, int nHeight, CProgress* pProgress = nullptr);

// Puts the image on the clipboard as CF_BITMAP, opened with hOwner, or as
// CF_DIB when no device bitmap of its size can be made. The bitmap is made
// for hView's display. Returns the string-table id of the
// words telling the user why it failed, or 0 when the clipboard holds the
// bitmap; on failure the clipboard keeps what it held, or is left empty,
// never a part-made bitmap. Tells pProgress, when given, how far it got.
unsigned CopyRgbToClipboard(HWND hView, HWND hOwner, const unsigned char* pRgb, int nWidth, int nHeight,
                            CProgress* pProgress = nullptr);

// Puts the image on the clipboard as CF_DIB only; the same results.
unsigned CopyRgbToClipboardAsDib(HWND hOwner, const unsigned char* pRgb, int nWidth, int nHeight,
                                 CProgress* pProgress = nullptr);
