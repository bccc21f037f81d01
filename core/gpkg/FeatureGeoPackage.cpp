#include "core/gpkg/FeatureGeoPackage.h"

#include <cstdio>

#include "core/shape/CodePage.h"
#include "core/shape/OpenedLayer.h"

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
    const CAttributeTable* pTable = pSource ? &pSource->m_layer.m_table : nullptr;

    CVectorLayer layer;
    layer.strName = strLayerName;
    layer.nKind = KindOfShapeType(nShapeType);
    // Where each document field goes (-1: the name), and which one is the ID.
    const std::vector<CAttributeField>& fields = shapeFile.m_shapes.Fields();
    std::vector<int> columns;
    int nIdField = -1, nNameField = -1;
    std::vector<bool> placed(fields.size());
    if (pTable)
    {
        // The table's fields in its order, those removed here left out.
        for (int f = 0; f < static_cast<int>(pTable->m_fields.size()); ++f)
        {
            if (f == pSource->m_nNameField)
            {
                nNameField = static_cast<int>(columns.size());
                columns.push_back(-1);
                layer.fields.push_back(FieldOfDbf(pTable->m_fields[f]));
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
        layer.bHasZ = ShapefileTypeHasZ(pSource->m_layer.m_nType);
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

    for (int i = 0; i < shapeFile.m_shapes.GetSize(); ++i)
    {
        const CShape& shape = shapeFile.m_shapes.GetAt(i);
        CVectorFeature feature;
        feature.values.resize(layer.fields.size());
        const int nRecord =
            pSource && shape.m_nSource >= 0 && shape.m_nSource < static_cast<int>(pSource->m_records.size())
                ? shape.m_nSource
                : -1;
        if (nRecord >= 0 && (pSource->m_records[nRecord].bKept || pSource->SameGeometry(shape)))
        {
            // The file's own coordinates, every part, not their pixels.
            for (const std::vector<CMapPoint>& part : pSource->m_layer.m_features[nRecord].parts)
                feature.parts.push_back(part);
        }
        else
        {
            std::vector<CMapPoint> part;
            for (const CShapeVertex& v : shape.Vertices())
            {
                CMapPoint p;
                transform.Map(v.x, v.y, &p.x, &p.y);
                part.push_back(p);
            }
            if (!part.empty())
                feature.parts.push_back(std::move(part));
        }
        for (size_t c = 0; c < columns.size(); ++c)
            if (columns[c] >= 0)
                feature.values[c] = shape.Value(columns[c]);
        // A feature digitised here is saved with its number, unless one was typed.
        if (nIdField >= 0 && nRecord < 0 && !feature.values[static_cast<size_t>(nIdField)])
            feature.values[static_cast<size_t>(nIdField)] = std::to_string(i + 1);
        // Names are in the document's code page: the system's, or the
        // opened table's own.
        const unsigned nCodePage = nNameCodePage ? nNameCodePage : pTable ? pTable->m_nCodePage : 0;
        const std::string name =
            nCodePage ? DecodeToUtf8(shape.m_strName.data(), shape.m_strName.size(), nCodePage) : shape.m_strName;
        feature.values[static_cast<size_t>(nNameField)] =
            name.empty() ? std::optional<std::string>() : std::optional<std::string>(name);
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
    CVectorLayer layer;
    if (!MakeFeatureLayer(shapeFile, nShapeType, name.empty() ? "features" : name, nNameCodePage, &layer))
        return {GeoPackageWriteError::BadValue, "no fit"};
    return WriteGeoPackage(strPath, layer, crs, files);
}
