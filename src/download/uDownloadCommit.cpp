#include "uDownloadCommit.h"

#include "uSpool.h"

#include <exception>

TCommitSummary CommitDownload(TDownloadOutcome& outcome, const TStoreOptions& options, IDownloadReporter& reporter)
{
    TCommitSummary summary;
    summary.result = outcome.result;
    summary.store.allSafe = false;
    if (outcome.result == 0 && outcome.data) {
        try {
            summary.store = StoreContainer(*outcome.data, options, reporter);
        } catch (const std::exception& e) {
            // Not expected after the check the data passed; the spool keeps it.
            reporter.MessageBox(QString::fromLocal8Bit(e.what()));
            summary.store.allSafe = false;
        }
    }
    if (!outcome.spoolFile.isEmpty()) {
        // The safety copy goes only when every entry is safe in the destination.
        if (summary.Complete())
            RemoveSpool(outcome.spoolFile);
        else
            reporter.SpoolKept(outcome.spoolFile);
    }
    if (!outcome.spoolError.isEmpty())
        reporter.SpoolFailed(outcome.spoolError);
    if (outcome.result != 0)
        reporter.DownloadFailed(outcome.result, outcome.portError);
    return summary;
}
