#pragma once
// Catalogue databases built by the tests themselves, with the SQLite C API,
// in a temporary folder.

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct TRow {
    int language;
    int code;
    std::optional<std::string> text; // nullopt: NULL
};

inline void ExecOrThrow(sqlite3* db, const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string what = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(sql + ": " + what);
    }
}

// A translation table whose Message column is declared messageType (empty: no type).
inline void WriteCatalogueDb(const QString& path, const std::vector<TRow>& rows,
                             const std::string& messageType = "TEXT")
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot create test catalogue");
    }
    ExecOrThrow(db, "CREATE TABLE translation (LanguageCode INTEGER, MessageCode INTEGER, Message " + messageType +
                        ");");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO translation VALUES (?1, ?2, ?3);", -1, &insert, nullptr);
    for (const TRow& row : rows) {
        sqlite3_bind_int(insert, 1, row.language);
        sqlite3_bind_int(insert, 2, row.code);
        if (row.text)
            sqlite3_bind_text(insert, 3, row.text->data(), static_cast<int>(row.text->size()), SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(insert, 3);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
}
