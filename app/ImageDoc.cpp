#include "app/ImageDoc.h"

#include <windows.h>

#include <cstring>
#include <ctime>
#include <string>
#include <utility>

#include "core/crs/CrsCatalogue.h"
#include "core/crs/CrsSettings.h"
#include "core/georef/ImageSettings.h"
#include "core/io/Path.h"
#include "core/jpeg/JpegFile.h"
#include "app/CrsDlg.h"
#include "app/res/resource.h"
#include "app/ScanLimits.h"
#include "app/ShapeSaveAs.h"
#include "winfw/FwIds.h"
#include "winfw/FwUtil.h"
#include "winfw/LongWork.h"
#include "winfw/View.h"
#include "winbase/Win32Files.h"

bool HasJpgExtension(const char* pszPathName)
{
    // ASCII letters only, whatever the user's locale.
    return SameFileName(PathExtension(pszPathName), ".jpg");
}

namespace
{
// The path as the journal is named after it: full, whatever way it was given.
std::string FullPath(const char* pszPathName)
{
    char full[MAX_PATH * 2] = {};
    const DWORD cch = GetFullPathNameA(pszPathName, sizeof full, full, nullptr);
    return cch > 0 && cch < sizeof full ? std::string(full) : std::string(pszPathName);
}

bool CanReadFile(const char* pszPathName) { return Win32Files().OpenForReading(pszPathName) != nullptr; }

// The string-table id naming an edit in the Undo and Redo items.
unsigned EditNameStringId(EditName name)
{
    static const struct
    {
        EditName name;
        unsigned nStringId;
    } kNames[] = {
        {EditName::AddPoint, IDS_EDIT_ADD_POINT},
        {EditName::DeletePoint, IDS_EDIT_DELETE_POINT},
        {EditName::MovePoint, IDS_EDIT_MOVE_POINT},
        {EditName::EditPoint, IDS_EDIT_EDIT_POINT},
        {EditName::DeleteAllPoints, IDS_EDIT_DELETE_ALL_POINTS},
        {EditName::FitModel, IDS_EDIT_FIT_MODEL},
        {EditName::AddVertex, IDS_EDIT_ADD_VERTEX},
        {EditName::RemoveVertex, IDS_EDIT_REMOVE_VERTEX},
        {EditName::FinishFeature, IDS_EDIT_FINISH_FEATURE},
        {EditName::DiscardFeature, IDS_EDIT_DISCARD_FEATURE},
        {EditName::DeleteAllFeatures, IDS_EDIT_DELETE_ALL_FEATURES},
        {EditName::RenameFeature, IDS_EDIT_RENAME_FEATURE},
        {EditName::DeleteFeature, IDS_EDIT_DELETE_FEATURE},
    };
    for (const auto& entry : kNames)
        if (entry.name == name)
            return entry.nStringId;
    return 0;
}
}   // namespace

CImageDoc::CImageDoc() : m_nShapeType(SHAPE_POLYLINE), m_bShapesModified(0), m_nMode(MODE_NONE)
{
    AddCommand(ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); });
    // The document has no file of its own to save: Ctrl+S offers the
    // shapefile, and never writes over the opened image.
    AddCommand(ID_FILE_SAVE, [this] { OnFileSaveAs(); });
    AddExportCommands();
    AddCommand(ID_VIEW_COORDINATE_SYSTEM, [this] { OnCoordinateSystem(); });
    AddCommandUpdate(ID_VIEW_COORDINATE_SYSTEM, [this](CCmdUI& ui) { ui.Enable(m_nMode != MODE_NONE); });
    AddCommand(ID_EDIT_UNDO, [this] { OnEditUndo(); });
    AddCommand(ID_EDIT_REDO, [this] { OnEditRedo(); });
    AddCommandUpdate(ID_EDIT_UNDO, [this](CCmdUI& ui) {
        ui.Enable(m_history.NextUndo() != nullptr);
        ui.SetText(UndoText(false));
    });
    AddCommandUpdate(ID_EDIT_REDO, [this](CCmdUI& ui) {
        ui.Enable(m_history.NextRedo() != nullptr);
        ui.SetText(UndoText(true));
    });
    m_history.AddListener([this](const CEdit& edit, EditStep nStep) { OnEditStep(edit, nStep); });
}

std::string CImageDoc::UndoText(bool bRedo) const
{
    const CEdit* pNext = bRedo ? m_history.NextRedo() : m_history.NextUndo();
    std::string text = LoadResString(bRedo ? IDS_REDO : IDS_UNDO);
    if (pNext)
        text += " " + LoadResString(EditNameStringId(pNext->Name()));
    return text + "\t" + LoadResString(bRedo ? IDS_REDO_KEY : IDS_UNDO_KEY);
}

