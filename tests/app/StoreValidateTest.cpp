// pellkit-cli store and validate, run as a user runs them, with settings and
// a spool of their own (XDG_CONFIG_HOME, XDG_DATA_HOME) and data files built here.

#include "CliHome.h"
#include "CliStatus.h"
#include "ContainerBuilder.h"
#include "uArchUtil.h"
#include "uMessageCodes.h"
#include "uTranslation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace pellkit::test;
namespace cli = pellkit::test::cli;

namespace {

constexpr int kEnglish = 3;
constexpr int kFrench = 2;
constexpr int kGerman = 5;

using TRun = TCliRun;

class StoreValidate : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir(home_.Path()).mkpath("dest")); }

    QString Dest() const { return home_.FilePath("dest"); }

    void Settings(const QString& lines) { ASSERT_TRUE(home_.Settings(lines)); }

    QString Write(const Bytes& bytes, const QString& name = QStringLiteral("data.bin"))
    {
        const QString path = home_.FilePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path;
    }

    TRun Cli(const QStringList& args, const QString& program = QStringLiteral(PELLKIT_CLI_PATH))
    {
        return home_.Run(args, program);
    }

    TCliHome home_;
};

const Bytes kVuData = MakeContainer({{{0xA2, MakeResponse(0x02, 60)}}});

} // namespace

TEST_F(StoreValidate, ValidatePrintsTheWalk)
{
    const TRun ok = Cli({"validate", Write(kVuData), "--lang", "3"});
    EXPECT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    EXPECT_EQ(ok.out.toStdString(),
              ("F0 : 66\n" + MessageTextIn(kEnglish, msg::LogEntry) + "64\nPRT 2 : 62\n").toStdString());

    const TRun bad = Cli({"validate", Write({0xF0, 0x00}), "--lang", "3"});
    EXPECT_EQ(bad.exitCode, cli::kData);
    EXPECT_EQ(bad.out.toStdString(), ("F0 : 0\n" + MessageTextIn(kEnglish, msg::NoF1Tag) + "\n").toStdString());
    EXPECT_TRUE(bad.err.contains("error -8")) << bad.err.toStdString();
}

TEST_F(StoreValidate, StoreUsesTheSavedChoicesAndNeverOverwrites)
{
    Settings("DestDir=" + Dest() + "\nLanguage=5\ndefaultVehicleFileformat=2\n");
    const std::uint32_t time = 1706715720;
    const Bytes data = MakeContainer(
        {{{0xA1, MakeOverviewResponse(0x0D, "AB 123 CD", "XYZ12345678901234", time)}, {0xA2, MakeResponse(0x02, 60)}}});
    const QString file = Write(data);
    const QString name = QString::fromLatin1(
        VehicleArchiveName(0x0D, "AB 123 CD", "XYZ12345678901234", ArchiveTimeFromTimeReal(time), 2));
    const qint64 size = 2 + 621 + 62;

    const TRun first = Cli({"store", file});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(QDir(Dest()).entryList(QDir::Files), QStringList{name});
    // The line for scripts stays English under the saved German.
    EXPECT_EQ(first.out, QStringLiteral("wrote %1 (%2 bytes)\n").arg(name).arg(size));

    const TRun again = Cli({"store", file, "--lang", "3"});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, QStringLiteral("already archived as %1\n").arg(name));

    // Other content under that name: kept, and the archive goes beside it.
    QFile planted(QDir(Dest()).filePath(name));
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly | QIODevice::Truncate));
    planted.write("other");
    planted.close();
    const TRun taken = Cli({"store", file, "--lang", "3", "--vu-format", "2"});
    EXPECT_EQ(taken.exitCode, 0);
    const QString second = "V_AB 123 CD_D__20240131_1542_2.TGD";
    EXPECT_EQ(taken.out, QStringLiteral("wrote %1 (name taken)\n").arg(second));
    EXPECT_EQ(QFileInfo(QDir(Dest()).filePath(second)).size(), size);
}

TEST_F(StoreValidate, StoreFailsClearly)
{
    const QString file = Write(kVuData);
    // No destination saved and none given.
    const TRun usage = Cli({"store", file});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_TRUE(usage.err.contains("--dest")) << usage.err.toStdString();

    // A destination that is gone is found before anything is read, as a
    // download finds it.
    const TRun missing = Cli({"store", file, "--dest", home_.FilePath("gone"), "--lang", "3"});
    EXPECT_EQ(missing.exitCode, cli::kStorage);
    EXPECT_TRUE(missing.err.contains(MessageTextIn(kEnglish, msg::DestinationUnusable))) << missing.err.toStdString();
    EXPECT_TRUE(missing.out.isEmpty());

    // A damaged data file.
    const TRun damaged = Cli({"store", Write({0x00}), "--dest", Dest(), "--lang", "3"});
    EXPECT_EQ(damaged.exitCode, cli::kData);
    EXPECT_EQ(damaged.err, MessageTextIn(kEnglish, msg::NoF0Tag) + "\n");
}

TEST_F(StoreValidate, WithoutItsCatalogueTheCliNamesTheFileItLacks)
{
    // A leftover in the spool makes every command look up a catalogue text.
    ASSERT_TRUE(QDir(home_.Path()).mkpath("data/Morvane/Pellkit/spool"));
    QFile leftover(home_.FilePath("data/Morvane/Pellkit/spool/download-20240131-154200-000.vexa"));
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    ASSERT_TRUE(QDir(home_.Path()).mkpath("alone"));
    const QString program = home_.FilePath("alone/pellkit-cli");
    ASSERT_TRUE(QFile::copy(QStringLiteral(PELLKIT_CLI_PATH), program));

    const TRun run = Cli({"validate", Write(kVuData)}, program);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(home_.FilePath("alone/languages.db"))) << run.err.toStdString();
}

