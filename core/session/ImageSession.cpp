#include "core/session/ImageSession.h"

#include <algorithm>
#include <ctime>
#include <unordered_map>
#include <utility>

#include "core/crs/CrsCatalogue.h"
#include "core/crs/CrsSettings.h"
#include "core/crs/UtmSuggestion.h"
#include "core/georef/ImageSettings.h"
#include "core/io/Path.h"
#include "core/gpkg/FeatureGeoPackage.h"
#include "core/journal/RecoveryJournal.h"
#include "core/scan/ImageGeoreference.h"
#include "core/shape/CodePage.h"
#include "core/shape/PolygonRings.h"
#include "core/shape/VertexEdit.h"
#include "core/trace/SharedBorder.h"

namespace
{
// The image setting that keeps the answer about the file's georeference.
const char kFileGeoreferenceSettingKey[] = "filegeoref";

// The checksum of a layer's records, shapes and cells: a journal that
// refers to the file knows whether the file is still the one it was.
unsigned long LayerFingerprint(const CShapefileLayer& layer)
{
    std::string bytes(layer.m_table.HeaderBytes());
    for (size_t i = 0; i < layer.m_features.size(); ++i)
    {
        bytes += layer.RawRecord(static_cast<int>(i));
        if (static_cast<int>(i) < layer.m_table.GetRecordCount())
            bytes += layer.m_table.RecordBytes(static_cast<int>(i));
    }
    return Crc32(bytes.data(), bytes.size());
}

// The same for a GeoPackage layer: its table's name, and every feature's
// id, geometry and values as read.
unsigned long LayerFingerprint(const COpenedLayer& opened)
{
    if (!opened.IsGeoPackage())
        return LayerFingerprint(opened.m_layer);
    std::string bytes = opened.m_strTable;
    for (const CVectorFeature& feature : opened.m_vector.features)
    {
        bytes += '\n' + std::to_string(feature.nFid);
        for (const std::vector<CMapPoint>& part : feature.parts)
        {
            bytes += '|';
            bytes.append(reinterpret_cast<const char*>(part.data()), part.size() * sizeof(CMapPoint));
        }
        for (const std::optional<std::string>& value : feature.values)
            bytes += value ? '\x01' + *value : std::string(1, '\0');
    }
    return Crc32(bytes.data(), bytes.size());
}

// Whether every point switched on has both texts typed in the degree
// grammar's marks or letters, not as plain numbers.
bool TypedInDegrees(const std::vector<CGeoRefPoint>& points)
{
    auto marked = [](const std::string& text) {
        return !text.empty() && text.find_first_not_of("0123456789+-., ") != std::string::npos;
    };
    bool bAny = false;
    for (const CGeoRefPoint& p : points)
    {
        if (p.m_bOff)
            continue;
        if (!marked(p.m_strMapX) || !marked(p.m_strMapY))
            return false;
        bAny = true;
    }
    return bAny;
}

FileGeoreferenceChoice ParseFileGeoreferenceChoice(const std::string& strValue)
{
    if (strValue == "use")
        return FileGeoreferenceChoice::Use;
    if (strValue == "ignore")
        return FileGeoreferenceChoice::Ignore;
    return FileGeoreferenceChoice::Unasked;
}

// The features as digitised here, referring to no record or field of a file.
CShapeArray DetachedFromFile(const CShapeArray& shapes)
{
    CShapeArray features;
    for (int i = 0; i < shapes.GetSize(); ++i)
    {
        CShape feature = shapes.GetAt(i);
        feature.m_nSource = -1;
        features.Add(std::move(feature));
    }
    std::vector<CAttributeField> fields = shapes.Fields();
    for (CAttributeField& field : fields)
        field.nSourceField = -1;
    features.SetFields(std::move(fields));
    return features;
}
}   // namespace

void ReadImageSideFiles(const std::string& strPath, CFileSystem& files, CImageOpening* pOpening)
{
    CGeoRefArray pointFile;
    pointFile.ReadPointFile(strPath.c_str(), files);
    pOpening->points = std::move(pointFile.m_points);
    const CImageSettings settings = ReadImageSettings(strPath.c_str(), files);
    pOpening->nFitModel = ParseFitModelSetting(settings.Get(kFitSettingKey));
    ApplyPointsOffSetting(settings.Get(kPointsOffSettingKey), &pOpening->points);
    // The catalogue is unpacked only for an image that names a system.
    if (!settings.Get(kCrsSettingKey).empty())
        pOpening->crs = CrsFromSettings(settings, EmbeddedCrsCatalogue());
    if (!settings.Get(kPointsCrsSettingKey).empty())
    {
        pOpening->pointsCrs = PointsCrsFromSettings(settings, EmbeddedCrsCatalogue(), pOpening->crs);
        if (pOpening->pointsCrs.nEpsg == pOpening->crs.nEpsg)
            pOpening->pointsCrs = CCrsRef();
    }
    pOpening->nFileChoice = ParseFileGeoreferenceChoice(settings.Get(kFileGeoreferenceSettingKey));
    ReadFileGeoreference(strPath, files, &pOpening->fileGeoref);
}

CImageSession::CImageSession(CFileSystem& files) : m_files(files), m_journal(files) {}

void CImageSession::BeginOpen()
{
    m_bUnsaved = false;
    m_bNorthUp = false;
    m_crs = m_pointsCrs = CCrsRef();
    m_carrier.SetSystems(m_pointsCrs, m_crs);
    m_nMode = MODE_GEOREFERENCE;
    m_bVertexEditing = false;
    ++m_nFeaturesVersion;
    m_shapeFile.m_shapes = CShapeArray();   // and its fields
    SetSource(nullptr);
    m_shapeFile.m_geoRef.SetImageHeight(0);
    m_shapeFile.m_geoRef.m_bFileFit = false;
    m_typed.SetImageHeight(0);
    m_fileGeoref = CFileGeoreference();
    m_nFileChoice = FileGeoreferenceChoice::Unasked;
}

CSessionOutcome CImageSession::Open(const CImageOpening& opening)
{
    CGeoRefArray& geoRef = m_shapeFile.m_geoRef;
    m_typed.m_points = opening.points;
    m_typed.m_bValid = geoRef.m_bValid = false;
    m_typed.SetImageHeight(opening.nHeight);
    geoRef.SetImageHeight(opening.nHeight);
    m_fileGeoref = opening.fileGeoref;
    m_nFileChoice = opening.nFileChoice;
    geoRef.m_bFileFit = !m_fileGeoref.IsNone();
    geoRef.m_fileFit = m_fileGeoref.transform;
    // The file's fit chosen before, and its world file gone since: the
    // points are fitted as they were before it was chosen.
    geoRef.m_nFitModel =
        opening.nFitModel == FitModel::FromFile && !geoRef.m_bFileFit ? FitModel::RotationScales : opening.nFitModel;
    m_typed.m_nFitModel = geoRef.m_nFitModel;
    m_crs = opening.crs;
    m_pointsCrs = opening.pointsCrs.nEpsg == m_crs.nEpsg ? CCrsRef() : opening.pointsCrs;
    m_carrier.SetSystems(PointsCrs(), m_crs);
    m_notCarried.clear();
    CSessionOutcome outcome;
    CarryPoints(outcome, true);
    m_strPath = opening.strPath;
    m_strPointsOff = PointsOffSettingValue(m_typed.m_points);
    m_current.RemoveAll();
    SetSource(nullptr);
    SetJournalImage(opening.strFullPath, opening.strJournalFolder);
    ContentReplaced();

    outcome.bDone = true;
    if (m_journal.FindWork(&m_found))
        outcome.messages.push_back(RestoreQuestion());
    return outcome;
}

