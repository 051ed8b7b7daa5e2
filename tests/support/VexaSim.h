#pragma once
// End-to-end test harness: the simulated Vexa and the programs of build/bin.
//
//   pellkit::test::VexaSim sim({"--data", file, "--block", "64"});
//   ASSERT_TRUE(sim.Ok()) << sim.Error();
//   const auto r = pellkit::test::RunCli({"fetch", "--port", sim.Port(), "-o", out});
//   EXPECT_EQ(r.exitCode, 0) << r.err;
//   EXPECT_EQ(sim.Requests(), (std::vector<std::string>{"80", "81", "81", "84"}));
//
// VexaSim starts `vexa-sim serve` with a journal of its own and stops it in
// its destructor (SIGTERM, then SIGKILL after a grace period), also when the
// test fails. RunProgram/RunCli run a program to its end with a timeout and
// with XDG_CONFIG_HOME / XDG_DATA_HOME in a scratch folder, so that no test
// touches the user's settings. Programs are found beside the test binary
// (build/bin). Needs Qt6::Core for the journal's JSON.

#include "Samples.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pellkit::test {

using namespace std::chrono_literals;

// The folder of the running test binary: build/bin.
inline std::filesystem::path BinDir()
{
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : self.parent_path();
}

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir()
    {
        std::string templ = (std::filesystem::temp_directory_path() / "pellkit-test-XXXXXX").string();
        if (::mkdtemp(templ.data()))
            path_ = templ;
    }
    ~TempDir()
    {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct RunResult {
    int exitCode = -1;  // the exit status; minus the signal number when killed
    bool timedOut = false;
    std::string out;
    std::string err;
};

namespace detail {

struct Child {
    pid_t pid = -1;
    int out = -1;
    int err = -1;
};

// Starts program with stdin from /dev/null and stdout/stderr on pipes.
inline Child Spawn(const std::filesystem::path& program, const std::vector<std::string>& args,
                   const std::map<std::string, std::string>& env)
{
    Child c;
    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0)
        return c;
    if (::pipe2(errPipe, O_CLOEXEC) != 0) {
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return c;
    }
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (!env.count(entry.substr(0, entry.find('='))))
            envStrings.push_back(entry);
    }
    for (const auto& [k, v] : env)
        envStrings.push_back(k + "=" + v);
    std::vector<std::string> argStrings{program.string()};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv, envp;
    for (auto& s : argStrings)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    for (auto& s : envStrings)
        envp.push_back(s.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&fa, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&fa, errPipe[1], 2);
    const int rc = ::posix_spawn(&c.pid, argStrings[0].c_str(), &fa, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&fa);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (rc != 0) {
        c.pid = -1;
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        return c;
    }
    c.out = outPipe[0];
    c.err = errPipe[0];
    return c;
}

// Appends what is readable now; false at end of file.
inline bool Drain(int fd, std::string& into)
{
    char buf[4096];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
        into.append(buf, static_cast<std::size_t>(n));
        return true;
    }
    return n < 0 && errno == EINTR;
}

inline int ExitCode(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return -WTERMSIG(status);
    return -1;
}

// Waits for the child to end; nothing when it is still running at the deadline.
inline std::optional<int> WaitUntil(pid_t pid, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return ExitCode(status);
        if (r < 0 && errno != EINTR)
            return -1;
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(10ms);
    }
}

} // namespace detail

// Runs program (a name in BinDir, or a path) to its end. Past the timeout it
// is killed and timedOut set. XDG_CONFIG_HOME and XDG_DATA_HOME point into
// home, or into a scratch folder of this call when home is empty.
inline RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                            std::chrono::milliseconds timeout = 60s, const std::filesystem::path& home = {})
{
    RunResult r;
    TempDir scratch;
    const std::filesystem::path base = home.empty() ? scratch.Path() : home;
    std::filesystem::create_directories(base / "config");
    std::filesystem::create_directories(base / "data");
    const std::filesystem::path exe = program.find('/') == std::string::npos ? BinDir() / program : std::filesystem::path(program);
    detail::Child c = detail::Spawn(exe, args,
                                    {{"XDG_CONFIG_HOME", (base / "config").string()},
                                     {"XDG_DATA_HOME", (base / "data").string()},
                                     {"QT_QPA_PLATFORM", "offscreen"}});
    if (c.pid < 0) {
        r.err = "cannot start " + exe.string();
        return r;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left <= 0ms) {
            r.timedOut = true;
            ::kill(c.pid, SIGKILL);
            break;
        }
        pollfd fds[2] = {{outOpen ? c.out : -1, POLLIN, 0}, {errOpen ? c.err : -1, POLLIN, 0}};
        if (::poll(fds, 2, static_cast<int>(std::min<long long>(left.count(), 100))) <= 0)
            continue;
        if (outOpen && fds[0].revents)
            outOpen = detail::Drain(c.out, r.out);
        if (errOpen && fds[1].revents)
            errOpen = detail::Drain(c.err, r.err);
    }
    ::close(c.out);
    ::close(c.err);
    const auto code = detail::WaitUntil(c.pid, std::chrono::steady_clock::now() + 10s);
    if (!code) {
        ::kill(c.pid, SIGKILL);
        r.exitCode = detail::WaitUntil(c.pid, std::chrono::steady_clock::now() + 10s).value_or(-SIGKILL);
    } else {
        r.exitCode = *code;
    }
    return r;
}

