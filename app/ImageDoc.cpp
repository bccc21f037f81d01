#include "app/ImageDoc.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "core/crs/CrsCatalogue.h"
#include "core/crs/CrsSettings.h"
#include "core/georef/ImageSettings.h"
#include "core/jpeg/JpegFile.h"
#include "app/CrsDlg.h"
#include "app/res/resource.h"
#include "app/ShapeSaveAs.h"
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

CImageDoc::CImageDoc() : m_nShapeType(SHAPE_POLYLINE), m_bShapesModified(0), m_nMode(MODE_NONE)
{
    AddCommand(ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); });
    // The document has no file of its own to save: Ctrl+S offers the
    // shapefile, and never writes over the opened image.
    AddCommand(ID_FILE_SAVE, [this] { OnFileSaveAs(); });
    AddCommand(ID_VIEW_COORDINATE_SYSTEM, [this] { OnCoordinateSystem(); });
    AddCommandUpdate(ID_VIEW_COORDINATE_SYSTEM, [this](CCmdUI& ui) { ui.Enable(m_nMode != MODE_NONE); });
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
    m_crs = CCrsRef();
    {
        CWaitCursor wait;
        FwSetStatusText(LoadResString(IDS_LOADING) + " " + pszPathName + "...");
        m_nMode = MODE_GEOREFERENCE;
        m_shapeFile.m_shapes.RemoveAll();
        m_shapeFile.m_geoRef.SetImageHeight(0);
        if (HasJpgExtension(pszPathName) && CanReadFile(pszPathName))
        {
            if (JpegFile::JpegFileToRGB(pszPathName, &m_image))
            {
                m_shapeFile.m_geoRef.ReadPointFile(pszPathName);
                m_shapeFile.m_geoRef.SetImageHeight(m_image.Height());
                // The catalogue is unpacked only for an image that names a system.
                const CImageSettings settings = ReadImageSettings(pszPathName);
                if (!settings.Get(kCrsSettingKey).empty())
                    m_crs = CrsFromSettings(settings, EmbeddedCrsCatalogue());
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
    if (PromptAndSaveShapefile(m_shapeFile, m_nShapeType, GetPathName().c_str(), GetShapeSideFiles()) != SAVE_AS_SAVED)
        return FALSE;
    m_bShapesModified = 0;
    return TRUE;
}

void CImageDoc::OnCoordinateSystem()
{
    if (m_nMode == MODE_NONE)
        return;
    CCrsDlg dlg(m_crs.nEpsg, LoadRecentCrs());
    if (dlg.DoModal() != IDOK)
        return;
    SetCrs(dlg.m_nChosenCode);
}

void CImageDoc::SetCrs(int nCode)
{
    const CCrsEntry* pEntry = EmbeddedCrsCatalogue().Find(nCode);
    m_crs = pEntry ? pEntry->Ref() : CCrsRef();
    if (!m_crs.IsNone())
    {
        std::vector<int> recent = LoadRecentCrs();
        PushRecentCrs(recent, m_crs.nEpsg);
        SaveRecentCrs(recent);
    }
    // An image kept through New has no file to put the choice beside: it
    // holds for this session only.
    const std::string strPath = GetPathName();
    if (strPath.empty())
        return;
    // The file keeps the other settings as they are now.
    if (!UpdateImageSetting(strPath.c_str(), kCrsSettingKey, FormatCrsSetting(m_crs.nEpsg)))
        FwMessageBox(LoadResString(IDS_CRS_NOT_REMEMBERED) + " " + ImageSettingsPath(strPath.c_str()), MB_OK);
}

CShapeSideFiles CImageDoc::GetShapeSideFiles() const
{
    CShapeSideFiles sideFiles;
    // Names are typed and stored in the ANSI code page, byte for byte.
    sideFiles.nCodePage = GetACP();
    const CCrsEntry* pEntry = m_crs.IsNone() ? nullptr : EmbeddedCrsCatalogue().Find(m_crs.nEpsg);
    if (pEntry)
        sideFiles.strPrj = std::string(pEntry->wkt);
    return sideFiles;
}
