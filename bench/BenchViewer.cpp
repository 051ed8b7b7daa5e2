// Opening a driver card archive in the viewer: the window made, the file
// read, decoded and verified, the chart and the lists filled and the window
// painted once. The goal is under 200 ms warm (after a first opening).
//
//   viewer [--file FILE] [--openings N]
//
// Without --file the card is made up: a year of working days and weekends,
// as a well-used card holds.

#include "Bench.h"
#include "BenchSupport.h"

#include "CardImageBuilder.h"
#include "uFormViewer.h"
#include "uLocalization.h"
#include "uTranslation.h"

#include <QApplication>
#include <QString>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using pellkit::test::Bytes;

constexpr double kGoalSeconds = 0.2;

std::string Milli(double seconds) { return bench::Fixed(seconds * 1000, 1) + " ms"; }

} // namespace

int RunViewer(int argc, char** argv)
{
    const bench::Options options(argc, argv, 2);
    const int openings = static_cast<int>(options.Number("openings", 20));
    const bench::TempDir work;
    std::string path = options.Text("file");
    std::string what = "the card " + std::filesystem::path(path).filename().string();
    if (path.empty()) {
        path = (work.Path() / "card.ddd").string();
        // 2024-01-01: a year of days before it.
        const Bytes card = pellkit::test::SyntheticWorkingCardImage(1, 365, 1704067200);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(card.data()),
                                                    static_cast<std::streamsize>(card.size()));
        what = "a made-up card of 365 days (" + std::to_string(card.size()) + " bytes)";
    }
    SetCurrentLanguage(lang::English);
    const QString file = QString::fromStdString(path);

    // Made, read, shown and painted once.
    const auto open = [&]() -> double {
        const auto t0 = bench::Clock::now();
        TFormViewer viewer;
        viewer.ApplyLanguage(lang::English);
        if (!viewer.OpenFile(file)) {
            std::fprintf(stderr, "%s\n", qPrintable(viewer.Problem()));
            return -1;
        }
        viewer.show();
        viewer.grab();
        QApplication::processEvents();
        return bench::Seconds(bench::Clock::now() - t0);
    };
    const double first = open();
    if (first < 0) {
        bench::Row("Viewer", "open " + what, "the viewer could not open it");
        return 1;
    }
    std::vector<double> warm;
    for (int i = 0; i < openings; ++i)
        warm.push_back(open());
    const double median = bench::Quantile(warm, 0.5);
    bench::Row("Viewer", "open " + what + ", first time", Milli(first));
    bench::Row("Viewer", "open " + what + ", warm (median of " + std::to_string(openings) + ")",
               Milli(median) + " (" + bench::Fixed(median / kGoalSeconds, 2) + " of the goal); p90 " +
                   Milli(bench::Quantile(warm, 0.9)),
               "< 200 ms", bench::Verdict(median < kGoalSeconds));
    return 0;
}
