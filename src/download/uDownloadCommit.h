#pragma once
// What follows a download's last block, the same for the window and the CLI:
// the storage pass over the received data file, then the safety copy removed
// (every entry safe in the destination) or kept, then the download's failure,
// if it failed. The owner only presents what the reporter is told.

#include "uArchiveStore.h"
#include "uMemoryStream.h"

#include <QString>

#include <memory>

// What a finished download leaves for its owner.
struct TDownloadOutcome {
    int result = -1;                       // the download's result code
    int linkResult = -1;                   // the same, with -101 for a Vexa silent to the open command
    std::unique_ptr<TMemoryStream> data;   // the received data file when result is 0
    QString spoolFile;   // the safety copy made before the Vexa was told to delete its data
    QString spoolError;  // why no safety copy could be made (the Vexa then kept its data)
    QString portError;   // the port's own reason when the port failed
};

class IDownloadReporter : public IStoreReporter {
public:
    // The safety copy stays, because not all of it reached the destination.
    virtual void SpoolKept(const QString& path) = 0;
    // No safety copy could be written, so the Vexa was told to keep its data.
    virtual void SpoolFailed(const QString& reason) = 0;
    // Said last: the download failed with result (portError: the port's reason).
    virtual void DownloadFailed(int result, const QString& portError) = 0;
};

struct TCommitSummary {
    int result = -1;
    TStoreSummary store;  // of the storage pass, when it ran
    // The download succeeded and every entry of it is safe on disk.
    bool Complete() const { return result == 0 && store.allSafe; }
};

TCommitSummary CommitDownload(TDownloadOutcome& outcome, const TStoreOptions& options,
                              IDownloadReporter& reporter);
