#include "uRegisterCache.h"

#include <sqlite3.h>

#include <system_error>

namespace reg {
namespace {

// Raised with the schema or with what a row means.
constexpr const char* kVersion = "1";

class TStatement {
public:
    TStatement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) {
            sqlite3_finalize(statement_);
            statement_ = nullptr;
        }
    }
    ~TStatement() { sqlite3_finalize(statement_); }
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    explicit operator bool() const { return statement_ != nullptr; }
    sqlite3_stmt* get() const { return statement_; }

    void Bind(int index, const std::string& text)
    {
        sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    void Bind(int index, std::int64_t value) { sqlite3_bind_int64(statement_, index, value); }
    std::string Text(int column) const
    {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))) : std::string();
    }
    std::int64_t Int(int column) const { return sqlite3_column_int64(statement_, column); }
    // One step of a statement that returns no rows; reset for the next use.
    bool Run()
    {
        const int rc = sqlite3_step(statement_);
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
        return rc == SQLITE_DONE;
    }

private:
    sqlite3_stmt* statement_ = nullptr;
};

bool Exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

std::string Meta(sqlite3* db, const char* key)
{
    TStatement select(db, "SELECT value FROM meta WHERE key = ?1");
    if (!select)
        return {};
    select.Bind(1, std::string(key));
    return sqlite3_step(select.get()) == SQLITE_ROW ? select.Text(0) : std::string();
}

bool SetMeta(sqlite3* db, const char* key, const std::string& value)
{
    TStatement insert(db, "INSERT OR REPLACE INTO meta (key, value) VALUES (?1, ?2)");
    if (!insert)
        return false;
    insert.Bind(1, std::string(key));
    insert.Bind(2, value);
    return insert.Run();
}

// The tables as this version writes them, emptied when made by another
// version or with other trusted keys.
bool Prepare(sqlite3* db, const std::string& trust)
{
    if (!Exec(db, "CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)"))
        return false;
    const bool current = Meta(db, "version") == kVersion && Meta(db, "trust") == trust;
    if (!current && !Exec(db, "DROP TABLE IF EXISTS files"))
        return false;
    if (!Exec(db, "CREATE TABLE IF NOT EXISTS files ("
                  " path TEXT PRIMARY KEY, folder TEXT NOT NULL, size INTEGER NOT NULL, mtime INTEGER NOT NULL,"
                  " kind INTEGER NOT NULL, reason TEXT NOT NULL, card_number TEXT NOT NULL, holder TEXT NOT NULL,"
                  " nation TEXT NOT NULL, nation_code INTEGER NOT NULL, card_expiry TEXT NOT NULL,"
                  " registration TEXT NOT NULL, vin TEXT NOT NULL,"
                  " last_download INTEGER NOT NULL, verdict INTEGER NOT NULL)")
        || !Exec(db, "CREATE INDEX IF NOT EXISTS files_folder ON files (folder)"))
        return false;
    if (current)
        return true;
    return SetMeta(db, "version", kVersion) && SetMeta(db, "trust", trust);
}

// A kind or verdict from another build of the cache reads as nothing known.
bool Decode(std::int64_t kind, std::int64_t verdict, TFileFacts& facts)
{
    if (kind < 0 || kind > static_cast<std::int64_t>(TFileKind::Unreadable) || verdict < 0
        || verdict > static_cast<std::int64_t>(views::TVerdict::NotCheckable))
        return false;
    facts.kind = static_cast<TFileKind>(kind);
    facts.verdict = static_cast<views::TVerdict>(verdict);
    return true;
}

void RemoveDatabase(const std::filesystem::path& file)
{
    std::error_code ec;
    std::filesystem::remove(file, ec);
    std::filesystem::remove(file.string() + "-journal", ec);
}

} // namespace

TRegisterCache::TRegisterCache(const std::filesystem::path& file, const std::string& trust)
{
    if (file.empty())
        return;
    TOpen open = Open(file, trust);
    if (open == TOpen::Corrupt) {
        // It held only what can be read again.
        Close();
        RemoveDatabase(file);
        open = Open(file, trust);
    }
    if (open != TOpen::Ok)
        Close();
}

TRegisterCache::~TRegisterCache() { Close(); }

void TRegisterCache::Close()
{
    sqlite3_close(db_);
    db_ = nullptr;
}

