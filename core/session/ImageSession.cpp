#include "core/session/ImageSession.h"

#include <ctime>
#include <utility>

#include "core/crs/CrsCatalogue.h"
#include "core/crs/CrsSettings.h"
#include "core/georef/ImageSettings.h"
#include "core/journal/RecoveryJournal.h"
#include "core/scan/ImageGeoreference.h"
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

FileGeoreferenceChoice ParseFileGeoreferenceChoice(const std::string& strValue)
{
    if (strValue == "use")
        return FileGeoreferenceChoice::Use;
    if (strValue == "ignore")
        return FileGeoreferenceChoice::Ignore;
    return FileGeoreferenceChoice::Unasked;
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
    pOpening->nFileChoice = ParseFileGeoreferenceChoice(settings.Get(kFileGeoreferenceSettingKey));
    ReadFileGeoreference(strPath, files, &pOpening->fileGeoref);
}

CImageSession::CImageSession(CFileSystem& files) : m_files(files), m_journal(files) {}

void CImageSession::BeginOpen()
{
    m_bUnsaved = false;
    m_bNorthUp = false;
    m_crs = CCrsRef();
    m_nMode = MODE_GEOREFERENCE;
    m_bVertexEditing = false;
    ++m_nFeaturesVersion;
    m_shapeFile.m_shapes = CShapeArray();   // and its fields
    SetSource(nullptr);
    m_shapeFile.m_geoRef.SetImageHeight(0);
    m_shapeFile.m_geoRef.m_bFileFit = false;
    m_fileGeoref = CFileGeoreference();
    m_nFileChoice = FileGeoreferenceChoice::Unasked;
}

CSessionOutcome CImageSession::Open(const CImageOpening& opening)
{
    CGeoRefArray& geoRef = m_shapeFile.m_geoRef;
    geoRef.m_points = opening.points;
    geoRef.m_bValid = false;
    geoRef.SetImageHeight(opening.nHeight);
    m_fileGeoref = opening.fileGeoref;
    m_nFileChoice = opening.nFileChoice;
    geoRef.m_bFileFit = !m_fileGeoref.IsNone();
    geoRef.m_fileFit = m_fileGeoref.transform;
    // The file's fit chosen before, and its world file gone since: the
    // points are fitted as they were before it was chosen.
    geoRef.m_nFitModel =
        opening.nFitModel == FitModel::FromFile && !geoRef.m_bFileFit ? FitModel::RotationScales : opening.nFitModel;
    m_crs = opening.crs;
    m_strPath = opening.strPath;
    m_strPointsOff = PointsOffSettingValue(geoRef.m_points);
    m_current.RemoveAll();
    SetSource(nullptr);
    SetJournalImage(opening.strFullPath, opening.strJournalFolder);
    ContentReplaced();

    CSessionOutcome outcome;
    outcome.bDone = true;
    if (m_journal.FindWork(&m_found))
        outcome.messages.push_back(RestoreQuestion());
    return outcome;
}

CSessionMessage CImageSession::RestoreQuestion() const
{
    return {NOTICE_ASK_RESTORE, m_journal.Path(), m_found.shapes.GetSize(), static_cast<long long>(m_found.nLastTime)};
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
    if (m_found.shapes.GetSize() == 0)
        return outcome;
    const long long nTime = m_found.nLastTime;
    const std::string strSource = m_found.strSource;
    const unsigned long nFingerprint = m_found.nFingerprint;
    const bool bHasFields = m_found.bHasFields;
    m_shapeFile.m_shapes = std::move(m_found.shapes);
    m_nShapeType = m_found.nShapeType;
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
    return outcome;
}

void CImageSession::RestoreSource(CSessionOutcome& outcome)
{
    SetSource(nullptr);
    if (m_found.strSource.empty())
        return;
    // The records the features name are read again from the file, converted
    // with the fit in force, which is the one they were opened with.
    CShapefileLayer layer;
    auto pOpened = std::make_shared<COpenedLayer>();
    if (m_shapeFile.m_geoRef.m_bValid && ReadShapefileLayer(m_found.strSource, m_files, &layer).Ok() &&
        LayerFingerprint(layer) == m_found.nFingerprint &&
        MakeOpenedLayer(m_found.strSource, std::move(layer), m_shapeFile.m_geoRef.GetTransform(), pOpened.get(),
                        nullptr, m_nNameCodePage))
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
    CShapeArray features;
    for (int i = 0; i < Features().GetSize(); ++i)
    {
        CShape feature = Features().GetAt(i);
        feature.m_nSource = -1;
        features.Add(std::move(feature));
    }
    std::vector<CAttributeField> fields = Features().Fields();
    for (CAttributeField& field : fields)
        field.nSourceField = -1;
    features.SetFields(std::move(fields));
    m_shapeFile.m_shapes = std::move(features);
    outcome.messages.push_back({NOTICE_SOURCE_CHANGED, m_found.strSource});
}

