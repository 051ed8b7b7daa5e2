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

// One line on what became of a download or a stored data file: the archives
// written, already there and failed; the entries without an archive and
// where they are; what the Vexa did with its data, or where the data file
// is kept. A download that stored nothing is its result's text.
QString CommitSummaryText(const TCommitSummary& summary);

// The way into the group that may open serial devices, for a user refused
// the device (its path).
QString PortAccessDeniedText(const QString& device);
