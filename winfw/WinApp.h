// The application object: start-up (InitInstance), the profile with its
// recent-file list, shell registration, the command line, the File New and
// File Open commands, and the message loop with the accelerator table.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "winfw/CmdTarget.h"
#include "winfw/DocTemplate.h"

class CDocument;
class CFrameWnd;

class CCommandLineInfo
{
public:
    enum ShellCommand
    {
        SHELL_FILE_NEW,
        SHELL_FILE_OPEN,
    };
    ShellCommand m_nShellCommand = SHELL_FILE_NEW;
    std::string m_strFileName;
};

class CWinApp : public CCmdTarget
{
public:
    CWinApp();
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The message loop; returns the exit code.
    int Run();
    // Translates accelerators of the main window; true when msg was used.
    bool PreTranslateMessage(MSG* pMsg);
    // Dispatches every message waiting in the queue, as the message loop
    // would, then updates the status indicators: how tests let the windows
    // catch up with what they were sent.
    void PumpWaitingMessages();

    // The base name of the program file: caption of message boxes and the
    // name of the profile key.
    const std::string& GetAppName() const { return m_strAppName; }

    // Start-up services.
    void SetRegistryKey(const char* pszRegistryKey);
    void LoadStdProfileSettings(UINT nMaxMRU);
    void AddDocTemplate(std::unique_ptr<CSingleDocTemplate> pTemplate);
    void RegisterShellFileTypes(BOOL bCompat);
    void ParseCommandLine(CCommandLineInfo& cmdInfo);
    BOOL ProcessShellCommand(CCommandLineInfo& cmdInfo);

    // Framework commands.
    void OnFileNew();
    void OnFileOpen();
    // The Open dialog's file types, as "name|patterns|...||"; by default the
    // template's type and All Files.
    virtual std::string OpenFileFilter() const;
    // Opens a file the user chose; a failure is told by ReportOpenFailure.
    virtual CDocument* OpenDocumentFile(const char* pszPathName);
    // Closes the main frame after the frame agreed (SaveModified).
    void CloseMainFrame();
    // Tells the user why doc could not open pszPathName, a file the user
    // chose. Silent by default.
    virtual void ReportOpenFailure(CDocument& doc, const char* pszPathName);
    // F1: the help for a dialog's template id, or for the main window (0).
    // None by default.
    virtual void ShowHelp(UINT nContext);

    // Profile: HKEY_CURRENT_USER\Software\<registry key>\<app name>.
    std::string GetProfileKeyPath() const;
    // Numbers kept in the profile under section\entry (REG_DWORD), as the
    // windows remember their places; nDefault when none is kept.
    int GetProfileInt(const char* pszSection, const char* pszEntry, int nDefault) const;
    BOOL WriteProfileInt(const char* pszSection, const char* pszEntry, int nValue) const;

    // Modeless windows (the tool windows the main window owns, and pages of
    // controls inside it) get their
    // keyboard navigation in the message loop: Tab, Enter, Escape, arrows.
    void AddModelessWindow(HWND hWnd);
    void RemoveModelessWindow(HWND hWnd);
    // Follows the main window: disabled while a modal dialog is up.
    void EnableModelessWindows(bool bEnable);
    void AddToRecentFileList(const std::string& path);

    CSingleDocTemplate* GetDocTemplate() const { return m_pDocTemplate.get(); }
    void UpdateFrameTitle();

    HINSTANCE m_hInstance;
    CFrameWnd* m_pMainWnd = nullptr;
    // The arguments after the program name, as the command line gave them.
    std::vector<std::string> m_args;

private:
    void SaveRecentFileList() const;

    std::string m_strAppName;
    std::string m_strRegistryKey;
    UINT m_nMaxMRU = 0;
    std::vector<std::string> m_recentFiles;
    std::unique_ptr<CSingleDocTemplate> m_pDocTemplate;
    HACCEL m_hAccel = nullptr;
    std::vector<HWND> m_modelessWindows;
};

// The one application object of the process, or null.
CWinApp* FwGetApp();

// The program's WinMain: start-up, message loop, exit.
int FwWinMain(CWinApp& app);

// Tells the user that an unexpected failure stopped an operation.
void ReportUnexpectedException();
