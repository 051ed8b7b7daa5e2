#pragma once
// What store and download share: the storage pass's reports as lines, and
// the options that choose the destination and the archive names.

#include "uArchiveStore.h"
#include "uDownloadCommit.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <optional>

// The window shows boxes; here they are lines on stderr in the user's
// language, and the archives one English line each on stdout, or, with
// --json, collected for Json().
class TCliReporter : public IDownloadReporter {
public:
    explicit TCliReporter(bool json = false) : json_(json) {}
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

    // What the commit did, added to a --json document (docs/scripting.md):
    // archives, entries not archived, where the data file is kept, the error.
    void AddJson(QJsonObject& document, const TCommitSummary& summary, int exitStatus) const;

private:
    bool json_;
    QJsonArray archives_;
    QJsonArray notArchived_;
    QJsonArray kept_;
    QJsonObject error_;
    QString spoolError_;
};

// The exit status of a commit: 0 when complete, else why not.
int CommitExitStatus(const TCommitSummary& summary);

// The commit's options from the store options, with the per-user spool and
// downloads folders.
TCommitOptions CommitOptions(const TStoreOptions& store);

// Adds --dest, --card-format and --vu-format.
void AddStoreOptions(QCommandLineParser& parser);
// The destination and the naming families: the options, else the saved
// "DestDir", "defaultCardFileformat" and "defaultVehicleFileformat". None
// (reported as a usage error) without a destination or on a wrong number.
std::optional<TStoreOptions> StoreOptionsArgument(const QCommandLineParser& parser, const QString& command);
