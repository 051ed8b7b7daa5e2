// Downloads back to back against one simulated Vexa, with line faults and
// cancels drawn from a fixed seed, the way a program that stays open all day
// sees them. Every run must end, release the port and keep what the Vexa was
// told to delete; over the whole soak, descriptors, threads and memory must
// not grow.
//
// PELLKIT_SOAK_SECONDS sets the length (default 120 s, 30 s under
// AddressSanitizer); it stops earlier after 500 downloads.

#include "FaultHarness.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <random>

using namespace pellkit::test;
using namespace std::chrono_literals;

namespace {

constexpr std::uint32_t kSeed = 20240611;
constexpr int kMaxRuns = 500;
constexpr std::size_t kBlock = 512;
constexpr int kRules = 125;
constexpr long kRssSlackKb = 8 * 1024;
constexpr auto kExchangeTimeout = 1000ms;

#if defined(__SANITIZE_ADDRESS__)
// The runtime's own interface; GCC ships no header for it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
constexpr int kDefaultSeconds = 30;
constexpr const char* kMemory = "live heap";
#else
constexpr const char* kMemory = "RSS";
constexpr int kDefaultSeconds = 120;
#endif

int SoakSeconds()
{
    if (const char* v = std::getenv("PELLKIT_SOAK_SECONDS")) {
        const int s = std::atoi(v);
        if (s > 0)
            return s;
    }
    return kDefaultSeconds;
}

struct TSample {
    long fds = 0;
    long threads = 0;
    long rssKb = 0;
};

long Entries(const char* dir)
{
    std::error_code ec;
    long n = 0;
    for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        ++n;
    return n;
}

TSample Sample()
{
    TSample s;
    s.fds = Entries("/proc/self/fd");
    s.threads = Entries("/proc/self/task");
    long size = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &size, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    s.rssKb = resident * (::sysconf(_SC_PAGESIZE) / 1024);
#if defined(__SANITIZE_ADDRESS__)
    // The resident size holds ASan's quarantine of freed blocks; what is
    // still allocated is the measure there.
    s.rssKb = static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024);
#endif
    return s;
}

enum class Kind { Silent, Corrupt, Stall, Hangup, Status };

struct TRule {
    Kind kind;
    int command;
    int nth;
    int status = 0;
};

std::string Hex(int b)
{
    char s[3];
    std::snprintf(s, sizeof s, "%02X", b & 0xFF);
    return s;
}

// Faults spread over the requests a full soak makes; a shorter soak meets
// the early ones.
std::vector<TRule> DrawRules(std::mt19937& rng, int blocks)
{
    const int reads = blocks + 1;
    // command, weight, how many requests of it a full soak makes
    const std::tuple<int, int, int> commands[] = {
        {0x80, 2, kMaxRuns}, {0x81, 2 * reads, kMaxRuns * reads}, {0x83, 1, kMaxRuns / 2}, {0x84, 1, kMaxRuns / 2}};
    std::vector<int> weights;
    for (const auto& c : commands)
        weights.push_back(std::get<1>(c));
    std::discrete_distribution<int> pickCommand(weights.begin(), weights.end());
    // Silence and stalls cost a timeout each: drawn less often.
    std::discrete_distribution<int> pickKind({1, 2, 1, 2, 3});
    const std::map<int, std::vector<int>> refusals = {
        {0x80, {0x80, 0x81, 0x82}}, {0x81, {0x80, 0x01, 0xFF, 0x83}}, {0x83, {0x01, 0x80}}, {0x84, {0x01, 0x80}}};
    std::vector<TRule> rules;
    for (int i = 0; i < kRules; ++i) {
        const auto& [command, weight, count] = commands[pickCommand(rng)];
        TRule r{static_cast<Kind>(pickKind(rng)), command, std::uniform_int_distribution<int>(1, count)(rng)};
        if (r.kind == Kind::Status) {
            const auto& s = refusals.at(command);
            r.status = s[std::uniform_int_distribution<std::size_t>(0, s.size() - 1)(rng)];
        }
        rules.push_back(r);
    }
    return rules;
}

