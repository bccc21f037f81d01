// The working state of one image: its control points and fit, its coordinate
// system, the interaction mode, the finished features and the one being
// digitised, the unsaved flag, the undo history and the recovery journal.
// The state is changed only by the verbs below; each says in its outcome
// what changed and what the user has to be told. Nothing here shows
// anything: the shell draws, lays out and asks.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/edit/EditHistory.h"
#include "core/session/CarriedPoints.h"
#include "core/georef/CrsRef.h"
#include "core/georef/FileGeoreference.h"
#include "core/georef/FitReport.h"
#include "core/gpkg/GeoPackageReader.h"
#include "core/io/FileSystem.h"
#include "core/edit/JournalWriter.h"
#include "core/shape/ShapeFile.h"

enum ViewMode
{
    MODE_NONE = -1,          // no image
    MODE_GEOREFERENCE = 0,   // placing control points
    MODE_DIGITISE = 1,       // digitising features
    MODE_TRANSPOSED = 2,     // showing the resampled north-up image
};

// What the user has to hear after a verb.
enum SessionNotice
{
    NOTICE_POINT_FILE_NOT_WRITTEN,   // strPath: the .tvg beside the image
    NOTICE_SETTINGS_NOT_WRITTEN,     // strPath: the image's settings file (the fit model)
    NOTICE_CRS_NOT_REMEMBERED,       // strPath: the image's settings file (the coordinate system)
    NOTICE_JOURNAL_NOT_WRITTEN,      // strPath: the journal; said once an image
    NOTICE_NOT_FITTED,               // the control points give no fit to digitise with
    NOTICE_MODEL_CANNOT_FIT,         // a model without a fit, refused while digitising
    NOTICE_ASK_RESTORE,              // the journal holds nCount features from nTime: restore them?
    NOTICE_FEATURES_NEED_FIT,        // features cannot be opened over a scan without a fit
    NOTICE_FEATURES_OFF_SCAN,        // strPath: its coordinates have no place on the scan with the fit
    NOTICE_FEATURES_KEPT,            // nCount features opened have shapes that are kept as they are
    NOTICE_SOURCE_CHANGED,           // strPath: restored features lost their link to it (changed or gone)
    NOTICE_TOO_FEW_VERTICES,         // a vertex not deleted: the feature keeps at least nCount
    NOTICE_SHAPE_KEPT,               // a vertex not changed: the feature's shape is kept as its file has it
    NOTICE_HOLE_TOO_FEW,             // a hole of fewer than three corners, or all on one line
    NOTICE_HOLE_OUTSIDE,             // a hole crossing, touching or outside the outer ring
    NOTICE_HOLE_CROSSES,             // a hole crossing, touching or overlapping another hole
    NOTICE_HOLE_NEEDS_RING,          // a hole asked for before the outer ring has three vertices
    NOTICE_HOLED_SHAPE,              // a vertex not changed: a polygon with holes is edited whole
    NOTICE_POINTS_NOT_CARRIED,       // nCount points cannot be carried into the output system: strPath, their numbers
    NOTICE_NO_CRS_OPERATION,         // no way from the points' system to the output's: strPath, PROJ's words
};

struct CSessionMessage
{
    SessionNotice nNotice;
    std::string strPath;
    int nCount = 0;
    long long nTime = 0;
};

// What a verb did. pEdit points into the history, and holds only until the
// next verb.
struct [[nodiscard]] CSessionOutcome
{
    bool bDone = false;             // the verb changed something
    bool bReplaced = false;         // the points or features were replaced as a whole
    const CEdit* pEdit = nullptr;   // the edit applied, taken back or applied again
    bool bModeChanged = false;      // the view has to be laid out again
    std::vector<CSessionMessage> messages;
};

// Whether the georeference an image file brings along is to be used: the
// user's answer, kept in the image's settings, asked once.
enum class FileGeoreferenceChoice
{
    Unasked,
    Use,
    Ignore,
};

