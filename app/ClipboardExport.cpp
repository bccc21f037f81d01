// Copy (Edit menu, Ctrl+C, Ctrl+Insert): the resampled image of Transpose
// leaves the program through the clipboard as a bitmap of exactly its size,
// or as a device-independent bitmap when the system cannot make a device
// bitmap that large; made when a program pastes it.
#include "app/ClipboardExport.h"

#include <algorithm>
#include <memory>
#include <new>

#include "app/Dib.h"
#include "core/parallel/ParallelFor.h"
#include "core/raster/DibRows.h"
#include "app/res/resource.h"
#include "winfw/FwUtil.h"
#include "winbase/Handles.h"

namespace
{
// About this many bytes of DIB rows are converted at a time.
const size_t kBandBytes = 8u << 20;

// Holds the clipboard open for its lifetime.
class CClipboardOpen
{
public:
    explicit CClipboardOpen(HWND hOwner) : m_bOpen(OpenClipboard(hOwner) != FALSE) {}
    ~CClipboardOpen()
    {
        if (m_bOpen)
            CloseClipboard();
    }
    CClipboardOpen(const CClipboardOpen&) = delete;
    CClipboardOpen& operator=(const CClipboardOpen&) = delete;
    bool IsOpen() const { return m_bOpen; }

private:
    bool m_bOpen;
};

}

HBITMAP CreateBitmapOfRgb(HDC hDC, const unsigned char* pRgb, int nWidth, int nHeight, int nBandRows)
{
    size_t cbWholeDib = 0;   // only its limits matter: the rows go a band at a time
    if (!hDC || !pRgb || !DibImageSize(nWidth, nHeight, &cbWholeDib))
        return nullptr;
    const size_t cbRow = static_cast<size_t>(nWidth) * 4;
    if (nBandRows <= 0)
        nBandRows = static_cast<int>(std::max<size_t>(1, std::min<size_t>(nHeight, kBandBytes / cbRow)));
    nBandRows = std::min(nBandRows, nHeight);

    UniqueGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(hDC, nWidth, nHeight));
    UniqueMemoryDc memory(CreateCompatibleDC(hDC));
    std::unique_ptr<unsigned char[]> band(new (std::nothrow) unsigned char[cbRow * nBandRows]);
    if (!bitmap.Get() || !memory.Get() || !band)
        return nullptr;
    {
        ScopedSelectObject select(memory.Get(), bitmap.Get());
        for (int top = 0; top < nHeight; top += nBandRows)
        {
            const int rows = std::min(nBandRows, nHeight - top);
            const unsigned char* pBandRgb = pRgb + static_cast<size_t>(top) * nWidth * 3;
            unsigned char* pBits = band.get();
            // DIB rows [first, last) of the band are its image rows counted from the bottom.
            ParallelFor(rows, [&](long long first, long long last) {
                FillBottomUpDib32(pBandRgb + static_cast<size_t>(rows - last) * nWidth * 3, nWidth,
                                  static_cast<int>(last - first), pBits + static_cast<size_t>(first) * cbRow);
            });
            // Bottom-up, as FillBottomUpDib32 lays the rows.
            BITMAPINFO bmi = Dib24Info(nWidth, rows, FALSE);
            bmi.bmiHeader.biBitCount = 32;
            // One to one, so the bitmap gets exactly the pixels that setting
            // each one would give; without stretching, which costs more.
            const int copied =
                SetDIBitsToDevice(memory.Get(), 0, top, static_cast<DWORD>(nWidth), static_cast<DWORD>(rows), 0, 0, 0,
                                  static_cast<UINT>(rows), band.get(), &bmi, DIB_RGB_COLORS);
            if (copied <= 0)   // 0, or GDI_ERROR as an int
                return nullptr;
        }
    }
    return bitmap.Release();
}

