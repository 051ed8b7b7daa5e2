// pellkit-bench COMMAND [options]: one benchmark per command, its results as
// table rows on stdout (scripts/bench runs them all and prints the table).
//
//   wire      --data FILE --block N --bps N [--label TEXT]
//   latency   [--exchanges N] [--block N]
//   passes    --files F1,F2,... [--source samples|synthetic]
//   catalogue [--openings N] [--lookups N]
//   make-data --from FILE --kb N --out FILE   (the entries of FILE in turn)
//   register  [--archives N]
//   viewer    [--file FILE] [--openings N]

#include "Bench.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

int main(int argc, char** argv)
{
    // Settings, spool and archives of a benchmark never touch the user's own.
    const bench::TempDir home;
    setenv("XDG_CONFIG_HOME", (home.Path() / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home.Path() / "data").c_str(), 1);
    const char* command = argc > 1 ? argv[1] : "";
    // Only the viewer needs windows; they are drawn off screen.
    const bool windows = std::strcmp(command, "viewer") == 0;
    if (windows)
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::unique_ptr<QCoreApplication> app =
        windows ? std::make_unique<QApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("pellkit.*.debug=false"));

    if (std::strcmp(command, "wire") == 0)
        return RunWire(argc, argv);
    if (std::strcmp(command, "latency") == 0)
        return RunLatency(argc, argv);
    if (std::strcmp(command, "passes") == 0)
        return RunPasses(argc, argv);
    if (std::strcmp(command, "catalogue") == 0)
        return RunCatalogue(argc, argv);
    if (std::strcmp(command, "make-data") == 0)
        return RunMakeData(argc, argv);
    if (std::strcmp(command, "register") == 0)
        return RunRegister(argc, argv);
    if (windows)
        return RunViewer(argc, argv);
    std::fprintf(stderr, "Usage: pellkit-bench wire|latency|passes|catalogue|make-data|register|viewer [options]\n");
    return 2;
}