CSessionMessage CImageSession::RestoreQuestion() const
{
    // A feature half drawn counts as one.
    return {NOTICE_ASK_RESTORE, m_journal.Path(), m_found.shapes.GetSize() + (m_found.current.GetSize() > 0 ? 1 : 0),
            static_cast<long long>(m_found.nLastTime)};
}

void CImageSession::OpenFailed(const std::string& strJournalFolder)
{
    // The path of the image before stays, as the document's does.
    m_nMode = MODE_NONE;
    SetJournalImage("", strJournalFolder);
    ContentReplaced();
}

void CImageSession::New()
{
    // The scan stays on show and may be transposed again; the copy made
    // from it goes. Without a path there is nothing to name a journal
    // after; the user has just been asked about the features.
    m_bNorthUp = false;
    m_strPath.clear();
    m_current.RemoveAll();
    m_journal.Remove();
    SetJournalImage("", "");
    ContentReplaced();
}

CSessionOutcome CImageSession::RestoreFromJournal()
{
    CSessionOutcome outcome;
    if (!RestoreOffered())
        return outcome;
    CShape current = std::move(m_found.current);
    const ::ShapeType nCurrentType = m_found.nCurrentType;
    const long long nTime = m_found.nLastTime;
    const std::string strSource = m_found.strSource;
    const unsigned long nFingerprint = m_found.nFingerprint;
    const bool bHasFields = m_found.bHasFields;
    m_shapeFile.m_shapes = std::move(m_found.shapes);
    m_nShapeType = Features().GetSize() > 0 ? m_found.nShapeType : nCurrentType;
    m_found = CRecoveredWork();
    m_bUnsaved = true;
    // They were digitised with the fit of the point file beside the image:
    // digitising goes on where it stopped. Without a fit they wait, with
    // their type, until the points are fitted again.
    if (m_shapeFile.m_geoRef.CalcTransform())
        m_nMode = MODE_DIGITISE;
    m_found.strSource = strSource;
    m_found.nFingerprint = nFingerprint;
    m_found.bHasFields = bHasFields;
    RestoreSource(outcome);
    m_found = CRecoveredWork();
    outcome.bDone = true;
    outcome.bReplaced = true;
    outcome.bModeChanged = m_nMode == MODE_DIGITISE;
    // A clean journal of what was restored, without any torn tail, and
    // dated as the work it holds.
    if (m_journal.Restart(m_shapeFile.m_shapes, m_nShapeType, nTime) == JOURNAL_FAILED)
        JournalFailed(outcome);
    ContentReplaced();
    // The feature half drawn goes on being drawn, as one of the features' type.
    if (current.GetSize() > 0 && nCurrentType == m_nShapeType)
    {
        m_current = std::move(current);
        if (m_journal.RecordCurrent(m_current, m_nShapeType, Features(), nTime) == JOURNAL_FAILED)
            JournalFailed(outcome);
    }
    return outcome;
}

void CImageSession::RestoreSource(CSessionOutcome& outcome)
{
    SetSource(nullptr);
    if (m_found.strSource.empty())
        return;
    // The records the features name are read again from the file, converted
    // with the fit in force, which is the one they were opened with.
    auto pOpened = std::make_shared<COpenedLayer>();
    bool bFound = false;
    if (IsGeoPackagePath(m_found.strSource) && m_shapeFile.m_geoRef.m_bValid)
    {
        // The journal names the file; its layer is the one whose rows are as they were.
        std::vector<CGeoPackageLayerInfo> layers;
        if (!ListGeoPackageLayers(m_found.strSource, m_files, &layers).Ok())
            layers.clear();
        for (size_t k = 0; k < layers.size() && !bFound; ++k)
        {
            CVectorLayer read;
            bFound = ReadGeoPackageLayer(m_found.strSource, layers[k].strName, m_files, &read, nullptr, nullptr).Ok() &&
                     MakeOpenedGeoPackageLayer(m_found.strSource, std::move(read), m_shapeFile.m_geoRef.GetTransform(),
                                               pOpened.get(), nullptr, m_nNameCodePage) &&
                     LayerFingerprint(*pOpened) == m_found.nFingerprint;
        }
    }
    else if (m_shapeFile.m_geoRef.m_bValid)
    {
        CShapefileLayer layer;
        bFound = ReadShapefileLayer(m_found.strSource, m_files, &layer).Ok() &&
                 LayerFingerprint(layer) == m_found.nFingerprint &&
                 MakeOpenedLayer(m_found.strSource, std::move(layer), m_shapeFile.m_geoRef.GetTransform(),
                                 pOpened.get(), nullptr, m_nNameCodePage);
    }
    if (bFound)
    {
        // A journal that did not list the fields keeps the file's, each
        // feature with its record's values.
        if (!m_found.bHasFields)
        {
            std::vector<CAttributeField> fields = OpenedFields(*pOpened);
            CShapeArray& shapes = m_shapeFile.m_shapes;
            for (int i = 0; i < shapes.GetSize(); ++i)
                shapes.SetValuesOf(i, OpenedValues(*pOpened, shapes.GetAt(i).m_nSource, fields));
            shapes.SetFields(std::move(fields));
        }
        SetSource(pOpened);
        m_strFeaturePath = m_found.strSource;
        return;
    }
    // The file changed or went since: the features are kept as digitised here.
    m_shapeFile.m_shapes = DetachedFromFile(Features());
    outcome.messages.push_back({NOTICE_SOURCE_CHANGED, m_found.strSource});
}

void CImageSession::SetSource(std::shared_ptr<const COpenedLayer> pSource)
{
    m_shapeFile.m_pSource = std::move(pSource);
    m_strFeaturePath = m_shapeFile.m_pSource ? m_shapeFile.m_pSource->m_strPath : std::string();
    if (m_shapeFile.m_pSource)
        m_journal.SetSource(m_shapeFile.m_pSource->m_strPath, LayerFingerprint(*m_shapeFile.m_pSource));
    else
        m_journal.SetSource(std::string(), 0);
}

