// Owners of SQLite's handles and memory, for the GeoPackage reader and writer.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

struct SqliteDatabaseCloser
{
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct SqliteStatementFinalizer
{
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
struct SqliteFree
{
    void operator()(unsigned char* p) const { sqlite3_free(p); }
};
using UniqueDatabase = std::unique_ptr<sqlite3, SqliteDatabaseCloser>;
using UniqueStatement = std::unique_ptr<sqlite3_stmt, SqliteStatementFinalizer>;
using UniqueSqliteMemory = std::unique_ptr<unsigned char, SqliteFree>;

inline UniqueStatement PrepareStatement(sqlite3* db, const char* pszSql)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, pszSql, -1, &statement, nullptr);
    return UniqueStatement(statement);
}

// An SQL identifier in double quotes (quotes inside doubled).
inline std::string QuotedIdentifier(const std::string& name)
{
    std::string out = "\"";
    for (char c : name)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}