// What an opened image brings along: its full path (which the journal is
// named after), the folder its journal is kept in (with its separator),
// its height, and what its side files hold.
struct CImageOpening
{
    std::string strPath;
    std::string strFullPath;
    std::string strJournalFolder;
    int nHeight = 0;
    std::vector<CGeoRefPoint> points;
    FitModel nFitModel = FitModel::RotationScales;
    CCrsRef crs;
    CCrsRef pointsCrs;   // none: typed in the output system
    CFileGeoreference fileGeoref;
    FileGeoreferenceChoice nFileChoice = FileGeoreferenceChoice::Unasked;
};

// What the files beside the image at strPath hold: its control points (the
// point file), the fit model, the coordinate system and the answer about the
// file's georeference (its settings); and the georeference the image itself
// or a world file gives. What is missing or unreadable is left as the defaults.
void ReadImageSideFiles(const std::string& strPath, CFileSystem& files, CImageOpening* pOpening);

class CImageSession
{
public:
    // The point file, the settings and the journal are written through files.
    explicit CImageSession(CFileSystem& files);

    ViewMode Mode() const { return m_nMode; }
    // The fit, its model and the control points with their coordinates in
    // the output system: what the read-out, the saves and the exports use.
    const CGeoRefArray& GeoRef() const { return m_shapeFile.m_geoRef; }
    // The same points as typed, in the points' system: what the point file
    // keeps and the user edits.
    const std::vector<CGeoRefPoint>& TypedPoints() const { return m_typed.m_points; }
    const CShapeArray& Features() const { return m_shapeFile.m_shapes; }
    const CShapeFile& ShapeFile() const { return m_shapeFile; }
    const CShape& Current() const { return m_current; }
    // The member function hides the type's name in the class: "::ShapeType" below.
    ::ShapeType ShapeType() const { return m_nShapeType; }
    // Only features restored without a fit are there before digitising
    // starts; they keep their type. Features opened from a file keep the
    // file's type, even once every one of them is gone.
    bool ShapeTypeFixed() const { return Features().GetSize() > 0 || m_shapeFile.m_pSource != nullptr; }
    bool Unsaved() const { return m_bUnsaved; }
    // The output system, which the fit and every output are made in.
    const CCrsRef& Crs() const { return m_crs; }
    // The system the control points are typed in; the output's unless set.
    const CCrsRef& PointsCrs() const { return m_pointsCrs.IsNone() ? m_crs : m_pointsCrs; }
    // Whether the typed points are carried into another system for the fit.
    bool PointsCarried() const { return m_carrier.Carries(); }
    bool IsPointCarried(int nIndex) const;
    // PROJ's name of the operation that carries them; "" when none does.
    const std::string& OperationName() const { return m_strOperation; }
    // An output position in the points' system, for the read-out; false
    // when the points are not carried or the place has no counterpart.
    bool TypedAt(CMapXY* pAt) { return m_carrier.Back(pAt); }
    // The output system offered when none is chosen and the points are
    // typed in degrees: the UTM zone of their centre (EPSG code), else 0.
    int SuggestedCrs() const;
    const CFitReport& FitReport() const { return m_fitReport; }
    const CEditHistory& History() const { return m_history; }
    // Whether a north-up copy made with the fit in force may be shown.
    bool HasNorthUp() const { return m_bNorthUp; }
    // The image the side files are written beside; "" after New.
    const std::string& ImagePath() const { return m_strPath; }
    const std::string& JournalPath() const { return m_journal.Path(); }

    // An image is being read: nothing of the one before is shown meanwhile.
    void BeginOpen();
    // The image was read; asks to restore what its journal holds. Nothing
    // is being digitised on it yet.
    CSessionOutcome Open(const CImageOpening& opening);
    // The image could not be read: no image, no journal.
    void OpenFailed(const std::string& strJournalFolder);
    // File New: the image stays on show without a path, with its points and
    // features; nothing is being digitised; the journal goes.
    void New();
    // Whether the journal of the image just opened waits for an answer, and
    // the question (NOTICE_ASK_RESTORE) that Open's outcome brought.
    bool RestoreOffered() const { return m_found.shapes.GetSize() > 0 || m_found.current.GetSize() > 0; }
    CSessionMessage RestoreQuestion() const;
    CSessionOutcome RestoreFromJournal();
    void DeclineRestore();

