// Verification part by part, with keys made here: a VU download whose every
// block is signed, then each way a part fails; a card's signed files.
#include "CardImageBuilder.h"
#include "CertTestKit.h"
#include "Samples.h"
#include "VuBlockBuilder.h"
#include "uVerifyView.h"

#include <gtest/gtest.h>

using namespace pellkit::test;
using views::TSignedPartCheck;
using views::TVerdict;

namespace {

const std::string kMsRef = "FD4543200001FFFF";
std::vector<TTrustedKey> OurRoots() { return {certkit::Trusted(kEuropeanRootReference, certkit::Key("root"))}; }
certkit::Raw MsCert()
{
    return certkit::Issue(certkit::Key("root"), certkit::RefFromHex(kEuropeanRootReference), certkit::RefFromHex(kMsRef),
                          certkit::Key("ms", 0x40000081));
}
certkit::Raw EquipmentCert(const std::string& car = kMsRef)
{
    return certkit::Issue(certkit::Key("ms", 0x40000081), certkit::RefFromHex(car),
                          certkit::RefFromHex("0000000100000007"), certkit::Key("equipment"));
}
SignatureBlock Sign(const Bytes& data) { return certkit::Sign(certkit::Key("equipment"), data); }

Bytes Signed(std::uint8_t trep, const Bytes& data) { return MakeTransferResponse(trep, data, Sign(data)); }

struct Download {
    Bytes bytes;
    std::vector<std::size_t> offsets; // of each block
};

Download SignedDownload(const std::string& vuCar = kMsRef)
{
    const Bytes part = SignedPart(1, 1);
    std::vector<Bytes> blocks = {
        Concat({Bytes{0x76, 0x01}, MakeOverview(MsCert(), EquipmentCert(vuCar), part, Sign(part))}),
        Signed(0x02, ActivitiesData({.changes = {ActivityChange(0, false, false, kDriving, 0)}})),
        Signed(0x02, ActivitiesData({.day = kDay + 86400, .cards = {CardIWFields{}}})),
        Signed(0x03, EventsFaultsData(1, 1, 1, 1)),
        Signed(0x04, DetailedSpeedData(kDay, 3)),
        Signed(0x05, TechnicalData(1)),
    };
    Download d;
    for (const Bytes& b : blocks) {
        d.offsets.push_back(d.bytes.size());
        Append(d.bytes, b);
    }
    return d;
}

struct Line {
    std::string kind;
    int index;
    TVerdict verdict;
    TSignedPartCheck::TReason reason;
    friend bool operator==(const Line&, const Line&) = default;
};

std::ostream& operator<<(std::ostream& os, const Line& l)
{
    return os << l.kind << " #" << l.index << " " << views::VerdictName(l.verdict) << " " << int(l.reason);
}

std::vector<Line> Lines(const views::TVerification& v)
{
    std::vector<Line> out;
    for (const auto& p : v.parts)
        out.push_back({p.kind, p.index, p.verdict, p.reason});
    return out;
}

TEST(VerifyVu, EveryBlockValid)
{
    TCertificateStore store(OurRoots());
    const Download d = SignedDownload();
    const views::TVerification v = views::VerifyVuDownload(d.bytes, store, 5);
    ASSERT_EQ(v.certificates.size(), 2u);
    EXPECT_EQ(v.certificates[0].Verdict(), TVerdict::Valid);
    EXPECT_EQ(v.certificates[0].root, kEuropeanRootReference);
    EXPECT_EQ(v.certificates[1].signedBy, kMsRef);
    const auto ok = TSignedPartCheck::TReason::None;
    EXPECT_EQ(Lines(v), (std::vector<Line>{{"76 01", 1, TVerdict::Valid, ok},
                                           {"76 02", 1, TVerdict::Valid, ok},
                                           {"76 02", 2, TVerdict::Valid, ok},
                                           {"76 03", 1, TVerdict::Valid, ok},
                                           {"76 04", 1, TVerdict::Valid, ok},
                                           {"76 05", 1, TVerdict::Valid, ok}}));
    for (std::size_t i = 0; i < v.parts.size(); ++i)
        EXPECT_EQ(v.parts[i].offset, d.offsets[i] + 5);
    EXPECT_EQ(v.parts[2].day, kDay + 86400);
    EXPECT_EQ(v.parts[2].name, "activities");
    EXPECT_TRUE(v.problems.empty());
    EXPECT_EQ(v.Overall(), TVerdict::Valid);
}

// One byte changed anywhere in a block's signed data or signature fails that
// block and no other.
TEST(VerifyVu, ATamperedByteFailsItsBlockOnly)
{
    TCertificateStore store(OurRoots());
    const Download d = SignedDownload();
    for (std::size_t block = 1; block < d.offsets.size(); ++block) {
        const std::size_t end = block + 1 < d.offsets.size() ? d.offsets[block + 1] : d.bytes.size();
        for (std::size_t at : {d.offsets[block] + 2, d.offsets[block] + 9, end - 129, end - 1}) {
            SCOPED_TRACE(testing::Message() << "block " << block << ", byte " << at);
            Bytes tampered = d.bytes;
            tampered[at] ^= 0x01;
            const views::TVerification v = views::VerifyVuDownload(tampered, store);
            // A changed count may move the block's end: then it cannot even be read.
            ASSERT_GT(v.parts.size(), block);
            for (std::size_t i = 0; i < block; ++i)
                EXPECT_EQ(v.parts[i].verdict, TVerdict::Valid);
            EXPECT_NE(v.parts[block].verdict, TVerdict::Valid);
            EXPECT_EQ(v.parts[block].offset, d.offsets[block]);
            EXPECT_NE(v.Overall(), TVerdict::Valid);
        }
    }
    // A byte of a day's activities, which counts for nothing else, gives an invalid signature.
    Bytes tampered = d.bytes;
    tampered[d.offsets[1] + 2 + 4 + 3 + 2 + 2] ^= 0x40;
    const views::TVerification v = views::VerifyVuDownload(tampered, store);
    EXPECT_EQ(v.parts[1].verdict, TVerdict::Invalid);
    EXPECT_EQ(v.Count(TVerdict::Invalid), 1);
    EXPECT_EQ(v.Overall(), TVerdict::Invalid);
}

TEST(VerifyVu, PartsThatCannotBeChecked)
{
    using R = TSignedPartCheck::TReason;
    {
        SCOPED_TRACE("the VU certificate names an unknown authority");
        TCertificateStore store(OurRoots());
        const views::TVerification v = views::VerifyVuDownload(SignedDownload("0102030405060708").bytes, store);
        EXPECT_EQ(v.certificates[1].state, views::TCertificateCheck::TState::NotOpened);
        for (const auto& p : v.parts) {
            EXPECT_EQ(p.verdict, TVerdict::NotCheckable);
            EXPECT_EQ(p.reason, R::NoValidCertificate);
        }
        EXPECT_EQ(v.Overall(), TVerdict::NotCheckable);
    }
    {
        SCOPED_TRACE("the last block cut short");
        TCertificateStore store(OurRoots());
        Bytes cut = SignedDownload().bytes;
        cut.resize(cut.size() - 10);
        const views::TVerification v = views::VerifyVuDownload(cut, store);
        ASSERT_EQ(v.parts.size(), 6u);
        EXPECT_EQ(v.parts[5].kind, "76 05");
        EXPECT_EQ(v.parts[5].reason, R::Unreadable);
        EXPECT_NE(v.parts[5].detail.find("signature of the 76 05 block"), std::string::npos) << v.parts[5].detail;
        EXPECT_EQ(v.Overall(), TVerdict::NotCheckable);
    }
    {
        SCOPED_TRACE("a smart tachograph block, then bytes that are no block");
        TCertificateStore store(OurRoots());
        const views::TVerification gen2 =
            views::VerifyVuDownload(Concat({SignedDownload().bytes, MakeResponse(0x32, 50)}), store);
        EXPECT_EQ(gen2.parts.back().reason, R::Generation2);
        const views::TVerification junk = views::VerifyVuDownload(Concat({SignedDownload().bytes, Bytes{1, 2, 3}}), store);
        EXPECT_EQ(junk.parts.size(), 6u);
        ASSERT_EQ(junk.problems.size(), 1u);
        EXPECT_NE(junk.problems[0].detail.find("3 bytes from there are not checked"), std::string::npos);
        EXPECT_EQ(junk.Overall(), TVerdict::NotCheckable);
    }
    {
        SCOPED_TRACE("no overview");
        TCertificateStore store(OurRoots());
        const Download d = SignedDownload();
        const views::TVerification v =
            views::VerifyVuDownload(Bytes(d.bytes.begin() + static_cast<std::ptrdiff_t>(d.offsets[1]), d.bytes.end()), store);
        EXPECT_EQ(v.certificates[0].state, views::TCertificateCheck::TState::Missing);
        EXPECT_EQ(v.parts.size(), 5u);
        EXPECT_EQ(v.parts[0].reason, R::NoValidCertificate);
    }
}

TEST(VerifyCard, SignedFilesWithTheirOffsets)
{
    const Bytes ident = CardImageBuilder::IdentificationBody(0x0F, "E0000012345678", "A", "B");
    const Bytes download = BE32(0x5F000000);
    const auto sign = [](const Bytes& b) {
        const auto s = certkit::Sign(certkit::Key("equipment"), b);
        return Bytes(s.begin(), s.end());
    };
    const auto cert = [](const certkit::Raw& r) { return Bytes(r.begin(), r.end()); };
    const Bytes image = MakeCardImage()
                            .AddFile(0xC108, 0, cert(MsCert()))
                            .AddFile(0xC100, 0, cert(EquipmentCert()))
                            .AddFile(0x0520, 0, ident)
                            .AddFile(0x0520, 1, sign(ident))
                            .AddFile(0x050E, 0, download)
                            .AddFile(0x050E, 1, Bytes(128, 0x00))
                            .AddFile(0x0501, 1, Bytes(128, 0x00))
                            .Image();
    TCertificateStore store(OurRoots());
    const views::TVerification v = views::VerifyCardImage(image, store, 2);
    ASSERT_EQ(v.certificates.size(), 2u);
    EXPECT_EQ(v.certificates[1].subject, "card certificate");
    EXPECT_EQ(v.certificates[1].Verdict(), TVerdict::Valid);
    using R = TSignedPartCheck::TReason;
    EXPECT_EQ(Lines(v), (std::vector<Line>{{"EF_Application_Identification", 1, TVerdict::NotCheckable, R::NoDataBlock},
                                           {"EF_Identification", 1, TVerdict::Valid, R::None},
                                           {"EF_Card_Download", 1, TVerdict::Invalid, R::None}}));
    const std::size_t identificationHeader = 2 * (5 + 194);
    EXPECT_EQ(v.parts[1].offset, identificationHeader + 2);
    EXPECT_EQ(v.parts[1].name, "0520h");
    EXPECT_EQ(v.parts[1].length, ident.size());
    EXPECT_EQ(v.Overall(), TVerdict::Invalid);
}

// The real downloads: every certificate and every block valid.
TEST(VerifySamples, EveryPartOfTheRealDownloadsHolds)
{
    for (const char* name : {"vu-de-locks.ddd", "vu-de-activities.ddd", "card-es-2023.ddd", "card-es-2007.ddd"}) {
        SCOPED_TRACE(name);
        if (!HaveSample(name))
            GTEST_SKIP() << "sample " << name << " not found (set PELLKIT_SAMPLES)";
        const Bytes bytes = ReadFileBytes(SamplesDir() / name);
        TCertificateStore store;
        const bool vu = bytes.size() > 1 && bytes[0] == 0x76;
        const views::TVerification v = vu ? views::VerifyVuDownload(bytes, store) : views::VerifyCardImage(bytes, store);
        for (const auto& c : v.certificates)
            EXPECT_EQ(c.Verdict(), TVerdict::Valid) << c.subject;
        for (const auto& p : v.parts)
            EXPECT_EQ(p.verdict, TVerdict::Valid) << p.kind << " at " << p.offset;
        EXPECT_EQ(v.parts.size(), vu ? 34u : v.parts.size());
        EXPECT_EQ(v.Overall(), TVerdict::Valid);
    }
}

} // namespace
