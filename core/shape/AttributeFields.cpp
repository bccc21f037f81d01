#include "core/shape/AttributeFields.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/georef/NumberScan.h"
#include "core/shape/CodePage.h"
#include "core/shape/ShapefileLayer.h"

namespace
{
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    return true;
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

FieldValueStatus CheckInteger(const CLayerField& field, const std::string& text, FieldValue* pValue)
{
    size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
    if (i == text.size())
        return FieldValueError::NotInteger;
    for (size_t k = i; k < text.size(); ++k)
        if (!IsDigit(text[k]))
            return FieldValueError::NotInteger;
    while (i + 1 < text.size() && text[i] == '0')
        ++i;
    std::string digits = text.substr(i);
    const bool negative = text[0] == '-' && digits != "0";
    const std::string value = (negative ? "-" : "") + digits;
    const int width = field.nWidth > 0 ? field.nWidth : kLargestIntegerWidth + 1;
    if (static_cast<int>(value.size()) > width || digits.size() > size_t(kLargestIntegerWidth))
        return FieldValueError::IntegerTooWide;
    *pValue = value;
    return {};
}

FieldValueStatus CheckReal(const CLayerField& field, const std::string& text, FieldValue* pValue)
{
    double d;
    const char* pszEnd = nullptr;
    if (!ScanDouble(text.c_str(), &d, &pszEnd) || *pszEnd)
        return FieldValueError::NotReal;
    if (field.nWidth == 0)
    {
        // A column of no set width (a GeoPackage's REAL) keeps every digit:
        // the shortest text that reads back as the same number.
        char shortest[32];
        const auto written = std::to_chars(shortest, shortest + sizeof shortest, d);
        *pValue = std::string(shortest, written.ptr);
        return {};
    }
    const size_t point = text.find('.');
    if (point != std::string::npos && text.find_first_of("eE") == std::string::npos)
    {
        size_t decimals = text.size() - point - 1;
        // Zeros at the end say nothing more.
        while (decimals > 0 && text[point + decimals] == '0')
            --decimals;
        if (static_cast<int>(decimals) > field.nDecimals)
            return FieldValueError::TooManyDecimals;
    }
    char formatted[400];
    std::snprintf(formatted, sizeof formatted, "%.*f", field.nDecimals, d);
    if (field.nWidth > 0 && static_cast<int>(std::strlen(formatted)) > field.nWidth)
        return FieldValueError::RealTooWide;
    *pValue = std::string(formatted);
    return {};
}

FieldValueStatus CheckDate(const std::string& text, FieldValue* pValue)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return FieldValueError::NotDate;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!IsDigit(text[i]))
            return FieldValueError::NotDate;
    const int year = std::stoi(text.substr(0, 4)), month = std::stoi(text.substr(5, 2)),
              day = std::stoi(text.substr(8, 2));
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0))
        return FieldValueError::NotDate;
    *pValue = text;
    return {};
}

std::string Encoded(const std::string& utf8, unsigned nCodePage)
{
    return nCodePage == 0 || nCodePage == kCodePageUtf8 ? utf8 : EncodeFromUtf8(utf8, nCodePage);
}
}   // namespace

FieldValueStatus CheckFieldValue(const CLayerField& field, const std::string& strText, unsigned nCodePage,
                                 FieldValue* pValue)
{
    if (field.nType == FieldType::Text)
    {
        // Text is kept as typed, spaces too; only wholly empty text is none.
        if (strText.empty())
        {
            *pValue = std::nullopt;
            return {};
        }
        // The file would hold a '?' in its place: the typed text would be lost.
        if (!FitsCodePage(strText, nCodePage))
            return {FieldValueError::NotInCodePage, std::to_string(nCodePage)};
        const size_t cb = Encoded(strText, nCodePage).size();
        if (field.nWidth > 0 && cb > size_t(field.nWidth))
            return {FieldValueError::TextTooLong, std::to_string(cb)};
        *pValue = strText;
        return {};
    }
    const std::string text = TrimmedCSpace(strText);
    if (text.empty())
    {
        *pValue = std::nullopt;
        return {};
    }
    switch (field.nType)
    {
    case FieldType::Integer: return CheckInteger(field, text, pValue);
    case FieldType::Real: return CheckReal(field, text, pValue);
    case FieldType::Date: return CheckDate(text, pValue);
    case FieldType::Text: break;
    }
    return FieldValueError::NotInteger;
}

