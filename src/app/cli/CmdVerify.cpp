// pellkit-cli verify FILE: opens the certificate chain of a card image or VU
// overview with the trusted roots and checks the signatures it can.

#include "CliCommands.h"
#include "CliCommon.h"
#include "CliImage.h"

#include "uCard1BElementaryFiles.h"
#include "uCard1BFile.h"
#include "uCardBlocks.h"
#include "uCertificates.h"
#include "uTachy1BStruct.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <exception>
#include <filesystem>
#include <set>
#include <string>

namespace {

QString Latin1(const std::string& text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

// Collects the verdict lines; any line that is not a success fails the run.
class TReport {
public:
    explicit TReport(QTextStream& out) : out_(out) {}
    void Line(const QString& subject, const QString& verdict, bool ok)
    {
        out_ << subject << ": " << verdict << '\n';
        if (!ok)
            ++failures_;
    }
    int Failures() const { return failures_; }

private:
    QTextStream& out_;
    int failures_ = 0;
};

bool IsTrustedKey(const TCertificateStore& store, const TCertificate* certificate)
{
    for (const auto& key : store.TrustedKeys())
        if (key.get() == certificate)
            return true;
    return false;
}

// Where a valid certificate's chain ends: its root, and the authority between.
QString ChainText(const TCertificateStore& store, const TCertificate& certificate)
{
    const TCertificate* authority = FindCertificate(store, certificate.AuthorityReferenceText());
    if (!authority || IsTrustedKey(store, authority))
        return QStringLiteral("valid, chains to root ") + Latin1(certificate.AuthorityReferenceText());
    return QStringLiteral("valid, signed by ") + Latin1(authority->HolderReferenceText()) +
           QStringLiteral(", chains to root ") + Latin1(authority->AuthorityReferenceText());
}

void ReportCertificate(TReport& report, const TCertificateStore& store, const QString& subject, const TCertificate& c)
{
    const QString authority = Latin1(c.AuthorityReferenceText());
    if (!c.Opened())
        report.Line(subject, QStringLiteral("not opened (authority %1 is not known)").arg(authority), false);
    else if (!c.Valid())
        report.Line(subject, QStringLiteral("invalid (does not open with the key of %1)").arg(authority), false);
    else
        report.Line(subject, ChainText(store, c), true);
}

// Files the card download never signs.
bool IsUnsignedFile(int slot)
{
    return slot == T1BDriverCard::kICC || slot == T1BDriverCard::kIC || slot == T1BDriverCard::kCardCertificate ||
           slot == T1BDriverCard::kCACertificate;
}

// Blocks that the EU layout does not have, found by stepping from header to
// header by the announced lengths: such an image cannot be checked.
QString ForeignLayout(const std::vector<std::uint8_t>& bytes, std::size_t start)
{
    std::set<std::uint16_t> unknownFiles;
    std::set<std::uint8_t> unknownKinds;
    std::set<std::uint16_t> signatureLengths;
    for (const TCardBlockHeader& block : SplitCardBlocks(std::span<const std::uint8_t>(bytes).subspan(start))) {
        if (T1BDriverCard::SlotOfFid(block.fid) < 0)
            unknownFiles.insert(block.fid);
        else if (block.kind > 1)
            unknownKinds.insert(block.kind);
        else if (block.kind == 1 && block.length != TEFFile::kSignatureSize)
            signatureLengths.insert(block.length);
    }
    QStringList parts;
    for (std::uint16_t fid : unknownFiles)
        parts << QStringLiteral("unknown file %1h").arg(Latin1(Hex4(fid)));
    for (std::uint8_t kind : unknownKinds)
        parts << QStringLiteral("blocks of kind %1h").arg(Latin1(Hex2(kind)));
    for (std::uint16_t length : signatureLengths)
        parts << QStringLiteral("signature blocks of %1 bytes").arg(length);
    return parts.join(QStringLiteral(", "));
}

const TEFFile* CertificateFile(const T1BDriverCard& card, int slot)
{
    const TEFFile* file = card.Slot(slot);
    return file && file->HasData ? file : nullptr;
}

void VerifyCard(TReport& report, TCertificateStore& store, const std::vector<std::uint8_t>& bytes, std::size_t start)
{
    // Certificates and signatures found in a foreign layout would mean nothing.
    if (const QString foreign = ForeignLayout(bytes, start); !foreign.isEmpty()) {
        report.Line(QStringLiteral("card image"),
                    QStringLiteral("not in the EU card layout (%1): cannot be verified").arg(foreign), false);
        return;
    }
    TMemoryStream stream(bytes);
    stream.SetPosition(start);
    T1BDriverCard card;
    card.LoadImage(stream);

    const auto* caFile = dynamic_cast<const TEF_CA_Certificate*>(CertificateFile(card, T1BDriverCard::kCACertificate));
    const auto* cardFile = dynamic_cast<const TEF_Card_Certificate*>(CertificateFile(card, T1BDriverCard::kCardCertificate));
    // A certificate file must hold exactly one whole certificate.
    const auto whole = [&](const TEFFile& file, const QString& subject) {
        if (file.BodyLength == kRawCertificateSize && card.DataBody(file).size() == kRawCertificateSize)
            return true;
        report.Line(subject,
                    QStringLiteral("malformed (%1 bytes announced, %2 present; a certificate is %3)")
                        .arg(file.BodyLength)
                        .arg(card.DataBody(file).size())
                        .arg(kRawCertificateSize),
                    false);
        return false;
    };
    const TCertificate* cardCertificate = nullptr;
    const QString msSubject = QStringLiteral("member state certificate");
    const QString cardSubject = QStringLiteral("card certificate");
    if (!caFile) {
        report.Line(msSubject, QStringLiteral("missing (no EF_CA_Certificate)"), false);
    } else if (whole(*caFile, msSubject)) {
        const TCertificate* ms = SetMemberStateCertificate(store, caFile->Data().data);
        ReportCertificate(report, store, msSubject, *ms);
    }
    if (!cardFile) {
        report.Line(cardSubject, QStringLiteral("missing (no EF_Card_Certificate)"), false);
    } else if (whole(*cardFile, cardSubject)) {
        // The equipment slot serves the card's own certificate as well.
        cardCertificate = SetVuCertificate(store, cardFile->Data().data);
        ReportCertificate(report, store, cardSubject, *cardCertificate);
    }

    for (int slot = 0; slot < T1BDriverCard::kSlotCount; ++slot) {
        const TEFFile* file = card.Slot(slot);
        if (!file || IsUnsignedFile(slot))
            continue;
        const QString subject = QStringLiteral("signature of ") + QLatin1String(T1BDriverCard::SlotName(slot));
        if (!file->HasData)
            report.Line(subject, QStringLiteral("no data block to check it against"), false);
        else if (!file->HasSignature)
            report.Line(subject, QStringLiteral("missing"), false);
        else if (!cardCertificate || !cardCertificate->Valid())
            report.Line(subject, QStringLiteral("not checked (no valid card certificate)"), false);
        else if (card.DataBody(*file).size() != file->BodyLength)
            report.Line(subject, QStringLiteral("invalid (the data block is cut short)"), false);
        else if (VerifySignature(card.DataBody(*file), file->Signature, *cardCertificate))
            report.Line(subject, QStringLiteral("valid"), true);
        else
            report.Line(subject, QStringLiteral("invalid"), false);
    }
}

// Returns how many bytes follow the overview block (the download's other
// transfer responses), which this check does not cover.
std::size_t VerifyOverview(TReport& report, TCertificateStore& store, const std::vector<std::uint8_t>& bytes,
                           std::size_t start)
{
    VerificationContext context;
    context.CheckSignatures = true;
    context.Store = &store;
    TMemoryStream stream(bytes);
    stream.SetPosition(start);
    TF7601 overview(&context);
    overview.LoadFromStream(stream);

    // The reader takes missing bytes as zeros; say so rather than blame the keys.
    const std::size_t needed = 2 * kRawCertificateSize + 17 + 15 + 4 + 8 + 1 + 58 + 1 +
                               98 * std::size_t{overview.VuCompanyLocksData().noOfLocks} + 1 +
                               31 * std::size_t{overview.VuControlActivityData().noOfControls} + kVuSignatureSize;
    if (bytes.size() - start < needed)
        report.Line(QStringLiteral("overview block"),
                    QStringLiteral("cut short (%1 bytes, its counts need %2)").arg(bytes.size() - start).arg(needed),
                    false);

    ReportCertificate(report, store, QStringLiteral("member state certificate"), *context.MemberStateCertificate);
    ReportCertificate(report, store, QStringLiteral("VU certificate"), *context.VuCertificate);
    if (!context.VuCertificate->Valid())
        report.Line(QStringLiteral("overview signature"), QStringLiteral("not checked (no valid VU certificate)"), false);
    else
        report.Line(QStringLiteral("overview signature"),
                    overview.SignatureValid() ? QStringLiteral("valid") : QStringLiteral("invalid"),
                    overview.SignatureValid());
    return bytes.size() - start > needed ? bytes.size() - start - needed : 0;
}

} // namespace

int RunVerify(const QStringList& args)
{
    QCommandLineParser parser;
    SetUpParser(parser, QStringLiteral(
        "Opens the certificate chain of a driver card image or VU download with the trusted roots and checks "
        "its signatures. Exit status 0 only when every certificate and signature is valid."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("a card image or VU download"));
    const QCommandLineOption keysOption(
        QStringLiteral("keys"),
        QStringLiteral("directory holding %1, the test root key (default: the program's directory)")
            .arg(QLatin1String(kTestRootKeyFile)),
        QStringLiteral("DIR"));
    parser.addOption(keysOption);

    QString path;
    if (const auto done = ParseFileCommand(parser, args, false, path))
        return *done;
    QTextStream err(stderr);
    auto input = ReadImageInput(args.first(), path);
    if (!input)
        return kExitFailed;
    const std::vector<std::uint8_t>& bytes = input->bytes;
    const TImage image = input->image;

    TCertificateStore store;
    const QString keys = parser.isSet(keysOption) ? parser.value(keysOption) : QCoreApplication::applicationDirPath();
    store.SetTrustedKeyDirectory(std::filesystem::path(keys.toStdU16String()));

    QTextStream out(stdout);
    TReport report(out);
    std::size_t unchecked = 0;
    try {
        if (image.kind == TImageKind::DriverCard)
            VerifyCard(report, store, bytes, image.start);
        else
            unchecked = VerifyOverview(report, store, bytes, image.start);
    } catch (const std::exception& e) {
        out.flush();
        err << "pellkit-cli verify: " << path << ": cannot read the "
            << (image.kind == TImageKind::DriverCard ? "card image" : "VU overview") << ": " << e.what() << '\n';
        return kExitFailed;
    }
    if (report.Failures() == 0 && unchecked > 0) {
        out << "verdict: the certificates and the overview's signature are valid; the " << unchecked
            << " bytes after the overview (the other blocks of the download) are not checked\n";
        return kExitOk;
    }
    if (report.Failures() == 0) {
        out << "verdict: every certificate and signature is valid\n";
        return kExitOk;
    }
    out << "verdict: not verified (" << report.Failures() << (report.Failures() == 1 ? " problem" : " problems")
        << ")\n";
    return kExitFailed;
}