bool CImageSession::FitAvailable() const
{
    if (m_nMode == MODE_NONE)
        return false;
    if (m_nMode != MODE_GEOREFERENCE)
        return GeoRef().m_bValid;
    // The report fits the chosen model after every change of the points:
    // asked at every menu update, it costs nothing here.
    return m_fitReport.nChosenModel == GeoRef().m_nFitModel && m_fitReport.Chosen().bFitted;
}

CGeoRefArray CImageSession::FitOnDemand() const
{
    CGeoRefArray geoRef = GeoRef();
    if (m_nMode == MODE_NONE)
        geoRef.m_bValid = false;
    else if (m_nMode == MODE_GEOREFERENCE)
        geoRef.Refit();
    return geoRef;
}

bool CImageSession::CanOpenFeatures() const
{
    if (m_nMode == MODE_NONE)
        return false;
    if (m_nMode != MODE_GEOREFERENCE)
        return GeoRef().m_bValid;
    CGeoRefArray geoRef = GeoRef();
    return geoRef.CalcTransform();
}

bool CImageSession::PrjDiffers(const CShapefileLayer& layer) const
{
    const CCrsEntry* pEntry = m_crs.IsNone() ? nullptr : EmbeddedCrsCatalogue().Find(m_crs.nEpsg);
    return PrjDiffersFromImage(layer.m_strPrj, pEntry ? std::string(pEntry->wkt) : std::string());
}

CSessionOutcome CImageSession::OpenFeatures(const std::string& strPath, CShapefileLayer layer)
{
    const GeometryKind nKind = layer.Kind();
    return AdoptFeatures(strPath, nKind, [&](COpenedLayer* pOpened, CShapeArray* pFeatures) {
        return MakeOpenedLayer(strPath, std::move(layer), GeoRef().GetTransform(), pOpened, pFeatures, m_nNameCodePage);
    });
}

CSessionOutcome CImageSession::OpenFeatures(const std::string& strPath, CVectorLayer layer)
{
    const GeometryKind nKind = layer.nKind;
    return AdoptFeatures(strPath, nKind, [&](COpenedLayer* pOpened, CShapeArray* pFeatures) {
        return MakeOpenedGeoPackageLayer(strPath, std::move(layer), GeoRef().GetTransform(), pOpened, pFeatures,
                                         m_nNameCodePage);
    });
}

bool CImageSession::SrsDiffers(const CGeoPackageLayerInfo& info) const { return GeoPackageSrsDiffers(info, m_crs); }

CSessionOutcome CImageSession::AdoptFeatures(const std::string& strPath, GeometryKind nKind,
                                             const std::function<bool(COpenedLayer*, CShapeArray*)>& makeOpened)
{
    CSessionOutcome outcome;
    if (!CanOpenFeatures())
    {
        outcome.messages.push_back({NOTICE_FEATURES_NEED_FIT, strPath});
        return outcome;
    }
    if (m_nMode == MODE_GEOREFERENCE)
    {
        WritePointFile(outcome);
        m_shapeFile.m_geoRef.CalcTransform();
    }
    const ::ShapeType nShapeType = DocumentShapeType(nKind);
    auto pOpened = std::make_shared<COpenedLayer>();
    CShapeArray features;
    if (!makeOpened(pOpened.get(), &features))
    {
        outcome.messages.push_back({NOTICE_FEATURES_OFF_SCAN, strPath});
        return outcome;
    }
    // The features before were saved or given up: their journal goes.
    m_journal.Remove();
    m_shapeFile.m_shapes = std::move(features);
    m_nShapeType = nShapeType;
    m_current.RemoveAll();
    SetSource(pOpened);
    m_bUnsaved = false;
    const ViewMode modeBefore = m_nMode;
    m_nMode = MODE_DIGITISE;
    ContentReplaced();
    outcome.bDone = outcome.bReplaced = true;
    outcome.bModeChanged = m_nMode != modeBefore;
    if (const int nKept = pOpened->KeptCount())
        outcome.messages.push_back({NOTICE_FEATURES_KEPT, strPath, nKept});
    return outcome;
}

CSessionOutcome CImageSession::MoveFeature(int nIndex, int nDx, int nDy)
{
    if (nIndex < 0 || nIndex >= Features().GetSize() || (nDx == 0 && nDy == 0))
        return {};
    if (IsKeptShape(nIndex))
        return {};
    return Do(CMoveFeatureEdit{nIndex, nDx, nDy});
}

bool CImageSession::IsKeptShape(int nIndex) const
{
    const CShape& feature = Features().GetAt(nIndex);
    const COpenedLayer* pSource = m_shapeFile.m_pSource.get();
    return pSource && feature.m_nSource >= 0 && feature.m_nSource < static_cast<int>(pSource->m_records.size()) &&
           pSource->m_records[feature.m_nSource].bKept;
}

CSessionOutcome CImageSession::ShapeKept()
{
    CSessionOutcome refused;
    refused.messages.push_back({NOTICE_SHAPE_KEPT, std::string()});
    return refused;
}

void CImageSession::DeclineRestore()
{
    m_found = CRecoveredWork();
    m_journal.Remove();
}

CSessionOutcome CImageSession::AnswerFileGeoreference(bool bUse)
{
    CSessionOutcome outcome;
    if (!HasFileGeoreference())
        return outcome;
    m_nFileChoice = bUse ? FileGeoreferenceChoice::Use : FileGeoreferenceChoice::Ignore;
    if (bUse)
    {
        outcome = ChooseFitModel(FitModel::FromFile);
        // A code the catalogue does not hold leaves the system as it was.
        const CCrsEntry* pEntry = m_fileGeoref.nEpsg > 0 ? EmbeddedCrsCatalogue().Find(m_fileGeoref.nEpsg) : nullptr;
        if (pEntry && pEntry->nCode != m_crs.nEpsg)
        {
            CSessionOutcome crs = SetCrs(pEntry->Ref());
            outcome.messages.insert(outcome.messages.end(), crs.messages.begin(), crs.messages.end());
        }
    }
    UpdateSetting(kFileGeoreferenceSettingKey, bUse ? "use" : "ignore", NOTICE_SETTINGS_NOT_WRITTEN, outcome);
    outcome.bDone = true;
    return outcome;
}

CSessionOutcome CImageSession::AddPoint(const CGeoRefPoint& point)
{
    return Do(CAddPointEdit{static_cast<int>(TypedPoints().size()), point});
}

CSessionOutcome CImageSession::MovePoint(int nIndex, int nPixelX, int nPixelY)
{
    if (nIndex < 0 || nIndex >= static_cast<int>(TypedPoints().size()))
        return {};
    CGeoRefPoint moved = TypedPoints()[nIndex];
    if (moved.m_nPixelX == nPixelX && moved.m_nPixelY == nPixelY)
        return {};
    moved.m_nPixelX = nPixelX;
    moved.m_nPixelY = nPixelY;
    return ChangePoint(nIndex, moved);
}

