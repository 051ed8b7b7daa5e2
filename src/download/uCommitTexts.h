#pragma once
// The sentences, in the interface language, for what the storage pass and
// the commit of a download report; the window and the CLI show the same ones.

#include "uDownloadCommit.h"

#include <QString>

// %1 of text filled with path; when a translation lost its %1, the path is
// put after the text, so that it is never missing.
QString TextWithPath(const QString& text, const QString& path);

// "Entry 3 (offset 1234) was not archived: ..."
QString EntryNoteText(const TEntryNote& note);
// Where the data file stays (empty for the spool: its warning says it).
QString KeptText(TKeptIn where, const QString& path);
// The safety copy of a download not completely stored.
QString SpoolKeptText(const QString& path);
QString EndNotConfirmedText(std::uint8_t endCommand);
QString UnreadableKeptText(int entries, const QString& path);
