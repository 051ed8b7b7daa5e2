#pragma once
// The spool: a durable copy of a received data file, written before the Vexa
// is told it may delete its own. It stays until the storage pass has put
// every entry safely into the destination; whatever is found here at start-up
// is a download that was never stored and can be stored again from its file.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <span>

// The per-user application data folder + "/spool".
QString DefaultSpoolDirectory();

struct TSpoolWrite {
    bool ok = false;
    QString path;   // the spool file, when ok
    QString error;  // why it could not be written
};

// Writes the data file atomically (temporary file, flush, sync, rename, sync
// of the folder) under a name stamped with the given local time, creating
// the folder when missing. Never replaces an existing file.
TSpoolWrite WriteSpool(std::span<const std::uint8_t> data, const QString& directory = DefaultSpoolDirectory(),
                       const QDateTime& now = QDateTime::currentDateTime());

// The spool files left in the folder (full paths, oldest first); none when
// the folder is missing.
QStringList SpoolLeftovers(const QString& directory = DefaultSpoolDirectory());

// Removes one spool file; true when it is gone.
bool RemoveSpool(const QString& path);

// A data file that has just been stored completely: removed when it is one
// of the spool's own files, left alone otherwise. True when it was removed.
bool ForgetSpooled(const QString& path, const QString& directory = DefaultSpoolDirectory());