CSessionOutcome CImageSession::ChangePoint(int nIndex, const CGeoRefPoint& point)
{
    if (nIndex < 0 || nIndex >= static_cast<int>(TypedPoints().size()))
        return {};
    return Do(CChangePointEdit{nIndex, TypedPoints()[nIndex], point});
}

CSessionOutcome CImageSession::DeletePoint(int nIndex)
{
    if (nIndex < 0 || nIndex >= static_cast<int>(TypedPoints().size()))
        return {};
    return Do(CDeletePointEdit{nIndex, TypedPoints()[nIndex]});
}

CSessionOutcome CImageSession::DeleteAllPoints()
{
    if (TypedPoints().empty())
        return {};
    return Do(CDeleteAllPointsEdit{TypedPoints()});
}

CSessionOutcome CImageSession::SwitchPoint(int nIndex, bool bOff)
{
    const std::vector<CGeoRefPoint>& points = TypedPoints();
    if (nIndex < 0 || nIndex >= static_cast<int>(points.size()) || points[nIndex].m_bOff == bOff)
        return {};
    if (m_nMode != MODE_GEOREFERENCE && m_nMode != MODE_NONE)
    {
        std::vector<CGeoRefPoint> switched = points;
        switched[nIndex].m_bOff = bOff;
        if (!TrialFit(switched).m_bValid)
        {
            CSessionOutcome refused;
            refused.messages.push_back({NOTICE_MODEL_CANNOT_FIT, std::string()});
            return refused;
        }
    }
    return Do(CSwitchPointEdit{nIndex, bOff});
}

CSessionOutcome CImageSession::ReplacePoints(const std::vector<CGeoRefPoint>& points)
{
    if (m_nMode != MODE_GEOREFERENCE && m_nMode != MODE_NONE && !TrialFit(points).m_bValid)
    {
        CSessionOutcome refused;
        refused.messages.push_back({NOTICE_MODEL_CANNOT_FIT, std::string()});
        return refused;
    }
    return Do(CReplacePointsEdit{TypedPoints(), points});
}

CSessionOutcome CImageSession::ChooseFitModel(FitModel nModel)
{
    const FitModel nBefore = GeoRef().m_nFitModel;
    if (nModel == nBefore || (nModel == FitModel::FromFile && !HasFileGeoreference()))
        return {};
    // Features being digitised need a fit in force all the time: a model
    // that cannot be fitted yet is chosen while georeferencing.
    bool fits = m_fitReport.Model(nModel).bFitted;
    if (m_fitReport.Model(nModel).bSkipped)
    {
        // Not fitted for the report: too many points to fit it beside the chosen one.
        CGeoRefArray trial(GeoRef());
        trial.m_nFitModel = nModel;
        fits = trial.Refit();
    }
    if (m_nMode != MODE_GEOREFERENCE && m_nMode != MODE_NONE && !fits)
    {
        CSessionOutcome refused;
        refused.messages.push_back({NOTICE_MODEL_CANNOT_FIT, std::string()});
        return refused;
    }
    return Do(CSetFitModelEdit{nBefore, nModel});
}

CSessionOutcome CImageSession::FitPoints()
{
    CSessionOutcome outcome;
    if (m_nMode != MODE_GEOREFERENCE)
        return outcome;
    // The points are kept beside the image whatever the fit makes of them,
    // so that the user can come back and add more.
    WritePointFile(outcome);
    outcome.bDone = m_shapeFile.m_geoRef.CalcTransform();
    if (!outcome.bDone)
        outcome.messages.push_back({NOTICE_NOT_FITTED, std::string()});
    return outcome;
}

CSessionOutcome CImageSession::StartDigitising(::ShapeType nShapeType)
{
    if (m_nMode != MODE_GEOREFERENCE || !GeoRef().m_bValid)
        return {};
    m_nShapeType = nShapeType;
    ++m_nFeaturesVersion;
    return SwitchMode(MODE_GEOREFERENCE, MODE_DIGITISE);
}

CSessionOutcome CImageSession::SwitchMode(ViewMode nFrom, ViewMode nTo)
{
    CSessionOutcome outcome;
    if (m_nMode != nFrom)
        return outcome;
    m_nMode = nTo;
    m_bVertexEditing = false;
    outcome.bDone = outcome.bModeChanged = true;
    return outcome;
}

CSessionOutcome CImageSession::BackToGeoreferencing()
{
    if (m_nMode != MODE_DIGITISE)
        return {};
    // The feature being digitised keeps its vertices, and the unsaved flag
    // its value: only the finished features go (the edit sets the mode, and
    // taking it back digitises them again).
    return Do(CDeleteAllFeaturesEdit{Features(), m_nShapeType});
}

CSessionOutcome CImageSession::ShowNorthUp()
{
    CSessionOutcome outcome = SwitchMode(MODE_DIGITISE, MODE_TRANSPOSED);
    if (outcome.bDone)
        m_bNorthUp = true;
    return outcome;
}

// The north-up copy is kept for Copy and for showing again.
CSessionOutcome CImageSession::ShowScan() { return SwitchMode(MODE_TRANSPOSED, MODE_DIGITISE); }

CSessionOutcome CImageSession::DropNorthUp()
{
    CSessionOutcome outcome;
    outcome.bDone = m_bNorthUp;
    m_bNorthUp = false;
    return outcome;
}

CSessionOutcome CImageSession::AddVertex(int nPixelX, int nPixelY)
{
    if (m_nMode != MODE_DIGITISE)
        return {};
    return Do(CAddVertexEdit{{nPixelX, nPixelY}});
}

CSessionOutcome CImageSession::RemoveVertex()
{
    // A hole just begun has no vertex of its own to remove: Undo takes it back.
    if (m_current.GetSize() == 0 || m_current.RingBegin(m_current.RingCount() - 1) == m_current.GetSize())
        return {};
    return Do(CRemoveVertexEdit{m_current.GetAt(m_current.GetSize() - 1)});
}

CSessionOutcome CImageSession::TraceNeighbour()
{
    if (m_nMode != MODE_DIGITISE)
        return {};
    const CEdit* pLast = m_history.NextUndo();
    const CTraceNeighbourEdit* pTraced = pLast ? pLast->As<CTraceNeighbourEdit>() : nullptr;
    const bool bFlip = pTraced && pTraced->m_after == m_current.Vertices();
    CTraceNeighbourEdit edit;
    edit.m_before = bFlip ? pTraced->m_before : m_current.Vertices();
    edit.m_bOtherWay = bFlip && !pTraced->m_bOtherWay;
    const size_t n = edit.m_before.size();
    NeighbourStretch stretch;
    // The two vertices are those of the ring being drawn, not one of a ring before.
    if (n < 2 || static_cast<int>(n) - m_current.RingBegin(m_current.RingCount() - 1) < 2 ||
        !FindNeighbourStretch(Features(), m_nShapeType, edit.m_before[n - 2], edit.m_before[n - 1], edit.m_bOtherWay,
                              &stretch))
        return {};
    if (bFlip && !stretch.bTwoWays)
        return {};
    edit.m_after = edit.m_before;
    edit.m_after.insert(edit.m_after.end() - 1, stretch.between.begin(), stretch.between.end());
    if (edit.m_after == m_current.Vertices())
        return {};
    if (bFlip)
    {
        // The way just taken goes back first, so that one undo leaves the two clicks.
        CSessionOutcome undone = Undo();
        if (!undone.bDone)
            return {};
    }
    return Do(edit);
}

