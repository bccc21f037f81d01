#include "installer/post/LanguageDlg.h"

#include "winbase/Handles.h"
#include "installer/post/Module.h"
#include "core/postinst/PostInstText.h"
#include "installer/post/Steps.h"
#include "installer/post/resource.h"

#include <vector>

namespace postinst
{

CLanguageDlg::CLanguageDlg(const std::string& source, const std::string& target, HWND parent)
    : m_strSource(source), m_strTarget(target), m_hParent(parent)
{
}

INT_PTR CLanguageDlg::DoModal()
{
    return DialogBoxParamA(ThisModule(), MAKEINTRESOURCEA(IDD_LANGUAGE), m_hParent, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

BOOL CLanguageDlg::OnInitDialog()
{
    m_versions = GetDlgItem(m_hWnd, IDC_VERSIONS);
    const LRESULT defaultIndex =
        SendMessageA(m_versions, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kDefaultLanguageEntry));
    SendMessageA(m_versions, CB_SETITEMDATA, defaultIndex, kDefaultEntry);
    // Files and directories alike: each name is one version.
    for (const std::string& name : ListedEntries(m_strSource + "LANG\\*.*"))
    {
        const LRESULT index = SendMessageA(m_versions, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        if (index >= 0)
            SendMessageA(m_versions, CB_SETITEMDATA, index, kFoundEntry);
    }
    // Selected once the sorted list is complete, so the default entry stays chosen.
    const LRESULT chosen = SendMessageA(m_versions, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(kDefaultLanguageEntry));
    SendMessageA(m_versions, CB_SETCURSEL, chosen, 0);
    return TRUE;
}

void CLanguageDlg::OnOK()
{
    const LRESULT selected = SendMessageA(m_versions, CB_GETCURSEL, 0, 0);
    if (selected != CB_ERR && SendMessageA(m_versions, CB_GETITEMDATA, selected, 0) != kDefaultEntry)
    {
        const LRESULT length = SendMessageA(m_versions, CB_GETLBTEXTLEN, selected, 0);
        if (length >= 0)
        {
            std::string version(static_cast<size_t>(length) + 1, '\0');
            SendMessageA(m_versions, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(&version[0]));
            version.resize(static_cast<size_t>(length));
            CopyVersion(version);
        }
    }
    EndDialog(m_hWnd, IDOK);
}

void CLanguageDlg::CopyVersion(const std::string& version)
{
    const HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    const std::string directory = m_strSource + "LANG\\" + version + "\\";
    for (const std::string& name : ListedEntries(directory + "*.*"))
    {
        const std::string from = directory + name;
        const std::string to = m_strTarget + "\\" + name;
        // Replaced in place, never deleted first: a failed copy leaves the
        // installed file as it was. A read-only one must be made writable to be replaced.
        MakeWritable(to);
        if (CopyFileA(from.c_str(), to.c_str(), FALSE))
            MakeWritable(to);
        else
            FrameworkMessageBox("Error copying " + from + " to " + to);
    }
    SetCursor(previous);
}

INT_PTR CALLBACK CLanguageDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    try
    {
        if (message == WM_INITDIALOG)
        {
            auto* self = reinterpret_cast<CLanguageDlg*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            self->m_hWnd = dialog;
            return self->OnInitDialog();
        }
        auto* self = reinterpret_cast<CLanguageDlg*>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (!self || message != WM_COMMAND)
            return FALSE;
        switch (LOWORD(wParam))
        {
        case IDOK: self->OnOK(); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
    }
    catch (...)
    {
        // Nothing may unwind through the dialog manager; end the dialog as cancelled.
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

void SelectLanguageVersion(HWND window, const std::string& source, const std::string& target)
{
    if (!PathExists(source + "LANG"))
        return;
    CLanguageDlg dialog(source, target, window);
    dialog.DoModal();
}

}   // namespace postinst
