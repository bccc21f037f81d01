#include "core/gpkg/FeatureGeoPackage.h"

#include <cmath>
#include <cstdio>

#include "core/gpkg/GeoPackageUpdate.h"
#include "core/io/Path.h"
#include "core/shape/CodePage.h"
#include "core/shape/OpenedLayer.h"
#include "core/shape/PolygonRings.h"

namespace
{
GeometryKind KindOfShapeType(ShapeType nShapeType)
{
    switch (nShapeType)
    {
    case SHAPE_POINT: return GeometryKind::Point;
    case SHAPE_POLYGON: return GeometryKind::Polygon;
    default: return GeometryKind::PolyLine;
    }
}

int FindField(const CVectorLayer& layer, const char* pszName, FieldType nType)
{
    for (size_t f = 0; f < layer.fields.size(); ++f)
        if (SameFileName(layer.fields[f].strName, pszName) && layer.fields[f].nType == nType)
            return static_cast<int>(f);
    return -1;
}

// A name in the document's code page (0: the table's own, UTF-8) as UTF-8.
std::optional<std::string> NameValue(const std::string& strName, unsigned nCodePage)
{
    if (strName.empty())
        return std::nullopt;
    return nCodePage ? DecodeToUtf8(strName.data(), strName.size(), nCodePage) : strName;
}

// The map coordinates of a feature's pixels; z and m from the record's
// vertices where it has as many, as a move or a vertex drag keeps them.
std::vector<CMapPoint> MapPart(const CShape& shape, const CPixelToMapTransform& transform,
                               const std::vector<CMapPoint>* pBefore)
{
    std::vector<CMapPoint> part;
    const std::vector<CShapeVertex>& vertices = shape.Vertices();
    for (size_t k = 0; k < vertices.size(); ++k)
    {
        CMapPoint p;
        transform.Map(vertices[k].x, vertices[k].y, &p.x, &p.y);
        if (pBefore && pBefore->size() == vertices.size())
        {
            p.z = (*pBefore)[k].z;
            p.m = (*pBefore)[k].m;
        }
        part.push_back(p);
    }
    return part;
}

// A feature's parts in map coordinates: a polygon with holes as its rings
// in the Shapefile's sense, by which the writer tells the exterior from its
// holes and turns each the way it wants; any other feature as one part.
std::vector<std::vector<CMapPoint>> MapParts(const CShape& shape, ShapeType nShapeType,
                                             const CPixelToMapTransform& transform,
                                             const std::vector<CMapPoint>* pBefore)
{
    std::vector<std::vector<CMapPoint>> parts;
    if (nShapeType == SHAPE_POLYGON && shape.RingCount() > 1)
    {
        for (const std::vector<double>& ring : OrientedRings(shape, transform, true))
        {
            std::vector<CMapPoint> part(ring.size() / 2);
            for (size_t k = 0; k < part.size(); ++k)
            {
                part[k].x = ring[2 * k];
                part[k].y = ring[2 * k + 1];
            }
            parts.push_back(std::move(part));
        }
        return parts;
    }
    std::vector<CMapPoint> part = MapPart(shape, transform, pBefore);
    if (!part.empty())
        parts.push_back(std::move(part));
    return parts;
}

int SourceRecord(const COpenedLayer& source, const CShape& shape)
{
    return shape.m_nSource >= 0 && shape.m_nSource < static_cast<int>(source.m_records.size()) ? shape.m_nSource : -1;
}

}   // namespace

bool IsGeoPackagePath(const std::string& strPath)
{
    if (strPath.size() < 5)
        return false;
    std::string extension = strPath.substr(strPath.size() - 5);
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return extension == ".gpkg";
}

