// pellkit-cli register, run as a user runs it: the JSON document, the table
// in the interface language, the default folder and the exit statuses. Each
// test has settings and a per-user data folder (the cache) of its own.

#include "CardImageBuilder.h"
#include "CliHome.h"
#include "CliStatus.h"
#include "VuBlockBuilder.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

using pellkit::test::Bytes;
using pellkit::test::TCardFields;
namespace status = pellkit::test::cli;

namespace {

constexpr std::uint32_t kDay = 86400;
constexpr std::uint32_t kToday = 1595203200; // 2020-07-20

using TRun = pellkit::test::TCliRun;

class RegisterCli : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(home_.Path()).mkpath("archives"));
        Write("c.ddd", pellkit::test::MakeCardImage(TCardFields{}.Number("ES00000000000001").LastDownload(kToday - 3 * kDay)));
        Write("v", pellkit::test::MakeOverviewResponse(0x0D, "AB 123", "VIN00000000000001", kToday - 95 * kDay));
        Write("readme.txt", Bytes{'h', 'i'});
        Write("smart.ddd", pellkit::test::MakeResponse(0x21, 100));
    }

    QString Archives() const { return home_.FilePath("archives"); }

    void Write(const QString& name, const Bytes& bytes)
    {
        QFile f(QDir(Archives()).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }

    void Settings(const QString& lines) { ASSERT_TRUE(home_.Settings(lines)); }

    TRun Cli(const QStringList& args) { return home_.Run(QStringList{"register"} + args); }

    pellkit::test::TCliHome home_;
};

} // namespace

TEST_F(RegisterCli, JsonDocumentTheSameFromTheCache)
{
    const TRun run = Cli({Archives(), "--json", "--today", "2020-07-20"});
    ASSERT_EQ(run.exitCode, status::kOk) << run.err.toStdString();
    const QJsonObject doc = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ(doc["format"].toString(), "pellkit-register");
    EXPECT_EQ(doc["version"].toInt(), 1);
    EXPECT_EQ(doc["exitStatus"].toInt(), status::kOk);
    EXPECT_EQ(doc["today"].toString(), "2020-07-20");

    const QJsonArray rows = doc["rows"].toArray();
    ASSERT_EQ(rows.size(), 2);
    const QJsonObject vu = rows[0].toObject();
    EXPECT_EQ(vu["kind"].toString(), "vehicle-unit");
    EXPECT_EQ(vu["registration"].toString(), "AB 123");
    EXPECT_EQ(vu["vin"].toString(), "VIN00000000000001");
    EXPECT_EQ(vu["nation"].toObject()["code"].toInt(), 13);
    EXPECT_EQ(vu["nation"].toObject()["alpha"].toString(), "D");
    EXPECT_EQ(vu["lastDownload"].toString(), "2020-04-16T00:00:00Z");
    EXPECT_EQ(vu["nextDue"].toString(), "2020-07-15T00:00:00Z");
    EXPECT_EQ(vu["daysLeft"].toInt(), -5);
    EXPECT_EQ(vu["due"].toString(), "overdue");
    EXPECT_EQ(vu["archives"].toInt(), 1);
    EXPECT_TRUE(vu["latest"].toString().endsWith("/v"));
    EXPECT_FALSE(vu.contains("cardNumber"));

    const QJsonObject card = rows[1].toObject();
    EXPECT_EQ(card["kind"].toString(), "driver-card");
    EXPECT_EQ(card["cardNumber"].toString(), "ES00000000000001");
    EXPECT_EQ(card["holder"].toString(), "SURNAME, FIRST");
    EXPECT_EQ(card["lastDownload"].toString(), "2020-07-17T00:00:00Z");
    EXPECT_EQ(card["nextDue"].toString(), "2020-08-14T00:00:00Z");
    EXPECT_EQ(card["daysLeft"].toInt(), 25);
    EXPECT_EQ(card["due"].toString(), "ok");
    EXPECT_EQ(card["verdict"].toString(), "not checkable");
    EXPECT_TRUE(card["cardExpiry"].isString());

    const QJsonArray others = doc["others"].toArray();
    ASSERT_EQ(others.size(), 2);
    EXPECT_EQ(others[0].toObject()["kind"].toString(), "not-tachograph");
    EXPECT_TRUE(others[0].toObject()["reason"].isNull());
    EXPECT_EQ(others[1].toObject()["kind"].toString(), "generation-2");

    // The cache in the per-user data folder answers the second run alike.
    EXPECT_TRUE(QFile::exists(home_.FilePath("data/Morvane/Pellkit/register.db")));
    const TRun again = Cli({Archives(), "--json", "--today", "2020-07-20"});
    EXPECT_EQ(again.exitCode, status::kOk);
    EXPECT_EQ(again.out, run.out);
}

