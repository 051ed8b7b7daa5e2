// pellkit-cli inspect FILE [--identity]: the display tree of a card image or
// VU overview, or the identification that names its archive.

#include "CliCommands.h"
#include "CliCommon.h"
#include "CliImage.h"

#include "uArchUtil.h"
#include "uCard1BFile.h"
#include "uTachy1BStruct.h"

#include <QCommandLineParser>
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

} // namespace

int RunInspect(const QStringList& args)
{
    QCommandLineParser parser;
    SetUpParser(parser, QStringLiteral("Shows what a driver card image or VU download holds, told by its content."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("a card image or VU download"));
    const QCommandLineOption identityOption(QStringLiteral("identity"),
                                            QStringLiteral("print only the identification that names the archive"));
    parser.addOption(identityOption);

    QString path;
    if (const auto done = ParseFileCommand(parser, args, false, path))
        return *done;
    QTextStream err(stderr);
    auto input = ReadImageInput(args.first(), path);
    if (!input)
        return kExitFailed;
    const std::vector<std::uint8_t>& bytes = input->bytes;
    const TImage image = input->image;

    // The whole answer is built first, so that a failure prints no half tree.
    QString text;
    QTextStream out(&text);
    try {
        const bool identity = parser.isSet(identityOption);
        const int status = image.kind == TImageKind::DriverCard ? InspectCard(out, bytes, image.start, identity)
                                                                : InspectOverview(out, bytes, image.start, identity);
        out.flush();
        QTextStream(stdout) << text;
        return status;
    } catch (const std::exception& e) {
        err << "pellkit-cli inspect: " << path << ": cannot read the "
            << (image.kind == TImageKind::DriverCard ? "card image" : "VU overview") << ": " << e.what() << '\n';
        return kExitFailed;
    }
}
