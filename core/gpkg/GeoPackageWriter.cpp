#include "core/gpkg/GeoPackageWriter.h"

#include <algorithm>
#include <charconv>
#include <new>
#include <cstdint>
#include <memory>
#include <system_error>

#include "core/crs/CrsCatalogue.h"
#include "core/gpkg/GeometryBlob.h"
#include "core/gpkg/PackedRtree.h"
#include "core/gpkg/Sqlite.h"
#include "core/io/StagedWrite.h"

namespace
{
// "GPKG" as a big-endian number, and version 1.3.0, in the database header.
// The page size is the one the packed spatial index's nodes are made for.
// Feature rows a statement inserts, and the parameters any SQLite takes
// in one statement.
const size_t kBatchRows = 64;
const size_t kMostVariables = 999;

const char kHeaderPragmas[] =
    "PRAGMA page_size = 4096; PRAGMA application_id = 1196444487; PRAGMA user_version = 10300;";

const char kCoreTables[] = R"sql(
CREATE TABLE gpkg_spatial_ref_sys (
  srs_name TEXT NOT NULL,
  srs_id INTEGER PRIMARY KEY,
  organization TEXT NOT NULL,
  organization_coordsys_id INTEGER NOT NULL,
  definition TEXT NOT NULL,
  description TEXT);
CREATE TABLE gpkg_contents (
  table_name TEXT NOT NULL PRIMARY KEY,
  data_type TEXT NOT NULL,
  identifier TEXT UNIQUE,
  description TEXT DEFAULT '',
  last_change DATETIME NOT NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%fZ','now')),
  min_x DOUBLE,
  min_y DOUBLE,
  max_x DOUBLE,
  max_y DOUBLE,
  srs_id INTEGER,
  CONSTRAINT fk_gc_r_srs_id FOREIGN KEY (srs_id) REFERENCES gpkg_spatial_ref_sys(srs_id));
CREATE TABLE gpkg_geometry_columns (
  table_name TEXT NOT NULL,
  column_name TEXT NOT NULL,
  geometry_type_name TEXT NOT NULL,
  srs_id INTEGER NOT NULL,
  z TINYINT NOT NULL,
  m TINYINT NOT NULL,
  CONSTRAINT pk_geom_cols PRIMARY KEY (table_name, column_name),
  CONSTRAINT uk_gc_table_name UNIQUE (table_name),
  CONSTRAINT fk_gc_tn FOREIGN KEY (table_name) REFERENCES gpkg_contents(table_name),
  CONSTRAINT fk_gc_srs FOREIGN KEY (srs_id) REFERENCES gpkg_spatial_ref_sys (srs_id));
CREATE TABLE gpkg_extensions (
  table_name TEXT,
  column_name TEXT,
  extension_name TEXT NOT NULL,
  definition TEXT NOT NULL,
  scope TEXT NOT NULL,
  CONSTRAINT ge_tce UNIQUE (table_name, column_name, extension_name));
INSERT INTO gpkg_spatial_ref_sys VALUES
  ('Undefined cartesian SRS', -1, 'NONE', -1, 'undefined', 'undefined cartesian coordinate reference system'),
  ('Undefined geographic SRS', 0, 'NONE', 0, 'undefined', 'undefined geographic coordinate reference system');
)sql";

// The spatial index's triggers keep it in step with later edits of the
// table by other programs (which provide the ST_ functions); this writer
// fills the index itself, packed, before they exist.
const char kIndexTriggers[] = R"sql(
CREATE TRIGGER "rtree_T_geom_insert" AFTER INSERT ON "T"
WHEN (new."geom" NOT NULL AND NOT ST_IsEmpty(NEW."geom"))
BEGIN
  INSERT OR REPLACE INTO "rtree_T_geom" VALUES (NEW."fid",
    ST_MinX(NEW."geom"), ST_MaxX(NEW."geom"), ST_MinY(NEW."geom"), ST_MaxY(NEW."geom"));
END;
CREATE TRIGGER "rtree_T_geom_update1" AFTER UPDATE OF "geom" ON "T"
WHEN OLD."fid" = NEW."fid" AND (NEW."geom" NOTNULL AND NOT ST_IsEmpty(NEW."geom"))
BEGIN
  INSERT OR REPLACE INTO "rtree_T_geom" VALUES (NEW."fid",
    ST_MinX(NEW."geom"), ST_MaxX(NEW."geom"), ST_MinY(NEW."geom"), ST_MaxY(NEW."geom"));
