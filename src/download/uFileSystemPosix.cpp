// The durable file operations on Linux and other POSIX systems.
#include "uFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <stdio.h>
#include <unistd.h>

bool SyncFile(QFileDevice& file) { return file.flush() && ::fsync(file.handle()) == 0; }

void SyncDirectory(const QString& directory)
{
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool MakeDirectoryDurably(const QString& directory, QString& error)
{
    const QString path = QDir::cleanPath(QFileInfo(directory).absoluteFilePath());
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).absolutePath();
    if (parent != path && !MakeDirectoryDurably(parent, error))
        return false;
    if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0 && errno != EEXIST) {
        error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    SyncDirectory(parent);
    return true;
}

TPlace PlaceNoReplace(const QString& from, const QString& target, bool& placedByMove, QString& error)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray to = QFile::encodeName(target);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        placedByMove = true;
        return TPlace::Placed;
    }
    if (errno == EEXIST)
        return TPlace::Taken;
    // File systems without the no-replace rename: a hard link is just as exclusive.
    if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP) {
        if (::link(source.constData(), to.constData()) == 0) {
            placedByMove = false;
            return TPlace::Placed;
        }
        if (errno == EEXIST)
            return TPlace::Taken;
    }
    error = QString::fromLocal8Bit(std::strerror(errno));
    return TPlace::Error;
}
