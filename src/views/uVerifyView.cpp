#include "uVerifyView.h"

#include "uCard1BFile.h"
#include "uCardBlocks.h"
#include "uCertificates.h"
#include "uTachy1BDownload.h"

#include <algorithm>
#include <map>
#include <set>

namespace views {

namespace {

bool IsTrustedKey(const TCertificateStore& store, const TCertificate* certificate)
{
    for (const auto& key : store.TrustedKeys())
        if (key.get() == certificate)
            return true;
    return false;
}

// Taken at once: the store's slots change with the next certificate set.
TCertificateCheck Check(const std::string& subject, const TCertificateStore& store, const TCertificate& c)
{
    TCertificateCheck check;
    check.subject = subject;
    check.authorityReference = c.AuthorityReferenceText();
    if (!c.Opened()) {
        check.state = TCertificateCheck::TState::NotOpened;
    } else if (!c.Valid()) {
        check.state = TCertificateCheck::TState::Invalid;
    } else {
        check.state = TCertificateCheck::TState::Valid;
        check.holderReference = c.HolderReferenceText();
        const TCertificate* authority = FindCertificate(store, c.AuthorityReferenceText());
        if (!authority || IsTrustedKey(store, authority)) {
            check.root = c.AuthorityReferenceText();
        } else {
            check.signedBy = authority->HolderReferenceText();
            check.root = authority->AuthorityReferenceText();
        }
    }
    return check;
}

TCertificateCheck MissingCertificate(const std::string& subject)
{
    TCertificateCheck check;
    check.subject = subject;
    check.state = TCertificateCheck::TState::Missing;
    return check;
}

// ---- card ----

// Files the card download never signs.
bool IsUnsignedFile(int slot)
{
    return slot == T1BDriverCard::kICC || slot == T1BDriverCard::kIC || slot == T1BDriverCard::kCardCertificate ||
           slot == T1BDriverCard::kCACertificate;
}

// Blocks the EU layout does not have, found by stepping from header to
// header by the announced lengths: such an image cannot be checked.
std::string ForeignLayout(std::span<const std::uint8_t> image)
{
    std::set<std::uint16_t> unknownFiles;
    std::set<std::uint8_t> unknownKinds;
    std::set<std::uint16_t> signatureLengths;
    for (const TCardBlockHeader& block : SplitCardBlocks(image)) {
        if (T1BDriverCard::SlotOfFid(block.fid) < 0)
            unknownFiles.insert(block.fid);
        else if (block.kind > 1)
            unknownKinds.insert(block.kind);
        else if (block.kind == 1 && block.length != TEFFile::kSignatureSize)
            signatureLengths.insert(block.length);
    }
    std::string text;
    const auto add = [&](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    for (std::uint16_t fid : unknownFiles)
        add("unknown file " + Hex4(fid) + "h");
    for (std::uint8_t kind : unknownKinds)
        add("blocks of kind " + Hex2(kind) + "h");
    for (std::uint16_t length : signatureLengths)
        add("signature blocks of " + std::to_string(length) + " bytes");
    return text;
}

// The card's certificate file as one whole certificate, or its check when it is not.
const TCertificate* CardCertificate(TVerification& v, TCertificateStore& store, const T1BDriverCard& card, int slot,
                                    const std::string& subject, bool memberState)
{
    const TEFFile* file = card.Slot(slot);
    if (!file || !file->HasData) {
        v.certificates.push_back(MissingCertificate(subject));
        return nullptr;
    }
    const auto body = card.DataBody(*file);
    if (file->BodyLength != kRawCertificateSize || body.size() != kRawCertificateSize) {
        TCertificateCheck check = MissingCertificate(subject);
        check.state = TCertificateCheck::TState::Malformed;
        check.announced = file->BodyLength;
        check.present = body.size();
        v.certificates.push_back(check);
        return nullptr;
    }
    const std::span<const std::uint8_t, kRawCertificateSize> raw(body.data(), kRawCertificateSize);
    const TCertificate* certificate =
        memberState ? SetMemberStateCertificate(store, raw) : SetVuCertificate(store, raw); // the equipment slot serves the card too
    v.certificates.push_back(Check(subject, store, *certificate));
    return certificate;
}

// Where the walk met the file's first block of that kind, from the image start.
std::optional<std::size_t> HeaderOffset(const T1BDriverCard& card, std::uint16_t fid, std::uint8_t kind)
{
    for (const TCardBlock& block : card.Blocks())
        if (block.fid == fid && block.kind == kind)
            return block.headerOffset;
    return std::nullopt;
}

} // namespace

const char* VerdictName(TVerdict verdict)
{
    switch (verdict) {
    case TVerdict::Valid: return "valid";
    case TVerdict::Invalid: return "invalid";
    case TVerdict::NotCheckable: break;
    }
    return "not checkable";
}

TVerdict TCertificateCheck::Verdict() const
{
    switch (state) {
    case TState::Valid: return TVerdict::Valid;
    case TState::Invalid: return TVerdict::Invalid;
    default: return TVerdict::NotCheckable;
    }
}

int TVerification::Count(TVerdict verdict) const
{
    int n = 0;
    for (const auto& c : certificates)
        n += c.Verdict() == verdict ? 1 : 0;
    for (const auto& p : parts)
        n += p.verdict == verdict ? 1 : 0;
    if (verdict == TVerdict::NotCheckable)
        n += static_cast<int>(problems.size());
    return n;
}

TVerdict TVerification::Overall() const
{
    if (Count(TVerdict::Invalid) > 0)
        return TVerdict::Invalid;
    if (Count(TVerdict::NotCheckable) > 0 || parts.empty())
        return TVerdict::NotCheckable;
    return TVerdict::Valid;
}

TVerification VerifyCardImage(std::span<const std::uint8_t> image, TCertificateStore& store, std::size_t offsetInFile)
{
    TVerification v;
    v.cardImage = true;
    // Certificates and signatures found in a foreign layout would mean nothing.
    if (const std::string foreign = ForeignLayout(image); !foreign.empty()) {
        v.problems.push_back({"card image", TVerificationProblem::TKind::ForeignLayout, foreign});
        return v;
    }
    TMemoryStream stream = TMemoryStream::Borrow(image);
    T1BDriverCard card;
    try {
        card.LoadImage(stream);
    } catch (const ETachoError& e) {
        v.problems.push_back({"card image", TVerificationProblem::TKind::Unreadable,
                              e.Reason() + " at offset " + std::to_string(e.Offset() + offsetInFile)});
        return v;
    }

    CardCertificate(v, store, card, T1BDriverCard::kCACertificate, "member state certificate", true);
    const TCertificate* cardCertificate =
        CardCertificate(v, store, card, T1BDriverCard::kCardCertificate, "card certificate", false);

    for (int slot = 0; slot < T1BDriverCard::kSlotCount; ++slot) {
        const TEFFile* file = card.Slot(slot);
        if (!file || IsUnsignedFile(slot))
            continue;
        TSignedPartCheck part;
        part.kind = file->Name();
        part.name = Hex4(file->Fid()) + "h";
        part.index = 1;
        // The data block the signature covers; a file without one, its signature block.
        const auto header = file->HasData && file->BodyOffset >= static_cast<std::int32_t>(TCardBlockHeader::kSize)
                                ? static_cast<std::size_t>(file->BodyOffset) - TCardBlockHeader::kSize
                                : HeaderOffset(card, file->Fid(), 1).value_or(0);
        part.offset = header + offsetInFile;
        part.verdict = TVerdict::NotCheckable;
        const auto body = card.DataBody(*file);
        // A block cut short claims more than the file holds: only what is there is the part.
        part.length = std::min<std::size_t>(file->BodyLength, body.size());
        if (!file->HasData)
            part.reason = TSignedPartCheck::TReason::NoDataBlock;
        else if (!file->HasSignature)
            part.reason = TSignedPartCheck::TReason::SignatureMissing;
        else if (!cardCertificate || !cardCertificate->Valid())
            part.reason = TSignedPartCheck::TReason::NoValidCertificate;
        else if (body.size() != file->BodyLength)
            part.reason = TSignedPartCheck::TReason::CutShort;
        else
            part.verdict = VerifySignature(body, file->Signature, *cardCertificate) ? TVerdict::Valid : TVerdict::Invalid;
        v.parts.push_back(part);
    }
    if (v.parts.empty())
        v.problems.push_back({"card image", TVerificationProblem::TKind::NoSignedPart, ""});
    return v;
}

TVerification VerifyVuDownload(std::span<const std::uint8_t> download, TCertificateStore& store,
                               std::size_t offsetInFile)
{
    TVerification v;
    TMemoryStream stream = TMemoryStream::Borrow(download);
    TVuDownload vu;
    vu.LoadFromStream(stream);

    const TCertificate* vuCertificate = nullptr;
    if (const TF7601* overview = vu.Overview()) {
        const TCertificate* ms = SetMemberStateCertificate(store, overview->MemberStateCertificate().data);
        v.certificates.push_back(Check("member state certificate", store, *ms));
        vuCertificate = SetVuCertificate(store, overview->VUCertificate().data);
        v.certificates.push_back(Check("VU certificate", store, *vuCertificate));
    } else {
        v.certificates.push_back(MissingCertificate("member state certificate"));
        v.certificates.push_back(MissingCertificate("VU certificate"));
    }

    std::map<std::uint8_t, int> seen;
    for (const TVuBlockEntry& entry : vu.Blocks()) {
        TSignedPartCheck part;
        part.kind = "76 " + Hex2(entry.trep);
        part.name = VuBlockName(entry.trep);
        if (const auto* day = dynamic_cast<const TF7602*>(entry.block))
            part.day = day->dateOfDayDownloaded;
        part.index = ++seen[entry.trep];
        part.offset = entry.offset + offsetInFile;
        part.length = entry.signedSize;
        if (!vuCertificate || !vuCertificate->Valid()) {
            part.reason = TSignedPartCheck::TReason::NoValidCertificate;
        } else {
            const std::span<const std::uint8_t, kVuSignatureSize> signature(download.data() + entry.SignatureOffset(),
                                                                           kVuSignatureSize);
            const bool holds = VerifySignature(download.subspan(entry.signedOffset, entry.signedSize), signature,
                                               *vuCertificate);
            part.verdict = holds ? TVerdict::Valid : TVerdict::Invalid;
        }
        v.parts.push_back(part);
    }

    if (const auto& stop = vu.Stop()) {
        const std::string where = " at offset " + std::to_string(stop->offset + offsetInFile);
        if (stop->trep != 0 && (VuBlockName(stop->trep)[0] != '\0' || IsGeneration2Trep(stop->trep))) {
            // A block that is there but cannot be checked; whatever follows it cannot even be found.
            TSignedPartCheck part;
            part.kind = "76 " + Hex2(stop->trep);
            part.name = VuBlockName(stop->trep);
            part.index = ++seen[stop->trep];
            part.offset = stop->blockOffset + offsetInFile;
            part.reason = IsGeneration2Trep(stop->trep) ? TSignedPartCheck::TReason::Generation2
                                                        : TSignedPartCheck::TReason::Unreadable;
            part.detail = stop->reason + where;
            v.parts.push_back(part);
        } else {
            v.problems.push_back({"VU download", TVerificationProblem::TKind::Unreadable,
                                  stop->reason + where + "; " + std::to_string(vu.Size() - stop->blockOffset) +
                                      " bytes from there are not checked"});
        }
    }
    if (v.parts.empty())
        v.problems.push_back({"VU download", TVerificationProblem::TKind::NoSignedPart, ""});
    return v;
}

} // namespace views
