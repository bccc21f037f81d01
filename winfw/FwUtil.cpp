#include "winfw/FwUtil.h"

#include <commdlg.h>

#include <vector>

#include "winfw/FrameWnd.h"
#include "winfw/WinApp.h"
#include "winbase/Wide.h"

namespace
{
HWND MainWindow()
{
    CWinApp* pApp = FwGetApp();
    return pApp && pApp->m_pMainWnd ? pApp->m_pMainWnd->m_hWnd : nullptr;
}

// "a|b|c|d||" as the dialog wants it: NUL-separated, ending in two NULs.
std::wstring DialogFilter(const char* pszFilter)
{
    std::wstring filter = Widen(pszFilter ? pszFilter : "");
    for (wchar_t& c : filter)
        if (c == L'|')
            c = L'\0';
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    return filter;
}

bool PromptFileName(bool bOpen, const char* pszFilter, const char* pszDefExt, std::string& strPath,
                    bool bAskToReplace = false, int* pnFilterIndex = nullptr)
{
    std::wstring filter = DialogFilter(pszFilter);
    const std::wstring defExt = Widen(pszDefExt ? pszDefExt : "");
    std::vector<wchar_t> file(32768, L'\0');
    // A name already in strPath is what the dialog proposes.
    const std::wstring proposed = Widen(strPath);
    if (proposed.size() < file.size())
        std::copy(proposed.begin(), proposed.end(), file.begin());
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = MainWindow();
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = pnFilterIndex && *pnFilterIndex > 0 ? static_cast<DWORD>(*pnFilterIndex) : 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = pszDefExt ? defExt.c_str() : nullptr;
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (bOpen)
        ofn.Flags |= OFN_FILEMUSTEXIST;
    if (bAskToReplace)
        ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (!(bOpen ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn)))
        return false;
    strPath = Narrow(file.data());
    if (pnFilterIndex)
        *pnFilterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}
}

std::string LoadResString(UINT nID)
{
    // A string-table entry holds at most 4097 characters.
    wchar_t buffer[4100];
    int cch = LoadStringW(GetModuleHandleW(nullptr), nID, buffer, static_cast<int>(std::size(buffer)));
    return Narrow(std::wstring_view(buffer, cch > 0 ? static_cast<size_t>(cch) : 0));
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
    return MessageBoxW(hOwner, Widen(strText).c_str(), Widen(caption).c_str(), nType);
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
    CHOOSECOLORW cc = {};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = MainWindow();
    cc.rgbResult = crColour;
    cc.lpCustColors = s_custom;
    cc.Flags = CC_RGBINIT;
    if (!ChooseColorW(&cc))
        return false;
    crColour = cc.rgbResult;
    return true;
}
