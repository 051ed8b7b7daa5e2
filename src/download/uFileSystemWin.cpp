// The durable file operations on Windows, over the Win32 API.
#include "uFileSystem.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>

#include <io.h>
#include <windows.h>

namespace {

QString SystemText(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    QString result = n ? QString::fromWCharArray(text, static_cast<int>(n)).trimmed()
                       : QStringLiteral("system error %1").arg(code);
    LocalFree(text);
    return result;
}

} // namespace

bool SyncFile(QFileDevice& file) { return file.flush() && _commit(file.handle()) == 0; }

void SyncDirectory(const QString& directory)
{
    // A folder handle opened for backup semantics can be flushed like a file.
    const QString native = QDir::toNativeSeparators(directory);
    HANDLE h = CreateFileW(reinterpret_cast<LPCWSTR>(native.utf16()), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    FlushFileBuffers(h);
    CloseHandle(h);
}

bool MakeDirectoryDurably(const QString& directory, QString& error)
{
    const QString path = QDir::cleanPath(QFileInfo(directory).absoluteFilePath());
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).absolutePath();
    if (parent != path && !MakeDirectoryDurably(parent, error))
        return false;
    const QString native = QDir::toNativeSeparators(path);
    if (!CreateDirectoryW(reinterpret_cast<LPCWSTR>(native.utf16()), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
        error = native + QStringLiteral(": ") + SystemText(GetLastError());
        return false;
    }
    SyncDirectory(parent);
    return true;
}

TPlace PlaceNoReplace(const QString& from, const QString& target, bool& placedByMove, QString& error)
{
    placedByMove = true;
    const QString source = QDir::toNativeSeparators(from);
    const QString to = QDir::toNativeSeparators(target);
    // Without MOVEFILE_REPLACE_EXISTING the move refuses a taken name.
    if (MoveFileExW(reinterpret_cast<LPCWSTR>(source.utf16()), reinterpret_cast<LPCWSTR>(to.utf16()),
                    MOVEFILE_WRITE_THROUGH))
        return TPlace::Placed;
    const DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS)
        return TPlace::Taken;
    error = SystemText(code);
    return TPlace::Error;
}
