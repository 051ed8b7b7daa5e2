#include "CliCommon.h"

#include "uArdoVexa.h"
#include "uLocalization.h"
#include "uMessageCodes.h"
#include "uQtSerialPort.h"
#include "uTranslation.h"

#include <QJsonDocument>
#include <QTextStream>

#include <algorithm>

#include <cstdio>

namespace {

// The port of this run, for the hint on a device the user may not open.
QString g_port;

QString Size(std::int64_t bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KiB").arg(static_cast<double>(bytes) / 1024.0, 0, 'f', 1);
    return QStringLiteral("%1 MiB").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

} // namespace

int HelpWidth()
{
    // The manual page is filled by its reader: it asks for lines unbroken.
    bool set = false;
    const int width = qEnvironmentVariableIntValue("PELLKIT_HELP_WIDTH", &set);
    return set && width > 0 ? width : 80;
}

void SetUpParser(QCommandLineParser& parser, const QString& description)
{
    parser.setApplicationDescription(description);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Not addHelpOption(): its --help-all shows Qt's own options.
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")});
    AddLanguageOption(parser);
}

std::optional<int> ParseArguments(QCommandLineParser& parser, const QStringList& args, bool withPort)
{
    const QString command = args.value(0);
    if (!parser.parse(args))
        return UsageError(command, parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        QString help = parser.helpText();
        // helpText() names the executable only; show how the command is called.
        const int end = help.indexOf(QLatin1Char('\n'));
        const QString first = help.left(end);
        const int options = first.indexOf(QStringLiteral(" [options]"));
        if (first.startsWith(QStringLiteral("Usage: ")) && options > 0)
            help.replace(0, options, QStringLiteral("Usage: pellkit-cli ") + command);
        QTextStream(stdout) << WrapText(help + QLatin1Char('\n') + HelpEpilogue(withPort), HelpWidth());
        return kExitOk;
    }
    if (!ApplyLanguage(parser, command))
        return kExitUsage;
    return std::nullopt;
}

std::optional<int> ParsePortCommand(QCommandLineParser& parser, const QStringList& args, QString& port)
{
    if (const auto done = ParseArguments(parser, args, true))
        return done;
    const QString command = args.first();
    if (!parser.positionalArguments().isEmpty())
        return UsageError(command,
                          QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    const auto name = PortArgument(parser, command);
    if (!name)
        return kExitUsage;
    port = *name;
    return std::nullopt;
}

std::optional<int> ParseFilesCommand(QCommandLineParser& parser, const QStringList& args, QStringList& files)
{
    if (const auto done = ParseArguments(parser, args))
        return done;
    files = parser.positionalArguments();
    if (files.isEmpty())
        return UsageError(args.first(), QStringLiteral("FILE is required"));
    if (files.count(QStringLiteral("-")) > 1)
        return UsageError(args.first(), QStringLiteral("standard input (-) can be read once only"));
    return std::nullopt;
}

QString HelpEpilogue(bool withPort)
{
    QString text = QStringLiteral(
        "Exit status:\n"
        "  0  success\n"
        "  1  another failure: no message catalogue, an unexpected error\n"
        "  2  usage error: an unknown option, a missing or wrong value\n"
        "  3  the port or the Vexa: cannot be opened, no answer, a refusal\n"
        "  4  the data: cannot be read, failed the check, not tachograph data,\n"
        "     not valid\n"
        "  5  the storage: not everything was stored or written\n"
        "  6  cancelled by the user (Ctrl-C)\n"
        "  With several files, the highest status of theirs.\n");
    if (withPort) {
#ifdef Q_OS_WIN
        text += QStringLiteral(
            "\nPort:\n"
            "  --port takes COMn, the port's name in the Device Manager (COM1, COM5, ...).\n"
            "  Without --port, the port chosen in the window (the setting Vexa/Port).\n");
#else
        text += QStringLiteral(
            "\nPort:\n"
            "  --port takes a device path (/dev/ttyUSB0) or COMn. COMn is the device\n"
            "  named by the setting Ports/COMn when there is one (a section [Ports]\n"
            "  with COM5=/dev/ttyUSB0 in the settings file), else /dev/ttyS(n-1):\n"
            "  COM1 is /dev/ttyS0. Without --port, the port chosen in the window (the\n"
            "  setting Port in [Vexa]). The user needs access to the device (the group\n"
            "  dialout on Debian: sudo adduser $USER dialout, then log in again).\n");
#endif
    }
#ifdef Q_OS_WIN
    text += QStringLiteral(
        "\nFiles:\n"
        "  settings   the registry key HKEY_CURRENT_USER\\Software\\Morvane\\Pellkit\n"
        "             (the group Vexa: Language, DestDir, defaultCardFileformat, ...)\n"
        "  spool      %APPDATA%\\Morvane\\Pellkit\\spool: each download until all of it\n"
        "             is stored; store a leftover with 'pellkit-cli store FILE --dest DIR'\n"
        "  archives   the destination: --dest DIR, else the saved DestDir\n"
        "  catalogue  languages.db beside the executable\n");
#else
    text += QStringLiteral(
        "\nFiles:\n"
        "  settings   ~/.config/Morvane/Pellkit.conf, an INI file ($XDG_CONFIG_HOME\n"
        "             for ~/.config when set); the section [Vexa] holds Language,\n"
        "             DestDir, defaultCardFileformat, defaultVehicleFileformat, ...\n"
        "  spool      ~/.local/share/Morvane/Pellkit/spool ($XDG_DATA_HOME for\n"
        "             ~/.local/share when set): each download until all of it is\n"
        "             stored; store a leftover with 'pellkit-cli store FILE --dest DIR'\n"
        "  archives   the destination: --dest DIR, else the saved DestDir\n"
        "  catalogue  languages.db beside the executable\n");
#endif
    return text;
}

QString WrapText(const QString& text, int width)
{
    QString wrapped;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.size() <= width) {
            wrapped += line + QLatin1Char('\n');
            continue;
        }
        // Where the text of the line starts: after its indentation, or after
        // the gap of two spaces or more that ends an option's names.
        qsizetype hang = 0;
        while (hang < line.size() && line.at(hang) == QLatin1Char(' '))
            ++hang;
        const qsizetype gap = line.indexOf(QStringLiteral("  "), hang);
        if (hang > 0 && gap > 0 && gap < width * 2 / 3) {
            hang = gap;
            while (hang < line.size() && line.at(hang) == QLatin1Char(' '))
                ++hang;
        }
        const QString indent(hang, QLatin1Char(' '));
        QString rest = line;
        while (rest.size() > width) {
            qsizetype cut = rest.lastIndexOf(QLatin1Char(' '), width);
            if (cut <= hang)
                cut = rest.indexOf(QLatin1Char(' '), width); // one word longer than the line
            if (cut < 0)
                break;
            wrapped += rest.left(cut) + QLatin1Char('\n');
            rest = indent + rest.mid(cut + 1).trimmed();
        }
        wrapped += rest + QLatin1Char('\n');
    }
    wrapped.chop(1); // the split added a line after the last newline
    return wrapped;
}

