#include "app/ImageApp.h"

#include <shellapi.h>

#include "app/AboutDlg.h"
#include "winfw/FwUtil.h"
#include "app/DocumentCommands.h"
#include "app/FeatureOpen.h"
#include "app/ImageDoc.h"
#include "app/MainFrame.h"
#include "app/SessionMessages.h"
#include "app/res/resource.h"
#include "app/ImageView.h"
#include "app/ProgramFiles.h"
#include "app/UserGuide.h"
#include "core/crs/CrsTransform.h"

CImageApp::CImageApp()
{
    AddCommand(ID_APP_ABOUT, [] {
        CAboutDlg dlg;
        dlg.DoModal();
    });
    AddCommand(ID_HELP_USER_GUIDE, [this] { ShowHelp(0); });
    AddCommand(ID_FILE_NEW, [this] { OnFileNew(); });
    AddCommand(ID_FILE_OPEN, [this] { OnFileOpen(); });
    AddCommand(ID_APP_EXIT, [this] {
        if (m_pMainWnd && m_pMainWnd->m_hWnd)
            SendMessageW(m_pMainWnd->m_hWnd, WM_CLOSE, 0, 0);
    });
}

void CImageApp::ShowHelp(UINT nContext) { OpenUserGuide(nContext); }

BOOL CImageApp::InitInstance()
{
    SetRegistryKey("Local AppWizard-Generated Applications");
    LoadStdProfileSettings(4);
    // Only the folder is noted here: the database opens with the first
    // transformation, so start-up does not pay for it.
    SetProjDataFolder(ProgramFolderUtf8());

    AddDocTemplate(std::make_unique<CSingleDocTemplate>(
        IDR_MAINFRAME, [] { return std::make_unique<CImageDoc>(); }, [] { return std::make_unique<CMainFrame>(); },
        [](CDocument& doc) { return std::make_unique<CImageView>(static_cast<CImageDoc&>(doc)); }));

    RegisterShellFileTypes(TRUE);

    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    if (!ProcessShellCommand(cmdInfo))
        return FALSE;

    ShowWindow(m_pMainWnd->m_hWnd, SW_SHOW);
    UpdateWindow(m_pMainWnd->m_hWnd);
    DragAcceptFiles(m_pMainWnd->m_hWnd, TRUE);
    static_cast<CMainFrame*>(m_pMainWnd)->RestoreToolWindows();

    // Ask for an image at once, also when one was named on the command line.
    OnFileOpen();
    return TRUE;
}

CDocument* CImageApp::OpenDocumentFile(const char* pszPathName)
{
    // A Shapefile or GeoPackage dropped or named opens its features over the scan on show.
    if (pszPathName && IsFeatureFileName(pszPathName) && m_pMainWnd)
    {
        CView* pView = static_cast<CMainFrame*>(m_pMainWnd)->GetActiveView();
        CImageDoc* pOpen = pView ? static_cast<CImageDoc*>(pView->GetDocument()) : nullptr;
        if (pOpen)
            OpenFeaturesOf(*pOpen, pszPathName);
        return pOpen;
    }
    CDocument* pDoc = CWinApp::OpenDocumentFile(pszPathName);
    if (!pDoc)
        return pDoc;
    CImageDoc& doc = static_cast<CImageDoc&>(*pDoc);
    // A scan named on the command line is on show before anything is asked
    // of it; until start-up ends the main window is still hidden.
    if (m_pMainWnd && !IsWindowVisible(m_pMainWnd->m_hWnd))
    {
        ShowWindow(m_pMainWnd->m_hWnd, SW_SHOW);
        UpdateWindow(m_pMainWnd->m_hWnd);
    }
    TellReducedOpen(doc);
    CSessionOutcome notices;
    notices.messages = doc.TakeOpenNotices();
    TellSessionMessages(notices);
    OfferRecovery(doc);
    // Yes to the file's georeference is the Digitise command at once: the
    // feature type asked as always.
    if (OfferFileGeoreference(doc) && m_pMainWnd)
        SendMessageW(m_pMainWnd->m_hWnd, WM_COMMAND, MAKEWPARAM(ID_VIEW_DIGITISE, 0), 0);
    return pDoc;
}

void CImageApp::ReportOpenFailure(CDocument& doc, const char* pszPathName)
{
    TellOpenFailure(static_cast<CImageDoc&>(doc).OpenStatus(), pszPathName);
}

std::string CImageApp::OpenFileFilter() const { return LoadResString(IDS_OPEN_FILTER); }
