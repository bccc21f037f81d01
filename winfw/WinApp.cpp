#include "winfw/WinApp.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <new>

#include "core/io/Path.h"
#include "winfw/Dialog.h"
#include "winfw/Document.h"
#include "winfw/FrameWnd.h"
#include "winfw/FwUtil.h"
#include "winfw/Registry.h"
#include "winbase/Registry.h"
#include "winfw/StatusBar.h"
#include "winbase/Wide.h"

namespace
{
CWinApp* g_pApp = nullptr;

const char kRecentFileSection[] = "Recent File List";

std::string ModulePath()
{
    wchar_t path[MAX_PATH * 4] = {};
    DWORD cch = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    return Narrow(std::wstring_view(path, cch));
}
}

CWinApp* FwGetApp() { return g_pApp; }

void ReportUnexpectedException()
{
    const char* pszText = "The operation stopped because of an unexpected error.";
    try
    {
        throw;
    }
    catch (const std::bad_alloc&)
    {
        pszText = "There is not enough memory to complete the operation.";
    }
    catch (...)
    {
    }
    MessageBoxW(nullptr, Widen(pszText).c_str(), Widen(g_pApp ? g_pApp->GetAppName() : "").c_str(),
                MB_OK | MB_ICONEXCLAMATION);
}

CWinApp::CWinApp() : m_hInstance(GetModuleHandleW(nullptr)), m_strAppName(PathStem(ModulePath()))
{
    g_pApp = this;
    INITCOMMONCONTROLSEX icc = {sizeof(icc),
                                ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
}

CWinApp::~CWinApp()
{
    m_pDocTemplate.reset();
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

void CWinApp::SetRegistryKey(const char* pszRegistryKey) { m_strRegistryKey = pszRegistryKey; }

std::string CWinApp::GetProfileKeyPath() const { return "Software\\" + m_strRegistryKey + "\\" + m_strAppName; }

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU)
{
    m_nMaxMRU = nMaxMRU;
    m_recentFiles.clear();
    if (m_strRegistryKey.empty())
        return;
    UniqueRegKey key = OpenRegKey(HKEY_CURRENT_USER, (GetProfileKeyPath() + "\\" + kRecentFileSection).c_str());
    if (!key)
        return;
    for (UINT i = 1; i <= nMaxMRU; ++i)
    {
        std::string path;
        if (QueryRegString(key.Get(), ("File" + std::to_string(i)).c_str(), path) && !path.empty())
            m_recentFiles.push_back(path);
    }
}

void CWinApp::AddToRecentFileList(const std::string& path)
{
    if (m_nMaxMRU == 0)
        return;
    auto same = [&path](const std::string& other) { return lstrcmpiW(Widen(other).c_str(), Widen(path).c_str()) == 0; };
    m_recentFiles.erase(std::remove_if(m_recentFiles.begin(), m_recentFiles.end(), same), m_recentFiles.end());
    m_recentFiles.insert(m_recentFiles.begin(), path);
    if (m_recentFiles.size() > m_nMaxMRU)
        m_recentFiles.resize(m_nMaxMRU);
    SaveRecentFileList();
}

void CWinApp::SaveRecentFileList() const
{
    if (m_strRegistryKey.empty())
        return;
    UniqueRegKey key = CreateRegKey(HKEY_CURRENT_USER, (GetProfileKeyPath() + "\\" + kRecentFileSection).c_str());
    if (!key)
        return;
    for (UINT i = 0; i < m_nMaxMRU; ++i)
    {
        std::string name = "File" + std::to_string(i + 1);
        if (i < m_recentFiles.size())
            SetRegString(key.Get(), name.c_str(), m_recentFiles[i]);
        else
            RegDeleteValueW(key.Get(), Widen(name).c_str());
    }
}

int CWinApp::GetProfileInt(const char* pszSection, const char* pszEntry, int nDefault) const
{
    if (m_strRegistryKey.empty())
        return nDefault;
    UniqueRegKey key = OpenRegKey(HKEY_CURRENT_USER, (GetProfileKeyPath() + "\\" + pszSection).c_str());
    DWORD value = 0, type = 0, cb = sizeof(value);
    if (!key ||
        RegQueryValueExW(key.Get(), Widen(pszEntry).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &cb) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || cb != sizeof(value))
        return nDefault;
    return static_cast<int>(value);
}

BOOL CWinApp::WriteProfileInt(const char* pszSection, const char* pszEntry, int nValue) const
{
    if (m_strRegistryKey.empty())
        return FALSE;
    UniqueRegKey key = CreateRegKey(HKEY_CURRENT_USER, (GetProfileKeyPath() + "\\" + pszSection).c_str());
    const DWORD value = static_cast<DWORD>(nValue);
    return key && RegSetValueExW(key.Get(), Widen(pszEntry).c_str(), 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&value), sizeof(value)) == ERROR_SUCCESS;
}

