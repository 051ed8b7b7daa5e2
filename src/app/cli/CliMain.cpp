// pellkit-cli: the desktop program's operations for scripts and headless machines.

#include "CliCommands.h"
#include "CliCommon.h"

#include "uCommitTexts.h"
#include "uQtSerialPort.h"
#include "uTranslation.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <exception>

namespace {

struct Command {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& args);
};

const Command kCommands[] = {
    {"probe", "Ask the Vexa for its configuration handshake.", RunProbe},
    {"fetch", "Copy the Vexa's raw data file to a file; the Vexa keeps it.", RunFetch},
    {"inspect", "Show what card images or VU downloads hold: tree, identity, JSON.", RunInspect},
    {"verify", "Check the certificates and every signed part of card or VU data.", RunVerify},
    {"activities", "List the driver activity spans of card images and VU downloads.", RunActivities},
    {"register", "List driver cards and vehicle units with their next download due.", RunRegister},
    {"store", "Split saved data files into named archives in the destination.", RunStore},
    {"validate", "Check saved data files as a download is checked.", RunValidate},
    {"download", "Download the Vexa's data file into named archives.", RunDownload},
    {"configure", "Send the download settings to the Vexa.", RunConfigure},
    {"set-clock", "Set the Vexa's clock.", RunSetClock},
};

// The whole help (full) on --help; a usage error shows the commands only.
void PrintUsage(FILE* out, bool full)
{
    QString text;
    QTextStream s(&text);
    s << "Usage: pellkit-cli COMMAND [options]\n";
    if (full)
        s << "The desktop program's operations for scripts: empties a Vexa (a pocket download device for\n"
             "digital tachographs) over a serial line and stores its downloads as named archives.\n";
    s << "\nCommands:\n";
    for (const Command& c : kCommands)
        s << "  " << QString::fromLatin1(c.name).leftJustified(12) << c.summary << '\n';
    s << "\nRun 'pellkit-cli COMMAND --help' for a command's options; 'pellkit-cli --version' for the version.\n";
    if (full)
        s << '\n' << HelpEpilogue(true);
    s.flush();
    QTextStream(out) << WrapText(text, HelpWidth());
}

// After a failure: how to join the group dialout, when the port of this run
// is a device the user may not open.
void HintPortAccess()
{
    const QString port = PortOfThisRun();
    if (port.isEmpty() || !PortAccessDenied(port))
        return;
    const QString text = PortAccessDeniedText(ResolvePortName(port)); // before a line is begun: it may throw
    QTextStream(stderr) << "hint: " << text << '\n';
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
        PrintUsage(stderr, false);
        return kExitUsage;
    }
    // "help COMMAND" is "COMMAND --help".
    if (args.first() == "help" && args.size() == 2)
        args = QStringList{args.at(1), QStringLiteral("--help")};
    if (args.first() == "--help" || args.first() == "-h" || args.first() == "help") {
        PrintUsage(stdout, true);
        return kExitOk;
    }
    if (args.first() == "--version") {
        QTextStream(stdout) << "pellkit-cli " << PELLKIT_VERSION << '\n';
        return kExitOk;
    }
    try {
        ReportSpoolLeftovers();
        for (const Command& c : kCommands) {
            if (args.first() != QLatin1String(c.name))
                continue;
            const int status = c.run(args);
            if (status == kExitDevice)
                HintPortAccess();
            return status;
        }
    } catch (const ESQLite& e) {
        // Without its catalogue the program has nothing to say: name the file at least.
        QTextStream(stderr) << "pellkit-cli: " << e.what() << ": cannot read the message catalogue "
                            << CataloguePath() << '\n';
        return kExitFailed;
    } catch (const std::exception& e) {
        QTextStream(stderr) << "pellkit-cli: " << e.what() << '\n';
        return kExitFailed;
    }
    QTextStream(stderr) << "pellkit-cli: unknown command '" << args.first() << "'\n\n";
    PrintUsage(stderr, false);
    return kExitUsage;
}
