// Downloads started from the window against the simulated Vexa on a pty:
// the progress bar, the controls, the archives, the safety copy, and the box
// each failure ends with.

#include "UiTestSupport.h"

#include "CardImageBuilder.h"
#include "ContainerBuilder.h"
#include "LinkFixture.h"
#include "VexaSim.h"
#include "uArdoVexa.h"
#include "uMessageCodes.h"
#include "uRadioGroup.h"
#include "uThreadDownload.h"
#include "uTranslation.h"

#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <algorithm>
#include <span>
#include <filesystem>

namespace fs = std::filesystem;
using namespace pellkit::test;

namespace {

struct TCards {
    Bytes first = MakeCardImage(TCardSpec{}.Number("ES00000000000101").LastDownload(0x4B000000).PadTo(400));
    Bytes second = MakeCardImage(
        TCardSpec{}.Number("ES00000000000202").Holder("OTHER", "NAME").LastDownload(0x4C000000).PadTo(400));
    Bytes data = MakeContainer({{{0xA7, first}}, {{0xA7, second}}});
};

QStringList Files(const QString& dir) { return QDir(dir).entryList(QDir::Files | QDir::NoDotAndDotDot); }

class DownloadWindow : public pellkit::test::LinkTest {
protected:
    void SetUp() override
    {
        ClearSettings();
        ASSERT_TRUE(dest.isValid() && spool.isValid() && home.isValid());
    }

    fs::path WriteData(const Bytes& bytes)
    {
        const fs::path path = fs::path(home.path().toStdString()) / "data.vexa";
        WriteFileBytes(path, bytes);
        return path;
    }

    // COM1 is the simulator's pty.
    void MapCom1(const std::string& device) { SetSetting(QStringLiteral("Ports/COM1"), QString::fromStdString(device)); }

    bool WaitForDone(TFicheDownloadVexa& w) { return WaitFor([&] { return w.Worker == nullptr; }); }

    bool WaitForRequests(const VexaSim& sim, const std::string& cmd, std::size_t count)
    {
        return WaitFor([&] {
            const auto r = sim.Requests();
            return static_cast<std::size_t>(std::count(r.begin(), r.end(), cmd)) >= count;
        });
    }

    QTemporaryDir dest, spool, home;
    TBoxRecorder boxes;
};

} // namespace

TEST_F(DownloadWindow, ArchivesArriveWhileTheBarMovesAndTheControlsWait)
{
    const TCards cards;
    VexaSim sim({"--data", WriteData(cards.data).string(), "--block", "64", "--bps", "20000"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    MapCom1(sim.Port());

    TStartedWindow started(dest.path(), spool.path());
    TFicheDownloadVexa& w = started.window;
    w.show();
    w.cbNePasEffacer->setChecked(false); // let the Vexa delete: the safety copy must go first

    std::vector<int> positions;
    bool controlsWaited = true;
    QObject::connect(w.ProgressBar1, &QProgressBar::valueChanged, [&](int v) {
        positions.push_back(v);
        if (v > 0)
            controlsWaited = controlsWaited && !w.btnDownloading->isEnabled() && !w.cbLanguage->isEnabled();
    });
    w.btnDownloading->click();
    ASSERT_NE(nullptr, w.Worker);
    for (QWidget* c : std::initializer_list<QWidget*>{w.btnDownloading, w.btnConfiguration, w.btnExtensions,
                                                      w.btnDestination, w.rgPortCom, w.cbLanguage, w.cbNePasEffacer})
        EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_TRUE(w.btnCancel->isEnabled());
    EXPECT_TRUE(w.QuitButton->isEnabled());

    ASSERT_TRUE(WaitForDone(w));
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().text.toStdString();
    EXPECT_EQ(2, Files(dest.path()).size()) << Files(dest.path()).join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(Files(spool.path()).isEmpty());
    EXPECT_EQ("83", sim.Requests().back());

    // Several positions on the way up, then back to 0.
    const auto moving = std::count_if(positions.begin(), positions.end(), [](int v) { return v > 0; });
    EXPECT_GE(moving, 3);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end() - 1));
    EXPECT_EQ(0, positions.back());
    EXPECT_EQ(0, w.ProgressBar1->value());
    EXPECT_TRUE(controlsWaited);
    for (QWidget* c : std::initializer_list<QWidget*>{w.btnDownloading, w.btnConfiguration, w.btnExtensions,
                                                      w.btnDestination, w.rgPortCom, w.cbLanguage, w.cbNePasEffacer,
                                                      w.btnCancel})
        EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
}

