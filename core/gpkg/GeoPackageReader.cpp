#include "core/gpkg/GeoPackageReader.h"

#include <charconv>
#include <cstdio>
#include <new>

#include "core/gpkg/GeometryBlob.h"
#include "core/gpkg/Sqlite.h"

namespace
{
std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return text;
}

std::string ColumnText(sqlite3_stmt* statement, int nColumn)
{
    const unsigned char* text = sqlite3_column_text(statement, nColumn);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}

}   // namespace

bool FieldOfDeclaredType(const std::string& strName, const std::string& strDeclared, CLayerField* pField)
{
    const std::string type = Upper(strDeclared);
    pField->strName = strName;
    pField->nWidth = 0;
    pField->nDecimals = 0;
    if (type.compare(0, 4, "TEXT") == 0)
    {
        pField->nType = FieldType::Text;
        if (type.size() > 6 && type[4] == '(')
            std::from_chars(type.data() + 5, type.data() + type.size(), pField->nWidth);
    }
    else if (type == "INTEGER" || type == "INT" || type == "MEDIUMINT" || type == "SMALLINT" || type == "TINYINT" ||
             type == "BOOLEAN")
        pField->nType = FieldType::Integer;
    else if (type == "REAL" || type == "DOUBLE" || type == "FLOAT")
        pField->nType = FieldType::Real;
    else if (type == "DATE")
        pField->nType = FieldType::Date;
    else if (type == "DATETIME")
        pField->nType = FieldType::Text;   // kept as the text it is
    else
        return false;
    return true;
}

namespace
{
class CGeoPackage
{
public:
    GeoPackageReadStatus Open(const std::string& path, CFileSystem& files)
    {
        m_path = path;
        std::unique_ptr<CFile> file = files.OpenForReading(path);
        if (!file)
            return {GeoPackageReadError::CannotOpen, path};
        if (!ReadFileBytes(*file, &m_bytes))
            return {GeoPackageReadError::ReadFailed, path};
        if (m_bytes.size() < 100 || m_bytes.compare(0, 16, std::string("SQLite format 3\0", 16)) != 0)
            return {GeoPackageReadError::NotGeoPackage, path + ": not an SQLite database"};
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        {
            sqlite3_close(db);
            return {GeoPackageReadError::NoMemory, path};
        }
        m_db.reset(db);
        // Read-only over our own buffer, which outlives the connection.
        if (sqlite3_deserialize(m_db.get(), "main", reinterpret_cast<unsigned char*>(&m_bytes[0]),
                                static_cast<sqlite3_int64>(m_bytes.size()), static_cast<sqlite3_int64>(m_bytes.size()),
                                SQLITE_DESERIALIZE_READONLY) != SQLITE_OK)
            return Failure();
        return GeoPackageReadStatus();
    }

    GeoPackageReadStatus Failure() const
    {
        const int code = sqlite3_errcode(m_db.get()) & 0xFF;
        if (code == SQLITE_NOMEM)
            return {GeoPackageReadError::NoMemory, m_path};
        return {code == SQLITE_NOTADB ? GeoPackageReadError::NotGeoPackage : GeoPackageReadError::Damaged,
                m_path + ": " + sqlite3_errmsg(m_db.get())};
    }

    GeoPackageReadStatus Layers(std::vector<CGeoPackageLayerInfo>* pLayers)
    {
        UniqueStatement query = PrepareStatement(
            m_db.get(),
            "SELECT c.table_name, g.geometry_type_name, g.srs_id, s.organization, s.organization_coordsys_id, "
            "s.definition FROM gpkg_contents c JOIN gpkg_geometry_columns g ON g.table_name = c.table_name "
            "LEFT JOIN gpkg_spatial_ref_sys s ON s.srs_id = g.srs_id WHERE c.data_type = 'features' "
            "ORDER BY c.table_name");
        if (!query)
        {
            // No GeoPackage tables at all, or a damaged schema.
            const int code = sqlite3_errcode(m_db.get()) & 0xFF;
            if (code == SQLITE_ERROR)
                return {GeoPackageReadError::NotGeoPackage, m_path + ": no GeoPackage feature tables"};
            return Failure();
        }
        std::vector<CGeoPackageLayerInfo> layers;
        int step;
        while ((step = sqlite3_step(query.get())) == SQLITE_ROW)
        {
            CGeoPackageLayerInfo info;
            info.strName = ColumnText(query.get(), 0);
            info.strGeometryType = ColumnText(query.get(), 1);
            info.nSrsId = sqlite3_column_int(query.get(), 2);
            info.strOrganization = ColumnText(query.get(), 3);
            info.nOrganizationCode = sqlite3_column_int(query.get(), 4);
            info.strDefinition = ColumnText(query.get(), 5);
            layers.push_back(std::move(info));
        }
        if (step != SQLITE_DONE)
            return Failure();
        *pLayers = std::move(layers);
        return GeoPackageReadStatus();
    }