bool MakeFeatureLayer(const CShapeFile& shapeFile, ShapeType nShapeType, const std::string& strLayerName,
                      unsigned nNameCodePage, CVectorLayer* pLayer)
{
    if (shapeFile.m_shapes.GetSize() > 0 && !shapeFile.m_geoRef.m_bValid)
        return false;
    const CPixelToMapTransform transform = shapeFile.m_geoRef.GetTransform();
    const COpenedLayer* pSource = shapeFile.m_pSource.get();

    CVectorLayer layer;
    layer.strName = strLayerName;
    layer.nKind = pSource && pSource->IsGeoPackage() && pSource->m_vector.nKind != GeometryKind::None
                      ? pSource->m_vector.nKind
                      : KindOfShapeType(nShapeType);
    // Where each document field goes (-1: the name), and which one is the ID.
    const std::vector<CAttributeField>& fields = shapeFile.m_shapes.Fields();
    std::vector<int> columns;
    int nIdField = -1, nNameField = -1;
    std::vector<bool> placed(fields.size());
    if (pSource)
    {
        // The file's fields in its order, those removed here left out.
        for (int f = 0; f < pSource->SourceFieldCount(); ++f)
        {
            if (f == pSource->m_nNameField)
            {
                nNameField = static_cast<int>(columns.size());
                columns.push_back(-1);
                layer.fields.push_back(pSource->SourceField(f));
                continue;
            }
            for (size_t k = 0; k < fields.size(); ++k)
                if (fields[k].nSourceField == f)
                {
                    if (f == pSource->m_nIdField)
                        nIdField = static_cast<int>(columns.size());
                    columns.push_back(static_cast<int>(k));
                    layer.fields.push_back(fields[k].def);
                    placed[k] = true;
                }
        }
        layer.bHasZ = pSource->IsGeoPackage() ? pSource->m_vector.bHasZ : ShapefileTypeHasZ(pSource->m_layer.m_nType);
    }
    else
    {
        nIdField = 0;
        nNameField = 1;
        columns = {-2, -1};
        layer.fields = {{"ID", FieldType::Integer, 8, 0}, {"NAME", FieldType::Text, 32, 0}};
    }
    for (size_t k = 0; k < fields.size(); ++k)
        if (!placed[k])
        {
            columns.push_back(static_cast<int>(k));
            layer.fields.push_back(fields[k].def);
        }
    if (nNameField < 0)
    {
        nNameField = static_cast<int>(columns.size());
        columns.push_back(-1);
        layer.fields.push_back({"NAME", FieldType::Text, 32, 0});
    }

    // Names are in the document's code page: the system's, or the opened
    // table's own (a GeoPackage's is UTF-8).
    const unsigned nCodePage = nNameCodePage                        ? nNameCodePage
                               : pSource && pSource->IsGeoPackage() ? pSource->m_nNameCodePage
                               : pSource                            ? pSource->m_layer.m_table.m_nCodePage
                                                                    : 0;
    for (int i = 0; i < shapeFile.m_shapes.GetSize(); ++i)
    {
        const CShape& shape = shapeFile.m_shapes.GetAt(i);
        CVectorFeature feature;
        feature.values.resize(layer.fields.size());
        const int nRecord = pSource ? SourceRecord(*pSource, shape) : -1;
        if (nRecord >= 0 && (pSource->m_records[nRecord].bKept || pSource->SameGeometry(shape)))
            feature.parts = pSource->SourceParts(nRecord);   // the file's own coordinates, every part
        else
            feature.parts = MapParts(
                shape, nShapeType, transform,
                nRecord >= 0 && !pSource->SourceParts(nRecord).empty() ? &pSource->SourceParts(nRecord)[0] : nullptr);
        for (size_t c = 0; c < columns.size(); ++c)
            if (columns[c] >= 0)
                feature.values[c] = shape.Value(columns[c]);
        // A feature digitised here is saved with its number, unless one was typed.
        if (nIdField >= 0 && nRecord < 0 && !feature.values[static_cast<size_t>(nIdField)])
            feature.values[static_cast<size_t>(nIdField)] = std::to_string(i + 1);
        feature.values[static_cast<size_t>(nNameField)] = NameValue(shape.m_strName, nCodePage);
        layer.features.push_back(std::move(feature));
    }
    *pLayer = std::move(layer);
    return true;
}

