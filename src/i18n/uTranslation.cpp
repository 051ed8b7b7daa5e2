#include "uTranslation.h"

#include "uLocalization.h"
#include "uMessageCodes.h"

#include <QCoreApplication>
#include <QDir>

#include <sqlite3.h>

#include <cstring>
#include <string>

namespace {

struct StatementGuard {
    sqlite3_stmt* statement = nullptr;
    ~StatementGuard() { sqlite3_finalize(statement); }
};

bool SameType(const char* declared, const char* name)
{
    return sqlite3_stricmp(declared, name) == 0;
}

} // namespace

// ---------------------------------------------------------------------------

ESQLite::ESQLite(int code)
    : std::runtime_error("SQLite Error:" + std::to_string(code)), code_(code)
{
}

void TSQLBase::Check(int code)
{
    lastResult_ = code;
    if (code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE)
        throw ESQLite(code);
}

const char* TSQLBase::Utf8(const QString& text)
{
    utf8_ = text.toUtf8();
    return utf8_.constData();
}

// ---------------------------------------------------------------------------

TSQLTables::TSQLTables(const QString& fileName, int busyTimeoutMs, int syncMode, OpenMode mode)
{
    const int flags = mode == OpenMode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(Utf8(fileName), &db_, flags, nullptr);
    try {
        Check(rc);
        if (busyTimeoutMs < 5 || busyTimeoutMs > 100)
            busyTimeoutMs = 10;
        Check(sqlite3_busy_timeout(db_, busyTimeoutMs));
        static const char* const kSyncNames[] = {"OFF", "NORMAL", "FULL"};
        const char* sync = syncMode >= 0 && syncMode <= 2 ? kSyncNames[syncMode] : "NORMAL";
        RunStatement(QStringLiteral("PRAGMA synchronous=%1").arg(QLatin1StringView(sync)));
    } catch (...) {
        // A failed open still allocates a handle; the destructor will not run.
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

TSQLTables::~TSQLTables()
{
    if (db_)
        sqlite3_close(db_);
}

void TSQLTables::RunStatement(const QString& sql)
{
    StatementGuard guard;
    Check(sqlite3_prepare_v2(db_, Utf8(sql), -1, &guard.statement, nullptr));
    if (guard.statement)
        Check(sqlite3_step(guard.statement));
}

std::unique_ptr<TSQLTable> TSQLTables::Select(const QString& sql, int memoryKiB, int maxRows)
{
    if (maxRows <= 0 || maxRows > 128)
        maxRows = 128;
    if (memoryKiB <= 0 || memoryKiB > 128)
        memoryKiB = 128;

    std::unique_ptr<TSQLTable> table(new TSQLTable);
    table->byteBudget_ = static_cast<std::size_t>(memoryKiB) * 1024;

    StatementGuard guard;
    Check(sqlite3_prepare_v2(db_, Utf8(sql), -1, &guard.statement, nullptr));
    if (!guard.statement)
        Check(ErrNoStatement);
    sqlite3_stmt* st = guard.statement;

    int rc = sqlite3_step(st);
    Check(rc);
    while (rc == SQLITE_ROW && table->rowCount_ < maxRows) {
        ++table->rowCount_;
        if (table->rowCount_ == 1) {
            table->columnCount_ = sqlite3_column_count(st);
            for (int c = 0; c < table->columnCount_; ++c) {
                table->columnKinds_.push_back(TSQLTable::KindOfDeclaredType(sqlite3_column_decltype(st, c)));
                table->columnNames_.append(QString::fromUtf8(sqlite3_column_name(st, c)));
            }
        }
        for (int c = 0; c < table->columnCount_; ++c) {
            TSQLTable::Cell cell;
            switch (table->columnKinds_[static_cast<std::size_t>(c)]) {
            case TSQLTable::KindText: {
                const auto* text = sqlite3_column_text(st, c);
                const int bytes = sqlite3_column_bytes(st, c);
                QString value = text ? QString::fromUtf8(reinterpret_cast<const char*>(text), bytes) : QString();
                table->Charge((static_cast<std::size_t>(value.size()) + 1) * 2);
                cell = std::move(value);
                break;
            }
            case TSQLTable::KindInteger:
                table->Charge(4);
                cell = static_cast<std::int32_t>(sqlite3_column_int(st, c));
                break;
            case TSQLTable::KindBoolean:
                table->Charge(1);
                cell = sqlite3_column_int64(st, c) != 0;
                break;
            case TSQLTable::KindFloat:
                table->Charge(8);
                cell = sqlite3_column_double(st, c);
                break;
            case TSQLTable::KindBlob: {
                const void* blob = sqlite3_column_blob(st, c);
                const int bytes = sqlite3_column_bytes(st, c);
                if (blob && bytes > 0) {
                    table->Charge(static_cast<std::size_t>(bytes));
                    cell = QByteArray(static_cast<const char*>(blob), bytes);
                }
                break;
            }
            case TSQLTable::KindUntyped:
                break;
            }
            table->cells_.push_back(std::move(cell));
        }
        rc = sqlite3_step(st);
        Check(rc);
    }
    table->currentRow_ = 0;
    if (rc == SQLITE_DONE)
        lastResult_ = SQLITE_OK;
    return table;
}

// ---------------------------------------------------------------------------

TSQLTable::Kind TSQLTable::KindOfDeclaredType(const char* declared)
{
    if (!declared)
        return KindUntyped;
    for (const char* name : {"String", "Char", "VarChar", "TEXT"})
        if (SameType(declared, name))
            return KindText;
    if (SameType(declared, "Integer"))
        return KindInteger;
    if (SameType(declared, "Boolean"))
        return KindBoolean;
    for (const char* name : {"Numeric", "Float", "Double"})
        if (SameType(declared, name))
            return KindFloat;
    if (SameType(declared, "Blob"))
        return KindBlob;
    return KindUntyped;
}

void TSQLTable::Charge(std::size_t bytes)
{
    if (bytes > byteBudget_ - bytesUsed_)
        Check(ErrBudget);
    bytesUsed_ += bytes;
}

void TSQLTable::Next()
{
    if (currentRow_ < rowCount_)
        ++currentRow_;
}

TSQLTable::Kind TSQLTable::ColumnKind(int column) const
{
    if (column < 0 || column >= columnCount_)
        return KindUntyped;
    return columnKinds_[static_cast<std::size_t>(column)];
}

int TSQLTable::ColumnIndex(const QString& name)
{
    if (columnNames_.isEmpty())
        Check(ErrNoColumns);
    const auto index = columnNames_.indexOf(name);
    if (index < 0)
        Check(ErrNoSuchColumn);
    return static_cast<int>(index);
}

QString TSQLTable::TextAt(int column)
{
    if (currentRow_ >= rowCount_)
        Check(ErrNoRow);
    if (column < 0 || column >= columnCount_)
        Check(ErrNoSuchColumn);
    const Cell& cell =
        cells_[static_cast<std::size_t>(currentRow_) * static_cast<std::size_t>(columnCount_) +
               static_cast<std::size_t>(column)];
    if (std::holds_alternative<std::monostate>(cell))
        return QString();
    if (columnKinds_[static_cast<std::size_t>(column)] != KindText)
        Check(ErrNotText);
    lastResult_ = SQLITE_OK;
    return std::get<QString>(cell);
}

// ---------------------------------------------------------------------------

namespace {

std::recursive_mutex gCatalogueMutex;
std::unique_ptr<TSQLTables> gCatalogue;
QString gCataloguePath; // empty: beside the executable

} // namespace

std::recursive_mutex& CatalogueMutex()
{
    return gCatalogueMutex;
}

QString CataloguePath()
{
    std::lock_guard lock(gCatalogueMutex);
    if (!gCataloguePath.isEmpty())
        return gCataloguePath;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("languages.db"));
}

void SetCataloguePath(const QString& path)
{
    std::lock_guard lock(gCatalogueMutex);
    gCatalogue.reset();
    gCataloguePath = path;
}

TSQLTables& Catalogue()
{
    std::lock_guard lock(gCatalogueMutex);
    if (!gCatalogue) {
        // Read-only: a missing catalogue is an error, not a new empty file in
        // the program's folder.
        gCatalogue = std::make_unique<TSQLTables>(CataloguePath(), 10, 1, TSQLTables::OpenMode::ReadOnly);
    }
    return *gCatalogue;
}

void LookupMessage(int language, int code, QString& text)
{
    const QString sql = QStringLiteral("SELECT Message FROM translation WHERE LanguageCode = %1 AND MessageCode = %2;")
                            .arg(language)
                            .arg(code);
    std::lock_guard lock(gCatalogueMutex);
    const std::unique_ptr<TSQLTable> table = Catalogue().Select(sql, 10, 10);
    if (table->RowCount() > 0)
        text = table->TextAt(table->ColumnIndex(QStringLiteral("Message")));
}

QString MessageTextIn(int language, int code)
{
    QString result;
    LookupMessage(language, code, result);
    if (result.isEmpty())
        LookupMessage(lang::English, code, result);
    return result;
}

QString MessageText(int code)
{
    return MessageTextIn(CurrentLanguage(), code);
}

QString ResultText(int resultCode)
{
    return MessageText(msg::ResultMessageCode(resultCode));
}

QString SettingsResultText(int resultCode, bool clock)
{
    if (clock && resultCode == -110)
        return MessageText(msg::ClockRefused74);
    return ResultText(resultCode);
}
