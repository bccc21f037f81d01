// Copy: the resampled image of Transpose onto the clipboard as a bitmap.
#pragma once

#include <windows.h>

#include <memory>

// A bitmap compatible with hDC (the display's own colour format), nWidth x
// nHeight pixels, holding the RGB pixels pRgb (top row first, no padding).
// Filled through 32-bit DIB rows a band at a time, nBandRows rows each (0:
// bands of a few megabytes) converted on every core, so that the transient
// copy stays small beside the image and the bitmap. nullptr when it cannot
// be made; nothing is left over.
HBITMAP CreateBitmapOfRgb(HDC hDC, const unsigned char* pRgb, int nWidth, int nHeight, int nBandRows = 0);

// A packed 24-bit bottom-up DIB of the RGB pixels (BITMAPINFOHEADER, then
// the rows) in movable global memory, the form CF_DIB takes; rows converted
// on every core. nullptr when it cannot be made.
HGLOBAL CreateDibOfRgb(const unsigned char* pRgb, int nWidth, int nHeight);

// What Copy leaves on the clipboard: a promise of the image, made into the
// bitmap only when a program pastes it (or when the owner window goes),
// so that Copy itself takes no time whatever the image's size. The bitmap
// then costs the paste what it cost Copy before: Wine copies every byte of
// it into its server at the hand-over. Holds the pixels until another
// program takes the clipboard over.
class CClipboardOffer
{
public:
    // Offers image under CF_BITMAP, or under CF_DIB when the system makes no
    // device bitmap of its size, with hOwner (a window whose procedure calls
    // OnOwnerMessage) as the clipboard's owner; hView's display sets the
    // bitmap's colour format. The string-table id of the words telling the
    // user why it failed (the clipboard in use, no bitmap of that size), or
    // 0. On failure the clipboard keeps what it held.
    // The pixels are RGB, top row first, no padding; pRgb keeps them alive.
    unsigned Offer(HWND hView, HWND hOwner, std::shared_ptr<const unsigned char> pRgb, int nWidth, int nHeight);
    // The clipboard's requests to its owner: WM_RENDERFORMAT (a paste),
    // WM_RENDERALLFORMATS (the owner is going) and WM_DESTROYCLIPBOARD
    // (the promise is no longer on the clipboard). True when message was
    // one of them.
    bool OnOwnerMessage(HWND hOwner, UINT message, WPARAM wParam);
    bool HoldsImage() const { return m_pRgb != nullptr; }

private:
    void Render();

    std::shared_ptr<const unsigned char> m_pRgb;
    int m_nWidth = 0;
    int m_nHeight = 0;
    HWND m_hView = nullptr;
    UINT m_nFormat = 0;
};
