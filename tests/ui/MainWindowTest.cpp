// The main window without a Vexa: start-up, language, port choice,
// destination, the settings it keeps, and the boxes it refuses a start with.

#include "UiTestSupport.h"

#include "LinkFixture.h"
#include "uFicConfigVexaDateTime.h"
#include "uFlags.h"
#include "uFormExtension.h"
#include "uMessageCodes.h"
#include "uRadioGroup.h"
#include "uSpool.h"
#include "uTranslation.h"
#include "uUpDown.h"
#include "uWindowPlacement.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTest>
#include <QAbstractItemDelegate>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>

using namespace pellkit::test;

namespace {

class MainWindow : public pellkit::test::LinkTest {
protected:
    void SetUp() override { ClearSettings(); }
    TBoxRecorder boxes;
};

void ExpectCaptionsIn(const TFicheDownloadVexa& w, int language)
{
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Pellkit 1.2"));
    const std::pair<QString, int> captions[] = {
        {w.Label1->text(), msg::LabelSelectPort},     {w.rgPortCom->title(), msg::GroupComPort},
        {w.rgPortCom->Item(4)->text(), msg::PortOther}, {w.cbNePasEffacer->text(), msg::KeepDataFile},
        {w.btnConfiguration->text(), msg::Configuration}, {w.btnDownloading->text(), msg::Downloading},
        {w.btnExtensions->text(), msg::FileExtensions}, {w.btnDestination->text(), msg::Destination},
        {w.btnCancel->text(), msg::Cancel},
    };
    for (const auto& [text, code] : captions) {
        EXPECT_FALSE(text.isEmpty()) << code;
        EXPECT_EQ(text, MessageTextIn(language, code)) << code;
    }
}

} // namespace

