#include "CatalogueFixture.h"
#include "uLocalization.h"
#include "uMessageCodes.h"
#include "uTranslation.h"

#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

int ErrorCodeOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ESQLite& e) {
        EXPECT_EQ(std::string(e.what()), "SQLite Error:" + std::to_string(e.Code()));
        return e.Code();
    }
    return 0;
}

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("languages.db"));
    }
    void TearDown() override
    {
        SetCataloguePath(QString());
        SetCurrentLanguage(0);
    }
    void Use(const std::vector<TRow>& rows, const std::string& messageType = "TEXT")
    {
        WriteCatalogueDb(path, rows, messageType);
        SetCataloguePath(path);
    }

    QTemporaryDir dir;
    QString path;
};

TEST_F(CatalogueTest, FallsBackToEnglishThenToEmpty)
{
    Use({{3, 140, "No answer"}, {2, 140, "Pas de r\xC3\xA9ponse"}, {3, 157, "Write failed"},
         {11, 157, "\xCE\x91\xCE\xB2"}, {2, 158, ""}, {3, 158, "No F0"}, {2, 159, std::nullopt}, {3, 159, "No F1"}});
    struct Case {
        int language;
        int code;
        QString expected;
    };
    const Case cases[] = {
        {2, 140, QStringLiteral("Pas de réponse")},
        {11, 157, QStringLiteral("Αβ")},           // UTF-8 comes back as UTF-16
        {5, 157, QStringLiteral("Write failed")},  // only English has it
        {0, 140, QStringLiteral("No answer")},     // before start-up sets a language
        {1, 140, QStringLiteral("No answer")},     // a code without a flag
        {99, 140, QStringLiteral("No answer")},
        {2, 158, QStringLiteral("No F0")},         // empty text counts as missing
        {2, 159, QStringLiteral("No F1")},         // so does NULL
        {2, 747, QString()},                       // in no language
    };
    for (const Case& c : cases)
        EXPECT_EQ(MessageTextIn(c.language, c.code), c.expected) << c.language << "/" << c.code;
}

TEST_F(CatalogueTest, MessageTextFollowsTheCurrentLanguage)
{
    Use({{3, 143, "Cancelled"}, {5, 143, "Abgebrochen"}, {3, msg::ResultUnknown, "Unexpected"}});
    EXPECT_EQ(MessageText(143), QStringLiteral("Cancelled"));
    SetCurrentLanguage(5);
    EXPECT_EQ(MessageText(143), QStringLiteral("Abgebrochen"));
    EXPECT_EQ(ResultText(-110), QStringLiteral("Abgebrochen"));
    EXPECT_EQ(ResultText(-4242), QStringLiteral("Unexpected"));
}

TEST_F(CatalogueTest, LookupLeavesTextAloneWithoutARow)
{
    Use({{3, 140, "x"}});
    QString text = QStringLiteral("before");
    LookupMessage(3, 141, text);
    EXPECT_EQ(text, QStringLiteral("before"));
}

TEST_F(CatalogueTest, TextBudgetIs5119Characters)
{
    Use({{3, 1, std::string(5119, 'a')}, {3, 2, std::string(5120, 'a')}});
    EXPECT_EQ(MessageTextIn(3, 1).size(), 5119);
    EXPECT_EQ(ErrorCodeOf([] { MessageTextIn(3, 2); }), 26);
}

TEST_F(CatalogueTest, FirstOfTwoRowsWins)
{
    Use({{3, 140, "first"}, {3, 140, "second"}});
    EXPECT_EQ(MessageTextIn(3, 140), QStringLiteral("first"));
}

TEST_F(CatalogueTest, DeclaredTypeOfMessageDecidesTheKind)
{
    struct Case {
        const char* type;
        int error;     // 0: no error
        bool hasText;  // when no error
    };
    const Case cases[] = {
        {"TEXT", 0, true},      {"text", 0, true},     {"String", 0, true}, {"CHAR", 0, true},
        {"varchar", 0, true},   {"VARCHAR(255)", 0, false}, {"", 0, false}, {"INT", 0, false},
        {"Integer", 29, false}, {"Numeric", 29, false}, {"Float", 29, false}, {"Double", 29, false},
        {"Boolean", 29, false}, {"Blob", 29, false},
    };
    for (const Case& c : cases) {
        QFile::remove(path);
        Use({{3, 140, "Hello"}}, c.type);
        QString text;
        const int error = ErrorCodeOf([&] { text = MessageTextIn(3, 140); });
        EXPECT_EQ(error, c.error) << c.type;
        if (c.error == 0) {
            EXPECT_EQ(text, c.hasText ? QStringLiteral("Hello") : QString()) << c.type;
        }
    }
}

