#include "core/shape/OpenedLayer.h"

#include <cfloat>
#include <cmath>
#include <algorithm>
#include <charconv>
#include <cstring>

#include "core/io/FileWriter.h"
#include "core/io/Path.h"
#include "core/shape/ByteOrder.h"
#include "core/shape/CodePage.h"
#include "core/shape/FeatureMeasure.h"
#include "core/shape/PolygonRings.h"

namespace
{
// Pixels beyond this are no place on any scan: a wrong fit or wrong file.
const double kLargestPixel = 1e9;
const int kShapeHeaderBytes = 100;
const int kAddedNameWidth = 32;   // as in the files the program makes

std::string TrimmedCell(std::string_view cell)
{
    size_t last = cell.size();
    while (last > 0 && (cell[last - 1] == ' ' || cell[last - 1] == '\0'))
        --last;
    return std::string(cell.substr(0, last));
}

// The first quoted text of a WKT: the name of the system it defines.
std::string WktName(const std::string& wkt)
{
    const size_t open = wkt.find('"');
    const size_t close = open == std::string::npos ? open : wkt.find('"', open + 1);
    return close == std::string::npos ? std::string() : wkt.substr(open + 1, close - open - 1);
}

struct CRange
{
    double lo = DBL_MAX;
    double hi = -DBL_MAX;
    void Fold(double v)
    {
        lo = v < lo ? v : lo;
        hi = v > hi ? v : hi;
    }
    double Low() const { return lo <= hi ? lo : 0.0; }
    double High() const { return lo <= hi ? hi : 0.0; }
};

void PutDouble(std::string& out, double v)
{
    unsigned char b[8];
    PutLittleDouble(b, v);
    out.append(reinterpret_cast<const char*>(b), 8);
}

void PutInt(std::string& out, int32_t v)
{
    unsigned char b[4];
    PutLittle32(b, v);
    out.append(reinterpret_cast<const char*>(b), 4);
}

// A record's content made from a feature's pixels, of the file's type: one
// part a ring, z and m of 0 where the type carries them.
std::string BuildContent(const CShape& feature, ShapefileType nType, const CPixelToMapTransform& transform,
                         CRange box[2])
{
    const std::vector<CShapeVertex>& vertices = feature.Vertices();
    size_t n = vertices.size();
    std::vector<double> xy(2 * n);
    for (size_t v = 0; v < n; ++v)
        transform.Map(vertices[v].x, vertices[v].y, &xy[2 * v], &xy[2 * v + 1]);
    const GeometryKind nKind = KindOfShapefileType(nType);
    std::vector<int32_t> parts{0};
    if (nKind == GeometryKind::Polygon && feature.RingCount() > 1)
    {
        // A part a ring: the outer one clockwise, holes anticlockwise.
        parts.clear();
        xy.clear();
        for (const std::vector<double>& ring : OrientedRings(feature, transform, true))
        {
            parts.push_back(static_cast<int32_t>(xy.size() / 2));
            xy.insert(xy.end(), ring.begin(), ring.end());
        }
        n = xy.size() / 2;
    }
    else if (nKind == GeometryKind::Polygon && TwiceSignedArea(xy) > 0.0)
        for (size_t v = 0; v < n / 2; ++v)
        {
            std::swap(xy[2 * v], xy[2 * (n - 1 - v)]);
            std::swap(xy[2 * v + 1], xy[2 * (n - 1 - v) + 1]);
        }
    const bool z = ShapefileTypeHasZ(nType), m = z || ShapefileTypeHasM(nType);
    std::string out;
    PutInt(out, nType);
    if (nKind == GeometryKind::Point)
    {
        PutDouble(out, xy[0]);
        PutDouble(out, xy[1]);
        box[0].Fold(xy[0]);
        box[1].Fold(xy[1]);
        if (z)
            PutDouble(out, 0.0);
        if (m)
            PutDouble(out, 0.0);
        return out;
    }
    CRange x, y;
    for (size_t v = 0; v < n; ++v)
    {
        x.Fold(xy[2 * v]);
        y.Fold(xy[2 * v + 1]);
    }
    box[0].Fold(x.Low());
    box[0].Fold(x.High());
    box[1].Fold(y.Low());
    box[1].Fold(y.High());
    PutDouble(out, x.Low());
    PutDouble(out, y.Low());
    PutDouble(out, x.High());
    PutDouble(out, y.High());
    if (nKind != GeometryKind::MultiPoint)
        PutInt(out, static_cast<int32_t>(parts.size()));
    PutInt(out, static_cast<int32_t>(n));
    if (nKind != GeometryKind::MultiPoint)
        for (int32_t start : parts)
            PutInt(out, start);
    for (double d : xy)
        PutDouble(out, d);
    for (int pass = 0; pass < (z ? 2 : 0) + (m && !z ? 1 : 0); ++pass)
    {
        PutDouble(out, 0.0);   // the range, then every vertex's value
        PutDouble(out, 0.0);
        for (size_t v = 0; v < n; ++v)
            PutDouble(out, 0.0);
    }
    return out;
}

// Folds a record read from the file into the header's boxes.
void FoldFeature(const CLayerFeature& feature, CRange box[4])
{
    for (const std::vector<CMapPoint>& part : feature.parts)
        for (const CMapPoint& p : part)
        {
            box[0].Fold(p.x);
            box[1].Fold(p.y);
            box[2].Fold(p.z);
            box[3].Fold(p.m);
        }
}

const FieldValue kNone;

// Whether a cell of the table holds the value (as ValueOfCell reads it),
// without making the text of an integer read.
bool SameCellValue(const CAttributeTable& table, int nRecord, int nField, FieldType nType, const FieldValue& value)
{
    if (nType != FieldType::Integer)
        return value == ValueOfCell(table, nRecord, nField, nType);
    int64_t n = 0;
    if (!table.Integer(nRecord, nField, &n))
        return !value;
    char text[24];
    const char* end = std::to_chars(text, text + sizeof text, n).ptr;
    return value && std::string_view(text, static_cast<size_t>(end - text)) == *value;
}

// The number in a numeric cell, right-aligned; blank when it does not fit.
void PutNumberCell(char* p, int nWidth, long long nValue)
{
    const std::string text = std::to_string(nValue);
    if (static_cast<int>(text.size()) <= nWidth)
        std::memcpy(p + nWidth - text.size(), text.data(), text.size());
}

// Cut after nWidth bytes, never inside a UTF-8 character.
void PutTextCell(char* p, int nWidth, const std::string& text, bool bUtf8)
{
    size_t cb = text.size() < size_t(nWidth) ? text.size() : size_t(nWidth);
    if (bUtf8 && cb < text.size())
        while (cb > 0 && (static_cast<unsigned char>(text[cb]) & 0xC0) == 0x80)
            --cb;
    std::memset(p, ' ', nWidth);
    std::memcpy(p, text.data(), cb);
}
}   // namespace

