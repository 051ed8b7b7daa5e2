#include "uSpool.h"

#include "uArchiveWriter.h"
#include "uFileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString kPrefix = QStringLiteral("download-");
const QString kSuffix = QStringLiteral(".vexa");

} // namespace

QString DefaultSpoolDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/spool");
}

QString DefaultDownloadsDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/downloads");
}

TSpoolWrite WriteSpool(std::span<const std::uint8_t> data, const QString& directory, const QDateTime& now)
{
    TSpoolWrite result;
    QString why;
    if (directory.isEmpty() || !MakeDirectoryDurably(directory, why)) {
        result.error = QStringLiteral("the folder %1 cannot be created").arg(QDir::toNativeSeparators(directory));
        if (!why.isEmpty())
            result.error += QStringLiteral(" (%1)").arg(why);
        return result;
    }
    const QString name = kPrefix + now.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) + kSuffix;
    // The archive writer already gives atomic, synced, never-replacing files.
    const TWriteResult w = WriteArchiveFile(directory, name, data);
    if (w.outcome == TArchiveOutcome::Failed) {
        result.error = w.error;
        return result;
    }
    result.ok = true;
    result.path = QDir(directory).filePath(w.fileName);
    return result;
}

QStringList SpoolLeftovers(const QString& directory)
{
    const QDir dir(directory);
    if (directory.isEmpty() || !dir.exists())
        return {};
    QStringList paths;
    const QStringList names =
        dir.entryList({kPrefix + QLatin1Char('*') + kSuffix}, QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& n : names)
        paths << dir.filePath(n);
    return paths;
}

bool RemoveSpool(const QString& path)
{
    return QFile::remove(path) || !QFileInfo::exists(path);
}

TSpoolWrite MoveToDownloads(const QString& spoolFile, const QString& downloads)
{
    TSpoolWrite result;
    QString why;
    if (downloads.isEmpty() || !MakeDirectoryDurably(downloads, why)) {
        result.error = QStringLiteral("the folder %1 cannot be created").arg(QDir::toNativeSeparators(downloads));
        if (!why.isEmpty())
            result.error += QStringLiteral(" (%1)").arg(why);
        return result;
    }
    const QFileInfo from(spoolFile);
    const QDir dir(downloads);
    QFile file(from.absoluteFilePath());
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        file.close();
        TArchiveIndex index(downloads);
        const QString same = index.Find(std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
        if (!same.isEmpty() && RemoveSpool(from.absoluteFilePath())) {
            SyncDirectory(from.absolutePath());
            result.ok = true;
            result.path = dir.filePath(same);
            return result;
        }
    }
    // The name is the download's time; a second file of that name gets _2, ...
    for (int n = 1; n <= 99; ++n) {
        const QString name = n == 1 ? from.fileName() : NumberedArchiveName(from.fileName(), n);
        bool moved = false;
        switch (PlaceNoReplace(from.absoluteFilePath(), dir.filePath(name), moved, result.error)) {
        case TPlace::Placed:
            // A hard link leaves the spool's name behind: it goes only now.
            if (!moved)
                QFile::remove(from.absoluteFilePath());
            SyncDirectory(downloads);
            SyncDirectory(from.absolutePath());
            result.ok = true;
            result.path = dir.filePath(name);
            return result;
        case TPlace::Taken: continue;
        case TPlace::Error: return result;
        }
    }
    result.error = QStringLiteral("every name for %1 is taken in %2").arg(from.fileName(), downloads);
    return result;
}

TSpoolWrite KeepInDownloads(std::span<const std::uint8_t> data, const QString& downloads, const QDateTime& now)
{
    if (QFileInfo(downloads).isDir()) {
        TArchiveIndex index(downloads);
        if (const QString same = index.Find(data); !same.isEmpty())
            return {true, QDir(downloads).filePath(same), {}};
    }
    return WriteSpool(data, downloads, now);
}

bool IsSpoolFile(const QString& path, const QString& spool)
{
    const QFileInfo file(path);
    const QString folder = QFileInfo(spool).canonicalFilePath();
    if (folder.isEmpty() || !file.isFile() || file.absoluteDir().canonicalPath() != folder)
        return false;
    return SpoolLeftovers(spool).contains(QDir(spool).filePath(file.fileName()));
}
