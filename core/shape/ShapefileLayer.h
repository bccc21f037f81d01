// What a Shapefile holds, as read: its features in map coordinates, its
// attribute table with every cell's bytes as the file has them, and its
// .prj and .cpg texts. Features the program cannot edit can be written back
// from the raw bytes kept here, bit for bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/Status.h"
#include "core/io/FileSystem.h"

enum class ShapefileReadError
{
    None,
    CannotOpen,     // the .shp, .shx or .dbf is missing or cannot be opened
    ReadFailed,     // a read stopped before the end of a file
    NotShapefile,   // no file code 9994 or version 1000
    Damaged,        // lengths, offsets or counts that disagree with the files
    Unsupported,    // MultiPatch
    NoMemory,
};
// The detail names the file and what is wrong with it.
using ShapefileReadStatus = CStatus<ShapefileReadError>;

// The shape type codes of the format, every one it defines.
enum ShapefileType
{
    SHAPEFILE_NULL = 0,
    SHAPEFILE_POINT = 1,
    SHAPEFILE_POLYLINE = 3,
    SHAPEFILE_POLYGON = 5,
    SHAPEFILE_MULTIPOINT = 8,
    SHAPEFILE_POINTZ = 11,
    SHAPEFILE_POLYLINEZ = 13,
    SHAPEFILE_POLYGONZ = 15,
    SHAPEFILE_MULTIPOINTZ = 18,
    SHAPEFILE_POINTM = 21,
    SHAPEFILE_POLYLINEM = 23,
    SHAPEFILE_POLYGONM = 25,
    SHAPEFILE_MULTIPOINTM = 28,
    SHAPEFILE_MULTIPATCH = 31,
};

enum class GeometryKind
{
    None,   // a file of null shapes only
    Point,
    MultiPoint,
    PolyLine,
    Polygon,
};

// False for a number the format does not define.
bool IsShapefileType(int32_t nCode);
GeometryKind KindOfShapefileType(ShapefileType nType);
// Z types carry z and, optionally per record, m; M types carry m alone.
bool ShapefileTypeHasZ(ShapefileType nType);
bool ShapefileTypeHasM(ShapefileType nType);

// A vertex in map units. z and m are 0 where the record carries none; an m
// below -1e38 is the format's "no measure", kept as it was.
struct CMapPoint
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double m = 0.0;
};

struct CLayerFeature
{
    // A null shape has no part. A point is one part of one vertex, a
    // multipoint one part of all its vertices; the lines of a polyline and
    // the rings of a polygon (outer rings clockwise, holes anticlockwise, in
    // the file's order) are the parts.
    bool bNull = false;
    bool bHasM = false;   // the record carried measures
    std::vector<std::vector<CMapPoint>> parts;
    // The record's content in the .shp bytes, from its shape type on (the
    // 8-byte record header, whose number changes on rewrite, not included).
    size_t cbOffset = 0;
    size_t cbLength = 0;
};

enum class DbfFieldType
{
    Character,   // 'C'
    Numeric,     // 'N'
    Float,       // 'F'
    Logical,     // 'L'
    Date,        // 'D'
    Other,       // memo and the later dBASE types: the bytes only
};

struct CDbfField
{
    std::string strName;   // UTF-8
    DbfFieldType nType = DbfFieldType::Character;
    char cType = 'C';   // the byte as written
    int nWidth = 0;
    int nDecimals = 0;
    int nOffset = 0;   // from the record's start, after its deleted flag
};

struct CDbfDate
{
    int nYear = 0;
    int nMonth = 0;
    int nDay = 0;
};

// Where the code page of the table's text came from.
enum class CodePageSource
{
    Cpg,            // the .cpg beside the file
    LanguageByte,   // the .dbf header
    Assumed,        // neither: Windows Western (1252), what the program wrote before it wrote a .cpg
};

// The .dbf as read: the whole file's bytes, with the header's fields and
// the records found in them.
class CAttributeTable
{
public:
    std::vector<CDbfField> m_fields;
    unsigned char m_nLanguageByte = 0;
    unsigned m_nCodePage = 1252;
    CodePageSource m_nCodePageSource = CodePageSource::Assumed;

    int GetRecordCount() const { return m_nRecords; }
    int FindField(const std::string& strName) const;   // -1 when absent; names in any letter case
    // The header up to and including its terminator, and a whole record
    // (deleted flag first) as the file has them.
    std::string_view HeaderBytes() const;
    std::string_view RecordBytes(int nRecord) const;
    // What follows the last record: the end-of-file mark, or nothing (pyshp
    // writes none).
    std::string_view TrailingBytes() const;
    std::string_view Cell(int nRecord, int nField) const;
    bool IsDeleted(int nRecord) const { return RecordBytes(nRecord)[0] == '*'; }

    // Typed values. Each is false, with nothing stored, for an empty cell
    // (the format's null) or one that does not read as its type.
    // Text in UTF-8 without the padding spaces (leading ones too for
    // anything but a character field).
    std::string Text(int nRecord, int nField) const;
    bool Number(int nRecord, int nField, double* pdValue) const;
    bool Integer(int nRecord, int nField, int64_t* pnValue) const;
    bool Logical(int nRecord, int nField, bool* pbValue) const;
    bool Date(int nRecord, int nField, CDbfDate* pDate) const;

private:
    friend class CDbfParser;
    std::string m_bytes;
    size_t m_cbHeader = 0;
    size_t m_cbRecord = 0;
    int m_nRecords = 0;
};

class CShapefileLayer
{
public:
    ShapefileType m_nType = SHAPEFILE_NULL;
    double m_box[4] = {};   // the header's xmin, ymin, xmax, ymax
    std::vector<CLayerFeature> m_features;
    CAttributeTable m_table;   // record i belongs to feature i
    std::string m_strPrj;      // empty when there is no .prj
    std::string m_strCpg;      // the .cpg's text as written; empty when none

    GeometryKind Kind() const { return KindOfShapefileType(m_nType); }
    // The .shp bytes of a feature's record content (see CLayerFeature).
    std::string_view RawRecord(int nFeature) const;

private:
    friend ShapefileReadStatus ReadShapefileLayer(const std::string& path, CFileSystem& files, CShapefileLayer* pLayer);
    std::string m_shpBytes;
};

// Reads the .shp at path with the .shx (when there is one), .dbf, .prj and
// .cpg beside it. On failure *pLayer is left as it was.
ShapefileReadStatus ReadShapefileLayer(const std::string& path, CFileSystem& files, CShapefileLayer* pLayer);
