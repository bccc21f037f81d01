#include "app/FeatureSave.h"

#include <windows.h>

#include "core/crs/CrsCatalogue.h"
#include "core/shape/CodePage.h"
#include "app/ShapeSaveAs.h"
#include "app/res/resource.h"
#include "winfw/FwUtil.h"
#include "winfw/WinApp.h"

bool SaveFeaturesAs(CImageSession& session, const std::string& strImagePath)
{
    // The save writes from a copy: the session's features change only through its verbs.
    CShapeFile shapeFile = session.ShapeFile();
    std::string strSavedPath;
    if (PromptAndSaveShapefile(shapeFile, session.ShapeType(), strImagePath.c_str(), ShapeSideFiles(session),
                               &strSavedPath) != SAVE_AS_SAVED)
        return false;
    session.SaveSucceeded(strSavedPath);
    return true;
}

bool SaveFeatures(CImageSession& session, const std::string& strImagePath)
{
    const std::string strPath = session.FeaturePath();
    if (strPath.empty())
        return SaveFeaturesAs(session, strImagePath);
    CShapeFile shapeFile = session.ShapeFile();
    if (!SaveShapefileAt(shapeFile, session.ShapeType(), strPath, strImagePath.c_str(), ShapeSideFiles(session)))
        return false;
    session.SaveSucceeded(strPath);
    return true;
}

bool AskToSaveFeatures(CImageSession& session, const std::string& strImagePath)
{
    // The question speaks of polylines whatever the type: it is the
    // program's own text. No closes without saving; a Yes whose save failed
    // or was cancelled keeps the document, so that no digitised feature is
    // lost without the user having said so.
    if (!session.Unsaved())
        return true;
    // Features opened from a file go back to it, as File > Save does.
    if (FwMessageBox(IDS_SAVE_POLYLINES, MB_YESNO) == IDYES)
        return session.ShapeFile().m_pSource ? SaveFeatures(session, strImagePath)
                                             : SaveFeaturesAs(session, strImagePath);
    session.FeaturesGivenUp();
    return true;
}

CShapeSideFiles ShapeSideFiles(const CImageSession& session)
{
    CShapeSideFiles sideFiles;
    // Names are held in UTF-8; a new table takes the ANSI code page when
    // every name fits it, as the program always wrote, unless UTF-8 was chosen.
    sideFiles.nNameCodePage = kCodePageUtf8;
    sideFiles.nCodePage = NewTableCodePage(session.ShapeFile().m_shapes, GetACP(), Utf8NamesChosen());
    const CCrsRef& crs = session.Crs();
    const CCrsEntry* pEntry = crs.IsNone() ? nullptr : EmbeddedCrsCatalogue().Find(crs.nEpsg);
    if (pEntry)
        sideFiles.strPrj = std::string(pEntry->wkt);
    sideFiles.crs = crs;
    return sideFiles;
}
