// The validation pass and the storage pass over data files of growing size,
// in this process (throughput, best of three), and `pellkit-cli store` as a
// program of its own (peak resident memory). Time per MB at each size shows
// whether the passes stay linear.

#include "Bench.h"
#include "BenchSupport.h"

#include "uArchiveStore.h"
#include "uContainer.h"

#include <QString>

#include <cstdio>
#include <sstream>

namespace {

class TQuietLog : public IDebugLog {
public:
    void DebugLog(const QString&) override {}
};

class TQuietReporter : public IStoreReporter {
public:
    void InformationBox(const QString&) override {}
    void MessageBox(const QString&) override {}
    void StatusLine(const QString&) override {}
    void ArchiveStored(const TArchiveReport&) override {}
    void EntryNotArchived(const TEntryNote&) override {}
};

std::vector<std::string> Split(const std::string& list)
{
    std::vector<std::string> parts;
    std::stringstream in(list);
    for (std::string part; std::getline(in, part, ',');)
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

constexpr double kMB = 1024.0 * 1024.0;
constexpr int kRounds = 3;

struct Sizes {
    std::string label;
    double megabytes = 0;
    double validateSeconds = 0; // wall, best round
    double storeSeconds = 0;
    double validateCpu = 0;     // this thread's CPU, best round
    double storeCpu = 0;
    double peakBytes = 0;
    bool ok = true;
};

std::string PerMB(double seconds, double megabytes)
{
    return bench::Fixed(seconds / megabytes * 1000.0, 2) + " ms/MB";
}

} // namespace

int RunPasses(int argc, char** argv)
{
    const bench::Options options(argc, argv, 2);
    const std::vector<std::string> files = Split(options.Text("files"));
    const std::string source = options.Text("source", "samples");
    if (files.empty()) {
        std::fprintf(stderr, "passes: --files F1,F2,... is required\n");
        return 2;
    }

    std::vector<Sizes> results;
    for (const std::string& file : files) {
        Sizes s;
        const std::vector<std::uint8_t> bytes = bench::ReadFile(file);
        s.megabytes = static_cast<double>(bytes.size()) / kMB;
        s.label = bench::Fixed(s.megabytes, 1) + " MB (" + source + ")";

        TQuietLog log;
        for (int round = 0; round < kRounds; ++round) {
            TMemoryStream stream(bytes);
            const double cpu = bench::ThreadCpuSeconds();
            const auto start = bench::Clock::now();
            const int valid = ValidateContainer(log, stream);
            const double t = bench::Seconds(bench::Clock::now() - start);
            const double c = bench::ThreadCpuSeconds() - cpu;
            s.ok = s.ok && valid == 0;
            s.validateSeconds = round == 0 ? t : std::min(s.validateSeconds, t);
            s.validateCpu = round == 0 ? c : std::min(s.validateCpu, c);
        }

        // Each round into an empty destination: the first copy of every
        // archive is written, the repeats are found identical.
        for (int round = 0; round < kRounds; ++round) {
            bench::TempDir destination;
            TMemoryStream stream(bytes);
            TStoreOptions storeOptions;
            storeOptions.destination = QString::fromStdString(destination.Path().string());
            TQuietReporter reporter;
            const double cpu = bench::ThreadCpuSeconds();
            const auto start = bench::Clock::now();
            const TStoreSummary summary = StoreContainer(stream, storeOptions, reporter);
            const double t = bench::Seconds(bench::Clock::now() - start);
            const double c = bench::ThreadCpuSeconds() - cpu;
            s.ok = s.ok && summary.allSafe;
            s.storeSeconds = round == 0 ? t : std::min(s.storeSeconds, t);
            s.storeCpu = round == 0 ? c : std::min(s.storeCpu, c);
        }

        bench::TempDir destination;
        const bench::RunOutcome cli =
            bench::RunToEnd(bench::BinDir() / "pellkit-cli", {"store", file, "--dest", destination.Path().string()});
        s.ok = s.ok && cli.status == 0;
        s.peakBytes = static_cast<double>(cli.usage.ru_maxrss) * 1024.0; // KiB on Linux
        results.push_back(s);
        if (!s.ok)
            std::fprintf(stderr, "passes: %s did not pass cleanly (cli status %d)\n", file.c_str(), cli.status);
    }

    // The verdict goes by CPU time, which the other work on a shared machine
    // does not inflate; the wall time (best of three) is shown beside it.
    auto pass = [](const char* name, const Sizes& s, double wall, double cpu) {
        const double rate = s.megabytes / cpu;
        bench::Row(name, s.label,
                   bench::Fixed(rate, 0) + " MB/s CPU, " + bench::Fixed(s.megabytes / wall, 0) + " MB/s wall (" +
                       PerMB(cpu, s.megabytes) + " CPU, " + PerMB(wall, s.megabytes) + " wall)",
                   ">= 200 MB/s", s.ok ? bench::Verdict(rate >= 200) : "**failed**");
    };
    for (const Sizes& s : results)
        pass("Validation pass", s, s.validateSeconds, s.validateCpu);
    for (const Sizes& s : results)
        pass("Storage pass", s, s.storeSeconds, s.storeCpu);
    for (const Sizes& s : results) {
        const double fileBytes = s.megabytes * kMB;
        const double limit = 3 * fileBytes + 50 * kMB;
        bench::Row("pellkit-cli store peak RSS", s.label,
                   bench::Fixed(s.peakBytes / kMB, 1) + " MB = " + bench::Fixed(s.peakBytes / fileBytes, 2) +
                       " x file (" + bench::Fixed((s.peakBytes - fileBytes) / kMB, 1) + " MB over it)",
                   "<= 3 x file + 50 MB (" + bench::Fixed(limit / kMB, 0) + " MB)",
                   s.ok ? bench::Verdict(s.peakBytes <= limit) : "**failed**");
    }

    // Linear: the cost per MB of the largest file against the smallest.
    if (results.size() >= 2) {
        const Sizes& small = results.front();
        const Sizes& large = results.back();
        auto growth = [&](double smallSeconds, double largeSeconds) {
            return (largeSeconds / large.megabytes) / (smallSeconds / small.megabytes);
        };
        const double v = growth(small.validateCpu, large.validateCpu);
        const double st = growth(small.storeCpu, large.storeCpu);
        const std::string item =
            "per-MB CPU time at " + bench::Fixed(large.megabytes, 0) + " MB / at " + bench::Fixed(small.megabytes, 0) + " MB";
        bench::Row("Validation pass growth", item, bench::Fixed(v, 2), "linear (<= 1.5)", bench::Verdict(v <= 1.5));
        bench::Row("Storage pass growth", item, bench::Fixed(st, 2), "linear (<= 1.5)", bench::Verdict(st <= 1.5));
        // The memory that comes with the file, beyond what the program needs anyway.
        const double slope = (large.peakBytes - small.peakBytes) / ((large.megabytes - small.megabytes) * kMB);
        bench::Row("pellkit-cli store RSS growth",
                   "peak RSS added per byte of file, " + bench::Fixed(small.megabytes, 0) + " -> " +
                       bench::Fixed(large.megabytes, 0) + " MB",
                   bench::Fixed(slope, 2) + " bytes/byte", "linear, <= 3", bench::Verdict(slope <= 3));
    }
    return 0;
}
