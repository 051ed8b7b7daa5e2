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
        "Opens the certificate chain of a driver card image or VU download with the trusted roots and checks "
        "the signature of every signed part: each block of a VU download (76 01 to 76 05), each signed "
        "elementary file of a card. One line per certificate and part, with its offset in the file, then the "
        "verdict. Exit status 0 only when every certificate and signature was checked and is valid."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("a card image or VU download"));
    AddKeysOption(parser);

    QString path;
    if (const auto done = ParseFileCommand(parser, args, false, path))
        return *done;
    auto input = ReadImageInput(args.first(), path);
    if (!input)
        return kExitFailed;

    TCertificateStore store;
    LoadTrustedKeys(parser, store);
    const views::TVerification verification = VerifyImage(input->bytes, input->image, store);
    QTextStream out(stdout);
    for (const QString& line : VerificationLines(verification))
        out << line << '\n';
    return verification.Overall() == views::TVerdict::Valid ? kExitOk : kExitFailed;
}
