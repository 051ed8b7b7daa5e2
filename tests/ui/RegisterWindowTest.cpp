// The register window over a folder built here: read on its worker while
// the event loop runs on, sorted, its due rows marked in words and colour,
// the files it leaves out listed apart, a row opening the viewer, and the
// main window's button and its refresh after a download's account.

#include "UiTestSupport.h"

#include "CardImageBuilder.h"
#include "VuBlockBuilder.h"
#include "uFormRegister.h"
#include "uFormViewer.h"
#include "uMessageCodes.h"
#include "uTranslation.h"

#include <QFile>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace pellkit::test;

namespace {

constexpr int kGerman = 5;

constexpr std::uint32_t kToday = 1717243200; // 2024-06-01 12:00 UTC
constexpr std::uint32_t kDays = 86400;

void Write(const QString& path, const Bytes& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

Bytes Card(const char* number, const char* surname, std::uint32_t lastDownload)
{
    return MakeCardImage(TCardFields().Number(number).Holder(surname, "A").LastDownload(lastDownload));
}

class RegisterWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettings();
        SetCurrentLanguage(lang::English);
        // Overdue (40 days ago), due within the week (25 days ago), up to
        // date (yesterday); a VU downloaded 10 days ago; and a text file.
        Write(dir.filePath(QStringLiteral("late.ddd")), Card("ES00000000000001", "LATE", kToday - 40 * kDays));
        Write(dir.filePath(QStringLiteral("soon.bin")), Card("ES00000000000002", "SOON", kToday - 25 * kDays));
        Write(dir.filePath(QStringLiteral("fresh")), Card("ES00000000000003", "FRESH", kToday - kDays));
        Write(dir.filePath(QStringLiteral("truck.ddd")),
              MakeOverviewResponse(0x0D, "AB 123 CD", "WDB9634031L123456", kToday - 10 * kDays));
        Write(dir.filePath(QStringLiteral("notes.txt")), Bytes{'n', 'o', 't', 'e', 's'});
    }

    void Prepare(TFormRegister& form)
    {
        form.Today = [] { return kToday; };
        form.CacheFile = std::filesystem::path(cache.filePath(QStringLiteral("register.db")).toStdString());
        form.SetFolders({std::filesystem::path(dir.path().toStdString())});
        form.ApplyLanguage(lang::English);
    }

    // The row of the table (as sorted) whose holder or registration is text.
    static int RowOf(const TFormRegister& form, const QString& text)
    {
        for (int r = 0; r < form.sorted->rowCount(); ++r)
            for (const int c : {TRegisterModel::Holder, TRegisterModel::Registration})
                if (form.sorted->index(r, c).data().toString() == text)
                    return r;
        return -1;
    }

    TBoxRecorder boxes;
    QTemporaryDir dir;
    QTemporaryDir cache;
};

