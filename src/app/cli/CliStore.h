#pragma once
// What store and download share: the storage pass's reports as lines, and
// the options that choose the destination and the archive names.

#include "uArchiveStore.h"
#include "uDownloadCommit.h"

#include <QCommandLineParser>
#include <QString>

#include <optional>

// The window shows boxes; here they are lines on stderr, the archives on stdout.
class TCliReporter : public IDownloadReporter {
public:
    void InformationBox(const QString& text) override;
    void MessageBox(const QString& text) override;
    void StatusLine(const QString& text) override;
    void ArchiveStored(const TArchiveReport& report) override;
    void EntryNotArchived(const TEntryNote& note) override;
    void DataFileKept(TKeptIn where, const QString& path) override;
    void SpoolFailed(const QString& reason) override;
    void EndNotConfirmed(std::uint8_t endCommand, int result) override;
    void UnreadableKept(int entries, const QString& path) override;
    void DownloadFailed(int result, const QString& portError) override;
};

// The commit's options from the store options, with the per-user spool and
// downloads folders.
TCommitOptions CommitOptions(const TStoreOptions& store);

// Adds --dest, --card-format and --vu-format.
void AddStoreOptions(QCommandLineParser& parser);
// The destination and the naming families: the options, else the saved
// "DestDir", "defaultCardFileformat" and "defaultVehicleFileformat". None
// (reported as a usage error) without a destination or on a wrong number.
std::optional<TStoreOptions> StoreOptionsArgument(const QCommandLineParser& parser, const QString& command);
