#include "app/ImageDoc.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "jpeg/JpegFile.h"
#include "res/resource.h"
#include "shape/ShapeSaveAs.h"
#include "view/ImageView.h"
#include "winfw/FwUtil.h"

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

CImageDoc::CImageDoc() : m_bShapesModified(0), m_nMode(MODE_NONE)
{
    AddCommand(ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); });
    // The document has no file of its own to save: Ctrl+S offers the
    // shapefile, and never writes over the opened image.
    AddCommand(ID_FILE_SAVE, [this] { OnFileSaveAs(); });
}

CImageDoc::~CImageDoc()
{
    ReleaseImage();
}

void CImageDoc::ReleaseImage()
{
    delete[] m_image.pPixels;
    m_image.pPixels = nullptr;
}

void CImageDoc::Serialize(bool)
{
    // The document has no file of its own: the opened image is never written.
}

BOOL CImageDoc::OnNewDocument()
{
    return CDocument::OnNewDocument();
}

BOOL CImageDoc::OnOpenDocument(const char* pszPathName)
{
    m_bShapesModified = 0;
    BOOL bOpened = FALSE;
    m_nOpenFailureId = IDS_UNABLE_TO_OPEN;
    ReleaseImage();
    {
        CWaitCursor wait;
        FwSetStatusText(LoadResString(IDS_LOADING) + " " + pszPathName + "...");
        m_nMode = MODE_GEOREFERENCE;
        m_shapeFile.m_shapes.RemoveAll();
        m_shapeFile.m_geoRef.SetImageHeight(0);
        if (HasJpgExtension(pszPathName) && CanReadFile(pszPathName))
        {
            uint32_t nWidth = 0, nHeight = 0;
            unsigned char* pPixels = JpegFile::JpegFileToRGB(pszPathName, &nWidth, &nHeight);
            if (pPixels)
            {
                m_image.pPixels = pPixels;
                m_image.nWidth = nWidth;
                m_image.nHeight = nHeight;
                m_shapeFile.m_geoRef.ReadPointFile(pszPathName);
                m_shapeFile.m_geoRef.SetImageHeight(static_cast<int>(nHeight));
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
    int nShapeType = SHAPE_POLYLINE;
    if (CImageView* pView = static_cast<CImageView*>(GetFirstView()))
        nShapeType = pView->m_nShapeType;
    if (PromptAndSaveShapefile(m_shapeFile, nShapeType, GetPathName().c_str()) != SaveAsOutcome::Saved)
        return FALSE;
    m_bShapesModified = 0;
    return TRUE;
}
