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
    std::vector<TEntryNote> notArchived;

    void InformationBox(const QString& text) override { information << text; }
    void MessageBox(const QString& text) override { messages << text; }
    void StatusLine(const QString& text) override { status << text; }
    void ArchiveStored(const TArchiveReport& report) override { archives.push_back(report); }
    void EntryNotArchived(const TEntryNote& note) override { notArchived.push_back(note); }
};

// The commit's reporter: the storage pass's reports, and in order what it
// said of the data file and the download ("spool PATH", "downloads PATH",
// "vexa", "file PATH", "spool failed REASON", "not confirmed 83",
// "unreadable N PATH", "failed CODE").
struct TDownloadRecorder : IDownloadReporter {
    TStoreRecorder store;
    QStringList said;

    void InformationBox(const QString& text) override { store.InformationBox(text); }
    void MessageBox(const QString& text) override { store.MessageBox(text); }
    void StatusLine(const QString& text) override { store.StatusLine(text); }
    void ArchiveStored(const TArchiveReport& report) override { store.ArchiveStored(report); }
    void EntryNotArchived(const TEntryNote& note) override { store.EntryNotArchived(note); }
    void DataFileKept(TKeptIn where, const QString& path) override
    {
        switch (where) {
        case TKeptIn::Spool: said << "spool " + path; break;
        case TKeptIn::Downloads: said << "downloads " + path; break;
        case TKeptIn::Vexa: said << "vexa"; break;
        case TKeptIn::SourceFile: said << "file " + path; break;
        }
    }
    void SpoolFailed(const QString& reason) override { said << "spool failed " + reason; }
    void EndNotConfirmed(std::uint8_t endCommand, int) override
    {
        said << "not confirmed " + QString::number(endCommand, 16);
    }
    void UnreadableKept(int entries, const QString& path) override
    {
        said << QStringLiteral("unreadable %1 %2").arg(entries).arg(path);
    }
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
