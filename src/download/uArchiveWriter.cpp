#include "uArchiveWriter.h"

#include "uFileSystem.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cstring>

namespace {

// A bound on NAME_n, so a directory full of look-alikes cannot stall us.
constexpr int kMaxNumberedName = 9999;

bool IsUnsafeChar(QChar c)
{
    // Control codes, DEL and the C1 codes, which a terminal may take for the
    // start of an escape sequence.
    if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F) || c == u'/' || c == u'\\')
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

// Only a regular file is ever opened: a FIFO would block the open for ever.
bool SameContent(const QString& path, std::span<const std::uint8_t> bytes)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() != static_cast<qint64>(bytes.size()))
        return false;
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

TArchiveIndex::TArchiveIndex(QString directory) : directory_(std::move(directory)) {}

QByteArray TArchiveIndex::Digest(std::span<const std::uint8_t> bytes)
{
    return QCryptographicHash::hash(
        QByteArrayView(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())),
        QCryptographicHash::Sha256);
}

void TArchiveIndex::Load()
{
    loaded_ = true;
    const QDir dir(directory_);
    // Regular files only (no dot files: our own temporaries start with one).
    for (const QFileInfo& file : dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        if (file.isFile())
            bySize_[file.size()].push_back({file.fileName(), {}});
    }
}

QString TArchiveIndex::Find(std::span<const std::uint8_t> bytes)
{
    if (!loaded_)
        Load();
    const auto bucket = bySize_.find(static_cast<qint64>(bytes.size()));
    if (bucket == bySize_.end())
        return {};
    const QByteArray digest = Digest(bytes);
    const QDir dir(directory_);
    // Each file of the size is read once per index; a matching digest is
    // confirmed byte for byte.
    for (TFile& file : bucket->second) {
        if (file.digest.isEmpty()) {
            QFile f(dir.filePath(file.name));
            if (!QFileInfo(f.fileName()).isFile() || !f.open(QIODevice::ReadOnly))
                continue;
            QCryptographicHash hash(QCryptographicHash::Sha256);
            if (!hash.addData(&f))
                continue;
            file.digest = hash.result();
        }
        if (file.digest == digest && SameContent(dir.filePath(file.name), bytes))
            return file.name;
    }
    return {};
}

void TArchiveIndex::Add(const QString& name, std::span<const std::uint8_t> bytes)
{
    if (!loaded_)
        Load();
    bySize_[static_cast<qint64>(bytes.size())].push_back({name, Digest(bytes)});
}

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
                              const TContentWriter& writer, int firstNumber, TArchiveIndex* index)
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

    // A repeated download finds its own archive already there, under
    // whatever name the earlier one got.
    if (index) {
        if (const QString found = index->Find(bytes); !found.isEmpty()) {
            result.outcome = TArchiveOutcome::SkippedIdentical;
            result.fileName = found;
            return result;
        }
    }
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
            if (index)
                index->Add(candidate, bytes);
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
