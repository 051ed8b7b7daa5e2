#include "CertTestKit.h"
#include "RecordChecks.h"
#include "Samples.h"
#include "VuBlockBuilder.h"
#include "uTachy1BStruct.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace certkit;
using namespace pellkit::test;
using recordchecks::Captions;

namespace {

// Roots, member state and VU keys of our own.
const std::string kMsRef = "FD4543200001FFFF";
std::vector<TTrustedKey> OurRoots() { return {Trusted(kEuropeanRootReference, Key("root"))}; }
Raw MsCert() { return Issue(Key("root"), RefFromHex(kEuropeanRootReference), RefFromHex(kMsRef), Key("ms", 0x40000081)); }
Raw VuCert(const std::string& car = kMsRef) { return Issue(Key("ms", 0x40000081), RefFromHex(car), RefFromHex("0000000100000007"), Key("vu")); }

} // namespace

TEST(Tachy1BStruct, LoadConsumesExactlyTheLayout)
{
    const struct {
        int locks, controls;
        std::size_t size;
    } cases[] = {{0, 0, 621}, {1, 0, 719}, {0, 1, 652}, {2, 3, 621 + 2 * 98 + 3 * 31}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.locks << " locks, " << c.controls << " controls");
        Bytes bytes = MakeOverview(c.locks, c.controls);
        ASSERT_EQ(bytes.size(), c.size);
        bytes.push_back(0xEE); // the next block must stay unread
        TMemoryStream stream(bytes);
        TF7601 overview;
        overview.LoadFromStream(stream);
        EXPECT_EQ(stream.Position(), c.size);
        EXPECT_EQ(overview.VuCompanyLocksData().records.size(), static_cast<std::size_t>(c.locks));
        EXPECT_EQ(overview.VuControlActivityData().records.size(), static_cast<std::size_t>(c.controls));
        EXPECT_EQ(overview.SignedStart(), 388u);
    }
}

TEST(Tachy1BStruct, FieldsAndIdentification)
{
    TMemoryStream stream(MakeOverview(2, 1));
    TF7601 overview;
    overview.LoadFromStream(stream);

    EXPECT_EQ(overview.RegistrationNation(), 0x0D);
    EXPECT_EQ(overview.RegistrationText(), "AB 123 CD");
    EXPECT_EQ(overview.VinText(), "WDB9634031L123456");
    EXPECT_EQ(overview.CurrentDateTime(), 86400u);
    EXPECT_EQ(overview.VuDownloadablePeriode().maxDownloadableTime, 0x22222222u);
    EXPECT_EQ(overview.CardSlotStatus(), 0x21);
    EXPECT_EQ(overview.VuDownloadActivityData().fullCardNumber->cardType, 0x04);
    const TVuCompanyLocksRecord& lock = *overview.VuCompanyLocksData().records[1];
    EXPECT_EQ(lock.lockInTime, 0x40000001u);
    EXPECT_EQ(lock.lockOutTime, 0x50000001u);
    EXPECT_EQ(BytesToText(lock.companyCardNumber->cardNumber), "K0000000000001");
    const TVuControlActivityRecord& control = *overview.VuControlActivityData().records[0];
    EXPECT_EQ(control.controlType, 0x80);
    EXPECT_EQ(control.downloadPeriodeEndTime, 0x70000001u);
}

