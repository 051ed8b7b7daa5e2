// vexa-sim: a simulated Vexa on a pseudo-terminal, and the packer of its data files.

#include "ContainerBuilder.h"
#include "SimServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

using namespace pellkit::test;

namespace {

int Fail(const QString& message, int status = 1)
{
    QTextStream(stderr) << "vexa-sim: " << message << '\n';
    return status;
}

bool ReadWhole(const QString& path, Bytes& out, QString& error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, f.errorString());
        return false;
    }
    const QByteArray all = f.readAll();
    out.assign(all.begin(), all.end());
    return true;
}

// Decimal, or hexadecimal with 0x.
bool ParseNumber(const QString& text, long min, long max, long& value)
{
    bool ok = false;
    const QString t = text.trimmed();
    const qlonglong v = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? t.mid(2).toLongLong(&ok, 16)
                                                                                 : t.toLongLong(&ok, 10);
    if (!ok || v < min || v > max)
        return false;
    value = static_cast<long>(v);
    return true;
}

// Qt names the program by its full path and knows nothing of the command.
void PrintHelp(const QCommandLineParser& p, const char* usage)
{
    QString help = p.helpText();
    help.replace(0, help.indexOf('\n'), QString::fromLatin1(usage));
    QTextStream(stdout) << help;
}

int Serve(const QStringList& args)
{
    QCommandLineParser p;
    p.setApplicationDescription(
        "Serves a simulated Vexa on a pseudo-terminal until SIGTERM or SIGINT.\n"
        "Prints the pty's path as the first line of stdout (a new line after each --hangup).\n"
        "CMD and S are hexadecimal (81 or 0x81); N counts that command's requests from 1,\n"
        "and without N a rule applies to every request of CMD.");
    p.addHelpOption();
    const QCommandLineOption data("data", "The Vexa's data file (read once; never modified).", "FILE");
    const QCommandLineOption block("block", "Data bytes per 81h answer (default 512).", "N", "512");
    const QCommandLineOption bps("bps", "Pace every answer at N bytes per second (5760 is 57600 baud).", "N");
    const QCommandLineOption link("link", "Create a symlink to the pty.", "PATH");
    const QCommandLineOption journal("journal", "Write one JSON line per request, answer and state change.", "FILE");
    const QCommandLineOption values("values", "The two 16-bit values of 67h/70h/80h (default 1,512).", "A,B");
    const QCommandLineOption status("status", "Answer status S to CMD (every request, or the Nth).", "CMD=S[:N]");
    const QCommandLineOption silent("silent", "Do not answer CMD.", "CMD[:N]");
    const QCommandLineOption corrupt("corrupt", "Answer CMD with a wrong checksum.", "CMD[:N]");
    const QCommandLineOption noise("noise", "Send junk bytes before every answer.");
    const QCommandLineOption stall("stall", "Send only the first K bytes of the answer to CMD.", "CMD[:N]:K");
    const QCommandLineOption hangup("hangup", "Close the line halfway through the answer to CMD, then open a new pty.",
                                    "CMD[:N]");
    const QCommandLineOption empty("empty", "Answer CMD with status 00h and no data.", "CMD[:N]");
    const QCommandLineOption flood("flood", "Send K junk bytes after the answer to CMD.", "CMD[:N]:K");
    const QCommandLineOption endless("endless", "Never end the data file: blocks of zeros follow it for ever.");
    p.addOptions({data, block, bps, link, journal, values, status, silent, corrupt, noise, stall, hangup, empty, flood,
                  endless});
    if (!p.parse(args))
        return Fail(p.errorText() + "\nRun 'vexa-sim serve --help' for the options.", 2);
    if (p.isSet("help")) {
        PrintHelp(p, "Usage: vexa-sim serve --data FILE [options]");
        return 0;
    }
    if (!p.positionalArguments().isEmpty())
        return Fail("unexpected argument '" + p.positionalArguments().first() + "'", 2);
    if (!p.isSet(data))
        return Fail("serve needs --data FILE", 2);

    ServeOptions o;
    QString error;
    if (!ReadWhole(p.value(data), o.device.data, error))
        return Fail(error);
    long n = 0;
    if (!ParseNumber(p.value(block), 1, 0xFFFE, n))
        return Fail("--block must be 1 to 65534", 2);
    o.device.block = static_cast<std::size_t>(n);
    if (p.isSet(bps)) {
        if (!ParseNumber(p.value(bps), 1, 100000000, o.bps))
            return Fail("--bps must be a positive number", 2);
    }
    if (p.isSet(values)) {
        const QStringList ab = p.value(values).split(',');
        long a = 0, b = 0;
        if (ab.size() != 2 || !ParseNumber(ab[0], 0, 0xFFFF, a) || !ParseNumber(ab[1], 0, 0xFFFF, b))
            return Fail("--values takes two 16-bit numbers, A,B", 2);
        o.device.value1 = static_cast<std::uint16_t>(a);
        o.device.value2 = static_cast<std::uint16_t>(b);
    }
    const std::pair<const QCommandLineOption*, FaultKind> kinds[] = {{&status, FaultKind::Status},
                                                                     {&silent, FaultKind::Silent},
                                                                     {&corrupt, FaultKind::Corrupt},
                                                                     {&stall, FaultKind::Stall},
                                                                     {&hangup, FaultKind::Hangup},
                                                                     {&empty, FaultKind::Empty},
                                                                     {&flood, FaultKind::Flood}};
    for (const auto& [opt, kind] : kinds) {
        for (const QString& v : p.values(*opt)) {
            std::string why;
            const auto rule = ParseFaultRule(kind, v.toStdString(), why);
            if (!rule)
                return Fail("--" + opt->names().first() + ": " + QString::fromStdString(why), 2);
            o.device.rules.push_back(*rule);
        }
    }
    o.device.noise = p.isSet(noise);
    o.device.endless = p.isSet(endless);
    o.link = p.value(link).toStdString();
    o.journal = p.value(journal).toStdString();
    return RunServer(o);
}

