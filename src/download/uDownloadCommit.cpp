#include "uDownloadCommit.h"

#include "uContainer.h"

#include <exception>

namespace {

// A file that failed the check is stored only when its fault is confined to
// images that cannot be read: a broken container is refused whole, as the
// check refused it, and the Vexa keeps it.
bool OnlyImagesUnreadable(std::span<const std::uint8_t> data, const std::map<std::size_t, QString>& unreadable)
{
    if (unreadable.empty())
        return false;
    const TContainerSplit split = SplitContainer(data);
    if (split.stop != TSplitStop::None)
        return false;
    for (const TContainerEntry& entry : split.entries)
        if (entry.stop != TSplitStop::None || entry.length == 0)
            return false;
    return true;
}

} // namespace

TCommitSummary CommitDownload(TDownloadOutcome& outcome, const TCommitOptions& options, IDownloadReporter& reporter)
{
    TCommitSummary summary;
    summary.result = outcome.result;
    summary.store.allSafe = false;

    const bool fromVexa = outcome.sourceFile.isEmpty();
    TStoreOptions store = options.store;
    if (outcome.data && !outcome.checked) {
        store.unreadable = FindUnreadableEntries(outcome.data->Bytes());
        if (fromVexa && !OnlyImagesUnreadable(outcome.data->Bytes(), store.unreadable))
            outcome.data.reset();
    }
    const bool partlyUnreadable = outcome.data && fromVexa && !outcome.checked;

    // Whatever arrived whole is stored: also a file whose end command the
    // Vexa did not confirm, or the readable entries of one that failed the
    // check.
    if (outcome.data) {
        summary.unreadable = static_cast<int>(store.unreadable.size());
        try {
            summary.store = StoreContainer(*outcome.data, store, reporter);
            summary.stored = true;
        } catch (const std::exception& e) {
            // Not expected after the check the data passed; the copy keeps it.
            reporter.MessageBox(QString::fromLocal8Bit(e.what()));
            summary.store.allSafe = false;
        }
    }
    const bool leftOut = summary.store.notArchived > 0 || summary.unreadable > 0;

    if (!outcome.spoolFile.isEmpty()) {
        // A copy the Vexa may have deleted: kept for good once every entry is
        // safe, kept in the spool for another try while not.
        TSpoolWrite moved;
        if (summary.stored && summary.store.allSafe)
            moved = MoveToDownloads(outcome.spoolFile, options.downloadsDirectory);
        if (moved.ok) {
            summary.keptCopy = moved.path;
            reporter.DataFileKept(TKeptIn::Downloads, moved.path);
        } else {
            reporter.DataFileKept(TKeptIn::Spool, outcome.spoolFile);
        }
    } else if (partlyUnreadable) {
        // The Vexa keeps its data, and so do we: the readable entries are
        // stored, and the whole file is the only readable copy of the rest.
        const TSpoolWrite kept = KeepInDownloads(outcome.data->Bytes(), options.downloadsDirectory);
        if (kept.ok) {
            summary.keptCopy = kept.path;
            reporter.DataFileKept(TKeptIn::Downloads, kept.path);
        } else {
            reporter.MessageBox(kept.error);
        }
    } else if (leftOut) {
        reporter.DataFileKept(fromVexa ? TKeptIn::Vexa : TKeptIn::SourceFile, outcome.sourceFile);
    }

    if (!outcome.spoolError.isEmpty())
        reporter.SpoolFailed(outcome.spoolError);
    if (partlyUnreadable)
        reporter.UnreadableKept(summary.unreadable, summary.keptCopy);
    else if (outcome.data && outcome.endCommand != 0 && !outcome.endConfirmed)
        reporter.EndNotConfirmed(outcome.endCommand, outcome.result);
    else if (outcome.result != 0 && fromVexa)
        reporter.DownloadFailed(outcome.result, outcome.portError);
    return summary;
}
