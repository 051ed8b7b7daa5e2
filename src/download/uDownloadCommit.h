#pragma once
// What follows a download's last block, the same for the window and the CLI,
// and for a data file stored again from disk:
//
//  1. the storage pass over the data file, leaving out the entries that
//     cannot be read in full (each is reported, like every entry that gets
//     no archive);
//  2. the data file kept where it belongs: a file the Vexa was told to delete
//     moves from the spool into the downloads folder once every entry is safe
//     (it stays in the spool while not), and a file that failed the check is
//     kept whole in the downloads folder, while the Vexa keeps it too;
//  3. what became of the download: an end command the Vexa did not confirm,
//     unreadable entries, or the failure, said last.
// The owner only presents what the reporter is told.

#include "uArchiveStore.h"
#include "uMemoryStream.h"
#include "uSpool.h"

#include <QString>

#include <cstdint>
#include <memory>

// What a finished download leaves for its owner.
struct TDownloadOutcome {
    int result = -1;                       // the download's result code
    int linkResult = -1;                   // the same, with -101 for a Vexa silent to the open command
    // The received data file whenever it arrived whole and was not cancelled.
    std::unique_ptr<TMemoryStream> data;
    bool checked = false;          // it passed the check
    std::uint8_t endCommand = 0;   // 83h or 84h when one went out after the whole file, else 0
    bool endConfirmed = false;     // the Vexa confirmed it
    QString spoolFile;   // the safety copy made before the Vexa was told to delete its data
    QString spoolError;  // why no safety copy could be made (the Vexa then kept its data)
    QString portError;   // the port's own reason when the port failed
    // A data file stored again from disk (not from the Vexa): it stays where it is.
    QString sourceFile;
};

// Where the bytes of the data file stay after the commit.
enum class TKeptIn {
    Vexa,        // the Vexa keeps its data file
    Downloads,   // a copy in the downloads folder
    Spool,       // the safety copy, not yet stored completely
    SourceFile,  // the file it was read from
};

class IDownloadReporter : public IStoreReporter {
public:
    // Where the data file is kept, when the pass left anything of it unarchived
    // or when a copy went to the downloads folder or stayed in the spool.
    virtual void DataFileKept(TKeptIn where, const QString& path) = 0;
    // No safety copy could be written, so the Vexa was told to keep its data.
    virtual void SpoolFailed(const QString& reason) = 0;
    // The whole file was checked and stored, but the Vexa did not confirm the
    // end command (83h or 84h); result is the exchange's code.
    virtual void EndNotConfirmed(std::uint8_t endCommand, int result) = 0;
    // Entries could not be read (each reported): the Vexa keeps its data, and
    // the whole data file is kept at path as well.
    virtual void UnreadableKept(int entries, const QString& path) = 0;
    // Said last: the download failed with result (portError: the port's reason).
    virtual void DownloadFailed(int result, const QString& portError) = 0;
};

struct TCommitOptions {
    TStoreOptions store;
    QString spoolDirectory = DefaultSpoolDirectory();
    QString downloadsDirectory = DefaultDownloadsDirectory();
};

struct TCommitSummary {
    int result = -1;
    TStoreSummary store;    // of the storage pass, when it ran
    int unreadable = 0;     // entries that could not be read in full
    QString keptCopy;       // the data file in the downloads folder, when it went there
    bool stored = false;    // the storage pass ran over the whole file
    // Every entry of the data file is archived, or kept on disk with it.
    bool Complete() const { return stored && store.allSafe && unreadable == 0; }
};

TCommitSummary CommitDownload(TDownloadOutcome& outcome, const TCommitOptions& options,
                              IDownloadReporter& reporter);
