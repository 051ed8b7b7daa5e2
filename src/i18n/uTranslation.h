#pragma once
// The message catalogue: every user-visible text, by message code and
// interface language, from the SQLite file languages.db beside the executable;
// and the thin SQLite layer under it (the program's only SQLite user).
//
// Failures raise ESQLite "SQLite Error:<code>": SQLite's own result codes, and
// the layer's codes
//   25 the SQL text produced no statement     28 no column has that name
//   26 the result exceeds the byte budget     29 the column is not text
//   27 a column asked of a result with none   30 there is no current row

#include "uMessageCodes.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <variant>
#include <vector>

struct sqlite3;

class ESQLite : public std::runtime_error {
public:
    explicit ESQLite(int code);
    int Code() const { return code_; }

private:
    int code_;
};

class TSQLBase {
public:
    enum : int {
        ErrNoStatement = 25,
        ErrBudget = 26,
        ErrNoColumns = 27,
        ErrNoSuchColumn = 28,
        ErrNotText = 29,
        ErrNoRow = 30,
    };

    virtual ~TSQLBase() = default;
    // Stores the code; 0 (OK), 100 (ROW) and 101 (DONE) pass, any other raises.
    void Check(int code);
    int LastResult() const { return lastResult_; }

protected:
    // UTF-8 of text, valid until the next call.
    const char* Utf8(const QString& text);

    int lastResult_ = 0;

private:
    QByteArray utf8_;
};

class TSQLTable;

// One open connection.
class TSQLTables : public TSQLBase {
public:
    enum class OpenMode {
        ReadWrite, // creates the file when missing
        ReadOnly,  // a missing file raises SQLITE_CANTOPEN (14)
    };

    // busyTimeoutMs outside 5..100 becomes 10; syncMode 0 OFF, 1 NORMAL, 2 FULL
    // (anything else NORMAL).
    TSQLTables(const QString& fileName, int busyTimeoutMs, int syncMode, OpenMode mode = OpenMode::ReadWrite);
    ~TSQLTables() override;
    TSQLTables(const TSQLTables&) = delete;
    TSQLTables& operator=(const TSQLTables&) = delete;

    // A statement that returns no rows.
    void RunStatement(const QString& sql);
    // The buffered result of one query: at most maxRows rows (0 or above 128:
    // 128) and memoryKiB KiB of cells (0 or above 128: 128).
    std::unique_ptr<TSQLTable> Select(const QString& sql, int memoryKiB, int maxRows);

private:
    sqlite3* db_ = nullptr;
};

// The fully buffered result of one SELECT.
class TSQLTable : public TSQLBase {
public:
    // From the declared type of a column, compared as a whole, ignoring case.
    enum Kind : std::uint8_t {
        KindText = 0,    // String, Char, VarChar, TEXT
        KindInteger = 1, // Integer
        KindBoolean = 2, // Boolean
        KindFloat = 3,   // Numeric, Float, Double
        KindBlob = 4,    // Blob
        KindUntyped = 5, // anything else, or none: the cells stay empty
    };

    int RowCount() const { return rowCount_; }
    int ColumnCount() const { return columnCount_; }
    int CurrentRow() const { return currentRow_; }
    bool AtEnd() const { return currentRow_ == rowCount_; }
    void Next();
    Kind ColumnKind(int column) const;

    int ColumnIndex(const QString& name);
    // The text of column in the current row; an empty cell gives "".
    QString TextAt(int column);

private:
    friend class TSQLTables;
    using Cell = std::variant<std::monostate, QString, std::int32_t, bool, double, QByteArray>;

    static Kind KindOfDeclaredType(const char* declared);
    void Charge(std::size_t bytes);

    QList<QString> columnNames_;
    std::vector<Kind> columnKinds_;
    std::vector<Cell> cells_;
    int columnCount_ = 0;
    int currentRow_ = 0;
    int rowCount_ = 0;
    std::size_t bytesUsed_ = 0;
    std::size_t byteBudget_ = 0;
};

// The shared connection to the catalogue, opened read-only on first use with
// busy time-out 10 and synchronous NORMAL. A failed open keeps nothing, so the
// next call tries again. Callers other than the lookups below hold
// CatalogueMutex() while they use it.
TSQLTables& Catalogue();
std::recursive_mutex& CatalogueMutex();

// Where the catalogue is looked for: the executable's folder + "languages.db",
// unless set here. Setting a path closes the open connection, if any.
QString CataloguePath();
void SetCataloguePath(const QString& path);

// Stores the text of (language, code) in text when a row exists; leaves it
// alone otherwise. Safe from any thread.
void LookupMessage(int language, int code, QString& text);
// The text in language, else in English (3), else "".
QString MessageTextIn(int language, int code);
// MessageTextIn(CurrentLanguage(), code).
QString MessageText(int code);

// The message code and the text for a worker or exchange result code.
using msg::ResultMessageCode;
QString ResultText(int resultCode);
// The text of a settings or clock flow's result: about the settings or the
// clock, never about a download (a clock write refused with 74h shares its
// code with a cancelled download).
QString SettingsResultText(int resultCode, bool clock);