    GeoPackageReadStatus Read(const CGeoPackageLayerInfo& info, CVectorLayer* pLayer, int* pnOtherKinds);

private:
    std::string m_path;
    std::string m_bytes;
    UniqueDatabase m_db;
};

GeoPackageReadStatus CGeoPackage::Read(const CGeoPackageLayerInfo& info, CVectorLayer* pLayer, int* pnOtherKinds)
{
    std::string geometryColumn;
    {
        UniqueStatement column =
            PrepareStatement(m_db.get(), "SELECT column_name FROM gpkg_geometry_columns WHERE table_name = ?");
        if (!column)
            return Failure();
        sqlite3_bind_text(column.get(), 1, info.strName.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(column.get()) != SQLITE_ROW)
            return Failure();
        geometryColumn = ColumnText(column.get(), 0);
    }

    // The columns in table order: the integer primary key is the feature id,
    // the geometry column is the geometry, the rest are fields.
    CVectorLayer layer;
    layer.strName = info.strName;
    layer.nKind = KindOfGeometryTypeName(info.strGeometryType);
    std::string fid;
    std::string select;
    {
        UniqueStatement columns =
            PrepareStatement(m_db.get(), ("PRAGMA table_info(" + QuotedIdentifier(info.strName) + ")").c_str());
        if (!columns)
            return Failure();
        int step;
        while ((step = sqlite3_step(columns.get())) == SQLITE_ROW)
        {
            const std::string name = ColumnText(columns.get(), 1);
            const std::string declared = ColumnText(columns.get(), 2);
            CLayerField field;
            if (sqlite3_column_int(columns.get(), 5) == 1 && Upper(declared) == "INTEGER" && fid.empty())
                fid = name;
            else if (name != geometryColumn && FieldOfDeclaredType(name, declared, &field))
            {
                layer.fields.push_back(field);
                select += ", " + QuotedIdentifier(name);
            }
        }
        if (step != SQLITE_DONE)
            return Failure();
    }
    const std::string order = fid.empty() ? "rowid" : QuotedIdentifier(fid);
    // The feature id comes last, after the fields.
    UniqueStatement rows =
        PrepareStatement(m_db.get(), ("SELECT " + QuotedIdentifier(geometryColumn) + select + ", " + order + " FROM " +
                                      QuotedIdentifier(info.strName) + " ORDER BY " + order)
                                         .c_str());
    if (!rows)
        return Failure();
    std::vector<GeometryKind> kinds;
    std::vector<bool> others;
    int step;
    while ((step = sqlite3_step(rows.get())) == SQLITE_ROW)
    {
        CVectorFeature feature;
        GeometryKind kind = GeometryKind::None;
        bool bOther = false;
        if (sqlite3_column_type(rows.get(), 0) == SQLITE_BLOB)
        {
            const auto* blob = static_cast<const unsigned char*>(sqlite3_column_blob(rows.get(), 0));
            const size_t cbBlob = static_cast<size_t>(sqlite3_column_bytes(rows.get(), 0));
            bool bHasZ = false;
            if (!DecodeGeometryBlob(blob, cbBlob, &feature, &kind, &bHasZ, &bOther))
                return {GeoPackageReadError::Damaged, info.strName + ", feature " +
                                                          std::to_string(layer.features.size() + 1) +
                                                          ": a geometry that does not decode"};
            layer.bHasZ = layer.bHasZ || bHasZ;
        }
        for (size_t f = 0; f < layer.fields.size(); ++f)
        {
            const int column = static_cast<int>(f + 1);
            const int type = sqlite3_column_type(rows.get(), column);
            if (type == SQLITE_NULL)
            {
                feature.values.emplace_back();
                continue;
            }
            std::string value;
            if (layer.fields[f].nType == FieldType::Integer && type == SQLITE_INTEGER)
                value = std::to_string(sqlite3_column_int64(rows.get(), column));
            else if (layer.fields[f].nType == FieldType::Real && type != SQLITE_TEXT)
            {
                // The shortest text that reads back as the same double.
                char text[32];
                const auto written = std::to_chars(text, text + sizeof text, sqlite3_column_double(rows.get(), column));
                value.assign(text, written.ptr);
            }
            else
                value = ColumnText(rows.get(), column);
            feature.values.emplace_back(std::move(value));
        }
        feature.nFid = sqlite3_column_int64(rows.get(), static_cast<int>(layer.fields.size() + 1));
        layer.features.push_back(std::move(feature));
        kinds.push_back(kind);
        others.push_back(bOther);
    }
    if (step != SQLITE_DONE)
        return Failure();

    // A column of any geometry takes the kind most of its features have,
    // points and multipoints together as multipoints.
    if (layer.nKind == GeometryKind::None)
    {
        size_t points = 0, multipoints = 0, lines = 0, polygons = 0;
        for (GeometryKind kind : kinds)
        {
            points += kind == GeometryKind::Point;
            multipoints += kind == GeometryKind::MultiPoint;
            lines += kind == GeometryKind::PolyLine;
            polygons += kind == GeometryKind::Polygon;
        }
        const size_t anyPoints = points + multipoints;
        if (anyPoints > 0 && anyPoints >= lines && anyPoints >= polygons)
            layer.nKind = multipoints ? GeometryKind::MultiPoint : GeometryKind::Point;
        else if (lines > 0 && lines >= polygons)
            layer.nKind = GeometryKind::PolyLine;
        else if (polygons > 0)
            layer.nKind = GeometryKind::Polygon;
    }
    int nOther = 0;
    for (size_t i = 0; i < kinds.size(); ++i)
    {
        // A point in a multipoint layer is a multipoint of one.
        const bool bFits =
            kinds[i] == layer.nKind || (kinds[i] == GeometryKind::Point && layer.nKind == GeometryKind::MultiPoint);
        if (others[i] || (kinds[i] != GeometryKind::None && !bFits))
        {
            ++nOther;
            layer.features[i].parts.clear();
        }
    }
    *pLayer = std::move(layer);
    *pnOtherKinds = nOther;
    return GeoPackageReadStatus();
}
}   // namespace

