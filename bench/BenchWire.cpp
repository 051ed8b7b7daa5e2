// The whole download as the program runs it (the download worker over the
// Qt serial adapter) against vexa-sim on a pty paced like the real line.
// The limit is what the wire itself needs: every byte of every request and
// answer in the simulator's journal at the line's rate. What the program
// adds shows as the measured time over that limit.

#include "Bench.h"
#include "BenchPort.h"
#include "BenchSupport.h"

#include "uThreadDownload.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>

namespace {

struct WireCount {
    long long requestBytes = 0;
    long long answerBytes = 0;
    int exchanges = 0;
    // From an answer's journal line (after its last byte) to the next
    // request's (after it was read): the line idle, waiting for the program.
    std::vector<double> idle;
    // How much later than the wire allows each answer was complete, counted
    // from its request's arrival: the simulator's own lateness (its sleeps
    // wake late on a busy machine), not the program's.
    double late = 0;
};

WireCount CountJournal(const std::filesystem::path& path, long bps)
{
    WireCount count;
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly))
        return count;
    double answered = -1;
    double requested = -1;
    long long requestBytes = 0;
    while (!file.atEnd()) {
        const QJsonObject o = QJsonDocument::fromJson(file.readLine()).object();
        const QString dir = o.value("dir").toString();
        const double t = o.value("t").toDouble();
        if (dir == "rx" && o.contains("cmd")) {
            // STX 61h 00h, the length, the command, its data, checksum, ETX.
            requestBytes = 7 + 1 + o.value("data").toString().size() / 2;
            count.requestBytes += requestBytes;
            requested = t;
            ++count.exchanges;
            if (answered >= 0)
                count.idle.push_back(t - answered);
        } else if (dir == "rx") {
            count.requestBytes += o.value("raw").toString().size() / 2;
        } else if (dir == "tx") {
            const long long sent = o.value("sent").toInteger();
            count.answerBytes += sent;
            answered = t;
            if (requested >= 0)
                count.late += std::max(0.0, t - requested - static_cast<double>(requestBytes + sent) /
                                                               static_cast<double>(bps));
        }
    }
    return count;
}

} // namespace

int RunWire(int argc, char** argv)
{
    const bench::Options options(argc, argv, 2);
    const std::string data = options.Text("data");
    const long block = options.Number("block", 512);
    const long bps = options.Number("bps", 5760);
    const std::string label = options.Text("label", data);
    if (data.empty()) {
        std::fprintf(stderr, "wire: --data FILE is required\n");
        return 2;
    }
    const auto size = bench::ReadFile(data).size();

    bench::TempDir temp;
    const auto journal = temp.Path() / "journal.jsonl";
    bench::Child sim(bench::BinDir() / "vexa-sim", {"serve", "--data", data, "--block", std::to_string(block),
                                                     "--bps", std::to_string(bps), "--journal", journal.string()});
    const auto pty = sim.FirstLine(std::chrono::seconds(10));
    if (!sim.Started() || !pty) {
        std::fprintf(stderr, "wire: vexa-sim did not start\n");
        return 1;
    }

    int result = -1;
    std::size_t received = 0;
    double wall = 0;
    double cpu = 0;
    long switches = 0; // voluntary: the threads of the download handing over to each other
    {
        TBenchPort port(*pty);
        TThreadDownload worker(1, port, /*keepData=*/true, 1);
        worker.setAutoDelete(false);
        worker.SetSpoolDirectory(QString::fromStdString((temp.Path() / "spool").string()));
        QEventLoop loop;
        QObject::connect(&worker, &TThreadDownload::Completed, &loop, [&](TThreadDownload* w) {
            result = w->Result();
            received = w->Data() ? w->Data()->Size() : 0;
            loop.quit();
        });
        const rusage before = bench::SelfUsage();
        const auto start = bench::Clock::now();
        worker.start();
        loop.exec();
        wall = bench::Seconds(bench::Clock::now() - start);
        const rusage after = bench::SelfUsage();
        cpu = bench::CpuSeconds(after) - bench::CpuSeconds(before);
        switches = after.ru_nvcsw - before.ru_nvcsw;
    }
    sim.Stop();

    const std::string item = label + ", block " + std::to_string(block) + ", " + std::to_string(bps) + " B/s";
    if (result != 0 || received != size) {
        bench::Row("Wire efficiency", item,
                   "download failed: result " + std::to_string(result) + ", " + std::to_string(received) + " of " +
                       std::to_string(size) + " bytes",
                   "<= 1.01", bench::Verdict(false));
        return 1;
    }
    const WireCount count = CountJournal(journal, bps);
    const double limit = static_cast<double>(count.requestBytes + count.answerBytes) / static_cast<double>(bps);
    const double ratio = wall / limit;
    // The goal is the program's: the simulator's own lateness is taken out.
    const double net = (wall - count.late) / limit;
    bench::Row("Wire efficiency", item,
               "time/limit " + bench::Fixed(net, 4) + " without the simulator's lateness, " + bench::Fixed(ratio, 4) +
                   " raw (" + bench::Fixed(wall, 2) + " s / " + bench::Fixed(limit, 2) + " s, simulator late " +
                   bench::Fixed(count.late, 2) + " s, " + std::to_string(count.exchanges) + " exchanges)",
               "<= 1.01", bench::Verdict(net <= 1.01));
    double idleTotal = 0;
    for (const double v : count.idle)
        idleTotal += v;
    bench::Row("Line idle", item,
               "median " + bench::Fixed(bench::Quantile(count.idle, 0.5) * 1e6, 0) + " µs, p99 " +
                   bench::Fixed(bench::Quantile(count.idle, 0.99) * 1e6, 0) + " µs, total " + bench::Fixed(idleTotal, 2) +
                   " s");
    const double share = cpu / wall;
    bench::Row("Download CPU", item,
               "CPU/wall " + bench::Fixed(share * 100, 2) + " % (" + bench::Fixed(cpu, 3) + " s CPU, " +
                   bench::Fixed(static_cast<double>(switches) / std::max(1, count.exchanges), 1) +
                   " thread switches per exchange)",
               "<= 1 %",
               bench::Verdict(share <= 0.01));
    return 0;
}