    // The georeference the image file brings along (none for most scans).
    const CFileGeoreference& FileGeoreference() const { return m_fileGeoref; }
    bool HasFileGeoreference() const { return !m_fileGeoref.IsNone(); }
    // Whether the user is yet to say if the file's georeference is used.
    bool FileGeoreferenceOffered() const
    {
        return HasFileGeoreference() && m_nFileChoice == FileGeoreferenceChoice::Unasked && m_nMode != MODE_NONE;
    }
    // Keeps the answer beside the image. Use puts the file's fit in force
    // (an edit of the fit model, undone as any other) and takes its
    // coordinate system when the catalogue knows it: digitising may start
    // at once. Ignore leaves everything as it is.
    CSessionOutcome AnswerFileGeoreference(bool bUse);

    CSessionOutcome AddPoint(const CGeoRefPoint& point);
    CSessionOutcome MovePoint(int nIndex, int nPixelX, int nPixelY);
    CSessionOutcome ChangePoint(int nIndex, const CGeoRefPoint& point);
    CSessionOutcome DeletePoint(int nIndex);
    CSessionOutcome DeleteAllPoints();
    CSessionOutcome ChooseFitModel(FitModel nModel);
    // Switches the point off (left out of the fit, kept and shown) or on.
    // While features are digitised a switch that leaves the chosen model
    // unable to fit is refused, as a model that cannot fit is.
    CSessionOutcome SwitchPoint(int nIndex, bool bOff);
    // Every point replaced by those given (read from another tool's file),
    // one edit that Undo takes back. Refused, as a switch is, while features
    // are digitised and the chosen model cannot fit the new points.
    CSessionOutcome ReplacePoints(const std::vector<CGeoRefPoint>& points);

    // Writes the points and fits them: bDone when digitising may start.
    CSessionOutcome FitPoints();
    CSessionOutcome StartDigitising(::ShapeType nShapeType);
    // Every finished feature goes; the one being digitised stays.
    CSessionOutcome BackToGeoreferencing();
    // The north-up copy was made with the fit in force and is shown.
    CSessionOutcome ShowNorthUp();
    CSessionOutcome ShowScan();
    CSessionOutcome DropNorthUp();

    CSessionOutcome AddVertex(int nPixelX, int nPixelY);
    CSessionOutcome RemoveVertex();
    // The border of the finished feature that has the last two vertices as
    // its own, between them, taken into the feature being digitised (the
    // shorter way round a ring); asked again straight after, the other way
    // round instead, still as one edit.
    CSessionOutcome TraceNeighbour();
    // A path traced along the scan from the last vertex (path's first) on,
    // appended as one edit.
    CSessionOutcome AddTracedVertices(const std::vector<CShapeVertex>& path);
    // The feature gets the values given, or without them what a new
    // feature starts with (CShapeArray::NewFeatureValues).
    CSessionOutcome FinishFeature(const std::string& strName);
    CSessionOutcome FinishFeature(const std::string& strName, std::vector<FieldValue> values);
    CSessionOutcome DiscardFeature();
    // Begins a hole in the polygon being digitised, one edit that Undo
    // takes back: the vertices added next are its ring. Refused until the
    // outer ring has three vertices, and while the hole before does not
    // fit (the message says why; nothing is lost).
    CSessionOutcome AddHole();
    // Whether the feature being digitised can be finished as it is: its
    // last hole fits. Refused with the message why, as FinishFeature is;
    // asked before the user is asked for the name.
    CSessionOutcome CheckFinish() const;
    CSessionOutcome RenameFeature(int nIndex, const std::string& strName);
    CSessionOutcome DeleteFeature(int nIndex);

