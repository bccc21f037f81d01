#include "app/ImageDoc.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <utility>

#include "core/crs/CrsCatalogue.h"
#include "core/crs/CrsSettings.h"
#include "core/georef/ImageSettings.h"
#include "core/io/Path.h"
#include "core/jpeg/JpegFile.h"
#include "app/CrsDlg.h"
#include "app/RecoveryStore.h"
#include "app/SessionMessages.h"
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

CImageDoc::CImageDoc()
{
    AddCommand(ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); });
    // The document has no file of its own to save: Ctrl+S offers the
    // shapefile, and never writes over the opened image.
    AddCommand(ID_FILE_SAVE, [this] { OnFileSaveAs(); });
    AddExportCommands();
    AddCommand(ID_VIEW_COORDINATE_SYSTEM, [this] { OnCoordinateSystem(); });
    AddCommandUpdate(ID_VIEW_COORDINATE_SYSTEM, [this](CCmdUI& ui) { ui.Enable(m_session.Mode() != MODE_NONE); });
    AddCommand(ID_EDIT_UNDO, [this] { OnEditUndo(); });
    AddCommand(ID_EDIT_REDO, [this] { OnEditRedo(); });
    AddCommandUpdate(ID_EDIT_UNDO, [this](CCmdUI& ui) {
        ui.Enable(m_session.History().NextUndo() != nullptr);
        ui.SetText(UndoText(false));
    });
    AddCommandUpdate(ID_EDIT_REDO, [this](CCmdUI& ui) {
        ui.Enable(m_session.History().NextRedo() != nullptr);
        ui.SetText(UndoText(true));
    });
}

std::string CImageDoc::UndoText(bool bRedo) const
{
    const CEdit* pNext = bRedo ? m_session.History().NextRedo() : m_session.History().NextUndo();
    std::string text = LoadResString(bRedo ? IDS_REDO : IDS_UNDO);
    if (pNext)
        text += " " + LoadResString(EditNameStringId(pNext->Name()));
    return text + "\t" + LoadResString(bRedo ? IDS_REDO_KEY : IDS_UNDO_KEY);
}

bool CImageDoc::Follow(const CSessionOutcome& outcome, CView* pSender)
{
    if (!m_session.HasNorthUp())
        m_transposed.Release();
    if (outcome.pEdit)
    {
        TellChangeListeners(outcome.pEdit);
        UpdateAllViews(pSender, outcome.bModeChanged ? HINT_MODE_CHANGED : HINT_EDITED);
    }
    // Last, after everything is drawn as it now is.
    TellSessionMessages(outcome);
    return outcome.bDone;
}

BOOL CImageDoc::OnEditUndo() { return Follow(m_session.Undo()) ? TRUE : FALSE; }

BOOL CImageDoc::OnEditRedo() { return Follow(m_session.Redo()) ? TRUE : FALSE; }

void CImageDoc::ShowNorthUp(CTransposedImage* pMade, CView* pSender)
{
    if (pMade)
        m_transposed = std::move(*pMade);
    Follow(m_session.ShowNorthUp(), pSender);
}

void CImageDoc::OfferRecovery(const CSessionOutcome& opened)
{
    if (!m_session.RestoreOffered())
        return;
    if (AskToRestore(opened))
        TellSessionMessages(m_session.RestoreFromJournal());
    else
        m_session.DeclineRestore();
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

void CImageDoc::Serialize(bool)
{
    // The document has no file of its own: the opened image is never written.
}

BOOL CImageDoc::OnNewDocument()
{
    m_transposed.Release();
    const BOOL bNew = CDocument::OnNewDocument();
    m_session.New();
    TellChangeListeners(nullptr);
    return bNew;
}

BOOL CImageDoc::OnOpenDocument(const char* pszPathName)
{
    BOOL bOpened = FALSE;
    m_nOpenFailureId = IDS_UNABLE_TO_OPEN;
    m_image.Release();
    m_transposed.Release();
    m_dGeoTiffPixelSize = 0.0;
    CImageOpening opening;
    {
        CWaitCursor wait;
        FwSetStatusText(LoadResString(IDS_LOADING) + " " + pszPathName + "...");
        m_session.BeginOpen();
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
                CGeoRefArray pointFile;
                pointFile.ReadPointFile(pszPathName, Win32Files());
                opening.points = std::move(pointFile.m_points);
                opening.nHeight = m_image.Height();
                const CImageSettings settings = ReadImageSettings(pszPathName, Win32Files());
                opening.nFitModel = ParseFitModelSetting(settings.Get(kFitSettingKey));
                // The catalogue is unpacked only for an image that names a system.
                if (!settings.Get(kCrsSettingKey).empty())
                    opening.crs = CrsFromSettings(settings, EmbeddedCrsCatalogue());
                bOpened = TRUE;
            }
            else
            {
                m_nOpenFailureId = IDS_JPG_READ_ERROR;
            }
        }
    }
    FwSetStatusText("");
    if (bOpened)
    {
        opening.strPath = pszPathName;
        opening.strFullPath = FullPath(pszPathName);
        opening.strJournalFolder = CRecoveryStore::PathOf("");
        OfferRecovery(m_session.Open(opening));
    }
    else
    {
        m_session.OpenFailed(CRecoveryStore::PathOf(""));
    }
    TellChangeListeners(nullptr);
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
    if (!m_session.Unsaved())
        return TRUE;
    if (FwMessageBox(IDS_SAVE_POLYLINES, MB_YESNO) == IDYES)
        return OnFileSaveAs();
    m_session.FeaturesGivenUp();
    return TRUE;
}

BOOL CImageDoc::OnFileSaveAs()
{
    CShapeFile shapeFile = m_session.ShapeFile();
    if (PromptAndSaveShapefile(shapeFile, m_session.ShapeType(), GetPathName().c_str(), GetShapeSideFiles()) !=
        SAVE_AS_SAVED)
        return FALSE;
    m_session.SaveSucceeded();
    return TRUE;
}

void CImageDoc::OnCoordinateSystem()
{
    if (m_session.Mode() == MODE_NONE)
        return;
    CCrsDlg dlg(m_session.Crs().nEpsg, LoadRecentCrs());
    if (dlg.DoModal() != IDOK)
        return;
    SetCrs(dlg.m_nChosenCode);
}

void CImageDoc::SetCrs(int nCode)
{
    const CCrsEntry* pEntry = EmbeddedCrsCatalogue().Find(nCode);
    const CCrsRef crs = pEntry ? pEntry->Ref() : CCrsRef();
    if (!crs.IsNone())
    {
        std::vector<int> recent = LoadRecentCrs();
        PushRecentCrs(recent, crs.nEpsg);
        SaveRecentCrs(recent);
    }
    TellSessionMessages(m_session.SetCrs(crs));
}

CShapeSideFiles CImageDoc::GetShapeSideFiles() const
{
    CShapeSideFiles sideFiles;
    // Names are typed and stored in the ANSI code page, byte for byte.
    sideFiles.nCodePage = GetACP();
    const CCrsRef& crs = m_session.Crs();
    const CCrsEntry* pEntry = crs.IsNone() ? nullptr : EmbeddedCrsCatalogue().Find(crs.nEpsg);
    if (pEntry)
        sideFiles.strPrj = std::string(pEntry->wkt);
    return sideFiles;
}
