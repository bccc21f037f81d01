// Transpose: the north-up copy of the image aligned with the map axes, its
// world file beside the image, and the view switched to showing it.
#include "app/ImageView.h"

#include <string>
#include <utility>

#include "core/io/Path.h"
#include "core/georef/WorldFile.h"
#include "app/res/resource.h"
#include "app/DocumentCommands.h"
#include "app/ScanLimits.h"
#include "winfw/FwUtil.h"
#include "winbase/Win32Files.h"
#include "winfw/LongWork.h"

unsigned TransposeStatusStringId(TransposeStatus status)
{
    switch (status)
    {
    case TRANSPOSE_OK: break;
    case TRANSPOSE_NO_IMAGE: return IDS_TRANSPOSE_NO_IMAGE;
    case TRANSPOSE_NOT_FITTED: return IDS_TRANSPOSE_NOT_FITTED;
    case TRANSPOSE_NO_POINTS: return IDS_TRANSPOSE_NO_POINTS;
    case TRANSPOSE_SAME_COLUMN: return IDS_TRANSPOSE_SAME_COLUMN;
    case TRANSPOSE_SAME_ROW: return IDS_TRANSPOSE_SAME_ROW;
    case TRANSPOSE_SAME_MAP_X: return IDS_TRANSPOSE_SAME_MAP_X;
    case TRANSPOSE_SAME_MAP_Y: return IDS_TRANSPOSE_SAME_MAP_Y;
    case TRANSPOSE_BAD_MAP_EXTENTS: return IDS_TRANSPOSE_BAD_MAP_EXTENTS;
    case TRANSPOSE_TOO_LARGE: return IDS_TRANSPOSE_TOO_LARGE;
    case TRANSPOSE_OUT_OF_MEMORY: return IDS_TRANSPOSE_OUT_OF_MEMORY;
    }
    return IDS_TRANSPOSE_FAILED;
}

void CImageView::AddTransposeCommands()
{
    AddCommand(ID_VIEW_TRANSPOSE, [this] { OnTranspose(); });
    AddCommandUpdate(ID_VIEW_TRANSPOSE, [this](CCmdUI& ui) {
        const int nMode = GetDocument()->Session().Mode();
        ui.Enable(nMode != MODE_GEOREFERENCE);
        ui.SetCheck(nMode == MODE_TRANSPOSED);
    });
}

void CImageView::OnTranspose()
{
    CImageDoc* pDoc = GetDocument();
    // Only digitise mode has a fitted transformation to resample with.
    if (pDoc->Session().Mode() != MODE_DIGITISE)
        return;

    // A resampled image made earlier is shown again as it is: no question,
    // no second resampling.
    if (pDoc->NorthUp().IsEmpty())
    {
        if (!CanResampleShown(*pDoc, pDoc->Session().GeoRef()))
            return;
        const BOOL bCrop = FwMessageBox(IDS_CROP_QUESTION, MB_YESNO | MB_DEFBUTTON2) == IDYES;
        CTransposedImage transposed;
        TransposeStatus status = TRANSPOSE_OUT_OF_MEMORY;
        {
            CWaitCursor wait;
            FwSetStatusText(LoadResString(IDS_CALCULATING) +
                            (pDoc->Grid().IsReduced() ? " " + ReducedNote(*pDoc) : std::string()));
            // Resampled on every core off this thread, which keeps the window painted.
            // A scan shown reduced is resampled as shown: its fit taken to
            // the shown pixels, so the world file gives their size.
            const CRgbImage& image = pDoc->Image();
            const CGeoRefArray geoRef = ShownGeoRef(pDoc->Session().GeoRef(), pDoc->Grid(), image.Height());
            FwRunLongWork([&](CProgress& progress) {
                CTransposeOptions options;
                options.nMaxPixels = TransposeCellLimit();
                options.progress = [&progress](double done) { progress.Set(done); };
                status =
                    TransposeImage(image.Pixels(), image.Width(), image.Height(), geoRef, bCrop, &transposed, options);
            });
        }
        if (status != TRANSPOSE_OK)
        {
            // Refused before anything was shown: the user stays digitising,
            // told why (the control points share a column, say).
            FwSetStatusText("");
            FwMessageBox(TransposeStatusStringId(status), MB_OK);
            return;
        }
        pDoc->ShowNorthUp(&transposed, this);
    }
    else
    {
        pDoc->ShowNorthUp(nullptr, this);
    }

    // The picture is worth showing and copying even without its world
    // file, but the user must know that none was written: the status line
    // of transposed mode says it was, and a .jpg saved without one carries
    // no georeference. A document without a path (nothing opened from a
    // file, or kept through New) has nowhere to put one, and says so too.
    std::string strWorldFileFailure;
    const std::string& strImagePath = pDoc->GetPathName();
    if (strImagePath.empty())
        strWorldFileFailure = LoadResString(IDS_WORLD_FILE_WITHOUT_PATH);
    else if (!WriteWorldFile(strImagePath.c_str(), pDoc->NorthUp().extents, Win32Files()))
        strWorldFileFailure =
            LoadResString(IDS_WORLD_FILE_NOT_WRITTEN) + " " + SideFileName(strImagePath.c_str(), ".jgw");

    ApplyZoom();
    if (pDoc->Grid().IsReduced())
        FwSetStatusText(
            LoadResStringWith(IDS_TRANSPOSE_REDUCED, {std::to_string(ShownResolutionDenominator(pDoc->Grid()))}));
    if (!strWorldFileFailure.empty())
        FwMessageBox(strWorldFileFailure, MB_OK);
}
