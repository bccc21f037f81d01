#include "app/ImageDoc.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/io/Path.h"
#include "core/scan/ScanReader.h"
#include "core/shape/CodePage.h"
#include "app/RecoveryStore.h"
#include "app/res/resource.h"
#include "app/ScanLimits.h"
#include "winfw/FwUtil.h"
#include "winfw/LongWork.h"
#include "winbase/Win32Files.h"
#include "winbase/Wide.h"

namespace
{
// The path as the journal is named after it: full, whatever way it was given.
std::string FullPath(const char* pszPathName)
{
    const std::wstring path = Widen(pszPathName);
    wchar_t full[MAX_PATH * 2] = {};
    const DWORD cch = GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
    return cch > 0 && cch < std::size(full) ? Narrow(full) : std::string(pszPathName);
}
}   // namespace

// Names are held in UTF-8, as the windows give them; a file's text is converted.
CImageDoc::CImageDoc() { m_session.SetNameCodePage(kCodePageUtf8); }

void CImageDoc::UpdateFromSession(const CSessionOutcome& outcome, CView* pSender)
{
    if (!m_session.HasNorthUp())
        m_pTransposed.reset();
    if (outcome.pEdit || outcome.bReplaced)
    {
        TellChangeListeners(outcome.pEdit);
        UpdateAllViews(pSender, outcome.bModeChanged ? HINT_MODE_CHANGED : HINT_EDITED);
    }
}

void CImageDoc::ShowNorthUp(CTransposedImage* pMade, CView* pSender)
{
    if (pMade)
        m_pTransposed = std::make_shared<CTransposedImage>(std::move(*pMade));
    UpdateFromSession(m_session.ShowNorthUp(), pSender);
}

const CTransposedImage& CImageDoc::NorthUp() const
{
    static const CTransposedImage kNone;
    return m_pTransposed ? *m_pTransposed : kNone;
}

std::shared_ptr<const unsigned char> CImageDoc::SharedNorthUpPixels() const
{
    if (!m_pTransposed || m_pTransposed->IsEmpty())
        return nullptr;
    return std::shared_ptr<const unsigned char>(m_pTransposed, m_pTransposed->Pixels());
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
    m_pTransposed.reset();
    const BOOL bNew = CDocument::OnNewDocument();
    m_session.New();
    TellChangeListeners(nullptr);
    return bNew;
}

BOOL CImageDoc::OnOpenDocument(const char* pszPathName)
{
    m_image.Release();
    m_pTransposed.reset();
    m_grid = CShownGrid();
    m_cbFullScan = 0;
    m_dGeoTiffPixelSize = 0.0;
    m_openStatus = ScanReadStatus(ScanReadError::CannotOpen, pszPathName);
    CImageOpening opening;
    {
        CWaitCursor wait;
        FwSetStatusText(LoadResString(IDS_LOADING) + " " + pszPathName + "...");
        m_session.BeginOpen();
        if (IsScanFileName(pszPathName))
        {
            // Decoded off this thread, which keeps the window painted; a scan
            // that the process cannot hold is refused from its header, at once.
            // A file that offers reduced resolutions opens at the largest the
            // process can hold.
            CRgbImage image;
            CShownGrid grid;
            unsigned long long cbFull = 0;
            FwRunLongWork([&](CProgress& progress) {
                CScanReadOptions options;
                options.chooseLevel = [&](const CScanHeader& full, const std::vector<CScanLevel>& levels) {
                    const size_t chosen = ChooseOpenLevel(full, levels);
                    grid = ShownGridOf(levels[0], levels[chosen]);
                    cbFull = ScanBytesNeeded(full);
                    return chosen;
                };
                options.acceptHeader = [](const CScanHeader& header) { return CanHoldScan(header); };
                options.progress = [&progress](double done) { progress.Set(done); };
                m_openStatus = ReadScanFile(pszPathName, &image, options, Win32Files());
            });
            if (m_openStatus.Ok())
            {
                m_image = std::move(image);
                if (grid.IsReduced())
                {
                    m_grid = grid;
                    m_cbFullScan = cbFull;
                }
                ReadImageSideFiles(pszPathName, Win32Files(), &opening);
                // The points' grid: the full scan's, whatever is shown.
                opening.nHeight = m_grid.IsReduced() ? m_grid.nFullHeight : m_image.Height();
            }
        }
    }
    FwSetStatusText("");
    if (m_openStatus.Ok())
    {
        opening.strPath = pszPathName;
        opening.strFullPath = FullPath(pszPathName);
        opening.strJournalFolder = CRecoveryStore::PathOf("");
        // The question of a journal found is asked by the application once
        // the image is on show (OfferRecovery).
        CSessionOutcome opened = m_session.Open(opening);
        m_openNotices.clear();
        for (CSessionMessage& message : opened.messages)
            if (message.nNotice != NOTICE_ASK_RESTORE)
                m_openNotices.push_back(std::move(message));
    }
    else
    {
        m_session.OpenFailed(CRecoveryStore::PathOf(""));
    }
    TellChangeListeners(nullptr);
    return m_openStatus.Ok() ? TRUE : FALSE;
}

bool CanResampleShown(const CImageDoc& doc, const CGeoRefArray& geoRef)
{
    // The shown pixels get the fit as an affine model; a curved fit has no
    // such form, and its approximation would be a wrong result, not a coarse one.
    if (!doc.Grid().IsReduced() || !geoRef.m_warp)
        return true;
    FwMessageBox(IDS_REDUCED_NEEDS_AFFINE, MB_OK);
    return false;
}
