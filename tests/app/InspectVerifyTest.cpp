// pellkit-cli inspect and verify, run as a user runs them, on images built
// here and on the real samples. Output of the real samples is never printed:
// it holds personal fields.

#include "CardImageBuilder.h"
#include "CertTestKit.h"
#include "CliHome.h"
#include "CliStatus.h"
#include "Samples.h"
#include "VuBlockBuilder.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cli = pellkit::test::cli;
using pellkit::test::Bytes;
using pellkit::test::MakeCardImage;

namespace {

using CliRun = pellkit::test::TCliRun;

CliRun Cli(const QStringList& args)
{
    // Settings and spool of its own: every command reports spool leftovers.
    static const pellkit::test::TCliHome home;
    return home.Run(args);
}

class InspectVerify : public testing::Test {
protected:
    QString Write(const QString& name, const Bytes& bytes)
    {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path;
    }

    // A directory whose TK_PK.bin holds our root under the test root's reference.
    QString KeyDir()
    {
        Bytes file;
        const certkit::Ref ref = certkit::RefFromHex(kTestRootReference);
        file.insert(file.end(), ref.begin(), ref.end());
        file.insert(file.end(), Root().n.begin(), Root().n.end());
        file.insert(file.end(), Root().e.begin(), Root().e.end());
        QDir(dir_.path()).mkpath(QStringLiteral("keys"));
        Write(QStringLiteral("keys/TK_PK.bin"), file);
        return dir_.filePath(QStringLiteral("keys"));
    }
    QString EmptyDir()
    {
        QDir(dir_.path()).mkpath(QStringLiteral("nokeys"));
        return dir_.filePath(QStringLiteral("nokeys"));
    }

    static const certkit::TestKey& Root() { return certkit::Key("root"); }
    static const certkit::TestKey& Ms() { return certkit::Key("ms", 0x40000081); }
    static const certkit::TestKey& Equipment() { return certkit::Key("equipment"); }
    static inline const std::string kMsRef = "0F4520200A000301";

    static certkit::Raw MsCert()
    {
        return certkit::Issue(Root(), certkit::RefFromHex(kTestRootReference), certkit::RefFromHex(kMsRef), Ms());
    }
    static certkit::Raw EquipmentCert(const std::string& car = kMsRef)
    {
        return certkit::Issue(Ms(), certkit::RefFromHex(car), certkit::RefFromHex("0000000100000007"), Equipment());
    }
    static Bytes ToBytes(const auto& array) { return Bytes(array.begin(), array.end()); }

    QTemporaryDir dir_;
};

// A card whose files are signed with the card key, except as told.
struct CardOptions {
    bool signDownload = true;
    int spoilIdentificationPad = -1;
    bool foreignFile = false;
    std::size_t cutAt = 0; // image cut to this many bytes
};

} // namespace

class InspectVerifyCard : public InspectVerify {
protected:
    Bytes Card(const CardOptions& o = {})
    {
        const Bytes app = pellkit::test::CardImageBuilder::ApplicationIdentificationBody({});
        const Bytes ident = pellkit::test::CardImageBuilder::IdentificationBody(0x0F, "E0000012345678", "MU\xD1OZ", "ANA");
        const Bytes download = pellkit::test::BE32(0x5F000000);
        auto image = MakeCardImage();
        image.AddFile(0x0002, 0, Bytes(25, 0x11))
            .AddFile(0x0501, 0, app)
            .AddFile(0x0501, 1, ToBytes(certkit::Sign(Equipment(), app)))
            .AddFile(0xC100, 0, ToBytes(EquipmentCert()))
            .AddFile(0xC108, 0, ToBytes(MsCert()))
            .AddFile(0x0520, 0, ident)
            .AddFile(0x0520, 1, ToBytes(certkit::Sign(Equipment(), ident, o.spoilIdentificationPad)))
            .AddFile(0x050E, 0, download);
        if (o.signDownload)
            image.AddFile(0x050E, 1, ToBytes(certkit::Sign(Equipment(), download)));
        if (o.foreignFile)
            image.AddFile(0xC209, 0, Bytes(20, 0x00));
        Bytes bytes = image.Image();
        if (o.cutAt)
            bytes.resize(o.cutAt);
        return bytes;
    }
};

