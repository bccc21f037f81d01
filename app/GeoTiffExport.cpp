// Export GeoTIFF (File menu): the dialog, the Save dialog, the export as
// long work with its progress also in the status line (Escape cancels), and
// the message that tells how it ended.
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
#include "winfw/LongWork.h"
#include "winfw/WinApp.h"

namespace
{

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
    c.nExtent = static_cast<GeoTiffExtent>(
        read("Extent", GEOTIFF_EXTENT_WHOLE_IMAGE, GEOTIFF_EXTENT_CONTROL_POINTS, c.nExtent));
    c.nResampling = static_cast<ResampleMethod>(read("Resampling", RESAMPLE_NEAREST, RESAMPLE_CUBIC, c.nResampling));
    c.nCompression =
        static_cast<GeoTiffCompression>(read("Compression", GEOTIFF_DEFLATE, GEOTIFF_UNCOMPRESSED, c.nCompression));
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
    // Whenever the points allow the chosen model: georeferencing needs no
    // digitising to export with it.
    return session.FitAvailable();
}

void ExportGeoTiffOf(CImageDoc& doc)
{
    if (!CanExportGeoTiff(doc.Session()))
        return;
    const CGeoRefArray current = doc.Session().FitOnDemand();
    if (!current.m_bValid || !CanResampleShown(doc, current))
        return;
    // A scan shown reduced is exported as shown: the fit taken to the shown
    // pixels, whose size is then the scan's own.
    const CGeoRefArray geoRef = ShownGeoRef(current, doc.Grid(), doc.Image().Height());
    const CAffineTransform fit = geoRef.GetAffine();
    CExportGeoTiffDlg dlg(fit, doc.Image().Width(), doc.Image().Height(), geoRef.m_points);
    // Held here: the export runs on with it whatever the document does meanwhile.
    const std::shared_ptr<const CWarpTransform> warp = geoRef.m_warp;
    dlg.m_pWarp = warp.get();
    if (doc.Grid().IsReduced())
        dlg.m_strCaption =
            LoadResStringWith(IDS_GEOTIFF_REDUCED, {std::to_string(ShownResolutionDenominator(doc.Grid()))});
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
    GeoTiffStatus status = GEOTIFF_CANCELLED;
    CLongWorkOptions work;
    work.bCancellable = true;
    work.statusText = [](int nPercent) { return LoadResStringWith(IDS_GEOTIFF_PROGRESS, {std::to_string(nPercent)}); };
    FwRunLongWork(
        [&](CProgress& progress) {
            status = ExportGeoTiff(
                Win32Files(), strPath, doc.Image(), fit, dlg.m_grid, doc.Session().Crs(), options,
                [&](double dDone) {
                    progress.Set(dDone);
                    return !progress.Cancelled();
                },
                warp.get());
        },
        work);
    FwSetStatusText("");
    if (status == GEOTIFF_OK)
        FwMessageBox(LoadResString(IDS_GEOTIFF_EXPORTED) + " " + strPath, MB_OK | MB_ICONINFORMATION);
    else
        FwMessageBox(LoadResString(GeoTiffStatusStringId(status)) + " " + strPath, MB_OK);
}
