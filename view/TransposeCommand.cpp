// Transpose: the north-up copy of the image aligned with the map axes, its
// world file beside the image, and the view switched to showing it.
#include "view/ImageView.h"

#include <string>

#include "georef/SideFile.h"
#include "georef/WorldFile.h"
#include "res/resource.h"
#include "winfw/FwUtil.h"

namespace
{
const char kWorldFileNotWritten[] = "The world file could not be written:";
const char kWorldFileWithoutPath[] =
    "The world file could not be written: the image has no file name to put it beside (it was kept through New). "
    "Open the image from its file and transpose it again to get one.";
}

void CImageView::AddTransposeCommands()
{
    AddCommand(ID_VIEW_TRANSPOSE, [this] { OnTranspose(); });
    AddCommandUpdate(ID_VIEW_TRANSPOSE, [this](CCmdUI& ui) {
        const int nMode = GetDocument()->m_nMode;
        ui.Enable(nMode != MODE_GEOREFERENCE);
        ui.SetCheck(nMode == MODE_TRANSPOSED);
    });
}

void CImageView::OnTranspose()
{
    CImageDoc* pDoc = GetDocument();
    // Only digitise mode has a fitted transformation to resample with.
    if (pDoc->m_nMode != MODE_DIGITISE)
        return;

    // A resampled image made earlier is shown again as it is: no question,
    // no second resampling.
    if (!m_pTransposed)
    {
        const BOOL bCrop = FwMessageBox(IDS_CROP_QUESTION, MB_YESNO | MB_DEFBUTTON2) == IDYES;
        CTransposedImage transposed;
        TransposeStatus status;
        {
            CWaitCursor wait;
            FwSetStatusText(LoadResString(IDS_CALCULATING));
            const ImageData& image = pDoc->m_image;
            status = TransposeImage(image.pPixels, static_cast<int>(image.nWidth), static_cast<int>(image.nHeight),
                                    pDoc->m_shapeFile.m_geoRef, bCrop, &transposed);
        }
        if (status != TRANSPOSE_OK)
        {
            // Refused before anything was shown: the user stays digitising,
            // told why (the control points share a column, say).
            FwSetStatusText("");
            FwMessageBox(TransposeStatusText(status), MB_OK);
            return;
        }
        m_pTransposed = transposed.pPixels.release();
        m_transposedExtents = transposed.extents;
        m_nTransposedWidth = m_transposedExtents.outW;
        m_nTransposedHeight = m_transposedExtents.outH;
    }
    pDoc->m_nMode = MODE_TRANSPOSED;

    // The picture is worth showing and copying even without its world
    // file, but the user must know that none was written: the status line
    // of transposed mode says it was, and a .jpg saved without one carries
    // no georeference. A document without a path (nothing opened from a
    // file, or kept through New) has nowhere to put one, and says so too.
    std::string strWorldFileFailure;
    const std::string& strImagePath = pDoc->GetPathName();
    if (strImagePath.empty())
        strWorldFileFailure = kWorldFileWithoutPath;
    else if (!WriteWorldFile(strImagePath.c_str(), m_transposedExtents))
        strWorldFileFailure = std::string(kWorldFileNotWritten) + " " + SideFileName(strImagePath.c_str(), ".jgw");

    ApplyZoom();
    if (!strWorldFileFailure.empty())
        FwMessageBox(strWorldFileFailure, MB_OK);
}