    // Editing the vertices of finished features, while digitising. The
    // indices are those of VertexEdit.h: a polygon's closing copy of its
    // first vertex is not one of its own and follows the first.
    bool VertexEditing() const { return m_bVertexEditing && m_nMode == MODE_DIGITISE; }
    // Changes whenever the finished features or their type may have: what
    // is worked out from them (a snap index) is made again when it does.
    unsigned long long FeaturesVersion() const { return m_nFeaturesVersion; }
    // bDone when the state changed; refused outside digitising.
    CSessionOutcome SetVertexEditing(bool bOn);
    // Each refused with NOTICE_SHAPE_KEPT for a shape kept as its file has
    // it (only its first part is on show; the rest would be lost).
    CSessionOutcome MoveFeatureVertex(int nFeature, int nVertex, int nPixelX, int nPixelY);
    // A new vertex on segment nSegment (from vertex nSegment to the next).
    CSessionOutcome InsertFeatureVertex(int nFeature, int nSegment, int nPixelX, int nPixelY);
    // Refused with NOTICE_TOO_FEW_VERTICES when the feature would keep too few.
    CSessionOutcome DeleteFeatureVertex(int nFeature, int nVertex);

    // Attribute fields. The code page a field's text is counted in: the
    // opened table's, else the one names are typed in (the .cpg written).
    unsigned FieldCodePage() const;
    // Whether the file the features are saved back to can hold the name: an
    // opened table in a code page has no byte for some letters, which would
    // be written as '?'. A new file holds any name.
    bool NameFits(const std::string& strName) const;
    // Checks text typed for field nField; *pValue as it is to be kept.
    FieldValueStatus CheckValue(int nField, const std::string& strText, FieldValue* pValue) const;
    // A value checked by CheckValue; nothing happens when it is the same.
    CSessionOutcome SetValue(int nFeature, int nField, const FieldValue& value);
    // Checks a field to be added, or field nExcept renamed to pField's name,
    // against the other fields and the name and ID the features are saved with.
    FieldDefinitionStatus CheckField(CLayerField* pField, int nExcept = -1) const;
    // Appends a field checked by CheckField; every feature has no value of it.
    CSessionOutcome AddField(const CAttributeField& field);
    CSessionOutcome RemoveField(int nField);
    // A field's name (checked by CheckField), default or reuse of the last value.
    CSessionOutcome ChangeField(int nField, const CAttributeField& field);

    CSessionOutcome Undo();
    CSessionOutcome Redo();

    // Whether the points allow the chosen model, in any mode with an image:
    // what needs only a fit (the GeoTIFF export) is offered then.
    bool FitAvailable() const;
    // That fit: the one in force while digitising or showing north up, made
    // from the points as they are while georeferencing (where the one in
    // force may be older); m_bValid false when there is none.
    CGeoRefArray FitOnDemand() const;
    // Whether features can be opened over the scan: an image with a fit.
    bool CanOpenFeatures() const;
    // Whether the layer's .prj names another system than the image's.
    bool PrjDiffers(const CShapefileLayer& layer) const;
    // The features of the Shapefile read from strPath become the
    // document's, each with its record, and digitising goes on with its
    // type. Like opening an image, it starts a new history: the features
    // before were saved or given up first.
    CSessionOutcome OpenFeatures(const std::string& strPath, CShapefileLayer layer);
    // The same for a layer read from a GeoPackage (ReadGeoPackageLayer);
    // File > Save then writes the changes back into that file.
    CSessionOutcome OpenFeatures(const std::string& strPath, CVectorLayer layer);
    // Whether the GeoPackage layer's system is another than the image's.
    bool SrsDiffers(const CGeoPackageLayerInfo& info) const;
    // Shifts a feature by whole pixels; a kept shape (COpenedLayer) cannot move.
    CSessionOutcome MoveFeature(int nIndex, int nDx, int nDy);
    // The code page names are typed and kept in (the system's ANSI page);
    // a file's text is converted from and back to its own.
    void SetNameCodePage(unsigned nCodePage) { m_nNameCodePage = nCodePage; }
    // Where File > Save writes: the file the features came from or were
    // last saved as; "" when neither.
    const std::string& FeaturePath() const { return m_strFeaturePath; }

