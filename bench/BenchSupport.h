#pragma once
// Shared by the benchmarks: clocks, statistics, child processes, scratch
// folders and the one output format scripts/bench gathers into its table.
//
// Every result is one line on stdout:
//   | benchmark | case | measured | goal | verdict |
// Everything else (what was run, warnings) goes to stderr.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/types.h>

namespace bench {

using Clock = std::chrono::steady_clock;

// CLOCK_MONOTONIC in nanoseconds: the same clock in every process.
std::int64_t MonotonicNs();

double Seconds(Clock::duration d);
// User + system CPU of a rusage, in seconds.
double CpuSeconds(const rusage& r);
rusage SelfUsage();
// CPU time of the calling thread, in seconds.
double ThreadCpuSeconds();

// The value at fraction q (0..1) of the sorted values (nearest rank).
double Quantile(std::vector<double> values, double q);

// Prints one result line; verdict is "met", "missed" or "-" when there is no goal.
void Row(const std::string& benchmark, const std::string& item, const std::string& measured,
         const std::string& goal = "-", const std::string& verdict = "-");
std::string Verdict(bool met);
std::string Fixed(double value, int decimals);

// argv-style options: "--name value" pairs after the subcommand.
class Options {
public:
    Options(int argc, char** argv, int first);
    std::string Text(const std::string& name, const std::string& fallback = {}) const;
    long Number(const std::string& name, long fallback) const;
    bool Has(const std::string& name) const { return values_.count(name) != 0; }

private:
    std::map<std::string, std::string> values_;
};

// A fresh folder under $TMPDIR, removed with its contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The folder of this executable (build/bin), where the other programs are.
std::filesystem::path BinDir();

// A program started with its stdout on a pipe; stopped (SIGTERM) and reaped
// by Stop or the destructor.
class Child {
public:
    Child(const std::filesystem::path& program, const std::vector<std::string>& args);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Started() const { return pid_ > 0; }
    // The first line the program prints, within the limit.
    std::optional<std::string> FirstLine(std::chrono::milliseconds limit);
    void Stop();

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

struct RunOutcome {
    int status = -1; // exit status; -1 when it did not start or was killed
    rusage usage{};  // of that child alone
    double wallSeconds = 0;
};

// Runs a program to its end with stdout and stderr on /dev/null.
RunOutcome RunToEnd(const std::filesystem::path& program, const std::vector<std::string>& args);

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path);

} // namespace bench
