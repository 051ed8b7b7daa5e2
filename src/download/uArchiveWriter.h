#pragma once
// Puts one archive into the destination directory: under a name that stays
// inside it, atomically, and never over an existing file.
//
// The bytes go to a temporary file in the destination, are flushed and
// synced, and only then appear under their name by a rename that refuses to
// replace. A crash leaves at most a stray ".pellkit-*.part", never a half
// archive under a final name. A name already taken by identical content is a
// repeated download and is skipped; taken by other content, the archive goes
// to NAME_2.EXT, NAME_3.EXT, ...

#include "uArchUtil.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <span>
#include <unordered_map>
#include <vector>

class QFileDevice;

enum class TArchiveOutcome {
    Written,
    SkippedIdentical,       // the same bytes are already there under that name
    WrittenUnderOtherName,  // the name was taken by other content
    Failed,
};

struct TWriteResult {
    TArchiveOutcome outcome = TArchiveOutcome::Failed;
    QString fileName;  // the name in the destination: written, or found identical
    QString error;     // why it failed
    int number = 0;    // n of the NAME_n in fileName (1: NAME itself); 0 when it failed
};

// Writes the whole content into the open temporary file; false on failure.
// The default writes it; tests pass one that fails like a full disk.
using TContentWriter = std::function<bool(QFileDevice& file, std::span<const std::uint8_t> bytes)>;

// Device data decides the names, so a name becomes exactly one path component:
// path separators, NUL and the other codes below 20h, DEL and the codes 80h
// to 9Fh become '_' (on Windows also <>:"|?*). Returns an empty string for a name that cannot be made safe
// (empty, "." or ".."). Well-formed names come back unchanged.
QString SafeArchiveName(const QString& name);

// The regular files of a destination by size, so that bytes already there
// under any name are found without reading every file: only files of the
// same size are read, each once, and a matching digest is confirmed byte for
// byte. One storage pass keeps one index.
class TArchiveIndex {
public:
    explicit TArchiveIndex(QString directory);
    // The name of a file with exactly these bytes; empty when there is none.
    QString Find(std::span<const std::uint8_t> bytes);
    // A file just written.
    void Add(const QString& name, std::span<const std::uint8_t> bytes);

private:
    struct TFile {
        QString name;
        QByteArray digest;  // empty until read
    };
    static QByteArray Digest(std::span<const std::uint8_t> bytes);
    void Load();

    QString directory_;
    bool loaded_ = false;
    std::unordered_map<qint64, std::vector<TFile>> bySize_;
};

// NAME.EXT -> NAME_n.EXT (NAME_n without an extension).
QString NumberedArchiveName(const QString& name, int n);

// Stores bytes as name in directory (see above). Fails when the directory is
// missing, the name is refused, or the file cannot be written.
// The search for a free NAME_n starts at firstNumber: a pass that stores many
// archives of one name hands on where the last one went, so that a file of
// thousands of tiny entries does not cost quadratic time. NAME itself is
// always checked for identical content; with an index, so is every file in
// the directory (the found name is then fileName, and number is 0).
TWriteResult WriteArchiveFile(const QString& directory, const QString& name, std::span<const std::uint8_t> bytes,
                              const TContentWriter& writer = {}, int firstNumber = 1,
                              TArchiveIndex* index = nullptr);

// The writability test before a download: creates and deletes an empty
// "$$Test<yymmddhhmmss>.txt" in directory. Returns true when the test FAILED
// (the directory is missing or nothing can be created in it).
bool TestDestination(const QString& directory, const std::function<TArchiveTime()>& now = ArchiveTimeNowLocal);
