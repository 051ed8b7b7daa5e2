// Downloads started from the window against the simulated Vexa on a pty:
// the progress bar, the controls, the status line and the list of archives,
// the safety copy, the port choice, and the box each failure ends with.

#include "UiTestSupport.h"

#include "CardImageBuilder.h"
#include "ContainerBuilder.h"
#include "LinkFixture.h"
#include "VexaSim.h"
#include "uArdoVexa.h"
#include "uContainerSplit.h"
#include "uFormArchives.h"
#include "uFormRegister.h"
#include "uMessageCodes.h"
#include "uRadioGroup.h"
#include "uThreadDownload.h"
#include "uTranslation.h"
#include "uUpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <span>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace pellkit::test;

namespace {

struct TCards {
    Bytes first = MakeCardImage(TCardFields{}.Number("ES00000000000101").LastDownload(0x4B000000).PadTo(400));
    Bytes second = MakeCardImage(
        TCardFields{}.Number("ES00000000000202").Holder("OTHER", "NAME").LastDownload(0x4C000000).PadTo(400));
    Bytes data = MakeContainer({{{0xA7, first}}, {{0xA7, second}}});
};

QStringList Files(const QString& dir) { return QDir(dir).entryList(QDir::Files | QDir::NoDotAndDotDot); }

// Stands in for the file manager: the folders the window asks to open.
class TUrlRecorder : public QObject {
    Q_OBJECT
public:
    TUrlRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }
    ~TUrlRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> urls;

public slots:
    void Open(const QUrl& url) { urls.push_back(url); }
};

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

