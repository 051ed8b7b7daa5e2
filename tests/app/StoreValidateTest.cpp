// pellkit-cli store and validate, run as a user runs them, with settings and
// a spool of their own (XDG_CONFIG_HOME, XDG_DATA_HOME) and data files built here.

#include "ContainerBuilder.h"
#include "uArchUtil.h"
#include "uMessageCodes.h"
#include "uTranslation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pellkit::test;

namespace {

constexpr int kEnglish = 3;
constexpr int kGerman = 5;

struct TRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class StoreValidate : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(root_.path()).mkpath("config/Morvane"));
        ASSERT_TRUE(QDir(root_.path()).mkpath("dest"));
    }

    QString Dest() const { return root_.filePath("dest"); }

    void Settings(const QString& lines)
    {
        QFile f(root_.filePath("config/Morvane/Pellkit.conf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(("[Vexa]\n" + lines).toUtf8());
    }

    QString Write(const Bytes& bytes)
    {
        const QString path = root_.filePath("data.bin");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path;
    }

    TRun Cli(const QStringList& args, const QString& program = QStringLiteral(PELLKIT_CLI_PATH))
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", root_.filePath("config"));
        env.insert("XDG_DATA_HOME", root_.filePath("data"));
        env.insert("LC_ALL", "C.UTF-8");
        process.setProcessEnvironment(env);
        process.start(program, args);
        process.waitForFinished(-1);
        TRun run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    QTemporaryDir root_;
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
    EXPECT_EQ(bad.exitCode, 1);
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
    EXPECT_EQ(first.out, MessageTextIn(kGerman, msg::StoreWrote).arg(name).arg(size) + "\n");

    const TRun again = Cli({"store", file, "--lang", "3"});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, MessageTextIn(kEnglish, msg::StoreSkippedIdentical).arg(name) + "\n");

    // Other content under that name: kept, and the archive goes beside it.
    QFile planted(QDir(Dest()).filePath(name));
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly | QIODevice::Truncate));
    planted.write("other");
    planted.close();
    const TRun taken = Cli({"store", file, "--lang", "3", "--vu-format", "2"});
    EXPECT_EQ(taken.exitCode, 0);
    const QString second = "V_AB 123 CD_D__20240131_1542_2.TGD";
    EXPECT_EQ(taken.out, MessageTextIn(kEnglish, msg::StoreWroteOtherName).arg(second) + "\n");
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
    const TRun missing = Cli({"store", file, "--dest", root_.filePath("gone"), "--lang", "3"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(MessageTextIn(kEnglish, msg::DestinationUnusable))) << missing.err.toStdString();
    EXPECT_TRUE(missing.out.isEmpty());

    // A damaged data file.
    const TRun damaged = Cli({"store", Write({0x00}), "--dest", Dest(), "--lang", "3"});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_EQ(damaged.err, MessageTextIn(kEnglish, msg::NoF0Tag) + "\n");
}

TEST_F(StoreValidate, WithoutItsCatalogueTheCliNamesTheFileItLacks)
{
    // A leftover in the spool makes every command look up a catalogue text.
    ASSERT_TRUE(QDir(root_.path()).mkpath("data/Morvane/Pellkit/spool"));
    QFile leftover(root_.filePath("data/Morvane/Pellkit/spool/download-20240131-154200-000.vexa"));
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    ASSERT_TRUE(QDir(root_.path()).mkpath("alone"));
    const QString program = root_.filePath("alone/pellkit-cli");
    ASSERT_TRUE(QFile::copy(QStringLiteral(PELLKIT_CLI_PATH), program));

    const TRun run = Cli({"validate", Write(kVuData)}, program);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(root_.filePath("alone/languages.db"))) << run.err.toStdString();
}
