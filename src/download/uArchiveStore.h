#pragma once
// The storage pass: one archive per entry of a received data file, named from
// the identification in its images and written into the destination.
//
// It runs where the user waits (the window's thread, or the CLI) and reports
// through IStoreReporter; it never touches a widget, a setting or the clock
// directly, so the window, the CLI and the tests drive the same code.

#include "uArchUtil.h"
#include "uArchiveWriter.h"
#include "uContainerSplit.h"
#include "uMemoryStream.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

struct TStoreOptions {
    QString destination;    // the destination directory
    int cardFormat = 0;     // ArchiveFormat of card archives
    int vehicleFormat = 0;  // ArchiveFormat of VU archives
    // Entries (by the offset of their F1h tag) whose images cannot be read
    // in full, with the reader's reason: they get no archive.
    std::map<std::size_t, QString> unreadable;
    // "Now" for the images that carry no time of their own.
    std::function<TArchiveTime()> now = ArchiveTimeNowLocal;
    // Empty: archives are written normally (a seam for failing disks).
    TContentWriter contentWriter;
};

struct TArchiveReport {
    TArchiveOutcome outcome = TArchiveOutcome::Failed;
    QString name;      // as the naming built it
    QString fileName;  // as it is in the destination (empty when it failed)
    qint64 bytes = 0;
};

// Why an entry of the data file produced no archive.
enum class TNotArchived {
    OverviewOnly,      // a VU entry with its overview and no other response
    NothingToStore,    // a VU entry without transfer responses
    UnderMinimum,      // a card image under 50 bytes
    PartsNotArchived,  // the A8h..AFh parts of a card entry (the card archive is written)
    Unreadable,        // its image cannot be read in full
};

struct TEntryNote {
    int number = 0;            // 1 for the first entry of the data file
    std::size_t offset = 0;    // of its F1h tag
    std::uint8_t imageTag = 0; // the part holding the image that failed (Unreadable)
    TNotArchived why = TNotArchived::NothingToStore;
    QString detail;            // the reader's reason (Unreadable)
};

class IStoreReporter {
public:
    virtual ~IStoreReporter() = default;
    virtual void InformationBox(const QString& text) = 0;
    virtual void MessageBox(const QString& text) = 0;
    // Progress lines ("F0 : ...", "PRT ...").
    virtual void StatusLine(const QString& text) = 0;
    // Once per archive that was to be written, whatever became of it.
    virtual void ArchiveStored(const TArchiveReport& report) = 0;
    // Once per entry, or part of an entry, that the pass did not archive.
    virtual void EntryNotArchived(const TEntryNote& note) = 0;
};

struct TStoreSummary {
    // Every entry is safe on disk: stored, found already stored, or holding
    // nothing to store (an overview alone, an archive under 50 bytes, an
    // entry of length 0). Only then may the download's spool copy go.
    bool allSafe = true;
    int entries = 0;
    int written = 0;
    int skippedIdentical = 0;
    int writtenUnderOtherName = 0;
    int failed = 0;
    int notArchived = 0;  // entries (or parts) that got no archive, each reported
};

// A write that did not happen; its text is for the user.
class EArchiveWrite : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TArchiveStore {
public:
    TArchiveStore(TStoreOptions options, IStoreReporter& reporter);

    // The whole pass over a data file.
    TStoreSummary StoreContainer(TMemoryStream& stream);
    // One entry of a data file of dataSize bytes.
    void StoreEntry(const TContainerEntry& entry, std::size_t dataSize);
    // Writes what of an assembled archive is kept: a card image read through
    // a VU without its 76h 06h header, anything else whole; archives under
    // 50 bytes are dropped unless they are VU transfer responses. False when
    // it was dropped.
    bool StoreArchive(const std::string& name, TMemoryStream& archive);
    // Writes the whole stream as name (8-bit text). Throws EArchiveWrite.
    void WriteArchive(TMemoryStream& archive, const std::string& name);

    const TStoreSummary& Summary() const { return summary_; }

private:
    void Unsafe();
    void NotArchived(const TContainerEntry& entry, TNotArchived why, std::uint8_t tag = 0, const QString& detail = {});

    TStoreOptions options_;
    IStoreReporter& reporter_;
    TStoreSummary summary_;
    // Held by the walk from entry to entry; every card entry sets them.
    std::string surname_;
    std::string firstNames_;
    // Per archive name, the NAME_n the last archive of that name went to.
    std::map<QString, int> lastNumber_;
    // What the destination holds, to find an archive already there.
    std::unique_ptr<TArchiveIndex> index_;
    int entryNumber_ = 0;
};

inline TStoreSummary StoreContainer(TMemoryStream& stream, const TStoreOptions& options, IStoreReporter& reporter)
{
    return TArchiveStore(options, reporter).StoreContainer(stream);
}

// 8-bit device text as it becomes a file name: one character per byte.
inline QString Latin1Name(const std::string& name)
{
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}