TEST_F(StoreValidate, HelpFitsEightyColumnsAndListsTheCodes)
{
    const QString lastVexaLanguage = QStringLiteral("22 ") + MessageTextIn(kEnglish, msg::kVexaLanguageCodes[22]);
    for (const char* command : {"probe", "fetch", "inspect", "verify", "activities", "register", "store", "validate",
                                "download", "configure", "set-clock"}) {
        SCOPED_TRACE(command);
        const TRun run = Cli({command, "--help"});
        EXPECT_EQ(run.exitCode, cli::kOk);
        for (const QString& line : run.out.split('\n'))
            EXPECT_LE(line.size(), 80) << line.toStdString();
        EXPECT_FALSE(run.out.contains("help-all"));
        const QString words = run.out.simplified(); // a list may break anywhere
        EXPECT_TRUE(words.contains("2 French, 3 English") && words.contains("21 Slovene"));
        EXPECT_TRUE(run.out.contains("  6  cancelled by the user"));
        EXPECT_EQ(words.contains(lastVexaLanguage), QString::fromLatin1(command) == "configure");
    }
    for (const QString& line : Cli({"--help"}).out.split('\n'))
        EXPECT_LE(line.size(), 80) << line.toStdString();
    EXPECT_EQ(Cli({"store", "--help-all"}).exitCode, cli::kUsage);
}

// Messages for people: --lang, else the environment, else the saved choice.
// Lines for scripts: the same English whatever the language.
TEST_F(StoreValidate, MessagesFollowTheLanguageTheLinesForScriptsDoNot)
{
    Settings("DestDir=" + Dest() + "\nLanguage=5\n");
    const QString file = Write(kVuData);
    const struct {
        const char* what;
        QStringList extra;
        const char* locale;
        int language;
    } cases[] = {
        {"the saved choice when the environment names none", {}, "C.UTF-8", kGerman},
        {"the environment before the saved choice", {}, "fr_FR.UTF-8", kFrench},
        {"--lang before both", {"--lang", "3"}, "fr_FR.UTF-8", kEnglish},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        home_.locale = QString::fromLatin1(c.locale);
        const TRun refused = Cli(QStringList{"store", file, "--dest", home_.FilePath("gone")} + c.extra);
        EXPECT_EQ(refused.exitCode, cli::kStorage);
        EXPECT_TRUE(refused.err.contains(MessageTextIn(c.language, msg::DestinationUnusable))) << refused.err.toStdString();

        const TRun stored = Cli(QStringList{"store", file} + c.extra);
        EXPECT_EQ(stored.exitCode, cli::kOk) << stored.err.toStdString();
        EXPECT_TRUE(stored.out.startsWith("wrote ") || stored.out.startsWith("already archived as "))
            << stored.out.toStdString();
    }
}

TEST_F(StoreValidate, SeveralFilesAsOneJsonDocumentWithTheWorstStatus)
{
    const QString good = Write(kVuData, "good.bin");
    const QString damaged = Write({0xF0, 0x00}, "damaged.bin");

    const TRun store = Cli({"store", "--json", good, damaged, "--dest", Dest(), "--lang", "5"});
    EXPECT_EQ(store.exitCode, cli::kData);
    const QJsonObject s = QJsonDocument::fromJson(store.out.toUtf8()).object();
    EXPECT_EQ(s["format"].toString(), "pellkit-store");
    EXPECT_EQ(s["exitStatus"].toInt(), cli::kData);
    const QJsonArray files = s["files"].toArray();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0]["path"].toString(), good);
    EXPECT_TRUE(files[0]["complete"].toBool());
    ASSERT_EQ(files[0]["archives"].toArray().size(), 1);
    EXPECT_EQ(files[0]["archives"][0]["outcome"].toString(), "written");
    EXPECT_EQ(files[0]["archives"][0]["bytes"].toInt(), QFileInfo(QDir(Dest()).filePath(files[0]["archives"][0]["fileName"].toString())).size());
    EXPECT_FALSE(files[1]["complete"].toBool());
    EXPECT_EQ(files[1]["exitStatus"].toInt(), cli::kData);

    const TRun again = Cli({"store", "--json", good, "--dest", Dest()});
    EXPECT_EQ(again.exitCode, cli::kOk);
    EXPECT_EQ(QJsonDocument::fromJson(again.out.toUtf8())["files"][0]["archives"][0]["outcome"].toString(),
              "already-archived");

    const TRun validate = Cli({"validate", "--json", good, damaged});
    EXPECT_EQ(validate.exitCode, cli::kData);
    const QJsonArray checked = QJsonDocument::fromJson(validate.out.toUtf8())["files"].toArray();
    ASSERT_EQ(checked.size(), 2);
    EXPECT_TRUE(checked[0]["valid"].toBool());
    EXPECT_EQ(checked[0]["lines"][0].toString(), "F0 : 66");
    EXPECT_FALSE(checked[1]["valid"].toBool());
    EXPECT_EQ(checked[1]["error"]["code"].toInt(), -8);

    // Standard input, once.
    home_.input = QByteArray(reinterpret_cast<const char*>(kVuData.data()), static_cast<qsizetype>(kVuData.size()));
    const TRun piped = Cli({"validate", "-"});
    EXPECT_EQ(piped.exitCode, cli::kOk) << piped.err.toStdString();
    EXPECT_TRUE(piped.out.startsWith("F0 : 66\n"));
    EXPECT_EQ(Cli({"validate", "-", "-"}).exitCode, cli::kUsage);
}