GeoPackageReadStatus ListGeoPackageLayers(const std::string& path, CFileSystem& files,
                                          std::vector<CGeoPackageLayerInfo>* pLayers)
{
    try
    {
        CGeoPackage package;
        GeoPackageReadStatus opened = package.Open(path, files);
        return opened.Ok() ? package.Layers(pLayers) : opened;
    }
    catch (const std::bad_alloc&)
    {
        return {GeoPackageReadError::NoMemory, path};
    }
}

GeoPackageReadStatus ReadGeoPackageLayer(const std::string& path, const std::string& strLayer, CFileSystem& files,
                                         CVectorLayer* pLayer, CGeoPackageLayerInfo* pInfo, int* pnOtherKinds)
{
    try
    {
        CGeoPackage package;
        GeoPackageReadStatus status = package.Open(path, files);
        std::vector<CGeoPackageLayerInfo> layers;
        if (status.Ok())
            status = package.Layers(&layers);
        if (!status.Ok())
            return status;
        for (const CGeoPackageLayerInfo& info : layers)
            if (info.strName == strLayer)
            {
                int nOther = 0;
                CVectorLayer layer;
                status = package.Read(info, &layer, &nOther);
                if (!status.Ok())
                    return status;
                *pLayer = std::move(layer);
                if (pInfo)
                    *pInfo = info;
                if (pnOtherKinds)
                    *pnOtherKinds = nOther;
                return status;
            }
        return {GeoPackageReadError::NoLayer, path + ": " + strLayer};
    }
    catch (const std::bad_alloc&)
    {
        return {GeoPackageReadError::NoMemory, path};
    }
}