int Pack(const QStringList& args)
{
    QCommandLineParser p;
    p.setApplicationDescription("Builds a Vexa data file; entries follow the order of the options.");
    p.addHelpOption();
    const QCommandLineOption card("card", "A driver card image, stored as is (part A7h).", "FILE");
    const QCommandLineOption cardViaVu("card-via-vu", "A driver card image, stored as read through a VU (part A6h).", "FILE");
    const QCommandLineOption vu("vu", "A VU download starting with its overview 76 01 (parts A1h, A2h).", "FILE");
    const QCommandLineOption synthetic("synthetic-card", "A small made-up driver card (part A7h); repeatable.");
    const QCommandLineOption working("synthetic-driver",
                                     "A made-up driver card with 60 days of made-up activities up to yesterday "
                                     "(part A7h); repeatable.");
    const QCommandLineOption out(QStringList{"o", "output"}, "The data file to write.", "OUT");
    p.addOptions({card, cardViaVu, vu, synthetic, working, out});
    if (!p.parse(args))
        return Fail(p.errorText() + "\nRun 'vexa-sim pack --help' for the options.", 2);
    if (p.isSet("help")) {
        PrintHelp(p, "Usage: vexa-sim pack [--card FILE]... [--card-via-vu FILE]... [--vu FILE]... [--synthetic-card]... [--synthetic-driver]... -o OUT");
        return 0;
    }
    if (!p.positionalArguments().isEmpty())
        return Fail("unexpected argument '" + p.positionalArguments().first() + "'", 2);
    if (!p.isSet(out))
        return Fail("pack needs -o OUT", 2);

    // optionNames() keeps the command line's order, which the values per option do not.
    std::vector<TEntryParts> entries;
    QHash<QString, int> used;
    int syntheticIndex = 0;
    for (const QString& name : p.optionNames()) {
        if (name == "synthetic-card") {
            entries.push_back(CardEntry(SyntheticCardImage(++syntheticIndex)));
            continue;
        }
        if (name == "synthetic-driver") {
            const auto now = static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch());
            entries.push_back(CardEntry(SyntheticWorkingCardImage(++syntheticIndex, 60, now)));
            continue;
        }
        if (name != "card" && name != "card-via-vu" && name != "vu")
            continue;
        const QString file = p.values(name).at(used[name]++);
        Bytes bytes;
        QString error;
        if (!ReadWhole(file, bytes, error))
            return Fail(error);
        try {
            if (name == "card")
                entries.push_back(CardEntry(bytes));
            else if (name == "card-via-vu")
                entries.push_back(CardViaVuEntry(bytes));
            else
                entries.push_back(VuEntry(bytes));
        } catch (const EPackError& e) {
            return Fail(file + ": " + QString::fromStdString(e.what()));
        }
    }
    if (entries.empty())
        return Fail("nothing to pack: give --card, --card-via-vu, --vu, --synthetic-card or --synthetic-driver", 2);

    Bytes container;
    try {
        container = MakeContainer(entries);
    } catch (const EPackError& e) {
        return Fail(QString::fromStdString(e.what()));
    }
    QSaveFile f(p.value(out));
    if (!f.open(QIODevice::WriteOnly) ||
        f.write(reinterpret_cast<const char*>(container.data()), static_cast<qint64>(container.size())) !=
            static_cast<qint64>(container.size()) ||
        !f.commit())
        return Fail(QStringLiteral("cannot write %1: %2").arg(p.value(out), f.errorString()));
    return 0;
}

void Usage(FILE* to)
{
    QTextStream(to) << "Usage: vexa-sim serve --data FILE [options]   serve a simulated Vexa on a pty\n"
                       "       vexa-sim pack [inputs] -o OUT           build a Vexa data file\n"
                       "Run 'vexa-sim COMMAND --help' for a command's options.\n";
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("vexa-sim");
    QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        Usage(stderr);
        return 2;
    }
    const QString command = args.takeAt(1);
    if (command == "serve")
        return Serve(args);
    if (command == "pack")
        return Pack(args);
    if (command == "--help" || command == "-h" || command == "help") {
        Usage(stdout);
        return 0;
    }
    QTextStream(stderr) << "vexa-sim: unknown command '" << command << "'\n";
    Usage(stderr);
    return 2;
}