GeoPackageWriteStatus WriteFeatureGeoPackage(const std::string& strPath, const CShapeFile& shapeFile,
                                             ShapeType nShapeType, const CCrsRef& crs, unsigned nNameCodePage,
                                             CFileSystem& files)
{
    // The layer is named after the file, as GDAL names a new one.
    const size_t slash = strPath.find_last_of("/\\");
    std::string name = strPath.substr(slash == std::string::npos ? 0 : slash + 1);
    name = name.substr(0, name.size() - (IsGeoPackagePath(name) ? 5 : 0));
    // Features opened from this very file go back into it, row by row.
    if (shapeFile.m_pSource && shapeFile.m_pSource->IsGeoPackage() &&
        SameFileName(shapeFile.m_pSource->m_strPath, strPath))
        return WriteOpenedGeoPackage(shapeFile, nShapeType, files);
    CVectorLayer layer;
    if (!MakeFeatureLayer(shapeFile, nShapeType, name.empty() ? "features" : name, nNameCodePage, &layer))
        return {GeoPackageWriteError::BadValue, "no fit"};
    return WriteGeoPackage(strPath, layer, crs, files);
}

void FindGeoPackageNameAndId(const CVectorLayer& layer, COpenedLayer* pOpened)
{
    pOpened->m_nNameField = FindField(layer, "NAME", FieldType::Text);
    pOpened->m_nIdField = FindField(layer, "ID", FieldType::Integer);
}

bool MakeOpenedGeoPackageLayer(const std::string& strPath, CVectorLayer layer, const CPixelToMapTransform& transform,
                               COpenedLayer* pOpened, CShapeArray* pFeatures, unsigned nNameCodePage)
{
    // Pixels beyond this are no place on any scan: a wrong fit or wrong file.
    const double kLargestPixel = 1e9;
    COpenedLayer opened;
    CShapeArray features;
    FindGeoPackageNameAndId(layer, &opened);
    for (size_t i = 0; i < layer.features.size(); ++i)
    {
        const CVectorFeature& source = layer.features[i];
        CShape feature;
        feature.m_nSource = static_cast<int>(i);
        if (opened.m_nNameField >= 0 && source.values[static_cast<size_t>(opened.m_nNameField)])
            feature.m_strName =
                ConvertCodePage(*source.values[static_cast<size_t>(opened.m_nNameField)], kCodePageUtf8, nNameCodePage);
        for (size_t k = 0; !source.parts.empty() && k < source.parts[0].size(); ++k)
        {
            double column, row;
            if (!transform.MapToPixel(source.parts[0][k].x, source.parts[0][k].y, &column, &row) ||
                std::fabs(column) > kLargestPixel || std::fabs(row) > kLargestPixel)
                return false;
            feature.Add(static_cast<int>(std::lround(column)), static_cast<int>(std::lround(row)));
        }
        CSourceRecord record;
        record.vertices = feature.Vertices();
        record.strName = feature.m_strName;
        record.bKept = source.parts.size() != 1 || source.parts[0].empty() || layer.nKind == GeometryKind::MultiPoint ||
                       layer.nKind == GeometryKind::None;
        opened.m_records.push_back(std::move(record));
        features.Add(std::move(feature));
    }
    opened.m_strPath = strPath;
    opened.m_strTable = layer.strName;
    opened.m_nNameCodePage = nNameCodePage;
    opened.m_vector = std::move(layer);
    if (pFeatures)
    {
        GiveOpenedValues(opened, &features);
        *pFeatures = std::move(features);
    }
    *pOpened = std::move(opened);
    return true;
}

bool GeoPackageSrsDiffers(const CGeoPackageLayerInfo& info, const CCrsRef& imageCrs)
{
    // The undefined systems (and those of other registries) say nothing to compare.
    if (!SameFileName(info.strOrganization, "EPSG") || info.nOrganizationCode <= 0)
        return false;
    return imageCrs.IsNone() || imageCrs.nEpsg != info.nOrganizationCode;
}

