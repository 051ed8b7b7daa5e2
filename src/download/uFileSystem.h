#pragma once
// The few file-system operations that keep data durable, over the system's
// own calls: a synced file, a synced folder, a folder created with its
// parents made durable, and a rename that never replaces.

#include <QString>

class QFileDevice;

// Flushes and syncs an open file; false on failure.
bool SyncFile(QFileDevice& file);
// Syncs a folder, so that names created or moved in it survive a crash.
void SyncDirectory(const QString& directory);
// Creates the folder and any missing parents, syncing the parent of each
// folder it creates. False, with the reason, when it cannot.
bool MakeDirectoryDurably(const QString& directory, QString& error);

enum class TPlace {
    Placed,  // the file now has the target name
    Taken,   // something else already has it
    Error,
};
// Gives a complete file its final name unless that name exists. placedByMove
// tells whether the old name is gone afterwards (a hard link keeps it).
TPlace PlaceNoReplace(const QString& from, const QString& target, bool& placedByMove, QString& error);
