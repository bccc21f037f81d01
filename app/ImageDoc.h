// The document: the decoded JPEG and its resampled north-up copy, the
// finished features with the control points, the feature being digitised,
// the shape type they are digitised as, the unsaved-features flag, the
// interaction mode, and the history of the user's edits.
#pragma once

#include <functional>
#include <map>

#include "app/RecoveryStore.h"
#include "winbase/Win32Files.h"
#include "core/edit/EditHistory.h"
#include "core/georef/CrsRef.h"
#include "core/edit/JournalWriter.h"
#include "core/georef/FitReport.h"
#include "core/raster/RgbImage.h"
#include "core/raster/Transpose.h"
#include "core/shape/ShapeFile.h"
#include "winfw/Document.h"

enum ViewMode
{
    MODE_NONE = -1,          // no image
    MODE_GEOREFERENCE = 0,   // placing control points
    MODE_DIGITISE = 1,       // digitising features
    MODE_TRANSPOSED = 2,     // showing the resampled north-up image
};

// What the views are told after the document changed (OnUpdate's hint).
enum DocumentHint
{
    HINT_NEW_IMAGE = 0,   // the framework's own: start over on a new image
    HINT_EDITED,          // an edit, undone or redone: draw again
    HINT_MODE_CHANGED,    // an undo or redo changed the mode: lay out again
};

class CView;

class CImageDoc : public CDocument
{
public:
    CImageDoc();

    void Serialize(bool bStoring) override;
    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* pszPathName) override;
    BOOL SaveModified() override;
    void ReportOpenFailure(const char* pszPathName) override;

    // Save As (File menu, and Ctrl+S): writes the features as a shapefile.
    // Returns TRUE when the files were written; only then do the features
    // count as saved.
    BOOL OnFileSaveAs();
    // View > Coordinate System...: asks for the image's system and keeps the
    // choice beside the image.
    void OnCoordinateSystem();
    // Makes nCode (0: none) the image's system and remembers it in the
    // image's settings file; tells the user when that file cannot be written.
    void SetCrs(int nCode);
    // What Save As writes beside the shapefile: the .prj of the image's
    // system, and the .cpg of the code page the names are typed in.
    CShapeSideFiles GetShapeSideFiles() const;

    // The one way a user's edit changes the document: applied, kept for
    // Undo, and told to every listener of m_history; the views except
    // pSender are told to draw again. FALSE when the edit did not apply.
    BOOL DoEdit(CEdit edit, CView* pSender = nullptr);
    BOOL OnEditUndo();
    BOOL OnEditRedo();
    // The menu text of Undo or Redo, naming the step ("Undo Delete Control Point").
    std::string UndoText(bool bRedo) const;

    // Writes the control points beside the image; a failure is told to the
    // user with the file's path. TRUE without a path to write beside.
    BOOL WritePointFile();

    // The fit of every model on the control points, as the Control Points
    // window shows it; brought up to date after every change.
    const CFitReport& GetFitReport() const { return m_fitReport; }

    // Called after every edit, undo or redo (with the edit) and whenever
    // the control points were replaced (an open, a New; with null).
    int AddChangeListener(std::function<void(const CEdit* pEdit)> listener);
    void RemoveChangeListener(int nID);

    // Export GeoTIFF (GeoTiffExport.cpp): the scan north up through the fit,
    // as a georeferenced GeoTIFF. Enabled while there is a fit.
    void OnFileExportGeoTiff();

    CRgbImage m_image;
    // The image of Transpose, kept until the control points may change (a
    // new image, New, back to georeferencing, an edit of the points) and
    // shown again as it is.
    CTransposedImage m_transposed;
    CShapeFile m_shapeFile;
    // The feature being digitised.
    CShape m_shape;
    // The coordinate system of the typed map coordinates (none by default).
    CCrsRef m_crs;
    // What the features are digitised and saved as (SHAPE_POLYLINE,
    // SHAPE_POLYGON or SHAPE_POINT), chosen when digitising starts.
    int m_nShapeType;
    int m_bShapesModified;
    int m_nMode;
    // Every edit since the image was opened; listeners hang off it.
    CEditHistory m_history;

    // The pixel size last chosen for this image's export; 0 while it is
    // the scan's own.
    double m_dGeoTiffPixelSize = 0.0;

private:
    // What the document's edits change.
    CEditTarget EditTarget();
    void OnEditStep(const CEdit& edit, EditStep nStep);
    // After an open: offers the features a journal of the image holds.
    void OfferRecovery();
    // Tells the user, once an image, that the features are not safe.
    void ReportJournalFailure();
    void ContentReplaced();
    void TellChangeListeners(const CEdit* pEdit);
    // Sets one key in the settings beside the image (the file keeps its
    // other keys); on failure tells the user nFailureId with the file's
    // path. An image kept through New has no file: TRUE, nothing written.
    BOOL UpdateSetting(const char* pszKey, const std::string& strValue, unsigned nFailureId);
    void AddExportCommands();

    // The string telling why the last open failed: IDS_UNABLE_TO_OPEN for
    // a file we cannot read or that is not a .jpg, IDS_JPG_READ_ERROR for
    // a .jpg the decoder refused (damaged, or too large to hold).
    unsigned m_nOpenFailureId = 0;
    CFitReport m_fitReport;
    std::map<int, std::function<void(const CEdit*)>> m_changeListeners;
    int m_nNextListener = 1;
    CView* m_pEditSender = nullptr;
    // The recovery journal of the features: written at every change of
    // them, removed once they are saved or given up.
    CJournalWriter m_journal{Win32Files()};
    bool m_bJournalFailureTold = false;
};

// Whether the path ends in ".jpg", in any letter case.
bool HasJpgExtension(const char* pszPathName);