TEST(Tachy1BStruct, DisplayTree)
{
    TMemoryStream stream(MakeOverview(1, 2));
    TF7601 overview;
    overview.LoadFromStream(stream);

    const std::vector<std::string> top = Captions(overview);
    ASSERT_EQ(top.size(), 10u);
    EXPECT_EQ(top[0], "MemberStateCertificate >");
    EXPECT_EQ(top[1], "VUCertificate >");
    EXPECT_EQ(top[2], "VehicleIdentificationNumber : 57 44 42 39 36 33 34 30 33 31 4C 31 32 33 34 35 36 ");
    EXPECT_EQ(top[3], "VehicleRegistrationIdentification >");
    EXPECT_EQ(top[4], "CurrentDateTime : 00015180");
    EXPECT_EQ(top[5], "VuDownloadablePeriode >");
    EXPECT_EQ(top[6], "CardSlotStatus : 21");
    EXPECT_EQ(top[7], "VuDownloadActivityData >");
    EXPECT_EQ(top[8], "VuControlActivityData >");
    EXPECT_EQ(top[9].substr(0, 12), "Signature : ");
    EXPECT_EQ(top[9].size(), 12u + 3 * 128);

    EXPECT_EQ(Captions(overview.VehicleRegistrationIdentification()),
              (std::vector<std::string>{"vehicleRegistrationNation : 0D",
                                        "vehicleRegistrationNumber : 01 41 42 20 31 32 33 20 43 44 20 20 20 20 "}));
    EXPECT_EQ(Captions(overview.VuDownloadablePeriode()),
              (std::vector<std::string>{"minDownloadableTime : 11111111", "maxDownloadableTime : 22222222"}));
    const auto activity = Captions(overview.VuDownloadActivityData());
    EXPECT_EQ(activity[0], "downloadingTime : 33333333");
    EXPECT_EQ(activity[1], "fullCardNumber >");
    EXPECT_EQ(activity[2].substr(0, 26), "companyOrWorkshopName : 01");
    EXPECT_EQ(Captions(*overview.VuDownloadActivityData().fullCardNumber)[0], "cardType : 04");
    // Lists show their count only.
    EXPECT_EQ(Captions(overview.VuControlActivityData()),
              (std::vector<std::string>{"noOfControls : 02", "VuControlActivityRecord"}));
    EXPECT_EQ(Captions(overview.VuCompanyLocksData()),
              (std::vector<std::string>{"noOfLocks : 01", "VuCompanyLocksRecords"}));
    const auto control = Captions(*overview.VuControlActivityData().records[1]);
    EXPECT_EQ(control, (std::vector<std::string>{"controlType : 80", "controlTime : 60000001", "controlCardNumber >",
                                                 "downloadPeriodeBeginTime : 70000000",
                                                 "downloadPeriodeEndTime : 70000001"}));
    const auto lock = Captions(*overview.VuCompanyLocksData().records[0]);
    EXPECT_EQ(lock[0], "lockInTime : 40000000");
    EXPECT_EQ(lock[4], "companyCardNumber >");
    EXPECT_EQ(Captions(overview.VUCertificate())[0].size(), 7u + 3 * 194);

    std::wstring caption = L"kept";
    TvtInfoProvide* child = &overview;
    overview.GetItem(10, caption, child);
    overview.VuCompanyLocksData().records[0]->GetItem(-1, caption, child);
    EXPECT_EQ(caption, L"kept");
    EXPECT_EQ(child, &overview);
}

