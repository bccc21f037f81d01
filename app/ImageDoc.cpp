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
#include "app/FeatureSave.h"
#include "app/RecoveryStore.h"
#include "app/SessionMessages.h"
#include "app/res/resource.h"
#include "app/ScanLimits.h"
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
}   // namespace

void CImageDoc::UpdateFromSession(const CSessionOutcome& outcome, CView* pSender)
{
    if (!m_session.HasNorthUp())
        m_transposed.Release();
    if (outcome.pEdit)
    {
        TellChangeListeners(outcome.pEdit);
        UpdateAllViews(pSender, outcome.bModeChanged ? HINT_MODE_CHANGED : HINT_EDITED);
    }
}

void CImageDoc::ShowNorthUp(CTransposedImage* pMade, CView* pSender)
{
    if (pMade)
        m_transposed = std::move(*pMade);
    UpdateFromSession(m_session.ShowNorthUp(), pSender);
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

BOOL CImageDoc::SaveModified() { return AskToSaveFeatures(m_session, GetPathName()) ? TRUE : FALSE; }
