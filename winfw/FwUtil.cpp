#include "winfw/FwUtil.h"

#include <commdlg.h>

#include <vector>

#include "winfw/FrameWnd.h"
#include "winfw/WinApp.h"

namespace
{
HWND MainWindow()
{
    CWinApp* pApp = FwGetApp();
    return pApp && pApp->m_pMainWnd ? pApp->m_pMainWnd->m_hWnd : nullptr;
}

// "a|b|c|d||" as the dialog wants it: NUL-separated, ending in two NULs.
std::string DialogFilter(const char* pszFilter)
{
    std::string filter(pszFilter ? pszFilter : "");
    for (char& c : filter)
        if (c == '|')
            c = '\0';
    filter.push_back('\0');
    filter.push_back('\0');
    return filter;
}

bool PromptFileName(bool bOpen, const char* pszFilter, const char* pszDefExt, std::string& strPath,
                    bool bAskToReplace = false, int* pnFilterIndex = nullptr)
{
    std::string filter = DialogFilter(pszFilter);
    std::vector<char> file(32768, '\0');
    // A name already in strPath is what the dialog proposes.
    if (strPath.size() < file.size())
        std::copy(strPath.begin(), strPath.end(), file.begin());
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = MainWindow();
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = pnFilterIndex && *pnFilterIndex > 0 ? static_cast<DWORD>(*pnFilterIndex) : 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = pszDefExt;
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (bOpen)
        ofn.Flags |= OFN_FILEMUSTEXIST;
    if (bAskToReplace)
        ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (!(bOpen ? GetOpenFileNameA(&ofn) : GetSaveFileNameA(&ofn)))
        return false;
    strPath = file.data();
    if (pnFilterIndex)
        *pnFilterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}
}

std::string LoadResString(UINT nID)
{
    // A string-table entry holds at most 4097 characters.
    char buffer[4100];
    int cch = LoadStringA(GetModuleHandleA(nullptr), nID, buffer, sizeof(buffer));
    return std::string(buffer, cch > 0 ? static_cast<size_t>(cch) : 0);
}

std::string LoadResStringWith(UINT nID, const std::vector<std::string>& values)
{
    std::string text = LoadResString(nID);
    for (size_t k = 0; k < values.size(); ++k)
    {
        const std::string mark = "%" + std::to_string(k + 1);
        const size_t at = text.find(mark);
        if (at != std::string::npos)
            text.replace(at, mark.size(), values[k]);
    }
    return text;
}

int FwMessageBox(const std::string& strText, UINT nType)
{
    if ((nType & MB_ICONMASK) == 0)
        nType |= MB_ICONEXCLAMATION;
    CWinApp* pApp = FwGetApp();
    std::string caption = pApp ? pApp->GetAppName() : std::string();
    HWND hOwner = MainWindow();
    if (hOwner && !IsWindowVisible(hOwner))
        hOwner = nullptr;
    // A message asked from inside a modal dialog belongs to that dialog:
    // owned by the (disabled) main window, it would leave the dialog open
    // to clicks while the question waits for its answer. A tool window that
    // was active last is no modal dialog: the main window owns the message.
    if (hOwner && !IsWindowEnabled(hOwner))
    {
        HWND hPopup = GetLastActivePopup(hOwner);
        if (hPopup && IsWindowVisible(hPopup) && IsWindowEnabled(hPopup))
            hOwner = hPopup;
    }
    return MessageBoxA(hOwner, strText.c_str(), caption.c_str(), nType);
}

int FwMessageBox(UINT nIDPrompt, UINT nType) { return FwMessageBox(LoadResString(nIDPrompt), nType); }

void FwSetStatusText(const std::string& strText)
{
    CWinApp* pApp = FwGetApp();
    if (pApp && pApp->m_pMainWnd)
        pApp->m_pMainWnd->SetMessageText(strText);
}

CWaitCursor::CWaitCursor() : m_hPrevious(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}

CWaitCursor::~CWaitCursor() { SetCursor(m_hPrevious); }

bool FwPromptOpenFileName(const char* pszFilter, const char* pszDefExt, std::string& strPath)
{
    return PromptFileName(true, pszFilter, pszDefExt, strPath);
}

bool FwPromptSaveFileName(const char* pszFilter, const char* pszDefExt, std::string& strPath, bool bAskToReplace,
                          int* pnFilterIndex)
{
    return PromptFileName(false, pszFilter, pszDefExt, strPath, bAskToReplace, pnFilterIndex);
}

bool FwChooseColour(COLORREF& crColour)
{
    static COLORREF s_custom[16] = {};
    CHOOSECOLORA cc = {};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = MainWindow();
    cc.rgbResult = crColour;
    cc.lpCustColors = s_custom;
    cc.Flags = CC_RGBINIT;
    if (!ChooseColorA(&cc))
        return false;
    crColour = cc.rgbResult;
    return true;
}
