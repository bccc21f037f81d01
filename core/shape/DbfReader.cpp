// The dBASE table beside a Shapefile: header, field descriptors and
// records, checked against the file's size before anything is trusted.
#include <cstring>

#include "core/georef/NumberScan.h"
#include "core/io/Path.h"
#include "core/shape/ByteOrder.h"
#include "core/shape/CodePage.h"
#include "core/shape/DbfParser.h"

namespace
{

const size_t kTableHeaderSize = 32;
const size_t kDescriptorSize = 32;
const unsigned char kHeaderTerminator = 0x0D;

ShapefileReadStatus Damaged(const std::string& path, const std::string& what)
{
    return ShapefileReadStatus(ShapefileReadError::Damaged, path + ": " + what);
}

DbfFieldType FieldType(char c)
{
    switch (c)
    {
    case 'C': return DbfFieldType::Character;
    case 'N': return DbfFieldType::Numeric;
    case 'F': return DbfFieldType::Float;
    case 'L': return DbfFieldType::Logical;
    case 'D': return DbfFieldType::Date;
    default: return DbfFieldType::Other;
    }
}

// The cell without the spaces (and the NULs some writers pad with) around it.
std::string_view Trimmed(std::string_view cell)
{
    size_t first = 0, last = cell.size();
    while (first < last && (cell[first] == ' ' || cell[first] == '\0'))
        ++first;
    while (last > first && (cell[last - 1] == ' ' || cell[last - 1] == '\0'))
        --last;
    return cell.substr(first, last - first);
}

}   // namespace

ShapefileReadStatus CDbfParser::Parse(std::string bytes, const std::string& path, unsigned nCpgCodePage,
                                      CAttributeTable* pTable)
{
    if (bytes.size() < kTableHeaderSize + 1)
        return Damaged(path, "shorter than a table header");
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const int32_t nRecords = GetLittle32(p + 4);
    const size_t cbHeader = GetLittle16(p + 8);
    const size_t cbRecord = GetLittle16(p + 10);
    if (nRecords < 0)
        return Damaged(path, "a negative record count");
    if (cbHeader < kTableHeaderSize + 1 || cbHeader > bytes.size())
        return Damaged(path, "a header length of " + std::to_string(cbHeader) + " bytes in a file of " +
                                 std::to_string(bytes.size()));
    if (cbRecord < 1)
        return Damaged(path, "records of no byte");
    // The records must all be there; the end-of-file mark after them is optional.
    const uint64_t cbRecords = uint64_t(nRecords) * cbRecord;
    if (cbRecords > bytes.size() - cbHeader)
        return Damaged(path, "the header counts " + std::to_string(nRecords) + " records, the file holds " +
                                 std::to_string((bytes.size() - cbHeader) / cbRecord));

    CAttributeTable table;
    table.m_nLanguageByte = p[29];
    const unsigned nLanguageCodePage = CodePageFromLanguageByte(table.m_nLanguageByte);
    if (nCpgCodePage)
    {
        table.m_nCodePage = nCpgCodePage;
        table.m_nCodePageSource = CodePageSource::Cpg;
    }
    else if (nLanguageCodePage)
    {
        table.m_nCodePage = nLanguageCodePage;
        table.m_nCodePageSource = CodePageSource::LanguageByte;
    }

    int nOffset = 1;   // after the deleted flag
    for (size_t at = kTableHeaderSize; p[at] != kHeaderTerminator; at += kDescriptorSize)
    {
        if (at + kDescriptorSize >= cbHeader)
            return Damaged(path, "field descriptors run past the header's end");
        const unsigned char* d = p + at;
        CDbfField field;
        const size_t cbName = strnlen(reinterpret_cast<const char*>(d), 11);
        field.strName = DecodeToUtf8(reinterpret_cast<const char*>(d), cbName, table.m_nCodePage);
        field.cType = static_cast<char>(d[11]);
        field.nType = FieldType(field.cType);
        field.nWidth = d[16];
        field.nDecimals = d[17];
        // Character fields wider than 255 bytes keep the high byte of their
        // width where the decimals would be (shapelib reads them so).
        if (field.nType == DbfFieldType::Character)
        {
            field.nWidth += 256 * d[17];
            field.nDecimals = 0;
        }
        field.nOffset = nOffset;
        nOffset += field.nWidth;
        if (size_t(nOffset) > cbRecord)
            return Damaged(path,
                           "field " + field.strName + " ends past the record's " + std::to_string(cbRecord) + " bytes");
        table.m_fields.push_back(field);
    }

    table.m_cbHeader = cbHeader;
    table.m_cbRecord = cbRecord;
    table.m_nRecords = nRecords;
    table.m_bytes = std::move(bytes);
    *pTable = std::move(table);
    return ShapefileReadStatus();
}

