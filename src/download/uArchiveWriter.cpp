#include "uArchiveWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>
#endif

namespace {

// A bound on NAME_n, so a directory full of look-alikes cannot stall us.
constexpr int kMaxNumberedName = 9999;

bool IsUnsafeChar(QChar c)
{
    if (c.unicode() < 0x20 || c == u'/' || c == u'\\')
        return true;
#ifdef Q_OS_WIN
    static const QString kReserved = QStringLiteral("<>:\"|?*");
    if (kReserved.contains(c))
        return true;
#endif
    return false;
}

bool WriteAll(QFileDevice& file, std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(reinterpret_cast<const char*>(bytes.data() + done),
                                    static_cast<qint64>(bytes.size() - done));
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool SyncFile(QFileDevice& file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

void SyncDirectory([[maybe_unused]] const QString& directory)
{
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

bool SameContent(const QString& path, std::span<const std::uint8_t> bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != static_cast<qint64>(bytes.size()))
        return false;
    constexpr qint64 kChunk = 64 * 1024;
    std::size_t offset = 0;
    while (offset < bytes.size()) {
        const QByteArray chunk = file.read(kChunk);
        if (chunk.isEmpty() || offset + static_cast<std::size_t>(chunk.size()) > bytes.size())
            return false;
        if (std::memcmp(chunk.constData(), bytes.data() + offset, static_cast<std::size_t>(chunk.size())) != 0)
            return false;
        offset += static_cast<std::size_t>(chunk.size());
    }
    return true;
}

enum class TPlace { Placed, Taken, Error };

// Gives the temporary file its final name unless that name exists.
// placedByMove tells whether the temporary name is gone afterwards.
TPlace PlaceNoReplace(const QString& temporary, const QString& target, bool& placedByMove, QString& error)
{
#ifdef Q_OS_WIN
    placedByMove = true;
    const QString from = QDir::toNativeSeparators(temporary);
    const QString to = QDir::toNativeSeparators(target);
    // Without MOVEFILE_REPLACE_EXISTING the move refuses a taken name.
    if (MoveFileExW(reinterpret_cast<LPCWSTR>(from.utf16()), reinterpret_cast<LPCWSTR>(to.utf16()),
                    MOVEFILE_WRITE_THROUGH))
        return TPlace::Placed;
    const DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS)
        return TPlace::Taken;
    error = QStringLiteral("MoveFileEx failed (%1)").arg(code);
    return TPlace::Error;
#else
    const QByteArray from = QFile::encodeName(temporary);
    const QByteArray to = QFile::encodeName(target);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        placedByMove = true;
        return TPlace::Placed;
    }
    if (errno == EEXIST)
        return TPlace::Taken;
    // File systems without the no-replace rename: a hard link is just as exclusive.
    if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP) {
        if (::link(from.constData(), to.constData()) == 0) {
            placedByMove = false;
            return TPlace::Placed;
        }
        if (errno == EEXIST)
            return TPlace::Taken;
    }
    error = QString::fromLocal8Bit(std::strerror(errno));
    return TPlace::Error;
#endif
}

// A temporary file beside the archives, removed again unless released.
// Created like any file (not 0600), so the archive gets the usual permissions.
class TTemporaryFile {
public:
    explicit TTemporaryFile(const QDir& dir) : dir_(dir) {}
    ~TTemporaryFile()
    {
        file_.close();
        if (!released_ && !file_.fileName().isEmpty())
            QFile::remove(file_.fileName());
    }
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    bool Open(QString& error)
    {
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QString name = QStringLiteral(".pellkit-%1.part")
                                     .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
            file_.setFileName(dir_.filePath(name));
            if (file_.open(QIODevice::WriteOnly | QIODevice::NewOnly))
                return true;
            if (QFileInfo::exists(file_.fileName()))
                continue;
            error = file_.errorString();
            file_.setFileName(QString());
            return false;
        }
        error = QStringLiteral("no temporary file could be created");
        file_.setFileName(QString());
        return false;
    }
    QFile& File() { return file_; }
    // The file has been moved to its final name.
    void Release() { released_ = true; }

