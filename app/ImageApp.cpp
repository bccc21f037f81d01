#include "app/ImageApp.h"

#include <shellapi.h>

#include "app/AboutDlg.h"
#include "winfw/FwUtil.h"
#include "app/DocumentCommands.h"
#include "app/FeatureOpen.h"
#include "app/ImageDoc.h"
#include "app/MainFrame.h"
#include "app/res/resource.h"
#include "app/ImageView.h"
#include "core/crs/CrsTransform.h"

namespace
{
// The program's folder in UTF-8, as PROJ takes paths: proj.db ships beside
// the program and is found nowhere else.
std::string ProgramFolderUtf8()
{
    wchar_t path[MAX_PATH * 4] = {};
    const DWORD cch = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    if (cch == 0 || cch >= MAX_PATH * 4)
        return std::string();
    std::wstring folder(path, cch);
    const size_t slash = folder.find_last_of(L"\\/");
    folder.resize(slash == std::wstring::npos ? 0 : slash);
    const int cb = WideCharToMultiByte(CP_UTF8, 0, folder.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (cb <= 1)
        return std::string();
    std::string text(static_cast<size_t>(cb), '\0');
    WideCharToMultiByte(CP_UTF8, 0, folder.c_str(), -1, &text[0], cb, nullptr, nullptr);
    text.resize(static_cast<size_t>(cb - 1));
    return text;
}
}   // namespace

CImageApp::CImageApp()
{
    AddCommand(ID_APP_ABOUT, [] {
        CAboutDlg dlg;
        dlg.DoModal();
    });
    AddCommand(ID_FILE_NEW, [this] { OnFileNew(); });
    AddCommand(ID_FILE_OPEN, [this] { OnFileOpen(); });
    AddCommand(ID_APP_EXIT, [this] {
        if (m_pMainWnd && m_pMainWnd->m_hWnd)
            SendMessageW(m_pMainWnd->m_hWnd, WM_CLOSE, 0, 0);
    });
}

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
    // A Shapefile dropped or named opens its features over the scan on show.
    if (pszPathName && IsShapefileName(pszPathName) && m_pMainWnd)
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
    TellReducedOpen(doc);
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
