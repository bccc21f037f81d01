// A Shapefile opened over the scan as the document's features, and the
// writer that puts them back where they came from: every field of the
// table kept with its type, width and decimals, the .prj and .cpg as they
// were, and each record nobody touched written from the bytes it was read
// from, so that it stays the same to the bit.
#pragma once

#include <string>
#include <vector>

#include "core/georef/GeoRefArray.h"
#include "core/shape/VectorLayer.h"
#include "core/io/FileSystem.h"
#include "core/shape/Shape.h"
#include "core/shape/ShapefileLayer.h"

// What the document made of one record of the file.
struct CSourceRecord
{
    std::vector<CShapeVertex> vertices;   // the pixels the feature was given
    std::string strName;                  // the NAME cell's bytes, padding cut
    // A geometry the document cannot hold (a null shape, a multipoint, more
    // than one line or ring): shown by its first part, written as read.
    bool bKept = false;
};

class COpenedLayer
{
public:
    std::string m_strPath;   // the .shp it was read from
    CShapefileLayer m_layer;
    std::vector<CSourceRecord> m_records;   // one per feature of the file
    int m_nNameField = -1;                  // the character field NAME, or -1
    int m_nIdField = -1;                    // the numeric field ID, or -1
    // The code page the document's names are in (the system's ANSI page);
    // 0: the table's own.
    unsigned m_nNameCodePage = 0;

    // A GeoPackage layer opened instead (m_layer then holds nothing): its
    // table and its features as read, record i from feature i, with its fid.
    std::string m_strTable;
    CVectorLayer m_vector;
    bool IsGeoPackage() const { return !m_strTable.empty(); }

    // The fields and records of the file, whichever its format.
    int SourceFieldCount() const;
    CLayerField SourceField(int nField) const;
    int FindSourceField(const std::string& strName) const;   // any letter case; -1 when absent
    FieldValue SourceValue(int nRecord, int nField, FieldType nType) const;
    const std::vector<std::vector<CMapPoint>>& SourceParts(int nRecord) const;

    int KeptCount() const;
    // Whether the feature still has the geometry or the name the record has.
    bool SameGeometry(const CShape& feature) const;
    bool SameName(const CShape& feature) const;
};

// The shape type the document digitises more features of such a layer as.
ShapeType DocumentShapeType(GeometryKind nKind);

// The document's view of a layer: every record's vertices through the
// inverse of the fit, rounded to pixels, its NAME as the feature's name (in
// nNameCodePage, 0 for the table's own), and
// its index as the feature's source. False when a vertex has no pixel (a
// fit without an inverse, or coordinates far off the scan).
bool MakeOpenedLayer(const std::string& strPath, CShapefileLayer layer, const CPixelToMapTransform& transform,
                     COpenedLayer* pOpened, CShapeArray* pFeatures, unsigned nNameCodePage = 0);

// Finds the table's NAME (a character field) and ID (a numeric one).
void FindNameAndId(const CAttributeTable& table, COpenedLayer* pOpened);

// The attribute fields of an opened table: every field but the name, each
// naming its field of the table.
std::vector<CAttributeField> OpenedFields(const COpenedLayer& opened);
// Each field names the table's field of its name (-1 for none), as after
// the table was written anew.
void RebindFields(const COpenedLayer& opened, std::vector<CAttributeField>* pFields);
// Record nRecord's values of the fields, none for a field added here.
std::vector<FieldValue> OpenedValues(const COpenedLayer& opened, int nRecord,
                                     const std::vector<CAttributeField>& fields);
// Features just read, feature i from record i, take the table's fields and
// their values.
void GiveOpenedValues(const COpenedLayer& opened, CShapeArray* pFeatures);

// The .dbf of the features: the table's header as read when its fields
// are as they were, else rebuilt from the descriptors kept, renamed, and
// added; every cell nobody changed as the file has it. False when the
// table would outgrow the format.
bool BuildOpenedTable(const COpenedLayer& opened, const CShapeArray& features, std::string* pDbf);

// Whether a .prj names another coordinate system than the image's ESRI WKT
// ("" when the image has none). Writers differ in spacing and in the
// numbers' last digits, so the systems are compared by their names.
bool PrjDiffersFromImage(const std::string& strPrj, const std::string& strImageWkt);

// Writes the features at strPath with the layer's fields, type and side
// files: records of the layer whose feature kept its geometry (or is kept
// whole) reuse their .shp bytes, those that kept their name their .dbf
// bytes. New features get blank cells but for ID (their number) and NAME.
// False when a file could not be written in full.
bool WriteOpenedLayer(const COpenedLayer& opened, const CShapeArray& features, ShapeType nShapeType,
                      const CPixelToMapTransform& transform, const std::string& strPath, CFileSystem& files);
