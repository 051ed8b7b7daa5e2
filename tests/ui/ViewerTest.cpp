// The viewer of an archive: what it shows of a built card and VU download,
// the real samples, the files it refuses, and the ways the main window opens
// it (its button's road, a dropped file, the command line's files) and
// keeps it in the interface language.

#include "UiTestSupport.h"

#include "CardImageBuilder.h"
#include "Samples.h"
#include "VuBlockBuilder.h"
#include "uDayChart.h"
#include "uFormViewer.h"
#include "uMessageCodes.h"
#include "uTranslation.h"
#include "uViewText.h"

#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QUrl>

using namespace pellkit::test;

namespace {

constexpr int kGerman = 5;

constexpr std::uint32_t kJan31 = 1706659200; // 2024-01-31 00:00 UTC
constexpr std::uint32_t kFeb1 = kJan31 + 86400;

std::uint16_t Change(int activity, int minute) { return ActivityChange(0, false, false, activity, minute); }

// A card of two days across a month end: on the first, rest until 06:00,
// driving to 10:30, work to 11:00, availability to 12:00, then rest; on the
// second, driving all day.
Bytes TwoDayCard()
{
    const Bytes first = DailyRecord(0, 22, kJan31,
                                    {Change(kBreakRest, 0), Change(kDriving, 360), Change(kWork, 630),
                                     Change(kAvailability, 660), Change(kBreakRest, 720)});
    const Bytes second = DailyRecord(22, 14, kFeb1, {Change(kDriving, 0)});
    return MakeCardImage()
        .AddApplicationIdentification({.activityStructureLength = 36})
        .AddIdentification({.nation = 0x0D, .cardNumber = "DF000012345678", .expiryDate = 1830297600,
                            .surname = "MUSTERMANN", .firstNames = "ERIKA"})
        .AddCardDownload(kFeb1 + 3600)
        .AddDriverActivity(0, 22, Concat({first, second}))
        .Image();
}

// A VU download: its overview and one day on which the driver drives two
// hours and the co-driver works from 01:00.
Bytes OneDayVu()
{
    const Bytes day = ActivitiesData({.day = kDay,
                                      .changes = {ActivityChange(0, false, false, kDriving, 0),
                                                  ActivityChange(1, true, false, kWork, 60),
                                                  ActivityChange(0, false, false, kBreakRest, 120)}});
    return MakeVuDownload({MakeOverviewResponse(0x0D, "AB 123 CD", "WDB9634031L123456", kDay + 86400),
                           MakeTransferResponse(0x02, day)});
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const Bytes& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
}

QStringList TabTexts(const QTabWidget& tabs)
{
    QStringList texts;
    for (int i = 0; i < tabs.count(); ++i)
        texts << tabs.tabText(i);
    return texts;
}

class Viewer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettings();
        SetCurrentLanguage(lang::English);
    }
    TBoxRecorder boxes;
    QTemporaryDir dir;
};