std::vector<std::string> ServeArgs(const std::vector<TRule>& rules)
{
    std::vector<std::string> args;
    for (const TRule& r : rules) {
        const std::string at = Hex(r.command) + ":" + std::to_string(r.nth);
        switch (r.kind) {
        case Kind::Silent: args.insert(args.end(), {"--silent", at}); break;
        case Kind::Corrupt: args.insert(args.end(), {"--corrupt", at}); break;
        case Kind::Stall: args.insert(args.end(), {"--stall", at + ":5"}); break;
        case Kind::Hangup: args.insert(args.end(), {"--hangup", at}); break;
        case Kind::Status:
            args.insert(args.end(), {"--status", Hex(r.command) + "=" + Hex(r.status) + ":" + std::to_string(r.nth)});
            break;
        }
    }
    // One Vexa for the whole soak: it acknowledges 83h without deleting, so
    // every download finds the data again. Last, so the faults above win.
    args.insert(args.end(), {"--status", "83=00", "--noise"});
    return args;
}

// Follows the simulator's journal: the requests received since the last call.
class TJournalReader {
public:
    explicit TJournalReader(fs::path path) : path_(std::move(path)) {}
    std::vector<int> NewRequests()
    {
        std::vector<int> commands;
        std::ifstream in(path_, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(offset_));
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto end = text.rfind('\n');
        if (end == std::string::npos)
            return commands;
        offset_ += end + 1;
        std::size_t from = 0;
        while (from <= end) {
            const auto nl = text.find('\n', from);
            const QJsonObject o =
                QJsonDocument::fromJson(QByteArray::fromStdString(text.substr(from, nl - from))).object();
            if (o.value("dir").toString() == QLatin1String("rx") && o.contains("cmd"))
                commands.push_back(o.value("cmd").toString().toInt(nullptr, 16));
            from = nl + 1;
        }
        return commands;
    }

private:
    fs::path path_;
    std::size_t offset_ = 0;
};