    // Every feature is in the saved files at strSavedPath: the journal goes,
    // and features opened from a file now refer to the records just written.
    void SaveSucceeded(const std::string& strSavedPath = std::string());
    void FeaturesGivenUp() { m_journal.Remove(); }
    // The output system; the points' system stays as it is.
    CSessionOutcome SetCrs(const CCrsRef& crs);
    // Both systems; points none (or the output's) types them in the output
    // system. A change that carries the points anew refits; while features
    // are digitised it is refused when the chosen model could not fit then.
    // Done, it says bReplaced: every map coordinate shown may have changed.
    CSessionOutcome SetCrs(const CCrsRef& output, const CCrsRef& points);
    // The suggested system as the output, the points taken as WGS 84
    // degrees unless their system is set.
    CSessionOutcome AcceptSuggestedCrs();

private:
    // A feature opened from a file whose shape is written back as read.
    bool IsKeptShape(int nIndex) const;
    static CSessionOutcome ShapeKept();
    // A vertex verb on finished feature nFeature: change edits a copy of
    // its vertices and says how it went; an unchanged copy does nothing.
    template <typename Edit, typename Change>
    CSessionOutcome EditFeatureVertices(int nFeature, Change change);

    friend class CImageSessionTestAccess;

    CSessionOutcome Do(CEdit edit);
    CSessionOutcome SwitchMode(ViewMode nFrom, ViewMode nTo);
    // What follows every step of the history.
    CSessionOutcome AfterStep(const CEdit& edit, EditStep nStep);
    CEditTarget Target() { return {m_typed, m_shapeFile.m_shapes, m_nShapeType, m_current}; }
    // The fit's points made again from the typed ones, in the output
    // system; a point newly lost on the way (or the way itself, when
    // bTellNoWay) is told. The fit is left to the caller.
    void CarryPoints(CSessionOutcome& outcome, bool bTellNoWay = false);
    // A copy of the fit with other typed points (carried), refitted.
    CGeoRefArray TrialFit(const std::vector<CGeoRefPoint>& typed);
    void ContentReplaced();
    void WritePointFile(CSessionOutcome& outcome);
    void UpdateSetting(const char* pszKey, const std::string& strValue, SessionNotice nFailure,
                       CSessionOutcome& outcome);
    // The journal follows the image (none for ""), kept in strFolder.
    void SetJournalImage(const std::string& strFullPath, const std::string& strFolder);
    void JournalFailed(CSessionOutcome& outcome);

    CFileSystem& m_files;
    std::string m_strPath;
    ViewMode m_nMode = MODE_NONE;
    CShapeFile m_shapeFile;
    CShape m_current;
    // What the features are digitised and saved as, chosen when digitising starts.
    ::ShapeType m_nShapeType = SHAPE_POLYLINE;
    bool m_bUnsaved = false;
    CCrsRef m_crs;
    CCrsRef m_pointsCrs;   // none: the output's
    // The points as typed and the fit model chosen: what edits change. The
    // fit itself is made in m_shapeFile.m_geoRef from the carried points.
    CGeoRefArray m_typed;
    CPointCarrier m_carrier;
    std::vector<int> m_notCarried;
    std::string m_strOperation;
    CFitReport m_fitReport;
    bool m_bNorthUp = false;
    CEditHistory m_history;
    CJournalWriter m_journal;

    bool m_bJournalFailureTold = false;
    bool m_bVertexEditing = false;
    unsigned long long m_nFeaturesVersion = 0;
    // What the journal of the image just opened holds, until the user answers.
    CRecoveredWork m_found;
    CFileGeoreference m_fileGeoref;
    FileGeoreferenceChoice m_nFileChoice = FileGeoreferenceChoice::Unasked;
    std::string m_strFeaturePath;
    unsigned m_nNameCodePage = 0;
    // The opened features' file comes back with them, or they lose their records.
    void RestoreSource(CSessionOutcome& outcome);
    // What opening a Shapefile's or a GeoPackage's features shares.
    CSessionOutcome AdoptFeatures(const std::string& strPath, GeometryKind nKind,
                                  const std::function<bool(COpenedLayer*, CShapeArray*)>& makeOpened);
    bool RebaseOnGeoPackage(const std::string& strSavedPath);
    void SetSource(std::shared_ptr<const COpenedLayer> pSource);
    // The switched-off points as the settings file has them now.
    std::string m_strPointsOff;
};
