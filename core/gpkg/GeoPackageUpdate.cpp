#include "core/gpkg/GeoPackageUpdate.h"

#include <charconv>
#include <cstring>
#include <new>

#include "core/gpkg/GeometryBlob.h"
#include "core/gpkg/GeoPackageReader.h"
#include "core/gpkg/Sqlite.h"
#include "core/io/Path.h"
#include "core/io/StagedWrite.h"

namespace
{
// The extent of a geometry blob: its envelope when the header has one, else
// that of its vertices. False for an empty geometry (or one that does not decode).
bool BlobEnvelope(const unsigned char* p, size_t cb, CEnvelope* pEnvelope)
{
    *pEnvelope = CEnvelope();
    if (cb < 8 || p[0] != 'G' || p[1] != 'P')
        return false;
    const unsigned flags = p[3];
    if (flags & 0x10)
        return false;
    const unsigned envelope = (flags >> 1) & 0x07;
    if (envelope >= 1 && envelope <= 4 && cb >= 8 + 32)
    {
        double v[4];
        for (int k = 0; k < 4; ++k)
        {
            unsigned char b[8];
            std::memcpy(b, p + 8 + 8 * k, 8);
            if (!(flags & 0x01))   // big-endian
                for (int i = 0; i < 4; ++i)
                    std::swap(b[i], b[7 - i]);
            std::memcpy(&v[k], b, 8);
        }
        pEnvelope->Add(v[0], v[2]);
        pEnvelope->Add(v[1], v[3]);
        return true;
    }
    CVectorFeature feature;
    GeometryKind kind;
    bool bHasZ = false, bOther = false;
    if (!DecodeGeometryBlob(p, cb, &feature, &kind, &bHasZ, &bOther))
        return false;
    for (const std::vector<CMapPoint>& part : feature.parts)
        for (const CMapPoint& point : part)
            pEnvelope->Add(point.x, point.y);
    return !pEnvelope->bEmpty;
}

// ST_IsEmpty and ST_MinX..ST_MaxY, which the spatial index's triggers call.
void EnvelopeFunction(sqlite3_context* context, int, sqlite3_value** argv)
{
    const intptr_t which = reinterpret_cast<intptr_t>(sqlite3_user_data(context));
    if (sqlite3_value_type(argv[0]) != SQLITE_BLOB)
    {
        sqlite3_result_null(context);
        return;
    }
    CEnvelope envelope;
    const bool bFull = BlobEnvelope(static_cast<const unsigned char*>(sqlite3_value_blob(argv[0])),
                                    static_cast<size_t>(sqlite3_value_bytes(argv[0])), &envelope);
    if (which == 0)
        sqlite3_result_int(context, bFull ? 0 : 1);
    else if (!bFull)
        sqlite3_result_null(context);
    else
        sqlite3_result_double(context, which == 1   ? envelope.minX
                                       : which == 2 ? envelope.maxX
                                       : which == 3 ? envelope.minY
                                                    : envelope.maxY);
}

class CUpdater
{
public:
    GeoPackageWriteStatus Open(const std::string& path, CFileSystem& files);
    GeoPackageWriteStatus Apply(const CGeoPackageLayerEdits& edits);
    GeoPackageWriteStatus Serialize(std::string* pBytes);

private:
    GeoPackageWriteStatus Failure() const { return {GeoPackageWriteError::Database, sqlite3_errmsg(m_db.get())}; }
    bool Exec(const std::string& sql)
    {
        return sqlite3_exec(m_db.get(), sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    GeoPackageWriteStatus Bind(sqlite3_stmt* statement, int nColumn, const std::string& strColumn,
                               const std::optional<std::string>& value);
    GeoPackageWriteStatus Index(int64_t nFid, const CEnvelope* pEnvelope);

    UniqueDatabase m_db;
    std::string m_table, m_geometry, m_fid = "rowid", m_rtree;
    std::vector<std::pair<std::string, std::string>> m_columns;   // name, declared type
};

GeoPackageWriteStatus CUpdater::Open(const std::string& path, CFileSystem& files)
{
    std::unique_ptr<CFile> file = files.OpenForReading(path);
    std::string bytes;
    if (!file || !ReadFileBytes(*file, &bytes))
        return {GeoPackageWriteError::WriteFailed, path};
    file.reset();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
    {
        sqlite3_close(db);
        return {GeoPackageWriteError::Database, "out of memory"};
    }
    m_db.reset(db);
    // SQLite owns the copy it may grow; it frees it with the connection.
    auto* image = static_cast<unsigned char*>(sqlite3_malloc64(bytes.size()));
    if (!image)
        return {GeoPackageWriteError::Database, "out of memory"};
    std::memcpy(image, bytes.data(), bytes.size());
    if (sqlite3_deserialize(m_db.get(), "main", image, static_cast<sqlite3_int64>(bytes.size()),
                            static_cast<sqlite3_int64>(bytes.size()),
                            SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE) != SQLITE_OK)
        return Failure();
    static const char* const names[] = {"ST_IsEmpty", "ST_MinX", "ST_MaxX", "ST_MinY", "ST_MaxY"};
    for (intptr_t k = 0; k < 5; ++k)
        if (sqlite3_create_function(m_db.get(), names[k], 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                    reinterpret_cast<void*>(k), EnvelopeFunction, nullptr, nullptr) != SQLITE_OK)
            return Failure();
    return GeoPackageWriteStatus();
}

GeoPackageWriteStatus CUpdater::Bind(sqlite3_stmt* statement, int nColumn, const std::string& strColumn,
                                     const std::optional<std::string>& value)
{
    if (!value)
        return sqlite3_bind_null(statement, nColumn) == SQLITE_OK ? GeoPackageWriteStatus() : Failure();
    // Numbers go in as numbers, everything else as the text it is.
    FieldType nType = FieldType::Text;
    CLayerField field;
    for (const auto& column : m_columns)
        if (column.first == strColumn && FieldOfDeclaredType(column.first, column.second, &field))
            nType = field.nType;
    const std::string& text = *value;
    const char* end = text.data() + text.size();
    int rc;
    if (nType == FieldType::Integer)
    {
        int64_t n = 0;
        const auto parsed = std::from_chars(text.data(), end, n);
        if (parsed.ec != std::errc() || parsed.ptr != end)
            return {GeoPackageWriteError::BadValue, strColumn + ": " + text};
        rc = sqlite3_bind_int64(statement, nColumn, n);
    }
    else if (nType == FieldType::Real)
    {
        double d = 0;
        const auto parsed = std::from_chars(text.data(), end, d);
        if (parsed.ec != std::errc() || parsed.ptr != end)
            return {GeoPackageWriteError::BadValue, strColumn + ": " + text};
        rc = sqlite3_bind_double(statement, nColumn, d);
    }
    else
        rc = sqlite3_bind_text(statement, nColumn, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return rc == SQLITE_OK ? GeoPackageWriteStatus() : Failure();
}

// Kept by hand as well as by the triggers: files without triggers (or with
// them dropped) get a valid index too; both write the same entry.
GeoPackageWriteStatus CUpdater::Index(int64_t nFid, const CEnvelope* pEnvelope)
{
    if (m_rtree.empty())
        return GeoPackageWriteStatus();
    UniqueStatement remove =
        PrepareStatement(m_db.get(), ("DELETE FROM " + QuotedIdentifier(m_rtree) + " WHERE id = ?").c_str());
    if (!remove)
        return Failure();
    sqlite3_bind_int64(remove.get(), 1, nFid);
    if (sqlite3_step(remove.get()) != SQLITE_DONE)
        return Failure();
    if (!pEnvelope || pEnvelope->bEmpty)
        return GeoPackageWriteStatus();
    UniqueStatement insert =
        PrepareStatement(m_db.get(), ("INSERT INTO " + QuotedIdentifier(m_rtree) + " VALUES (?, ?, ?, ?, ?)").c_str());
    if (!insert)
        return Failure();
    sqlite3_bind_int64(insert.get(), 1, nFid);
    sqlite3_bind_double(insert.get(), 2, pEnvelope->minX);
    sqlite3_bind_double(insert.get(), 3, pEnvelope->maxX);
    sqlite3_bind_double(insert.get(), 4, pEnvelope->minY);
    sqlite3_bind_double(insert.get(), 5, pEnvelope->maxY);
    return sqlite3_step(insert.get()) == SQLITE_DONE ? GeoPackageWriteStatus() : Failure();
}

GeoPackageWriteStatus CUpdater::Apply(const CGeoPackageLayerEdits& edits)
{
    m_table = edits.strTable;
    std::string typeName;
    int nSrsId = 0, nZ = 0;
    {
        UniqueStatement column = PrepareStatement(
            m_db.get(),
            "SELECT column_name, geometry_type_name, srs_id, z FROM gpkg_geometry_columns WHERE table_name = ?");
        if (!column)
            return Failure();
        sqlite3_bind_text(column.get(), 1, m_table.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(column.get()) != SQLITE_ROW)
            return {GeoPackageWriteError::Database, m_table + ": no such layer"};
        m_geometry = reinterpret_cast<const char*>(sqlite3_column_text(column.get(), 0));
        typeName = reinterpret_cast<const char*>(sqlite3_column_text(column.get(), 1));
        nSrsId = sqlite3_column_int(column.get(), 2);
        nZ = sqlite3_column_int(column.get(), 3);
    }
    if (!Exec("BEGIN"))
        return Failure();
    for (const std::string& column : edits.removed)
        if (!Exec("ALTER TABLE " + QuotedIdentifier(m_table) + " DROP COLUMN " + QuotedIdentifier(column)))
            return Failure();
    for (const auto& names : edits.renamed)
        if (!Exec("ALTER TABLE " + QuotedIdentifier(m_table) + " RENAME COLUMN " + QuotedIdentifier(names.first) +
                  " TO " + QuotedIdentifier(names.second)))
            return Failure();
    for (const CLayerField& field : edits.added)
        if (!Exec("ALTER TABLE " + QuotedIdentifier(m_table) + " ADD COLUMN " + QuotedIdentifier(field.strName) + " " +
                  GeoPackageColumnType(field)))
            return Failure();
    {
        UniqueStatement columns =
            PrepareStatement(m_db.get(), ("PRAGMA table_info(" + QuotedIdentifier(m_table) + ")").c_str());
        if (!columns)
            return Failure();
        while (sqlite3_step(columns.get()) == SQLITE_ROW)
        {
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(columns.get(), 1));
            const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(columns.get(), 2));
            m_columns.emplace_back(name ? name : "", type ? type : "");
            if (sqlite3_column_int(columns.get(), 5) == 1 && SameFileName(m_columns.back().second, "INTEGER"))
                m_fid = m_columns.back().first;
        }
    }
    {
        const std::string rtree = "rtree_" + m_table + "_" + m_geometry;
        UniqueStatement exists = PrepareStatement(m_db.get(), "SELECT 1 FROM sqlite_master WHERE name = ?");
        if (!exists)
            return Failure();
        sqlite3_bind_text(exists.get(), 1, rtree.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(exists.get()) == SQLITE_ROW)
            m_rtree = rtree;
    }
    const bool bMulti = SameFileName(typeName.substr(0, 5), "MULTI");
    const std::string table = QuotedIdentifier(m_table), fid = QuotedIdentifier(m_fid);

    // A column the edits set that the table lacks (NAME, for a typed name) is added as text.
    for (const CGeoPackageRowChange& row : edits.rows)
        for (const auto& value : row.values)
        {
            bool bFound = false;
            for (const auto& column : m_columns)
                bFound = bFound || SameFileName(column.first, value.first);
            if (bFound)
                continue;
            if (!Exec("ALTER TABLE " + table + " ADD COLUMN " + QuotedIdentifier(value.first) + " TEXT"))
                return Failure();
            m_columns.emplace_back(value.first, "TEXT");
        }
    for (int64_t nFid : edits.deleted)
    {
        UniqueStatement remove =
            PrepareStatement(m_db.get(), ("DELETE FROM " + table + " WHERE " + fid + " = ?").c_str());
        if (!remove)
            return Failure();
        sqlite3_bind_int64(remove.get(), 1, nFid);
        if (sqlite3_step(remove.get()) != SQLITE_DONE)
            return Failure();
        GeoPackageWriteStatus indexed = Index(nFid, nullptr);
        if (!indexed.Ok())
            return indexed;
    }
    for (const CGeoPackageRowChange& row : edits.rows)
    {
        const bool bNew = row.nFid <= 0;
        const bool bGeometry = bNew || row.bGeometry;
        std::vector<std::string> names;
        if (bGeometry)
            names.push_back(m_geometry);
        for (const auto& value : row.values)
            names.push_back(value.first);
        if (names.empty())
            continue;
        std::string sql;
        if (bNew)
        {
            std::string list, marks;
            for (size_t k = 0; k < names.size(); ++k)
            {
                list += (k ? ", " : "") + QuotedIdentifier(names[k]);
                marks += k ? ", ?" : "?";
            }
            sql = "INSERT INTO " + table + " (" + list + ") VALUES (" + marks + ")";
        }
        else
        {
            sql = "UPDATE " + table + " SET ";
            for (size_t k = 0; k < names.size(); ++k)
                sql += (k ? ", " : "") + QuotedIdentifier(names[k]) + " = ?";
            sql += " WHERE " + fid + " = ?";
        }
        UniqueStatement statement = PrepareStatement(m_db.get(), sql.c_str());
        if (!statement)
            return Failure();
        int nColumn = 1;
        CEnvelope envelope;
        if (bGeometry)
        {
            CVectorFeature feature;
            feature.parts = row.parts;
            const std::string blob = GeometryBlob(feature, edits.nKind, bMulti, nZ == 1, nSrsId, &envelope);
            if (blob.empty())
                sqlite3_bind_null(statement.get(), nColumn++);
            else
                sqlite3_bind_blob(statement.get(), nColumn++, blob.data(), static_cast<int>(blob.size()),
                                  SQLITE_TRANSIENT);
        }
        for (const auto& value : row.values)
        {
            GeoPackageWriteStatus bound = Bind(statement.get(), nColumn++, value.first, value.second);
            if (!bound.Ok())
                return bound;
        }
        if (!bNew)
            sqlite3_bind_int64(statement.get(), nColumn, row.nFid);
        if (sqlite3_step(statement.get()) != SQLITE_DONE)
            return Failure();
        const int64_t nFid = bNew ? sqlite3_last_insert_rowid(m_db.get()) : row.nFid;
        if (bGeometry)
        {
            GeoPackageWriteStatus indexed = Index(nFid, &envelope);
            if (!indexed.Ok())
                return indexed;
        }
    }
    // The layer's extent as its geometries now have it.
    const std::string geometry = QuotedIdentifier(m_geometry);
    const std::string extent = "UPDATE gpkg_contents SET (min_x, min_y, max_x, max_y) = (SELECT min(ST_MinX(" +
                               geometry + ")), min(ST_MinY(" + geometry + ")), max(ST_MaxX(" + geometry +
                               ")), max(ST_MaxY(" + geometry + ")) FROM " + table +
                               "), last_change = strftime('%Y-%m-%dT%H:%M:%fZ', 'now') WHERE table_name = ?";
    UniqueStatement contents = PrepareStatement(m_db.get(), extent.c_str());
    if (!contents)
        return Failure();
    sqlite3_bind_text(contents.get(), 1, m_table.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(contents.get()) != SQLITE_DONE)
        return Failure();
    contents.reset();
    if (!Exec("COMMIT"))
        return Failure();
    return GeoPackageWriteStatus();
}

GeoPackageWriteStatus CUpdater::Serialize(std::string* pBytes)
{
    sqlite3_int64 cbImage = 0;
    UniqueSqliteMemory image(sqlite3_serialize(m_db.get(), "main", &cbImage, 0));
    if (!image)
        return Failure();
    pBytes->assign(reinterpret_cast<const char*>(image.get()), static_cast<size_t>(cbImage));
    return GeoPackageWriteStatus();
}
}   // namespace

GeoPackageWriteStatus UpdateGeoPackageLayer(const std::string& path, const CGeoPackageLayerEdits& edits,
                                            CFileSystem& files)
{
    std::string bytes;
    try
    {
        CUpdater updater;
        GeoPackageWriteStatus status = updater.Open(path, files);
        if (status.Ok())
            status = updater.Apply(edits);
        if (status.Ok())
            status = updater.Serialize(&bytes);
        if (!status.Ok())
            return status;
    }
    catch (const std::bad_alloc&)
    {
        return {GeoPackageWriteError::Database, "out of memory"};
    }
    if (!WriteWholeFile(files, path, bytes))
        return {GeoPackageWriteError::WriteFailed, path};
    return GeoPackageWriteStatus();
}