GeoPackageWriteStatus WriteOpenedGeoPackage(const CShapeFile& shapeFile, ShapeType nShapeType, CFileSystem& files)
{
    const COpenedLayer* pSource = shapeFile.m_pSource.get();
    if (!pSource || !pSource->IsGeoPackage())
        return {GeoPackageWriteError::BadValue, "not opened from a GeoPackage"};
    if (shapeFile.m_shapes.GetSize() > 0 && !shapeFile.m_geoRef.m_bValid)
        return {GeoPackageWriteError::BadValue, "no fit"};
    const CVectorLayer& read = pSource->m_vector;
    const CPixelToMapTransform transform = shapeFile.m_geoRef.GetTransform();
    CGeoPackageLayerEdits edits;
    edits.strTable = pSource->m_strTable;
    edits.nKind = read.nKind != GeometryKind::None ? read.nKind : KindOfShapeType(nShapeType);

    // The columns first: those removed, renamed and added here.
    const std::vector<CAttributeField>& fields = shapeFile.m_shapes.Fields();
    int nIdField = -1;
    for (int f = 0; f < static_cast<int>(read.fields.size()); ++f)
    {
        if (f == pSource->m_nNameField)
            continue;
        size_t k = 0;
        while (k < fields.size() && fields[k].nSourceField != f)
            ++k;
        if (k == fields.size())
            edits.removed.push_back(read.fields[static_cast<size_t>(f)].strName);
        else if (fields[k].def.strName != read.fields[static_cast<size_t>(f)].strName)
            edits.renamed.emplace_back(read.fields[static_cast<size_t>(f)].strName, fields[k].def.strName);
        if (k < fields.size() && f == pSource->m_nIdField)
            nIdField = static_cast<int>(k);
    }
    for (const CAttributeField& field : fields)
        if (field.nSourceField < 0)
            edits.added.push_back(field.def);

    std::vector<bool> kept(read.features.size());
    // A layer without NAME gets one (text) once a feature has a name, so
    // that no name typed is lost.
    const std::string nameColumn =
        pSource->m_nNameField >= 0 ? read.fields[static_cast<size_t>(pSource->m_nNameField)].strName : "NAME";
    for (int i = 0; i < shapeFile.m_shapes.GetSize(); ++i)
    {
        const CShape& shape = shapeFile.m_shapes.GetAt(i);
        const int nRecord = SourceRecord(*pSource, shape);
        CGeoPackageRowChange row;
        if (nRecord >= 0)
        {
            kept[static_cast<size_t>(nRecord)] = true;
            const CVectorFeature& before = read.features[static_cast<size_t>(nRecord)];
            row.nFid = before.nFid;
            row.bGeometry = !pSource->SameGeometry(shape);
            if (row.bGeometry)
                row.parts = MapParts(shape, nShapeType, transform, before.parts.empty() ? nullptr : &before.parts[0]);
            if (!pSource->SameName(shape))
                row.values.emplace_back(nameColumn, NameValue(shape.m_strName, pSource->m_nNameCodePage));
            for (size_t k = 0; k < fields.size(); ++k)
            {
                const FieldValue value = shape.Value(static_cast<int>(k));
                const int f = fields[k].nSourceField;
                const FieldValue was = f >= 0 && static_cast<size_t>(f) < before.values.size()
                                           ? before.values[static_cast<size_t>(f)]
                                           : FieldValue();
                if (value != was)
                    row.values.emplace_back(fields[k].def.strName, value);
            }
            if (!row.bGeometry && row.values.empty())
                continue;
        }
        else
        {
            row.parts = MapParts(shape, nShapeType, transform, nullptr);
            for (size_t k = 0; k < fields.size(); ++k)
            {
                FieldValue value = shape.Value(static_cast<int>(k));
                // A feature digitised here is saved with its number, unless one was typed.
                if (static_cast<int>(k) == nIdField && !value)
                    value = std::to_string(i + 1);
                if (value)
                    row.values.emplace_back(fields[k].def.strName, value);
            }
            if (pSource->m_nNameField >= 0 || !shape.m_strName.empty())
                row.values.emplace_back(nameColumn, NameValue(shape.m_strName, pSource->m_nNameCodePage));
        }
        edits.rows.push_back(std::move(row));
    }
    for (size_t r = 0; r < kept.size(); ++r)
        if (!kept[r])
            edits.deleted.push_back(read.features[r].nFid);
    return UpdateGeoPackageLayer(pSource->m_strPath, edits, files);
}
