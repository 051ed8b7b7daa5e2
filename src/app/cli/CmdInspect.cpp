// pellkit-cli inspect FILE [--identity]: the display tree of a card image or
// VU overview, or the identification that names its archive.
// pellkit-cli inspect FILE... --json: everything decoded and verified, as
// one JSON document (docs/json.md).

#include "CliCommands.h"
#include "CliCommon.h"
#include "CliImage.h"
#include "CliJson.h"
#include "CliVerification.h"

#include "uArchUtil.h"
#include "uCard1BFile.h"
#include "uCertificates.h"
#include "uTachy1BDownload.h"
#include "uTachy1BStruct.h"
#include "uVuView.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

#include <exception>
#include <string>

namespace {

// Display trees are shallow; the bound only keeps a faulty tree from recursing forever.
constexpr int kMaxDepth = 32;

QString Latin1(const std::string& text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

QString TimeText(std::uint32_t timeReal)
{
    const TArchiveTime t = ArchiveTimeFromTimeReal(timeReal);
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(t.year, 4, 10, QLatin1Char('0'))
        .arg(t.month, 2, 10, QLatin1Char('0'))
        .arg(t.day, 2, 10, QLatin1Char('0'))
        .arg(t.hour, 2, 10, QLatin1Char('0'))
        .arg(t.minute, 2, 10, QLatin1Char('0'))
        .arg(t.second, 2, 10, QLatin1Char('0'));
}

QString NationText(std::uint8_t nation)
{
    return Latin1(Hex2(nation)) + QStringLiteral(" (") + Latin1(NationCode(nation)) + QLatin1Char(')');
}

void PrintTree(QTextStream& out, const TvtInfoProvide& node, int depth)
{
    const QString indent(2 * depth, QLatin1Char(' '));
    for (int i = 0; i < node.ItemCount(); ++i) {
        std::wstring caption;
        TvtInfoProvide* child = nullptr;
        node.GetItem(i, caption, child);
        out << indent << QString::fromStdWString(caption) << '\n';
        if (child && depth < kMaxDepth)
            PrintTree(out, *child, depth + 1);
    }
}

int InspectCard(QTextStream& out, const std::vector<std::uint8_t>& bytes, std::size_t start, bool identity)
{
    TMemoryStream stream(bytes);
    stream.SetPosition(start);
    T1BDriverCard card;
    if (!identity) {
        card.LoadImage(stream);
        PrintTree(out, card, 0);
        return kExitOk;
    }
    card.LoadIdentification(stream);
    if (!card.HasIdentification())
        throw ETachoError("no EF_Identification in the card image", start);
    out << "nation: " << NationText(card.IssuingNation()) << '\n';
    out << "card number: " << Latin1(card.CardNumberText()) << '\n';
    out << "surname: " << Latin1(card.SurnameText()) << '\n';
    out << "first names: " << Latin1(card.FirstNamesText()) << '\n';
    const auto last = card.LastDownloadTime();
    out << "last download: " << (last ? TimeText(*last) : QStringLiteral("none")) << '\n';
    return kExitOk;
}

int InspectOverview(QTextStream& out, const std::vector<std::uint8_t>& bytes, std::size_t start, bool identity)
{
    TMemoryStream stream(bytes);
    stream.SetPosition(start);
    TF7601 overview;
    overview.LoadFromStream(stream);
    if (!identity) {
        PrintTree(out, overview, 0);
        return kExitOk;
    }
    out << "nation: " << NationText(overview.RegistrationNation()) << '\n';
    out << "registration: " << Latin1(overview.RegistrationText()) << '\n';
    out << "VIN: " << Latin1(overview.VinText()) << '\n';
    out << "current date-time: " << TimeText(overview.CurrentDateTime()) << '\n';
    return kExitOk;
}

// One file of the JSON document; ok turns false when it is not wholly read.
QJsonObject FileJson(const QString& path, const QCommandLineParser& parser, bool& ok)
{
    QJsonObject file{{"path", path}};
    const auto fail = [&](const char* kind, const QString& error) {
        file.insert("kind", kind);
        file.insert("error", error);
        ok = false;
        return file;
    };
    QString error;
    const auto bytes = ReadImageFile(path, error);
    if (!bytes)
        return fail("unreadable", error);
    const TImage image = DetectImage(*bytes);
    switch (image.kind) {
    case TImageKind::Unknown: return fail("unknown", ImageProblem(path, image));
    case TImageKind::VuGeneration2: return fail("vu-generation-2", ImageProblem(path, image));
    case TImageKind::CardGeneration2: return fail("card-generation-2", ImageProblem(path, image));
    case TImageKind::DriverCard:
    case TImageKind::VuOverview: break;
    }

    TMemoryStream stream = TMemoryStream::Borrow(*bytes);
    if (image.kind == TImageKind::DriverCard) {
        file.insert("kind", "driver-card");
        stream.SetPosition(image.start);
        T1BDriverCard card;
        try {
            card.LoadImage(stream);
        } catch (const ETachoError& e) {
            // What was read before stays in the document.
            file.insert("error", QStringLiteral("cannot read the card image: ") + QString::fromUtf8(e.what()));
            ok = false;
        }
        file.insert("card", CardJson(views::ViewCard(card)));
    } else {
        file.insert("kind", "vu-download");
        TVuDownload download;
        download.LoadFromStream(stream);
        QJsonObject vu = VuJson(views::ViewVu(download));
        if (const auto& stop = download.Stop()) {
            vu.insert("readStop", QJsonObject{{"blockOffset", static_cast<qint64>(stop->blockOffset)},
                                              {"offset", static_cast<qint64>(stop->offset)},
                                              {"reason", QString::fromStdString(stop->reason)}});
            file.insert("error", QString::fromStdString(DescribeStop(*stop)));
            ok = false;
        } else {
            vu.insert("readStop", QJsonValue());
        }
        file.insert("vu", vu);
    }
    TCertificateStore store;
    LoadTrustedKeys(parser, store);
    file.insert("verification", VerificationJson(VerifyImage(*bytes, image, store)));
    return file;
}

int InspectJson(const QStringList& paths, const QCommandLineParser& parser)
{
    bool ok = true;
    QJsonArray files;
    for (const QString& path : paths)
        files.append(FileJson(path, parser, ok));
    const QJsonObject document{{"format", "pellkit-inspect"}, {"version", 1}, {"files", files}};
    QTextStream(stdout) << QJsonDocument(document).toJson(QJsonDocument::Indented);
    return ok ? kExitOk : kExitData;
}

// The tree or the identification of one file; its exit status.
int InspectFile(const QString& command, const QString& path, bool identity)
{
    auto input = ReadImageInput(command, path);
    if (!input)
        return kExitData;
    const std::vector<std::uint8_t>& bytes = input->bytes;
    const TImage image = input->image;

    // The whole answer is built first, so that a failure prints no half tree.
    QString text;
    QTextStream out(&text);
    try {
        const int status = image.kind == TImageKind::DriverCard ? InspectCard(out, bytes, image.start, identity)
                                                                : InspectOverview(out, bytes, image.start, identity);
        out.flush();
        QTextStream(stdout) << text;
        return status == kExitOk ? kExitOk : kExitData;
    } catch (const std::exception& e) {
        QTextStream(stderr) << "pellkit-cli " << command << ": " << path << ": cannot read the "
                            << (image.kind == TImageKind::DriverCard ? "card image" : "VU overview") << ": "
                            << e.what() << '\n';
        return kExitData;
    }
}

} // namespace

int RunInspect(const QStringList& args)
{
    QCommandLineParser parser;
    SetUpParser(parser, QStringLiteral(
        "Shows what a driver card image or VU download holds, told by its content: its display tree, or with "
        "--identity the identification that names its archive. With --json, every file given is decoded in "
        "full (activities, identity, lists, certificates and each signed part's verdict) into one JSON "
        "document. Exit status 4 when a file is not generation-1 tachograph data or cannot be read whole."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A card image or VU download; - reads standard input."),
                                 QStringLiteral("FILE..."));
    const QCommandLineOption identityOption(QStringLiteral("identity"),
                                            QStringLiteral("Print only the identification that names the archive."));
    parser.addOption(identityOption);
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        QStringLiteral("Print everything decoded and verified as one JSON document (docs/json.md)."));
    parser.addOption(jsonOption);
    AddKeysOption(parser);

    QStringList paths;
    if (const auto done = ParseFilesCommand(parser, args, paths))
        return *done;
    if (parser.isSet(jsonOption)) {
        if (parser.isSet(identityOption))
            return UsageError(args.first(), QStringLiteral("--identity and --json do not go together"));
        return InspectJson(paths, parser);
    }
    int status = kExitOk;
    for (const QString& path : paths) {
        if (paths.size() > 1)
            QTextStream(stdout) << path << ":\n";
        status = WorseExit(status, InspectFile(args.first(), path, parser.isSet(identityOption)));
    }
    return status;
}