TRegisterCache::TOpen TRegisterCache::Open(const std::filesystem::path& file, const std::string& trust)
{
    std::error_code ec;
    if (file.has_parent_path())
        std::filesystem::create_directories(file.parent_path(), ec);
    if (sqlite3_open_v2(reinterpret_cast<const char*>(file.u8string().c_str()), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr)
        != SQLITE_OK)
        return TOpen::Unavailable;
    // Another run (the window and the command line) may be writing it.
    sqlite3_busy_timeout(db_, 2000);
    const bool ok = Exec(db_, "PRAGMA synchronous = NORMAL") && Exec(db_, "BEGIN IMMEDIATE") && Prepare(db_, trust) && Exec(db_, "COMMIT");
    if (ok)
        return TOpen::Ok;
    const int error = sqlite3_errcode(db_) & 0xFF;
    Exec(db_, "ROLLBACK");
    return error == SQLITE_NOTADB || error == SQLITE_CORRUPT ? TOpen::Corrupt : TOpen::Unavailable;
}

std::unordered_map<std::string, TCachedFile> TRegisterCache::Folder(const std::string& folder)
{
    std::unordered_map<std::string, TCachedFile> files;
    if (!db_)
        return files;
    TStatement select(db_, "SELECT path, size, mtime, kind, reason, card_number, holder, nation, card_expiry,"
                           " registration, vin, last_download, verdict, nation_code FROM files WHERE folder = ?1");
    if (!select)
        return files;
    select.Bind(1, folder);
    while (sqlite3_step(select.get()) == SQLITE_ROW) {
        TCachedFile file;
        file.size = select.Int(1);
        file.mtime = select.Int(2);
        if (!Decode(select.Int(3), select.Int(12), file.facts))
            continue;
        TFileFacts& f = file.facts;
        f.reason = select.Text(4);
        f.cardNumber = select.Text(5);
        f.holder = select.Text(6);
        f.nation = select.Text(7);
        f.cardExpiry = select.Text(8);
        f.registration = select.Text(9);
        f.vin = select.Text(10);
        const std::int64_t last = select.Int(11);
        f.lastDownload = last >= 0 && last <= 0xFFFFFFFF ? static_cast<std::uint32_t>(last) : 0;
        f.nationCode = static_cast<std::uint8_t>(select.Int(13) & 0xFF);
        files.emplace(select.Text(0), std::move(file));
    }
    return files;
}

bool TRegisterCache::Update(const std::vector<TCacheEntry>& learnt, const std::vector<std::string>& gone)
{
    if (!db_ || (learnt.empty() && gone.empty()))
        return db_ != nullptr;
    if (!Exec(db_, "BEGIN IMMEDIATE"))
        return false;
    TStatement insert(db_, "INSERT OR REPLACE INTO files (path, folder, size, mtime, kind, reason, card_number,"
                           " holder, nation, card_expiry, registration, vin, last_download, verdict, nation_code)"
                           " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15)");
    TStatement remove(db_, "DELETE FROM files WHERE path = ?1");
    bool ok = insert && remove;
    for (std::size_t i = 0; ok && i < learnt.size(); ++i) {
        const TCacheEntry& entry = learnt[i];
        const TFileFacts& f = entry.file.facts;
        insert.Bind(1, entry.path);
        insert.Bind(2, entry.folder);
        insert.Bind(3, entry.file.size);
        insert.Bind(4, entry.file.mtime);
        insert.Bind(5, static_cast<std::int64_t>(f.kind));
        insert.Bind(6, f.reason);
        insert.Bind(7, f.cardNumber);
        insert.Bind(8, f.holder);
        insert.Bind(9, f.nation);
        insert.Bind(10, f.cardExpiry);
        insert.Bind(11, f.registration);
        insert.Bind(12, f.vin);
        insert.Bind(13, static_cast<std::int64_t>(f.lastDownload));
        insert.Bind(14, static_cast<std::int64_t>(f.verdict));
        insert.Bind(15, static_cast<std::int64_t>(f.nationCode));
        ok = insert.Run();
    }
    for (std::size_t i = 0; ok && i < gone.size(); ++i) {
        remove.Bind(1, gone[i]);
        ok = remove.Run();
    }
    if (ok && Exec(db_, "COMMIT"))
        return true;
    Exec(db_, "ROLLBACK");
    return false;
}

} // namespace reg
