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
#include <stdexcept>
#include <string>

struct TStoreOptions {
    QString destination;    // the destination directory
    int cardFormat = 0;     // ArchiveFormat of card archives
    int vehicleFormat = 0;  // ArchiveFormat of VU archives
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

class IStoreReporter {
public:
    virtual ~IStoreReporter() = default;
    virtual void InformationBox(const QString& text) = 0;
    virtual void MessageBox(const QString& text) = 0;
    // Progress lines ("F0 : ...", "PRT ...").
    virtual void StatusLine(const QString& text) = 0;
    // Once per archive that was to be written, whatever became of it.
    virtual void ArchiveStored(const TArchiveReport& report) = 0;
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
    // 50 bytes are dropped unless they are VU transfer responses.
    void StoreArchive(const std::string& name, TMemoryStream& archive);
    // Writes the whole stream as name (8-bit text). Throws EArchiveWrite.
    void WriteArchive(TMemoryStream& archive, const std::string& name);

    const TStoreSummary& Summary() const { return summary_; }

private:
    void Unsafe();

    TStoreOptions options_;
    IStoreReporter& reporter_;
    TStoreSummary summary_;
    // Held by the walk from entry to entry; every card entry sets them.
    std::string surname_;
    std::string firstNames_;
    // Per archive name, the NAME_n the last archive of that name went to.
    std::map<QString, int> lastNumber_;
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
