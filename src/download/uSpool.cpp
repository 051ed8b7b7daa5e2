#include "uSpool.h"

#include "uArchiveWriter.h"

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

TSpoolWrite WriteSpool(std::span<const std::uint8_t> data, const QString& directory, const QDateTime& now)
{
    TSpoolWrite result;
    if (directory.isEmpty() || !QDir().mkpath(directory)) {
        result.error = QStringLiteral("the folder %1 cannot be created").arg(QDir::toNativeSeparators(directory));
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

bool ForgetSpooled(const QString& path, const QString& directory)
{
    const QFileInfo file(path);
    const QString folder = QFileInfo(directory).canonicalFilePath();
    if (folder.isEmpty() || !file.isFile() || file.absoluteDir().canonicalPath() != folder)
        return false;
    if (!SpoolLeftovers(directory).contains(QDir(directory).filePath(file.fileName())))
        return false;
    return RemoveSpool(file.absoluteFilePath());
}
