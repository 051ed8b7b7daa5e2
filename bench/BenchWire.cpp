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

#include <cstdio>

namespace {

struct WireCount {
    long long requestBytes = 0;
    long long answerBytes = 0;
    int exchanges = 0;
};

WireCount CountJournal(const std::filesystem::path& path)
{
    WireCount count;
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly))
        return count;
    while (!file.atEnd()) {
        const QJsonObject o = QJsonDocument::fromJson(file.readLine()).object();
        const QString dir = o.value("dir").toString();
        if (dir == "rx" && o.contains("cmd")) {
            // STX 61h 00h, the length, the command, its data, checksum, ETX.
            count.requestBytes += 7 + 1 + o.value("data").toString().size() / 2;
            ++count.exchanges;
        } else if (dir == "rx") {
            count.requestBytes += o.value("raw").toString().size() / 2;
        } else if (dir == "tx") {
            count.answerBytes += o.value("sent").toInteger();
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
        cpu = bench::CpuSeconds(bench::SelfUsage()) - bench::CpuSeconds(before);
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
    const WireCount count = CountJournal(journal);
    const double limit = static_cast<double>(count.requestBytes + count.answerBytes) / static_cast<double>(bps);
    const double ratio = wall / limit;
    bench::Row("Wire efficiency", item,
               "time/limit " + bench::Fixed(ratio, 4) + " (" + bench::Fixed(wall, 2) + " s / " + bench::Fixed(limit, 2) +
                   " s, " + std::to_string(count.exchanges) + " exchanges)",
               "<= 1.01", bench::Verdict(ratio <= 1.01));
    const double share = cpu / wall;
    bench::Row("Download CPU", item,
               "CPU/wall " + bench::Fixed(share * 100, 2) + " % (" + bench::Fixed(cpu, 3) + " s CPU)", "<= 1 %",
               bench::Verdict(share <= 0.01));
    return 0;
}
