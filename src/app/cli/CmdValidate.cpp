// pellkit-cli validate FILE: the check a download passes before the Vexa may
// delete its data, run on a saved data file; its diagnostic lines on stdout.

#include "CliCommands.h"
#include "CliCommon.h"
#include "CliImage.h"

#include "uArdoVexa.h"
#include "uContainer.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <exception>

namespace {

class TStdoutLog : public IDebugLog {
public:
    void DebugLog(const QString& line) override { out_ << line << '\n'; }

private:
    QTextStream out_{stdout};
};

} // namespace

int RunValidate(const QStringList& args)
{
    QCommandLineParser parser;
    SetUpParser(parser, QStringLiteral("Walks a saved Vexa data file and reads every card image and VU overview "
                                       "in it.\nExit status 0 when all of it is sound, 1 when not."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The data file."));
    AddLanguageOption(parser);
    QString file;
    if (const auto done = ParseFileCommand(parser, args, true, file))
        return *done;
    auto bytes = ReadInputFile(args.first(), file);
    if (!bytes)
        return kExitFailed;
    TMemoryStream stream(std::move(*bytes));
    int result = 0;
    QString detail;
    {
        TStdoutLog log;
        try {
            result = ValidateContainer(log, stream);
        } catch (const std::exception& e) {
            result = -1;
            detail = QString::fromUtf8(e.what());
        }
    }
    if (result != 0) {
        PrintError(kResultBadDataFile, detail);
        return kExitFailed;
    }
    return kExitOk;
}