TEST_F(InspectVerifyCard, VerifyCardChainAndEverySignature)
{
    const CliRun run = Cli({"verify", Write("card.bin", Card()), "--keys", KeyDir()});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_EQ(run.Lines(), (QStringList{
                               "member state certificate: valid, chains to root FD45432000544B01",
                               "card certificate: valid, signed by 0F4520200A000301, chains to root FD45432000544B01",
                               "signature of EF_Application_Identification (0501h) at offset 30: valid",
                               "signature of EF_Identification (0520h) at offset 576: valid",
                               "signature of EF_Card_Download (050Eh) at offset 857: valid",
                               "verdict: every certificate and signature is valid",
                           }));
}

TEST_F(InspectVerifyCard, VerifyCardFailures)
{
    const struct {
        const char* what;
        CardOptions options;
        bool withKeys;
        QString line;
        QString verdict = "verdict: invalid (";
    } cases[] = {
        {"padding byte wrong", {.spoilIdentificationPad = 5}, true,
         "signature of EF_Identification (0520h) at offset 576: invalid"},
        {"signature missing", {.signDownload = false}, true,
         "signature of EF_Card_Download (050Eh) at offset 857: not checkable (no signature block)",
         "verdict: not verified ("},
        {"no key file", {}, false, "member state certificate: invalid (does not open with the key of FD45432000544B01)"},
        {"no key file", {}, false, "card certificate: not opened (authority 0F4520200A000301 is not known)"},
        {"no key file", {}, false,
         "signature of EF_Identification (0520h) at offset 576: not checkable (no valid card certificate)"},
        {"foreign file", {.foreignFile = true}, true,
         "card image: not in the EU card layout (unknown file C209h): cannot be verified", "verdict: not verified ("},
        {"cut inside the member state certificate", {.cutAt = 450}, true,
         "member state certificate: malformed (194 bytes announced, 0 present; a certificate is 194)",
         "verdict: not verified ("},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CliRun run = Cli({"verify", Write("card.bin", Card(c.options)), "--keys", c.withKeys ? KeyDir() : EmptyDir()});
        EXPECT_EQ(run.exitCode, cli::kData);
        EXPECT_TRUE(run.Lines().contains(c.line)) << run.out.toStdString();
        EXPECT_TRUE(run.Lines().last().startsWith(c.verdict)) << run.out.toStdString();
    }
}

TEST_F(InspectVerifyCard, InspectCardIdentityAndTree)
{
    const Bytes card = Card();
    Bytes viaVu = {0x76, 0x06};
    viaVu.insert(viaVu.end(), card.begin(), card.end());
    for (const Bytes& bytes : {card, viaVu}) {
        const CliRun run = Cli({"inspect", "--identity", Write("no-extension", bytes)});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.Lines(), (QStringList{"nation: 0F (E)", "card number: E0000012345678",
                                            QString::fromUtf8("surname: MU\u00D1OZ"), "first names: ANA",
                                            "last download: 2020-07-04 04:05:20"}));
    }

    const CliRun noDownload = Cli({"inspect", "--identity",
                                Write("c", MakeCardImage().AddIdentification(0x0D, "D1", "A", "B").Image())});
    EXPECT_EQ(noDownload.Lines().value(1), "card number: D1");
    EXPECT_EQ(noDownload.Lines().value(4), "last download: none");

    const CliRun tree = Cli({"inspect", Write("c", card)});
    EXPECT_EQ(tree.exitCode, 0);
    const QStringList lines = tree.Lines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), "EF_ICC");
    const auto at = lines.indexOf("EF_Card_Download");
    ASSERT_GE(at, 0);
    EXPECT_TRUE(lines.value(at + 1).startsWith("  ") && !lines.value(at + 1).startsWith("   "));
    EXPECT_TRUE(lines.contains("    data : 5F000000")) << tree.out.toStdString();
}