END;
CREATE TRIGGER "rtree_T_geom_update2" AFTER UPDATE OF "geom" ON "T"
WHEN OLD."fid" = NEW."fid" AND (NEW."geom" ISNULL OR ST_IsEmpty(NEW."geom"))
BEGIN
  DELETE FROM "rtree_T_geom" WHERE id = OLD."fid";
END;
CREATE TRIGGER "rtree_T_geom_update3" AFTER UPDATE ON "T"
WHEN OLD."fid" != NEW."fid" AND (NEW."geom" NOTNULL AND NOT ST_IsEmpty(NEW."geom"))
BEGIN
  DELETE FROM "rtree_T_geom" WHERE id = OLD."fid";
  INSERT OR REPLACE INTO "rtree_T_geom" VALUES (NEW."fid",
    ST_MinX(NEW."geom"), ST_MaxX(NEW."geom"), ST_MinY(NEW."geom"), ST_MaxY(NEW."geom"));
END;
CREATE TRIGGER "rtree_T_geom_update4" AFTER UPDATE ON "T"
WHEN OLD."fid" != NEW."fid" AND (NEW."geom" ISNULL OR ST_IsEmpty(NEW."geom"))
BEGIN
  DELETE FROM "rtree_T_geom" WHERE id IN (OLD."fid", NEW."fid");
END;
CREATE TRIGGER "rtree_T_geom_delete" AFTER DELETE ON "T"
WHEN old."geom" NOT NULL
BEGIN
  DELETE FROM "rtree_T_geom" WHERE id = OLD."fid";
END;
)sql";

// text with every "T" identifier (quoted) replaced by the table's name;
// the index's own name is rtree_<table>_geom.
std::string ForTable(const std::string& text, const std::string& table)
{
    std::string out;
    const std::string quotedTable = QuotedIdentifier(table);
    const std::string quotedIndex = QuotedIdentifier("rtree_" + table + "_geom");
    for (size_t i = 0; i < text.size();)
    {
        if (text.compare(i, 3, "\"T\"") == 0)
            out += quotedTable, i += 3;
        else if (text.compare(i, 14, "\"rtree_T_geom\"") == 0)
            out += quotedIndex, i += 14;
        else if (text.compare(i, 14, "\"rtree_T_geom_") == 0)
        {
            // A trigger's name: rtree_<table>_geom_<what>.
            const size_t end = text.find('"', i + 1);
            out += QuotedIdentifier("rtree_" + table + "_geom_" + text.substr(i + 14, end - i - 14)), i = end + 1;
        }
        else
            out += text[i++];
    }
    return out;
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The date in GeoPackage's form from "YYYY-MM-DD" or "YYYYMMDD"; empty when
// it is no calendar day.
std::string IsoDate(const std::string& text)
{
    std::string digits;
    if (text.size() == 10 && text[4] == '-' && text[7] == '-')
        digits = text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2);
    else if (text.size() == 8)
        digits = text;
    if (digits.size() != 8 || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::string();
    const int year = std::stoi(digits.substr(0, 4)), month = std::stoi(digits.substr(4, 2)),
              day = std::stoi(digits.substr(6, 2));
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool bLeap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1] || (month == 2 && day == 29 && !bLeap))
        return std::string();
    return digits.substr(0, 4) + "-" + digits.substr(4, 2) + "-" + digits.substr(6, 2);
}

class CWriter
{
public:
    CWriter(const CVectorLayer& layer, const CCrsRef& crs) : m_layer(layer), m_crs(crs) {}

    // The database image as SQLite serialised it, written out without a copy.
    GeoPackageWriteStatus Build(UniqueSqliteMemory* pImage, size_t* pcbImage);

private:
    const CVectorLayer& m_layer;
    const CCrsRef& m_crs;
    UniqueDatabase m_db;