// The register window, open on the destination, reads it again once a
// download has stored its archives.
TEST_F(DownloadWindow, TheOpenRegisterShowsWhatADownloadBrought)
{
    const TCards cards;
    VexaSim sim({"--data", WriteData(cards.data).string(), "--block", "256"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    MapCom1(sim.Port());
    TStartedWindow started(dest.path(), spool.path());
    TFicheDownloadVexa& w = started.window;
    w.show();
    w.btnRegister->click();
    ASSERT_TRUE(w.Register);
    ASSERT_TRUE(WaitFor([&] { return !w.Register->Loading(); }));
    EXPECT_EQ(0, w.Register->model->rowCount());

    w.btnDownloading->click();
    ASSERT_TRUE(WaitForDone(w));
    ASSERT_TRUE(WaitFor([&] { return !w.Register->Loading() && w.Register->model->rowCount() > 0; },
                        std::chrono::seconds(30)));
    EXPECT_EQ(2, w.Register->model->rowCount());
}

// A download the disk did not take stays in the spool; the box offers to
// store it, and storing it once the disk takes it empties the spool.
TEST_F(DownloadWindow, ASafetyCopyLeftByAFailedStoreIsStoredFromTheBox)
{
    const TCards cards;
    VexaSim sim({"--data", WriteData(cards.data).string(), "--block", "256"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    MapCom1(sim.Port());
    TStartedWindow started(dest.path(), spool.path());
    TFicheDownloadVexa& w = started.window;
    w.DownloadsDirectory = home.filePath(QStringLiteral("downloads"));
    w.cbNePasEffacer->setChecked(false);
    // A disk that takes nothing, until the user answers the offer.
    w.StoreOptions.contentWriter = [](QFileDevice&, std::span<const std::uint8_t>) { return false; };
    QStringList spoolWhenAsked;
    boxes.answerWith = [&] {
        spoolWhenAsked = Files(spool.path());
        w.StoreOptions.contentWriter = {};
        return true;
    };

    w.btnDownloading->click();
    ASSERT_TRUE(WaitForDone(w));
    EXPECT_EQ("83", sim.Requests().back());
    ASSERT_EQ(1, spoolWhenAsked.size());
    const QString copy = QDir(spool.path()).filePath(spoolWhenAsked.front());

    // The failed archives are reported, then the offer, which names the copy
    // and the destination and sends nobody to a terminal.
    ASSERT_GE(boxes.boxes.size(), 2u);
    EXPECT_TRUE(boxes.boxes.front().text.startsWith(MessageText(msg::ArchiveWriteFailed)));
    const TBox& offer = boxes.boxes.back();
    EXPECT_EQ(TBox::Question, offer.kind);
    EXPECT_TRUE(offer.text.contains(QDir::toNativeSeparators(copy)));
    EXPECT_TRUE(offer.text.contains(w.DestinationDir));
    EXPECT_FALSE(offer.text.contains(QStringLiteral("pellkit-cli")));

    // Stored: the archives, the copy on to the downloads folder, and the account.
    EXPECT_EQ(2, Files(dest.path()).size());
    EXPECT_TRUE(Files(spool.path()).isEmpty());
    EXPECT_EQ(1, Files(w.DownloadsDirectory).size());
    EXPECT_EQ(MessageText(msg::SummaryArchives).arg(2).arg(0).arg(0) + QLatin1Char(' ') +
                  MessageText(msg::SummaryMovedToDownloads),
              w.lbStatus->text());
    EXPECT_EQ(2, w.Account.archives.size());
    EXPECT_TRUE(w.btnArchives->isEnabled());
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

// Under the bar, one line sums up the download: the archives written,
// already there and failed, and what the Vexa did with its data; its button
// lists the archives, and the list opens the destination. Failures keep their
// boxes.
TEST_F(DownloadWindow, TheStatusLineSumsUpEachDownload)
{
    const TCards cards;
    struct Case {
        const char* name;
        bool keep;
        std::vector<std::string> sim;
        bool secondArchiveFails;
        int written;
        int failed;
        std::vector<int> sentences;  // after the archives' one
        std::vector<TBox::Kind> boxes;
    };
    const std::vector<Case> cases = {
        {"kept", true, {}, false, 2, 0, {msg::SummaryVexaKeeps}, {}},
        {"deleted", false, {}, false, 2, 0, {msg::SummaryVexaDeleted}, {}},
        {"partly stored", false, {}, true, 1, 1, {msg::SummaryVexaDeleted, msg::SummarySpoolKept},
         {TBox::Message, TBox::Question}},
        {"end not confirmed", false, {"--silent", "83"}, false, 2, 0, {msg::SummaryDeleteNotConfirmed},
         {TBox::Information}},
    };
    TUrlRecorder opened;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.boxes.clear();
        QDir(dest.path()).removeRecursively();
        QDir().mkpath(dest.path());
        std::vector<std::string> serve{"--data", WriteData(cards.data).string(), "--block", "256"};
        serve.insert(serve.end(), c.sim.begin(), c.sim.end());
        VexaSim sim(serve);
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        MapCom1(sim.Port());
        TStartedWindow started(dest.path(), spool.path());
        TFicheDownloadVexa& w = started.window;
        w.DownloadsDirectory = home.filePath(QStringLiteral("downloads"));
        w.cbNePasEffacer->setChecked(c.keep);
        if (c.secondArchiveFails) {
            w.StoreOptions.contentWriter = [n = 0](QFileDevice& file, std::span<const std::uint8_t> bytes) mutable {
                const auto size = static_cast<qint64>(bytes.size());
                return ++n != 2 && file.write(reinterpret_cast<const char*>(bytes.data()), size) == size;
            };
        }
        w.btnDownloading->click();
        ASSERT_TRUE(WaitForDone(w));

        QString summary = MessageText(msg::SummaryArchives).arg(c.written).arg(0).arg(c.failed);
        for (int sentence : c.sentences)
            summary += QLatin1Char(' ') + MessageText(sentence);
        EXPECT_EQ(summary, w.lbStatus->text());
        std::vector<TBox::Kind> kinds;
        for (const TBox& b : boxes.boxes)
            kinds.push_back(b.kind);
        EXPECT_EQ(c.boxes, kinds);

        // The list: one row per archive, named as in the destination.
        ASSERT_TRUE(w.btnArchives->isEnabled());
        int rows = -1, failedRows = 0;
        QStringList names;
        WhenModal<TFormArchives>([&](TFormArchives& list) {
            rows = list.lvArchives->topLevelItemCount();
            for (int i = 0; i < rows; ++i) {
                const QTreeWidgetItem* row = list.lvArchives->topLevelItem(i);
                if (row->text(2) == MessageText(msg::OutcomeFailed))
                    ++failedRows;
                else
                    names << row->text(0);
            }
            EXPECT_EQ(summary, list.Label1->text());
            list.btnOpenFolder->click();
            list.accept();
        });
        w.btnArchives->click();
        EXPECT_EQ(c.written + c.failed, rows);
        EXPECT_EQ(c.failed, failedRows);
        names.sort();
        EXPECT_EQ(Files(dest.path()), names);
        ASSERT_FALSE(opened.urls.isEmpty());
        EXPECT_EQ(QDir(dest.path()), QDir(opened.urls.takeLast().toLocalFile()));
    }
}

// While the Vexa takes its time the window says so, with a busy cursor; the
// port choice waits with the other controls, and Esc cancels as Cancel does.
TEST_F(DownloadWindow, ASlowVexaShowsSignsOfLifeAndEscCancels)
{
    const TCards cards;
    VexaSim sim({"--data", WriteData(cards.data).string(), "--block", "64", "--bps", "45"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    SetSetting(QStringLiteral("Ports/COM7"), QString::fromStdString(sim.Port()));
    TStartedWindow started(dest.path(), spool.path());
    TFicheDownloadVexa& w = started.window;
    w.show();
    w.rgPortCom->Item(4)->click();
    w.edAutrePortCOM->setText(QStringLiteral("7"));
    ASSERT_TRUE(w.edAutrePortCOM->isEnabled());

    w.btnDownloading->click();
    const QString waiting = MessageText(msg::StatusWaiting);
    EXPECT_EQ(waiting, w.lbStatus->text());
    EXPECT_EQ(Qt::BusyCursor, w.cursor().shape());
    for (QWidget* c : std::initializer_list<QWidget*>{w.edAutrePortCOM, w.UpDown1, w.cbPortDevice})
        EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();

    // The first block, then a second that takes longer than a second.
    const qint64 total = DeclaredDataFileLength(cards.data);
    const QString first = MessageText(msg::StatusBlock).arg(1).arg((total + 63) / 64);
    ASSERT_TRUE(WaitFor([&] { return w.lbStatus->text() == first; }, std::chrono::seconds(10)));
    ASSERT_TRUE(WaitFor([&] { return w.lbStatus->text() == waiting; }, std::chrono::seconds(5)));

    QTest::keyClick(w.QuitButton, Qt::Key_Escape);
    ASSERT_TRUE(WaitForDone(w));
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(MessageText(msg::DownloadCancelled), boxes.boxes[0].text);
    const auto requests = sim.Requests();
    EXPECT_EQ(0, std::count(requests.begin(), requests.end(), "83"));
    EXPECT_EQ(ResultText(kResultCancelled), w.lbStatus->text());
    EXPECT_NE(Qt::BusyCursor, w.cursor().shape());
    EXPECT_TRUE(w.edAutrePortCOM->isEnabled());
    EXPECT_TRUE(w.UpDown1->isEnabled());
}

// The device field: a port the system lists, or a path typed in.
TEST_F(DownloadWindow, ADeviceIsChosenFromTheDetectedPortsOrByItsPath)
{
    const TCards cards;
    for (const bool typed : {false, true}) {
        SCOPED_TRACE(typed);
        ClearSettings();
        QDir(dest.path()).removeRecursively();
        QDir().mkpath(dest.path());
        VexaSim sim({"--data", WriteData(cards.data).string()});
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        const QString pty = QString::fromStdString(sim.Port());
        TStartedWindow started(dest.path(), spool.path());
        TFicheDownloadVexa& w = started.window;
        w.ListPorts = [pty] { return QList<TDetectedPort>{{QStringLiteral("/dev/ttyS0"), {}}, {pty, QStringLiteral("vexa-sim")}}; };
        w.show();
        if (typed) {
            QTest::keyClicks(w.cbPortDevice->lineEdit(), pty);
            QTest::keyClick(w.cbPortDevice->lineEdit(), Qt::Key_Return);
        } else {
            const int entry = w.cbPortDevice->findData(pty);
            ASSERT_GE(entry, 0);
            w.cbPortDevice->setCurrentIndex(entry);
            emit w.cbPortDevice->activated(entry);
        }
        EXPECT_EQ(std::optional(pty), w.PortName());
        EXPECT_EQ(pty, Setting(QStringLiteral("Vexa/Port")).toString());

        w.btnDownloading->click();
        ASSERT_TRUE(WaitForDone(w));
        EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().text.toStdString();
        EXPECT_EQ(2, Files(dest.path()).size());
    }
}

// A device this user may not open: the box names the group dialout and the
// command that joins it.
TEST_F(DownloadWindow, ADeviceTheUserMayNotOpenNamesTheGroupDialout)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may open any device";
    const QString device = home.filePath(QStringLiteral("ttyLocked"));
    QFile locked(device);
    ASSERT_TRUE(locked.open(QIODevice::WriteOnly));
    locked.close();
    ASSERT_TRUE(locked.setPermissions({}));
    TStartedWindow started(dest.path(), spool.path());
    TFicheDownloadVexa& w = started.window;
    w.cbPortDevice->setEditText(device);
    w.rgPortCom->Item(5)->click();
    w.btnDownloading->click();
    ASSERT_TRUE(WaitForDone(w));
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_TRUE(boxes.boxes[0].text.contains(QStringLiteral("dialout")));
    EXPECT_TRUE(boxes.boxes[0].text.contains(QStringLiteral("sudo adduser")));
    EXPECT_TRUE(boxes.boxes[0].text.contains(device));
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

#include "DownloadWindowTest.moc"