TEST_F(RegisterWindow, ReadsOnItsWorkerSortsAndMarksWhatIsDue)
{
    TFormRegister form;
    Prepare(form);
    form.show();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(0);

    form.Refresh();
    // Refresh returns at once: the rows can only come through the event loop.
    EXPECT_TRUE(form.Loading());
    EXPECT_EQ(form.model->rowCount(), 0);
    ASSERT_TRUE(WaitFor([&] { return !form.Loading(); }, std::chrono::seconds(30)));
    EXPECT_GT(ticks, 0);
    ASSERT_EQ(form.model->rowCount(), 4);
    EXPECT_EQ(form.lbStatus->text(), MessageText(msg::RegisterCounts).arg(3).arg(1));

    // The most urgent first; each state said in words, the due ones coloured.
    const struct {
        const char* who;
        int daysLeft;
        int state;
        bool coloured;
    } expected[] = {
        {"LATE, A", -12, msg::RegisterOverdue, true},
        {"SOON, A", 3, msg::RegisterDueSoon, true},
        {"FRESH, A", 27, msg::RegisterDueOk, false},
        {"AB 123 CD", 80, msg::RegisterDueOk, false},
    };
    for (int i = 0; i < 4; ++i) {
        const auto& e = expected[i];
        const int row = RowOf(form, QString::fromLatin1(e.who));
        ASSERT_EQ(row, i) << e.who;
        EXPECT_EQ(form.sorted->index(row, TRegisterModel::DaysLeft).data().toInt(), e.daysLeft) << e.who;
        EXPECT_EQ(form.sorted->index(row, TRegisterModel::State).data().toString(), MessageText(e.state)) << e.who;
        EXPECT_EQ(form.sorted->index(row, TRegisterModel::State).data(Qt::BackgroundRole).isValid(), e.coloured)
            << e.who;
    }

    // Sorted by a column's values, not its text: -12 before 3 before 27 ...
    form.tvRegister->sortByColumn(TRegisterModel::DaysLeft, Qt::DescendingOrder);
    EXPECT_EQ(RowOf(form, QStringLiteral("AB 123 CD")), 0);
    EXPECT_EQ(RowOf(form, QStringLiteral("LATE, A")), 3);
    form.tvRegister->sortByColumn(TRegisterModel::Holder, Qt::AscendingOrder);
    EXPECT_LT(RowOf(form, QStringLiteral("FRESH, A")), RowOf(form, QStringLiteral("LATE, A")));

    // The text file is listed apart, with what it is.
    ASSERT_EQ(form.lvOthers->topLevelItemCount(), 1);
    EXPECT_TRUE(form.lvOthers->topLevelItem(0)->text(0).endsWith(QStringLiteral("notes.txt")));
    EXPECT_EQ(form.lvOthers->topLevelItem(0)->text(1), MessageText(msg::RegisterNotTachograph));

    // A double click opens the viewer on the row's latest archive.
    TFormViewer* opened = nullptr;
    QObject::connect(&form, &TFormRegister::ViewerOpened, [&](TFormViewer* v) { opened = v; });
    const int soon = RowOf(form, QStringLiteral("SOON, A"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QRect cell = form.tvRegister->visualRect(form.sorted->index(soon, TRegisterModel::Holder));
    ASSERT_TRUE(form.tvRegister->viewport()->rect().contains(cell.center()));
    // A double click is a press and release, then a second press as a double click.
    QTest::mouseClick(form.tvRegister->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(form.tvRegister->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(opened->FilePath().endsWith(QStringLiteral("soon.bin")));
    EXPECT_TRUE(opened->lbIdentity->text().contains(QStringLiteral("ES00000000000002")));
    delete opened;
}

TEST_F(RegisterWindow, ClosingStopsTheReadingAndTheLanguageFollows)
{
    {
        TFormRegister form;
        Prepare(form);
        form.show();
        form.Refresh();
        form.close();
        EXPECT_FALSE(form.Loading());
    }

    TStartedWindow started(dir.path());
    TFicheDownloadVexa& window = started.window;
    window.show();
    window.btnRegister->click();
    ASSERT_TRUE(window.Register);
    TFormRegister& form = *window.Register;
    EXPECT_TRUE(form.isVisible());
    ASSERT_TRUE(WaitFor([&] { return !form.Loading(); }, std::chrono::seconds(30)));
    EXPECT_EQ(form.model->rowCount(), 4);

    // A new archive: the button reads the register again.
    Write(dir.filePath(QStringLiteral("new.ddd")), Card("ES00000000000009", "NEW", kToday));
    window.btnRegister->click();
    ASSERT_TRUE(WaitFor([&] { return !form.Loading(); }, std::chrono::seconds(30)));
    EXPECT_EQ(form.model->rowCount(), 5);

    window.cbLanguage->setCurrentIndex(kGerman - lang::First);
    window.cbLanguageChange();
    EXPECT_EQ(form.btnRefresh->text(), MessageTextIn(kGerman, msg::RegisterRefresh));
    EXPECT_EQ(form.model->headerData(TRegisterModel::DaysLeft, Qt::Horizontal, Qt::DisplayRole).toString(),
              MessageTextIn(kGerman, msg::RegisterColumnDaysLeft));
    SetCurrentLanguage(lang::English);
}

} // namespace
