// Small services of the framework: string-table texts, message boxes, the
// wait cursor, the status line, and the common file and colour dialogs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The text of string-table entry nID; empty when there is none.
std::string LoadResString(UINT nID);
// The same with "%1", "%2"... replaced by the values in order.
std::string LoadResStringWith(UINT nID, const std::vector<std::string>& values);

// A modal message box owned by the main window, captioned with the
// application name. Without an icon in nType it shows the warning icon.
// Returns the button pressed (IDOK, IDYES 6, IDNO 7...).
int FwMessageBox(const std::string& strText, UINT nType = MB_OK);
int FwMessageBox(UINT nIDPrompt, UINT nType = MB_OK);

// Sets the message pane of the main window's status bar ("" clears it).
void FwSetStatusText(const std::string& strText);

// Shows the wait cursor for its lifetime.
class CWaitCursor
{
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR m_hPrevious;
};

// The common Open dialog. pszFilter lists name|pattern| pairs ended by "|"
// ("JPG Image (*.jpg)|*.jpg||"); pszDefExt has no dot. On OK stores the
// full path and returns true.
bool FwPromptOpenFileName(const char* pszFilter, const char* pszDefExt, std::string& strPath);
// The common Save As dialog. A name in strPath (empty for none) is the one
// it starts with; an existing file is questioned only when bAskToReplace.
// pnFilterIndex, when given, is the file type shown first and receives the
// one chosen (1 for the filter's first).
bool FwPromptSaveFileName(const char* pszFilter, const char* pszDefExt, std::string& strPath,
                          bool bAskToReplace = false, int* pnFilterIndex = nullptr);
// The common colour dialog starting at crColour; on OK stores the choice.
bool FwChooseColour(COLORREF& crColour);
