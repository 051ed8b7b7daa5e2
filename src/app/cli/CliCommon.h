#pragma once
// What every pellkit-cli command shares: arguments, errors, settings, the
// serial port, the progress bar and Ctrl-C.

#include <QCommandLineParser>
#include "uSettingsStore.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class TQtSerialPort;

// Exit status by kind of failure; scripts rely on these numbers.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;    // anything not named below
constexpr int kExitUsage = 2;     // the arguments
constexpr int kExitDevice = 3;    // the port or the Vexa: cannot open, no answer, refused
constexpr int kExitData = 4;      // the data: failed its check, unreadable, not valid
constexpr int kExitStorage = 5;   // not everything stored or written
constexpr int kExitCancelled = 6; // the user cancelled

// ---- arguments and errors -----------------------------------------------------

// Sets the description and --help.
void SetUpParser(QCommandLineParser& parser, const QString& description);
// Parses args (the command name first).  Returns an exit status when the
// command is done already (--help printed, or a usage error reported).
// The help ends with HelpEpilogue(withPort).
std::optional<int> ParseArguments(QCommandLineParser& parser, const QStringList& args, bool withPort = false);
// The common start of a command on the Vexa, which takes no FILE: parses,
// sets the interface language when withLanguage (the command has --lang),
// and sets port from --port. Returns an exit status when already done.
std::optional<int> ParsePortCommand(QCommandLineParser& parser, const QStringList& args, bool withLanguage,
                                    QString& port);
// The same for a command on exactly one FILE, which it sets.
std::optional<int> ParseFileCommand(QCommandLineParser& parser, const QStringList& args, bool withLanguage,
                                    QString& file);
// The same for a command on one FILE or more, which it sets.
std::optional<int> ParseFilesCommand(QCommandLineParser& parser, const QStringList& args, QStringList& files);
// What every help ends with: the exit codes, the port syntax (withPort) and
// where the settings, the spool and the archives live.
QString HelpEpilogue(bool withPort);
// "pellkit-cli COMMAND: TEXT" on stderr; returns kExitUsage.
int UsageError(const QString& command, const QString& text);

// The English meaning of a result code (the catalogue's ResultText is the
// translated one).
QString CliResultText(int code);
// "error CODE: TEXT" on stderr, followed by ": DETAIL" when given.
void PrintError(int code, const QString& detail = {});
// The same with TEXT from the catalogue, in the interface language.
void PrintResultError(int code, const QString& detail = {});

// The steps of a settings or clock flow on stderr with --verbose, else none.
std::function<void(const QString&)> VerboseLines(const QCommandLineParser& parser);
// The end of a settings or clock flow: the catalogue's success line on
// stdout, or its failure line and the result on stderr, in words about the
// settings or the clock. The exit status.
int ReportSettingsResult(int result, bool clock);

// ---- interface language ----------------------------------------------------------

// Adds --lang N, the interface language of the catalogue texts (2..21, 3 English).
void AddLanguageOption(QCommandLineParser& parser);
// Sets the interface language: --lang, else the saved "Language", else
// English. A --lang that is no language is reported as a usage error: false.
bool ApplyLanguage(const QCommandLineParser& parser, const QString& command);

// ---- the serial port ------------------------------------------------------------

// Adds --port (COMn or a device path).
void AddPortOption(QCommandLineParser& parser);
// The --port value, else the port chosen in the window (the setting
// "Port"); none (reported as a usage error) when neither is there.
std::optional<QString> PortArgument(const QCommandLineParser& parser, const QString& command);
// The port PortArgument gave this run (empty before, or for a command on a file).
QString PortOfThisRun();
// Opens the port on the line settings of the Vexa; on failure prints
// error -1 with the system's reason and returns false.
bool OpenPort(TQtSerialPort& port, const QString& name);

// ---- progress and Ctrl-C --------------------------------------------------------

// "12.3 KiB  41%  5.6 KiB/s": the percent only once the total is known, the
// rate once time has passed.
QString ProgressText(std::int64_t received, std::int64_t total, double seconds);
// "  1:05 left" once the total is known and the rate has settled, else empty.
QString TimeLeftText(std::int64_t received, std::int64_t total, double seconds);

// A one-line bar on stderr (ProgressText and TimeLeftText), redrawn in
// place; silent when stderr is no terminal.
class TProgressBar {
public:
    TProgressBar();
    void Update(std::int64_t received, std::int64_t total);
    // Ends the line when a bar was drawn.
    void Finish();

private:
    bool enabled_;
    bool drawn_ = false;
    int width_ = 0;
    std::chrono::steady_clock::time_point start_;
};

// Ctrl-C sets a flag instead of killing; a second Ctrl-C kills as usual.
void InstallInterruptHandler();
bool Interrupted();
