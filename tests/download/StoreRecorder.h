#pragma once
// The storage pass's reporter for tests: keeps everything it is told.

#include "uArchiveStore.h"
#include "uDownloadCommit.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <vector>

namespace pellkit::test {

struct TStoreRecorder : IStoreReporter {
    QStringList information;
    QStringList messages;
    QStringList status;
    std::vector<TArchiveReport> archives;

    void InformationBox(const QString& text) override { information << text; }
    void MessageBox(const QString& text) override { messages << text; }
    void StatusLine(const QString& text) override { status << text; }
    void ArchiveStored(const TArchiveReport& report) override { archives.push_back(report); }
};

// The commit's reporter: the storage pass's reports, and in order what it
// said of the safety copy and the download ("kept PATH", "spool failed
// REASON", "failed CODE").
struct TDownloadRecorder : IDownloadReporter {
    TStoreRecorder store;
    QStringList said;

    void InformationBox(const QString& text) override { store.InformationBox(text); }
    void MessageBox(const QString& text) override { store.MessageBox(text); }
    void StatusLine(const QString& text) override { store.StatusLine(text); }
    void ArchiveStored(const TArchiveReport& report) override { store.ArchiveStored(report); }
    void SpoolKept(const QString& path) override { said << "kept " + path; }
    void SpoolFailed(const QString& reason) override { said << "spool failed " + reason; }
    void DownloadFailed(int result, const QString&) override { said << "failed " + QString::number(result); }
};

inline QStringList FilesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

inline QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QByteArray AsArray(const std::vector<std::uint8_t>& b)
{
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

} // namespace pellkit::test