int COpenedLayer::KeptCount() const
{
    int n = 0;
    for (const CSourceRecord& record : m_records)
        n += record.bKept ? 1 : 0;
    return n;
}

bool COpenedLayer::SameGeometry(const CShape& feature) const
{
    if (feature.m_nSource < 0 || feature.m_nSource >= static_cast<int>(m_records.size()))
        return false;
    const CSourceRecord& record = m_records[feature.m_nSource];
    return record.bKept || record.vertices == feature.Vertices();
}

bool COpenedLayer::SameName(const CShape& feature) const
{
    if (feature.m_nSource < 0 || feature.m_nSource >= static_cast<int>(m_records.size()))
        return false;
    return m_records[feature.m_nSource].strName == feature.m_strName;
}

int COpenedLayer::SourceFieldCount() const
{
    return static_cast<int>(IsGeoPackage() ? m_vector.fields.size() : m_layer.m_table.m_fields.size());
}

CLayerField COpenedLayer::SourceField(int nField) const
{
    return IsGeoPackage() ? m_vector.fields[static_cast<size_t>(nField)]
                          : FieldOfDbf(m_layer.m_table.m_fields[static_cast<size_t>(nField)]);
}

int COpenedLayer::FindSourceField(const std::string& strName) const
{
    if (!IsGeoPackage())
        return m_layer.m_table.FindField(strName);
    for (size_t f = 0; f < m_vector.fields.size(); ++f)
        if (SameFileName(m_vector.fields[f].strName, strName))
            return static_cast<int>(f);
    return -1;
}

FieldValue COpenedLayer::SourceValue(int nRecord, int nField, FieldType nType) const
{
    if (!IsGeoPackage())
        return nRecord >= 0 && nRecord < m_layer.m_table.GetRecordCount()
                   ? ValueOfCell(m_layer.m_table, nRecord, nField, nType)
                   : FieldValue();
    if (nRecord < 0 || static_cast<size_t>(nRecord) >= m_vector.features.size())
        return FieldValue();
    const std::vector<FieldValue>& values = m_vector.features[static_cast<size_t>(nRecord)].values;
    return nField >= 0 && static_cast<size_t>(nField) < values.size() ? values[static_cast<size_t>(nField)]
                                                                      : FieldValue();
}