TEST_F(Viewer, ShowsACardsIdentityDaysListsAndRecords)
{
    TFormViewer viewer;
    viewer.ApplyLanguage(lang::English);
    ASSERT_TRUE(viewer.OpenFile(WriteFile(dir, QStringLiteral("card.bin"), TwoDayCard()))) << viewer.Problem().toStdString();
    EXPECT_TRUE(viewer.Problem().isEmpty()) << viewer.Problem().toStdString();

    const QString identity = viewer.lbIdentity->text();
    for (const QString& part : {QStringLiteral("MUSTERMANN, ERIKA"), QStringLiteral("DF000012345678"),
                                QString::fromStdString(views::IsoDate(1830297600))})
        EXPECT_TRUE(identity.contains(part)) << identity.toStdString();
    // Nothing of the built card is signed with a known key.
    EXPECT_EQ(viewer.lbVerdict->text(), MessageText(msg::VerdictNotCheckable));
    EXPECT_GT(viewer.lvSignatures->topLevelItemCount(), 0);

    EXPECT_EQ(TabTexts(*viewer.pcTabs),
              (QStringList{MessageText(msg::TabActivities), MessageText(msg::TabVehicles), MessageText(msg::TabPlaces),
                           MessageText(msg::TabEventsFaults), MessageText(msg::TabControls),
                           MessageText(msg::TabTechnical), MessageText(msg::TabSignatures),
                           MessageText(msg::TabRecords)}));

    // The chart: one bar per day, the day's totals, two months to go through.
    ASSERT_EQ(viewer.activityPanels.size(), 1);
    TActivityPanel& panel = *viewer.activityPanels.front();
    const TDayChart& chart = *panel.chart;
    ASSERT_EQ(chart.Days().size(), 2u);
    const views::TActivityTotals& first = chart.Days()[0].totals;
    EXPECT_EQ((std::array{first.breakRest, first.driving, first.work, first.availability}),
              (std::array{360 + 720, 270, 30, 60}));
    EXPECT_EQ(chart.Days()[1].totals.driving, 1440);
    EXPECT_EQ(panel.cbMonth->count(), 2);

    // What the mouse finds where the bar is drawn, and what its tooltip says.
    const QRect bar = chart.BarRect(0);
    const auto at = [&](int minute) { return QPoint(bar.left() + minute * bar.width() / 1440, bar.center().y()); };
    const views::TActivitySpan* driving = chart.SpanAt(at(7 * 60));
    ASSERT_NE(driving, nullptr);
    EXPECT_EQ(driving->activity, views::TActivity::Driving);
    EXPECT_EQ(TDayChart::SpanText(*driving),
              MessageText(msg::ActivityDriving) + QStringLiteral(": 06:00–10:30 (4:30)"));
    EXPECT_EQ(TDayChart::SpanText(*chart.SpanAt(at(20 * 60))),
              MessageText(msg::ActivityBreakRest) + QStringLiteral(": 12:00–24:00 (12:00)"));
    EXPECT_EQ(chart.SpanAt(QPoint(bar.left() - 5, bar.center().y())), nullptr);
    EXPECT_EQ(chart.SpanAt(QPoint(bar.center().x(), chart.RowTop(2) + 5)), nullptr);

    // The months: the first one's days come to the top.
    viewer.show();
    panel.ShowMonth(0);
    EXPECT_EQ(panel.cbMonth->currentIndex(), 0);

    // The records: the card's files, made as they are opened.
    QTreeWidgetItem* root = viewer.tvRecords->topLevelItem(0);
    ASSERT_NE(root, nullptr);
    ASSERT_GT(root->childCount(), 0);
    QTreeWidgetItem* withChildren = nullptr;
    for (int i = 0; i < root->childCount() && !withChildren; ++i)
        if (root->child(i)->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator)
            withChildren = root->child(i);
    ASSERT_NE(withChildren, nullptr);
    EXPECT_EQ(withChildren->childCount(), 0);
    viewer.tvRecords->expandItem(withChildren);
    EXPECT_GT(withChildren->childCount(), 0);
}

TEST_F(Viewer, ShowsAVuDownloadWithOneChartPerSlot)
{
    TFormViewer viewer;
    viewer.ApplyLanguage(lang::English);
    ASSERT_TRUE(viewer.OpenFile(WriteFile(dir, QStringLiteral("vu.bin"), OneDayVu())));
    const QString identity = viewer.lbIdentity->text();
    for (const QString& part : {QStringLiteral("AB 123 CD"), QStringLiteral("WDB9634031L123456")})
        EXPECT_TRUE(identity.contains(part)) << identity.toStdString();
    EXPECT_EQ(viewer.lbVerdict->text(), MessageText(msg::VerdictNotCheckable));
    EXPECT_EQ(TabTexts(*viewer.pcTabs),
              (QStringList{MessageText(msg::TabActivities), MessageText(msg::TabCardInsertions),
                           MessageText(msg::TabPlaces), MessageText(msg::TabEventsFaults),
                           MessageText(msg::TabControls), MessageText(msg::TabTechnical),
                           MessageText(msg::TabSignatures), MessageText(msg::TabRecords)}));

    ASSERT_EQ(viewer.activityPanels.size(), 2);
    const auto& driver = viewer.activityPanels[0]->chart->Days();
    const auto& coDriver = viewer.activityPanels[1]->chart->Days();
    ASSERT_EQ(driver.size(), 1u);
    ASSERT_EQ(coDriver.size(), 1u);
    EXPECT_EQ(driver[0].totals.driving, 120);
    EXPECT_EQ(driver[0].totals.breakRest, 1320);
    EXPECT_EQ(coDriver[0].totals.work, 1380);
    EXPECT_EQ(coDriver[0].totals.driving, 0);
    EXPECT_GT(viewer.tvRecords->topLevelItem(0)->childCount(), 0);
}

TEST_F(Viewer, RefusesWhatItCannotReadWithAMessage)
{
    const struct {
        const char* name;
        Bytes bytes;
        int message;
    } cases[] = {
        {"text.txt", Bytes{'h', 'e', 'l', 'l', 'o', '\n'}, msg::ViewerNotTachograph},
        {"empty.ddd", Bytes{}, msg::ViewerNotTachograph},
        {"smart.ddd", Concat({Bytes{0x76, 0x21}, Bytes(300, 0x00)}), msg::ViewerVuGeneration2},
    };
    for (const auto& c : cases) {
        boxes.boxes.clear();
        const QString path = WriteFile(dir, QString::fromLatin1(c.name), c.bytes);
        EXPECT_EQ(OpenViewer(path, lang::English), nullptr) << c.name;
        ASSERT_EQ(boxes.boxes.size(), 1u) << c.name;
        EXPECT_EQ(boxes.boxes[0].kind, TBox::Error);
        EXPECT_EQ(boxes.boxes[0].text, MessageText(c.message).arg(QDir::toNativeSeparators(path))) << c.name;
    }
    boxes.boxes.clear();
    EXPECT_EQ(OpenViewer(dir.filePath(QStringLiteral("absent.ddd")), lang::English), nullptr);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.contains(QStringLiteral("absent.ddd")));

    // A card cut short: what was read is shown, and that the rest is missing.
    Bytes cut = TwoDayCard();
    cut.resize(cut.size() - 10);
    TFormViewer viewer;
    ASSERT_TRUE(viewer.OpenFile(WriteFile(dir, QStringLiteral("cut.ddd"), cut)));
    EXPECT_FALSE(viewer.Problem().isEmpty());
    EXPECT_TRUE(viewer.lbIdentity->text().contains(QStringLiteral("DF000012345678")));
}

