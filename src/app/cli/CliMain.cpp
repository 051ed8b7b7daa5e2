// pellkit-cli: the desktop program's operations for scripts and headless machines.

#include "CliCommands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

struct Command {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& args);
};

const Command kCommands[] = {
    {"probe", "ask the Vexa for its configuration handshake", RunProbe},
    {"fetch", "copy the Vexa's raw data file to a file, keeping it on the Vexa", RunFetch},
    {"inspect", "show what a card image or VU download holds, or its identification", RunInspect},
    {"verify", "check the certificates and signatures of a card image or VU download", RunVerify},
    {"store", "split a saved data file into named archives in the destination", RunStore},
    {"validate", "check a saved data file as a download is checked before the Vexa deletes it", RunValidate},
    {"download", "download the Vexa's data file into named archives", RunDownload},
    {"configure", "send the download settings to the Vexa", RunConfigure},
    {"set-clock", "set the Vexa's clock", RunSetClock},
};

void PrintUsage(FILE* out)
{
    QTextStream s(out);
    s << "Usage: pellkit-cli COMMAND [options]\n\nCommands:\n";
    for (const Command& c : kCommands)
        s << "  " << QString::fromLatin1(c.name).leftJustified(12) << c.summary << '\n';
    s << "\nRun 'pellkit-cli COMMAND --help' for a command's options.\n";
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Morvane");
    QCoreApplication::setApplicationName("Pellkit");
    QCoreApplication::setApplicationVersion(PELLKIT_VERSION);

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        PrintUsage(stderr);
        return 2;
    }
    if (args.first() == "--help" || args.first() == "-h" || args.first() == "help") {
        PrintUsage(stdout);
        return 0;
    }
    if (args.first() == "--version") {
        QTextStream(stdout) << "pellkit-cli " << PELLKIT_VERSION << '\n';
        return 0;
    }
    ReportSpoolLeftovers();
    for (const Command& c : kCommands) {
        if (args.first() == QLatin1String(c.name))
            return c.run(args);
    }
    QTextStream(stderr) << "pellkit-cli: unknown command '" << args.first() << "'\n\n";
    PrintUsage(stderr);
    return 2;
}
