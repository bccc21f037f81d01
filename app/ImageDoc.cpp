#include "app/ImageDoc.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <utility>

#include "core/jpeg/JpegFile.h"
#include "app/res/resource.h"
#include "app/ScanLimits.h"
#include "app/ShapeSaveAs.h"
#include "winfw/FwUtil.h"
#include "winfw/LongWork.h"

bool HasJpgExtension(const char* pszPathName)
{
    // ASCII letters only, whatever the user's locale.
    size_t cch = std::strlen(pszPathName);
    if (cch < 4)
        return false;
    const char* ext = pszPathName + cch - 4;
    return ext[0] == '.' && (ext[1] == 'j' || ext[1] == 'J') && (ext[2] == 'p' || ext[2] == 'P') &&
           (ext[3] == 'g' || ext[3] == 'G');
}

namespace
{
bool CanReadFile(const char* pszPathName)
{
    HANDLE hFile = CreateFileA(pszPathName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(hFile);
    return true;
}
}

CImageDoc::CImageDoc() : m_nShapeType(SHAPE_POLYLINE), m_bShapesModified(0), m_nMode(MODE_NONE)
{
    AddCommand(ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); });
    // The document has no file of its own to save: Ctrl+S offers the
    // shapefile, and never writes over the opened image.
    AddCommand(ID_FILE_SAVE, [this] { OnFileSaveAs(); });
}

void CImageDoc::Serialize(bool)
{
    // The document has no file of its own: the opened image is never written.
}

BOOL CImageDoc::OnNewDocument()
{
    // The scan stays on show and may be transposed again; the copy made
    // from it goes, as with any other document.
    m_transposed.Release();
    return CDocument::OnNewDocument();
}

BOOL CImageDoc::OnOpenDocument(const char* pszPathName)
{
    m_bShapesModified = 0;
    BOOL bOpened = FALSE;
    m_nOpenFailureId = IDS_UNABLE_TO_OPEN;
    m_image.Release();
    m_transposed.Release();
    {
        CWaitCursor wait;
        FwSetStatusText(LoadResString(IDS_LOADING) + " " + pszPathName + "...");
        m_nMode = MODE_GEOREFERENCE;
        m_shapeFile.m_shapes.RemoveAll();
        m_shapeFile.m_geoRef.SetImageHeight(0);
        if (HasJpgExtension(pszPathName) && CanReadFile(pszPathName))
        {
            // Decoded off this thread, which keeps the window painted; a scan
            // that the process cannot hold is refused from its header, at once.
            CRgbImage image;
            JpegReadStatus status = JPEG_READ_FAILED;
            FwRunLongWork([&](CProgress& progress) {
                CJpegReadOptions options;
                options.acceptHeader = [](const CJpegHeader& header) { return CanHoldScan(header); };
                options.progress = [&progress](double done) { progress.Set(done); };
                status = JpegFile::ReadJpegFile(pszPathName, &image, options);
            });
            if (status == JPEG_READ_OK)
            {
                m_image = std::move(image);
                m_shapeFile.m_geoRef.ReadPointFile(pszPathName);
                m_shapeFile.m_geoRef.SetImageHeight(m_image.Height());
                bOpened = TRUE;
            }
            else
            {
                m_nOpenFailureId = IDS_JPG_READ_ERROR;
            }
        }
    }
    FwSetStatusText("");
    if (!bOpened)
        m_nMode = MODE_NONE;
    return bOpened;
}

void CImageDoc::ReportOpenFailure(const char* pszPathName)
{
    if (m_nOpenFailureId)
        FwMessageBox(LoadResString(m_nOpenFailureId) + " " + pszPathName, MB_OK);
}

BOOL CImageDoc::SaveModified()
{
    // The question speaks of polylines whatever the type: it is the
    // program's own text. No closes without saving; a Yes whose save failed
    // or was cancelled keeps the document, so that no digitised feature is
    // lost without the user having said so.
    if (m_bShapesModified && FwMessageBox(IDS_SAVE_POLYLINES, MB_YESNO) == IDYES)
        return OnFileSaveAs();
    return TRUE;
}

BOOL CImageDoc::OnFileSaveAs()
{
    if (PromptAndSaveShapefile(m_shapeFile, m_nShapeType, GetPathName().c_str()) != SAVE_AS_SAVED)
        return FALSE;
    m_bShapesModified = 0;
    return TRUE;
}
