#include "CertTestKit.h"
#include "Samples.h"
#include "uCertificates.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <unistd.h>

using namespace certkit;

namespace {

const std::string kTestRoot = kTestRootReference;
const std::string kEuRoot = kEuropeanRootReference;
const std::string kMsRef = "FD4543200001FFFF";
const std::string kVuRef = "0000000100000007";

// Roots under the real references, with our own keys.
std::vector<TTrustedKey> OurRoots() { return {Trusted(kTestRoot, Key("testroot")), Trusted(kEuRoot, Key("euroot"))}; }
TCertificateStore MakeStore() { return TCertificateStore(OurRoots()); }

// The member state key has an unusual exponent, as real ones do.
const TestKey& MsKey() { return Key("ms", 0x40000081); }
const TestKey& VuKey() { return Key("vu", 17); }

Raw MsCert(const std::string& car = kEuRoot, Flaw flaw = Flaw::None, const std::string& chr = kMsRef)
{
    const TestKey& issuer = car == kTestRoot ? Key("testroot") : Key("euroot");
    return Issue(issuer, RefFromHex(car), RefFromHex(chr), MsKey(), flaw);
}

Raw VuCert(const std::string& car = kMsRef) { return Issue(MsKey(), RefFromHex(car), RefFromHex(kVuRef), VuKey()); }

} // namespace

TEST(Certificates, MemberStateOpensWithTheRootItNamesAndCarriesTheKey)
{
    for (const std::string& root : {kTestRoot, kEuRoot}) {
        SCOPED_TRACE(root);
        TCertificateStore store = MakeStore();
        const TCertificate* ms = SetMemberStateCertificate(store, MsCert(root));
        EXPECT_TRUE(ms->Opened());
        EXPECT_TRUE(ms->Valid());
        EXPECT_EQ(ms->AuthorityReferenceText(), root);
        EXPECT_EQ(ms->HolderReferenceText(), kMsRef);
        EXPECT_EQ(ms->HolderReference(), RefFromHex(kMsRef));
        EXPECT_EQ(ms->ModulusText(), MsKey().ModulusText());
        EXPECT_EQ(ms->ModulusText().size(), 256u);
        EXPECT_EQ(ms->ExponentText(), "0000000040000081");
        EXPECT_EQ(ms->Profile(), 1);
        EXPECT_EQ(ms->AuthorisationText(), "FF544143484F02");
        EXPECT_EQ(ms->EndOfValidityText(), "6F000000");
        EXPECT_EQ(store.MemberStateCertificate(), ms);
    }
}

TEST(Certificates, VuCertificateChainsThroughTheMemberStateSlot)
{
    TCertificateStore store = MakeStore();
    SetMemberStateCertificate(store, MsCert());
    const TCertificate* vu = SetVuCertificate(store, VuCert());
    EXPECT_TRUE(vu->Valid());
    EXPECT_EQ(vu->ModulusText(), VuKey().ModulusText());
    EXPECT_EQ(vu->ExponentText(), "0000000000000011");
    // The VU slot is never an authority.
    EXPECT_EQ(FindCertificate(store, kVuRef), nullptr);
}

