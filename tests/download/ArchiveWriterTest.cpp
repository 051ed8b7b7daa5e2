#include "uArchiveWriter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray AsArray(const Bytes& b) { return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size())); }

QStringList Entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
}

} // namespace

TEST(SafeArchiveName, KeepsNamesInsideTheDestination)
{
    const struct {
        QString in;
        QString out;
    } cases[] = {
        {"C_20240131_1542_P_MARTIN_ABC1234567890001.DDD", "C_20240131_1542_P_MARTIN_ABC1234567890001.DDD"},
        {"M_20240131_1542_AB 123 CD_XYZ.DDD", "M_20240131_1542_AB 123 CD_XYZ.DDD"},
        {QString::fromLatin1("C_x_MI\xD1" "ANO_1.DDD"), QString::fromLatin1("C_x_MI\xD1" "ANO_1.DDD")},
        {"S_x_../../etc/passwd_.DDD", "S_x_.._.._etc_passwd_.DDD"},
        {"C_x_a\\b.DDD", "C_x_a_b.DDD"},
        {QString("C_\x01\x1F\t\n.DDD"), "C_____.DDD"},
        {QString::fromLatin1("a\0b", 3), "a_b"},
        // DEL and the C1 codes a terminal may read as escape sequences.
        {QString::fromLatin1("C_\x7F\x80\x9B\x9F\xA0.DDD"), QString::fromLatin1("C_____\xA0.DDD")},
        {"...", "..."},
        {"/", "_"},
        {"", ""},
        {".", ""},
        {"..", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SafeArchiveName(c.in), c.out) << c.in.toStdString();
}

TEST(NumberedArchiveName, GoesBeforeTheExtension)
{
    EXPECT_EQ(NumberedArchiveName("C_x.DDD", 2), "C_x_2.DDD");
    EXPECT_EQ(NumberedArchiveName("a.b.V1B", 3), "a.b_3.V1B");
    EXPECT_EQ(NumberedArchiveName("noext", 2), "noext_2");
    EXPECT_EQ(NumberedArchiveName(".DDD", 2), ".DDD_2");
}

TEST(WriteArchiveFile, WritesSkipsIdenticalAndNeverOverwrites)
{
    QTemporaryDir dir;
    const Bytes first{1, 2, 3};
    const Bytes second{4, 5, 6, 7};

    TWriteResult r = WriteArchiveFile(dir.path(), "A.DDD", first);
    EXPECT_EQ(r.outcome, TArchiveOutcome::Written);
    EXPECT_EQ(r.fileName, "A.DDD");

    r = WriteArchiveFile(dir.path(), "A.DDD", first);
    EXPECT_EQ(r.outcome, TArchiveOutcome::SkippedIdentical);
    EXPECT_EQ(r.fileName, "A.DDD");

    r = WriteArchiveFile(dir.path(), "A.DDD", second);
    EXPECT_EQ(r.outcome, TArchiveOutcome::WrittenUnderOtherName);
    EXPECT_EQ(r.fileName, "A_2.DDD");

    // The repeat of the second archive finds its numbered copy.
    r = WriteArchiveFile(dir.path(), "A.DDD", second);
    EXPECT_EQ(r.outcome, TArchiveOutcome::SkippedIdentical);
    EXPECT_EQ(r.fileName, "A_2.DDD");

    r = WriteArchiveFile(dir.path(), "A.DDD", Bytes{1, 2, 4});  // same size, other bytes
    EXPECT_EQ(r.outcome, TArchiveOutcome::WrittenUnderOtherName);
    EXPECT_EQ(r.fileName, "A_3.DDD");

    EXPECT_EQ(ReadAll(dir.filePath("A.DDD")), AsArray(first));
    EXPECT_EQ(ReadAll(dir.filePath("A_2.DDD")), AsArray(second));
    EXPECT_EQ(Entries(dir.path()), (QStringList{"A.DDD", "A_2.DDD", "A_3.DDD"}));  // no temporary left
}

TEST(WriteArchiveFile, NumberSearchGoesOnFromWhereItIsToldYetComparesTheNameItself)
{
    QTemporaryDir dir;
    ASSERT_EQ(WriteArchiveFile(dir.path(), "A.DDD", Bytes{1}).number, 1);
    ASSERT_EQ(WriteArchiveFile(dir.path(), "A.DDD", Bytes{2}).number, 2);

    TWriteResult r = WriteArchiveFile(dir.path(), "A.DDD", Bytes{3}, {}, 2);
    EXPECT_EQ(r.outcome, TArchiveOutcome::WrittenUnderOtherName);
    EXPECT_EQ(r.fileName, "A_3.DDD");
    EXPECT_EQ(r.number, 3);

    r = WriteArchiveFile(dir.path(), "A.DDD", Bytes{1}, {}, 3);
    EXPECT_EQ(r.outcome, TArchiveOutcome::SkippedIdentical);
    EXPECT_EQ(r.fileName, "A.DDD");
    EXPECT_EQ(r.number, 1);
    EXPECT_EQ(Entries(dir.path()), (QStringList{"A.DDD", "A_2.DDD", "A_3.DDD"}));
}

TEST(WriteArchiveFile, NameTakenWhileWritingIsNotOverwritten)
{
    QTemporaryDir dir;
    // Another writer creates the name after our check, before our file is placed.
    const TContentWriter racing = [&](QFileDevice& file, std::span<const std::uint8_t> bytes) {
        QFile other(dir.filePath("A.DDD"));
        if (!other.open(QIODevice::WriteOnly) || other.write("theirs") != 6)
            return false;
        other.close();
        return file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size());
    };
    const TWriteResult r = WriteArchiveFile(dir.path(), "A.DDD", Bytes{1, 2, 3}, racing);
    EXPECT_EQ(r.outcome, TArchiveOutcome::WrittenUnderOtherName);
    EXPECT_EQ(r.fileName, "A_2.DDD");
    EXPECT_EQ(ReadAll(dir.filePath("A.DDD")), "theirs");
    EXPECT_EQ(ReadAll(dir.filePath("A_2.DDD")), AsArray(Bytes{1, 2, 3}));
    EXPECT_EQ(Entries(dir.path()), (QStringList{"A.DDD", "A_2.DDD"}));
}