const std::vector<std::vector<CMapPoint>>& COpenedLayer::SourceParts(int nRecord) const
{
    return IsGeoPackage() ? m_vector.features[static_cast<size_t>(nRecord)].parts
                          : m_layer.m_features[static_cast<size_t>(nRecord)].parts;
}

ShapeType DocumentShapeType(GeometryKind nKind)
{
    switch (nKind)
    {
    case GeometryKind::Point:
    case GeometryKind::MultiPoint: return SHAPE_POINT;
    case GeometryKind::Polygon: return SHAPE_POLYGON;
    default: return SHAPE_POLYLINE;
    }
}

void FindNameAndId(const CAttributeTable& table, COpenedLayer* pOpened)
{
    pOpened->m_nNameField = table.FindField("NAME");
    if (pOpened->m_nNameField >= 0 && table.m_fields[pOpened->m_nNameField].nType != DbfFieldType::Character)
        pOpened->m_nNameField = -1;
    pOpened->m_nIdField = table.FindField("ID");
    if (pOpened->m_nIdField >= 0 && table.m_fields[pOpened->m_nIdField].nType != DbfFieldType::Numeric)
        pOpened->m_nIdField = -1;
}

bool MakeOpenedLayer(const std::string& strPath, CShapefileLayer layer, const CPixelToMapTransform& transform,
                     COpenedLayer* pOpened, CShapeArray* pFeatures, unsigned nNameCodePage)
{
    COpenedLayer opened;
    CShapeArray features;
    const CAttributeTable& table = layer.m_table;
    FindNameAndId(table, &opened);
    const GeometryKind nKind = layer.Kind();
    opened.m_records.reserve(layer.m_features.size());
    features.Reserve(static_cast<int>(layer.m_features.size()));
    for (size_t i = 0; i < layer.m_features.size(); ++i)
    {
        const CLayerFeature& source = layer.m_features[i];
        CShape feature;
        feature.m_nSource = static_cast<int>(i);
        if (opened.m_nNameField >= 0)
            feature.m_strName = ConvertCodePage(TrimmedCell(table.Cell(static_cast<int>(i), opened.m_nNameField)),
                                                table.m_nCodePage, nNameCodePage);
        std::vector<CShapeVertex> vertices;
        vertices.reserve(source.parts.empty() ? 0 : source.parts[0].size());
        for (size_t k = 0; !source.parts.empty() && k < source.parts[0].size(); ++k)
        {
            double column, row;
            if (!transform.MapToPixel(source.parts[0][k].x, source.parts[0][k].y, &column, &row) ||
                std::fabs(column) > kLargestPixel || std::fabs(row) > kLargestPixel)
                return false;
            vertices.push_back(CShapeVertex{static_cast<int>(std::lround(column)), static_cast<int>(std::lround(row))});
        }
        CSourceRecord record;
        record.vertices = vertices;
        feature.SetVertices(std::move(vertices));
        record.strName = feature.m_strName;
        record.bKept = source.bNull || source.parts.size() != 1 || nKind == GeometryKind::MultiPoint;
        opened.m_records.push_back(std::move(record));
        features.Add(std::move(feature));
    }
    opened.m_strPath = strPath;
    opened.m_nNameCodePage = nNameCodePage;
    opened.m_layer = std::move(layer);
    if (pFeatures)
    {
        GiveOpenedValues(opened, &features);
        *pFeatures = std::move(features);
    }
    *pOpened = std::move(opened);
    return true;
}

bool PrjDiffersFromImage(const std::string& strPrj, const std::string& strImageWkt)
{
    if (strPrj.empty())
        return false;
    return strImageWkt.empty() || WktName(strPrj) != WktName(strImageWkt);
}