    GeoPackageWriteStatus Failure() const
    {
        return {GeoPackageWriteError::Database, m_db ? sqlite3_errmsg(m_db.get()) : "SQLite could not start"};
    }
    bool Exec(const std::string& sql)
    {
        return sqlite3_exec(m_db.get(), sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    UniqueStatement Prepare(const std::string& sql) { return PrepareStatement(m_db.get(), sql.c_str()); }
    bool AddSystem(int nCode);
    bool WriteIndex(const CPackedRtree& tree);
    GeoPackageWriteStatus BindValue(sqlite3_stmt* statement, int nColumn, size_t nFeature, size_t nField);
};

bool CWriter::AddSystem(int nCode)
{
    const CCrsEntry* entry = EmbeddedCrsCatalogue().Find(nCode);
    UniqueStatement insert = Prepare("INSERT OR IGNORE INTO gpkg_spatial_ref_sys VALUES (?, ?, 'EPSG', ?, ?, NULL)");
    if (!insert)
        return false;
    const std::string name = entry ? std::string(entry->name) : "EPSG:" + std::to_string(nCode);
    const std::string wkt = entry ? std::string(entry->wkt) : "undefined";
    sqlite3_bind_text(insert.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(insert.get(), 2, nCode);
    sqlite3_bind_int(insert.get(), 3, nCode);
    sqlite3_bind_text(insert.get(), 4, wkt.c_str(), -1, SQLITE_TRANSIENT);
    return sqlite3_step(insert.get()) == SQLITE_DONE;
}

// The packed index goes straight into the module's shadow tables, in key
// order; node 1, the empty root the module made, is replaced.
bool CWriter::WriteIndex(const CPackedRtree& tree)
{
    const std::string name = "rtree_" + m_layer.strName + "_geom";
    // Each table's rows a batch a statement, in key order as before.
    const size_t nBatch = kMostVariables / 2;
    auto insert = [&](const std::string& verb, const std::string& table, size_t nRows) {
        std::string sql = verb + " INTO " + QuotedIdentifier(table) + " VALUES ";
        for (size_t r = 0; r < nRows; ++r)
            sql += r ? ", (?, ?)" : "(?, ?)";
        return Prepare(sql);
    };
    // bind(statement, row, first parameter) binds one row's two values.
    auto insertAll = [&](const std::string& verb, const std::string& table, size_t nRows, auto bind) {
        UniqueStatement full, tail;
        for (size_t first = 0; first < nRows; first += nBatch)
        {
            const size_t n = std::min(nBatch, nRows - first);
            UniqueStatement& statement = n == nBatch ? full : tail;
            if (!statement && !(statement = insert(verb, table, n)))
                return false;
            sqlite3_reset(statement.get());
            for (size_t r = 0; r < n; ++r)
                bind(statement.get(), first + r, static_cast<int>(2 * r + 1));
            if (sqlite3_step(statement.get()) != SQLITE_DONE)
                return false;
        }
        return true;
    };
    auto bindPair = [](const std::vector<std::pair<int64_t, int64_t>>& pairs) {
        return [&pairs](sqlite3_stmt* statement, size_t row, int nParameter) {
            sqlite3_bind_int64(statement, nParameter, pairs[row].first);
            sqlite3_bind_int64(statement, nParameter + 1, pairs[row].second);
        };
    };
    return insertAll("INSERT OR REPLACE", name + "_node", tree.nodes.size(),
                     [&](sqlite3_stmt* statement, size_t row, int nParameter) {
                         const std::string& bytes = tree.nodes[row].second;
                         sqlite3_bind_int64(statement, nParameter, tree.nodes[row].first);
                         sqlite3_bind_blob(statement, nParameter + 1, bytes.data(), static_cast<int>(bytes.size()),
                                           SQLITE_STATIC);
                     }) &&
           insertAll("INSERT", name + "_parent", tree.parents.size(), bindPair(tree.parents)) &&
           insertAll("INSERT", name + "_rowid", tree.rowids.size(), bindPair(tree.rowids));
}

GeoPackageWriteStatus CWriter::BindValue(sqlite3_stmt* statement, int nColumn, size_t nFeature, size_t nField)
{
    const CVectorFeature& feature = m_layer.features[nFeature];
    const CLayerField& field = m_layer.fields[nField];
    if (nField >= feature.values.size() || !feature.values[nField])
        return sqlite3_bind_null(statement, nColumn) == SQLITE_OK ? GeoPackageWriteStatus() : Failure();
    const std::string& text = *feature.values[nField];
    const std::string value = field.nType == FieldType::Text ? text : Trimmed(text);
    int result = SQLITE_OK;
    bool bValid = true;
    switch (field.nType)
    {
    case FieldType::Text: result = sqlite3_bind_text(statement, nColumn, value.c_str(), -1, SQLITE_TRANSIENT); break;
    case FieldType::Integer:
    {
        int64_t n = 0;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
        bValid = error == std::errc() && end == value.data() + value.size() && !value.empty();
        if (bValid)
            result = sqlite3_bind_int64(statement, nColumn, n);
        break;
    }
    case FieldType::Real:
    {
        double d = 0;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), d);
        bValid = error == std::errc() && end == value.data() + value.size() && !value.empty();
        if (bValid)
            result = sqlite3_bind_double(statement, nColumn, d);
        break;
    }
    case FieldType::Date:
    {
        const std::string day = IsoDate(value);
        bValid = !day.empty();
        if (bValid)
            result = sqlite3_bind_text(statement, nColumn, day.c_str(), -1, SQLITE_TRANSIENT);
        break;
    }
    }
    if (!bValid)
        return {GeoPackageWriteError::BadValue,
                "feature " + std::to_string(nFeature + 1) + ", field " + field.strName + ": \"" + text + "\""};
    return result == SQLITE_OK ? GeoPackageWriteStatus() : Failure();
}

GeoPackageWriteStatus CWriter::Build(UniqueSqliteMemory* pImage, size_t* pcbImage)
{
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    m_db.reset(db);
    if (opened != SQLITE_OK || !Exec(kHeaderPragmas) || !Exec("BEGIN") || !Exec(kCoreTables) || !AddSystem(4326))
        return Failure();
    const int nSrsId = m_crs.IsNone() ? -1 : m_crs.nEpsg;
    if (!m_crs.IsNone() && !AddSystem(m_crs.nEpsg))
        return Failure();

    const std::string& table = m_layer.strName;
    std::string create = "CREATE TABLE " + QuotedIdentifier(table) +
                         " (fid INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, geom " + GeometryTypeName(m_layer);
    std::string row = "(?, ?";
    for (const CLayerField& field : m_layer.fields)
    {
        create += ", " + QuotedIdentifier(field.strName) + " " + GeoPackageColumnType(field);
        row += ", ?";
    }
    row += ")";
    if (!Exec(create + ")") || !Exec("CREATE VIRTUAL TABLE " + QuotedIdentifier("rtree_" + table + "_geom") +
                                     " USING rtree(id, minx, maxx, miny, maxy)"))
        return Failure();

    // Rows go in a batch a statement, in order: each statement's own work
    // (beginning, the table's sequence kept) is then done once a batch.
    const size_t nColumns = 2 + m_layer.fields.size();
    const size_t nBatch = std::max<size_t>(1, std::min(kBatchRows, kMostVariables / nColumns));
    auto prepareInsert = [&](size_t nRows) {
        std::string insert = "INSERT INTO " + QuotedIdentifier(table) + " VALUES ";
        for (size_t r = 0; r < nRows; ++r)
            insert += (r ? ", " : "") + row;
        return Prepare(insert);
    };
    UniqueStatement full, tail;
    const bool bMulti = GeometryTypeName(m_layer).compare(0, 5, "MULTI") == 0;
    CEnvelope extent;
    std::vector<CIndexEntry> boxes;
    boxes.reserve(m_layer.features.size());
    std::vector<std::string> blobs(nBatch);
    const size_t nFeatures = m_layer.features.size();
    for (size_t first = 0; first < nFeatures; first += nBatch)
    {
        const size_t nRows = std::min(nBatch, nFeatures - first);
        UniqueStatement& feature = nRows == nBatch ? full : tail;
        if (!feature && !(feature = prepareInsert(nRows)))
            return Failure();
        sqlite3_reset(feature.get());
        for (size_t r = 0; r < nRows; ++r)
        {
            const size_t i = first + r;
            const int nBase = static_cast<int>(r * nColumns);
            CEnvelope envelope;
            blobs[r] = GeometryBlob(m_layer.features[i], m_layer.nKind, bMulti, m_layer.bHasZ, nSrsId, &envelope);
            const std::string& blob = blobs[r];
            const sqlite3_int64 fid = static_cast<sqlite3_int64>(i + 1);
            sqlite3_bind_int64(feature.get(), nBase + 1, fid);
            if (blob.empty())
                sqlite3_bind_null(feature.get(), nBase + 2);
            else
                // Held in blobs until the statement has run: SQLite need not copy it.
                sqlite3_bind_blob(feature.get(), nBase + 2, blob.data(), static_cast<int>(blob.size()), SQLITE_STATIC);
            for (size_t f = 0; f < m_layer.fields.size(); ++f)
            {
                GeoPackageWriteStatus bound = BindValue(feature.get(), nBase + static_cast<int>(f + 3), i, f);
                if (!bound.Ok())
                    return bound;
            }
            if (envelope.bEmpty)
                continue;
            extent.Add(envelope);
            boxes.push_back(CIndexEntry{fid, envelope.minX, envelope.maxX, envelope.minY, envelope.maxY});
        }
        if (sqlite3_step(feature.get()) != SQLITE_DONE)
            return Failure();
    }
    full.reset();
    tail.reset();
    if (!WriteIndex(PackRtree(std::move(boxes))))
        return Failure();

    UniqueStatement contents =
        Prepare("INSERT INTO gpkg_contents (table_name, data_type, identifier, min_x, min_y, max_x, max_y, srs_id) "
                "VALUES (?, 'features', ?, ?, ?, ?, ?, ?)");
    UniqueStatement columns = Prepare("INSERT INTO gpkg_geometry_columns VALUES (?, 'geom', ?, ?, ?, 0)");
    UniqueStatement extension = Prepare("INSERT INTO gpkg_extensions VALUES (?, 'geom', 'gpkg_rtree_index', "
                                        "'http://www.geopackage.org/spec120/#extension_rtree', 'write-only')");
    if (!contents || !columns || !extension)
        return Failure();
    sqlite3_bind_text(contents.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(contents.get(), 2, table.c_str(), -1, SQLITE_TRANSIENT);
    if (!extent.bEmpty)
    {
        sqlite3_bind_double(contents.get(), 3, extent.minX);
        sqlite3_bind_double(contents.get(), 4, extent.minY);
        sqlite3_bind_double(contents.get(), 5, extent.maxX);
        sqlite3_bind_double(contents.get(), 6, extent.maxY);
    }
    sqlite3_bind_int(contents.get(), 7, nSrsId);
    const std::string typeName = GeometryTypeName(m_layer);
    sqlite3_bind_text(columns.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(columns.get(), 2, typeName.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(columns.get(), 3, nSrsId);
    sqlite3_bind_int(columns.get(), 4, m_layer.bHasZ ? 1 : 0);
    sqlite3_bind_text(extension.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(contents.get()) != SQLITE_DONE || sqlite3_step(columns.get()) != SQLITE_DONE ||
        sqlite3_step(extension.get()) != SQLITE_DONE)
        return Failure();
    contents.reset();
    columns.reset();
    extension.reset();
    if (!Exec(ForTable(kIndexTriggers, table)) || !Exec("COMMIT"))
        return Failure();

    sqlite3_int64 cbImage = 0;
    UniqueSqliteMemory image(sqlite3_serialize(m_db.get(), "main", &cbImage, 0));
    if (!image)
        return Failure();
    *pImage = std::move(image);
    *pcbImage = static_cast<size_t>(cbImage);
    return GeoPackageWriteStatus();
}
}   // namespace

GeoPackageWriteStatus WriteGeoPackage(const std::string& path, const CVectorLayer& layer, const CCrsRef& crs,
                                      CFileSystem& files)
{
    UniqueSqliteMemory image;
    size_t cbImage = 0;
    try
    {
        CWriter writer(layer, crs);
        GeoPackageWriteStatus built = writer.Build(&image, &cbImage);
        if (!built.Ok())
            return built;
    }
    catch (const std::bad_alloc&)
    {
        return {GeoPackageWriteError::Database, "out of memory"};
    }
    if (!WriteWholeFile(files, path, std::string_view(reinterpret_cast<const char*>(image.get()), cbImage)))
        return {GeoPackageWriteError::WriteFailed, path};
    return GeoPackageWriteStatus();
}
