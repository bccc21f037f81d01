#include "app/ShapeSaveAs.h"

#include <windows.h>

#include <string>

#include "app/res/resource.h"
#include "winfw/FwUtil.h"
#include "winbase/Win32Files.h"
#include "winfw/LongWork.h"

bool IsSameFile(const std::string& a, const char* pszB)
{
    if (!pszB || !*pszB)
        return false;
    char fullA[MAX_PATH * 2], fullB[MAX_PATH * 2];
    if (!GetFullPathNameA(a.c_str(), sizeof(fullA), fullA, nullptr) ||
        !GetFullPathNameA(pszB, sizeof(fullB), fullB, nullptr))
        return false;
    return lstrcmpiA(fullA, fullB) == 0;
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
        FwRunLongWork(
            [&](CProgress&) { bSaved = shapeFile.SaveAs(strPath.c_str(), nShapeType, sideFiles, Win32Files()); });
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
    const std::string strFilter = LoadResString(IDS_SHAPE_FILES) + "|*.shp||";
    std::string strPath;
    if (!FwPromptSaveFileName(strFilter.c_str(), "shp", strPath))
        return SAVE_AS_CANCELLED;
    // The wait cursor stays until the user has read the outcome.
    CWaitCursor wait;
    const bool bSaved = WriteShapefileAt(shapeFile, nShapeType, strPath, pszKeepPath, sideFiles);
    if (pstrSavedPath)
        *pstrSavedPath = strPath;
    FwMessageBox(LoadResString(bSaved ? IDS_FILE_SAVED_AS : IDS_SAVE_ERROR) + " " + strPath, MB_OK);
    return bSaved ? SAVE_AS_SAVED : SAVE_AS_FAILED;
}