CSessionOutcome CImageSession::AddTracedVertices(const std::vector<CShapeVertex>& path)
{
    if (m_nMode != MODE_DIGITISE || path.size() < 2 ||
        m_current.GetSize() == m_current.RingBegin(m_current.RingCount() - 1) ||
        !(path.front() == m_current.GetAt(m_current.GetSize() - 1)))
        return {};
    CTraceLineEdit edit;
    edit.m_before = m_current.Vertices();
    edit.m_after = edit.m_before;
    edit.m_after.insert(edit.m_after.end(), path.begin() + 1, path.end());
    return Do(edit);
}

CSessionOutcome CImageSession::FinishFeature(const std::string& strName)
{
    return FinishFeature(strName, Features().NewFeatureValues());
}

namespace
{
CSessionOutcome HoleRefused(SessionNotice nNotice)
{
    CSessionOutcome refused;
    refused.messages.push_back({nNotice, std::string()});
    return refused;
}

// The last hole of the feature being drawn; one begun without a vertex
// is left out when it is finished.
HoleCheck CheckLastHole(const CShape& current)
{
    const int nLast = current.RingCount() - 1;
    if (nLast == 0 || current.RingBegin(nLast) == current.GetSize())
        return HoleCheck::Fits;
    return CheckHole(current, nLast);
}

SessionNotice HoleNotice(HoleCheck check)
{
    switch (check)
    {
    case HoleCheck::Outside: return NOTICE_HOLE_OUTSIDE;
    case HoleCheck::Crosses: return NOTICE_HOLE_CROSSES;
    default: return NOTICE_HOLE_TOO_FEW;
    }
}
}   // namespace

CSessionOutcome CImageSession::AddHole()
{
    if (m_nMode != MODE_DIGITISE || m_nShapeType != SHAPE_POLYGON || m_current.GetSize() == 0)
        return {};
    if (m_current.RingEnd(0) < 3)
        return HoleRefused(NOTICE_HOLE_NEEDS_RING);
    const int nLast = m_current.RingCount() - 1;
    if (nLast > 0 && m_current.RingBegin(nLast) == m_current.GetSize())
        return {};   // the hole begun has no vertex yet
    if (nLast > 0)
    {
        const HoleCheck check = CheckHole(m_current, nLast);
        if (check != HoleCheck::Fits)
            return HoleRefused(HoleNotice(check));
    }
    return Do(CStartHoleEdit{m_current.GetSize()});
}

CSessionOutcome CImageSession::CheckFinish() const
{
    const HoleCheck check = CheckLastHole(m_current);
    return check == HoleCheck::Fits ? CSessionOutcome() : HoleRefused(HoleNotice(check));
}

CSessionOutcome CImageSession::FinishFeature(const std::string& strName, std::vector<FieldValue> values)
{
    if (m_current.GetSize() == 0)
        return {};
    if (CheckLastHole(m_current) != HoleCheck::Fits)
        return CheckFinish();
    values.resize(Features().Fields().size());
    return Do(CFinishFeatureEdit(m_current, m_nShapeType, strName, Features().GetSize(), std::move(values)));
}

unsigned CImageSession::FieldCodePage() const
{
    return m_shapeFile.m_pSource ? m_shapeFile.m_pSource->m_layer.m_table.m_nCodePage : m_nNameCodePage;
}

bool CImageSession::NameFits(const std::string& strName) const { return FitsCodePage(strName, FieldCodePage()); }

FieldValueStatus CImageSession::CheckValue(int nField, const std::string& strText, FieldValue* pValue) const
{
    const std::vector<CAttributeField>& fields = Features().Fields();
    if (nField < 0 || nField >= static_cast<int>(fields.size()))
        return FieldValueError::NotInteger;
    return CheckFieldValue(fields[nField].def, strText, FieldCodePage(), pValue);
}

CSessionOutcome CImageSession::SetValue(int nFeature, int nField, const FieldValue& value)
{
    if (nFeature < 0 || nFeature >= Features().GetSize() || nField < 0 ||
        nField >= static_cast<int>(Features().Fields().size()))
        return {};
    const FieldValue before = Features().GetAt(nFeature).Value(nField);
    if (before == value)
        return {};
    return Do(CSetValueEdit{nFeature, nField, before, value});
}

FieldDefinitionStatus CImageSession::CheckField(CLayerField* pField, int nExcept) const
{
    std::vector<std::string> taken;
    const std::vector<CAttributeField>& fields = Features().Fields();
    for (int k = 0; k < static_cast<int>(fields.size()); ++k)
        if (k != nExcept)
            taken.push_back(fields[k].def.strName);
    // The name is saved in NAME, a new feature's number in ID.
    taken.push_back("NAME");
    if (!m_shapeFile.m_pSource)
        taken.push_back("ID");
    return CheckFieldDefinition(pField, taken);
}

CSessionOutcome CImageSession::AddField(const CAttributeField& field)
{
    CAttributeField added = field;
    added.nSourceField = -1;
    return Do(CAddFieldEdit{static_cast<int>(Features().Fields().size()), added});
}

CSessionOutcome CImageSession::RemoveField(int nField)
{
    if (nField < 0 || nField >= static_cast<int>(Features().Fields().size()))
        return {};
    return Do(CRemoveFieldEdit{nField, Features().Fields()[nField], Features().Column(nField)});
}

CSessionOutcome CImageSession::ChangeField(int nField, const CAttributeField& field)
{
    if (nField < 0 || nField >= static_cast<int>(Features().Fields().size()))
        return {};
    const CAttributeField& before = Features().Fields()[nField];
    CAttributeField after = field;
    // Only the name, the default and the reuse change: the kind and size
    // are the stored values'.
    after.def.nType = before.def.nType;
    after.def.nWidth = before.def.nWidth;
    after.def.nDecimals = before.def.nDecimals;
    after.nSourceField = before.nSourceField;
    if (after.def.strName == before.def.strName && after.defaultValue == before.defaultValue &&
        after.bReuseLast == before.bReuseLast)
        return {};
    return Do(CChangeFieldEdit{nField, before, after});
}

CSessionOutcome CImageSession::DiscardFeature()
{
    if (m_current.GetSize() == 0)
        return {};
    return Do(CDiscardFeatureEdit{m_current});
}

CSessionOutcome CImageSession::RenameFeature(int nIndex, const std::string& strName)
{
    if (nIndex < 0 || nIndex >= Features().GetSize() || Features().GetAt(nIndex).m_strName == strName)
        return {};
    return Do(CRenameFeatureEdit(nIndex, Features().GetAt(nIndex), strName));
}

