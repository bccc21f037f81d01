#include "app/PointInterchangeCommands.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <ctime>

#include "app/DocumentCommands.h"
#include "app/res/resource.h"
#include "core/crs/CrsCatalogue.h"
#include "core/crs/CrsSettings.h"
#include "core/georef/FitReportText.h"
#include "core/georef/PointInterchange.h"
#include "core/georef/WorldFile.h"
#include "core/io/Path.h"
#include "core/io/StagedWrite.h"
#include "core/scan/ScanReader.h"
#include "winbase/Handles.h"
#include "winbase/Win32Files.h"
#include "winfw/FwUtil.h"

namespace
{

// The fit of the chosen model, made now from the points as they are.
bool ChosenFit(const CImageSession& session, CGeoRefArray* pGeoRef)
{
    *pGeoRef = session.FitOnDemand();
    return pGeoRef->m_bValid;
}

int FullWidth(const CImageDoc& doc) { return doc.Grid().nFullWidth > 0 ? doc.Grid().nFullWidth : doc.Image().Width(); }
int FullHeight(const CImageDoc& doc)
{
    return doc.Grid().nFullHeight > 0 ? doc.Grid().nFullHeight : doc.Image().Height();
}

const CCrsEntry* CrsEntry(const CImageSession& session)
{
    return session.Crs().IsNone() ? nullptr : EmbeddedCrsCatalogue().Find(session.Crs().nEpsg);
}

// The scan's georeference of its own, in which QGIS shows it and counts
// its source positions; null for a scan without one.
const CAffineTransform* SourceGeoreference(const CImageSession& session)
{
    return session.HasFileGeoreference() ? &session.FileGeoreference().transform : nullptr;
}

// The Save dialog on the scan's name with pszSuffix; false when cancelled.
bool AskSavePath(const CImageDoc& doc, UINT nFilterId, const char* pszPattern, const char* pszSuffix,
                 std::string* pPath)
{
    const std::string& scan = doc.GetPathName();
    *pPath = scan.empty() ? std::string() : PathFolder(scan) + PathStem(scan) + pszSuffix;
    const std::string filter = LoadResString(nFilterId) + "|" + pszPattern + "||";
    const char* extension = std::strrchr(pszPattern, '.');
    return FwPromptSaveFileName(filter.c_str(), extension ? extension + 1 : "", *pPath, true);
}

void TellWritten(bool bWritten, const std::string& path, UINT nWrittenId = IDS_EXPORT_WRITTEN)
{
    if (bWritten)
        FwMessageBox(LoadResStringWith(nWrittenId, {path}), MB_OK | MB_ICONINFORMATION);
    else
        FwMessageBox(LoadResStringWith(IDS_EXPORT_NOT_WRITTEN, {path}), MB_OK);
}

bool CopyTextToClipboard(const std::string& text)
{
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
    if (!block.Get())
        return false;
    void* p = GlobalLock(block.Get());
    if (!p)
        return false;
    std::memcpy(p, text.c_str(), text.size() + 1);
    GlobalUnlock(block.Get());
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    const bool taken = SetClipboardData(CF_TEXT, block.Get()) != nullptr;
    if (taken)
        block.Release();   // the clipboard's now
    CloseClipboard();
    return taken;
}

std::string Today()
{
    const std::time_t now = std::time(nullptr);
    const std::tm* pUtc = std::gmtime(&now);
    char text[32] = "";
    if (pUtc)
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", pUtc);
    return text;
}

}   // namespace

bool CanExportFitOf(const CImageSession& session) { return session.FitAvailable(); }

bool CanSaveScanWorldFile(const CImageSession& session)
{
    return CanExportFitOf(session) && ScanWorldFileFits(session.GeoRef().m_nFitModel) && !session.ImagePath().empty();
}

bool CanExportIiif(const CImageSession& session)
{
    return CanExportFitOf(session) && IiifAnnotationAllowed(session.Crs().nEpsg);
}