// pellkit-cli with args; see RunProgram.
inline RunResult RunCli(const std::vector<std::string>& args, std::chrono::milliseconds timeout = 60s,
                        const std::filesystem::path& home = {})
{
    return RunProgram("pellkit-cli", args, timeout, home);
}

// A running `vexa-sim serve`. The journal always goes to a file of the
// harness's own (do not pass --journal).
class VexaSim {
public:
    explicit VexaSim(const std::vector<std::string>& serveArgs, std::chrono::milliseconds startTimeout = 10s)
    {
        journal_ = dir_ / "journal.jsonl";
        std::vector<std::string> args{"serve", "--journal", journal_.string()};
        args.insert(args.end(), serveArgs.begin(), serveArgs.end());
        child_ = detail::Spawn(BinDir() / "vexa-sim", args, {});
        if (child_.pid < 0) {
            error_ = "cannot start " + (BinDir() / "vexa-sim").string();
            return;
        }
        port_ = ReadLine(startTimeout);
        if (port_.empty()) {
            Stop();
            error_ = "vexa-sim gave no pty path (exit " + std::to_string(exitCode_.value_or(-1)) + "): " + stderr_;
        }
    }
    ~VexaSim() { Stop(); }
    VexaSim(const VexaSim&) = delete;
    VexaSim& operator=(const VexaSim&) = delete;

    bool Ok() const { return !port_.empty(); }
    const std::string& Error() const { return error_; }
    // The pty's slave path, the serial port to give the program.
    const std::string& Port() const { return port_; }

    // After a simulated hang-up the simulator opens a fresh pty: its path,
    // which also becomes Port(); empty when none came within the timeout.
    std::string WaitForNextPort(std::chrono::milliseconds timeout = 10s)
    {
        const std::string next = ReadLine(timeout);
        if (!next.empty())
            port_ = next;
        return next;
    }

    // Every journal line so far, in order (see the simulator's SimJournal.h).
    std::vector<QJsonObject> Journal() const
    {
        std::vector<QJsonObject> lines;
        std::ifstream in(journal_);
        for (std::string line; std::getline(in, line);) {
            const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(line));
            if (doc.isObject())
                lines.push_back(doc.object());
        }
        return lines;
    }
    // The commands of the well-formed requests received, in order: "80", "81", ...
    std::vector<std::string> Requests() const { return Field("rx", "cmd"); }
    // Waits until cmd was received at least count times: the journal lags
    // behind the line, by far while the simulator is still writing a flood.
    bool WaitForRequests(const std::string& cmd, std::size_t count,
                         std::chrono::milliseconds timeout = std::chrono::seconds(30)) const
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            const auto r = Requests();
            if (static_cast<std::size_t>(std::count(r.begin(), r.end(), cmd)) >= count)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    // The device's state changes: "kept", "deleted", "hangup", "reopened", "stopped".
    std::vector<std::string> Events() const { return Field("state", "event"); }
    // The journal file itself, for a reader that follows it as it grows.
    const std::filesystem::path& JournalPath() const { return journal_; }

    // SIGTERM, then SIGKILL after the grace period; returns the exit status
    // (minus the signal number when killed). Safe to call more than once.
    int Stop(std::chrono::milliseconds grace = 5s)
    {
        if (child_.pid > 0 && !exitCode_) {
            ::kill(child_.pid, SIGTERM);
            exitCode_ = detail::WaitUntil(child_.pid, std::chrono::steady_clock::now() + grace);
            if (!exitCode_) {
                ::kill(child_.pid, SIGKILL);
                exitCode_ = detail::WaitUntil(child_.pid, std::chrono::steady_clock::now() + 10s).value_or(-SIGKILL);
            }
        }
        if (child_.err >= 0) {
            while (detail::Drain(child_.err, stderr_)) {
            }
            ::close(child_.err);
            child_.err = -1;
        }
        if (child_.out >= 0) {
            ::close(child_.out);
            child_.out = -1;
        }
        return exitCode_.value_or(-1);
    }
    // What the simulator wrote to stderr; complete after Stop().
    const std::string& Stderr() const { return stderr_; }

private:
    std::vector<std::string> Field(const char* dir, const char* key) const
    {
        std::vector<std::string> values;
        for (const QJsonObject& o : Journal()) {
            if (o.value("dir").toString() == QLatin1String(dir) && o.contains(key))
                values.push_back(o.value(key).toString().toStdString());
        }
        return values;
    }

    // One line of the simulator's stdout, without its newline.
    std::string ReadLine(std::chrono::milliseconds timeout)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            if (const auto nl = stdout_.find('\n'); nl != std::string::npos) {
                std::string line = stdout_.substr(0, nl);
                stdout_.erase(0, nl + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left <= 0ms || child_.out < 0)
                return {};
            pollfd fds[2] = {{child_.out, POLLIN, 0}, {child_.err, POLLIN, 0}};
            if (::poll(fds, 2, static_cast<int>(std::min<long long>(left.count(), 100))) <= 0)
                continue;
            if (fds[1].revents & POLLIN)
                detail::Drain(child_.err, stderr_);
            if (fds[0].revents && !detail::Drain(child_.out, stdout_))
                return {};
        }
    }

    TempDir dir_;
    std::filesystem::path journal_;
    detail::Child child_;
    std::string port_;
    std::string error_;
    std::string stdout_;
    std::string stderr_;
    std::optional<int> exitCode_;
};

} // namespace pellkit::test