TEST_F(CatalogueTest, MissingFileIsAnErrorAndIsNotCreated)
{
    SetCataloguePath(path);
    EXPECT_EQ(ErrorCodeOf([] { MessageTextIn(3, 140); }), SQLITE_CANTOPEN);
    EXPECT_FALSE(QFile::exists(path));
    // Nothing was kept: the next lookup opens the file that is there now.
    WriteCatalogueDb(path, {{3, 140, "found"}});
    EXPECT_EQ(MessageTextIn(3, 140), QStringLiteral("found"));
}

TEST_F(CatalogueTest, MissingTableIsAnSQLiteError)
{
    WriteCatalogueDb(path, {});
    {
        TSQLTables db(path, 10, 1);
        db.RunStatement(QStringLiteral("DROP TABLE translation;"));
    }
    SetCataloguePath(path);
    EXPECT_EQ(ErrorCodeOf([] { MessageTextIn(3, 140); }), SQLITE_ERROR);
}

TEST_F(CatalogueTest, TwoThreadsShareTheConnection)
{
    std::vector<TRow> rows;
    for (int code = 1; code <= 50; ++code) {
        rows.push_back({3, code, "en" + std::to_string(code)});
        rows.push_back({5, code, "de" + std::to_string(code)});
    }
    Use(rows);
    MessageTextIn(3, 1); // the UI thread opens the connection before any worker exists
    std::atomic<int> wrong{0};
    auto work = [&](int language, const char* prefix) {
        for (int round = 0; round < 20; ++round)
            for (int code = 1; code <= 50; ++code)
                if (MessageTextIn(language, code) != QString::fromLatin1(prefix) + QString::number(code))
                    ++wrong;
    };
    std::thread worker(work, 5, "de");
    work(3, "en");
    worker.join();
    EXPECT_EQ(wrong.load(), 0);
}

// --- the database layer itself ----------------------------------------------

class SqlTest : public CatalogueTest {
protected:
    void SetUp() override
    {
        CatalogueTest::SetUp();
        db = std::make_unique<TSQLTables>(path, 10, 1);
        db->RunStatement(QStringLiteral(
            "CREATE TABLE t (s TEXT, i Integer, b Boolean, f Double, x Blob, u VARCHAR(9), n TEXT);"));
        db->RunStatement(QStringLiteral("BEGIN;"));
        for (int r = 0; r < 200; ++r)
            db->RunStatement(QStringLiteral("INSERT INTO t VALUES ('r%1', %1, %1 % 2, 0.5, x'0102', 'u', NULL);")
                                 .arg(r));
        db->RunStatement(QStringLiteral("COMMIT;"));
    }
    std::unique_ptr<TSQLTables> db;
};

TEST_F(SqlTest, ReadWriteOpenCreatesReadOnlyDoesNot)
{
    EXPECT_TRUE(QFile::exists(path));
    const QString other = dir.filePath(QStringLiteral("other.db"));
    EXPECT_EQ(ErrorCodeOf([&] { TSQLTables ro(other, 10, 1, TSQLTables::OpenMode::ReadOnly); }), SQLITE_CANTOPEN);
    EXPECT_FALSE(QFile::exists(other));
}

TEST_F(SqlTest, ColumnKindsAndCells)
{
    const auto table = db->Select(QStringLiteral("SELECT * FROM t WHERE i = 3;"), 10, 10);
    ASSERT_EQ(table->RowCount(), 1);
    const TSQLTable::Kind kinds[] = {TSQLTable::KindText,  TSQLTable::KindInteger, TSQLTable::KindBoolean,
                                     TSQLTable::KindFloat, TSQLTable::KindBlob,    TSQLTable::KindUntyped,
                                     TSQLTable::KindText};
    ASSERT_EQ(table->ColumnCount(), 7);
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(table->ColumnKind(c), kinds[c]) << c;
    EXPECT_EQ(table->TextAt(table->ColumnIndex(QStringLiteral("s"))), QStringLiteral("r3"));
    EXPECT_EQ(table->TextAt(table->ColumnIndex(QStringLiteral("u"))), QString()); // untyped: empty
    EXPECT_EQ(table->TextAt(table->ColumnIndex(QStringLiteral("n"))), QString()); // NULL text
    EXPECT_EQ(table->LastResult(), 0);
    for (const char* name : {"i", "b", "f", "x"})
        EXPECT_EQ(ErrorCodeOf([&] { table->TextAt(table->ColumnIndex(QString::fromLatin1(name))); }), 29) << name;
}