void CImageSession::SetSource(std::shared_ptr<const COpenedLayer> pSource)
{
    m_shapeFile.m_pSource = std::move(pSource);
    m_strFeaturePath = m_shapeFile.m_pSource ? m_shapeFile.m_pSource->m_strPath : std::string();
    if (m_shapeFile.m_pSource)
        m_journal.SetSource(m_shapeFile.m_pSource->m_strPath, LayerFingerprint(m_shapeFile.m_pSource->m_layer));
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
    const ::ShapeType nShapeType = DocumentShapeType(layer.Kind());
    auto pOpened = std::make_shared<COpenedLayer>();
    CShapeArray features;
    if (!MakeOpenedLayer(strPath, std::move(layer), GeoRef().GetTransform(), pOpened.get(), &features, m_nNameCodePage))
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
    return Do(CAddPointEdit{static_cast<int>(GeoRef().m_points.size()), point});
}

CSessionOutcome CImageSession::MovePoint(int nIndex, int nPixelX, int nPixelY)
{
    if (nIndex < 0 || nIndex >= static_cast<int>(GeoRef().m_points.size()))
        return {};
    CGeoRefPoint moved = GeoRef().m_points[nIndex];
    if (moved.m_nPixelX == nPixelX && moved.m_nPixelY == nPixelY)
        return {};
    moved.m_nPixelX = nPixelX;
    moved.m_nPixelY = nPixelY;
    return ChangePoint(nIndex, moved);
}

CSessionOutcome CImageSession::ChangePoint(int nIndex, const CGeoRefPoint& point)
{
    if (nIndex < 0 || nIndex >= static_cast<int>(GeoRef().m_points.size()))
        return {};
    return Do(CChangePointEdit{nIndex, GeoRef().m_points[nIndex], point});
}

CSessionOutcome CImageSession::DeletePoint(int nIndex)
{
    if (nIndex < 0 || nIndex >= static_cast<int>(GeoRef().m_points.size()))
        return {};
    return Do(CDeletePointEdit{nIndex, GeoRef().m_points[nIndex]});
}

CSessionOutcome CImageSession::DeleteAllPoints()
{
    if (GeoRef().m_points.empty())
        return {};
    return Do(CDeleteAllPointsEdit{GeoRef().m_points});
}

CSessionOutcome CImageSession::SwitchPoint(int nIndex, bool bOff)
{
    const std::vector<CGeoRefPoint>& points = GeoRef().m_points;
    if (nIndex < 0 || nIndex >= static_cast<int>(points.size()) || points[nIndex].m_bOff == bOff)
        return {};
    if (m_nMode != MODE_GEOREFERENCE && m_nMode != MODE_NONE)
    {
        CGeoRefArray trial(GeoRef());
        trial.m_points[nIndex].m_bOff = bOff;
        if (!trial.Refit())
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
    if (m_nMode != MODE_GEOREFERENCE && m_nMode != MODE_NONE)
    {
        CGeoRefArray trial(GeoRef());
        trial.m_points = points;
        if (!trial.Refit())
        {
            CSessionOutcome refused;
            refused.messages.push_back({NOTICE_MODEL_CANNOT_FIT, std::string()});
            return refused;
        }
    }
    return Do(CReplacePointsEdit{GeoRef().m_points, points});
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
    if (m_current.GetSize() == 0)
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
    if (n < 2 || !FindNeighbourStretch(Features(), m_nShapeType, edit.m_before[n - 2], edit.m_before[n - 1],
                                       edit.m_bOtherWay, &stretch))
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
    if (m_nMode != MODE_DIGITISE || path.size() < 2 || m_current.GetSize() == 0 ||
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

CSessionOutcome CImageSession::FinishFeature(const std::string& strName, std::vector<FieldValue> values)
{
    if (m_current.GetSize() == 0)
        return {};
    values.resize(Features().Fields().size());
    return Do(CFinishFeatureEdit(m_current, m_nShapeType, strName, Features().GetSize(), std::move(values)));
}

unsigned CImageSession::FieldCodePage() const
{
    return m_shapeFile.m_pSource ? m_shapeFile.m_pSource->m_layer.m_table.m_nCodePage : m_nNameCodePage;
}

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
    const bool journalFailed =
        m_journal.Record(edit, nStep, Features(), m_nShapeType, std::time(nullptr)) == JOURNAL_FAILED;
    if (georeference)
    {
        // The north-up copy was made with the fit that has just changed.
        m_bNorthUp = false;
        if (m_nMode == MODE_TRANSPOSED)
            m_nMode = MODE_DIGITISE;
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
        const std::string off = PointsOffSettingValue(GeoRef().m_points);
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

CSessionOutcome CImageSession::SetCrs(const CCrsRef& crs)
{
    CSessionOutcome outcome;
    outcome.bDone = true;
    m_crs = crs;
    // Without an image file the choice holds for this session only.
    UpdateSetting(kCrsSettingKey, FormatCrsSetting(m_crs.nEpsg), NOTICE_CRS_NOT_REMEMBERED, outcome);
    return outcome;
}

void CImageSession::ContentReplaced()
{
    ++m_nFeaturesVersion;
    m_history.Clear();
    m_fitReport = EvaluateFits(GeoRef());
}

void CImageSession::WritePointFile(CSessionOutcome& outcome)
{
    if (m_strPath.empty() || m_shapeFile.m_geoRef.WritePointFile(m_strPath.c_str(), m_files))
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
