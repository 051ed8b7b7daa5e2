// pellkit-cli validate FILE... [--json]: the check a download passes before
// the Vexa may delete its data, run on saved data files; its diagnostic
// lines on stdout.

#include "CliCommands.h"
#include "CliCommon.h"
#include "CliImage.h"

#include "uArdoVexa.h"
#include "uContainer.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QTextStream>

#include <exception>

namespace {

// The diagnostic lines, on stdout as they come or kept for the document.
class TLines : public IDebugLog {
public:
    explicit TLines(bool keep) : keep_(keep) {}
    void DebugLog(const QString& line) override
    {
        if (keep_)
            lines_.append(line);
        else
            QTextStream(stdout) << line << '\n';
    }
    const QJsonArray& Lines() const { return lines_; }

private:
    bool keep_;
    QJsonArray lines_;
};

int ValidateFile(const QString& command, const QString& path, bool json, bool named, QJsonArray& files)
{
    QString error;
    auto bytes = ReadImageFile(path, error);
    if (!bytes) {
        QJsonObject entry = UnreadableFileEntry(command, path, error, kExitData);
        entry.insert("valid", false);
        files.append(entry);
        return kExitData;
    }
    QJsonObject entry{{"path", path}};
    if (named && !json)
        QTextStream(stdout) << path << ":\n";
    TMemoryStream stream(std::move(*bytes));
    int result = 0;
    QString detail;
    TLines lines(json);
    try {
        result = ValidateContainer(lines, stream);
    } catch (const std::exception& e) {
        result = -1;
        detail = QString::fromUtf8(e.what());
    }
    const int status = result == 0 ? kExitOk : kExitData;
    if (result != 0) {
        PrintError(kResultBadDataFile, named ? (detail.isEmpty() ? path : path + QStringLiteral(": ") + detail) : detail);
        entry.insert("error", ResultJson(kResultBadDataFile, detail));
    }
    entry.insert("valid", result == 0);
    entry.insert("exitStatus", status);
    entry.insert("lines", lines.Lines());
    files.append(entry);
    return status;
}

} // namespace

int RunValidate(const QStringList& args)
{
    QCommandLineParser parser;
    SetUpParser(parser, QStringLiteral("Walks saved Vexa data files and reads every card image and VU overview in "
                                       "them, as a download is checked before the Vexa may delete its data.\n"
                                       "Exit status 0 when all of it is sound, 4 when not."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A data file; - reads standard input."),
                                 QStringLiteral("FILE..."));
    AddJsonOption(parser);
    QStringList paths;
    if (const auto done = ParseFilesCommand(parser, args, paths))
        return *done;
    const bool json = JsonRequested(parser);
    int status = kExitOk;
    QJsonArray files;
    for (const QString& path : paths)
        status = WorseExit(status, ValidateFile(args.first(), path, json, paths.size() > 1, files));
    if (json)
        PrintJson(QJsonObject{{"format", "pellkit-validate"}, {"version", 1}, {"exitStatus", status}, {"files", files}});
    return status;
}