TEST(Certificates, OutcomesOfAnOpeningThatFails)
{
    struct Case {
        const char* what;
        Raw raw;
        bool opened;
    };
    const Case cases[] = {
        {"unknown authority", MsCert("0102030405060708"), false},
        {"signed by the other root", Issue(Key("testroot"), RefFromHex(kEuRoot), RefFromHex(kMsRef), MsKey()), true},
        {"trailer not BC", MsCert(kEuRoot, Flaw::Trailer), true},
        {"header not 6A", MsCert(kEuRoot, Flaw::Header), true},
        {"digest differs", MsCert(kEuRoot, Flaw::Digest), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TCertificateStore store = MakeStore();
        const TCertificate* ms = SetMemberStateCertificate(store, c.raw);
        EXPECT_EQ(ms->Opened(), c.opened);
        EXPECT_FALSE(ms->Valid());
        EXPECT_EQ(ms->AuthorityReference(), RefFromHex(HexText(std::span(c.raw).subspan(186, 8))));
        EXPECT_FALSE(ms->AuthorityReferenceText().empty());
        EXPECT_TRUE(ms->HolderReferenceText().empty());
        EXPECT_TRUE(ms->ModulusText().empty());
        EXPECT_TRUE(ms->ExponentText().empty());
        // Nothing can be opened with a member state certificate that failed.
        EXPECT_FALSE(SetVuCertificate(store, VuCert())->Opened());
        EXPECT_EQ(FindCertificate(store, ""), nullptr);
    }
}

TEST(Certificates, VuCertificateBeforeAnyMemberStateStaysClosed)
{
    TCertificateStore store = MakeStore();
    const TCertificate* vu = SetVuCertificate(store, VuCert());
    EXPECT_FALSE(vu->Opened());
    EXPECT_FALSE(vu->Valid());
}

TEST(Certificates, SecondMemberStateCertificateReplacesTheFirst)
{
    TCertificateStore store = MakeStore();
    SetMemberStateCertificate(store, MsCert());
    const TCertificate* second = SetMemberStateCertificate(store, MsCert(kEuRoot, Flaw::None, "FD4543200002FFFF"));
    EXPECT_EQ(store.MemberStateCertificate(), second);
    EXPECT_EQ(FindCertificate(store, kMsRef), nullptr);
    EXPECT_EQ(FindCertificate(store, "FD4543200002FFFF"), second);
    EXPECT_FALSE(SetVuCertificate(store, VuCert(kMsRef))->Opened());
}

TEST(Certificates, LookupIsExactAndCaseSensitive)
{
    TCertificateStore store = MakeStore();
    EXPECT_EQ(FindCertificate(store, kEuRoot), store.TrustedKeys()[1].get());
    EXPECT_EQ(FindCertificate(store, "fd45432000ffff01"), nullptr);
    EXPECT_EQ(FindCertificate(store, "FD45432000FFFF0"), nullptr);
    SetMemberStateCertificate(store, MsCert());
    EXPECT_EQ(FindCertificate(store, "fd4543200001ffff"), nullptr);
}

TEST(Certificates, FreeingASlotCertificateFromOutsideEmptiesTheSlot)
{
    auto store = std::make_unique<TCertificateStore>(OurRoots());
    TCertificate* ms = SetMemberStateCertificate(*store, MsCert());
    TCertificate* vu = SetVuCertificate(*store, VuCert());
    delete vu;
    EXPECT_EQ(store->VuCertificate(), nullptr);
    EXPECT_EQ(store->MemberStateCertificate(), ms);
    delete ms;
    EXPECT_EQ(store->MemberStateCertificate(), nullptr);
    EXPECT_EQ(FindCertificate(*store, kMsRef), nullptr);
    store.reset(); // must not free either a second time
}

TEST(Certificates, TrustedKeyFields)
{
    TCertificate key("00AB", "0000000000010001", kEuRoot, nullptr);
    EXPECT_TRUE(key.Opened());
    EXPECT_TRUE(key.Valid());
    EXPECT_EQ(key.AuthorityReference(), RefFromHex(kEuRoot));
    EXPECT_EQ(key.HolderReference(), RefFromHex(kEuRoot));
    EXPECT_EQ(key.AuthorityReferenceText(), kEuRoot);
    EXPECT_EQ(key.HolderReferenceText(), kEuRoot);
}

TEST(Certificates, GlobalStoreHoldsTheTwoRealRoots)
{
    TCertificateStore& store = GlobalCertificateStore();
    EXPECT_EQ(&store, &GlobalCertificateStore());
    ASSERT_EQ(store.TrustedKeys().size(), 2u);
    EXPECT_EQ(store.TrustedKeys()[0]->HolderReferenceText(), kTestRoot);
    EXPECT_EQ(store.TrustedKeys()[1]->HolderReferenceText(), kEuRoot);
    EXPECT_EQ(store.TrustedKeys()[1]->ExponentText(), "0000000000010001");
    EXPECT_EQ(store.TrustedKeys()[1]->ModulusText().substr(0, 16), "E980763A444A9525");
    EXPECT_EQ(store.TrustedKeys()[1]->ModulusText().size(), 256u);
}

TEST(Certificates, EmptyTestRootOpensNothing)
{
    // Our root's key, signing under the test root's reference: without the
    // key file the real store cannot know it.
    TCertificateStore store;
    const TCertificate* ms = SetMemberStateCertificate(store, MsCert(kTestRoot));
    EXPECT_TRUE(ms->Opened());
    EXPECT_FALSE(ms->Valid());

    // A forger's certificate whose signature part is the clear block itself:
    // an empty key must not hand it back unchanged.
    const Raw real = MsCert(kTestRoot);
    Raw forged = real;
    RsaPublicBlock(std::span<std::uint8_t, kRsaBlockSize>(forged.data(), kRsaBlockSize), Key("testroot").ModulusText(),
                   Key("testroot").ExponentText());
    ASSERT_EQ(forged[0], 0x6A);
    const TCertificate* f = SetMemberStateCertificate(store, forged);
    EXPECT_TRUE(f->Opened());
    EXPECT_FALSE(f->Valid());
}

TEST(Certificates, TestRootKeyComesFromTheKeyFile)
{
    const auto dir = std::filesystem::temp_directory_path() / ("pellkit-tkpk-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto write = [&](std::vector<std::uint8_t> bytes) {
        std::ofstream(dir / kTestRootKeyFile, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
    std::vector<std::uint8_t> file;
    const Ref ref = RefFromHex(kTestRoot);
    file.insert(file.end(), ref.begin(), ref.end());
    file.insert(file.end(), Key("testroot").n.begin(), Key("testroot").n.end());
    file.insert(file.end(), Key("testroot").e.begin(), Key("testroot").e.end());

    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        bool valid;
    };
    std::vector<std::uint8_t> shortFile(file.begin(), file.end() - 1);
    std::vector<std::uint8_t> longFile = file;
    longFile.push_back(0);
    std::vector<std::uint8_t> otherRef = file;
    otherRef[5] = 0xFF;
    const Case cases[] = {
        {"well formed", file, true},
        {"one byte short", shortFile, false},
        {"one byte long", longFile, false},
        {"another reference", otherRef, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write(c.bytes);
        TCertificateStore store;
        EXPECT_EQ(store.SetTrustedKeyDirectory(dir), c.valid);
        const TCertificate* ms = SetMemberStateCertificate(store, MsCert(kTestRoot));
        EXPECT_TRUE(ms->Opened());
        EXPECT_EQ(ms->Valid(), c.valid);
    }
    std::filesystem::remove_all(dir);

    TCertificateStore store;
    EXPECT_FALSE(store.SetTrustedKeyDirectory(dir));
    EXPECT_FALSE(SetMemberStateCertificate(store, MsCert(kTestRoot))->Valid());
}

TEST(RsaPublicBlock, UndoesThePrivateTransformWithTheCertifiedExponent)
{
    Block block{};
    for (std::size_t i = 1; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(i * 7);
    Block work = MsKey().Private(block);
    RsaPublicBlock(work, MsKey().ModulusText(), MsKey().ExponentText());
    EXPECT_EQ(work, block);
}

TEST(RsaPublicBlock, KeyThatCannotOpenYieldsZeros)
{
    struct Case {
        const char* what;
        std::string modulus;
        std::string exponent;
    };
    const Case cases[] = {
        {"empty key", "", ""},
        {"zero modulus", std::string(256, '0'), "0000000000010001"},
        {"not hex", std::string(255, 'A') + "G", "0000000000010001"},
        {"odd digit count", std::string(255, 'A'), "0000000000010001"},
        {"modulus longer than a block", "01" + std::string(256, 'F'), "0000000000000003"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Block block;
        block.fill(0x6A);
        RsaPublicBlock(block, c.modulus, c.exponent);
        EXPECT_EQ(block, Block{});
    }
}

TEST(VerifySignature, AcceptsOnlyTheWholePkcs1Block)
{
    TCertificateStore store = MakeStore();
    SetMemberStateCertificate(store, MsCert());
    const TCertificate& vu = *SetVuCertificate(store, VuCert());
    const std::vector<std::uint8_t> data = {0x01, 0x02, 0x03, 0x04, 0x05};

    EXPECT_TRUE(VerifySignature(data, Sign(VuKey(), data), vu));
    const std::vector<std::uint8_t> changed = {0x01, 0x02, 0x03, 0x04, 0x06};
    EXPECT_FALSE(VerifySignature(changed, Sign(VuKey(), data), vu));
    EXPECT_FALSE(VerifySignature(data, Sign(MsKey(), data), vu));
    // Right digest, one wrong byte elsewhere in the block.
    for (int at : {1, 2, 60, 91, 92, 93, 100, 107}) {
        SCOPED_TRACE(at);
        EXPECT_FALSE(VerifySignature(data, Sign(VuKey(), data, at), vu));
    }

    const TCertificate& closed = *SetVuCertificate(store, VuCert("0102030405060708"));
    EXPECT_FALSE(VerifySignature(data, Sign(VuKey(), data), closed));
}

TEST(Certificates, RealCardChainOpensWithTheEuropeanRoot)
{
    PELLKIT_REQUIRE_SAMPLE(bytes, "card-es-2023.ddd");
    // Each certificate EF is framed by FID (2), kind 00 (1) and length 00C2 (2).
    const auto find = [&](std::uint8_t fidLow) -> const std::uint8_t* {
        for (std::size_t i = 0; i + 5 + kRawCertificateSize <= bytes.size(); ++i) {
            if (bytes[i] == 0xC1 && bytes[i + 1] == fidLow && bytes[i + 2] == 0 && bytes[i + 3] == 0 && bytes[i + 4] == 0xC2)
                return bytes.data() + i + 5;
        }
        return nullptr;
    };
    const std::uint8_t* ca = find(0x08);
    const std::uint8_t* card = find(0x00);
    ASSERT_NE(ca, nullptr);
    ASSERT_NE(card, nullptr);

    TCertificateStore store;
    const TCertificate* ms = SetMemberStateCertificate(store, std::span<const std::uint8_t, kRawCertificateSize>(ca, kRawCertificateSize));
    ASSERT_TRUE(ms->Valid());
    EXPECT_EQ(ms->AuthorityReferenceText(), kEuRoot);
    const TCertificate* cardCert = SetVuCertificate(store, std::span<const std::uint8_t, kRawCertificateSize>(card, kRawCertificateSize));
    EXPECT_TRUE(cardCert->Valid());
    EXPECT_EQ(cardCert->AuthorityReferenceText(), ms->HolderReferenceText());
}
