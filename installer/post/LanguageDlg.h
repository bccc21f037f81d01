// The modal "Set-up" dialog that offers the language versions of the media.
#pragma once

#include <windows.h>

#include <string>

namespace postinst
{

class CLanguageDlg
{
public:
    CLanguageDlg(const std::string& source, const std::string& target, HWND parent);
    // Runs modally; IDOK or IDCANCEL.
    INT_PTR DoModal();

    // Item values of the versions list.
    static const LPARAM kDefaultEntry = 0;
    static const LPARAM kFoundEntry = 1;

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog();
    void OnOK();
    void CopyVersion(const std::string& version);

    std::string m_strSource;   // with trailing backslash
    std::string m_strTarget;   // without
    HWND m_hParent;
    HWND m_hWnd = nullptr;
    HWND m_versions = nullptr;
};

}   // namespace postinst