CSessionOutcome CImageSession::DeleteFeature(int nIndex)
{
    if (nIndex < 0 || nIndex >= Features().GetSize())
        return {};
    return Do(CDeleteFeatureEdit{nIndex, Features().GetAt(nIndex)});
}

CSessionOutcome CImageSession::SetVertexEditing(bool bOn)
{
    CSessionOutcome outcome;
    if (m_nMode != MODE_DIGITISE || bOn == VertexEditing())
        return outcome;
    m_bVertexEditing = bOn;
    outcome.bDone = true;
    return outcome;
}

template <typename Edit, typename Change>
CSessionOutcome CImageSession::EditFeatureVertices(int nFeature, Change change)
{
    if (m_nMode != MODE_DIGITISE || nFeature < 0 || nFeature >= Features().GetSize())
        return {};
    if (IsKeptShape(nFeature))
        return ShapeKept();
    if (Features().GetAt(nFeature).RingCount() > 1)
        return HoleRefused(NOTICE_HOLED_SHAPE);
    Edit edit;
    edit.m_nIndex = nFeature;
    edit.m_before = edit.m_after = Features().GetAt(nFeature).Vertices();
    switch (change(edit.m_after))
    {
    case VertexEditResult::Done: return edit.m_after == edit.m_before ? CSessionOutcome() : Do(std::move(edit));
    case VertexEditResult::NoSuchVertex: return {};
    case VertexEditResult::TooFew: break;
    }
    CSessionOutcome refused;
    CSessionMessage message{NOTICE_TOO_FEW_VERTICES, std::string()};
    message.nCount = MinimumVertexCount(m_nShapeType);
    refused.messages.push_back(message);
    return refused;
}

CSessionOutcome CImageSession::MoveFeatureVertex(int nFeature, int nVertex, int nPixelX, int nPixelY)
{
    return EditFeatureVertices<CMoveVertexEdit>(nFeature, [&](std::vector<CShapeVertex>& vertices) {
        return MoveVertex(vertices, m_nShapeType, nVertex, {nPixelX, nPixelY});
    });
}

CSessionOutcome CImageSession::InsertFeatureVertex(int nFeature, int nSegment, int nPixelX, int nPixelY)
{
    return EditFeatureVertices<CInsertVertexEdit>(nFeature, [&](std::vector<CShapeVertex>& vertices) {
        return InsertVertex(vertices, m_nShapeType, nSegment, {nPixelX, nPixelY});
    });
}

CSessionOutcome CImageSession::DeleteFeatureVertex(int nFeature, int nVertex)
{
    return EditFeatureVertices<CDeleteVertexEdit>(
        nFeature, [&](std::vector<CShapeVertex>& vertices) { return DeleteVertex(vertices, m_nShapeType, nVertex); });
}

CSessionOutcome CImageSession::Do(CEdit edit)
{
    CEditTarget target = Target();
    if (!m_history.Do(std::move(edit), target))
        return {};
    return AfterStep(*m_history.NextUndo(), EditStep::Done);
}

CSessionOutcome CImageSession::Undo()
{
    CEditTarget target = Target();
    if (!m_history.Undo(target))
        return {};
    return AfterStep(*m_history.NextRedo(), EditStep::Undone);
}

CSessionOutcome CImageSession::Redo()
{
    CEditTarget target = Target();
    if (!m_history.Redo(target))
        return {};
    return AfterStep(*m_history.NextUndo(), EditStep::Redone);
}

CSessionOutcome CImageSession::AfterStep(const CEdit& edit, EditStep nStep)
{
    CSessionOutcome outcome;
    outcome.bDone = true;
    outcome.pEdit = &edit;
    const bool forward = nStep != EditStep::Undone;
    const bool georeference = edit.Scope() == EditScope::Georeference;
    const bool clear = edit.As<CDeleteAllFeaturesEdit>() != nullptr;
    const ViewMode modeBefore = m_nMode;
    if (edit.Scope() == EditScope::Features)
        ++m_nFeaturesVersion;
    // On the disk before anything shows the change as done.
    bool journalFailed = m_journal.Record(edit, nStep, Features(), m_nShapeType, std::time(nullptr)) == JOURNAL_FAILED;
    // A polygon with a hole is more work than a click to lose: it is kept
    // in the journal while it is drawn.
    if (!journalFailed && (m_current.RingCount() > 1 || m_journal.HoldsCurrent()))
        journalFailed =
            m_journal.RecordCurrent(m_current, m_nShapeType, Features(), std::time(nullptr)) == JOURNAL_FAILED;
    if (georeference)
    {
        // The north-up copy was made with the fit that has just changed.
        m_bNorthUp = false;
        if (m_nMode == MODE_TRANSPOSED)
            m_nMode = MODE_DIGITISE;
        CarryPoints(outcome);
        m_shapeFile.m_geoRef.Refit();
        m_fitReport = EvaluateFits(GeoRef());
    }
    if (clear)
    {
        // Going back to georeferencing removed the features; taking that
        // back is digitising them again (the edit gave back their type).
        m_bNorthUp = false;
        m_nMode = forward ? MODE_GEOREFERENCE : MODE_DIGITISE;
    }
    // Features that change are unsaved; the way back to georeferencing
    // keeps the flag as it was.
    if (edit.Scope() == EditScope::Features && !(clear && forward))
        m_bUnsaved = true;
    outcome.bModeChanged = m_nMode != modeBefore;
    if (outcome.bModeChanged)
        m_bVertexEditing = false;

    if (edit.As<CSetFitModelEdit>())
        UpdateSetting(kFitSettingKey, FitModelSettingValue(GeoRef().m_nFitModel), NOTICE_SETTINGS_NOT_WRITTEN, outcome);
    else if (georeference && !edit.As<CSwitchPointEdit>() && !(edit.As<CAddPointEdit>() && nStep == EditStep::Done))
        WritePointFile(outcome);   // a new point is written when the fit is asked for
    // The switched-off points by number: a switch changes them, and so does
    // a point added or deleted before one.
    if (georeference)
    {
        const std::string off = PointsOffSettingValue(TypedPoints());
        if (off != m_strPointsOff)
        {
            m_strPointsOff = off;
            UpdateSetting(kPointsOffSettingKey, off, NOTICE_SETTINGS_NOT_WRITTEN, outcome);
        }
    }
    if (journalFailed)
        JournalFailed(outcome);
    return outcome;
}

