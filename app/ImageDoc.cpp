#include "app/ImageDoc.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "jpeg/JpegFile.h"
#include "res/resource.h"
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
    if (m_bShapesModified && FwMessageBox(IDS_SAVE_POLYLINES, MB_YESNO) == IDYES)
        OnFileSaveAs();
    // Closing or replacing always goes on.
    return TRUE;
}

void CImageDoc::OnFileSaveAs()
{
    // The shapefile writers are not part of the program yet: nothing is
    // written, and the features stay marked as unsaved.
}