TEST_F(Viewer, OpensEverySample)
{
    const std::filesystem::path samples = SamplesDir();
    if (!std::filesystem::is_directory(samples))
        GTEST_SKIP() << "no samples folder " << samples << " (set PELLKIT_SAMPLES)";
    int opened = 0;
    std::size_t allDays = 0;
    for (const auto& entry : std::filesystem::directory_iterator(samples)) {
        if (entry.path().extension() != ".ddd")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        TFormViewer viewer;
        viewer.ApplyLanguage(lang::English);
        ASSERT_TRUE(viewer.OpenFile(QString::fromStdString(entry.path().string()))) << viewer.Problem().toStdString();
        EXPECT_FALSE(viewer.lbIdentity->text().isEmpty());
        ASSERT_FALSE(viewer.activityPanels.isEmpty());
        for (const TActivityPanel* panel : viewer.activityPanels)
            allDays += panel->chart->Days().size();
        EXPECT_GT(viewer.lvSignatures->topLevelItemCount(), 0);
        EXPECT_GT(viewer.tvRecords->topLevelItem(0)->childCount(), 0);
        ++opened;
    }
    if (opened == 0)
        GTEST_SKIP() << "no .ddd samples in " << samples;
    EXPECT_GT(allDays, 0u);
}

TEST_F(Viewer, OpensFromTheMainWindowAndFollowsItsLanguage)
{
    TStartedWindow started(dir.path());
    TFicheDownloadVexa& window = started.window;
    window.show();
    const QString card = WriteFile(dir, QStringLiteral("card.ddd"), TwoDayCard());
    const QString vu = WriteFile(dir, QStringLiteral("vu.ddd"), OneDayVu());
    const QString text = WriteFile(dir, QStringLiteral("notes.txt"), Bytes{'x'});

    // The new buttons sit in the window, clear of every other control.
    for (QPushButton* b : {window.btnOpenArchive, window.btnRegister}) {
        EXPECT_TRUE(window.rect().contains(b->geometry()));
        for (QWidget* other : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (other != b && other->isVisible()) {
                EXPECT_FALSE(b->geometry().intersects(other->geometry()))
                    << b->objectName().toStdString() << " over " << other->objectName().toStdString();
            }
    }

    // Files dropped on the window: each one the viewer reads opens; the
    // other is told.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(card), QUrl::fromLocalFile(text), QUrl::fromLocalFile(vu)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    ASSERT_EQ(window.Viewers.size(), 2);
    EXPECT_EQ(window.Viewers[0]->FilePath(), card);
    EXPECT_EQ(window.Viewers[1]->FilePath(), vu);
    EXPECT_TRUE(window.Viewers[0]->isVisible());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.contains(QStringLiteral("notes.txt")));

    // The files of the command line take the same road.
    window.OpenFiles({card});
    ASSERT_EQ(window.Viewers.size(), 3);

    // A new flag: the open viewers speak it at once.
    window.cbLanguage->setCurrentIndex(kGerman - lang::First);
    window.cbLanguageChange();
    EXPECT_EQ(window.btnOpenArchive->text(), MessageTextIn(kGerman, msg::OpenArchiveButton));
    EXPECT_EQ(window.btnRegister->text(), MessageTextIn(kGerman, msg::RegisterButton));
    for (const auto& viewer : window.Viewers) {
        ASSERT_TRUE(viewer);
        EXPECT_EQ(viewer->pcTabs->tabText(0), MessageTextIn(kGerman, msg::TabActivities));
        EXPECT_EQ(viewer->windowTitle(),
                  MessageTextIn(kGerman, msg::ViewerTitle).arg(QFileInfo(viewer->FilePath()).fileName()));
    }
    // A closed viewer is gone and forgotten.
    window.Viewers[0]->close();
    EXPECT_TRUE(WaitFor([&] {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return !window.Viewers[0];
    }, std::chrono::seconds(5)));
    SetCurrentLanguage(lang::English);
}

} // namespace
