#pragma once
// Where received data files are kept, beside each other in the per-user data
// folder:
//
//   spool/      a durable copy written before the Vexa is told it may delete
//               its own; it stays until every entry of it is safe in the
//               destination. Whatever is found here at start-up is a download
//               that was never stored, and can be stored again from its file.
//   downloads/  every data file the Vexa was told to delete, moved here from
//               the spool once stored, and every data file that could not be
//               read in full. Nothing here is ever removed by the program.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <span>

// The per-user application data folder + "/spool" and + "/downloads".
QString DefaultSpoolDirectory();
QString DefaultDownloadsDirectory();

struct TSpoolWrite {
    bool ok = false;
    QString path;   // the file, when ok
    QString error;  // why it could not be written
};

// Writes the data file atomically (temporary file, flush, sync, rename, sync
// of the folder) under a name stamped with the given local time, creating
// the folder (and syncing its parents) when missing. Never replaces an
// existing file. Used for the spool and the downloads folder alike.
TSpoolWrite WriteSpool(std::span<const std::uint8_t> data, const QString& directory = DefaultSpoolDirectory(),
                       const QDateTime& now = QDateTime::currentDateTime());

// The spool files left in the folder (full paths, oldest first); none when
// the folder is missing.
QStringList SpoolLeftovers(const QString& directory = DefaultSpoolDirectory());

// Removes one spool file; true when it is gone.
bool RemoveSpool(const QString& path);

// Moves a file of the spool into the downloads folder under its own name
// (a rename, then both folders synced), creating the folder when missing.
// When the folder holds the same bytes already, the spool file is removed
// instead and path names the file that was there.
TSpoolWrite MoveToDownloads(const QString& spoolFile, const QString& downloads = DefaultDownloadsDirectory());

// Keeps a data file in the downloads folder, written as WriteSpool writes,
// unless the folder holds the same bytes already (path then names that file).
TSpoolWrite KeepInDownloads(std::span<const std::uint8_t> data, const QString& downloads = DefaultDownloadsDirectory(),
                            const QDateTime& now = QDateTime::currentDateTime());

// Whether path is one of the spool's own files.
bool IsSpoolFile(const QString& path, const QString& spool = DefaultSpoolDirectory());