int UsageError(const QString& command, const QString& text)
{
    QTextStream(stderr) << "pellkit-cli " << command << ": " << text << "\n"
                        << "Run 'pellkit-cli " << command << " --help' for its options.\n";
    return kExitUsage;
}

QString CliResultText(int code)
{
    switch (code) {
    case kResultOk: return QStringLiteral("success");
    case kResultBadFrame:
        return QStringLiteral("the COM port cannot be used, or the Vexa's answer is malformed");
    case kResultBadLength: return QStringLiteral("the Vexa's answer does not have the length it declares");
    case kResultBadChecksum: return QStringLiteral("the Vexa's answer is damaged (checksum error)");
    case kResultBadDataFile: return QStringLiteral("the Vexa's data file is malformed or holds an unreadable image");
    case kResultEndOfFile: return QStringLiteral("the end of the Vexa's data file was reached");
    case kResultNoAnswer: return QStringLiteral("the Vexa did not answer within 10 seconds");
    case kResultRefused: return QStringLiteral("the Vexa refused the request");
    case kResultRefused71: return QStringLiteral("the Vexa refused the settings (status 71h)");
    case kResultRefused72: return QStringLiteral("the Vexa refused the settings (status 72h)");
    case kResultRefused73: return QStringLiteral("the Vexa refused the settings (status 73h)");
    case kResultOpenRefused80: return QStringLiteral("the Vexa refused to open its data file (status 80h)");
    case kResultOpenRefused81: return QStringLiteral("the Vexa refused to open its data file (status 81h)");
    case kResultBlockRefused:
        return QStringLiteral("the Vexa refused to send a data block or to end the download");
    case kResultEmptyFile: return QStringLiteral("the Vexa's data file is empty");
    case kResultCancelled: return QStringLiteral("cancelled by the user (for a clock write: the Vexa refused the date and time, status 74h)");
    case kResultClockRefused75: return QStringLiteral("the Vexa refused the date and time (status 75h)");
    case kResultDataFileTooLong:
        return QStringLiteral("the Vexa sent more data than its data file declares, or than a Vexa holds");
    case kResultEmptyBlocks: return QStringLiteral("the Vexa sent block after block without data");
    default: return QStringLiteral("unexpected result code");
    }
}

