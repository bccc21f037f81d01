// Copy (Edit menu, Ctrl+C, Ctrl+Insert): the resampled image of Transpose
// leaves the program through the clipboard as a bitmap of exactly its size,
// or as a device-independent bitmap when the system cannot make a device
// bitmap that large.
#include "app/ClipboardExport.h"

#include <algorithm>
#include <memory>
#include <new>

#include "app/Dib.h"
#include "core/parallel/ParallelFor.h"
#include "core/raster/DibRows.h"
#include "app/res/resource.h"
#include "app/ImageView.h"
#include "winfw/FrameWnd.h"
#include "winfw/FwUtil.h"
#include "winfw/LongWork.h"
#include "winbase/Handles.h"
#include "winfw/WinApp.h"

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

HWND MainWindow()
{
    CWinApp* pApp = FwGetApp();
    return pApp && pApp->m_pMainWnd ? pApp->m_pMainWnd->m_hWnd : nullptr;
}
}

HBITMAP CreateBitmapOfRgb(HDC hDC, const unsigned char* pRgb, int nWidth, int nHeight, int nBandRows,
                          CProgress* pProgress)
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
            if (pProgress)
                pProgress->Set(static_cast<double>(top + rows) / nHeight);
        }
    }
    return bitmap.Release();
}

HGLOBAL CreateDibOfRgb(const unsigned char* pRgb, int nWidth, int nHeight, CProgress* pProgress)
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
            if (pProgress)
                pProgress->Set(static_cast<double>(top + rows) / nHeight);
        }
    }
    return block.Release();
}

namespace
{
// Hands the data to the clipboard under nFormat, opened with hOwner, which
// owns it from then on; on failure it is freed by its owner object. The
// string-table id of the failure, or 0.
template <typename Owner>
unsigned HandToClipboard(UINT nFormat, Owner data, HWND hOwner)
{
    // Made before the clipboard is opened, so that it is held open only
    // for the hand-over.
    CClipboardOpen clipboard(hOwner);
    if (!clipboard.IsOpen())
        return IDS_COPY_CLIPBOARD_BUSY;
    EmptyClipboard();
    // Taken, the data belong to the clipboard; refused, they are still ours
    // to free.
    if (!SetClipboardData(nFormat, data.Get()))
        return IDS_COPY_CLIPBOARD_REFUSED;
    data.Release();
    return 0;
}
}   // namespace

unsigned CopyRgbToClipboard(HWND hView, HWND hOwner, const unsigned char* pRgb, int nWidth, int nHeight,
                            CProgress* pProgress)
{
    HBITMAP hBitmap = nullptr;
    {
        UniqueWindowDc dc(hView);
        hBitmap = CreateBitmapOfRgb(dc.Get(), pRgb, nWidth, nHeight, 0, pProgress);
    }
    if (hBitmap)
        return HandToClipboard(CF_BITMAP, UniqueGdiObject<HBITMAP>(hBitmap), hOwner);
    // A device bitmap has a size limit of its own (Wine makes none above
    // 2 GB); the rows in plain memory still reach every program that pastes,
    // since the clipboard turns a DIB into a bitmap on request.
    return CopyRgbToClipboardAsDib(hOwner, pRgb, nWidth, nHeight, pProgress);
}

unsigned CopyRgbToClipboardAsDib(HWND hOwner, const unsigned char* pRgb, int nWidth, int nHeight, CProgress* pProgress)
{
    HGLOBAL hDib = CreateDibOfRgb(pRgb, nWidth, nHeight, pProgress);
    if (!hDib)
        return IDS_COPY_NO_BITMAP;
    return HandToClipboard(CF_DIB, UniqueGlobal(hDib), hOwner);
}

void CImageView::AddClipboardCommands()
{
    AddCommand(ID_EDIT_COPY, [this] { OnEditCopy(); });
    AddCommandUpdate(ID_EDIT_COPY, [this](CCmdUI& ui) {
        ui.Enable(GetDocument()->Session().Mode() == MODE_TRANSPOSED && !GetDocument()->NorthUp().IsEmpty());
    });
}

void CImageView::OnEditCopy()
{
    const CTransposedImage& image = GetDocument()->NorthUp();
    if (image.IsEmpty() || GetDocument()->Session().Mode() != MODE_TRANSPOSED)
        return;
    unsigned nFailureId = 0;
    {
        CWaitCursor wait;
        FwSetStatusText(LoadResString(IDS_COPYING));
        // Made and handed over off this thread, which keeps the window
        // painted (a clipboard may copy a large bitmap when it takes it).
        const HWND hOwner = MainWindow();
        FwRunLongWork([&](CProgress& progress) {
            nFailureId = CopyRgbToClipboard(m_hWnd, hOwner, image.Pixels(), image.Width(), image.Height(), &progress);
        });
        FwSetStatusText("");
    }
    if (nFailureId)
        FwMessageBox(nFailureId, MB_OK);
}