TEST(WriteArchiveFile, ArchiveGetsTheUsualPermissions)
{
    QTemporaryDir dir;
    ASSERT_EQ(WriteArchiveFile(dir.path(), "A.DDD", Bytes{1}).outcome, TArchiveOutcome::Written);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(dir.filePath("A.DDD")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST(WriteArchiveFile, NameFromDeviceDataStaysInTheDestination)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkdir("dest"));
    const QString dest = root.filePath("dest");

    const TWriteResult r = WriteArchiveFile(dest, "../escape.DDD", Bytes{1, 2});
    EXPECT_EQ(r.outcome, TArchiveOutcome::Written);
    EXPECT_EQ(r.fileName, ".._escape.DDD");
    EXPECT_EQ(Entries(root.path()), QStringList{});
    EXPECT_EQ(Entries(dest), QStringList{".._escape.DDD"});

    for (const QString& refused : {QString(), QString("."), QString("..")})
        EXPECT_EQ(WriteArchiveFile(dest, refused, Bytes{1}).outcome, TArchiveOutcome::Failed) << refused.toStdString();
}

// A FIFO or anything else but a regular file under the name is never
// opened (opening a FIFO waits for a writer for ever): the name is taken.
TEST(WriteArchiveFile, ANameTakenByAFifoIsTakenNotOpened)
{
    QTemporaryDir dir;
    const Bytes bytes{1, 2, 3};
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("A.DDD")).constData(), 0600), 0);
    TArchiveIndex index(dir.path());
    const TWriteResult r = WriteArchiveFile(dir.path(), "A.DDD", bytes, {}, 1, &index);
    EXPECT_EQ(r.outcome, TArchiveOutcome::WrittenUnderOtherName);
    EXPECT_EQ(r.fileName, "A_2.DDD");
    EXPECT_EQ(ReadAll(dir.filePath("A_2.DDD")), AsArray(bytes));
}