HGLOBAL CreateDibOfRgb(const unsigned char* pRgb, int nWidth, int nHeight)
{
    size_t cbImage = 0;
    if (!pRgb || !DibImageSize(nWidth, nHeight, &cbImage))
        return nullptr;
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + cbImage));
    if (!block.Get())
        return nullptr;
    {
        ScopedGlobalLock lock(block.Get());
        auto* pHeader = static_cast<BITMAPINFOHEADER*>(lock.Get());
        if (!pHeader)
            return nullptr;
        *pHeader = Dib24Info(nWidth, nHeight, FALSE).bmiHeader;
        pHeader->biSizeImage = static_cast<DWORD>(cbImage);
        unsigned char* pBits = reinterpret_cast<unsigned char*>(pHeader + 1);
        const size_t stride = DibRowStride(static_cast<size_t>(nWidth));
        const int nBandRows = static_cast<int>(std::max<size_t>(1, std::min<size_t>(nHeight, kBandBytes / stride)));
        for (int top = 0; top < nHeight; top += nBandRows)
        {
            const int rows = std::min(nBandRows, nHeight - top);
            // Image rows [top, top + rows) are DIB rows counted from the bottom.
            unsigned char* pBandBits = pBits + static_cast<size_t>(nHeight - top - rows) * stride;
            const unsigned char* pBandRgb = pRgb + static_cast<size_t>(top) * nWidth * 3;
            ParallelFor(rows, [&](long long first, long long last) {
                FillBottomUpDib(pBandRgb + static_cast<size_t>(rows - last) * nWidth * 3, nWidth,
                                static_cast<int>(last - first), pBandBits + static_cast<size_t>(first) * stride);
            });
        }
    }
    return block.Release();
}

unsigned CClipboardOffer::Offer(HWND hView, HWND hOwner, std::shared_ptr<const unsigned char> pRgb, int nWidth,
                                int nHeight)
{
    UINT nFormat = 0;
    {
        // Whether the system makes a device bitmap of this size: made and
        // dropped at once, its memory never touched. A device bitmap has a
        // size limit of its own (Wine makes none above 2 GB); the rows in
        // plain memory still reach every program that pastes, since the
        // clipboard turns a DIB into a bitmap on request.
        UniqueWindowDc dc(hView);
        UniqueGdiObject<HBITMAP> probe(dc.Get() && pRgb ? CreateCompatibleBitmap(dc.Get(), nWidth, nHeight) : nullptr);
        size_t cbDib = 0;
        if (probe.Get())
            nFormat = CF_BITMAP;
        else if (pRgb && DibImageSize(nWidth, nHeight, &cbDib))
            nFormat = CF_DIB;
    }
    if (!nFormat)
        return IDS_COPY_NO_BITMAP;
    CClipboardOpen clipboard(hOwner);
    if (!clipboard.IsOpen())
        return IDS_COPY_CLIPBOARD_BUSY;
    // Tells the owner of what the clipboard held, this one too, that it is gone.
    EmptyClipboard();
    // A promise returns no handle, taken or not: the clipboard tells.
    SetClipboardData(nFormat, nullptr);
    if (!IsClipboardFormatAvailable(nFormat))
        return IDS_COPY_CLIPBOARD_REFUSED;
    m_pRgb = std::move(pRgb);
    m_nWidth = nWidth;
    m_nHeight = nHeight;
    m_hView = hView;
    m_nFormat = nFormat;
    return 0;
}

void CClipboardOffer::Render()
{
    if (!m_pRgb)
        return;
    // A paste made while the program closes finds the view gone; the
    // screen has the same colour format.
    const HWND hDcWnd = IsWindow(m_hView) ? m_hView : nullptr;
    if (m_nFormat == CF_BITMAP)
    {
        HBITMAP hBitmap = nullptr;
        {
            UniqueWindowDc dc(hDcWnd);
            hBitmap = CreateBitmapOfRgb(dc.Get(), m_pRgb.get(), m_nWidth, m_nHeight);
        }
        UniqueGdiObject<HBITMAP> bitmap(hBitmap);
        // Taken, the data belong to the clipboard; refused, they are still
        // ours to free. Failed, the paste gets nothing, never a part.
        if (bitmap.Get() && SetClipboardData(CF_BITMAP, bitmap.Get()))
            bitmap.Release();
    }
    else
    {
        UniqueGlobal dib(CreateDibOfRgb(m_pRgb.get(), m_nWidth, m_nHeight));
        if (dib.Get() && SetClipboardData(CF_DIB, dib.Get()))
            dib.Release();
    }
}

bool CClipboardOffer::OnOwnerMessage(HWND hOwner, UINT message, WPARAM wParam)
{
    switch (message)
    {
    case WM_RENDERFORMAT:
        // The clipboard is open for the program that pastes.
        if (static_cast<UINT>(wParam) == m_nFormat)
        {
            CWaitCursor wait;
            Render();
        }
        return true;
    case WM_RENDERALLFORMATS:
    {
        // Before the owner goes, so that the image stays pastable.
        CClipboardOpen clipboard(hOwner);
        if (clipboard.IsOpen() && GetClipboardOwner() == hOwner)
            Render();
        m_pRgb.reset();
        return true;
    }
    case WM_DESTROYCLIPBOARD: m_pRgb.reset(); return true;
    }
    return false;
}
