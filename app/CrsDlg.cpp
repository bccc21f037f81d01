#include "app/CrsDlg.h"

#include <commctrl.h>

#include <utility>

#include "core/crs/CrsSearch.h"
#include "core/crs/CrsSettings.h"
#include "app/res/resource.h"
#include "winbase/Registry.h"
#include "winbase/Wide.h"
#include "winfw/FwUtil.h"
#include "winfw/WinApp.h"
#include "winfw/Wnd.h"

namespace
{

const char kCrsSection[] = "Coordinate Systems";
const char kRecentValue[] = "Recent";
// The search box's own notification: Down or Page Down, to go into the list.
const UINT kSearchMoveDown = 0x7F01;
const wchar_t kPreviousProcProperty[] = L"QuarvexPreviousProc";

LRESULT CALLBACK SearchBoxProc(HWND hEdit, UINT message, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC pPrevious = reinterpret_cast<WNDPROC>(GetPropW(hEdit, kPreviousProcProperty));
    if (message == WM_KEYDOWN && (wParam == VK_DOWN || wParam == VK_NEXT))
    {
        SendMessageW(GetParent(hEdit), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hEdit), kSearchMoveDown),
                     reinterpret_cast<LPARAM>(hEdit));
        return 0;
    }
    if (message == WM_NCDESTROY)
    {
        SetWindowLongPtrW(hEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pPrevious));
        RemovePropW(hEdit, kPreviousProcProperty);
    }
    return CallWindowProcW(pPrevious, hEdit, message, wParam, lParam);
}

bool IsBlank(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

}   // namespace

std::wstring WideFromUtf8(std::string_view text) { return Widen(text); }

std::vector<int> LoadRecentCrs()
{
    CWinApp* pApp = FwGetApp();
    if (!pApp)
        return std::vector<int>();
    UniqueRegKey key = OpenRegKey(HKEY_CURRENT_USER, (pApp->GetProfileKeyPath() + "\\" + kCrsSection).c_str());
    std::string text;
    if (!key || !QueryRegString(key.Get(), kRecentValue, text))
        return std::vector<int>();
    return ParseRecentCrs(text);
}

void SaveRecentCrs(const std::vector<int>& codes)
{
    CWinApp* pApp = FwGetApp();
    if (!pApp)
        return;
    // A profile that cannot be written only loses the list's order.
    UniqueRegKey key = CreateRegKey(HKEY_CURRENT_USER, (pApp->GetProfileKeyPath() + "\\" + kCrsSection).c_str());
    if (key)
        SetRegString(key.Get(), kRecentValue, FormatRecentCrs(codes));
}

CCrsDlg::CCrsDlg(int nCurrentCode, std::vector<int> recent, HWND hParent, int nPointsCode)
    : CDialog(IDD_CRS, hParent), m_nChosenCode(nCurrentCode), m_nPointsCode(nPointsCode),
      m_catalogue(EmbeddedCrsCatalogue()), m_nCurrentCode(nCurrentCode), m_recent(std::move(recent))
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
}