// The same bytes under any name of the destination are found; a file of the
// same size with other bytes is not taken for them.
TEST(ArchiveIndex, FindsTheSameBytesUnderAnyName)
{
    QTemporaryDir dir;
    const auto put = [&](const char* name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    put("old name.DDD", "abcdef");
    put("same size.DDD", "abcdeX");
    put(".hidden", "abcdef");
    TArchiveIndex index(dir.path());
    EXPECT_EQ(index.Find(Bytes{'a', 'b', 'c', 'd', 'e', 'f'}), "old name.DDD");
    EXPECT_EQ(index.Find(Bytes{'z', 'b', 'c', 'd', 'e', 'f'}), "");
    EXPECT_EQ(index.Find(Bytes{'a', 'b', 'c'}), "");
    const TWriteResult r = WriteArchiveFile(dir.path(), "new.DDD", Bytes{'a', 'b', 'c', 'd', 'e', 'f'}, {}, 1, &index);
    EXPECT_EQ(r.outcome, TArchiveOutcome::SkippedIdentical);
    EXPECT_EQ(r.fileName, "old name.DDD");
    EXPECT_FALSE(QFile::exists(dir.filePath("new.DDD")));
}

TEST(WriteArchiveFile, FailedWriteLeavesNoFileBehind)
{
    QTemporaryDir dir;
    int calls = 0;
    // Half the bytes arrive, then the disk is full.
    const TContentWriter diskFull = [&](QFileDevice& file, std::span<const std::uint8_t> bytes) {
        ++calls;
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size() / 2));
        return false;
    };
    const TWriteResult r = WriteArchiveFile(dir.path(), "A.DDD", Bytes(100, 7), diskFull);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(r.outcome, TArchiveOutcome::Failed);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_EQ(Entries(dir.path()), QStringList{});
}

TEST(WriteArchiveFile, FailsWhenTheDestinationIsMissingOrUnwritable)
{
    QTemporaryDir dir;
    EXPECT_EQ(WriteArchiveFile(dir.filePath("missing"), "A.DDD", Bytes{1}).outcome, TArchiveOutcome::Failed);
    EXPECT_EQ(WriteArchiveFile(QString(), "A.DDD", Bytes{1}).outcome, TArchiveOutcome::Failed);
    // A directory nobody can create files in, whatever the rights.
    if (QFileInfo("/proc/self").isDir()) {
        EXPECT_EQ(WriteArchiveFile("/proc", "A.DDD", Bytes{1}).outcome, TArchiveOutcome::Failed);
    }
}

TEST(WriteArchiveFile, FailsInAReadOnlyDirectory)
{
    QTemporaryDir dir;
    const auto writable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool ignoresPermissions = QFile(dir.filePath("probe")).open(QIODevice::WriteOnly);
    const TWriteResult r = WriteArchiveFile(dir.path(), "A.DDD", Bytes{1});
    QFile::setPermissions(dir.path(), writable);
    if (ignoresPermissions)
        GTEST_SKIP() << "running with rights that ignore permissions";
    EXPECT_EQ(r.outcome, TArchiveOutcome::Failed);
}

TEST(TestDestination, CreatesAndRemovesItsProbe)
{
    QTemporaryDir dir;
    bool asked = false;
    const auto clock = [&] {
        asked = true;
        return TArchiveTime{2024, 1, 31, 15, 42, 7};
    };
    EXPECT_FALSE(TestDestination(dir.path(), clock));
    EXPECT_TRUE(asked);
    EXPECT_EQ(Entries(dir.path()), QStringList{});

    // A file of the probe's name that happens to be there is not ours to delete.
    QFile other(dir.filePath("$$Test240131154207.txt"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("keep");
    other.close();
    EXPECT_TRUE(TestDestination(dir.path(), clock));
    EXPECT_EQ(ReadAll(other.fileName()), "keep");

    EXPECT_TRUE(TestDestination(dir.filePath("missing"), clock));
    if (QFileInfo("/proc/self").isDir()) {
        EXPECT_TRUE(TestDestination("/proc", clock));
    }
    EXPECT_TRUE(TestDestination(QString(), clock));
}
