#include "app/FieldDlg.h"

#include "app/res/resource.h"
#include "winbase/Wide.h"
#include "core/shape/CodePage.h"
#include "winfw/FwUtil.h"
#include "winfw/Tooltips.h"

namespace
{
const unsigned kTypeNames[] = {IDS_FIELD_TYPE_TEXT, IDS_FIELD_TYPE_INTEGER, IDS_FIELD_TYPE_REAL, IDS_FIELD_TYPE_DATE};

int NumberIn(const std::string& text)
{
    try
    {
        return text.empty() ? 0 : std::stoi(text);
    }
    catch (...)
    {
        return -1;
    }
}
}   // namespace

std::string ShownValue(const FieldValue& value) { return value ? *value : std::string(); }

std::string TypedText(const std::string& strShown) { return strShown; }

std::string FieldValueMessage(const CLayerField& field, const FieldValueStatus& status)
{
    const std::string name = ShownValue(field.strName);
    switch (status.GetCode())
    {
    case FieldValueError::None: break;
    case FieldValueError::NotInteger: return LoadResStringWith(IDS_FIELD_NOT_INTEGER, {name});
    case FieldValueError::IntegerTooWide:
        return LoadResStringWith(IDS_FIELD_INTEGER_WIDE, {name, std::to_string(field.nWidth)});
    case FieldValueError::NotReal: return LoadResStringWith(IDS_FIELD_NOT_REAL, {name});
    case FieldValueError::TooManyDecimals:
        return LoadResStringWith(IDS_FIELD_DECIMALS, {name, std::to_string(field.nDecimals)});
    case FieldValueError::RealTooWide:
        return LoadResStringWith(IDS_FIELD_REAL_WIDE,
                                 {name, std::to_string(field.nWidth), std::to_string(field.nDecimals)});
    case FieldValueError::NotDate: return LoadResStringWith(IDS_FIELD_NOT_DATE, {name});
    case FieldValueError::TextTooLong:
        return LoadResStringWith(IDS_FIELD_TEXT_LONG, {name, std::to_string(field.nWidth), status.Detail()});
    case FieldValueError::NotInCodePage: return LoadResStringWith(IDS_FIELD_CODE_PAGE, {name, status.Detail()});
    }
    return std::string();
}

std::string FieldDefinitionMessage(const CLayerField& field, const FieldDefinitionStatus& status)
{
    switch (status.GetCode())
    {
    case FieldDefinitionError::None: break;
    case FieldDefinitionError::BadName: return LoadResString(IDS_FIELD_BAD_NAME);
    case FieldDefinitionError::LongName: return LoadResString(IDS_FIELD_LONG_NAME);
    case FieldDefinitionError::NameTaken: return LoadResStringWith(IDS_FIELD_NAME_TAKEN, {field.strName});
    case FieldDefinitionError::BadWidth: return LoadResString(IDS_FIELD_BAD_WIDTH);
    case FieldDefinitionError::BadDecimals: return LoadResString(IDS_FIELD_BAD_DECIMALS);
    }
    return std::string();
}

CFieldDlg::CFieldDlg(const CImageSession& session, int nField, HWND hParent)
    : CDialog(IDD_FIELD, hParent), m_session(session), m_nField(nField)
{
    const std::vector<CAttributeField>& fields = session.Features().Fields();
    if (nField >= 0 && nField < static_cast<int>(fields.size()))
        m_field = fields[nField];
    else
    {
        m_nField = -1;
        m_field.def.nWidth = 20;
    }
}

BOOL CFieldDlg::OnInitDialog()
{
    HWND hType = GetDlgItem(m_hWnd, IDC_FIELD_TYPE);
    for (unsigned id : kTypeNames)
        SendMessageW(hType, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(LoadResString(id)).c_str()));
    SendMessageW(hType, CB_SETCURSEL, static_cast<WPARAM>(m_field.def.nType), 0);
    SetItemText(IDC_FIELD_NAME, m_field.def.strName);
    SetItemText(IDC_FIELD_WIDTH, std::to_string(m_field.def.nWidth));
    SetItemText(IDC_FIELD_DECIMALS, std::to_string(m_field.def.nDecimals));
    SetItemText(IDC_FIELD_DEFAULT, ShownValue(m_field.defaultValue));
    CheckDlgButton(m_hWnd, IDC_FIELD_REUSE, m_field.bReuseLast ? BST_CHECKED : BST_UNCHECKED);
    const ControlTip tip = {IDC_FIELD_REUSE, IDS_TIP_FIELD_REUSE};
    AddControlTips(m_hWnd, &tip, 1);
    if (m_nField >= 0)
    {
        SetWindowTextW(m_hWnd, Widen(LoadResStringWith(IDS_FIELD_CHANGE_CAPTION, {m_field.def.strName})).c_str());
        // The stored values are of this kind and size.
        EnableWindow(hType, FALSE);
        EnableWindow(GetDlgItem(m_hWnd, IDC_FIELD_WIDTH), FALSE);
        EnableWindow(GetDlgItem(m_hWnd, IDC_FIELD_DECIMALS), FALSE);
    }
    else
        EnableSizes();
    return CDialog::OnInitDialog();
}

void CFieldDlg::EnableSizes()
{
    const LRESULT type = SendDlgItemMessageW(m_hWnd, IDC_FIELD_TYPE, CB_GETCURSEL, 0, 0);
    EnableWindow(GetDlgItem(m_hWnd, IDC_FIELD_WIDTH), type != static_cast<LRESULT>(FieldType::Date));
    EnableWindow(GetDlgItem(m_hWnd, IDC_FIELD_DECIMALS), type == static_cast<LRESULT>(FieldType::Real));
}

bool CFieldDlg::OnCommand(UINT nID, UINT nCode)
{
    if (nID == IDC_FIELD_TYPE && nCode == CBN_SELCHANGE && m_nField < 0)
    {
        EnableSizes();
        return true;
    }
    return CDialog::OnCommand(nID, nCode);
}

void CFieldDlg::OnOK()
{
    CAttributeField field = m_field;
    field.def.strName = GetItemText(IDC_FIELD_NAME);
    if (m_nField < 0)
    {
        const LRESULT type = SendDlgItemMessageW(m_hWnd, IDC_FIELD_TYPE, CB_GETCURSEL, 0, 0);
        field.def.nType = static_cast<FieldType>(type < 0 ? 0 : type);
        field.def.nWidth = NumberIn(GetItemText(IDC_FIELD_WIDTH));
        field.def.nDecimals = field.def.nType == FieldType::Real ? NumberIn(GetItemText(IDC_FIELD_DECIMALS)) : 0;
    }
    const FieldDefinitionStatus defined = m_session.CheckField(&field.def, m_nField);
    if (!defined.Ok())
    {
        FwMessageBox(FieldDefinitionMessage(field.def, defined), MB_OK);
        SetFocus(GetDlgItem(m_hWnd, IDC_FIELD_NAME));
        return;
    }
    const FieldValueStatus checked = CheckFieldValue(field.def, TypedText(GetItemText(IDC_FIELD_DEFAULT)),
                                                     m_session.FieldCodePage(), &field.defaultValue);
    if (!checked.Ok())
    {
        FwMessageBox(LoadResString(IDS_FIELD_DEFAULT_BAD) + FieldValueMessage(field.def, checked), MB_OK);
        SetFocus(GetDlgItem(m_hWnd, IDC_FIELD_DEFAULT));
        return;
    }
    field.bReuseLast = IsDlgButtonChecked(m_hWnd, IDC_FIELD_REUSE) == BST_CHECKED;
    m_field = field;
    EndDialog(IDOK);
}