namespace
{
const int kNameColumn = -2;

// A column of the table written: the opened table's field nSource (-1 for
// one it lacks) holding document field nField, or the name (kNameColumn).
struct CColumn
{
    int nSource;
    int nField;
};

// The opened table's fields still there in their order, the name at its
// place, then the fields added here; then NAME, when the table lacks one
// and a feature has a name, so that no name typed is lost.
std::vector<CColumn> TableColumns(const COpenedLayer& opened, const CShapeArray& features, bool* pSameLayout)
{
    const CAttributeTable& table = opened.m_layer.m_table;
    const std::vector<CAttributeField>& fields = features.Fields();
    std::vector<CColumn> columns;
    bool same = true;
    std::vector<bool> placed(fields.size());
    for (int f = 0; f < static_cast<int>(table.m_fields.size()); ++f)
    {
        if (f == opened.m_nNameField)
        {
            columns.push_back({f, kNameColumn});
            continue;
        }
        int k = 0;
        while (k < static_cast<int>(fields.size()) && fields[k].nSourceField != f)
            ++k;
        if (k == static_cast<int>(fields.size()))
        {
            same = false;   // removed
            continue;
        }
        placed[k] = true;
        same = same && fields[k].def.strName == table.m_fields[f].strName;
        columns.push_back({f, k});
    }
    for (int k = 0; k < static_cast<int>(fields.size()); ++k)
        if (!placed[k])
        {
            columns.push_back({-1, k});
            same = false;
        }
    bool addName = false;
    for (int i = 0; table.FindField("NAME") < 0 && i < features.GetSize() && !addName; ++i)
        addName = !features.GetAt(i).m_strName.empty();
    if (addName)
    {
        columns.push_back({-1, kNameColumn});
        same = false;
    }
    *pSameLayout = same;
    return columns;
}

// The descriptor and the field of a column as written.
void ColumnField(const COpenedLayer& opened, const CShapeArray& features, const CColumn& column,
                 std::string* pDescriptor, CLayerField* pField)
{
    const CAttributeTable& table = opened.m_layer.m_table;
    if (column.nSource >= 0)
    {
        *pField = FieldOfDbf(table.m_fields[column.nSource]);
        // The original bytes, renamed where the document renamed the field.
        *pDescriptor = std::string(table.HeaderBytes().substr(32 + 32 * size_t(column.nSource), 32));
        if (column.nField >= 0)
        {
            const std::string& name = features.Fields()[column.nField].def.strName;
            std::fill(pDescriptor->begin(), pDescriptor->begin() + 11, '\0');
            pDescriptor->replace(0, name.size() < 10 ? name.size() : 10, name.substr(0, 10));
        }
        return;
    }
    *pField = column.nField >= 0 ? features.Fields()[column.nField].def
                                 : CLayerField{"NAME", FieldType::Text, kAddedNameWidth, 0};
    *pDescriptor = DbfDescriptor(*pField);
}
}   // namespace

