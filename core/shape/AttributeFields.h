// Attribute fields: their kinds, the rules a value typed for one must
// follow, and the dBASE bytes of a field and of a cell. A value is text in
// UTF-8 (numbers in the C locale's form, dates as YYYY-MM-DD); no value is
// the format's null.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/base/Status.h"

class CAttributeTable;
struct CDbfField;

enum class FieldType
{
    Text,
    Integer,
    Real,
    Date,   // a calendar day, "YYYY-MM-DD" (or dBASE's "YYYYMMDD")
};

struct CLayerField
{
    std::string strName;   // UTF-8
    FieldType nType = FieldType::Text;
    int nWidth = 0;   // characters of a text or digits of a number; 0: no limit
    int nDecimals = 0;
};

using FieldValue = std::optional<std::string>;

// A field of the document's features, beyond the name each has and the
// number it is saved with.
struct CAttributeField
{
    CLayerField def;
    FieldValue defaultValue;   // what a new feature gets
    bool bReuseLast = false;   // a new feature gets the last feature's value instead
    int nSourceField = -1;     // the field of the opened table it is, or -1 when added here
};

// The widest fields dBASE readers take.
const int kLargestTextWidth = 254;
const int kLargestIntegerWidth = 18;   // wider ones overflow 64 bits
const int kLargestRealWidth = 24;
const int kLargestDecimals = 15;
const int kDateWidth = 8;
const int kLargestFieldName = 10;   // bytes of a dBASE field name

enum class FieldValueError
{
    None,
    NotInteger,
    IntegerTooWide,   // more digits (with the sign) than the width
    NotReal,
    TooManyDecimals,   // more digits after the point than the field keeps
    RealTooWide,
    NotDate,         // not YYYY-MM-DD, or no such day
    TextTooLong,     // more bytes in the table's encoding than the width
    NotInCodePage,   // a character the table's code page has no byte for (detail: the page)
};
using FieldValueStatus = CStatus<FieldValueError>;

// Checks what was typed for a field whose text is stored in nCodePage (0 or
// 65001: UTF-8). On success *pValue is the value as kept: nothing for
// empty text, an integer without padding or leading zeros, a real with the
// field's decimals.
FieldValueStatus CheckFieldValue(const CLayerField& field, const std::string& strText, unsigned nCodePage,
                                 FieldValue* pValue);

enum class FieldDefinitionError
{
    None,
    BadName,     // empty, or not a letter followed by letters, digits and '_'
    LongName,    // over kLargestFieldName bytes
    NameTaken,   // another field's name, in any letter case
    BadWidth,
    BadDecimals,
};
using FieldDefinitionStatus = CStatus<FieldDefinitionError>;

// Checks a field about to be added or renamed beside the taken names. A
// date's width is set to kDateWidth, an integer's decimals to 0.
FieldDefinitionStatus CheckFieldDefinition(CLayerField* pField, const std::vector<std::string>& takenNames);

// The field a dBASE field is read as: numbers without decimals of up to 18
// digits are integers; logical and later kinds are text.
CLayerField FieldOfDbf(const CDbfField& dbf);
// A cell's value as its field is read (see FieldOfDbf); nothing for an
// empty cell or one that does not read as its kind.
FieldValue ValueOfCell(const CAttributeTable& table, int nRecord, int nField, FieldType nType);

// The 32-byte dBASE descriptor of a field (its offset bytes left zero).
std::string DbfDescriptor(const CLayerField& field);
// The cell of a value, field.nWidth bytes (kDateWidth for a date): text in
// nCodePage padded with spaces, numbers right-aligned, blank for none.
std::string DbfCell(const CLayerField& field, const FieldValue& value, unsigned nCodePage);