BOOL CImageDoc::DoEdit(CEdit edit, CView* pSender)
{
    CEditTarget target = EditTarget();
    m_pEditSender = pSender;
    const bool done = m_history.Do(std::move(edit), target);
    m_pEditSender = nullptr;
    return done ? TRUE : FALSE;
}

BOOL CImageDoc::OnEditUndo()
{
    CEditTarget target = EditTarget();
    return m_history.Undo(target) ? TRUE : FALSE;
}

BOOL CImageDoc::OnEditRedo()
{
    CEditTarget target = EditTarget();
    return m_history.Redo(target) ? TRUE : FALSE;
}

CEditTarget CImageDoc::EditTarget() { return {m_shapeFile.m_geoRef, m_shapeFile.m_shapes, m_nShapeType, m_shape}; }

void CImageDoc::OnEditStep(const CEdit& edit, EditStep nStep)
{
    const bool forward = nStep != EditStep::Undone;
    const bool georeference = edit.Scope() == EditScope::Georeference;
    const bool clear = edit.As<CDeleteAllFeaturesEdit>() != nullptr;
    const int modeBefore = m_nMode;
    // On the disk before anything shows the change as done.
    const bool journalFailed =
        m_journal.Record(edit, nStep, m_shapeFile.m_shapes, m_nShapeType, std::time(nullptr)) == JOURNAL_FAILED;
    if (georeference)
    {
        // The resampled image was made with the fit that has just changed.
        m_transposed.Release();
        if (m_nMode == MODE_TRANSPOSED)
            m_nMode = MODE_DIGITISE;
    }
    if (clear)
    {
        // Going back to georeferencing removed the features; taking that
        // back is digitising them again (the edit gave back their type).
        m_transposed.Release();
        m_nMode = forward ? MODE_GEOREFERENCE : MODE_DIGITISE;
    }
    // Features that change are unsaved; the way back to georeferencing
    // keeps the flag as it was.
    if (edit.Scope() == EditScope::Features && !(clear && forward))
        m_bShapesModified = 1;

    if (georeference)
        m_fitReport = EvaluateFits(m_shapeFile.m_geoRef);
    TellChangeListeners(&edit);
    UpdateAllViews(m_pEditSender, m_nMode != modeBefore ? HINT_MODE_CHANGED : HINT_EDITED);

    // Last, after everything is drawn as it now is: the files, and a
    // message when one could not be written.
    if (edit.As<CSetFitModelEdit>())
        UpdateSetting(kFitSettingKey, FitModelSettingValue(m_shapeFile.m_geoRef.m_nFitModel), IDS_SETTINGS_NOT_WRITTEN);
    else if (georeference && !(edit.As<CAddPointEdit>() && nStep == EditStep::Done))
        WritePointFile();   // a new point is written when the fit is asked for, as always
    if (journalFailed)
        ReportJournalFailure();
}

void CImageDoc::ReportJournalFailure()
{
    // Once an image: after that the user knows, and a message at every
    // feature would only stop the work.
    if (m_bJournalFailureTold)
        return;
    m_bJournalFailureTold = true;
    FwMessageBox(LoadResString(IDS_JOURNAL_NOT_WRITTEN) + " " + m_journal.Path(), MB_OK);
}

void CImageDoc::OfferRecovery()
{
    CRecoveredWork work;
    if (!m_journal.FindWork(&work))
        return;
    const int count = work.shapes.GetSize();
    const std::string question = LoadResStringWith(count == 1 ? IDS_RESTORE_ONE : IDS_RESTORE_MANY,
                                                   {std::to_string(count), FormatJournalTime(work.nLastTime)});
    if (FwMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES)
    {
        m_journal.Remove();
        return;
    }
    m_shapeFile.m_shapes = std::move(work.shapes);
    m_nShapeType = work.nShapeType;
    m_bShapesModified = 1;
    // They were digitised with the fit of the point file beside the image:
    // digitising goes on where it stopped. Without a fit they wait, with
    // their type, until the points are fitted again.
    if (m_shapeFile.m_geoRef.CalcTransform())
        m_nMode = MODE_DIGITISE;
    // A clean journal of what was restored, without any torn tail, and
    // dated as the work it holds.
    if (m_journal.Restart(m_shapeFile.m_shapes, m_nShapeType, work.nLastTime) == JOURNAL_FAILED)
        ReportJournalFailure();
}

BOOL CImageDoc::WritePointFile()
{
    const std::string& path = GetPathName();
    if (path.empty())
        return TRUE;
    if (m_shapeFile.m_geoRef.WritePointFile(path.c_str(), Win32Files()))
        return TRUE;
    FwMessageBox(LoadResString(IDS_POINT_FILE_NOT_WRITTEN) + " " + SideFileName(path.c_str(), ".tvg"), MB_OK);
    return FALSE;
}

