#include "CliVerification.h"

#include "uCertificates.h"
#include "uViewText.h"

#include <QCoreApplication>

#include <filesystem>
#include <map>
#include <span>

using namespace views;

namespace {

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString CertificateLine(const TCertificateCheck& c, bool card)
{
    const QString subject = Text(c.subject) + QStringLiteral(": ");
    const QString authority = Text(c.authorityReference);
    switch (c.state) {
    case TCertificateCheck::TState::Valid:
        if (c.signedBy.empty())
            return subject + QStringLiteral("valid, chains to root ") + Text(c.root);
        return subject + QStringLiteral("valid, signed by %1, chains to root %2").arg(Text(c.signedBy), Text(c.root));
    case TCertificateCheck::TState::Invalid:
        return subject + QStringLiteral("invalid (does not open with the key of %1)").arg(authority);
    case TCertificateCheck::TState::NotOpened:
        return subject + QStringLiteral("not opened (authority %1 is not known)").arg(authority);
    case TCertificateCheck::TState::Missing:
        if (!card)
            return subject + QStringLiteral("missing (no overview could be read)");
        return subject + QStringLiteral("missing (no %1)")
                             .arg(c.subject == "card certificate" ? QStringLiteral("EF_Card_Certificate")
                                                                  : QStringLiteral("EF_CA_Certificate"));
    case TCertificateCheck::TState::Malformed:
        return subject + QStringLiteral("malformed (%1 bytes announced, %2 present; a certificate is %3)")
                             .arg(c.announced)
                             .arg(c.present)
                             .arg(kRawCertificateSize);
    }
    return subject;
}

QString ReasonText(const TSignedPartCheck& p, bool card)
{
    switch (p.reason) {
    case TSignedPartCheck::TReason::NoValidCertificate:
        return card ? QStringLiteral("no valid card certificate") : QStringLiteral("no valid VU certificate");
    case TSignedPartCheck::TReason::SignatureMissing: return QStringLiteral("no signature block");
    case TSignedPartCheck::TReason::NoDataBlock: return QStringLiteral("no data block to check it against");
    case TSignedPartCheck::TReason::CutShort: return QStringLiteral("the data block is cut short");
    case TSignedPartCheck::TReason::Unreadable: return QStringLiteral("cannot be read: ") + Text(p.detail);
    case TSignedPartCheck::TReason::Generation2:
        return QStringLiteral("a smart tachograph (generation 2) block, not read");
    case TSignedPartCheck::TReason::None: break;
    }
    return {};
}

QString PartLine(const TSignedPartCheck& p, bool card, int ofItsKind)
{
    QString subject;
    if (card) {
        subject = QStringLiteral("signature of %1 (%2) at offset %3").arg(Text(p.kind), Text(p.name)).arg(p.offset);
    } else {
        QString what = p.name.empty() ? QStringLiteral("unknown") : Text(p.name);
        if (p.day)
            what += QStringLiteral(" of ") + Text(IsoDate(*p.day));
        else if (ofItsKind > 1)
            what += QStringLiteral(" #%1").arg(p.index);
        subject = QStringLiteral("block %1 (%2) at offset %3").arg(Text(p.kind), what).arg(p.offset);
    }
    if (p.verdict != TVerdict::NotCheckable)
        return subject + QStringLiteral(": ") + VerdictName(p.verdict);
    return subject + QStringLiteral(": not checkable (%1)").arg(ReasonText(p, card));
}

QString ProblemLine(const TVerificationProblem& p)
{
    const QString subject = Text(p.subject) + QStringLiteral(": ");
    switch (p.kind) {
    case TVerificationProblem::TKind::ForeignLayout:
        return subject + QStringLiteral("not in the EU card layout (%1): cannot be verified").arg(Text(p.detail));
    case TVerificationProblem::TKind::Unreadable: return subject + QStringLiteral("cannot be read: ") + Text(p.detail);
    case TVerificationProblem::TKind::NoSignedPart: break;
    }
    return subject + QStringLiteral("holds nothing signed");
}

} // namespace

void AddKeysOption(QCommandLineParser& parser)
{
    parser.addOption({QStringLiteral("keys"),
                      QStringLiteral("Directory holding %1, the test root key (default: the program's directory).")
                          .arg(QLatin1String(kTestRootKeyFile)),
                      QStringLiteral("DIR")});
}

void LoadTrustedKeys(const QCommandLineParser& parser, TCertificateStore& store)
{
    const QString option = QStringLiteral("keys");
    const QString keys = parser.isSet(option) ? parser.value(option) : QCoreApplication::applicationDirPath();
    store.SetTrustedKeyDirectory(std::filesystem::path(keys.toStdU16String()));
}

TVerification VerifyImage(const std::vector<std::uint8_t>& bytes, const TImage& image, TCertificateStore& store)
{
    const auto all = std::span<const std::uint8_t>(bytes);
    if (image.kind == TImageKind::DriverCard)
        return VerifyCardImage(all.subspan(image.start), store, image.start);
    // The download starts at the overview's 76h, before the two bytes DetectImage skips.
    return VerifyVuDownload(all, store);
}

QStringList VerificationLines(const TVerification& v)
{
    const bool card = v.cardImage;
    std::map<std::string, int> kinds;
    for (const auto& p : v.parts)
        ++kinds[p.kind];
    QStringList lines;
    for (const auto& p : v.problems)
        if (p.kind == TVerificationProblem::TKind::ForeignLayout)
            lines << ProblemLine(p);
    for (const auto& c : v.certificates)
        lines << CertificateLine(c, card);
    for (const auto& p : v.parts)
        lines << PartLine(p, card, kinds[p.kind]);
    for (const auto& p : v.problems)
        if (p.kind != TVerificationProblem::TKind::ForeignLayout)
            lines << ProblemLine(p);

    const int invalid = v.Count(TVerdict::Invalid);
    const int unchecked = v.Count(TVerdict::NotCheckable);
    switch (v.Overall()) {
    case TVerdict::Valid: lines << QStringLiteral("verdict: every certificate and signature is valid"); break;
    case TVerdict::Invalid:
        lines << (unchecked > 0 ? QStringLiteral("verdict: invalid (%1 invalid, %2 not checkable)").arg(invalid).arg(unchecked)
                                : QStringLiteral("verdict: invalid (%1 invalid)").arg(invalid));
        break;
    case TVerdict::NotCheckable:
        lines << QStringLiteral("verdict: not verified (%1 not checkable)").arg(std::max(unchecked, 1));
        break;
    }
    return lines;
}