TEST_F(SqlTest, RowLimits)
{
    struct Case {
        int maxRows;
        int expected;
    };
    for (const Case c : {Case{2, 2}, Case{128, 128}, Case{0, 128}, Case{-1, 128}, Case{500, 128}})
        EXPECT_EQ(db->Select(QStringLiteral("SELECT s FROM t;"), 128, c.maxRows)->RowCount(), c.expected)
            << c.maxRows;
    EXPECT_EQ(db->Select(QStringLiteral("SELECT s FROM t WHERE i < 5;"), 10, 10)->RowCount(), 5);
}

TEST_F(SqlTest, ByteBudget)
{
    // 10 rows of "rN" cost 10 * 6 bytes; the budget is KiB * 1024 and 0 means 128 KiB.
    EXPECT_NO_THROW(db->Select(QStringLiteral("SELECT s FROM t;"), 0, 128));
    db->RunStatement(QStringLiteral("CREATE TABLE big (s TEXT);"));
    db->RunStatement(QStringLiteral("INSERT INTO big VALUES (replace(hex(zeroblob(511)), '00', 'a'));")); // (511 + 1) * 2 = 1024
    db->RunStatement(QStringLiteral("INSERT INTO big VALUES ('b');"));
    EXPECT_EQ(db->Select(QStringLiteral("SELECT s FROM big LIMIT 1;"), 1, 10)->RowCount(), 1);
    EXPECT_EQ(ErrorCodeOf([&] { db->Select(QStringLiteral("SELECT s FROM big;"), 1, 10); }), 26);
}

TEST_F(SqlTest, WrapperErrorCodes)
{
    EXPECT_EQ(ErrorCodeOf([&] { db->Select(QStringLiteral("  -- nothing\n"), 10, 10); }), 25);
    const auto none = db->Select(QStringLiteral("SELECT s FROM t WHERE i < 0;"), 10, 10);
    EXPECT_EQ(none->RowCount(), 0);
    EXPECT_TRUE(none->AtEnd());
    EXPECT_EQ(ErrorCodeOf([&] { none->ColumnIndex(QStringLiteral("s")); }), 27);
    EXPECT_EQ(ErrorCodeOf([&] { none->TextAt(0); }), 30);

    const auto two = db->Select(QStringLiteral("SELECT s FROM t WHERE i < 2;"), 10, 10);
    EXPECT_EQ(ErrorCodeOf([&] { two->ColumnIndex(QStringLiteral("nope")); }), 28);
    EXPECT_EQ(ErrorCodeOf([&] { two->TextAt(7); }), 28); // no such column, never a read out of bounds
    EXPECT_EQ(two->TextAt(0), QStringLiteral("r0"));
    two->Next();
    EXPECT_EQ(two->TextAt(0), QStringLiteral("r1"));
    two->Next();
    EXPECT_TRUE(two->AtEnd());
    EXPECT_EQ(ErrorCodeOf([&] { two->TextAt(0); }), 30);

    EXPECT_EQ(ErrorCodeOf([&] { db->RunStatement(QStringLiteral("SELEKT 1;")); }), SQLITE_ERROR);
    EXPECT_EQ(db->LastResult(), SQLITE_ERROR);
}

TEST(SqlCheck, PassesOnlyOkRowAndDone)
{
    struct Probe : TSQLBase {};
    Probe probe;
    for (int code : {SQLITE_OK, SQLITE_ROW, SQLITE_DONE}) {
        EXPECT_NO_THROW(probe.Check(code));
        EXPECT_EQ(probe.LastResult(), code);
    }
    for (int code : {SQLITE_ERROR, SQLITE_BUSY, 25, 30, -1})
        EXPECT_EQ(ErrorCodeOf([&] { probe.Check(code); }), code);
}

} // namespace