bool BuildOpenedTable(const COpenedLayer& opened, const CShapeArray& features, std::string* pDbf)
{
    const CAttributeTable& table = opened.m_layer.m_table;
    const int nFeatures = features.GetSize();
    bool sameLayout = true;
    const std::vector<CColumn> columns = TableColumns(opened, features, &sameLayout);
    std::vector<CLayerField> written(columns.size());
    std::string dbf(table.HeaderBytes());
    if (dbf.size() < 32 + 32 * table.m_fields.size() + 1)
        return false;
    if (!sameLayout)
    {
        // Version, date and language as they were; the descriptors anew.
        std::string header = dbf.substr(0, 32);
        size_t cbRecord = 1;
        for (size_t c = 0; c < columns.size(); ++c)
        {
            std::string descriptor;
            ColumnField(opened, features, columns[c], &descriptor, &written[c]);
            // Readers that take a field's place from its descriptor find it.
            if (descriptor[12] || descriptor[13] || descriptor[14] || descriptor[15])
                PutLittle32(reinterpret_cast<unsigned char*>(&descriptor[12]), static_cast<int32_t>(cbRecord));
            cbRecord += static_cast<unsigned char>(descriptor[16]);
            header += descriptor;
        }
        header.push_back('\x0D');
        if (header.size() > 0xFFFF || cbRecord > 0xFFFF)
            return false;
        unsigned char* p = reinterpret_cast<unsigned char*>(&header[0]);
        PutLittle16(p + 8, static_cast<uint16_t>(header.size()));
        PutLittle16(p + 10, static_cast<uint16_t>(cbRecord));
        dbf = std::move(header);
    }
    else
        for (size_t c = 0; c < columns.size(); ++c)
            written[c] = FieldOfDbf(table.m_fields[columns[c].nSource]);
    PutLittle32(reinterpret_cast<unsigned char*>(&dbf[4]), nFeatures);
    const size_t cbRecordBefore = GetLittle16(reinterpret_cast<const unsigned char*>(table.HeaderBytes().data()) + 10);

    const bool utf8 = table.m_nCodePage == kCodePageUtf8;
    const size_t cbRecordAfter = GetLittle16(reinterpret_cast<const unsigned char*>(dbf.data()) + 10);
    dbf.reserve(dbf.size() + size_t(nFeatures) * cbRecordAfter + table.TrailingBytes().size());
    for (int i = 0; i < nFeatures; ++i)
    {
        const CShape& feature = features.GetAt(i);
        const bool fromFile = feature.m_nSource >= 0 && feature.m_nSource < table.GetRecordCount();
        const std::string_view before = fromFile ? table.RecordBytes(feature.m_nSource) : std::string_view();
        // With the fields as they were, a record is the file's (or a blank
        // one) with its changed cells put in place: any bytes a writer left
        // after the last field stay. It is built where it ends up, at the
        // end of the table.
        const size_t at = dbf.size();
        if (sameLayout)
        {
            if (fromFile)
                dbf.append(before);
            else
                dbf.append(cbRecordBefore, ' ');
        }
        else
            dbf.push_back(fromFile ? before[0] : ' ');
        for (size_t c = 0; c < columns.size(); ++c)
        {
            const CColumn& column = columns[c];
            const CLayerField& field = written[c];
            const bool cellFromFile = fromFile && column.nSource >= 0;
            const std::string_view cellBefore =
                cellFromFile ? table.Cell(feature.m_nSource, column.nSource) : std::string_view();
            std::string cell;
            bool unchanged = false;
            if (column.nField == kNameColumn)
            {
                if (cellFromFile && opened.SameName(feature))
                    unchanged = true;
                else
                {
                    cell.assign(static_cast<size_t>(field.nWidth), ' ');
                    PutTextCell(&cell[0], field.nWidth,
                                ConvertCodePage(feature.m_strName, opened.m_nNameCodePage, table.m_nCodePage), utf8);
                }
            }
            else
            {
                const FieldValue& value =
                    column.nField >= 0 && column.nField < static_cast<int>(feature.m_values.size())
                        ? feature.m_values[static_cast<size_t>(column.nField)]
                        : kNone;
                if (cellFromFile && SameCellValue(table, feature.m_nSource, column.nSource, field.nType, value))
                    unchanged = true;   // untouched: to the bit
                else if (!fromFile && !value && column.nSource >= 0 && column.nSource == opened.m_nIdField)
                {
                    cell.assign(static_cast<size_t>(field.nWidth), ' ');
                    PutNumberCell(&cell[0], field.nWidth, i + 1);
                }
                else
                    cell = DbfCell(field, value, table.m_nCodePage);
            }
            if (unchanged)
            {
                if (!sameLayout)
                    dbf.append(cellBefore);   // in place already when the layout is the same
            }
            else if (sameLayout)
                dbf.replace(at + static_cast<size_t>(table.m_fields[column.nSource].nOffset), cell.size(), cell);
            else
                dbf += cell;
        }
    }
    dbf += table.TrailingBytes();
    *pDbf = std::move(dbf);
    return true;
}

void GiveOpenedValues(const COpenedLayer& opened, CShapeArray* pFeatures)
{
    std::vector<CAttributeField> fields = OpenedFields(opened);
    for (int i = 0; i < pFeatures->GetSize(); ++i)
        pFeatures->SetValuesOf(i, OpenedValues(opened, i, fields));
    pFeatures->SetFields(std::move(fields));
}

std::vector<CAttributeField> OpenedFields(const COpenedLayer& opened)
{
    std::vector<CAttributeField> fields;
    for (int f = 0; f < opened.SourceFieldCount(); ++f)
        if (f != opened.m_nNameField)
        {
            CAttributeField field;
            field.def = opened.SourceField(f);
            field.nSourceField = f;
            fields.push_back(std::move(field));
        }
    return fields;
}

void RebindFields(const COpenedLayer& opened, std::vector<CAttributeField>* pFields)
{
    for (CAttributeField& field : *pFields)
    {
        const int f = opened.FindSourceField(field.def.strName);
        field.nSourceField = f == opened.m_nNameField ? -1 : f;
    }
}

std::vector<FieldValue> OpenedValues(const COpenedLayer& opened, int nRecord,
                                     const std::vector<CAttributeField>& fields)
{
    std::vector<FieldValue> values;
    values.reserve(fields.size());
    for (const CAttributeField& field : fields)
        values.push_back(field.nSourceField >= 0 ? opened.SourceValue(nRecord, field.nSourceField, field.def.nType)
                                                 : FieldValue());
    return values;
}