private:
    QDir dir_;
    QFile file_;
    bool released_ = false;
};

} // namespace

QString SafeArchiveName(const QString& name)
{
    QString safe = name;
    for (QChar& c : safe) {
        if (IsUnsafeChar(c))
            c = u'_';
    }
    if (safe.isEmpty() || safe == QLatin1String(".") || safe == QLatin1String(".."))
        return {};
    return safe;
}

QString NumberedArchiveName(const QString& name, int n)
{
    const QString suffix = QStringLiteral("_") + QString::number(n);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0)
        return name + suffix;
    return name.left(dot) + suffix + name.mid(dot);
}

TWriteResult WriteArchiveFile(const QString& directory, const QString& name, std::span<const std::uint8_t> bytes,
                              const TContentWriter& writer, int firstNumber)
{
    TWriteResult result;
    if (directory.isEmpty() || !QFileInfo(directory).isDir()) {
        result.error = QStringLiteral("the destination directory does not exist");
        return result;
    }
    const QString safe = SafeArchiveName(name);
    if (safe.isEmpty()) {
        result.error = QStringLiteral("the name cannot be used as a file name");
        return result;
    }
    const QDir dir(directory);

    // A repeated download finds its own archive already there.
    if (QFileInfo::exists(dir.filePath(safe)) && SameContent(dir.filePath(safe), bytes)) {
        result.outcome = TArchiveOutcome::SkippedIdentical;
        result.fileName = safe;
        result.number = 1;
        return result;
    }

    TTemporaryFile temporary(dir);
    if (!temporary.Open(result.error))
        return result;
    QFile& file = temporary.File();
    const bool written = writer ? writer(file, bytes) : WriteAll(file, bytes);
    if (!written || !SyncFile(file)) {
        result.error = file.error() != QFileDevice::NoError ? file.errorString()
                                                             : QStringLiteral("the archive could not be written");
        return result;
    }
    file.close();

    for (int n = std::clamp(firstNumber, 1, kMaxNumberedName); n <= kMaxNumberedName; ++n) {
        const QString candidate = n == 1 ? safe : NumberedArchiveName(safe, n);
        const QString target = dir.filePath(candidate);
        bool placedByMove = false;
        switch (PlaceNoReplace(file.fileName(), target, placedByMove, result.error)) {
        case TPlace::Placed:
            if (placedByMove)
                temporary.Release();
            SyncDirectory(directory);
            result.outcome = n == 1 ? TArchiveOutcome::Written : TArchiveOutcome::WrittenUnderOtherName;
            result.fileName = candidate;
            result.number = n;
            return result;
        case TPlace::Taken:
            if (SameContent(target, bytes)) {
                result.outcome = TArchiveOutcome::SkippedIdentical;
                result.fileName = candidate;
                result.number = n;
                return result;
            }
            break;
        case TPlace::Error:
            return result;
        }
    }
    result.error = QStringLiteral("every numbered variant of the name is taken");
    return result;
}

bool TestDestination(const QString& directory, const std::function<TArchiveTime()>& now)
{
    if (directory.isEmpty() || !QFileInfo(directory).isDir())
        return true;
    const TArchiveTime t = now();
    const QString stamp = QStringLiteral("%1%2%3%4%5%6")
                              .arg(t.year % 100, 2, 10, QLatin1Char('0'))
                              .arg(t.month, 2, 10, QLatin1Char('0'))
                              .arg(t.day, 2, 10, QLatin1Char('0'))
                              .arg(t.hour, 2, 10, QLatin1Char('0'))
                              .arg(t.minute, 2, 10, QLatin1Char('0'))
                              .arg(t.second, 2, 10, QLatin1Char('0'));
    QFile probe(QDir(directory).filePath(QStringLiteral("$$Test") + stamp + QStringLiteral(".txt")));
    // NewOnly: a file of that name that happens to exist is not ours to delete.
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return true;
    probe.close();
    probe.remove();
    return false;
}
