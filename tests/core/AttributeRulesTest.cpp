// What a typed value must be to enter a field, and the dBASE cell it is
// written as; what a new field must be.
#include <gtest/gtest.h>

#include "core/shape/AttributeFields.h"

namespace
{
struct ValueCase
{
    CLayerField field;
    const char* typed;
    unsigned codePage;
    FieldValueError error;
    const char* kept;   // null: no value
    const char* cell;   // the dBASE bytes, when the value is kept
};

const CLayerField kInt5{"N", FieldType::Integer, 5, 0};
const CLayerField kReal8_2{"R", FieldType::Real, 8, 2};
const CLayerField kDate{"D", FieldType::Date, 8, 0};
const CLayerField kText6{"T", FieldType::Text, 6, 0};

const ValueCase kValueCases[] = {
    {kInt5, " 00042 ", 0, FieldValueError::None, "42", "   42"},
    {kInt5, "-9999", 0, FieldValueError::None, "-9999", "-9999"},
    {kInt5, "+0", 0, FieldValueError::None, "0", "    0"},
    {kInt5, "-0", 0, FieldValueError::None, "0", "    0"},
    {kInt5, "99999", 0, FieldValueError::None, "99999", "99999"},
    {kInt5, "100000", 0, FieldValueError::IntegerTooWide, nullptr, nullptr},
    {kInt5, "-10000", 0, FieldValueError::IntegerTooWide, nullptr, nullptr},
    {kInt5, "1.0", 0, FieldValueError::NotInteger, nullptr, nullptr},
    {kInt5, "12a", 0, FieldValueError::NotInteger, nullptr, nullptr},
    {kInt5, "-", 0, FieldValueError::NotInteger, nullptr, nullptr},
    {kInt5, "   ", 0, FieldValueError::None, nullptr, "     "},
    {{"N", FieldType::Integer, 18, 0}, "9999999999999999999", 0, FieldValueError::IntegerTooWide, nullptr, nullptr},
    {kReal8_2, "3.5", 0, FieldValueError::None, "3.50", "    3.50"},
    {kReal8_2, "-1234.5", 0, FieldValueError::None, "-1234.50", "-1234.50"},
    {kReal8_2, "-12345.6", 0, FieldValueError::RealTooWide, nullptr, nullptr},   // 9 characters
    {kReal8_2, "1.250", 0, FieldValueError::None, "1.25", "    1.25"},           // a zero at the end is no decimal
    {kReal8_2, "1.255", 0, FieldValueError::TooManyDecimals, nullptr, nullptr},
    {kReal8_2, "1e3", 0, FieldValueError::None, "1000.00", " 1000.00"},
    {kReal8_2, "1,5", 0, FieldValueError::NotReal, nullptr, nullptr},   // "." whatever the locale
    {kReal8_2, "inf", 0, FieldValueError::NotReal, nullptr, nullptr},
    {kReal8_2, "1e400", 0, FieldValueError::NotReal, nullptr, nullptr},
    {kDate, "2024-02-29", 0, FieldValueError::None, "2024-02-29", "20240229"},
    {kDate, "2000-02-29", 0, FieldValueError::None, "2000-02-29", "20000229"},
    {kDate, "1900-02-29", 0, FieldValueError::NotDate, nullptr, nullptr},
    {kDate, "2023-04-31", 0, FieldValueError::NotDate, nullptr, nullptr},
    {kDate, "2023-13-01", 0, FieldValueError::NotDate, nullptr, nullptr},
    {kDate, "20230401", 0, FieldValueError::NotDate, nullptr, nullptr},
    {kDate, "2023-4-01", 0, FieldValueError::NotDate, nullptr, nullptr},
    {kText6, " ab  ", 0, FieldValueError::None, " ab  ", " ab   "},   // as typed, spaces too
    {kText6, "\xC3\xA9t\xC3\xA9s", 1252, FieldValueError::None, "\xC3\xA9t\xC3\xA9s", "\xE9t\xE9s  "},
    {kText6, "\xC3\xA9t\xC3\xA9s", 65001, FieldValueError::None, "\xC3\xA9t\xC3\xA9s", "\xC3\xA9t\xC3\xA9s"},
    {kText6, "\xC3\xA9t\xC3\xA9s!", 65001, FieldValueError::TextTooLong, nullptr, nullptr},   // 7 bytes
    {kText6, "\xC3\xA9t\xC3\xA9s!", 1252, FieldValueError::None, "\xC3\xA9t\xC3\xA9s!", "\xE9t\xE9s! "},
    {kText6, "\xD0\x9C\xD0\xBE\xD1\x81\xD1\x82", 1252, FieldValueError::NotInCodePage, nullptr, nullptr},   // Мост
    {kText6, "\xD0\x9C\xD0\xBE", 1251, FieldValueError::None, "\xD0\x9C\xD0\xBE", "\xCC\xEE    "},
    {kText6, "\xD0\x9C\xD0\xBE", 0, FieldValueError::None, "\xD0\x9C\xD0\xBE", "\xD0\x9C\xD0\xBE  "},
};

TEST(AttributeRules, ValuesAreCheckedAgainstTheirFieldAndWrittenAsCells)
{
    for (const ValueCase& c : kValueCases)
    {
        SCOPED_TRACE(std::string(c.typed) + " as " + c.field.strName);
        FieldValue value = std::string("untouched");
        const FieldValueStatus status = CheckFieldValue(c.field, c.typed, c.codePage, &value);
        EXPECT_EQ(status.GetCode(), c.error);
        if (c.error != FieldValueError::None)
        {
            EXPECT_EQ(value, FieldValue("untouched"));
            continue;
        }
        EXPECT_EQ(value, c.kept ? FieldValue(c.kept) : FieldValue());
        if (c.cell)
        {
            EXPECT_EQ(DbfCell(c.field, value, c.codePage), c.cell);
        }
    }
}

TEST(AttributeRules, NewFieldsNeedADbaseNameOfTheirOwnAndASizeTheFormatHolds)
{
    const std::vector<std::string> taken = {"ID", "NAME", "Height"};
    struct
    {
        CLayerField field;
        FieldDefinitionError error;
    } cases[] = {
        {{"CLASS_2", FieldType::Text, 254, 0}, FieldDefinitionError::None},
        {{"height", FieldType::Integer, 5, 0}, FieldDefinitionError::NameTaken},
        {{"name", FieldType::Text, 5, 0}, FieldDefinitionError::NameTaken},
        {{"", FieldType::Text, 5, 0}, FieldDefinitionError::BadName},
        {{"2nd", FieldType::Text, 5, 0}, FieldDefinitionError::BadName},
        {{"A B", FieldType::Text, 5, 0}, FieldDefinitionError::BadName},
        {{"ABCDEFGHIJK", FieldType::Text, 5, 0}, FieldDefinitionError::LongName},
        {{"T", FieldType::Text, 255, 0}, FieldDefinitionError::BadWidth},
        {{"T", FieldType::Text, 0, 0}, FieldDefinitionError::BadWidth},
        {{"I", FieldType::Integer, 19, 0}, FieldDefinitionError::BadWidth},
        {{"R", FieldType::Real, 24, 15}, FieldDefinitionError::None},
        {{"R", FieldType::Real, 25, 2}, FieldDefinitionError::BadWidth},
        {{"R", FieldType::Real, 5, 4}, FieldDefinitionError::BadDecimals},
        {{"R", FieldType::Real, 20, 16}, FieldDefinitionError::BadDecimals},
        {{"D", FieldType::Date, 0, 3}, FieldDefinitionError::None},
    };
    for (auto& c : cases)
    {
        SCOPED_TRACE(c.field.strName);
        EXPECT_EQ(CheckFieldDefinition(&c.field, taken).GetCode(), c.error);
    }
    // A date takes the format's eight digits, whatever was asked.
    EXPECT_EQ(cases[14].field.nWidth, kDateWidth);
    EXPECT_EQ(cases[14].field.nDecimals, 0);
    EXPECT_EQ(DbfDescriptor(cases[10].field).substr(11, 7), std::string("N\0\0\0\0\x18\x0F", 7));
}
}   // namespace