TEST_F(InspectVerify, InspectOverview)
{
    using pellkit::test::MakeOverview;
    using pellkit::test::SignedPart;
    const struct {
        std::uint32_t time;
        const char* text;
    } times[] = {{0, "1970-01-01 00:00:00"}, {86400, "1970-01-02 00:00:00"}, {0x644BA861, "2023-04-28 11:05:05"}};
    for (const auto& t : times) {
        Bytes bytes = {0x76, 0x01};
        const Bytes block = MakeOverview({}, {}, SignedPart(0, 1, t.time), {});
        bytes.insert(bytes.end(), block.begin(), block.end());
        const CliRun run = Cli({"inspect", "--identity", Write("vu.txt", bytes)});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.Lines(), (QStringList{"nation: 0D (D)", "registration: AB 123 CD", "VIN: WDB9634031L123456",
                                            QString("current date-time: ") + t.text}));
    }

    Bytes bytes = {0x76, 0x01};
    const Bytes block = MakeOverview(1, 1);
    bytes.insert(bytes.end(), block.begin(), block.end());
    const CliRun tree = Cli({"inspect", Write("vu.txt", bytes)});
    EXPECT_EQ(tree.exitCode, 0);
    const QStringList lines = tree.Lines();
    ASSERT_EQ(lines.size(), 24);
    EXPECT_EQ(lines.mid(5, 3), (QStringList{"VehicleRegistrationIdentification", "  vehicleRegistrationNation : 0D",
                                            "  vehicleRegistrationNumber : 01 41 42 20 31 32 33 20 43 44 20 20 20 20 "}));
    EXPECT_EQ(lines.mid(13, 6), (QStringList{"VuDownloadActivityData", "  downloadingTime : 33333333",
                                             "  fullCardNumber", "    cardType : 04", "    cardIssuingMemberState : 0D",
                                             "    cardNumber : 43 30 30 30 30 30 30 30 30 30 30 30 30 31 20 20 "}));
    EXPECT_EQ(lines.mid(20, 3), (QStringList{"VuControlActivityData", "  noOfControls : 01", "  VuControlActivityRecord"}));
}