void CWinApp::AddModelessWindow(HWND hWnd)
{
    if (std::find(m_modelessWindows.begin(), m_modelessWindows.end(), hWnd) == m_modelessWindows.end())
        m_modelessWindows.push_back(hWnd);
}

void CWinApp::RemoveModelessWindow(HWND hWnd)
{
    m_modelessWindows.erase(std::remove(m_modelessWindows.begin(), m_modelessWindows.end(), hWnd),
                            m_modelessWindows.end());
}

void CWinApp::EnableModelessWindows(bool bEnable)
{
    for (HWND hWnd : m_modelessWindows)
        EnableWindow(hWnd, bEnable ? TRUE : FALSE);
}

void CWinApp::AddDocTemplate(std::unique_ptr<CSingleDocTemplate> pTemplate)
{
    m_pDocTemplate = std::move(pTemplate);
    m_hAccel = LoadAcceleratorsW(m_hInstance, MAKEINTRESOURCEW(m_pDocTemplate->GetResourceID()));
}

void CWinApp::RegisterShellFileTypes(BOOL)
{
    if (!m_pDocTemplate)
        return;
    UniqueRegKey classes = CreateRegKey(HKEY_CURRENT_USER, "Software\\Classes");
    if (!classes)
        return;
    RegisterShellFileType(HKEY_CLASSES_ROOT, classes.Get(),
                          m_pDocTemplate->GetDocString(CSingleDocTemplate::DOCSTRING_REG_FILE_TYPE_ID).c_str(),
                          m_pDocTemplate->GetDocString(CSingleDocTemplate::DOCSTRING_REG_FILE_TYPE_NAME).c_str(),
                          m_pDocTemplate->GetDocString(CSingleDocTemplate::DOCSTRING_FILTER_EXT).c_str(),
                          ModulePath().c_str());
}

void CWinApp::ParseCommandLine(CCommandLineInfo& cmdInfo)
{
    for (const std::string& arg : m_args)
    {
        if (arg.empty() || arg[0] == '/' || arg[0] == '-')
            continue;   // switches: none of them changes what we do
        if (cmdInfo.m_strFileName.empty())
        {
            cmdInfo.m_strFileName = arg;
            cmdInfo.m_nShellCommand = CCommandLineInfo::SHELL_FILE_OPEN;
        }
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& cmdInfo)
{
    if (!m_pDocTemplate)
        return FALSE;
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::SHELL_FILE_NEW)
        return m_pDocTemplate->OpenDocumentFile(nullptr) != nullptr;
    return OpenDocumentFile(cmdInfo.m_strFileName.c_str()) != nullptr;
}

void CWinApp::OnFileNew()
{
    if (m_pDocTemplate)
        m_pDocTemplate->OpenDocumentFile(nullptr);
}

std::string CWinApp::OpenFileFilter() const
{
    return m_pDocTemplate->GetDocString(CSingleDocTemplate::DOCSTRING_FILTER_NAME) + "|*" +
           m_pDocTemplate->GetDocString(CSingleDocTemplate::DOCSTRING_FILTER_EXT) + "|All Files (*.*)|*.*||";
}

