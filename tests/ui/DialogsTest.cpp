// The configuration, clock and extension dialogs, driven through the main
// window as a user drives them, with the simulated Vexa on COM1.

#include "UiTestSupport.h"

#include "LinkFixture.h"
#include "VexaSim.h"
#include "uArdoVexa.h"
#include "uFicConfigVexa.h"
#include "uFicConfigVexaDateTime.h"
#include "uFormExtension.h"
#include "uMessageCodes.h"
#include "uQtSerialPort.h"
#include "uTranslation.h"
#include "uUpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimeEdit>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;
using namespace pellkit::test;
using namespace std::chrono_literals;

namespace {

std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (std::uint8_t b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 0x0F];
    }
    return s;
}

// The data of every request cmd the simulator received.
std::vector<std::string> RequestData(const VexaSim& sim, const char* cmd)
{
    std::vector<std::string> data;
    for (const QJsonObject& o : sim.Journal())
        if (o.value("dir").toString() == QLatin1String("rx") && o.value("cmd").toString() == QLatin1String(cmd))
            data.push_back(o.value("data").toString().toStdString());
    return data;
}

class Dialogs : public pellkit::test::LinkTest {
protected:
    void SetUp() override
    {
        ClearSettings();
        const fs::path empty = fs::path(home.path().toStdString()) / "empty.vexa";
        WriteFileBytes(empty, {});
        dataFile = empty.string();
    }
    void TearDown() override { SetExchangeTimeout(kDefaultExchangeTimeout); }

    // A simulator on COM1.
    std::unique_ptr<VexaSim> Sim(std::vector<std::string> extra = {})
    {
        std::vector<std::string> args{"--data", dataFile};
        args.insert(args.end(), extra.begin(), extra.end());
        auto sim = std::make_unique<VexaSim>(args);
        if (sim->Ok())
            SetSetting(QStringLiteral("Ports/COM1"), QString::fromStdString(sim->Port()));
        return sim;
    }

    QTemporaryDir home;
    std::string dataFile;
    TBoxRecorder boxes;
};

} // namespace

