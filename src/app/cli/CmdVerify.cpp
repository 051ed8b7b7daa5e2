// pellkit-cli verify FILE: opens the certificate chain of a card image or VU
// download with the trusted roots and checks the signature of every signed
// part: each block of a VU download, each signed file of a card.

#include "CliCommands.h"
#include "CliCommon.h"
#include "CliImage.h"
#include "CliVerification.h"

#include "uCertificates.h"

#include <QCommandLineParser>
#include <QTextStream>

int RunVerify(const QStringList& args)
{
    QCommandLineParser parser;
    SetUpParser(parser, QStringLiteral(
        "Opens the certificate chain of driver card images or VU downloads with the trusted roots and checks "
        "the signature of every signed part: each block of a VU download (76 01 to 76 05), each signed "
        "elementary file of a card. One line per certificate and part, with its offset in the file, then the "
        "verdict. Exit status 0 only when every certificate and signature of every file was checked and is "
        "valid, else 4."));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A card image or VU download; - reads standard input."),
                                 QStringLiteral("FILE..."));
    AddKeysOption(parser);

    QStringList paths;
    if (const auto done = ParseFilesCommand(parser, args, paths))
        return *done;
    QTextStream out(stdout);
    int status = kExitOk;
    for (const QString& path : paths) {
        if (paths.size() > 1)
            out << path << ":\n" << Qt::flush;
        auto input = ReadImageInput(args.first(), path);
        if (!input) {
            status = kExitData;
            continue;
        }
        // A store of its own: one file's certificates must not vouch for another's.
        TCertificateStore store;
        LoadTrustedKeys(parser, store);
        const views::TVerification verification = VerifyImage(input->bytes, input->image, store);
        for (const QString& line : VerificationLines(verification))
            out << line << '\n';
        out.flush();
        if (verification.Overall() != views::TVerdict::Valid)
            status = kExitData;
    }
    return status;
}