void CImageSession::SaveSucceeded(const std::string& strSavedPath)
{
    m_bUnsaved = false;
    // Every feature is in the files now; the next change starts a new journal.
    m_journal.Remove();
    if (strSavedPath.empty())
        return;
    m_strFeaturePath = strSavedPath;
    if (!m_shapeFile.m_pSource)
        return;
    if (m_shapeFile.m_pSource->IsGeoPackage())
    {
        if (RebaseOnGeoPackage(strSavedPath))
            return;
        // The rows written cannot be told apart: another Save must not
        // apply the same changes again, so it asks where to write.
        m_shapeFile.m_shapes = DetachedFromFile(Features());
        SetSource(nullptr);
        return;
    }
    // Feature i is record i of the file just written: the next save and
    // the journal refer to it, and to nothing of the file before.
    CShapefileLayer layer;
    if (!ReadShapefileLayer(strSavedPath, m_files, &layer).Ok())
    {
        m_journal.SetSource(std::string(), 0);
        return;
    }
    auto pOpened = std::make_shared<COpenedLayer>();
    const CShapeArray& features = Features();
    CShapeArray rebased;
    for (int i = 0; i < features.GetSize(); ++i)
    {
        const CShape& feature = features.GetAt(i);
        const CSourceRecord* pBefore = m_shapeFile.m_pSource->SameGeometry(feature)
                                           ? &m_shapeFile.m_pSource->m_records[feature.m_nSource]
                                           : nullptr;
        CSourceRecord record;
        record.vertices = feature.Vertices();
        record.strName = feature.m_strName;
        record.bKept = pBefore && pBefore->bKept;
        pOpened->m_records.push_back(std::move(record));
        CShape copy = feature;
        copy.m_nSource = i;
        rebased.Add(std::move(copy));
    }
    pOpened->m_strPath = strSavedPath;
    // The fields as written: NAME may have been added, fields removed or added.
    FindNameAndId(layer.m_table, pOpened.get());
    pOpened->m_nNameCodePage = m_shapeFile.m_pSource->m_nNameCodePage;
    pOpened->m_layer = std::move(layer);
    std::vector<CAttributeField> fields = features.Fields();
    RebindFields(*pOpened, &fields);
    rebased.SetFields(std::move(fields));
    if (pOpened->m_layer.m_features.size() != pOpened->m_records.size())
    {
        m_journal.SetSource(std::string(), 0);
        return;
    }
    // The numbers the save gave new features are theirs from now on: the
    // next save, or a Save As, writes them again instead of none.
    for (size_t f = 0; pOpened->m_nIdField >= 0 && f < rebased.Fields().size(); ++f)
        if (rebased.Fields()[f].nSourceField == pOpened->m_nIdField)
            for (int i = 0; i < rebased.GetSize(); ++i)
                if (!rebased.GetAt(i).Value(static_cast<int>(f)))
                    rebased.SetValue(
                        i, static_cast<int>(f),
                        ValueOfCell(pOpened->m_layer.m_table, i, pOpened->m_nIdField, rebased.Fields()[f].def.nType));
    m_shapeFile.m_shapes = std::move(rebased);
    SetSource(pOpened);
    // Steps kept in the history name records of the file before.
    m_history.Clear();
}

// Features opened from a GeoPackage refer to the rows of the file just
// written: the same rows when it was saved back (new features the rows
// added last, in their order), else row i feature i.
bool CImageSession::RebaseOnGeoPackage(const std::string& strSavedPath)
{
    const COpenedLayer& before = *m_shapeFile.m_pSource;
    std::vector<CGeoPackageLayerInfo> layers;
    if (!ListGeoPackageLayers(strSavedPath, m_files, &layers).Ok())
        return false;
    const bool bSavedBack = SameFileName(strSavedPath, before.m_strPath);
    std::string table = bSavedBack ? before.m_strTable : std::string();
    if (!bSavedBack && layers.size() == 1)
        table = layers[0].strName;
    CVectorLayer layer;
    if (table.empty() || !ReadGeoPackageLayer(strSavedPath, table, m_files, &layer, nullptr, nullptr).Ok())
        return false;
    const CShapeArray& features = Features();
    if (layer.features.size() != static_cast<size_t>(features.GetSize()))
        return false;
    std::vector<int> rowOf(static_cast<size_t>(features.GetSize()), -1);
    if (bSavedBack)
    {
        std::vector<bool> taken(layer.features.size());
        std::unordered_map<int64_t, int> rowOfFid;
        for (size_t r = 0; r < layer.features.size(); ++r)
            rowOfFid.emplace(layer.features[r].nFid, static_cast<int>(r));
        for (int i = 0; i < features.GetSize(); ++i)
        {
            const int nSource = features.GetAt(i).m_nSource;
            if (nSource < 0 || nSource >= static_cast<int>(before.m_vector.features.size()))
                continue;
            const auto found = rowOfFid.find(before.m_vector.features[nSource].nFid);
            if (found == rowOfFid.end() || taken[found->second])
                return false;
            rowOf[i] = found->second;
            taken[rowOf[i]] = true;
        }
        size_t next = 0;
        for (int i = 0; i < features.GetSize(); ++i)
            if (rowOf[i] < 0)
            {
                while (next < taken.size() && taken[next])
                    ++next;
                if (next == taken.size())
                    return false;
                rowOf[i] = static_cast<int>(next);
                taken[next] = true;
            }
    }
    else
        for (int i = 0; i < features.GetSize(); ++i)
            rowOf[i] = i;

    auto pOpened = std::make_shared<COpenedLayer>();
    CShapeArray rebased;
    pOpened->m_records.resize(layer.features.size());
    for (int i = 0; i < features.GetSize(); ++i)
    {
        const CShape& feature = features.GetAt(i);
        CSourceRecord& record = pOpened->m_records[rowOf[i]];
        record.vertices = feature.Vertices();
        record.strName = feature.m_strName;
        record.bKept = before.SameGeometry(feature) && before.m_records[feature.m_nSource].bKept;
        CShape copy = feature;
        copy.m_nSource = rowOf[i];
        rebased.Add(std::move(copy));
    }
    pOpened->m_strPath = strSavedPath;
    pOpened->m_strTable = table;
    pOpened->m_nNameCodePage = before.m_nNameCodePage;
    FindGeoPackageNameAndId(layer, pOpened.get());
    pOpened->m_vector = std::move(layer);
    std::vector<CAttributeField> fields = features.Fields();
    RebindFields(*pOpened, &fields);
    rebased.SetFields(std::move(fields));
    // The numbers the save gave new features are theirs from now on.
    for (size_t f = 0; pOpened->m_nIdField >= 0 && f < rebased.Fields().size(); ++f)
        if (rebased.Fields()[f].nSourceField == pOpened->m_nIdField)
            for (int i = 0; i < rebased.GetSize(); ++i)
                if (!rebased.GetAt(i).Value(static_cast<int>(f)))
                    rebased.SetValue(i, static_cast<int>(f),
                                     pOpened->SourceValue(rowOf[i], pOpened->m_nIdField, FieldType::Integer));
    m_shapeFile.m_shapes = std::move(rebased);
    SetSource(pOpened);
    // Steps kept in the history name rows of the file before.
    m_history.Clear();
    return true;
}

CSessionOutcome CImageSession::SetCrs(const CCrsRef& crs) { return SetCrs(crs, m_pointsCrs); }