void PrintError(int code, const QString& detail)
{
    QTextStream err(stderr);
    err << "error " << code << ": " << CliResultText(code);
    if (!detail.isEmpty())
        err << ": " << detail;
    err << '\n';
}

void PrintResultError(int code, const QString& detail)
{
    const QString text = ResultText(code); // before a line is begun: it may throw
    QTextStream err(stderr);
    err << "error " << code << ": " << text;
    if (!detail.isEmpty())
        err << ": " << detail;
    err << '\n';
}

std::function<void(const QString&)> VerboseLines(const QCommandLineParser& parser)
{
    const bool verbose = parser.isSet(QStringLiteral("verbose"));
    return [verbose](const QString& line) {
        if (verbose)
            QTextStream(stderr) << line << '\n';
    };
}

int ReportSettingsResult(int result, bool clock)
{
    if (result != 0) {
        QTextStream(stderr) << MessageText(clock ? msg::ClockFailed : msg::SettingsFailed) << '\n';
        const QString text = SettingsResultText(result, clock); // before a line is begun: it may throw
        QTextStream(stderr) << "error " << result << ": " << text << '\n';
        return ExitStatusOfResult(result, clock);
    }
    // A message for the user, in the user's language: scripts read the exit status.
    QTextStream(stderr) << MessageText(clock ? msg::ClockSent : msg::SettingsSent) << '\n';
    return kExitOk;
}

void AddLanguageOption(QCommandLineParser& parser)
{
    QString codes;
    for (const lang::TLanguage& l : lang::kLanguages)
        codes += QStringLiteral("%1%2 %3").arg(codes.isEmpty() ? QString() : QStringLiteral(", ")).arg(l.code).arg(
            QString::fromLatin1(l.name));
    parser.addOption({QStringLiteral("lang"),
                      QStringLiteral("Language of the messages for people: %1. Default: the environment's "
                                     "(LC_ALL, LC_MESSAGES, LANG), else the program's saved choice, else "
                                     "English. Lines for scripts and JSON are English in every language.")
                          .arg(codes),
                      QStringLiteral("N")});
}

int DefaultLanguage()
{
    // The first of these that is set decides, as for any program's messages.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QByteArray value = qgetenv(name);
        if (value.isEmpty())
            continue;
        if (const int code = LanguageOfLocale(value.toStdString()))
            return code;
        break;
    }
    const int saved = VexaSettings()->value(QStringLiteral("Language"), 0).toInt();
    return lang::FindLanguage(saved) ? saved : lang::English;
}

