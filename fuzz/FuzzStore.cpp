// A received data file through the storage pass, into a destination of its
// own. Device text names the archives, so after every pass the tree around
// the destination is checked: nothing beside it, nothing below it but plain
// files, no temporary file left behind, and every archive reported as
// written really there with its size. A file the validation pass finds
// sound must also be stored safely.

#include "FuzzCheck.h"

#include "uArchiveStore.h"
#include "uContainer.h"
#include "uLocalization.h"
#include "uTranslation.h"

#include <QString>

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string g_parent; // private to this process: holds dest and nothing else
std::string g_dest;

std::vector<std::string> Names(const std::string& dir)
{
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    FUZZ_CHECK(d != nullptr);
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(d);
    return names;
}

void EmptyDestination()
{
    for (const std::string& name : Names(g_dest))
        ::unlink((g_dest + "/" + name).c_str());
}

void RemoveTree(const std::string& parent)
{
    const std::string dest = parent + "/dest";
    if (DIR* d = ::opendir(dest.c_str())) {
        ::closedir(d);
        for (const std::string& name : Names(dest))
            ::unlink((dest + "/" + name).c_str());
    }
    ::rmdir(dest.c_str());
    ::rmdir(parent.c_str());
}

void RemoveOwnTree()
{
    if (!g_parent.empty())
        RemoveTree(g_parent);
}

// A process that crashed or hit a limit leaves its tree behind: the trees of
// processes that are gone are removed on the next start.
void RemoveStaleTrees(const std::string& tmp)
{
    DIR* d = ::opendir(tmp.c_str());
    if (!d)
        return;
    std::vector<std::string> stale;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        const std::string prefix = "pellkit-fuzz-store-";
        if (name.rfind(prefix, 0) != 0)
            continue;
        const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            stale.push_back(tmp + "/" + name);
    }
    ::closedir(d);
    for (const std::string& parent : stale)
        RemoveTree(parent);
}

class TNoLog : public IDebugLog {
public:
    void DebugLog(const QString&) override {}
};

class TRecorder : public IStoreReporter {
public:
    void InformationBox(const QString&) override {}
    void MessageBox(const QString&) override {}
    void StatusLine(const QString&) override {}
    void ArchiveStored(const TArchiveReport& report) override { reports.push_back(report); }
    void EntryNotArchived(const TEntryNote&) override {}

    std::vector<TArchiveReport> reports;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    SetCataloguePath(QStringLiteral(PELLKIT_FUZZ_CATALOGUE));
    const char* env = std::getenv("TMPDIR");
    const std::string tmp = env && *env ? env : "/tmp";
    RemoveStaleTrees(tmp);
    std::string pattern = tmp + "/pellkit-fuzz-store-" + std::to_string(::getpid()) + "-XXXXXX";
    FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
    g_parent = pattern;
    g_dest = g_parent + "/dest";
    FUZZ_CHECK(::mkdir(g_dest.c_str(), 0700) == 0);
    std::atexit(RemoveOwnTree);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The naming families and the catalogue language vary with the input, so
    // that every family meets hostile text; the input itself stays a plain data file.
    static const int kLanguages[] = {lang::English, lang::French, 11, 19};
    SetCurrentLanguage(kLanguages[(size / 16) % 4]);
    TStoreOptions options;
    options.destination = QString::fromStdString(g_dest);
    options.cardFormat = static_cast<int>(size % 4);
    options.vehicleFormat = static_cast<int>((size / 4) % 4);
    options.now = [] { return TArchiveTime{2024, 1, 15, 8, 30, 0}; };

    TMemoryStream checked(data, size);
    TNoLog log;
    const bool sound = ValidateContainer(log, checked) == 0;

    TMemoryStream stream(data, size);
    TRecorder recorder;
    const TStoreSummary summary = StoreContainer(stream, options, recorder);

    const std::vector<std::string> beside = Names(g_parent);
    FUZZ_CHECK(beside.size() == 1 && beside[0] == "dest");
    const std::vector<std::string> files = Names(g_dest);
    for (const std::string& name : files) {
        struct stat st {};
        FUZZ_CHECK(::lstat((g_dest + "/" + name).c_str(), &st) == 0);
        FUZZ_CHECK(S_ISREG(st.st_mode));
        FUZZ_CHECK(name.rfind(".pellkit-", 0) != 0);
    }
    FUZZ_CHECK(files.size() == static_cast<std::size_t>(summary.written + summary.writtenUnderOtherName));
    FUZZ_CHECK(recorder.reports.size() == static_cast<std::size_t>(summary.written + summary.skippedIdentical +
                                                                   summary.writtenUnderOtherName + summary.failed));
    bool refusedSpeedParts = false;
    for (const TArchiveReport& report : recorder.reports) {
        // The disk is sound here; only a card entry's speed parts, which have
        // no name of their own, are refused.
        if (report.outcome == TArchiveOutcome::Failed) {
            FUZZ_CHECK(report.name.isEmpty());
            refusedSpeedParts = true;
            continue;
        }
        struct stat st {};
        const std::string path = g_dest + "/" + report.fileName.toStdString();
        FUZZ_CHECK(!report.fileName.isEmpty() && !report.fileName.contains(QLatin1Char('/')));
        FUZZ_CHECK(::lstat(path.c_str(), &st) == 0 && st.st_size == report.bytes);
    }    FUZZ_CHECK(!sound || summary.allSafe || refusedSpeedParts);

    EmptyDestination();
    return 0;
}