TEST(Soak, DownloadsBackToBackWithRandomFaults)
{
    FaultApp();
    TFreshLink fresh;
    const TFaultData& d = FaultData();
    const int blocks = static_cast<int>((d.data.size() + kBlock - 1) / kBlock);
    std::mt19937 rng(kSeed);
    const std::vector<TRule> rules = DrawRules(rng, blocks);

    TempDir dir;
    WriteFileBytes(dir / "data.vexa", d.data);
    std::vector<std::string> serve{"--data", (dir / "data.vexa").string(), "--block", std::to_string(kBlock)};
    const auto faults = ServeArgs(rules);
    serve.insert(serve.end(), faults.begin(), faults.end());
    VexaSim sim(serve);
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    TJournalReader journal(sim.JournalPath());
    const fs::path dest = dir / "dest";
    fs::create_directories(dest);
    SetExchangeTimeout(kExchangeTimeout);
    ClearSpool();

    // One port object for the whole soak, as the window keeps one.
    TTapPort port(sim.Port());
    std::map<int, int> seen;  // requests per command since the simulator started
    std::map<int, int> results;
    std::vector<TSample> samples;
    int hangups = 0, cancels = 0, spooled = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(SoakSeconds());
    for (int run = 0; run < kMaxRuns && std::chrono::steady_clock::now() < until; ++run) {
        SCOPED_TRACE("download " + std::to_string(run + 1));
        TDownloadSetup setup;
        setup.keepData = rng() % 2 == 0;
        setup.destination = dest;
        const bool cancel = rng() % 16 == 0;
        const int cancelAt = std::uniform_int_distribution<int>(1, blocks + 3)(rng);
        if (cancel) {
            ++cancels;
            setup.onWrite = [cancelAt, written = 0](TThreadDownload& w, std::uint8_t, int) mutable {
                if (++written == cancelAt)
                    w.Cancel();
            };
        }
        const TDownloadRun r = RunDownload(port, setup, d.data);
        ASSERT_TRUE(r.completed);
        ++results[r.result];

        // Which faults this run met, counted as the simulator counts them.
        bool touched = false, broken = false, hungUp = false;
        int reads = 0;
        for (const int command : journal.NewRequests()) {
            const int n = ++seen[command];
            reads += command == 0x81 ? 1 : 0;
            for (const TRule& rule : rules) {
                if (rule.command != command || rule.nth != n)
                    continue;
                // 82h to the open is no refusal, but the simulator then skips
                // its rewind: what follows depends on where the last run left
                // it. The end status where the end is changes nothing.
                const bool mayPass = rule.kind == Kind::Status
                                     && ((command == 0x80 && rule.status == 0x82)
                                         || (command == 0x81 && rule.status == 0x83 && reads == blocks + 1));
                touched = true;
                broken = broken || !mayPass;
                hungUp = hungUp || rule.kind == Kind::Hangup;
            }
        }
        if (broken) {
            EXPECT_NE(kResultOk, r.result) << "a fault went unnoticed";
        }
        if (r.result != kResultOk) {
            EXPECT_TRUE(touched || cancel) << "result " << r.result << " without a fault";
        }
        if (r.result == kResultCancelled) {
            EXPECT_TRUE(cancel);
        }
        EXPECT_TRUE(HasOwnText(r.result));
        if (hungUp) {
            ++hangups;
            const std::string next = sim.WaitForNextPort();
            ASSERT_FALSE(next.empty()) << "no new line after a hang-up";
            port.SetDevice(next);
        }
        EXPECT_TRUE(PortReleased(port, port.Device()));

        EXPECT_TRUE(r.spooledAtDelete) << "83h went out before the data was on disk";
        EXPECT_TRUE(DataSafe(r.sentDelete, dest, d));
        if (r.result == kResultOk) {
            ASSERT_TRUE(r.stored);
            EXPECT_TRUE(r.stored->allSafe);
            EXPECT_TRUE(DataSafe(true, dest, d));
        }
        if (!SpoolLeftovers(SpoolDirectory()).isEmpty()) {
            // What the user would store again later; each run starts clean.
            ++spooled;
            ClearSpool();
        }
        samples.push_back(Sample());
        if (HasFatalFailure())
            break;
    }
    SetExchangeTimeout(kDefaultExchangeTimeout);

    const std::size_t runs = samples.size();
    ASSERT_GE(runs, 20u) << "too few downloads to judge growth";
    TSample base;
    for (std::size_t i = 0; i <= runs / 10; ++i) {
        base.fds = std::max(base.fds, samples[i].fds);
        base.threads = std::max(base.threads, samples[i].threads);
        base.rssKb = std::max(base.rssKb, samples[i].rssKb);
    }
    const TSample& last = samples.back();
    std::string outcome;
    for (const auto& [code, count] : results)
        outcome += " " + std::to_string(code) + "x" + std::to_string(count);
    std::printf("soak: %zu downloads (%d hang-ups, %d cancels asked, %d spooled and kept); results:%s\n"
                "soak: fds %ld -> %ld, threads %ld -> %ld, %s %ld kB -> %ld kB\n",
                runs, hangups, cancels, spooled, outcome.c_str(), base.fds, last.fds, base.threads, last.threads,
                kMemory, base.rssKb, last.rssKb);
    RecordProperty("downloads", static_cast<int>(runs));
    EXPECT_LE(last.fds, base.fds) << "file descriptors grew";
    EXPECT_LE(last.threads, base.threads) << "threads grew";
    EXPECT_LE(last.rssKb, base.rssKb + kRssSlackKb) << kMemory << " grew";
}

} // namespace
