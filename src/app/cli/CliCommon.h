#pragma once
// What every pellkit-cli command shares: arguments, errors, settings, the
// serial port, the progress bar and Ctrl-C.

#include <QCommandLineParser>
#include <QJsonObject>
#include "CliConsole.h"
#include "uSettingsStore.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// Exit status by kind of failure; scripts rely on these numbers.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;    // anything not named below
constexpr int kExitUsage = 2;     // the arguments
constexpr int kExitDevice = 3;    // the port or the Vexa: cannot open, no answer, refused
constexpr int kExitData = 4;      // the data: failed its check, unreadable, not valid
constexpr int kExitStorage = 5;   // not everything stored or written
constexpr int kExitCancelled = 6; // the user cancelled

// ---- arguments and errors -----------------------------------------------------

// Sets the description, --help and --lang.
void SetUpParser(QCommandLineParser& parser, const QString& description);
// Parses args (the command name first) and sets the interface language.
// Returns an exit status when the command is done already (--help printed,
// or a usage error reported). The help ends with HelpEpilogue(withPort).
std::optional<int> ParseArguments(QCommandLineParser& parser, const QStringList& args, bool withPort = false);
// The common start of a command on the Vexa, which takes no FILE: parses
// and sets port from --port. Returns an exit status when already done.
std::optional<int> ParsePortCommand(QCommandLineParser& parser, const QStringList& args, QString& port);
// The same for a command on one FILE or more ("-": standard input), which it sets.
std::optional<int> ParseFilesCommand(QCommandLineParser& parser, const QStringList& args, QStringList& files);
// What every help ends with: the exit codes, the port syntax (withPort) and
// where the settings, the spool and the archives live.
QString HelpEpilogue(bool withPort);
// Text broken into lines of at most width columns; a broken line goes on
// under the start of its text (an option's description, an indented item).
QString WrapText(const QString& text, int width = 80);
// 80, or PELLKIT_HELP_WIDTH (the manual page asks for unbroken lines).
int HelpWidth();
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

// Adds --lang N (SetUpParser does).
void AddLanguageOption(QCommandLineParser& parser);
// The interface language when no --lang is given: the environment's
// (LC_ALL, LC_MESSAGES, LANG), else the window's saved choice, else English.
int DefaultLanguage();
// Sets the interface language: --lang, else DefaultLanguage(). A --lang
// that is no language is reported as a usage error: false.
bool ApplyLanguage(const QCommandLineParser& parser, const QString& command);

// ---- exit status and JSON ------------------------------------------------------

// The exit status of a result code of the link (clock: of a clock write,
// where -110 is the Vexa's refusal, not the user's).
int ExitStatusOfResult(int result, bool clock = false);
// The worse of two exit statuses: the higher one.
int WorseExit(int a, int b);
// Adds --json: one JSON document on stdout instead of the lines.
void AddJsonOption(QCommandLineParser& parser);
bool JsonRequested(const QCommandLineParser& parser);
// The document, indented, on stdout.
void PrintJson(const QJsonObject& document);
// "error" object of a document: the result code and its English meaning.
QJsonObject ResultJson(int result, const QString& detail = {});

// ---- the serial port ------------------------------------------------------------

// Adds --port (COMn or a device path).
void AddPortOption(QCommandLineParser& parser);
// The --port value, else the port chosen in the window (the setting
// "Port"); none (reported as a usage error) when neither is there.
std::optional<QString> PortArgument(const QCommandLineParser& parser, const QString& command);
// The port PortArgument gave this run (empty before, or for a command on a file).
QString PortOfThisRun();

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