CSessionOutcome CImageSession::SetCrs(const CCrsRef& output, const CCrsRef& points)
{
    const CCrsRef pointsKept = points.nEpsg == output.nEpsg ? CCrsRef() : points;
    const int nPointsBefore = PointsCrs().nEpsg, nOutputBefore = m_crs.nEpsg;
    const bool bCarriedBefore = m_carrier.Carries();
    const int nPointsAfter = pointsKept.IsNone() ? output.nEpsg : pointsKept.nEpsg;
    m_carrier.SetSystems(pointsKept.IsNone() ? output : pointsKept, output);
    // The fit changes when the points are carried, before or now, and the
    // pair of systems is another.
    const bool bRefit =
        (bCarriedBefore || m_carrier.Carries()) && (nPointsBefore != nPointsAfter || nOutputBefore != output.nEpsg);
    if (bRefit && m_nMode != MODE_GEOREFERENCE && m_nMode != MODE_NONE && !TrialFit(TypedPoints()).m_bValid)
    {
        m_carrier.SetSystems(PointsCrs(), m_crs);
        CSessionOutcome refused;
        refused.messages.push_back({NOTICE_MODEL_CANNOT_FIT, std::string()});
        return refused;
    }
    CSessionOutcome outcome;
    // Every map coordinate shown may now be another: the windows follow as
    // after points replaced as a whole.
    outcome.bDone = outcome.bReplaced = true;
    const bool bPointsKeyChanged = pointsKept.nEpsg != m_pointsCrs.nEpsg;
    m_crs = output;
    m_pointsCrs = pointsKept;
    // Without an image file the choice holds for this session only.
    UpdateSetting(kCrsSettingKey, FormatCrsSetting(m_crs.nEpsg), NOTICE_CRS_NOT_REMEMBERED, outcome);
    // The key is written only when it changes: an image whose points are
    // typed in the output system keeps its settings file as it was.
    if (bPointsKeyChanged)
        UpdateSetting(kPointsCrsSettingKey, FormatCrsSetting(m_pointsCrs.nEpsg), NOTICE_CRS_NOT_REMEMBERED, outcome);
    if (!bRefit)
        return outcome;
    const ViewMode modeBefore = m_nMode;
    m_bNorthUp = false;
    if (m_nMode == MODE_TRANSPOSED)
        m_nMode = MODE_DIGITISE;
    m_notCarried.clear();
    CarryPoints(outcome, true);
    m_shapeFile.m_geoRef.Refit();
    m_fitReport = EvaluateFits(GeoRef());
    outcome.bModeChanged = m_nMode != modeBefore;
    return outcome;
}

CSessionOutcome CImageSession::AcceptSuggestedCrs()
{
    const int nCode = SuggestedCrs();
    if (nCode == 0)
        return {};
    const CCrsEntry* pOutput = EmbeddedCrsCatalogue().Find(nCode);
    const CCrsEntry* pPoints = EmbeddedCrsCatalogue().Find(4326);
    if (!pOutput || !pPoints)
        return {};
    return SetCrs(pOutput->Ref(), m_pointsCrs.IsNone() ? pPoints->Ref() : m_pointsCrs);
}

int CImageSession::SuggestedCrs() const
{
    if (m_nMode == MODE_NONE || !m_crs.IsNone())
        return 0;
    if (!(m_pointsCrs.bGeographic || (m_pointsCrs.IsNone() && TypedInDegrees(TypedPoints()))))
        return 0;
    return SuggestUtmZone(TypedPoints());
}

bool CImageSession::IsPointCarried(int nIndex) const
{
    return std::find(m_notCarried.begin(), m_notCarried.end(), nIndex) == m_notCarried.end();
}

void CImageSession::CarryPoints(CSessionOutcome& outcome, bool bTellNoWay)
{
    CGeoRefArray& fit = m_shapeFile.m_geoRef;
    fit.m_nFitModel = m_typed.m_nFitModel;
    std::vector<int> notCarried;
    const auto status = m_carrier.Carry(TypedPoints(), &fit.m_points, &notCarried);
    // Told once for each point newly lost, not at every edit after.
    std::string strNewlyLost;
    for (int i : notCarried)
        if (IsPointCarried(i))
            strNewlyLost += (strNewlyLost.empty() ? "" : ", ") + std::to_string(i + 1);
    m_notCarried = std::move(notCarried);
    m_strOperation = m_carrier.OperationName(TypedPoints());
    if (status.Ok())
        return;
    if (status.GetCode() != CrsTransformCode::PointFailed)
    {
        if (bTellNoWay || !strNewlyLost.empty())
        {
            outcome.messages.push_back({NOTICE_NO_CRS_OPERATION, status.Detail()});
        }
        return;
    }
    if (strNewlyLost.empty())
        return;
    CSessionMessage message{NOTICE_POINTS_NOT_CARRIED, strNewlyLost};
    message.nCount = static_cast<int>(std::count(strNewlyLost.begin(), strNewlyLost.end(), ',')) + 1;
    outcome.messages.push_back(message);
}

CGeoRefArray CImageSession::TrialFit(const std::vector<CGeoRefPoint>& typed)
{
    CGeoRefArray trial(GeoRef());
    trial.m_nFitModel = m_typed.m_nFitModel;
    std::vector<int> notCarried;
    (void)m_carrier.Carry(typed, &trial.m_points, &notCarried);
    trial.Refit();
    return trial;
}

void CImageSession::ContentReplaced()
{
    ++m_nFeaturesVersion;
    m_history.Clear();
    m_fitReport = EvaluateFits(GeoRef());
}

void CImageSession::WritePointFile(CSessionOutcome& outcome)
{
    if (m_strPath.empty() || m_typed.WritePointFile(m_strPath.c_str(), m_files))
        return;
    outcome.messages.push_back({NOTICE_POINT_FILE_NOT_WRITTEN, PointFilePath(m_strPath.c_str())});
}

void CImageSession::UpdateSetting(const char* pszKey, const std::string& strValue, SessionNotice nFailure,
                                  CSessionOutcome& outcome)
{
    // An image kept through New has no file: nothing written.
    if (m_strPath.empty() || UpdateImageSetting(m_strPath.c_str(), pszKey, strValue, m_files))
        return;
    outcome.messages.push_back({nFailure, ImageSettingsPath(m_strPath.c_str())});
}

void CImageSession::SetJournalImage(const std::string& strFullPath, const std::string& strFolder)
{
    m_journal.SetImage(strFullPath, strFolder);
    // A new image: its first journal failure is told again.
    m_bJournalFailureTold = false;
}

void CImageSession::JournalFailed(CSessionOutcome& outcome)
{
    // Once an image: after that the user knows, and a message at every
    // feature would only stop the work.
    if (m_bJournalFailureTold)
        return;
    m_bJournalFailureTold = true;
    outcome.messages.push_back({NOTICE_JOURNAL_NOT_WRITTEN, m_journal.Path()});
}