void CWinApp::OnFileOpen()
{
    if (!m_pDocTemplate)
        return;
    const std::string filter = OpenFileFilter();
    std::string ext = m_pDocTemplate->GetDocString(CSingleDocTemplate::DOCSTRING_FILTER_EXT);
    std::string path;
    if (FwPromptOpenFileName(filter.c_str(), ext.empty() ? nullptr : ext.c_str() + 1, path))
        OpenDocumentFile(path.c_str());
}

CDocument* CWinApp::OpenDocumentFile(const char* pszPathName)
{
    if (!m_pDocTemplate)
        return nullptr;
    CDocument* pDoc = m_pDocTemplate->OpenDocumentFile(pszPathName);
    if (pDoc)
        AddToRecentFileList(pszPathName);
    else if (CDocument* pFailed = m_pDocTemplate->FailedDocument())
        ReportOpenFailure(*pFailed, pszPathName);
    m_pDocTemplate->ForgetFailedDocument();
    return pDoc;
}

void CWinApp::ReportOpenFailure(CDocument&, const char*) {}

void CWinApp::ShowHelp(UINT) {}

void CWinApp::CloseMainFrame()
{
    if (m_pMainWnd && !m_pMainWnd->SaveModified())
        return;
    // The objects behind the windows stay until the application goes.
    if (m_pMainWnd)
        m_pMainWnd->DestroyWindow();
}

void CWinApp::UpdateFrameTitle()
{
    if (m_pDocTemplate && m_pDocTemplate->GetFrame())
        m_pDocTemplate->GetFrame()->SetTitleText(m_pDocTemplate->GetFrameTitle());
}

bool CWinApp::PreTranslateMessage(MSG* pMsg)
{
    HWND hMain = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    if (!hMain || pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return false;
    if (pMsg->hwnd == hMain || IsChild(hMain, pMsg->hwnd))
    {
        if (m_hAccel && TranslateAcceleratorW(hMain, m_hAccel, pMsg))
            return true;
        // A page of controls inside the main window moves its focus as a dialog does.
        for (HWND hWnd : m_modelessWindows)
            if (IsChild(hWnd, pMsg->hwnd) && IsChild(hMain, hWnd))
                return IsDialogMessageW(hWnd, pMsg) != FALSE;
        return false;
    }
    for (HWND hWnd : m_modelessWindows)
    {
        if (pMsg->hwnd != hWnd && !IsChild(hWnd, pMsg->hwnd))
            continue;
        // F1 is the tool window's own help, not the main window's.
        if (FwIsHelpKey(*pMsg))
        {
            FwSendHelpRequest(hWnd, pMsg->hwnd);
            return true;
        }
        // The program's keys (Undo, Redo, Open...) work from a tool window
        // too, except where the user types text: an edit keeps its own.
        wchar_t cls[16] = {};
        GetClassNameW(pMsg->hwnd, cls, static_cast<int>(std::size(cls)));
        if (lstrcmpiW(cls, L"Edit") != 0 && m_hAccel && TranslateAcceleratorW(hMain, m_hAccel, pMsg))
            return true;
        return IsDialogMessageW(hWnd, pMsg) != FALSE;
    }
    return false;
}

void CWinApp::PumpWaitingMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_QUIT)
            continue;
        if (!PreTranslateMessage(&msg))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (m_pMainWnd)
        if (CStatusBar* pBar = m_pMainWnd->GetMessageBar())
            pBar->UpdateIndicators();
}

int CWinApp::Run()
{
    MSG msg = {};
    for (;;)
    {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1)
            break;
        if (!PreTranslateMessage(&msg))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && m_pMainWnd)
            if (CStatusBar* pBar = m_pMainWnd->GetMessageBar())
                pBar->UpdateIndicators();
    }
    int code = ExitInstance();
    return code ? code : static_cast<int>(msg.wParam);
}

int FwWinMain(CWinApp& app)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv)
    {
        for (int i = 1; i < argc; ++i)
            app.m_args.push_back(Narrow(argv[i]));
        LocalFree(argv);
    }
    try
    {
        if (!app.InitInstance())
            return app.ExitInstance();
        return app.Run();
    }
    catch (...)
    {
        ReportUnexpectedException();
        return 1;
    }
}
