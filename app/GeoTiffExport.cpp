#include "app/GeoTiffExport.h"

#include <windows.h>

#include <functional>

#include "app/ExportGeoTiffDlg.h"
#include "app/ShapeSaveAs.h"
#include "app/res/resource.h"
#include "core/io/Path.h"
#include "core/raster/GeoTiffWriter.h"
#include "winbase/Win32Files.h"
#include "winfw/FwUtil.h"
#include "winfw/WinApp.h"

namespace
{

// Called between bands of tiles on this, the only thread that touches
// windows: the windows repaint, Escape cancels, and after half a second the
// status line shows how far the export is. Input does not reach the
// program meanwhile: no command may change the document being exported.
class CExportProgress
{
public:
    bool operator()(double dDone)
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
            {
                // Quitting waits for the end of the export, which it cuts short.
                PostQuitMessage(static_cast<int>(msg.wParam));
                m_bCancelled = true;
                break;
            }
            if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)
                m_bCancelled = true;
            // A window closed from outside cuts the export short and is
            // closed once it has ended.
            if (msg.message == WM_CLOSE)
            {
                m_hClosing = msg.hwnd;
                m_bCancelled = true;
                continue;
            }
            if (!IsInput(msg.message))
                DispatchMessageA(&msg);
        }
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        const int percent = static_cast<int>(dDone * 100.0);
        if (GetTickCount() - m_dwStart >= 500 && percent != m_nShownPercent)
        {
            FwSetStatusText(LoadResStringWith(IDS_GEOTIFF_PROGRESS, {std::to_string(percent)}));
            m_nShownPercent = percent;
        }
        return !m_bCancelled;
    }

    HWND Closing() const { return m_hClosing; }

private:
    static bool IsInput(UINT message)
    {
        return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
               (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
               (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) || message == WM_COMMAND ||
               message == WM_SYSCOMMAND || message == WM_DROPFILES;
    }

    DWORD m_dwStart = GetTickCount();
    int m_nShownPercent = -1;
    bool m_bCancelled = false;
    HWND m_hClosing = nullptr;
};

const char kProfileSection[] = "GeoTIFF Export";

CGeoTiffChoices LoadChoices()
{
    CGeoTiffChoices c;
    CWinApp* pApp = FwGetApp();
    if (!pApp)
        return c;
    // A stored value out of range (an older or edited profile) gives the default.
    const auto read = [pApp](const char* pszEntry, int nLow, int nHigh, int nDefault) {
        const int value = pApp->GetProfileInt(kProfileSection, pszEntry, nDefault);
        return value >= nLow && value <= nHigh ? value : nDefault;
    };
    c.nExtent = read("Extent", GEOTIFF_EXTENT_WHOLE_IMAGE, GEOTIFF_EXTENT_CONTROL_POINTS, c.nExtent);
    c.nResampling = read("Resampling", RESAMPLE_NEAREST, RESAMPLE_CUBIC, c.nResampling);
    c.nCompression = read("Compression", GEOTIFF_DEFLATE, GEOTIFF_UNCOMPRESSED, c.nCompression);
    c.nJpegQuality = read("JpegQuality", 1, 100, c.nJpegQuality);
    return c;
}

void SaveChoices(const CGeoTiffChoices& c)
{
    if (CWinApp* pApp = FwGetApp())
    {
        pApp->WriteProfileInt(kProfileSection, "Extent", c.nExtent);
        pApp->WriteProfileInt(kProfileSection, "Resampling", c.nResampling);
        pApp->WriteProfileInt(kProfileSection, "Compression", c.nCompression);
        pApp->WriteProfileInt(kProfileSection, "JpegQuality", c.nJpegQuality);
    }
}

}   // namespace

bool CanExportGeoTiff(const CImageSession& session)
{
    // Digitise and transposed mode have a fit; the other modes have none to export with.
    return (session.Mode() == MODE_DIGITISE || session.Mode() == MODE_TRANSPOSED) && session.GeoRef().m_bValid;
}

void ExportGeoTiffOf(CImageDoc& doc)
{
    const CGeoRefArray& geoRef = doc.Session().GeoRef();
    if (!CanExportGeoTiff(doc.Session()))
        return;
    const CAffineTransform fit = geoRef.GetAffine();
    CExportGeoTiffDlg dlg(fit, doc.Image().Width(), doc.Image().Height(), geoRef.m_points);
    dlg.m_choices = LoadChoices();
    dlg.m_choices.dPixelSize = doc.GeoTiffPixelSize();
    if (dlg.DoModal() != IDOK)
        return;
    SaveChoices(dlg.m_choices);
    doc.SetGeoTiffPixelSize(dlg.m_choices.dPixelSize);

    // The scan's name with .tif is what the Save dialog proposes.
    const std::string& strImagePath = doc.GetPathName();
    std::string strPath = strImagePath.empty() ? std::string() : SideFileName(strImagePath.c_str(), ".tif");
    const std::string strFilter = LoadResString(IDS_GEOTIFF_FILES) + "|*.tif;*.tiff||";
    if (!FwPromptSaveFileName(strFilter.c_str(), "tif", strPath, true))
        return;
    // The export replaces the file it is given: never the scan itself.
    if (IsSameFile(strPath, strImagePath.c_str()))
    {
        FwMessageBox(LoadResString(IDS_GEOTIFF_IS_SCAN) + " " + strPath, MB_OK);
        return;
    }

    CGeoTiffOptions options;
    options.nResampling = dlg.m_choices.nResampling;
    options.nCompression = dlg.m_choices.nCompression;
    options.nJpegQuality = dlg.m_choices.nJpegQuality;
    CExportProgress progress;
    GeoTiffStatus status;
    {
        CWaitCursor wait;
        status = ExportGeoTiff(Win32Files(), strPath, doc.Image(), fit, dlg.m_grid, doc.Session().Crs(), options,
                               std::ref(progress));
    }
    FwSetStatusText("");
    if (status == GEOTIFF_OK)
        FwMessageBox(LoadResString(IDS_GEOTIFF_EXPORTED) + " " + strPath, MB_OK | MB_ICONINFORMATION);
    else
        FwMessageBox(LoadResString(GeoTiffStatusStringId(status)) + " " + strPath, MB_OK);
    if (progress.Closing())
        PostMessageA(progress.Closing(), WM_CLOSE, 0, 0);
}
