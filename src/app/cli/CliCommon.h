#pragma once
// What every pellkit-cli command shares: arguments, errors, settings, the
// serial port, the progress bar and Ctrl-C.

#include <QCommandLineParser>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

class TQtSerialPort;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1; // the device or the data failed
constexpr int kExitUsage = 2;

// ---- arguments and errors -----------------------------------------------------

// Sets the description and --help.
void SetUpParser(QCommandLineParser& parser, const QString& description);
// Parses args (the command name first).  Returns an exit status when the
// command is done already (--help printed, or a usage error reported).
std::optional<int> ParseArguments(QCommandLineParser& parser, const QStringList& args);
// "pellkit-cli COMMAND: TEXT" on stderr; returns kExitUsage.
int UsageError(const QString& command, const QString& text);

// The English meaning of a result code (the catalogue's ResultText is the
// translated one).
QString CliResultText(int code);
// "error CODE: TEXT" on stderr, followed by ": DETAIL" when given.
void PrintError(int code, const QString& detail = {});

// ---- settings -----------------------------------------------------------------

// The program's settings ("Morvane"/"Pellkit"), in the group "Vexa".
std::unique_ptr<QSettings> VexaSettings();

// ---- interface language ----------------------------------------------------------

// Adds --lang N, the interface language of the catalogue texts (2..21, 3 English).
void AddLanguageOption(QCommandLineParser& parser);
// Sets the interface language: --lang, else the saved "Language", else
// English. A --lang that is no language is reported as a usage error: false.
bool ApplyLanguage(const QCommandLineParser& parser, const QString& command);

// ---- the serial port ------------------------------------------------------------

// Adds --port (COMn or a device path).
void AddPortOption(QCommandLineParser& parser);
// The --port value, empty (and reported as a usage error) when missing.
std::optional<QString> PortArgument(const QCommandLineParser& parser, const QString& command);
// Opens the port on the line settings of the Vexa; on failure prints
// error -1 with the system's reason and returns false.
bool OpenPort(TQtSerialPort& port, const QString& name);

// ---- progress and Ctrl-C --------------------------------------------------------

// "12.3 KiB  41%  5.6 KiB/s": the percent only once the total is known, the
// rate once time has passed.
QString ProgressText(std::int64_t received, std::int64_t total, double seconds);

// A one-line bar on stderr, redrawn in place; silent when stderr is no terminal.
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
