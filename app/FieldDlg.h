// Attribute fields in the shell: the dialog that adds a field or changes
// one (its name, default and reuse of the last value), the messages for a
// value or a field the core refuses, and the texts of values as shown.
#pragma once

#include <string>

#include "core/session/ImageSession.h"
#include "winfw/Dialog.h"

// A value as the controls show it, "" for none; and text typed there as
// the core takes it. Both are UTF-8: the controls are reached through the
// wide API.
std::string ShownValue(const FieldValue& value);
std::string TypedText(const std::string& strShown);

// The words for a refused value of field, or a refused field.
std::string FieldValueMessage(const CLayerField& field, const FieldValueStatus& status);
std::string FieldDefinitionMessage(const CLayerField& field, const FieldDefinitionStatus& status);

class CFieldDlg : public CDialog
{
public:
    // Adds a field to the session's features (nField -1), or changes field
    // nField: then only its name, default and reuse can change.
    CFieldDlg(const CImageSession& session, int nField, HWND hParent = nullptr);

    CAttributeField m_field;   // on IDOK: checked, as to be added or changed

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT nID, UINT nCode) override;

private:
    void EnableSizes();

    const CImageSession& m_session;
    int m_nField;
};