TEST_F(InspectVerify, VerifyOverview)
{
    using pellkit::test::MakeOverview;
    const Bytes part = pellkit::test::SignedPart(1, 2);
    const struct {
        const char* what;
        certkit::Raw vu;
        certkit::Block signature;
        QStringList lines;
    } cases[] = {
        {"valid", EquipmentCert(), certkit::Sign(Equipment(), part),
         {"member state certificate: valid, chains to root FD45432000544B01",
          "VU certificate: valid, signed by 0F4520200A000301, chains to root FD45432000544B01",
          "block 76 01 (overview) at offset 0: valid", "verdict: every certificate and signature is valid"}},
        {"padding byte wrong", EquipmentCert(), certkit::Sign(Equipment(), part, 3),
         {"member state certificate: valid, chains to root FD45432000544B01",
          "VU certificate: valid, signed by 0F4520200A000301, chains to root FD45432000544B01",
          "block 76 01 (overview) at offset 0: invalid", "verdict: invalid (1 invalid)"}},
        {"VU certificate names an unknown authority", EquipmentCert("0102030405060708"), certkit::Sign(Equipment(), part),
         {"member state certificate: valid, chains to root FD45432000544B01",
          "VU certificate: not opened (authority 0102030405060708 is not known)",
          "block 76 01 (overview) at offset 0: not checkable (no valid VU certificate)",
          "verdict: not verified (2 not checkable)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = {0x76, 0x01};
        const Bytes block = MakeOverview(MsCert(), c.vu, part, c.signature);
        bytes.insert(bytes.end(), block.begin(), block.end());
        const CliRun run = Cli({"verify", Write("vu.ddd", bytes), "--keys", KeyDir()});
        EXPECT_EQ(run.exitCode, c.lines.last().startsWith("verdict: every") ? cli::kOk : cli::kData);
        EXPECT_EQ(run.Lines(), c.lines);
    }

    // Zeros read past the end are not a signature to blame on the keys.
    Bytes cut = {0x76, 0x01};
    const Bytes block = MakeOverview(MsCert(), EquipmentCert(), part, certkit::Sign(Equipment(), part));
    cut.insert(cut.end(), block.begin(), block.begin() + 498);
    const CliRun run = Cli({"verify", Write("vu.ddd", cut), "--keys", KeyDir()});
    EXPECT_EQ(run.exitCode, cli::kData);
    EXPECT_TRUE(run.Lines().contains("block 76 01 (overview) at offset 0: not checkable (cannot be read: "
                                     "VuCompanyLocksData of 1 locks: the block needs 591 bytes, 498 left at offset 500)"))
        << run.out.toStdString();
}

// A VU download signed block by block: the overview, two days, events and
// faults, speed, technical data.
struct SignedVu {
    Bytes overview, day1, day2, download;
};

SignedVu SignedVuDownload(const certkit::TestKey& key, const certkit::Raw& ms, const certkit::Raw& vu)
{
    using namespace pellkit::test;
    const auto sign = [&](const Bytes& data) { return certkit::Sign(key, data); };
    const auto response = [&](std::uint8_t trep, const Bytes& data) { return MakeTransferResponse(trep, data, sign(data)); };
    const Bytes part = SignedPart(0, 0);
    SignedVu d;
    d.overview = Concat({Bytes{0x76, 0x01}, MakeOverview(ms, vu, part, sign(part))});
    d.day1 = response(0x02, ActivitiesData({.changes = {ActivityChange(0, false, false, kDriving, 60)}}));
    d.day2 = response(0x02, ActivitiesData({.day = kDay + 86400, .cards = {CardIWFields{.surname = "M\xDCLLER"}}}));
    d.download = MakeVuDownload({d.overview, d.day1, d.day2, response(0x03, EventsFaultsData(1, 1, 0, 1)),
                                 response(0x04, DetailedSpeedData(kDay, 2)), response(0x05, TechnicalData(1))});
    return d;
}

// One byte changed in a day's block makes it invalid and names that block.
TEST_F(InspectVerify, VerifyVuDownloadBlockByBlock)
{
    const SignedVu vu = SignedVuDownload(Equipment(), MsCert(), EquipmentCert());
    const Bytes& overview = vu.overview;
    const Bytes& download = vu.download;
    const std::size_t day2At = overview.size() + vu.day1.size();
    const Bytes& day2 = vu.day2;
    const std::size_t eventsAt = day2At + day2.size();

    const CliRun run = Cli({"verify", Write("vu.ddd", download), "--keys", KeyDir()});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_EQ(run.Lines().mid(2), (QStringList{
                                       "block 76 01 (overview) at offset 0: valid",
                                       QString("block 76 02 (activities of 2020-07-04) at offset %1: valid").arg(overview.size()),
                                       QString("block 76 02 (activities of 2020-07-05) at offset %1: valid").arg(day2At),
                                       QString("block 76 03 (events and faults) at offset %1: valid").arg(eventsAt),
                                       QString("block 76 04 (detailed speed) at offset %1: valid").arg(eventsAt + 2 + 1 + 82 + 1 + 83 + 9 + 1 + 1 + 98 + 128),
                                       run.Lines().value(7),
                                       "verdict: every certificate and signature is valid",
                                   }));
    EXPECT_TRUE(run.Lines().value(7).startsWith("block 76 05 (technical data) at offset "));

    Bytes tampered = download;
    tampered[day2At + 2 + 7 + 2 + 40] ^= 0x20; // a letter of the card holder's name
    const CliRun bad = Cli({"verify", Write("vu.ddd", tampered), "--keys", KeyDir()});
    EXPECT_EQ(bad.exitCode, cli::kData);
    EXPECT_TRUE(bad.Lines().contains(QString("block 76 02 (activities of 2020-07-05) at offset %1: invalid").arg(day2At)))
        << bad.out.toStdString();
    EXPECT_EQ(bad.Lines().filter(QRegularExpression(": invalid$")).size(), 1);
    EXPECT_EQ(bad.Lines().last(), "verdict: invalid (1 invalid)");
}

QJsonObject Json(const CliRun& run)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return document.object();
}

// Several files in one document: what each holds, decoded and verified, and
// what is not generation-1 data named as such.
TEST_F(InspectVerifyCard, InspectJson)
{
    const SignedVu vu = SignedVuDownload(Equipment(), MsCert(), EquipmentCert());
    const QString card = Write("card.ddd", Card());
    const QString download = Write("vu.ddd", vu.download);
    const QString gen2 = Write("gen2.ddd", pellkit::test::MakeResponse(0x31, 40));
    const QString text = Write("text.txt", Bytes{'h', 'i'});

    const CliRun run = Cli({"inspect", "--json", card, download, gen2, text, "--keys", KeyDir()});
    EXPECT_EQ(run.exitCode, cli::kData);
    const QJsonObject document = Json(run);
    EXPECT_EQ(document["format"].toString(), "pellkit-inspect");
    EXPECT_EQ(document["version"].toInt(), 1);
    const QJsonArray files = document["files"].toArray();
    ASSERT_EQ(files.size(), 4);

    const QJsonObject c = files[0].toObject();
    EXPECT_EQ(c["path"].toString(), card);
    EXPECT_EQ(c["kind"].toString(), "driver-card");
    const QJsonObject identification = c["card"]["identification"].toObject();
    EXPECT_EQ(identification["cardNumber"].toString(), "E0000012345678");
    EXPECT_EQ(identification["issuingNation"]["alpha"].toString(), "E");
    EXPECT_EQ(identification["holder"]["surname"].toString(), QString::fromUtf8("MU\u00D1OZ"));
    EXPECT_EQ(c["card"]["lastCardDownload"].toString(), "2020-07-04T04:05:20Z");
    EXPECT_TRUE(c["card"]["drivingLicence"].isNull());
    EXPECT_EQ(c["verification"]["verdict"].toString(), "valid");
    EXPECT_EQ(c["verification"]["signedParts"].toArray().size(), 3);

    const QJsonObject v = files[1].toObject();
    EXPECT_EQ(v["kind"].toString(), "vu-download");
    EXPECT_EQ(v["vu"]["vehicle"]["vin"].toString(), "WDB9634031L123456");
    EXPECT_EQ(v["vu"]["vehicle"]["registration"]["number"].toString(), "AB 123 CD");
    EXPECT_TRUE(v["vu"]["readStop"].isNull());
    const QJsonObject day = v["vu"]["activities"][0].toObject();
    EXPECT_EQ(day["date"].toString(), "2020-07-04");
    const QJsonObject driver = day["slots"][0].toObject();
    EXPECT_EQ(driver["slot"].toString(), "driver");
    EXPECT_EQ(driver["totals"]["drivingMinutes"].toInt(), 1380);
    EXPECT_EQ(driver["spans"][0]["start"].toString(), "2020-07-04T01:00:00Z");
    EXPECT_EQ(driver["spans"][0]["end"].toString(), "2020-07-05T00:00:00Z");
    EXPECT_EQ(driver["spans"][0]["activity"].toString(), "driving");
    EXPECT_EQ(v["vu"]["cardInsertions"][0]["surname"].toString(), QString::fromUtf8("M\u00DCLLER"));
    EXPECT_EQ(v["vu"]["detailedSpeed"][1]["speedsKmh"].toArray().size(), 60);
    EXPECT_EQ(v["vu"]["technicalData"]["calibrations"].toArray().size(), 1);
    EXPECT_EQ(v["vu"]["blocks"].toArray().size(), 6);
    EXPECT_EQ(v["verification"]["verdict"].toString(), "valid");
    EXPECT_EQ(v["verification"]["signedParts"][2]["day"].toString(), "2020-07-05");

    EXPECT_EQ(files[2]["kind"].toString(), "vu-generation-2");
    EXPECT_TRUE(files[2]["error"].toString().contains("smart tachograph (generation 2)"));
    EXPECT_EQ(files[3]["kind"].toString(), "unknown");

    EXPECT_EQ(Cli({"inspect", "--json", card, download, "--keys", KeyDir()}).exitCode, 0);
    EXPECT_EQ(Cli({"inspect", "--json", "--identity", card}).exitCode, 2);
    const CliRun several = Cli({"inspect", "--identity", card, download});
    EXPECT_EQ(several.exitCode, cli::kOk) << several.err.toStdString();
    EXPECT_TRUE(several.Lines().contains(card + ":") && several.Lines().contains(download + ":")) << several.out.toStdString();
}

TEST_F(InspectVerifyCard, Activities)
{
    using namespace pellkit::test;
    const Bytes ring = Concat({DailyRecord(0, 16, kDay, {ActivityChange(0, false, false, kWork, 0),
                                                          ActivityChange(0, false, false, kDriving, 90)}),
                               Bytes(20, 0)});
    const QString card = Write("card.ddd", MakeCardImage()
                                               .AddApplicationIdentification({.activityStructureLength = 36})
                                               .AddDriverActivity(0, 0, ring)
                                               .Image());
    const QString vu = Write("vu,1.ddd", SignedVuDownload(Equipment(), MsCert(), EquipmentCert()).download);

    const CliRun text = Cli({"activities", card});
    EXPECT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_EQ(text.Lines(), (QStringList{
                                "2020-07-04T00:00:00Z  2020-07-04T01:30:00Z    90  work          driver     single  card",
                                "2020-07-04T01:30:00Z  2020-07-05T00:00:00Z  1350  driving       driver     single  card",
                            }));

    const CliRun csv = Cli({"activities", "--csv", card, vu});
    EXPECT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    const QStringList lines = csv.Lines();
    ASSERT_EQ(lines.size(), 1 + 2 + 1);
    EXPECT_EQ(lines[0], "file,source,date,slot,start,end,minutes,activity,crew,card_inserted,manual_entry");
    EXPECT_EQ(lines[1], card + ",card,2020-07-04,driver,2020-07-04T00:00:00Z,2020-07-04T01:30:00Z,90,work,single,yes,no");
    EXPECT_EQ(lines[3], "\"" + vu + "\",vu,2020-07-04,driver,2020-07-04T01:00:00Z,2020-07-05T00:00:00Z,1380,driving,single,yes,no");

    const CliRun several = Cli({"activities", card, Write("gen2.ddd", pellkit::test::MakeResponse(0x21, 10))});
    EXPECT_EQ(several.exitCode, cli::kData);
    EXPECT_TRUE(several.Lines().contains(card + ":"));
    EXPECT_TRUE(several.err.contains("smart tachograph (generation 2) VU download")) << several.err.toStdString();
    EXPECT_EQ(Cli({"activities"}).exitCode, 2);
}

TEST_F(InspectVerify, FilesThatAreNoImage)
{
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o', '\n'}},
        {"76 06 without a card behind it", Bytes{0x76, 0x06, 0xC2, 0x09, 0x00, 0x00, 0x00}},
        {"unknown file first", Bytes{0xC2, 0x09, 0x00, 0x00, 0x01, 0x00}},
        {"known file of kind 81h", Bytes{0x05, 0x01, 0x81, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = Write("x.ddd", c.bytes);
        for (const char* command : {"inspect", "verify"}) {
            const CliRun run = Cli({command, path});
            EXPECT_EQ(run.exitCode, cli::kData);
            EXPECT_TRUE(run.out.isEmpty());
            EXPECT_TRUE(run.err.contains("is neither a driver card image nor a VU download")) << run.err.toStdString();
        }
    }
    const CliRun missing = Cli({"inspect", dir_.filePath("absent.ddd")});
    EXPECT_EQ(missing.exitCode, cli::kData);
    EXPECT_TRUE(missing.err.contains("cannot open")) << missing.err.toStdString();
    EXPECT_EQ(Cli({"verify"}).exitCode, 2);
    EXPECT_EQ(Cli({"inspect", "-", "-"}).exitCode, cli::kUsage);
}

// Real downloads: outcomes only; nothing of their content reaches the log.
TEST(InspectVerifySamples, VerifyRealDownloads)
{
    const struct {
        const char* name;
        int exitCode;
        const char* line;
    } cases[] = {
        {"card-es-2023.ddd", 0, "verdict: every certificate and signature is valid"},
        {"card-es-2007.ddd", 0, "verdict: every certificate and signature is valid"},
        {"vu-de-locks.ddd", 0, "verdict: every certificate and signature is valid"},
        {"vu-de-activities.ddd", 0, "verdict: every certificate and signature is valid"},
        {"card-ru-national.ddd", cli::kData, "card image: not in the EU card layout (unknown file C209h, blocks of kind 81h): cannot be verified"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!pellkit::test::HaveSample(c.name))
            GTEST_SKIP() << "sample " << c.name << " not found (set PELLKIT_SAMPLES)";
        const QString path = QString::fromStdString((pellkit::test::SamplesDir() / c.name).string());
        const CliRun run = Cli({"verify", path});
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.Lines().contains(c.line));
        if (QString(c.name).startsWith("vu")) {
            EXPECT_EQ(run.Lines().filter(QRegularExpression("^block 76 0[1-5] .*: valid$")).size(), 34);
        }
        const CliRun tree = Cli({"inspect", path});
        EXPECT_EQ(tree.exitCode, 0);
        EXPECT_GT(tree.Lines().size(), 20);
    }
}

// Real downloads through inspect --json and activities: outcomes and shapes only.
TEST(InspectVerifySamples, JsonAndActivitiesOfRealDownloads)
{
    for (const char* name : {"card-es-2023.ddd", "card-es-2007.ddd", "vu-de-locks.ddd", "vu-de-activities.ddd"}) {
        SCOPED_TRACE(name);
        if (!pellkit::test::HaveSample(name))
            GTEST_SKIP() << "sample " << name << " not found (set PELLKIT_SAMPLES)";
        const QString path = QString::fromStdString((pellkit::test::SamplesDir() / name).string());
        const CliRun run = Cli({"inspect", "--json", path});
        EXPECT_EQ(run.exitCode, 0);
        const QJsonObject file = Json(run)["files"][0].toObject();
        const bool vu = QString(name).startsWith("vu");
        EXPECT_EQ(file["kind"].toString(), vu ? "vu-download" : "driver-card");
        EXPECT_EQ(file["verification"]["verdict"].toString(), "valid");
        const QJsonArray days = (vu ? file["vu"] : file["card"])["activities"].toArray();
        EXPECT_GT(days.size(), 20);
        const CliRun spans = Cli({"activities", "--csv", path});
        EXPECT_EQ(spans.exitCode, 0);
        // The days of the VU with the company locks hold no activity change.
        if (QString(name) != "vu-de-locks.ddd") {
            EXPECT_GT(spans.Lines().size(), 100);
        }
    }
}

TEST(InspectVerifySamples, RealIdentities)
{
    const struct {
        const char* name;
        QString nation;
        QString timeLine;
    } cases[] = {
        {"card-es-2023.ddd", "nation: 0F (E)", "last download: 2023-04-28 11:35:04"},
        {"card-es-2007.ddd", "nation: 0F (E)", "last download: none"},
        {"vu-de-locks.ddd", "nation: 0F (E)", "current date-time: 2023-04-28 11:05:05"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!pellkit::test::HaveSample(c.name))
            GTEST_SKIP() << "sample " << c.name << " not found (set PELLKIT_SAMPLES)";
        const CliRun run = Cli({"inspect", "--identity", QString::fromStdString((pellkit::test::SamplesDir() / c.name).string())});
        EXPECT_EQ(run.exitCode, 0);
        const QStringList lines = run.Lines();
        EXPECT_TRUE(lines.contains(c.nation));
        EXPECT_TRUE(lines.contains(c.timeLine));
        // Every line is "key: value" with a value (the names and numbers are not shown).
        EXPECT_EQ(lines.size(), c.timeLine.startsWith("last") ? 5 : 4);
        for (const QString& line : lines)
            EXPECT_GT(line.indexOf(": "), 0);
        EXPECT_FALSE(lines.value(1).endsWith(": "));
    }
}
