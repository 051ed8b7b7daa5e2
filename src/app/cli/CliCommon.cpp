#include "CliCommon.h"

#include "uArdoVexa.h"
#include "uLocalization.h"
#include "uMessageCodes.h"
#include "uQtSerialPort.h"
#include "uTranslation.h"

#include <QTextStream>

#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

// The port of this run, for the hint on a device the user may not open.
QString g_port;

extern "C" void OnInterrupt(int) { g_interrupted = 1; }

QString Size(std::int64_t bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KiB").arg(static_cast<double>(bytes) / 1024.0, 0, 'f', 1);
    return QStringLiteral("%1 MiB").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

} // namespace

void SetUpParser(QCommandLineParser& parser, const QString& description)
{
    parser.setApplicationDescription(description);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
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
        QTextStream(stdout) << help << '\n' << HelpEpilogue(withPort);
        return kExitOk;
    }
    return std::nullopt;
}

std::optional<int> ParsePortCommand(QCommandLineParser& parser, const QStringList& args, bool withLanguage,
                                    QString& port)
{
    if (const auto done = ParseArguments(parser, args, true))
        return done;
    const QString command = args.first();
    if (!parser.positionalArguments().isEmpty())
        return UsageError(command,
                          QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    if (withLanguage && !ApplyLanguage(parser, command))
        return kExitUsage;
    const auto name = PortArgument(parser, command);
    if (!name)
        return kExitUsage;
    port = *name;
    return std::nullopt;
}

std::optional<int> ParseFileCommand(QCommandLineParser& parser, const QStringList& args, bool withLanguage,
                                    QString& file)
{
    if (const auto done = ParseArguments(parser, args))
        return done;
    const QString command = args.first();
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1)
        return UsageError(command, files.isEmpty() ? QStringLiteral("FILE is required")
                                                   : QStringLiteral("unexpected argument '%1'").arg(files.at(1)));
    if (withLanguage && !ApplyLanguage(parser, command))
        return kExitUsage;
    file = files.first();
    return std::nullopt;
}

std::optional<int> ParseFilesCommand(QCommandLineParser& parser, const QStringList& args, QStringList& files)
{
    if (const auto done = ParseArguments(parser, args))
        return done;
    files = parser.positionalArguments();
    if (files.isEmpty())
        return UsageError(args.first(), QStringLiteral("FILE is required"));
    return std::nullopt;
}

QString HelpEpilogue(bool withPort)
{
    QString text = QStringLiteral(
        "Exit status:\n"
        "  0  success\n"
        "  1  the line, the Vexa or the data failed, or a download was not stored\n"
        "  2  usage error: an unknown option, a missing or wrong value\n");
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
        return kExitFailed;
    }
    QTextStream(stdout) << MessageText(clock ? msg::ClockSent : msg::SettingsSent) << '\n';
    return kExitOk;
}

void AddLanguageOption(QCommandLineParser& parser)
{
    parser.addOption({QStringLiteral("lang"),
                      QStringLiteral("Language of the messages: 2 French, 3 English, ... 21 Slovene "
                                     "(default: the program's saved choice, else English)."),
                      QStringLiteral("N")});
}

bool ApplyLanguage(const QCommandLineParser& parser, const QString& command)
{
    if (parser.isSet(QStringLiteral("lang"))) {
        bool ok = false;
        const int code = parser.value(QStringLiteral("lang")).toInt(&ok);
        if (!ok || code < lang::First || code > lang::Last) {
            UsageError(command, QStringLiteral("--lang wants a language code from %1 to %2 (3 English)")
                                    .arg(lang::First)
                                    .arg(lang::Last));
            return false;
        }
        SetCurrentLanguage(code);
        return true;
    }
    const auto settings = VexaSettings();
    SetCurrentLanguage(settings->value(QStringLiteral("Language"), lang::English).toInt());
    return true;
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

bool OpenPort(TQtSerialPort& port, const QString& name)
{
    port.SetName(name.toStdString());
    try {
        port.Open();
        return true;
    } catch (const ESerialPort& e) {
        PrintError(kResultBadFrame, QString::fromLocal8Bit(e.what()));
        return false;
    }
}

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

TProgressBar::TProgressBar() : enabled_(isatty(STDERR_FILENO) == 1), start_(std::chrono::steady_clock::now()) {}

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

void InstallInterruptHandler()
{
    g_interrupted = 0;
    struct sigaction action = {};
    action.sa_handler = &OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

bool Interrupted() { return g_interrupted != 0; }
