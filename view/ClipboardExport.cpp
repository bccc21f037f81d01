// Copy (Edit menu, Ctrl+C, Ctrl+Insert): the resampled image of Transpose
// leaves the program through the clipboard as a bitmap of exactly its size.
#include "view/ClipboardExport.h"

#include <algorithm>
#include <memory>
#include <new>

#include "georef/Transpose.h"
#include "res/resource.h"
#include "view/ImageView.h"
#include "winfw/FrameWnd.h"
#include "winfw/FwUtil.h"
#include "winfw/Gdi.h"
#include "winfw/WinApp.h"

namespace
{
const char kNoBitmap[] =
    "The image could not be copied: there is not enough memory for a bitmap of its size. "
    "Nothing was put on the clipboard.";
const char kClipboardBusy[] =
    "The image could not be copied: the clipboard is in use by another program. "
    "Close it or try again in a moment.";
const char kClipboardRefused[] = "The image could not be copied: the clipboard did not accept the bitmap.";

// About this many bytes of DIB rows are converted at a time.
const size_t kBandBytes = 4u << 20;

// Holds the clipboard open for its lifetime.
class CClipboardOpen
{
public:
    explicit CClipboardOpen(HWND hOwner) : m_bOpen(OpenClipboard(hOwner) != FALSE) {}
    ~CClipboardOpen() { if (m_bOpen) CloseClipboard(); }
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

HBITMAP CreateBitmapOfRgb(HDC hDC, const unsigned char* pRgb, int nWidth, int nHeight, int nBandRows)
{
    size_t cbWholeDib = 0;   // only its limits matter: the rows go a band at a time
    if (!hDC || !pRgb || !DibImageSize(nWidth, nHeight, &cbWholeDib))
        return nullptr;
    const size_t cbRow = DibRowStride(nWidth);
    if (nBandRows <= 0)
        nBandRows = static_cast<int>(std::max<size_t>(1, std::min<size_t>(nHeight, kBandBytes / cbRow)));
    nBandRows = std::min(nBandRows, nHeight);

    CGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(hDC, nWidth, nHeight));
    CMemoryDC memory(hDC);
    std::unique_ptr<unsigned char[]> band(new (std::nothrow) unsigned char[cbRow * nBandRows]);
    if (!bitmap.Get() || !memory.Get() || !band)
        return nullptr;
    {
        CSelectObject select(memory.Get(), bitmap.Get());
        for (int top = 0; top < nHeight; top += nBandRows)
        {
            const int rows = std::min(nBandRows, nHeight - top);
            FillBottomUpDib(pRgb + static_cast<size_t>(top) * nWidth * 3, nWidth, rows, band.get());
            BITMAPINFO bmi = {};
            bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
            bmi.bmiHeader.biWidth = nWidth;
            bmi.bmiHeader.biHeight = rows;   // bottom-up, as FillBottomUpDib lays the rows
            bmi.bmiHeader.biPlanes = 1;
            bmi.bmiHeader.biBitCount = 24;
            bmi.bmiHeader.biCompression = BI_RGB;
            // One to one, so the bitmap gets exactly the pixels that setting
            // each one would give.
            const int copied = StretchDIBits(memory.Get(), 0, top, nWidth, rows, 0, 0, nWidth, rows, band.get(),
                                             &bmi, DIB_RGB_COLORS, SRCCOPY);
            if (copied <= 0)   // 0, or GDI_ERROR as an int
                return nullptr;
        }
    }
    return bitmap.Release();
}

std::string CopyRgbToClipboard(HWND hView, HWND hOwner, const unsigned char* pRgb, int nWidth, int nHeight)
{
    HBITMAP hBitmap = nullptr;
    {
        CWindowDC dc(hView);
        hBitmap = CreateBitmapOfRgb(dc.Get(), pRgb, nWidth, nHeight);
    }
    if (!hBitmap)
        return kNoBitmap;
    CGdiObject<HBITMAP> bitmap(hBitmap);
    // Made before the clipboard is opened, so that it is held open only
    // for the hand-over.
    CClipboardOpen clipboard(hOwner);
    if (!clipboard.IsOpen())
        return kClipboardBusy;
    EmptyClipboard();
    // Taken, the bitmap belongs to the clipboard; refused, it is still ours
    // to delete.
    if (!SetClipboardData(CF_BITMAP, bitmap.Get()))
        return kClipboardRefused;
    bitmap.Release();
    return std::string();
}

void CImageView::AddClipboardCommands()
{
    AddCommand(ID_EDIT_COPY, [this] { OnEditCopy(); });
    AddCommandUpdate(ID_EDIT_COPY, [this](CCmdUI& ui) {
        ui.Enable(GetDocument()->m_nMode == MODE_TRANSPOSED && m_pTransposed != nullptr);
    });
}

void CImageView::OnEditCopy()
{
    if (!m_pTransposed || GetDocument()->m_nMode != MODE_TRANSPOSED)
        return;
    std::string failure;
    {
        CWaitCursor wait;
        FwSetStatusText(LoadResString(IDS_COPYING));
        failure = CopyRgbToClipboard(m_hWnd, MainWindow(), m_pTransposed, m_nTransposedWidth, m_nTransposedHeight);
        FwSetStatusText("");
    }
    if (!failure.empty())
        FwMessageBox(failure, MB_OK);
}