BOOL CImageDoc::UpdateSetting(const char* pszKey, const std::string& strValue, unsigned nFailureId)
{
    const std::string& path = GetPathName();
    if (path.empty())
        return TRUE;
    if (UpdateImageSetting(path.c_str(), pszKey, strValue, Win32Files()))
        return TRUE;
    FwMessageBox(LoadResString(nFailureId) + " " + ImageSettingsPath(path.c_str()), MB_OK);
    return FALSE;
}

int CImageDoc::AddChangeListener(std::function<void(const CEdit* pEdit)> listener)
{
    const int id = m_nNextListener++;
    m_changeListeners[id] = std::move(listener);
    return id;
}

void CImageDoc::RemoveChangeListener(int nID) { m_changeListeners.erase(nID); }

void CImageDoc::TellChangeListeners(const CEdit* pEdit)
{
    // A listener may remove itself (a window closing): walk a copy.
    const auto listeners = m_changeListeners;
    for (const auto& entry : listeners)
        entry.second(pEdit);
}

void CImageDoc::ContentReplaced()
{
    m_history.Clear();
    m_fitReport = EvaluateFits(m_shapeFile.m_geoRef);
    TellChangeListeners(nullptr);
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
    const BOOL bNew = CDocument::OnNewDocument();
    // Without a path there is nothing to name a journal after; the user has
    // just been asked about the features.
    m_journal.Remove();
    m_journal.SetImage("", "");
    m_bJournalFailureTold = false;
    ContentReplaced();
    return bNew;
}

BOOL CImageDoc::OnOpenDocument(const char* pszPathName)
{
    m_bShapesModified = 0;
    BOOL bOpened = FALSE;
    m_nOpenFailureId = IDS_UNABLE_TO_OPEN;
    m_image.Release();
    m_transposed.Release();
    m_crs = CCrsRef();
    m_dGeoTiffPixelSize = 0.0;
    {
        CWaitCursor wait;
        FwSetStatusText(LoadResString(IDS_LOADING) + " " + pszPathName + "...");
        m_nMode = MODE_GEOREFERENCE;
        m_shapeFile.m_shapes.RemoveAll();
        m_shapeFile.m_geoRef.SetImageHeight(0);
        if (HasJpgExtension(pszPathName) && CanReadFile(pszPathName))
        {
            // Decoded off this thread, which keeps the window painted; a scan
            // that the process cannot hold is refused from its header, at once.
            CRgbImage image;
            JpegReadStatus status = JPEG_READ_FAILED;
            FwRunLongWork([&](CProgress& progress) {
                CJpegReadOptions options;
                options.acceptHeader = [](const CJpegHeader& header) { return CanHoldScan(header); };
                options.progress = [&progress](double done) { progress.Set(done); };
                status = JpegFile::ReadJpegFile(pszPathName, &image, options, Win32Files());
            });
            if (status == JPEG_READ_OK)
            {
                m_image = std::move(image);
                m_shapeFile.m_geoRef.ReadPointFile(pszPathName, Win32Files());
                m_shapeFile.m_geoRef.SetImageHeight(m_image.Height());
                const CImageSettings settings = ReadImageSettings(pszPathName, Win32Files());
                m_shapeFile.m_geoRef.m_nFitModel = ParseFitModelSetting(settings.Get(kFitSettingKey));
                // The catalogue is unpacked only for an image that names a system.
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
    m_journal.SetImage(bOpened ? FullPath(pszPathName) : std::string(), CRecoveryStore::PathOf(""));
    m_bJournalFailureTold = false;
    if (bOpened)
        OfferRecovery();
    ContentReplaced();
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
    if (!m_bShapesModified)
        return TRUE;
    if (FwMessageBox(IDS_SAVE_POLYLINES, MB_YESNO) == IDYES)
        return OnFileSaveAs();
    // The user gave the features up.
    m_journal.Remove();
    return TRUE;
}

BOOL CImageDoc::OnFileSaveAs()
{
    if (PromptAndSaveShapefile(m_shapeFile, m_nShapeType, GetPathName().c_str(), GetShapeSideFiles()) != SAVE_AS_SAVED)
        return FALSE;
    m_bShapesModified = 0;
    // Every feature is in the files now; the next change starts a new journal.
    m_journal.Remove();
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
    // Without an image file the choice holds for this session only.
    UpdateSetting(kCrsSettingKey, FormatCrsSetting(m_crs.nEpsg), IDS_CRS_NOT_REMEMBERED);
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