int CAttributeTable::FindField(const std::string& strName) const
{
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (SameFileName(m_fields[i].strName, strName))
            return static_cast<int>(i);
    return -1;
}

std::string_view CAttributeTable::HeaderBytes() const { return std::string_view(m_bytes).substr(0, m_cbHeader); }

std::string_view CAttributeTable::RecordBytes(int nRecord) const
{
    return std::string_view(m_bytes).substr(m_cbHeader + size_t(nRecord) * m_cbRecord, m_cbRecord);
}

std::string_view CAttributeTable::TrailingBytes() const
{
    return std::string_view(m_bytes).substr(m_cbHeader + size_t(m_nRecords) * m_cbRecord);
}

std::string_view CAttributeTable::Cell(int nRecord, int nField) const
{
    const CDbfField& field = m_fields[nField];
    return RecordBytes(nRecord).substr(size_t(field.nOffset), size_t(field.nWidth));
}

std::string CAttributeTable::Text(int nRecord, int nField) const
{
    std::string_view cell = Cell(nRecord, nField);
    if (m_fields[nField].nType == DbfFieldType::Character)
    {
        // Leading spaces of a name are the user's; the padding follows it.
        size_t last = cell.size();
        while (last > 0 && (cell[last - 1] == ' ' || cell[last - 1] == '\0'))
            --last;
        cell = cell.substr(0, last);
    }
    else
    {
        cell = Trimmed(cell);
    }
    return DecodeToUtf8(cell.data(), cell.size(), m_nCodePage);
}

bool CAttributeTable::Number(int nRecord, int nField, double* pdValue) const
{
    // A copy ends the text for the scanner: the cell is not NUL-terminated.
    const std::string text(Trimmed(Cell(nRecord, nField)));
    const char* pszEnd = nullptr;
    double d;
    if (text.empty() || !ScanDouble(text.c_str(), &d, &pszEnd) || *pszEnd)
        return false;   // empty, "*****" (too wide for its field) or not a number
    *pdValue = d;
    return true;
}

bool CAttributeTable::Integer(int nRecord, int nField, int64_t* pnValue) const
{
    const std::string_view text = Trimmed(Cell(nRecord, nField));
    size_t i = text.size() > 0 && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i == text.size())
        return false;
    uint64_t n = 0;
    for (; i < text.size(); ++i)
    {
        if (text[i] < '0' || text[i] > '9' || n > (uint64_t(INT64_MAX) - 9) / 10)
            return false;   // not a whole number, or one too large
        n = n * 10 + uint64_t(text[i] - '0');
    }
    *pnValue = text[0] == '-' ? -static_cast<int64_t>(n) : static_cast<int64_t>(n);
    return true;
}

bool CAttributeTable::Logical(int nRecord, int nField, bool* pbValue) const
{
    const std::string_view text = Trimmed(Cell(nRecord, nField));
    if (text.size() != 1)
        return false;
    if (std::strchr("TtYy", text[0]))
        *pbValue = true;
    else if (std::strchr("FfNn", text[0]))
        *pbValue = false;
    else
        return false;   // '?' is dBASE's unknown
    return true;
}

bool CAttributeTable::Date(int nRecord, int nField, CDbfDate* pDate) const
{
    const std::string_view text = Trimmed(Cell(nRecord, nField));
    if (text.size() != 8)
        return false;
    int digits[8];
    for (int i = 0; i < 8; ++i)
    {
        if (text[i] < '0' || text[i] > '9')
            return false;
        digits[i] = text[i] - '0';
    }
    CDbfDate date;
    date.nYear = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
    date.nMonth = digits[4] * 10 + digits[5];
    date.nDay = digits[6] * 10 + digits[7];
    // "00000000" is how some writers say no date.
    if (date.nMonth < 1 || date.nMonth > 12 || date.nDay < 1 || date.nDay > 31)
        return false;
    *pDate = date;
    return true;
}