TEST_F(MainWindow, FirstStartWithoutSettings)
{
    TStartedWindow started;
    TFicheDownloadVexa& w = started.window;

    EXPECT_EQ(0, w.cbLanguage->currentIndex());
    EXPECT_EQ(lang::French, CurrentLanguage());
    EXPECT_EQ(lang::French, w.InterfaceLanguage);
    ExpectCaptionsIn(w, lang::French);
    EXPECT_EQ(TFicheDownloadVexa::ExecutableDirectory(), w.DestinationDir);
    EXPECT_EQ(w.DestinationDir, w.Edit1->text());
    EXPECT_TRUE(w.Edit1->isReadOnly());
    EXPECT_FALSE(w.Edit1->isEnabled());

    w.show();
    w.FormActivate();
    EXPECT_EQ(0, w.rgPortCom->ItemIndex());
    EXPECT_EQ(std::optional<int>(1), w.PortNumber());
    EXPECT_TRUE(w.cbNePasEffacer->isChecked());
    EXPECT_FALSE(w.edAutrePortCOM->isEnabled());
    EXPECT_EQ(0, w.CardArchiveFormat);
    EXPECT_EQ(0, w.VehicleArchiveFormat);
    EXPECT_EQ(0, w.ProgressBar1->minimum());
    EXPECT_EQ(255, w.ProgressBar1->maximum());
    EXPECT_EQ(QSize(541, 389), w.size());
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_FALSE(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(QStringLiteral("Quit application"), w.QuitButton->toolTip());
    EXPECT_EQ(20, w.cbLanguage->count());
    EXPECT_EQ(20, w.ImageList1.size());
    EXPECT_EQ(kFlagSize, w.ImageList1.front().size());
    EXPECT_EQ(4, w.cbLanguage->maxVisibleItems());
    EXPECT_EQ(35, w.cbLanguage->itemDelegate()->sizeHint({}, w.cbLanguage->model()->index(0, 0)).height());
    EXPECT_TRUE(boxes.boxes.empty());

    // Nothing was stored before the settings existed; the first activation
    // made them, so the language is kept from now on.
    EXPECT_FALSE(Setting(QStringLiteral("Vexa/Language")).isValid());
    EXPECT_EQ(0, Setting(QStringLiteral("Vexa/defaultCardFileformat")).toInt());
    w.cbLanguage->setCurrentIndex(1);
    w.cbLanguageChange();
    EXPECT_EQ(lang::English, Setting(QStringLiteral("Vexa/Language")).toInt());
}

TEST_F(MainWindow, StoredLanguagesOutsideTheFlagsSpeakEnglish)
{
    for (int stored : {50, 1}) {
        SCOPED_TRACE(stored);
        ClearSettings();
        SetSetting(QStringLiteral("Vexa/Language"), stored);
        TStartedWindow started;
        EXPECT_EQ(-1, started.window.cbLanguage->currentIndex());
        EXPECT_EQ(stored, CurrentLanguage());
        EXPECT_EQ(stored, started.window.InterfaceLanguage);
        ExpectCaptionsIn(started.window, lang::English);
        EXPECT_EQ(stored, Setting(QStringLiteral("Vexa/Language")).toInt());
    }
}

TEST_F(MainWindow, AFlagChangeRewritesTheMainWindowAndTheExtensionDialogAtOnce)
{
    SetSetting(QStringLiteral("Vexa/Language"), lang::English);
    TStartedWindow started;
    TFicheDownloadVexa& w = started.window;
    // The extension dialog speaks the stored language from the start.
    EXPECT_EQ(MessageTextIn(lang::English, msg::Tachograph), w.FormExtension->Label1->text());

    constexpr int kGreek = 11;
    w.cbLanguage->setCurrentIndex(kGreek - lang::First);
    w.cbLanguageChange();
    EXPECT_EQ(kGreek, CurrentLanguage());
    ExpectCaptionsIn(w, kGreek);
    EXPECT_EQ(MessageTextIn(kGreek, msg::FileExtensions), w.FormExtension->windowTitle());
    EXPECT_EQ(MessageTextIn(kGreek, msg::FileExtensions), w.FormExtension->GroupBox1->title());
    EXPECT_EQ(MessageTextIn(kGreek, msg::Tachograph), w.FormExtension->Label1->text());
    EXPECT_EQ(MessageTextIn(kGreek, msg::SmartCard), w.FormExtension->Label2->text());
    EXPECT_EQ(QStringLiteral("Ok"), w.FormExtension->Button1->text());
    EXPECT_EQ(161, WidgetCharset(w));
    EXPECT_EQ(161, WidgetCharset(*w.FormExtension));
    EXPECT_EQ(kGreek, Setting(QStringLiteral("Vexa/Language")).toInt());

    w.cbLanguage->setCurrentIndex(17); // Russian
    w.cbLanguageChange();
    EXPECT_EQ(204, WidgetCharset(w));
    w.cbLanguage->setCurrentIndex(0);
    w.cbLanguageChange();
    EXPECT_EQ(1, WidgetCharset(w));
}

TEST_F(MainWindow, PortChoice)
{
    TStartedWindow started;
    TFicheDownloadVexa& w = started.window;
    struct Case {
        int entry;
        const char* other;
        const char* device;
        std::optional<int> port;
        const char* name;  // as the port is opened, and as pellkit-cli finds it
    };
    const Case cases[] = {
        {0, "1", "", 1, "COM1"},           {1, "1", "", 2, "COM2"},          {3, "9", "", 4, "COM4"},
        {4, "7", "", 7, "COM7"},           {4, "300", "", 300, "COM300"},    {4, "999", "", 300, "COM300"},
        {4, "0", "", 1, "COM1"},           {2, "5", "/dev/ttyUSB0", 3, "COM3"},
        {5, "5", " /dev/ttyUSB0 ", std::nullopt, "/dev/ttyUSB0"},
        {5, "5", "", std::nullopt, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        SCOPED_TRACE(c.other);
        w.edAutrePortCOM->setText(QString::fromLatin1(c.other));
        w.cbPortDevice->setEditText(QString::fromLatin1(c.device));
        w.rgPortCom->Item(c.entry)->click();
        EXPECT_EQ(c.port, w.PortNumber());
        const std::optional<QString> name = c.name ? std::optional(QString::fromLatin1(c.name)) : std::nullopt;
        EXPECT_EQ(name, w.PortName());
        EXPECT_EQ(name.value_or(QString()), Setting(QStringLiteral("Vexa/Port")).toString());
        EXPECT_EQ(c.entry == 4, w.edAutrePortCOM->isEnabled());
        EXPECT_EQ(c.entry == 4, w.UpDown1->isEnabled());
    }

    w.rgPortCom->SetItemIndex(-1);
    EXPECT_EQ(std::nullopt, w.PortNumber());
    EXPECT_EQ(std::nullopt, w.PortName());
    w.btnDownloadingClick();
    w.btnConfigurationClick();
    ASSERT_EQ(2u, boxes.boxes.size());
    EXPECT_EQ(TBox::Message, boxes.boxes[0].kind);
    EXPECT_EQ(nullptr, boxes.boxes[0].owner);
    EXPECT_EQ(MessageText(msg::NoPortSelected), boxes.boxes[0].text);
    EXPECT_EQ(TBox::Error, boxes.boxes[1].kind);
    EXPECT_EQ(MessageText(msg::NoPortSelected), boxes.boxes[1].text);
    EXPECT_EQ(nullptr, w.Worker);
    EXPECT_TRUE(w.btnDownloading->isEnabled());
}

// The device field offers the ports the system lists, with what the adapter
// says of itself; picking one shows its path and chooses the entry.
TEST_F(MainWindow, TheDeviceFieldOffersTheDetectedPorts)
{
    TStartedWindow started;
    TFicheDownloadVexa& w = started.window;
    w.ListPorts = [] {
        return QList<TDetectedPort>{{QStringLiteral("/dev/ttyS0"), {}},
                                    {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FT232R USB UART")}};
    };
    w.show();
    ASSERT_EQ(2, w.cbPortDevice->count());
    EXPECT_EQ(QStringLiteral("/dev/ttyS0"), w.cbPortDevice->itemText(0));
    EXPECT_EQ(QStringLiteral("/dev/ttyUSB0 \u2014 FT232R USB UART"), w.cbPortDevice->itemText(1));
    EXPECT_TRUE(w.cbPortDevice->currentText().isEmpty());

    w.cbPortDevice->setCurrentIndex(1);
    emit w.cbPortDevice->activated(1);
    EXPECT_EQ(QStringLiteral("/dev/ttyUSB0"), w.cbPortDevice->currentText());
    EXPECT_EQ(5, w.rgPortCom->ItemIndex());
    EXPECT_EQ(std::optional(QStringLiteral("/dev/ttyUSB0")), w.PortName());
    EXPECT_EQ(QStringLiteral("/dev/ttyUSB0"), Setting(QStringLiteral("Vexa/Port")).toString());

    // Typing a path chooses the entry as well, and is kept from close to next show.
    w.rgPortCom->Item(0)->click();
    w.cbPortDevice->lineEdit()->clear();
    QTest::keyClicks(w.cbPortDevice->lineEdit(), QStringLiteral("/dev/ttyACM1"));
    EXPECT_EQ(5, w.rgPortCom->ItemIndex());
    EXPECT_EQ(std::optional(QStringLiteral("/dev/ttyACM1")), w.PortName());
    w.close();
    TStartedWindow next;
    next.window.show();
    EXPECT_EQ(std::optional(QStringLiteral("/dev/ttyACM1")), next.window.PortName());
}

TEST_F(MainWindow, AnUnusableDestinationRefusesTheDownload)
{
    TStartedWindow started(QStringLiteral("/nonexistent/pellkit-dest"));
    started.window.btnDownloadingClick();
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(TBox::Message, boxes.boxes[0].kind);
    EXPECT_EQ(nullptr, boxes.boxes[0].owner);
    EXPECT_EQ(MessageText(msg::DestinationUnusable), boxes.boxes[0].text);
    EXPECT_EQ(nullptr, started.window.Worker);
    EXPECT_TRUE(started.window.btnDownloading->isEnabled());
}

TEST_F(MainWindow, DestinationChooser)
{
    QTemporaryDir first, second;
    const QString firstDir = QDir::toNativeSeparators(first.path() + QLatin1Char('/'));
    TStartedWindow started(first.path());
    TFicheDownloadVexa& w = started.window;

    // Cancel on an existing destination keeps it and writes it again.
    WhenModal<QFileDialog>([&](QFileDialog& d) {
        EXPECT_EQ(QDir(first.path()), d.directory());
        d.reject();
    });
    w.btnDestinationClick();
    EXPECT_EQ(firstDir, w.DestinationDir);
    EXPECT_EQ(firstDir, Setting(QStringLiteral("Vexa/DestDir")).toString());

    WhenModal<QFileDialog>([&](QFileDialog& d) {
        d.setDirectory(second.path());
        static_cast<QDialog&>(d).accept();
    });
    w.btnDestinationClick();
    const QString secondDir = QDir::toNativeSeparators(second.path() + QLatin1Char('/'));
    EXPECT_EQ(secondDir, w.DestinationDir);
    EXPECT_EQ(secondDir, w.Edit1->text());
    EXPECT_EQ(secondDir, Setting(QStringLiteral("Vexa/DestDir")).toString());

    // A destination that is gone is emptied, saved empty, and the next start
    // takes the executable's folder.
    w.DestinationDir = QStringLiteral("/nonexistent/pellkit-dest/");
    WhenModal<QFileDialog>([](QFileDialog& d) { d.reject(); });
    w.btnDestinationClick();
    EXPECT_TRUE(w.DestinationDir.isEmpty());
    EXPECT_EQ(QString(), Setting(QStringLiteral("Vexa/DestDir")).toString());
    TStartedWindow next;
    EXPECT_EQ(TFicheDownloadVexa::ExecutableDirectory(), next.window.DestinationDir);
}

TEST_F(MainWindow, ChoicesAndPlacementAreKeptFromCloseToNextShow)
{
    {
        TStartedWindow started;
        TFicheDownloadVexa& w = started.window;
        w.show();
        w.move(140, 120);
        w.rgPortCom->Item(4)->click();
        w.edAutrePortCOM->setText(QStringLiteral("12"));
        w.cbNePasEffacer->setChecked(false);
        w.QuitButton->click();
        EXPECT_FALSE(w.isVisible());
    }
    EXPECT_EQ(QStringLiteral("12"), Setting(QStringLiteral("FicheDownloadVexa/edAutrePortCOM_Text")).toString());
    EXPECT_EQ(4, Setting(QStringLiteral("FicheDownloadVexa/rgPortCom_ItemIndex")).toInt());
    EXPECT_EQ(0, Setting(QStringLiteral("FicheDownloadVexa/cbNePasEffacer_Checked")).toInt());
    EXPECT_EQ(1, Setting(QStringLiteral("FicheDownloadVexa/ShowCmd")).toInt());
    EXPECT_EQ(0, Setting(QStringLiteral("FicheDownloadVexa/FormVersion")).toInt());
    EXPECT_TRUE(Setting(QStringLiteral("FicheDownloadVexa/PixelsPerInch")).toInt() > 0);
    EXPECT_EQ(QStringLiteral("-1,-1,-1,-1"), Setting(QStringLiteral("FicheDownloadVexa/MinMaxPos")).toString());
    const auto norm = ParseRectText(Setting(QStringLiteral("FicheDownloadVexa/NormPos")).toString());
    ASSERT_TRUE(norm.has_value());
    EXPECT_GE(norm->width(), 541);

    TStartedWindow next;
    TFicheDownloadVexa& w = next.window;
    w.show();
    EXPECT_EQ(4, w.rgPortCom->ItemIndex());
    EXPECT_EQ(std::optional<int>(12), w.PortNumber());
    EXPECT_TRUE(w.edAutrePortCOM->isEnabled());
    EXPECT_FALSE(w.cbNePasEffacer->isChecked());
    EXPECT_EQ(norm->topLeft(), w.frameGeometry().topLeft());
}

TEST_F(MainWindow, ALeftoverSafetyCopyIsOfferedForStoringAtStartUp)
{
    QTemporaryDir spool;
    TStartedWindow started({}, spool.path());
    started.window.ReportSpoolLeftovers();
    EXPECT_TRUE(boxes.boxes.empty());

    const QString path = QDir(spool.path()).filePath(QStringLiteral("download-20240102-030405-006.vexa"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\xF0\x00", 2);
    f.close();
    ASSERT_EQ(QStringList{path}, SpoolLeftovers(spool.path()));
    started.window.ReportSpoolLeftovers();
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(TBox::Question, boxes.boxes[0].kind);
    EXPECT_TRUE(boxes.boxes[0].text.contains(QDir::toNativeSeparators(path)));
    EXPECT_TRUE(boxes.boxes[0].text.contains(started.window.DestinationDir));
    EXPECT_FALSE(boxes.boxes[0].text.contains(QStringLiteral("pellkit-cli")));
    // Later: it stays for the next time.
    EXPECT_EQ(QStringList{path}, SpoolLeftovers(spool.path()));
}

// Qt's own texts follow the flag: from Qt's translation where Debian has one,
// from the catalogue where it has none; English is Qt's own.
TEST_F(MainWindow, TheFolderChooserSpeaksTheInterfaceLanguage)
{
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_de.qm")))
        GTEST_SKIP() << "Qt's translations are not installed (Debian: qt6-translations-l10n)";
    QTemporaryDir dest;
    TStartedWindow started(dest.path());
    TFicheDownloadVexa& w = started.window;
    struct Case {
        int language;
        QString lookIn;
        QString cancel;  // the standard button
        QLocale::Language locale;
    };
    constexpr int kGerman = 5, kGreek = 11;
    const Case cases[] = {
        {kGerman, QStringLiteral("Suchen in:"), QStringLiteral("Abbrechen"), QLocale::German},
        {kGreek, MessageTextIn(kGreek, msg::QtLookIn), MessageTextIn(kGreek, msg::Cancel), QLocale::Greek},
        {lang::English, QStringLiteral("Look in:"), QStringLiteral("Cancel"), QLocale::English},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        w.cbLanguage->setCurrentIndex(c.language - lang::First);
        w.cbLanguageChange();
        EXPECT_EQ(c.locale, QLocale().language());
        EXPECT_EQ(c.cancel, QCoreApplication::translate("QPlatformTheme", "Cancel"));
        // The clock dialog is made anew at each opening: its calendar names
        // the months in the language.
        TFicheConfigVexaDateTime clock;
        EXPECT_EQ(c.locale, clock.DateTimePicker1->calendarWidget()->locale().language());
        QString shown;
        WhenModal<QFileDialog>([&](QFileDialog& d) {
            if (auto* label = d.findChild<QLabel*>(QStringLiteral("lookInLabel")))
                shown = label->text();
            d.reject();
        });
        w.btnDestinationClick();
        EXPECT_EQ(c.lookIn, shown);
    }
}

// Each flag is named, to the eye and to accessibility tools, as its speakers
// name their language; the window keeps its sans-serif face for Greek,
// Cyrillic and the Baltic languages wherever that face writes them.
TEST_F(MainWindow, FlagsAreNamedAndEveryScriptKeepsTheWindowsFace)
{
    TStartedWindow started;
    TFicheDownloadVexa& w = started.window;
    for (int i = 0; i < w.cbLanguage->count(); ++i) {
        const QString name = w.cbLanguage->itemData(i, Qt::ToolTipRole).toString();
        EXPECT_FALSE(name.isEmpty()) << i;
        EXPECT_EQ(name, w.cbLanguage->itemData(i, Qt::AccessibleTextRole).toString()) << i;
    }
    EXPECT_EQ(QStringLiteral("Deutsch"), w.cbLanguage->itemData(3, Qt::ToolTipRole).toString());
    EXPECT_EQ(QStringLiteral("Ελληνικά"), w.cbLanguage->itemData(9, Qt::ToolTipRole).toString());

    const QString face = QFontInfo(TahomaFont()).family();
    const std::pair<int, QFontDatabase::WritingSystem> scripts[] = {
        {11, QFontDatabase::Greek}, {19, QFontDatabase::Cyrillic}, {17, QFontDatabase::Latin}, {20, QFontDatabase::Latin}};
    for (const auto& [language, script] : scripts) {
        SCOPED_TRACE(language);
        w.cbLanguage->setCurrentIndex(language - lang::First);
        w.cbLanguageChange();
        EXPECT_EQ(w.cbLanguage->itemData(language - lang::First, Qt::ToolTipRole).toString(), w.cbLanguage->toolTip());
        EXPECT_EQ(w.cbLanguage->toolTip(), w.cbLanguage->accessibleName());
        if (QFontDatabase::writingSystems(face).contains(script)) {
            EXPECT_EQ(face, QFontInfo(w.font()).family());
            EXPECT_EQ(face, QFontInfo(w.FormExtension->font()).family());
        }
    }
}