BOOL CCrsDlg::OnInitDialog()
{
    m_hList = GetDlgItem(m_hWnd, IDC_CRS_LIST);
    m_hSearch = GetDlgItem(m_hWnd, IDC_CRS_SEARCH);
    SetPropW(m_hSearch, kPreviousProcProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrW(m_hSearch, GWLP_WNDPROC)));
    SetWindowLongPtrW(m_hSearch, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SearchBoxProc));

    // The list asks for its texts in UTF-16: areas of use carry degree signs
    // and accents that the ANSI code page may not have.
    SendMessageW(m_hList, LVM_SETUNICODEFORMAT, TRUE, 0);
    SendMessageW(m_hList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT client;
    GetClientRect(m_hList, &client);
    const int cx = client.right - GetSystemMetrics(SM_CXVSCROLL);
    const int widths[] = {cx * 11 / 100, cx * 50 / 100, cx - cx * 11 / 100 - cx * 50 / 100};
    const UINT titles[] = {IDS_CRS_COLUMN_CODE, IDS_CRS_COLUMN_NAME, IDS_CRS_COLUMN_AREA};
    for (int i = 0; i < 3; ++i)
    {
        std::wstring title = Widen(LoadResString(titles[i]));
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = widths[i];
        column.pszText = &title[0];
        column.iSubItem = i;
        SendMessageW(m_hList, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }

    const CCrsEntry* pCurrent = m_catalogue.Find(m_nCurrentCode);
    SetItemText(IDC_CRS_CURRENT, pCurrent ? FormatCrsSetting(pCurrent->nCode) + "  " + std::string(pCurrent->name)
                                          : LoadResString(IDS_CRS_NONE));
    FillPointsList();
    Search();
    SetFocus(m_hSearch);
    return FALSE;   // the focus is set
}

void CCrsDlg::FillPointsList()
{
    HWND hPoints = GetDlgItem(m_hWnd, IDC_CRS_POINTS);
    SendMessageW(hPoints, CB_RESETCONTENT, 0, 0);
    const LRESULT same = SendMessageW(hPoints, CB_ADDSTRING, 0,
                                      reinterpret_cast<LPARAM>(Widen(LoadResString(IDS_CRS_POINTS_SAME)).c_str()));
    SendMessageW(hPoints, CB_SETITEMDATA, same, 0);
    SendMessageW(hPoints, CB_SETCURSEL, same, 0);
    // Graticules are mostly drawn in WGS 84 or ETRS89 degrees.
    std::vector<int> codes = {m_nPointsCode, 4326, 4258};
    codes.insert(codes.end(), m_recent.begin(), m_recent.end());
    for (int code : codes)
        SelectPointsCode(code);
    SelectPointsCode(m_nPointsCode);
}

void CCrsDlg::SelectPointsCode(int nCode)
{
    HWND hPoints = GetDlgItem(m_hWnd, IDC_CRS_POINTS);
    const CCrsEntry* pEntry = m_catalogue.Find(nCode);
    if (!pEntry)
        return;
    const LRESULT count = SendMessageW(hPoints, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        if (static_cast<int>(SendMessageW(hPoints, CB_GETITEMDATA, i, 0)) == nCode)
        {
            if (nCode == m_nPointsCode)
                SendMessageW(hPoints, CB_SETCURSEL, i, 0);
            return;
        }
    const std::wstring text = Widen(FormatCrsSetting(pEntry->nCode)) + L"  " + WideFromUtf8(pEntry->name);
    const LRESULT item = SendMessageW(hPoints, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(hPoints, CB_SETITEMDATA, item, nCode);
    if (nCode == m_nPointsCode)
        SendMessageW(hPoints, CB_SETCURSEL, item, 0);
}

int CCrsDlg::ChosenPointsCode() const
{
    HWND hPoints = GetDlgItem(m_hWnd, IDC_CRS_POINTS);
    const LRESULT item = SendMessageW(hPoints, CB_GETCURSEL, 0, 0);
    return item < 0 ? 0 : static_cast<int>(SendMessageW(hPoints, CB_GETITEMDATA, item, 0));
}

void CCrsDlg::Search()
{
    const std::string query = GetWindowString(m_hSearch);
    m_rows = SearchCrs(m_catalogue, query);
    const bool blank = IsBlank(query);
    int selected = m_rows.empty() ? -1 : 0;
    if (blank)
    {
        // The recently used first, then every system by code, each once.
        std::vector<bool> listed(m_catalogue.GetSize(), false);
        for (int code : m_recent)
        {
            const int index = m_catalogue.IndexOf(code);
            if (index >= 0 && !listed[index])
            {
                m_rows.push_back(index);
                listed[index] = true;
            }
        }
        for (size_t i = 0; i < m_catalogue.GetSize(); ++i)
            if (!listed[i])
                m_rows.push_back(static_cast<int>(i));
        // Nothing typed: only the current system is picked out.
        selected = -1;
        for (size_t row = 0; row < m_rows.size(); ++row)
            if (m_catalogue.GetAt(m_rows[row]).nCode == m_nCurrentCode)
                selected = static_cast<int>(row);
    }
    SendMessageW(m_hList, LVM_SETITEMCOUNT, m_rows.size(), 0);
    InvalidateRect(m_hList, nullptr, TRUE);
    const std::string count = std::to_string(m_rows.size());
    SetItemText(IDC_CRS_COUNT, blank            ? LoadResString(IDS_CRS_ALL) + " " + count
                               : m_rows.empty() ? LoadResString(IDS_CRS_NO_MATCH)
                                                : LoadResString(IDS_CRS_FOUND) + " " + count);
    SelectRow(selected);
    ShowArea();
}

int CCrsDlg::SelectedRow() const
{
    return static_cast<int>(SendMessageW(m_hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CCrsDlg::SelectRow(int nRow)
{
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    if (nRow < 0)
        return;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(m_hList, LVM_SETITEMSTATE, nRow, reinterpret_cast<LPARAM>(&item));
    SendMessageW(m_hList, LVM_ENSUREVISIBLE, nRow, FALSE);
}

void CCrsDlg::ShowArea()
{
    const int row = SelectedRow();
    std::wstring text;
    if (row >= 0 && size_t(row) < m_rows.size())
        text = Widen(LoadResString(IDS_CRS_AREA_OF_USE)) + L" " + WideFromUtf8(m_catalogue.GetAt(m_rows[row]).area);
    SetWindowTextW(GetDlgItem(m_hWnd, IDC_CRS_AREA), text.c_str());
}

void CCrsDlg::Choose(int nRow)
{
    m_nChosenCode = m_catalogue.GetAt(m_rows[nRow]).nCode;
    m_nPointsCode = ChosenPointsCode();
    EndDialog(IDOK);
}

void CCrsDlg::OnOK()
{
    // Enter chooses the row picked out, or the best match of what was typed.
    int row = SelectedRow();
    if (row < 0 && !m_rows.empty() && !IsBlank(GetWindowString(m_hSearch)))
        row = 0;
    if (row < 0 || size_t(row) >= m_rows.size())
    {
        MessageBeep(MB_OK);
        return;
    }
    Choose(row);
}

bool CCrsDlg::OnCommand(UINT nID, UINT nCode)
{
    if (nID == IDC_CRS_SEARCH && nCode == EN_CHANGE)
    {
        Search();
        return true;
    }
    if (nID == IDC_CRS_SEARCH && nCode == kSearchMoveDown)
    {
        if (m_rows.empty())
            return true;
        if (SelectedRow() < 0)
            SelectRow(0);
        SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_hList), TRUE);
        return true;
    }
    if (nID == IDC_CRS_NONE && nCode == BN_CLICKED)
    {
        m_nChosenCode = 0;
        m_nPointsCode = ChosenPointsCode();
        EndDialog(IDOK);
        return true;
    }
    if (nID == IDC_CRS_POINTS_FROM_LIST && nCode == BN_CLICKED)
    {
        const int row = SelectedRow();
        if (row < 0 || size_t(row) >= m_rows.size())
        {
            MessageBeep(MB_OK);
            return true;
        }
        m_nPointsCode = m_catalogue.GetAt(m_rows[row]).nCode;
        SelectPointsCode(m_nPointsCode);
        return true;
    }
    return false;
}

bool CCrsDlg::OnNotify(NMHDR* pHeader, LRESULT* pResult)
{
    const LPARAM lParam = reinterpret_cast<LPARAM>(pHeader);
    if (pHeader->idFrom != IDC_CRS_LIST)
        return false;
    *pResult = 0;
    switch (pHeader->code)
    {
    case LVN_GETDISPINFOW:
    case LVN_GETDISPINFOA:
    {
        // Both forms: the list asks in UTF-16 once told to, in ANSI before.
        NMLVDISPINFOW* pInfo = reinterpret_cast<NMLVDISPINFOW*>(lParam);
        LVITEMW& item = pInfo->item;
        if (!(item.mask & LVIF_TEXT) || item.iItem < 0 || size_t(item.iItem) >= m_rows.size() || item.cchTextMax <= 0)
            return true;
        const CCrsEntry& entry = m_catalogue.GetAt(m_rows[item.iItem]);
        m_cellText = item.iSubItem == 0   ? std::to_wstring(entry.nCode)
                     : item.iSubItem == 1 ? WideFromUtf8(entry.name)
                                          : WideFromUtf8(entry.area);
        if (pHeader->code == LVN_GETDISPINFOW)
        {
            lstrcpynW(item.pszText, m_cellText.c_str(), item.cchTextMax);
        }
        else
        {
            char* pszText = reinterpret_cast<char*>(item.pszText);
            const int cb =
                WideCharToMultiByte(CP_ACP, 0, m_cellText.c_str(), -1, pszText, item.cchTextMax, nullptr, nullptr);
            if (cb == 0)
                pszText[0] = '\0';
            pszText[item.cchTextMax - 1] = '\0';
        }
        return true;
    }
    case LVN_ITEMCHANGED: ShowArea(); return true;
    case NM_DBLCLK:
    {
        const NMITEMACTIVATE* pActivate = reinterpret_cast<const NMITEMACTIVATE*>(lParam);
        if (pActivate->iItem >= 0 && size_t(pActivate->iItem) < m_rows.size())
            Choose(pActivate->iItem);
        return true;
    }
    }
    return false;
}
