#include "BenchSupport.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {

std::int64_t MonotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double CpuSeconds(const rusage& r)
{
    auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return s(r.ru_utime) + s(r.ru_stime);
}

rusage SelfUsage()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return r;
}

double ThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double Quantile(std::vector<double> values, double q)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(values.size())));
    return values[std::min(values.size() - 1, rank == 0 ? 0 : rank - 1)];
}

void Row(const std::string& benchmark, const std::string& item, const std::string& measured, const std::string& goal,
         const std::string& verdict)
{
    std::printf("| %s | %s | %s | %s | %s |\n", benchmark.c_str(), item.c_str(), measured.c_str(), goal.c_str(),
                verdict.c_str());
    std::fflush(stdout);
}

std::string Verdict(bool met) { return met ? "met" : "**missed**"; }

std::string Fixed(double value, int decimals)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
}

Options::Options(int argc, char** argv, int first)
{
    for (int i = first; i < argc; ++i) {
        std::string name = argv[i];
        if (name.rfind("--", 0) != 0)
            continue;
        name = name.substr(2);
        if (i + 1 < argc && std::string(argv[i + 1]).rfind("--", 0) != 0)
            values_[name] = argv[++i];
        else
            values_[name] = "";
    }
}

std::string Options::Text(const std::string& name, const std::string& fallback) const
{
    const auto it = values_.find(name);
    return it == values_.end() ? fallback : it->second;
}

long Options::Number(const std::string& name, long fallback) const
{
    const auto it = values_.find(name);
    return it == values_.end() || it->second.empty() ? fallback : std::strtol(it->second.c_str(), nullptr, 10);
}

TempDir::TempDir()
{
    std::string templ = (std::filesystem::temp_directory_path() / "pellkit-bench-XXXXXX").string();
    if (::mkdtemp(templ.data()))
        path_ = templ;
}

TempDir::~TempDir()
{
    std::error_code ec;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ec);
}

std::filesystem::path BinDir()
{
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : self.parent_path();
}

namespace {

std::vector<char*> Argv(std::vector<std::string>& strings)
{
    std::vector<char*> argv;
    for (auto& s : strings)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    return argv;
}

} // namespace

Child::Child(const std::filesystem::path& program, const std::vector<std::string>& args)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return;
    std::vector<std::string> strings{program.string()};
    strings.insert(strings.end(), args.begin(), args.end());
    auto argv = Argv(strings);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&fa, pipeFds[1], 1);
    const int rc = ::posix_spawn(&pid_, strings[0].c_str(), &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    ::close(pipeFds[1]);
    if (rc != 0) {
        pid_ = -1;
        ::close(pipeFds[0]);
        return;
    }
    out_ = pipeFds[0];
}

Child::~Child() { Stop(); }

std::optional<std::string> Child::FirstLine(std::chrono::milliseconds limit)
{
    std::string line;
    const auto deadline = Clock::now() + limit;
    while (out_ >= 0 && Clock::now() < deadline) {
        pollfd p{out_, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (::poll(&p, 1, static_cast<int>(std::max<long long>(1, left))) <= 0)
            continue;
        char c = 0;
        if (::read(out_, &c, 1) != 1)
            return std::nullopt;
        if (c == '\n')
            return line;
        line += c;
    }
    return std::nullopt;
}

void Child::Stop()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = -1;
    }
    if (out_ >= 0) {
        ::close(out_);
        out_ = -1;
    }
}

RunOutcome RunToEnd(const std::filesystem::path& program, const std::vector<std::string>& args)
{
    RunOutcome outcome;
    std::vector<std::string> strings{program.string()};
    strings.insert(strings.end(), args.begin(), args.end());
    auto argv = Argv(strings);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const auto start = Clock::now();
    const int rc = ::posix_spawn(&pid, strings[0].c_str(), &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0)
        return outcome;
    int status = 0;
    while (::wait4(pid, &status, 0, &outcome.usage) < 0 && errno == EINTR) {
    }
    outcome.wallSeconds = Seconds(Clock::now() - start);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace bench