TEST_F(DownloadWindow, ASafetyCopyStaysUntilEveryArchiveIsOnDisk)
{
    const TCards cards;
    VexaSim sim({"--data", WriteData(cards.data).string(), "--block", "256"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    MapCom1(sim.Port());
    TStartedWindow started(dest.path(), spool.path());
    TFicheDownloadVexa& w = started.window;
    w.cbNePasEffacer->setChecked(false);
    // A disk that takes nothing.
    w.StoreOptions.contentWriter = [](QFileDevice&, std::span<const std::uint8_t>) { return false; };

    w.btnDownloading->click();
    ASSERT_TRUE(WaitForDone(w));
    EXPECT_EQ("83", sim.Requests().back());
    EXPECT_TRUE(Files(dest.path()).isEmpty());
    const QStringList kept = Files(spool.path());
    ASSERT_EQ(1, kept.size());

    // The failed archives are reported, then where the copy is and how to store it.
    ASSERT_GE(boxes.boxes.size(), 2u);
    EXPECT_TRUE(boxes.boxes.front().text.startsWith(MessageText(msg::ArchiveWriteFailed)));
    const TBox& last = boxes.boxes.back();
    EXPECT_EQ(TBox::Information, last.kind);
    EXPECT_TRUE(last.text.contains(QDir(spool.path()).filePath(kept.front())));
    EXPECT_TRUE(last.text.contains(QStringLiteral("pellkit-cli store")));
}

TEST_F(DownloadWindow, CancelStopsAfterTheBlockAndTellsTheVexaNothing)
{
    const TCards cards;
    VexaSim sim({"--data", WriteData(cards.data).string(), "--block", "64", "--bps", "800"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    MapCom1(sim.Port());
    TStartedWindow started(dest.path(), spool.path());
    TFicheDownloadVexa& w = started.window;
    w.cbNePasEffacer->setChecked(false);

    w.btnDownloading->click();
    ASSERT_TRUE(WaitForRequests(sim, "81", 2));
    w.btnCancel->click();
    ASSERT_TRUE(WaitForDone(w));

    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(TBox::Message, boxes.boxes[0].kind);
    EXPECT_EQ(&w, boxes.boxes[0].owner);
    EXPECT_EQ(MessageText(msg::DownloadCancelled), boxes.boxes[0].text);
    const auto requests = sim.Requests();
    EXPECT_EQ(0, std::count(requests.begin(), requests.end(), "83"));
    EXPECT_EQ(0, std::count(requests.begin(), requests.end(), "84"));
    EXPECT_TRUE(Files(dest.path()).isEmpty());
    EXPECT_TRUE(w.btnDownloading->isEnabled());
}

TEST_F(DownloadWindow, EveryFailureEndsWithItsOwnText)
{
    const TCards cards;
    Bytes malformed = cards.data;
    malformed[0] = 0xF1;
    struct Case {
        const char* name;
        Bytes data;
        std::vector<std::string> sim;
        bool noDevice;
        int result;
        int message; // 0: the result's own catalogue text
    };
    const std::vector<Case> cases = {
        {"cannot open the port", cards.data, {}, true, -1, msg::PortOrNoAnswer},
        {"empty data file", {}, {}, false, -109, msg::DataFileEmpty},
        {"malformed container", malformed, {}, false, -8, msg::DataFileInvalid},
        {"refused block", cards.data, {"--status", "81=80:3"}, false, -108, 0},
        {"damaged block", cards.data, {"--corrupt", "81:2"}, false, -3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.boxes.clear();
        std::vector<std::string> serve{"--data", WriteData(c.data).string(), "--block", "128"};
        serve.insert(serve.end(), c.sim.begin(), c.sim.end());
        VexaSim sim(serve);
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        MapCom1(c.noDevice ? std::string("/nonexistent/pellkit-tty") : sim.Port());

        TStartedWindow started(dest.path(), spool.path());
        TFicheDownloadVexa& w = started.window;
        w.btnDownloading->click();
        ASSERT_TRUE(WaitForDone(w));

        ASSERT_EQ(1u, boxes.boxes.size());
        const TBox& box = boxes.boxes[0];
        EXPECT_EQ(TBox::Message, box.kind);
        EXPECT_EQ(&w, box.owner);
        EXPECT_FALSE(box.text.isEmpty());
        EXPECT_EQ(ResultText(c.result), box.text);
        if (c.message) {
            EXPECT_EQ(MessageText(c.message), box.text);
        }
        EXPECT_TRUE(Files(dest.path()).isEmpty());
        EXPECT_TRUE(w.btnDownloading->isEnabled());
        EXPECT_EQ(0, w.ProgressBar1->value());
    }
}

// A card that cannot be read in full holds back nothing else; the window
// offers to let the Vexa delete all the same, and does so only when the
// user agrees, after reading the data once more.
TEST_F(DownloadWindow, AnUnreadableEntryIsOfferedForDeletion)
{
    ApplicationCounts counts;
    counts.activityStructureLength = 100;
    const Bytes damaged = pellkit::test::MakeCardImage()
                              .AddApplicationIdentification(counts)
                              .AddIdentification(0x0F, "ES00000000000909", "DAMAGED", "RING")
                              .AddDriverActivity(0, 0, Bytes(60, 0))
                              .Image();
    const TCards cards;
    const Bytes data = MakeContainer({{{0xA7, cards.first}}, {{0xA7, damaged}}});
    for (const bool agree : {false, true}) {
        SCOPED_TRACE(agree);
        boxes.boxes.clear();
        boxes.answer = agree;
        QDir(dest.path()).removeRecursively();
        QDir().mkpath(dest.path());
        VexaSim sim({"--data", WriteData(data).string()});
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        MapCom1(sim.Port());
        TStartedWindow started(dest.path(), spool.path());
        TFicheDownloadVexa& w = started.window;
        w.DownloadsDirectory = home.filePath(QStringLiteral("downloads"));
        w.cbNePasEffacer->setChecked(false);
        w.btnDownloading->click();
        ASSERT_TRUE(WaitForDone(w));
        // The offer may start a second run.
        ASSERT_TRUE(WaitForDone(w));

        EXPECT_EQ(1, Files(dest.path()).size());
        ASSERT_EQ(1, Files(w.DownloadsDirectory).size());
        const auto question = std::find_if(boxes.boxes.begin(), boxes.boxes.end(),
                                           [](const TBox& b) { return b.kind == TBox::Question; });
        ASSERT_NE(question, boxes.boxes.end());
        EXPECT_TRUE(question->text.contains(QDir::toNativeSeparators(w.DownloadsDirectory)));
        const auto requests = sim.Requests();
        EXPECT_EQ(agree ? 1 : 0, std::count(requests.begin(), requests.end(), "83"));
        EXPECT_EQ(agree ? 2 : 1, std::count(requests.begin(), requests.end(), "80"));
        EXPECT_TRUE(w.btnDownloading->isEnabled());
    }
}

TEST_F(DownloadWindow, ClosingDuringADownloadWaitsForTheWorker)
{
    const TCards cards;
    VexaSim sim({"--data", WriteData(cards.data).string(), "--block", "64", "--bps", "800"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    MapCom1(sim.Port());
    TStartedWindow started(dest.path(), spool.path());
    TFicheDownloadVexa& w = started.window;
    w.show();

    w.btnDownloading->click();
    ASSERT_TRUE(WaitForRequests(sim, "81", 2));
    w.QuitButton->click();
    // Still open: the worker holds the port until it has stopped.
    EXPECT_TRUE(w.isVisible());
    ASSERT_TRUE(WaitForDone(w));
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(boxes.boxes.empty());
    const auto requests = sim.Requests();
    EXPECT_EQ(0, std::count(requests.begin(), requests.end(), "83"));
}
