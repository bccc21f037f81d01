#include "app/AddFeatureDlg.h"

#include "app/FieldDlg.h"
#include "app/res/resource.h"
#include "winfw/FwUtil.h"
#include "winbase/Wide.h"

namespace
{
// Dialog units of the rows added under the name.
const int kRowTop = 37;
const int kRowHeight = 16;
}   // namespace

CAddFeatureDlg::CAddFeatureDlg(HWND hParent) : CDialog(IDD_ADDFEATURE, hParent) {}

BOOL CAddFeatureDlg::OnInitDialog()
{
    if (m_bRenaming)
    {
        SetWindowTextW(m_hWnd, Widen(LoadResString(IDS_RENAME_FEATURE_CAPTION)).c_str());
        SetItemText(IDOK, LoadResString(IDS_RENAME_FEATURE_OK));
        SetItemText(IDCANCEL, LoadResString(IDS_RENAME_FEATURE_CANCEL));
        SetItemText(IDC_FEATURE_NAME, m_strName);
        // All of it selected: typing replaces the name, an arrow key edits it.
        SendDlgItemMessageW(m_hWnd, IDC_FEATURE_NAME, EM_SETSEL, 0, -1);
    }
    if (m_pSession && !m_bRenaming)
        AddFieldBoxes();
    return CDialog::OnInitDialog();
}

void CAddFeatureDlg::AddFieldBoxes()
{
    const std::vector<CAttributeField>& fields = m_pSession->Features().Fields();
    m_nFieldBoxes =
        static_cast<int>(fields.size() < size_t(kFeatureDialogFields) ? fields.size() : size_t(kFeatureDialogFields));
    if (m_nFieldBoxes == 0)
        return;
    m_values.resize(fields.size());
    const HFONT hFont = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    auto place = [&](const wchar_t* pszClass, const std::string& text, DWORD exStyle, DWORD style, int id, RECT units) {
        MapDialogRect(m_hWnd, &units);
        HWND hControl =
            CreateWindowExW(exStyle, pszClass, Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, units.left,
                            units.top, units.right - units.left, units.bottom - units.top, m_hWnd,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
        SendMessageW(hControl, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), FALSE);
        return hControl;
    };
    HWND hAfter = GetDlgItem(m_hWnd, IDC_FEATURE_NAME);
    for (int k = 0; k < m_nFieldBoxes; ++k)
    {
        const int top = kRowTop + k * kRowHeight;
        place(L"STATIC", ShownValue(fields[k].def.strName) + ":", 0, SS_NOPREFIX, IDC_FEATURE_FIELD_LABEL + k,
              RECT{7, top + 2, 55, top + 11});
        HWND hBox = place(L"EDIT", ShownValue(m_values[k]), WS_EX_CLIENTEDGE, ES_AUTOHSCROLL | WS_TABSTOP,
                          IDC_FEATURE_FIELD_VALUE + k, RECT{57, top, 117, top + 12});
        // Tab goes from the name down the boxes, then to the buttons.
        SetWindowPos(hBox, hAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        hAfter = hBox;
    }
    RECT grow{0, 0, 0, m_nFieldBoxes * kRowHeight};
    MapDialogRect(m_hWnd, &grow);
    RECT window;
    GetWindowRect(m_hWnd, &window);
    SetWindowPos(m_hWnd, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + grow.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CAddFeatureDlg::OnOK()
{
    const std::string name = GetItemText(IDC_FEATURE_NAME);
    // A name kept as it was is the file's own, whatever it holds.
    if (m_pSession && !(m_bRenaming && name == m_strName) && !m_pSession->NameFits(name))
    {
        FwMessageBox(LoadResStringWith(IDS_NAME_CODE_PAGE, {std::to_string(m_pSession->FieldCodePage())}), MB_OK);
        SetFocus(GetDlgItem(m_hWnd, IDC_FEATURE_NAME));
        return;
    }
    if (m_pSession)
    {
        const std::vector<CAttributeField>& fields = m_pSession->Features().Fields();
        for (int k = 0; k < m_nFieldBoxes; ++k)
        {
            FieldValue value;
            const FieldValueStatus status =
                m_pSession->CheckValue(k, TypedText(GetItemText(IDC_FEATURE_FIELD_VALUE + k)), &value);
            if (!status.Ok())
            {
                FwMessageBox(FieldValueMessage(fields[k].def, status), MB_OK);
                SetFocus(GetDlgItem(m_hWnd, IDC_FEATURE_FIELD_VALUE + k));
                return;
            }
            m_values[k] = value;
        }
    }
    // Whole and untrimmed: the attribute table is where a name is shortened.
    m_strName = name;
    EndDialog(IDOK);
}