TEST_F(RegisterCli, TableOfTheSavedDestinationInTheInterfaceLanguage)
{
    Settings("DestDir=" + Archives() + "\nLanguage=5\n");
    const TRun run = Cli({"--today", "2020-07-20"});
    ASSERT_EQ(run.exitCode, status::kOk) << run.err.toStdString();
    // Columns stand two blanks or more apart; a blank state leaves its column empty.
    QList<QStringList> cells;
    for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts))
        cells << line.split(QRegularExpression(" {2,}"));
    ASSERT_EQ(cells.size(), 7) << run.out.toStdString();
    EXPECT_EQ(cells[0], (QStringList{"Status", "Art", "Kartennummer / Kennzeichen", "Inhaber / FIN", "Staat",
                                     "Ablauf der Karte", "Letzter Download", QString::fromUtf8("Nächster Download fällig"),
                                     "Verbleibende Tage", "Signatur", "Archive"}));
    // A VU has no card expiry: its blank column runs into the next gap.
    EXPECT_EQ(cells[1], (QStringList{QString::fromUtf8("Überfällig"), "Fahrzeugeinheit", "AB 123", "VIN00000000000001",
                                     "D", "2020-04-16", "2020-07-15", "-5", QString::fromUtf8("Nicht prüfbar"), "1"}));
    EXPECT_EQ(cells[2], (QStringList{"", "Fahrerkarte", "ES00000000000001", "SURNAME, FIRST", "E", "2009-07-13",
                                     "2020-07-17", "2020-08-14", "25", QString::fromUtf8("Nicht prüfbar"), "1"}));
    EXPECT_EQ(cells[3], (QStringList{QString::fromUtf8("Dateien außerhalb des Verzeichnisses")}));
    EXPECT_EQ(cells[4], (QStringList{"Datei", "Grund"}));
    EXPECT_EQ(cells[5].mid(1), (QStringList{"Keine Fahrtenschreiberdaten"}));
    EXPECT_TRUE(cells[5][0].endsWith("readme.txt"));
    EXPECT_EQ(cells[6].mid(1),
              (QStringList{QString::fromUtf8("Daten eines intelligenten Fahrtenschreibers (2. Generation), nicht gelesen")}));

    // Due within 7 days is marked too.
    const TRun soon = Cli({"--today", "2020-08-08", "--lang", "3"});
    EXPECT_TRUE(soon.out.contains(QRegularExpression("\nDue within 7 days +Driver card +ES00000000000001")))
        << soon.out.toStdString();
}

TEST_F(RegisterCli, ExitStatuses)
{
    // No folder given and none saved.
    TRun run = Cli({});
    EXPECT_EQ(run.exitCode, status::kUsage);
    EXPECT_TRUE(run.err.contains("no folder")) << run.err.toStdString();
    EXPECT_EQ(Cli({Archives(), "--today", "20.07.2020"}).exitCode, status::kUsage);

    // A folder that cannot be read is said, the others still listed.
    run = Cli({Archives(), home_.FilePath("missing"), "--lang", "3"});
    EXPECT_EQ(run.exitCode, status::kStorage);
    EXPECT_TRUE(run.err.contains("Cannot read the folder " + home_.FilePath("missing"))) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("ES00000000000001"));

    // Unreadable archives do not fail the register.
    Write("cut.ddd", Bytes{0x76, 0x01, 0x00});
    run = Cli({Archives(), "--no-cache", "--lang", "3"});
    EXPECT_EQ(run.exitCode, status::kOk);
    EXPECT_TRUE(run.out.contains(QRegularExpression("cut\\.ddd +Unreadable archive: "))) << run.out.toStdString();
}