void ImportQgisPoints(CImageDoc& doc)
{
    CImageSession& session = doc.Session();
    if (session.Mode() == MODE_NONE)
        return;
    std::string path;
    const std::string filter = LoadResString(IDS_POINTS_FILES) + "|*.points||";
    if (!FwPromptOpenFileName(filter.c_str(), "points", path))
        return;
    std::string text;
    CPointsFile file;
    CStatus<PointsReadCode> status = PointsReadCode::NoHeader;
    if (!ReadWholeFile(Win32Files(), path, &text))
    {
        FwMessageBox(LoadResStringWith(IDS_EXPORT_NOT_READ, {path}), MB_OK);
        return;
    }
    status = ParsePointsFile(text, SourceGeoreference(session), &file);
    if (!status.Ok())
    {
        const UINT reason = status.GetCode() == PointsReadCode::BadRecord  ? IDS_POINTS_BAD_RECORD
                            : status.GetCode() == PointsReadCode::NoPoints ? IDS_POINTS_NONE
                                                                           : IDS_POINTS_NO_HEADER;
        FwMessageBox(LoadResStringWith(IDS_POINTS_NOT_READ, {path, LoadResStringWith(reason, {status.Detail()})}),
                     MB_OK);
        return;
    }
    const size_t before = session.GeoRef().m_points.size();
    if (before > 0 &&
        FwMessageBox(LoadResStringWith(IDS_POINTS_REPLACE_ASK,
                                       {std::to_string(before), std::to_string(file.points.size()), path}),
                     MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    CSessionOutcome replaced = session.ReplacePoints(file.points);
    // The file names the system its map coordinates are in: they are typed
    // in it from now on (and, without an output system, fitted in it too).
    const int nCode = EpsgOfWkt(file.strCrsWkt);
    const CCrsEntry* pEntry = nCode > 0 ? EmbeddedCrsCatalogue().Find(nCode) : nullptr;
    if (!replaced.bDone || !pEntry || nCode == session.PointsCrs().nEpsg)
    {
        Follow(doc, replaced);
        return;
    }
    // Until the system follows, the new points were carried from the old
    // one: what that said is no longer so.
    std::vector<CSessionMessage>& messages = replaced.messages;
    messages.erase(std::remove_if(messages.begin(), messages.end(),
                                  [](const CSessionMessage& m) {
                                      return m.nNotice == NOTICE_POINTS_NOT_CARRIED ||
                                             m.nNotice == NOTICE_NO_CRS_OPERATION;
                                  }),
                   messages.end());
    Follow(doc, replaced);
    SetCoordinateSystems(doc, session.Crs().IsNone() ? nCode : session.Crs().nEpsg, nCode);
}

void ExportQgisPoints(CImageDoc& doc)
{
    const CImageSession& session = doc.Session();
    if (session.GeoRef().m_points.empty())
        return;
    std::string path;
    if (!AskSavePath(doc, IDS_POINTS_FILES, "*.points", ".points", &path))
        return;
    const CModelFit& chosen = session.FitReport().Chosen();
    const CCrsEntry* pCrs = CrsEntry(session);
    const std::string text =
        FormatPointsFile(session.GeoRef().m_points, pCrs ? std::string(pCrs->wkt) : std::string(),
                         SourceGeoreference(session), chosen.bFitted ? &chosen.residuals : nullptr);
    TellWritten(WriteWholeFile(Win32Files(), path, text), path);
}

void ExportGdalVrt(CImageDoc& doc)
{
    const CImageSession& session = doc.Session();
    CGeoRefArray geoRef;
    if (!CanExportFitOf(session) || !ChosenFit(session, &geoRef))
        return;
    std::string path;
    if (!AskSavePath(doc, IDS_VRT_FILES, "*.vrt", ".vrt", &path))
        return;
    const std::string& scanPath = doc.GetPathName();
    CGdalScan scan;
    scan.nWidth = FullWidth(doc);
    scan.nHeight = FullHeight(doc);
    scan.bRelative = SameFileName(PathFolder(scanPath), PathFolder(path));
    scan.strFileName = scan.bRelative ? PathFileName(scanPath) : scanPath;
    // The VRT's bands are the file's own (grey, palette, RGB, RGBA), read
    // from its header; a file that cannot be read again keeps RGB.
    CScanHeader header;
    if (ReadScanHeader(scanPath, &header, Win32Files()).Ok())
    {
        scan.nBands = header.nFileBands;
        scan.bPalette = header.bFilePalette;
        scan.palette = header.filePalette;
        scan.b16Bit = header.bFile16Bit;
    }
    if (const CCrsEntry* pCrs = CrsEntry(session))
    {
        scan.strWkt = std::string(pCrs->wkt);
        scan.nEpsg = pCrs->nCode;
    }
    if (!WriteWholeFile(Win32Files(), path, FormatGcpVrt(scan, GdalGcps(geoRef.m_points))))
    {
        TellWritten(false, path);
        return;
    }
    std::vector<CGdalGcp> gcps;
    std::string transformer;
    scan.strFileName = scanPath;
    const bool commands = GdalWarpGcps(geoRef, scan.nWidth, scan.nHeight, &gcps, &transformer) &&
                          CopyTextToClipboard(FormatGdalCommands(scan, gcps, transformer,
                                                                 PathFolder(path) + PathStem(path) + "_gdalwarp.tif"));
    std::string message = LoadResStringWith(IDS_GDAL_WRITTEN, {path});
    message += "\n\n" + LoadResString(commands ? IDS_GDAL_ON_CLIPBOARD : IDS_GDAL_CLIPBOARD_FAILED);
    if (commands && geoRef.m_nFittedModel == FitModel::Projective)
        message += " " + LoadResString(IDS_GDAL_PROJECTIVE);
    FwMessageBox(message, MB_OK | (commands ? MB_ICONINFORMATION : 0));
}

void ExportIiifAnnotation(CImageDoc& doc)
{
    const CImageSession& session = doc.Session();
    if (!CanExportIiif(session))
        return;
    std::string path;
    if (!AskSavePath(doc, IDS_IIIF_FILES, "*.json", ".json", &path))
        return;
    const std::string text = FormatIiifAnnotation(PathFileName(doc.GetPathName()), FullWidth(doc), FullHeight(doc),
                                                  session.GeoRef().m_points, session.GeoRef().m_nFitModel);
    TellWritten(WriteWholeFile(Win32Files(), path, text), path);
}

void SaveScanWorldFile(CImageDoc& doc)
{
    const CImageSession& session = doc.Session();
    CGeoRefArray geoRef;
    if (!CanSaveScanWorldFile(session) || !ChosenFit(session, &geoRef))
        return;
    const std::string path = ScanWorldFileName(session.ImagePath());
    if (Win32Files().Exists(path) &&
        FwMessageBox(LoadResStringWith(IDS_WORLD_FILE_REPLACE, {path}), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    TellWritten(WriteWholeFile(Win32Files(), path, FormatScanWorldFile(geoRef.GetAffine())), path);
}

void ExportFitReport(CImageDoc& doc)
{
    const CImageSession& session = doc.Session();
    CGeoRefArray geoRef;
    if (!CanExportFitOf(session) || !ChosenFit(session, &geoRef))
        return;
    std::string path;
    if (!AskSavePath(doc, IDS_REPORT_FILES, "*.txt", "-fit-report.txt", &path))
        return;
    CFitReportHeading heading;
    heading.strScan = doc.GetPathName();
    heading.nWidth = FullWidth(doc);
    heading.nHeight = FullHeight(doc);
    if (const CCrsEntry* pCrs = CrsEntry(session))
        heading.strCrs = "EPSG:" + std::to_string(pCrs->nCode) + " " + std::string(pCrs->name);
    heading.strDate = Today();
    const UINT names[] = {IDS_FIT_ROTATION_SCALES, IDS_FIT_HELMERT,     IDS_FIT_AFFINE,      IDS_FIT_FROM_FILE,
                          IDS_FIT_PROJECTIVE,      IDS_FIT_POLYNOMIAL2, IDS_FIT_POLYNOMIAL3, IDS_FIT_TPS};
    for (FitModel model : kFitModels)
        heading.modelNames[FitModelIndex(model)] = LoadResString(names[FitModelIndex(model)]);
    TellWritten(WriteWholeFile(Win32Files(), path, FormatFitReportText(geoRef, heading)), path);
}