FieldDefinitionStatus CheckFieldDefinition(CLayerField* pField, const std::vector<std::string>& takenNames)
{
    const std::string& name = pField->strName;
    if (name.empty() || !((Upper(name[0]) >= 'A' && Upper(name[0]) <= 'Z')))
        return FieldDefinitionError::BadName;
    for (char c : name)
        if (!((Upper(c) >= 'A' && Upper(c) <= 'Z') || IsDigit(c) || c == '_'))
            return FieldDefinitionError::BadName;
    if (name.size() > size_t(kLargestFieldName))
        return FieldDefinitionError::LongName;
    for (const std::string& taken : takenNames)
        if (SameName(taken, name))
            return FieldDefinitionError::NameTaken;
    int largest = kLargestTextWidth;
    switch (pField->nType)
    {
    case FieldType::Date:
        pField->nWidth = kDateWidth;
        pField->nDecimals = 0;
        return {};
    case FieldType::Integer:
        pField->nDecimals = 0;
        largest = kLargestIntegerWidth;
        break;
    case FieldType::Real: largest = kLargestRealWidth; break;
    case FieldType::Text: pField->nDecimals = 0; break;
    }
    if (pField->nWidth < 1 || pField->nWidth > largest)
        return FieldDefinitionError::BadWidth;
    // A real keeps room for its point and one digit before it.
    if (pField->nType == FieldType::Real &&
        (pField->nDecimals < 0 || pField->nDecimals > kLargestDecimals || pField->nDecimals > pField->nWidth - 2))
        return FieldDefinitionError::BadDecimals;
    return {};
}

CLayerField FieldOfDbf(const CDbfField& dbf)
{
    CLayerField field;
    field.strName = dbf.strName;
    field.nWidth = dbf.nWidth;
    field.nDecimals = dbf.nDecimals;
    switch (dbf.nType)
    {
    case DbfFieldType::Numeric:
    case DbfFieldType::Float:
        field.nType = dbf.nDecimals == 0 && dbf.nWidth <= kLargestIntegerWidth ? FieldType::Integer : FieldType::Real;
        break;
    case DbfFieldType::Date: field.nType = FieldType::Date; break;
    default: field.nType = FieldType::Text; break;   // logical and later types as their text
    }
    return field;
}

FieldValue ValueOfCell(const CAttributeTable& table, int nRecord, int nField, FieldType nType)
{
    int64_t n = 0;
    double d = 0;
    CDbfDate date;
    char text[40];
    switch (nType)
    {
    case FieldType::Integer:
        if (!table.Integer(nRecord, nField, &n))
            return std::nullopt;
        return std::to_string(n);
    case FieldType::Real:
        // The digits as the file has them: what its writer meant, no more.
        if (!table.Number(nRecord, nField, &d))
            return std::nullopt;
        return table.Text(nRecord, nField);
    case FieldType::Date:
        if (!table.Date(nRecord, nField, &date))
            return std::nullopt;
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.nYear, date.nMonth, date.nDay);
        return std::string(text);
    case FieldType::Text:
    {
        std::string value = table.Text(nRecord, nField);
        if (value.empty())
            return std::nullopt;
        return value;
    }
    }
    return std::nullopt;
}

std::string DbfDescriptor(const CLayerField& field)
{
    std::string descriptor(32, '\0');
    std::memcpy(&descriptor[0], field.strName.data(),
                field.strName.size() < size_t(kLargestFieldName) ? field.strName.size() : size_t(kLargestFieldName));
    const bool date = field.nType == FieldType::Date;
    descriptor[11] = field.nType == FieldType::Text ? 'C' : date ? 'D' : 'N';
    descriptor[16] = static_cast<char>(date ? kDateWidth : field.nWidth);
    descriptor[17] = static_cast<char>(field.nType == FieldType::Real ? field.nDecimals : 0);
    return descriptor;
}

std::string DbfCell(const CLayerField& field, const FieldValue& value, unsigned nCodePage)
{
    const int width = field.nType == FieldType::Date ? kDateWidth : field.nWidth;
    std::string cell(static_cast<size_t>(width), ' ');
    if (!value)
        return cell;
    std::string text;
    switch (field.nType)
    {
    case FieldType::Text:
    {
        text = Encoded(*value, nCodePage);
        size_t cb = text.size() < cell.size() ? text.size() : cell.size();
        // Never cut inside a UTF-8 character.
        if ((nCodePage == 0 || nCodePage == kCodePageUtf8) && cb < text.size())
            while (cb > 0 && (static_cast<unsigned char>(text[cb]) & 0xC0) == 0x80)
                --cb;
        std::memcpy(&cell[0], text.data(), cb);
        return cell;
    }
    case FieldType::Date:
        if (value->size() == 10)
            text = value->substr(0, 4) + value->substr(5, 2) + value->substr(8, 2);
        break;
    case FieldType::Integer: text = *value; break;
    case FieldType::Real:
    {
        double d;
        const char* pszEnd = nullptr;
        char formatted[400];
        if (ScanDouble(value->c_str(), &d, &pszEnd))
        {
            std::snprintf(formatted, sizeof formatted, "%.*f", field.nDecimals, d);
            text = formatted;
        }
        break;
    }
    }
    // A number that does not fit stays blank rather than wrong.
    if (!text.empty() && text.size() <= cell.size())
        std::memcpy(&cell[cell.size() - text.size()], text.data(), text.size());
    return cell;
}