bool WriteOpenedLayer(const COpenedLayer& opened, const CShapeArray& features, ShapeType nShapeType,
                      const CPixelToMapTransform& transform, const std::string& strPath, CFileSystem& files)
{
    const CShapefileLayer& layer = opened.m_layer;
    const ShapefileType nType =
        layer.m_nType != SHAPEFILE_NULL ? layer.m_nType : static_cast<ShapefileType>(nShapeType);
    const int nFeatures = features.GetSize();

    // The .shp and the .shx built in place behind their headers, filled in
    // at the end: records kept from the file are the most, and each is
    // copied once.
    size_t cbKept = 0;
    for (int i = 0; i < nFeatures; ++i)
    {
        const CShape& feature = features.GetAt(i);
        if (feature.m_nSource >= 0 && feature.m_nSource < static_cast<int>(layer.m_features.size()))
            cbKept += layer.m_features[feature.m_nSource].cbLength;
    }
    std::string shp(kShapeHeaderBytes, '\0'), shx(kShapeHeaderBytes, '\0');
    shp.reserve(kShapeHeaderBytes + 8 * size_t(nFeatures) + cbKept);
    shx.reserve(kShapeHeaderBytes + 8 * size_t(nFeatures));
    CRange box[4];
    int64_t offsetWords = kShapeHeaderBytes / 2;
    for (int i = 0; i < nFeatures; ++i)
    {
        const CShape& feature = features.GetAt(i);
        std::string built;
        std::string_view content;
        if (opened.SameGeometry(feature))
        {
            content = layer.RawRecord(feature.m_nSource);
            FoldFeature(layer.m_features[feature.m_nSource], box);
        }
        else
        {
            if (feature.GetSize() == 0)
                return false;
            built = BuildContent(feature, nType, transform, box);
            content = built;
            box[2].Fold(0.0);
            box[3].Fold(0.0);
        }
        unsigned char head[8];
        PutBig32(head, i + 1);
        PutBig32(head + 4, static_cast<int32_t>(content.size() / 2));
        shp.append(reinterpret_cast<const char*>(head), 8);
        shp.append(content);
        PutBig32(head, static_cast<int32_t>(offsetWords));
        shx.append(reinterpret_cast<const char*>(head), 8);
        offsetWords += 4 + static_cast<int64_t>(content.size() / 2);
        if (offsetWords > INT32_MAX)
            return false;
    }
    unsigned char header[kShapeHeaderBytes] = {};
    PutBig32(header, 9994);
    PutLittle32(header + 28, 1000);
    PutLittle32(header + 32, nType);
    const double bounds[8] = {box[0].Low(), box[1].Low(),  box[0].High(), box[1].High(),
                              box[2].Low(), box[2].High(), box[3].Low(),  box[3].High()};
    for (int k = 0; k < 8; ++k)
        PutLittleDouble(header + 36 + 8 * k,
                        ShapefileTypeHasZ(nType) || ShapefileTypeHasM(nType) || k < 4 ? bounds[k] : 0.0);
    shp.replace(0, kShapeHeaderBytes, reinterpret_cast<const char*>(header), kShapeHeaderBytes);
    PutBig32(reinterpret_cast<unsigned char*>(&shp[24]), static_cast<int32_t>(offsetWords));
    shx.replace(0, kShapeHeaderBytes, reinterpret_cast<const char*>(header), kShapeHeaderBytes);
    PutBig32(reinterpret_cast<unsigned char*>(&shx[24]), static_cast<int32_t>(shx.size() / 2));

    std::string dbf;
    if (!BuildOpenedTable(opened, features, &dbf))
        return false;

    // One after the other, as the new-file writer does; the caller stages them.
    if (!WriteFileBytes(files, strPath, shp) || !WriteFileBytes(files, SideFileName(strPath.c_str(), ".shx"), shx) ||
        !WriteFileBytes(files, SideFileName(strPath.c_str(), ".dbf"), dbf))
        return false;
    if (!layer.m_strCpg.empty() && !WriteFileBytes(files, SideFileName(strPath.c_str(), ".cpg"), layer.m_strCpg))
        return false;
    if (!layer.m_strPrj.empty() && !WriteFileBytes(files, SideFileName(strPath.c_str(), ".prj"), layer.m_strPrj))
        return false;
    return true;
}
