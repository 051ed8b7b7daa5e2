#pragma once
// A download run in-process the way the window runs it (the destination
// test, TThreadDownload over TQtSerialPort, then the storage pass) against
// vexa-sim over a real pty, and the checks every run must pass whatever went
// wrong: the port is released, and once the Vexa was told to delete, every
// entry's bytes are on disk.

#include "ContainerBuilder.h"
#include "LinkFixture.h"
#include "VexaSim.h"
#include "uArchiveStore.h"
#include "uArchiveWriter.h"
#include "uArdoVexa.h"
#include "uDownloadCommit.h"
#include "uLocalization.h"
#include "uMessageCodes.h"
#include "uQtSerialPort.h"
#include "uSpool.h"
#include "uThreadDownload.h"
#include "uTranslation.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDevice>
#include <QLoggingCategory>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace pellkit::test {

namespace fs = std::filesystem;

// The process's per-user state lives in a scratch folder: settings, the
// spool (XDG_DATA_HOME/Morvane/Pellkit/spool, as for pellkit-cli).
inline const fs::path& FaultHome()
{
    static TempDir home;
    return home.Path();
}

inline QCoreApplication& FaultApp()
{
    static QCoreApplication* app = [] {
        fs::create_directories(FaultHome() / "config");
        fs::create_directories(FaultHome() / "data");
        ::setenv("XDG_CONFIG_HOME", (FaultHome() / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (FaultHome() / "data").c_str(), 1);
        // The application itself comes from the test main (QtTestMain.cpp).
        QCoreApplication* a = QCoreApplication::instance();
        QCoreApplication::setOrganizationName(QStringLiteral("Morvane"));
        QCoreApplication::setApplicationName(QStringLiteral("Pellkit"));
        QLoggingCategory::setFilterRules(QStringLiteral("pellkit.download.debug=false"));
        SetCurrentLanguage(lang::English);
        return a;
    }();
    return *app;
}

// Name -> content of the regular files in a folder (none when it is missing).
inline std::map<std::string, Bytes> FilesIn(const fs::path& dir)
{
    std::map<std::string, Bytes> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (e.is_regular_file(ec))
            files[e.path().filename().string()] = ReadFileBytes(e.path());
    return files;
}

// Two driver cards and a VU download, as the Vexa would hold them, and what
// each entry must become on disk.
struct TFaultData {
    Bytes card1 = MakeCardImage(TCardFields{}.Number("ES00000000000101").LastDownload(0x4B000000).PadTo(400));
    Bytes card2 = MakeCardImage(
        TCardFields{}.Number("ES00000000000202").Holder("OTHER", "NAME").LastDownload(0x4C000000).PadTo(400));
    Bytes overview = MakeOverviewResponse(0x0D, "AB 123 CD", "VIN00000000000001", 0x4B100000);
    Bytes activities = MakeResponse(0x02, 300);
    Bytes data = MakeContainer({{{0xA7, card1}}, {{0xA7, card2}}, {{0xA1, overview}, {0xA2, activities}}});

    std::vector<Bytes> Archives() const
    {
        Bytes vu = overview;
        Append(vu, activities);
        return {card1, card2, vu};
    }
};

inline const TFaultData& FaultData()
{
    static const TFaultData d;
    return d;
}

// TQtSerialPort under the worker, with a look at every request on its way
// out (on the worker's thread). The COM name the worker gives is replaced by
// the simulator's pty.
class TTapPort : public ISerialPort {
public:
    explicit TTapPort(std::string device) : device_(std::move(device)) {}

    void SetDevice(std::string device)
    {
        std::lock_guard lock(mutex_);
        device_ = std::move(device);
    }
    std::string Device() const
    {
        std::lock_guard lock(mutex_);
        return device_;
    }

    // (command, its number in this run from 1); cleared by ResetCounts.
    std::function<void(std::uint8_t command, int nth)> onWrite;
    void ResetCounts() { counts_.clear(); }
    int Written(std::uint8_t command) const
    {
        const auto it = counts_.find(command);
        return it == counts_.end() ? 0 : it->second;
    }

    void SetName(const std::string&) override { inner_.SetName(Device()); }
    std::string Name() const override { return inner_.Name(); }
    void Open() override { inner_.Open(); }
    void Close() override { inner_.Close(); }
    bool IsOpen() const override { return inner_.IsOpen(); }
    void Write(std::span<const std::uint8_t> bytes) override
    {
        if (bytes.size() > 5) {
            const int n = ++counts_[bytes[5]];
            if (onWrite)
                onWrite(bytes[5], n);
        }
        inner_.Write(bytes);
    }
    void SetReceiveHandler(ReceiveHandler handler) override { inner_.SetReceiveHandler(std::move(handler)); }
    void SetErrorHandler(ErrorHandler handler) override { inner_.SetErrorHandler(std::move(handler)); }

private:
    TQtSerialPort inner_;
    mutable std::mutex mutex_;
    std::string device_;
    std::map<std::uint8_t, int> counts_;  // worker thread while it runs
};

class TRecordingReporter : public IDownloadReporter {
public:
    void InformationBox(const QString& text) override { boxes << text; }
    void MessageBox(const QString& text) override { boxes << text; }
    void StatusLine(const QString&) override {}
    void ArchiveStored(const TArchiveReport&) override {}
    void EntryNotArchived(const TEntryNote&) override {}
    void DataFileKept(TKeptIn where, const QString& path) override
    {
        if (where == TKeptIn::Downloads)
            keptCopy = path;
    }
    void SpoolFailed(const QString&) override {}
    void EndNotConfirmed(std::uint8_t, int) override { endNotConfirmed = true; }
    void UnreadableKept(int, const QString&) override {}
    void DownloadFailed(int, const QString&) override {}
    QStringList boxes;
    QString keptCopy;
    bool endNotConfirmed = false;
};

struct TDownloadSetup {
    bool keepData = true;
    fs::path destination;
    // On the worker's thread as each request goes out; may cancel.
    std::function<void(TThreadDownload& worker, std::uint8_t command, int nth)> onWrite;
    TContentWriter contentWriter;
};

struct TDownloadRun {
    bool destinationRefused = false;  // the test before the download failed; nothing was sent
    bool completed = false;           // false: the worker never finished
    int result = 1;
    QString spoolFile;
    QString spoolError;
    QString portError;
    bool sentDelete = false;
    bool spooledAtDelete = true;  // the spool held the data the moment 83h went out
    std::optional<TStoreSummary> stored;
    QStringList boxes;  // what the storage pass told the user
    QString keptCopy;   // the data file in the downloads folder
    bool endNotConfirmed = false;
};

inline QString SpoolDirectory()
{
    FaultApp();
    return DefaultSpoolDirectory();
}

inline QString DownloadsDirectory()
{
    FaultApp();
    return DefaultDownloadsDirectory();
}

inline bool SpoolHolds(const QString& directory, const Bytes& data)
{
    for (const QString& f : SpoolLeftovers(directory))
        if (ReadFileBytes(f.toStdString()) == data)
            return true;
    return false;
}

// The downloads folder holds exactly these bytes in one of its files.
inline bool DownloadsHold(const Bytes& data)
{
    const QDir dir(DownloadsDirectory());
    for (const QString& f : dir.entryList(QDir::Files))
        if (ReadFileBytes(dir.filePath(f).toStdString()) == data)
            return true;
    return false;
}

inline void ClearSpool()
{
    for (const QString& f : SpoolLeftovers(SpoolDirectory()))
        RemoveSpool(f);
    QDir(DownloadsDirectory()).removeRecursively();
}

// One download from start to storage; the spool goes once everything is stored.
inline TDownloadRun RunDownload(TTapPort& port, const TDownloadSetup& setup, const Bytes& data,
                                std::chrono::milliseconds hangLimit = std::chrono::minutes(2))
{
    FaultApp();
    TDownloadRun run;
    const QString destination = QString::fromStdString(setup.destination.string());
    if (TestDestination(destination)) {
        run.destinationRefused = true;
        return run;
    }
    const QString spool = SpoolDirectory();
    TThreadDownload worker(1, port, setup.keepData, 1);
    worker.setAutoDelete(false);
    port.ResetCounts();
    port.onWrite = [&](std::uint8_t command, int nth) {
        if (command == 0x83) {
            run.sentDelete = true;
            run.spooledAtDelete = run.spooledAtDelete && SpoolHolds(spool, data);
        }
        if (setup.onWrite)
            setup.onWrite(worker, command, nth);
    };
    QEventLoop loop;
    TDownloadOutcome outcome;
    QObject::connect(&worker, &TThreadDownload::Completed, &loop, [&](TThreadDownload* w) {
        run.completed = true;
        outcome = w->TakeOutcome();
        run.result = outcome.result;
        run.spoolFile = outcome.spoolFile;
        run.spoolError = outcome.spoolError;
        run.portError = outcome.portError;
        loop.quit();
    });
    // A timer of this run only: a pending single-shot would outlive it.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.start(hangLimit);
    worker.start();
    loop.exec();
    if (!run.completed) {
        // Said now: the worker's destructor waits for it and may never return.
        std::cerr << "the download worker did not finish within the limit\n" << std::flush;
        ADD_FAILURE() << "the download worker hung";
    }
    worker.wait();
    port.onWrite = nullptr;

    TCommitOptions options;
    options.store.destination = destination;
    options.store.contentWriter = setup.contentWriter;
    TRecordingReporter reporter;
    const TCommitSummary summary = CommitDownload(outcome, options, reporter);
    if (summary.stored)
        run.stored = summary.store;
    run.boxes = reporter.boxes;
    run.keptCopy = reporter.keptCopy;
    run.endNotConfirmed = reporter.endNotConfirmed;
    return run;
}

// The program's port is closed and the line can be taken again at once: the
// device opens, no exclusive flag is left on it, and a fresh adapter opens it.
inline ::testing::AssertionResult PortReleased(const ISerialPort& port, const std::string& device)
{
    if (port.IsOpen())
        return ::testing::AssertionFailure() << "the program's port is still open";
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return ::testing::AssertionFailure() << device << " cannot be opened: " << std::strerror(errno);
#ifdef TIOCGEXCL
    int exclusive = 0;
    const bool asked = ::ioctl(fd, TIOCGEXCL, &exclusive) == 0;
    ::close(fd);
    if (asked && exclusive != 0)
        return ::testing::AssertionFailure() << device << " is still held exclusively";
#else
    ::close(fd);
#endif
    TQtSerialPort fresh;
    fresh.SetName(device);
    try {
        fresh.Open();
    } catch (const ESerialPort& e) {
        return ::testing::AssertionFailure() << "a new port cannot open " << device << ": " << e.what();
    }
    fresh.Close();
    return ::testing::AssertionSuccess();
}

// Once the Vexa was told to delete, every byte of its data file is on disk:
// the whole file in the downloads folder or the spool, or each entry
// archived in the destination.
inline ::testing::AssertionResult DataSafe(bool deleteSent, const fs::path& destination, const TFaultData& d,
                                           const QString& spoolDirectory = SpoolDirectory())
{
    if (!deleteSent)
        return ::testing::AssertionSuccess();
    if (SpoolHolds(spoolDirectory, d.data) || DownloadsHold(d.data))
        return ::testing::AssertionSuccess();
    const auto archives = FilesIn(destination);
    const std::vector<Bytes> entries = d.Archives();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const bool there = std::any_of(archives.begin(), archives.end(),
                                       [&](const auto& a) { return a.second == entries[i]; });
        if (!there)
            return ::testing::AssertionFailure() << "entry " << i << " is neither archived nor spooled after 83h";
    }
    return ::testing::AssertionSuccess();
}

// A failure the user is shown has its own text, not the catch-all.
inline ::testing::AssertionResult HasOwnText(int result)
{
    if (result == kResultOk)
        return ::testing::AssertionSuccess();
    const QString text = ResultText(result);
    if (text.isEmpty() || ResultMessageCode(result) == msg::ResultUnknown
        || text == MessageTextIn(lang::English, msg::ResultUnknown))
        return ::testing::AssertionFailure() << "result " << result << " has no text of its own";
    return ::testing::AssertionSuccess();
}

} // namespace pellkit::test
