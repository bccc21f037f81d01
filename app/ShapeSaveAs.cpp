#include "app/ShapeSaveAs.h"

#include <windows.h>

#include <string>

#include "app/res/resource.h"
#include "core/gpkg/FeatureGeoPackage.h"
#include "core/shape/CodePage.h"
#include "winfw/FwUtil.h"
#include "winbase/Win32Files.h"
#include "winfw/LongWork.h"
#include "winfw/WinApp.h"
#include "winbase/Wide.h"

bool IsSameFile(const std::string& a, const char* pszB)
{
    if (!pszB || !*pszB)
        return false;
    wchar_t fullA[MAX_PATH * 2], fullB[MAX_PATH * 2];
    if (!GetFullPathNameW(Widen(a).c_str(), static_cast<DWORD>(std::size(fullA)), fullA, nullptr) ||
        !GetFullPathNameW(Widen(pszB).c_str(), static_cast<DWORD>(std::size(fullB)), fullB, nullptr))
        return false;
    return lstrcmpiW(fullA, fullB) == 0;
}

namespace
{
bool WriteShapefileAt(CShapeFile& shapeFile, ShapeType nShapeType, const std::string& strPath, const char* pszKeepPath,
                      const CShapeSideFiles& sideFiles)
{
    // A name typed with its own extension is taken as it is, so the user can
    // name the opened image itself: writing the main file there would destroy it.
    // Written off this thread, which keeps the window painted (a slow disk).
    bool bSaved = false;
    if (!IsSameFile(strPath, pszKeepPath))
        FwRunLongWork([&](CProgress&) {
            bSaved = IsGeoPackagePath(strPath)
                         ? WriteFeatureGeoPackage(
                               strPath, shapeFile, nShapeType, sideFiles.crs,
                               sideFiles.nNameCodePage ? sideFiles.nNameCodePage : sideFiles.nCodePage, Win32Files())
                               .Ok()
                         : shapeFile.SaveAs(strPath.c_str(), nShapeType, sideFiles, Win32Files());
        });
    return bSaved;
}
}   // namespace

bool SaveShapefileAt(CShapeFile& shapeFile, ShapeType nShapeType, const std::string& strPath, const char* pszKeepPath,
                     const CShapeSideFiles& sideFiles)
{
    CWaitCursor wait;
    const bool bSaved = WriteShapefileAt(shapeFile, nShapeType, strPath, pszKeepPath, sideFiles);
    if (bSaved)
        FwSetStatusText(LoadResString(IDS_FILE_SAVED) + " " + strPath);
    else
        FwMessageBox(LoadResString(IDS_SAVE_ERROR) + " " + strPath, MB_OK);
    return bSaved;
}

SaveAsOutcome PromptAndSaveShapefile(CShapeFile& shapeFile, ShapeType nShapeType, const char* pszKeepPath,
                                     const CShapeSideFiles& sideFiles, std::string* pstrSavedPath)
{
    // The third type is the first with its names in UTF-8, whatever they are;
    // the choice stays for the next Save As.
    const int kUtf8Shapefile = 3;
    const std::string strFilter = LoadResString(IDS_SHAPE_FILES) + "|*.shp|" + LoadResString(IDS_GEOPACKAGE_FILES) +
                                  "|*.gpkg|" + LoadResString(IDS_SHAPE_FILES_UTF8) + "|*.shp||";
    std::string strPath;
    int nType = Utf8NamesChosen() ? kUtf8Shapefile : 1;
    if (!FwPromptSaveFileName(strFilter.c_str(), "shp", strPath, false, &nType))
        return SAVE_AS_CANCELLED;
    CShapeSideFiles chosen = sideFiles;
    if (nType != 2)
    {
        ChooseUtf8Names(nType == kUtf8Shapefile);
        if (sideFiles.nNameCodePage == kCodePageUtf8)
            chosen.nCodePage = NewTableCodePage(shapeFile.m_shapes, GetACP(), nType == kUtf8Shapefile);
    }
    // The GeoPackage type chosen with a name without its extension: the
    // dialog may have given it the default one.
    if (nType == 2 && !IsGeoPackagePath(strPath))
    {
        const size_t dot = strPath.find_last_of('.');
        if (dot != std::string::npos && lstrcmpiW(Widen(strPath.c_str() + dot).c_str(), L".shp") == 0)
            strPath.erase(dot);
        strPath += ".gpkg";
    }
    // The wait cursor stays until the user has read the outcome.
    CWaitCursor wait;
    const bool bSaved = WriteShapefileAt(shapeFile, nShapeType, strPath, pszKeepPath, chosen);
    if (pstrSavedPath)
        *pstrSavedPath = strPath;
    FwMessageBox(LoadResString(bSaved ? IDS_FILE_SAVED_AS : IDS_SAVE_ERROR) + " " + strPath, MB_OK);
    return bSaved ? SAVE_AS_SAVED : SAVE_AS_FAILED;
}

namespace
{
const char kShapefileSection[] = "Shapefile";
const char kUtf8NamesEntry[] = "UTF8Names";
}   // namespace

bool Utf8NamesChosen()
{
    const CWinApp* pApp = FwGetApp();
    return pApp && pApp->GetProfileInt(kShapefileSection, kUtf8NamesEntry, 0) != 0;
}

void ChooseUtf8Names(bool bUtf8)
{
    if (const CWinApp* pApp = FwGetApp())
        pApp->WriteProfileInt(kShapefileSection, kUtf8NamesEntry, bUtf8 ? 1 : 0);
}