bool ApplyLanguage(const QCommandLineParser& parser, const QString& command)
{
    if (parser.isSet(QStringLiteral("lang"))) {
        bool ok = false;
        const int code = parser.value(QStringLiteral("lang")).toInt(&ok);
        if (!ok || !lang::FindLanguage(code)) {
            UsageError(command, QStringLiteral("--lang wants a language code from %1 to %2 (3 English)")
                                    .arg(lang::First)
                                    .arg(lang::Last));
            return false;
        }
        SetCurrentLanguage(code);
        return true;
    }
    SetCurrentLanguage(DefaultLanguage());
    return true;
}

int ExitStatusOfResult(int result, bool clock)
{
    switch (result) {
    case kResultOk: return kExitOk;
    case kResultBadDataFile: return kExitData;
    case kResultCancelled: return clock ? kExitDevice : kExitCancelled;
    default: return kExitDevice;
    }
}

int WorseExit(int a, int b) { return std::max(a, b); }

void AddJsonOption(QCommandLineParser& parser)
{
    parser.addOption({QStringLiteral("json"),
                      QStringLiteral("Print one JSON document on stdout (docs/scripting.md) instead of the lines; "
                                     "messages for people stay on stderr.")});
}

bool JsonRequested(const QCommandLineParser& parser) { return parser.isSet(QStringLiteral("json")); }

void PrintJson(const QJsonObject& document)
{
    QTextStream(stdout) << QJsonDocument(document).toJson(QJsonDocument::Indented);
}

QJsonObject ResultJson(int result, const QString& detail)
{
    QJsonObject error{{"code", result}, {"text", CliResultText(result)}};
    if (!detail.isEmpty())
        error.insert("detail", detail);
    return error;
}

void AddPortOption(QCommandLineParser& parser)
{
    parser.addOption({QStringLiteral("port"),
                      QStringLiteral("The Vexa's serial port: COMn or a device path (default: the port chosen in "
                                     "the program)."),
                      QStringLiteral("PORT")});
}

std::optional<QString> PortArgument(const QCommandLineParser& parser, const QString& command)
{
    QString port = parser.value(QStringLiteral("port")).trimmed();
    if (!parser.isSet(QStringLiteral("port")))
        port = VexaSettings()->value(QStringLiteral("Port")).toString().trimmed();
    if (port.isEmpty()) {
        UsageError(command, parser.isSet(QStringLiteral("port"))
                                ? QStringLiteral("--port wants a port")
                                : QStringLiteral("--port is required (no port is chosen in the program)"));
        return std::nullopt;
    }
    g_port = port;
    return port;
}

QString PortOfThisRun() { return g_port; }

QString ProgressText(std::int64_t received, std::int64_t total, double seconds)
{
    QString text = Size(received);
    if (total > 0) {
        const std::int64_t percent = received >= total ? 100 : received * 100 / total;
        text += QStringLiteral("  %1%").arg(percent);
    }
    if (seconds > 0.0)
        text += QStringLiteral("  %1/s").arg(Size(static_cast<std::int64_t>(static_cast<double>(received) / seconds)));
    return text;
}

QString TimeLeftText(std::int64_t received, std::int64_t total, double seconds)
{
    // The first half second says too little about the rate.
    if (total <= 0 || received <= 0 || received >= total || seconds <= 0.5)
        return {};
    const auto left = static_cast<std::int64_t>(static_cast<double>(total - received) * seconds
                                                / static_cast<double>(received));
    return QStringLiteral("  %1:%2 left").arg(left / 60).arg(left % 60, 2, 10, QLatin1Char('0'));
}

TProgressBar::TProgressBar() : enabled_(StderrIsTerminal()), start_(std::chrono::steady_clock::now()) {}

void TProgressBar::Update(std::int64_t received, std::int64_t total)
{
    if (!enabled_)
        return;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const QString text = ProgressText(received, total, seconds) + TimeLeftText(received, total, seconds);
    // Pad over the remains of a longer previous line.
    const int width = static_cast<int>(text.size());
    QTextStream(stderr) << '\r' << text << QString(std::max(0, width_ - width), QLatin1Char(' ')) << Qt::flush;
    width_ = std::max(width_, width);
    drawn_ = true;
}

void TProgressBar::Finish()
{
    if (drawn_)
        QTextStream(stderr) << '\n' << Qt::flush;
    drawn_ = false;
}
