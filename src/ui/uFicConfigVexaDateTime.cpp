#include "uFicConfigVexaDateTime.h"

#include "uBoxes.h"
#include "uDeviceFlows.h"
#include "uFormSupport.h"
#include "uLocalization.h"
#include "uMessageCodes.h"
#include "uSerialPort.h"
#include "uTranslation.h"
#include "uWrapCheckBox.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QPushButton>
#include <QTimeEdit>

#include <exception>

namespace {

template <class W> W* Named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// Whatever way the flow is left, the buttons come back.
class TButtonsOff {
public:
    TButtonsOff(QWidget& a, QWidget& b) : a_(a), b_(b)
    {
        a_.setEnabled(false);
        b_.setEnabled(false);
    }
    ~TButtonsOff()
    {
        a_.setEnabled(true);
        b_.setEnabled(true);
    }
    TButtonsOff(const TButtonsOff&) = delete;
    TButtonsOff& operator=(const TButtonsOff&) = delete;

private:
    QWidget& a_;
    QWidget& b_;
};

} // namespace

TFicheConfigVexaDateTime::TFicheConfigVexaDateTime(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FicheConfigVexaDateTime"));
    setWindowTitle(QStringLiteral("Date & time"));
    setFont(SansSerifFont());
    setFixedSize(288, 126);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    const QDateTime now = QDateTime::currentDateTime();
    DateTimePicker1 = Named(new QDateEdit(now.date(), this), "DateTimePicker1");
    DateTimePicker1->setGeometry(10, 8, 132, 24);
    DateTimePicker1->setCalendarPopup(true);
    // Digits read the same in every interface language.
    DateTimePicker1->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    DateTimePicker2 = Named(new QTimeEdit(now.time(), this), "DateTimePicker2");
    DateTimePicker2->setGeometry(152, 8, 126, 24);
    DateTimePicker2->setDisplayFormat(QStringLiteral("HH:mm:ss"));

    cbUseVexaRealtimeClock =
        Named(new TWrapCheckBox(QStringLiteral("Use Vexa realtime clock to stamp archive"), this), "cbUseVexaRealtimeClock");
    // Room for three lines of the longest translations.
    cbUseVexaRealtimeClock->setGeometry(10, 36, 270, 48);

    BitBtn1 = Named(new QPushButton(QStringLiteral("OK"), this), "BitBtn1");
    BitBtn1->setGeometry(56, 89, 82, 29);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TFicheConfigVexaDateTime::BitBtn1Click);
    BitBtn2 = Named(new QPushButton(QStringLiteral("Cancel"), this), "BitBtn2");
    BitBtn2->setGeometry(150, 89, 82, 29);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFicheConfigVexaDateTime::ApplyLanguage(int code)
{
    ApplyCharset(*this, SansSerifFont(), LanguageCharset(code));
    setWindowTitle(MessageText(msg::DateWord) + QStringLiteral(" & ") + MessageText(msg::TimeWord));
    cbUseVexaRealtimeClock->setText(MessageText(msg::UseVexaClock));
    BitBtn1->setText(MessageText(msg::Ok));
    BitBtn2->setText(MessageText(msg::Cancel));
}

int TFicheConfigVexaDateTime::RunModal(ISerialPort& port)
{
    Port = &port;
    LoadClockSetting();
    const QDateTime now = QDateTime::currentDateTime();
    DateTimePicker1->setDate(now.date());
    DateTimePicker2->setTime(now.time());
    return exec();
}

void TFicheConfigVexaDateTime::LoadClockSetting() { cbUseVexaRealtimeClock->setChecked(LoadUseRealtimeClock()); }

void TFicheConfigVexaDateTime::SaveClockSetting() { SaveUseRealtimeClock(cbUseVexaRealtimeClock->isChecked()); }

QDateTime TFicheConfigVexaDateTime::Moment() const
{
    return QDateTime(DateTimePicker1->date(), DateTimePicker2->time());
}

int TFicheConfigVexaDateTime::SendClock()
{
    if (!Port)
        return -1;
    return ::SendClock(*Port, QString::fromStdString(Port->Name()), Moment(), cbUseVexaRealtimeClock->isChecked(),
                       [](const QString& line) {
                           qCInfo(lcStatus).noquote() << line;
                           RepaintPending();
                       });
}

void TFicheConfigVexaDateTime::BitBtn1Click()
{
    SaveClockSetting();
    {
        TButtonsOff off(*BitBtn1, *BitBtn2);
        int r = -1;
        {
            // No hourglass over the box that waits for the user.
            TWaitCursor wait;
            try {
                r = SendClock();
            } catch (const std::exception& e) {
                qCWarning(lcStatus).noquote() << e.what();
                r = -1;
            }
        }
        if (r != 0)
            Boxes().ErrorBox(MessageText(msg::ClockFailed) + QStringLiteral("\n") + SettingsResultText(r, true));
        else
            Boxes().InformationBox(MessageText(msg::ClockSent));
    }
    accept();
}