TEST(Tachy1BStruct, TruncatedBlocksReadAsZerosWithoutInventingRecords)
{
    // Counts of 255 with nothing, or one record's worth, behind them.
    Bytes locksCut = MakeOverview({}, {}, SignedPart(0, 0), {});
    locksCut.resize(388 + 104);
    locksCut[388 + 103] = 0xFF;
    Bytes oneLock = SignedPart(1, 0);
    oneLock[103] = 0xFF;
    Bytes controlsCut = SignedPart(0, 0);
    controlsCut.back() = 0xFF;
    controlsCut.resize(controlsCut.size() + 40, 0x01);

    const struct {
        const char* what;
        Bytes bytes;
        std::size_t locks, controls;
    } cases[] = {
        {"ends after the lock count", locksCut, 0, 0},
        {"one lock behind a count of 255", MakeOverview({}, {}, oneLock, {}), 3, 0},
        {"40 bytes behind a control count of 255", MakeOverview({}, {}, controlsCut, {}), 0, 6},
        {"ten bytes", Bytes(10, 0x6A), 0, 0},
        {"empty", Bytes{}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TMemoryStream stream(c.bytes);
        TF7601 overview;
        overview.LoadFromStream(stream);
        EXPECT_EQ(stream.Position(), c.bytes.size());
        EXPECT_EQ(overview.VuCompanyLocksData().records.size(), c.locks);
        EXPECT_EQ(overview.VuControlActivityData().records.size(), c.controls);
        EXPECT_FALSE(overview.SignatureValid());
    }
}

TEST(Tachy1BStruct, WithoutContextNothingIsOpened)
{
    const Bytes signedPart = SignedPart(0, 0);
    TMemoryStream stream(MakeOverview(MsCert(), VuCert(), signedPart, Sign(Key("vu"), signedPart)));
    TF7601 overview;
    overview.LoadFromStream(stream);
    EXPECT_FALSE(overview.SignatureValid());
    EXPECT_EQ(GlobalCertificateStore().MemberStateCertificate(), nullptr);
    EXPECT_EQ(GlobalCertificateStore().VuCertificate(), nullptr);
}

TEST(Tachy1BStruct, SignatureCheckThroughTheContext)
{
    const Bytes signedPart = SignedPart(1, 1);
    Bytes tampered = signedPart;
    tampered[40] ^= 0x01;
    const struct {
        const char* what;
        bool check;
        Raw vu;
        Bytes data;
        Block signature;
        bool valid;
    } cases[] = {
        {"valid", true, VuCert(), signedPart, Sign(Key("vu"), signedPart), true},
        {"check not asked", false, VuCert(), signedPart, Sign(Key("vu"), signedPart), false},
        {"padding byte wrong, digest right", true, VuCert(), signedPart, Sign(Key("vu"), signedPart, 20), false},
        {"signed byte changed", true, VuCert(), tampered, Sign(Key("vu"), signedPart), false},
        {"VU certificate does not open", true, VuCert("0102030405060708"), signedPart, Sign(Key("vu"), signedPart), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TCertificateStore store(OurRoots());
        VerificationContext context;
        context.CheckSignatures = c.check;
        context.Store = &store;
        const Bytes bytes = MakeOverview(MsCert(), c.vu, c.data, c.signature);
        TMemoryStream stream(bytes);
        TF7601 overview(&context);
        overview.LoadFromStream(stream);
        EXPECT_EQ(overview.SignatureValid(), c.valid);
        EXPECT_EQ(stream.Position(), bytes.size());
        ASSERT_NE(context.MemberStateCertificate, nullptr);
        EXPECT_TRUE(context.MemberStateCertificate->Valid());
        EXPECT_EQ(context.VuCertificate, store.VuCertificate());
        EXPECT_EQ(overview.RegistrationText(), "AB 123 CD");
    }
}

TEST(Tachy1BStruct, RealOverviewsOpenAndVerify)
{
    for (const char* name : {"vu-de-locks.ddd", "vu-de-activities.ddd"}) {
        SCOPED_TRACE(name);
        PELLKIT_REQUIRE_SAMPLE(bytes, name);
        ASSERT_GE(bytes.size(), 2u);
        ASSERT_EQ(bytes[0], 0x76);
        ASSERT_EQ(bytes[1], 0x01);
        TCertificateStore store;
        VerificationContext context;
        context.CheckSignatures = true;
        context.Store = &store;
        TMemoryStream stream(bytes);
        stream.SetPosition(2);
        TF7601 overview(&context);
        overview.LoadFromStream(stream);

        ASSERT_LE(stream.Position() + 2, bytes.size());
        EXPECT_EQ(bytes[stream.Position()], 0x76); // the next transfer response follows
        EXPECT_EQ(bytes[stream.Position() + 1], 0x02);
        EXPECT_TRUE(context.MemberStateCertificate->Valid());
        EXPECT_EQ(context.MemberStateCertificate->ExponentText(), "0000000040000081");
        EXPECT_TRUE(context.VuCertificate->Valid());
        EXPECT_TRUE(overview.SignatureValid());
        EXPECT_FALSE(overview.RegistrationText().empty());
        EXPECT_NE(overview.RegistrationNation(), 0);
        EXPECT_EQ(overview.VinText().size(), 17u);
        // Between 2005 and 2035.
        EXPECT_GT(overview.CurrentDateTime(), 1104537600u);
        EXPECT_LT(overview.CurrentDateTime(), 2051222400u);
    }
}