TEST_F(Dialogs, ConfirmedSettingsAreSavedAndReachTheVexa)
{
    enum Mode { Company, Workshop, Days };
    struct Case {
        const char* name;
        Mode mode;
        int days;
        int language;
        bool speed;
        int sentMode;
    };
    const Case cases[] = {
        {"since previous", Company, 77, 3, false, 0},
        {"total", Workshop, 77, 22, true, 1},
        {"last 2 days", Days, 2, 0, false, 2},
        {"last 255 days", Days, 255, 16, true, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.boxes.clear();
        auto sim = Sim();
        ASSERT_TRUE(sim->Ok()) << sim->Error();
        TStartedWindow started;
        TFicheDownloadVexa& w = started.window;
        WhenModal<TFicheConfigVexa>([&](TFicheConfigVexa& d) {
            d.cbActivite->setChecked(true);
            d.cbEvents->setChecked(false);
            d.cbSpeed->setChecked(c.speed);
            d.cbTechnicalData->setChecked(true);
            d.cbLangue->setCurrentIndex(c.language);
            d.rbLastDaysMode->click();
            d.udLastDays->SetPosition(c.days);
            (c.mode == Company ? d.rbCompanyMode : c.mode == Workshop ? d.rbWorkshopMode : d.rbLastDaysMode)->click();
            d.BitBtn1->click();
        });
        w.btnConfigurationClick();

        ASSERT_EQ(1u, boxes.boxes.size());
        EXPECT_EQ(TBox::Information, boxes.boxes[0].kind);
        EXPECT_EQ(MessageText(msg::SettingsSent), boxes.boxes[0].text);
        EXPECT_EQ((std::vector<std::string>{"70", "71", "72"}), sim->Requests());
        EXPECT_EQ((std::vector<std::string>{Hex(SettingsPayload(c.language, c.sentMode, true, false, c.speed, true))}),
                  RequestData(*sim, "71"));
        EXPECT_EQ(c.sentMode, Setting(QStringLiteral("Vexa/Mode")).toInt());
        EXPECT_EQ(c.language, Setting(QStringLiteral("Vexa/VexaLanguage")).toInt());
        EXPECT_EQ(c.speed ? 1 : 0, Setting(QStringLiteral("Vexa/Speed")).toInt());
        EXPECT_EQ(0, Setting(QStringLiteral("Vexa/Events")).toInt());
        EXPECT_TRUE(w.btnDownloading->isEnabled());
        EXPECT_TRUE(w.btnConfiguration->isEnabled());
    }
}

TEST_F(Dialogs, SavedValuesTheListsDoNotHoldOpenAsNoChoice)
{
    // No "Mode", a language past the list, and an overview switched off.
    SetSetting(QStringLiteral("Vexa/VexaLanguage"), 30);
    SetSetting(QStringLiteral("Vexa/Overview"), 0);
    auto sim = Sim();
    ASSERT_TRUE(sim->Ok()) << sim->Error();
    TStartedWindow started;
    WhenModal<TFicheConfigVexa>([&](TFicheConfigVexa& d) {
        EXPECT_TRUE(d.rbLastDaysMode->isChecked());
        EXPECT_EQ(2, d.udLastDays->Position());
        EXPECT_TRUE(d.edLastDays->isVisible());
        EXPECT_EQ(-1, d.cbLangue->currentIndex());
        EXPECT_FALSE(d.cbOverview->isChecked());
        d.BitBtn1->click();
    });
    started.window.btnConfigurationClick();
    EXPECT_EQ(-1, Setting(QStringLiteral("Vexa/VexaLanguage")).toInt());
    // Language FFh; the overview is requested whatever its box shows.
    EXPECT_EQ((std::vector<std::string>{Hex(SettingsPayload(-1, 2, true, true, false, false))}),
              RequestData(*sim, "71"));
}

TEST_F(Dialogs, ACancelledDialogSendsAndSavesNothing)
{
    SetSetting(QStringLiteral("Vexa/Mode"), 1);
    auto sim = Sim();
    ASSERT_TRUE(sim->Ok()) << sim->Error();
    TStartedWindow started;
    WhenModal<TFicheConfigVexa>([](TFicheConfigVexa& d) {
        EXPECT_TRUE(d.rbWorkshopMode->isChecked());
        EXPECT_FALSE(d.edLastDays->isVisible());
        d.rbCompanyMode->click();
        d.cbSpeed->setChecked(true);
        d.BitBtn2->click();
    });
    started.window.btnConfigurationClick();
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(sim->Requests().empty());
    EXPECT_EQ(1, Setting(QStringLiteral("Vexa/Mode")).toInt());
    EXPECT_FALSE(Setting(QStringLiteral("Vexa/Speed")).isValid());

    // The next showing reloads what is saved, not what the cancelled one showed.
    WhenModal<TFicheConfigVexa>([](TFicheConfigVexa& d) {
        EXPECT_TRUE(d.rbWorkshopMode->isChecked());
        EXPECT_FALSE(d.cbSpeed->isChecked());
        d.reject();
    });
    started.window.btnConfigurationClick();
}

TEST_F(Dialogs, AVexaThatDoesNotAnswerGetsOnlyTheHandshake)
{
    SetExchangeTimeout(1500ms);
    auto sim = Sim({"--silent", "70"});
    ASSERT_TRUE(sim->Ok()) << sim->Error();
    TStartedWindow started;
    WhenModal<TFicheConfigVexa>([](TFicheConfigVexa& d) {
        d.rbCompanyMode->click();
        d.BitBtn1->click();
    });
    started.window.btnConfigurationClick();
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(TBox::Message, boxes.boxes[0].kind);
    EXPECT_EQ(MessageText(msg::SettingsFailed), boxes.boxes[0].text);
    EXPECT_EQ((std::vector<std::string>{"70"}), sim->Requests());
    // Saved all the same.
    EXPECT_EQ(0, Setting(QStringLiteral("Vexa/Mode")).toInt());
    EXPECT_TRUE(started.window.btnConfiguration->isEnabled());
}

TEST_F(Dialogs, TheDeviceDialogsTakeTheWindowsLanguageWhenTheyOpen)
{
    TStartedWindow started;
    TFicheDownloadVexa& w = started.window;
    constexpr int kGreek = 11;
    w.cbLanguage->setCurrentIndex(kGreek - lang::First);
    w.cbLanguageChange();
    WhenModal<TFicheConfigVexa>([&](TFicheConfigVexa& d) {
        EXPECT_EQ(kGreek, d.InterfaceLanguage);
        EXPECT_EQ(161, WidgetCharset(d));
        EXPECT_EQ(161, WidgetCharset(*d.Label1));
        EXPECT_EQ(MessageTextIn(kGreek, msg::Configuration), d.windowTitle());
        EXPECT_EQ(MessageTextIn(kGreek, msg::DateWord) + QStringLiteral(" && ") + MessageTextIn(kGreek, msg::TimeWord),
                  d.bbtnDateAndTime->text());
        EXPECT_EQ(MessageTextIn(kGreek, msg::kVexaLanguageCodes[16]), d.cbLangue->itemText(16));
        WhenModal<TFicheConfigVexaDateTime>([&](TFicheConfigVexaDateTime& clock) {
            EXPECT_EQ(161, WidgetCharset(clock));
            EXPECT_EQ(MessageTextIn(kGreek, msg::UseVexaClock), clock.cbUseVexaRealtimeClock->text());
            clock.reject();
        });
        d.bbtnDateAndTime->click();
        d.reject();
    });
    w.btnConfigurationClick();
}

TEST_F(Dialogs, TheClockGoesOutWithoutItsSeconds)
{
    auto sim = Sim();
    ASSERT_TRUE(sim->Ok()) << sim->Error();
    TStartedWindow started;
    WhenModal<TFicheConfigVexa>([&](TFicheConfigVexa& config) {
        WhenModal<TFicheConfigVexaDateTime>([&](TFicheConfigVexaDateTime& clock) {
            EXPECT_EQ(MessageText(msg::DateWord) + QStringLiteral(" & ") + MessageText(msg::TimeWord),
                      clock.windowTitle());
            EXPECT_TRUE(clock.cbUseVexaRealtimeClock->isChecked());
            clock.DateTimePicker1->setDate(QDate(2008, 3, 15));
            clock.DateTimePicker2->setTime(QTime(14, 30, 59));
            clock.BitBtn1->click();
        });
        config.bbtnDateAndTime->click();
        config.reject();
    });
    started.window.btnConfigurationClick();

    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(TBox::Information, boxes.boxes[0].kind);
    EXPECT_EQ(MessageText(msg::ClockSent), boxes.boxes[0].text);
    EXPECT_EQ((std::vector<std::string>{"67", "71", "72"}), sim->Requests());
    EXPECT_EQ((std::vector<std::string>{"0F03080E1E01"}), RequestData(*sim, "71"));
    EXPECT_EQ(1, Setting(QStringLiteral("Vexa/useRealtimeClock")).toInt());
}

TEST_F(Dialogs, AClockTheVexaDoesNotTakeIsAnErrorAndTheOptionStaysSaved)
{
    SetExchangeTimeout(1500ms);
    struct Case {
        const char* name;
        std::vector<std::string> sim;
        std::vector<std::string> requests;
        int result;  // whose text follows the failure, about the clock
    };
    const Case cases[] = {
        {"no answer to 67h", {"--silent", "67"}, {"67"}, -101},
        {"write refused, still ended", {"--status", "71=75"}, {"67", "71", "72"}, -111},
        {"write refused with 74h", {"--status", "71=74"}, {"67", "71", "72"}, -110},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.boxes.clear();
        auto sim = Sim(c.sim);
        ASSERT_TRUE(sim->Ok()) << sim->Error();
        TQtSerialPort port;
        port.SetName("COM1");
        TFicheConfigVexaDateTime clock;
        clock.ApplyLanguage(lang::English);
        WhenModal<TFicheConfigVexaDateTime>([](TFicheConfigVexaDateTime& d) {
            d.cbUseVexaRealtimeClock->setChecked(false);
            d.BitBtn1->click();
        });
        EXPECT_EQ(QDialog::Accepted, clock.RunModal(port));
        ASSERT_EQ(1u, boxes.boxes.size());
        EXPECT_EQ(TBox::Error, boxes.boxes[0].kind);
        EXPECT_EQ(MessageText(msg::ClockFailed) + "\n" + SettingsResultText(c.result, true), boxes.boxes[0].text);
        EXPECT_FALSE(boxes.boxes[0].text.contains(MessageText(msg::DownloadCancelled)));
        EXPECT_EQ(c.requests, sim->Requests());
        EXPECT_EQ(0, Setting(QStringLiteral("Vexa/useRealtimeClock")).toInt());
        EXPECT_TRUE(clock.BitBtn1->isEnabled());
    }
}

TEST_F(Dialogs, ExtensionChoicesAreStored)
{
    TStartedWindow started;
    TFicheDownloadVexa& w = started.window;
    WhenModal<TFormExtension>([](TFormExtension& e) {
        EXPECT_EQ(0, e.tachoComboBox->currentIndex());
        e.smartCardComboBox->setCurrentIndex(1); // .c1b
        e.tachoComboBox->setCurrentIndex(2);     // .tgd
        e.Button1->click();
    });
    w.btnExtensionsClick();
    EXPECT_EQ(1, Setting(QStringLiteral("Vexa/defaultCardFileformat")).toInt());
    EXPECT_EQ(2, Setting(QStringLiteral("Vexa/defaultVehicleFileformat")).toInt());
    w.FormActivate();
    EXPECT_EQ(1, w.CardArchiveFormat);
    EXPECT_EQ(2, w.VehicleArchiveFormat);

    // A typed text that names no entry is -1.
    WhenModal<TFormExtension>([](TFormExtension& e) {
        EXPECT_EQ(2, e.tachoComboBox->currentIndex());
        e.tachoComboBox->setEditText(QStringLiteral(".xyz"));
        e.Button1->click();
    });
    w.btnExtensionsClick();
    EXPECT_EQ(-1, Setting(QStringLiteral("Vexa/defaultVehicleFileformat")).toInt());
    EXPECT_EQ(1, Setting(QStringLiteral("Vexa/defaultCardFileformat")).toInt());

    // The close box changes nothing, and writes it again.
    SetSetting(QStringLiteral("Vexa/defaultCardFileformat"), 99);
    WhenModal<TFormExtension>([](TFormExtension& e) {
        e.smartCardComboBox->setCurrentIndex(3);
        e.close();
    });
    w.btnExtensionsClick();
    EXPECT_EQ(1, Setting(QStringLiteral("Vexa/defaultCardFileformat")).toInt());
    EXPECT_EQ(-1, Setting(QStringLiteral("Vexa/defaultVehicleFileformat")).toInt());

    // A stored value past the list opens with no entry selected.
    SetSetting(QStringLiteral("Vexa/defaultVehicleFileformat"), 7);
    w.FormActivate();
    WhenModal<TFormExtension>([](TFormExtension& e) {
        EXPECT_EQ(-1, e.tachoComboBox->currentIndex());
        e.reject();
    });
    w.btnExtensionsClick();
}
