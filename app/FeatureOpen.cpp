#include "app/FeatureOpen.h"

#include <windows.h>

#include <utility>

#include "app/DocumentCommands.h"
#include "app/FeatureSave.h"
#include "app/LayerChoiceDlg.h"
#include "app/res/resource.h"
#include "core/gpkg/FeatureGeoPackage.h"
#include "core/io/Path.h"
#include "winbase/Win32Files.h"
#include "winbase/Wide.h"
#include "winfw/FwUtil.h"

bool IsShapefileName(const std::string& strPath)
{
    const size_t dot = strPath.find_last_of('.');
    return dot != std::string::npos && lstrcmpiW(Widen(strPath.c_str() + dot).c_str(), L".shp") == 0;
}

bool IsFeatureFileName(const std::string& strPath) { return IsShapefileName(strPath) || IsGeoPackagePath(strPath); }

namespace
{
void OpenGeoPackageFeatures(CImageDoc& doc, const std::string& strPath)
{
    CImageSession& session = doc.Session();
    std::vector<CGeoPackageLayerInfo> layers;
    {
        CWaitCursor wait;
        const GeoPackageReadStatus status = ListGeoPackageLayers(strPath, Win32Files(), &layers);
        if (!status.Ok())
        {
            FwMessageBox(LoadResStringWith(IDS_GEOPACKAGE_NOT_READ, {strPath, status.Detail()}), MB_OK);
            return;
        }
    }
    if (layers.empty())
    {
        FwMessageBox(LoadResStringWith(IDS_GEOPACKAGE_NO_LAYER, {strPath}), MB_OK);
        return;
    }
    size_t nChosen = 0;
    if (layers.size() > 1)
    {
        CLayerChoiceDlg dlg;
        for (const CGeoPackageLayerInfo& info : layers)
            dlg.m_layers.push_back(info.strName);
        if (dlg.DoModal() != IDOK)
            return;
        nChosen = static_cast<size_t>(dlg.m_nChosen);
    }
    CVectorLayer layer;
    {
        CWaitCursor wait;
        const GeoPackageReadStatus status =
            ReadGeoPackageLayer(strPath, layers[nChosen].strName, Win32Files(), &layer, nullptr, nullptr);
        if (!status.Ok())
        {
            FwMessageBox(LoadResStringWith(IDS_GEOPACKAGE_NOT_READ, {strPath, status.Detail()}), MB_OK);
            return;
        }
    }
    if (session.SrsDiffers(layers[nChosen]) &&
        FwMessageBox(LoadResStringWith(IDS_FEATURES_CRS_DIFFERS, {strPath}), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    // Nothing has changed until here: the features on show go only now.
    if (!AskToSaveFeatures(session, doc.GetPathName()))
        return;
    Follow(doc, session.OpenFeatures(strPath, std::move(layer)));
}
}   // namespace

void OpenFeaturesOf(CImageDoc& doc, std::string strPath)
{
    CImageSession& session = doc.Session();
    if (!session.CanOpenFeatures())
    {
        FwMessageBox(IDS_FEATURES_NEED_FIT, MB_OK);
        return;
    }
    if (strPath.empty())
    {
        const std::string strFilter = LoadResString(IDS_FEATURE_FILES) + "|*.shp;*.gpkg|" +
                                      LoadResString(IDS_SHAPE_FILES) + "|*.shp|" + LoadResString(IDS_GEOPACKAGE_FILES) +
                                      "|*.gpkg||";
        if (!FwPromptOpenFileName(strFilter.c_str(), "shp", strPath))
            return;
    }
    if (IsGeoPackagePath(strPath))
    {
        OpenGeoPackageFeatures(doc, strPath);
        return;
    }
    CShapefileLayer layer;
    {
        CWaitCursor wait;
        const ShapefileReadStatus status = ReadShapefileLayer(strPath, Win32Files(), &layer);
        if (!status.Ok())
        {
            // The detail names the damaged file of the three and what is wrong.
            FwMessageBox(LoadResStringWith(IDS_FEATURES_NOT_READ, {strPath, status.Detail()}), MB_OK);
            return;
        }
    }
    if (session.PrjDiffers(layer) &&
        FwMessageBox(LoadResStringWith(IDS_FEATURES_CRS_DIFFERS, {strPath}), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    // Nothing has changed until here: the features on show go only now.
    if (!AskToSaveFeatures(session, doc.GetPathName()))
        return;
    Follow(doc, session.OpenFeatures(strPath, std::move(layer)));
}
