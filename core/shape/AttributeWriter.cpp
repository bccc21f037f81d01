// The dBASE III attribute table (.dbf): the fields ID (numeric, 8) and NAME
// (character, 32), then the attribute fields of the features, one record
// per shape in the order of the main file.
#include <cstring>

#include "core/io/Path.h"
#include "core/shape/CodePage.h"
#include "core/shape/ByteOrder.h"
#include "core/shape/ShapeFile.h"

namespace
{

const int kTableHeaderSize = 32;
const int kDescriptorSize = 32;
const int kIdWidth = 8;
const int kNameWidth = 32;
const int kRecordSize = 1 + kIdWidth + kNameWidth;
const unsigned char kHeaderTerminator = 0x0D;
const unsigned char kEndOfFile = 0x1A;
const int kLargestId = 99999999;

void PutDescriptor(unsigned char* p, const char* pszName, char type, unsigned char cbLength)
{
    std::memset(p, 0, kDescriptorSize);
    std::memcpy(p, pszName, std::strlen(pszName));
    p[11] = static_cast<unsigned char>(type);
    p[16] = cbLength;
}

// The record number as "%8i" would print it: right-aligned, space-padded.
void PutId(unsigned char* p, int nId)
{
    std::memset(p, ' ', kIdWidth);
    int i = kIdWidth;
    do
    {
        p[--i] = static_cast<unsigned char>('0' + nId % 10);
        nId /= 10;
    } while (nId > 0 && i > 0);
}

// How many bytes of a name of cb bytes fit the field: a UTF-8 name is cut
// before a character that does not fit whole, as GDAL cuts it.
size_t FittingBytes(const std::string& name, unsigned nCodePage)
{
    size_t cb = name.size() < size_t(kNameWidth) ? name.size() : size_t(kNameWidth);
    if (nCodePage == kCodePageUtf8 && cb < name.size())
        while (cb > 0 && (static_cast<unsigned char>(name[cb]) & 0xC0) == 0x80)
            --cb;
    return cb;
}

}   // namespace

unsigned NewTableCodePage(const CShapeArray& shapes, unsigned nAnsiCodePage, bool bUtf8Asked)
{
    if (bUtf8Asked || !nAnsiCodePage)
        return kCodePageUtf8;
    const std::vector<CAttributeField>& fields = shapes.Fields();
    for (int i = 0; i < shapes.GetSize(); ++i)
    {
        if (!FitsCodePage(shapes.GetAt(i).m_strName, nAnsiCodePage))
            return kCodePageUtf8;
        for (size_t f = 0; f < fields.size(); ++f)
        {
            const FieldValue& value = shapes.GetAt(i).Value(static_cast<int>(f));
            if (fields[f].def.nType == FieldType::Text && value && !FitsCodePage(*value, nAnsiCodePage))
                return kCodePageUtf8;
        }
    }
    return nAnsiCodePage;
}

bool CShapeFile::WriteAttributeTable(CFileWriter& sink, const CShapeBounds& summary,
                                     const CShapeSideFiles& sideFiles) const
{
    if (m_shapes.GetSize() > kLargestId)
        return false;
    const std::vector<CAttributeField>& fields = m_shapes.Fields();
    std::string descriptors;
    size_t cbRecord = kRecordSize;
    for (const CAttributeField& field : fields)
    {
        const std::string descriptor = DbfDescriptor(field.def);
        cbRecord += static_cast<unsigned char>(descriptor[16]);
        descriptors += descriptor;
    }
    const size_t cbHeader = kTableHeaderSize + 2 * kDescriptorSize + descriptors.size() + 1;
    if (cbHeader > 0xFFFF || cbRecord > 0xFFFF)
        return false;
    unsigned char header[kTableHeaderSize] = {};
    header[0] = 0x03;   // dBASE III, no memo file
    header[1] = 100;    // last update 1 January 2000, always: the files of
    header[2] = 1;      // one set of shapes do not differ by the day they
    header[3] = 1;      // were saved
    PutLittle32(header + 4, summary.m_nParts);
    PutLittle16(header + 8, static_cast<uint16_t>(cbHeader));
    PutLittle16(header + 10, static_cast<uint16_t>(cbRecord));
    unsigned char idField[kDescriptorSize], nameField[kDescriptorSize];
    PutDescriptor(idField, "ID", 'N', kIdWidth);
    PutDescriptor(nameField, "NAME", 'C', kNameWidth);

    if (!sink.Write(header, sizeof header) || !sink.Write(idField, sizeof idField) ||
        !sink.Write(nameField, sizeof nameField) || !sink.Write(descriptors.data(), descriptors.size()) ||
        !sink.Write(&kHeaderTerminator, 1))
        return false;

    unsigned char record[kRecordSize];
    for (int i = 0; i < m_shapes.GetSize(); ++i)
    {
        const std::string& held = m_shapes.GetAt(i).m_strName;
        const bool bConvert = sideFiles.nNameCodePage && sideFiles.nNameCodePage != sideFiles.nCodePage;
        const std::string name = bConvert ? ConvertCodePage(held, sideFiles.nNameCodePage, sideFiles.nCodePage) : held;
        record[0] = ' ';   // not deleted
        PutId(record + 1, i + 1);
        // Bytes of the text in the table's code page; a longer name is cut
        // after its 32nd byte, a shorter one padded with spaces.
        const size_t cbName = FittingBytes(name, sideFiles.nCodePage);
        std::memcpy(record + 1 + kIdWidth, name.data(), cbName);
        std::memset(record + 1 + kIdWidth + cbName, ' ', kNameWidth - cbName);
        if (!sink.Write(record, sizeof record))
            return false;
        for (size_t f = 0; f < fields.size(); ++f)
        {
            const std::string cell =
                DbfCell(fields[f].def, m_shapes.GetAt(i).Value(static_cast<int>(f)), sideFiles.nCodePage);
            if (!sink.Write(cell.data(), cell.size()))
                return false;
        }
    }
    return sink.Write(&kEndOfFile, 1);
}

bool CShapeFile::WriteAttributes(const char* pszPath, const CShapeBounds& summary, CFileSystem& files,
                                 const CShapeSideFiles& sideFiles) const
{
    try
    {
        CFileWriter sink(files.OpenForWriting(SideFileName(pszPath, ".dbf")));
        if (!sink.IsOpen())
            return false;
        const bool written = WriteAttributeTable(sink, summary, sideFiles);
        return sink.Close() && written;
    }
    catch (...)
    {
        return false;
    }
}
