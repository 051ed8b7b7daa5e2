#include "uFicConfigVexa.h"

#include "uBoxes.h"
#include "uFicConfigVexaDateTime.h"
#include "uFormSupport.h"
#include "uLocalization.h"
#include "uMessageCodes.h"
#include "uTranslation.h"
#include "uUpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

namespace {

// Built-in names of the Vexa's display languages, in the order it numbers them.
const char* const kVexaLanguageNames[kVexaLanguageCount] = {
    "Francais",  "Anglais",  "Espagnol",  "Allemand", "Italien", "Portugais", "Grec (Anglais)", "Hollandais",
    "Suedois",   "Danois",   "Finlandais", "Norvegien", "Tcheque", "Hongrois", "Polonais",      "Roumain",
    "Slov\u00e8ne", "Lituanien", "Bulgare", "Estonien", "Slovaque", "Letton", "Russe",
};

QFont HeadingFont()
{
    QFont f = FormFont(SansSerifFont().family(), 12);
    f.setBold(true);
    return f;
}

QLabel* Heading(const QString& text, QWidget* parent, const char* name)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(HeadingFont());
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, QColor(0, 0, 128)); // navy
    label->setPalette(p);
    return label;
}

// A long translation of a heading gets a smaller size rather than losing its end.
void FitHeading(QLabel& label)
{
    QFont f = label.font();
    f.setPointSize(HeadingFont().pointSize());
    while (f.pointSize() > 8 && QFontMetrics(f).horizontalAdvance(label.text()) > label.width())
        f.setPointSize(f.pointSize() - 1);
    label.setFont(f);
}

template <class W> W* Named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

} // namespace

TFicheConfigVexa::TFicheConfigVexa(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FicheConfigVexa"));
    setWindowTitle(QStringLiteral("VEXA configuration"));
    setFont(SansSerifFont());
    setFixedSize(378, 380);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Label1 = Heading(QStringLiteral("Select the default options"), this, "Label1");
    Label1->setGeometry(12, 8, 356, 24);
    cbOverview = Named(new QCheckBox(QStringLiteral("Overview"), this), "cbOverview");
    cbOverview->setGeometry(28, 38, 330, 20);
    cbOverview->setChecked(true);
    cbOverview->setEnabled(false);
    cbActivite = Named(new QCheckBox(QStringLiteral("Activities"), this), "cbActivite");
    cbActivite->setGeometry(28, 60, 330, 20);
    cbEvents = Named(new QCheckBox(QStringLiteral("Events and faults"), this), "cbEvents");
    cbEvents->setGeometry(28, 82, 330, 20);
    cbSpeed = Named(new QCheckBox(QStringLiteral("Detailed speed"), this), "cbSpeed");
    cbSpeed->setGeometry(28, 104, 330, 20);
    cbTechnicalData = Named(new QCheckBox(QStringLiteral("Technical data"), this), "cbTechnicalData");
    cbTechnicalData->setGeometry(28, 126, 330, 20);

    Label2 = Heading(QStringLiteral("Language"), this, "Label2");
    Label2->setGeometry(12, 156, 356, 24);
    cbLangue = Named(new QComboBox(this), "cbLangue");
    cbLangue->setGeometry(28, 184, 220, 24);
    for (const char* name : kVexaLanguageNames)
        cbLangue->addItem(QString::fromUtf8(name));
    cbLangue->setCurrentIndex(-1);
    cbLangue->setMaxVisibleItems(12);

    Label3 = Heading(QStringLiteral("Mode"), this, "Label3");
    Label3->setGeometry(12, 218, 356, 24);
    rbCompanyMode = Named(new QRadioButton(QStringLiteral("Since previous"), this), "rbCompanyMode");
    rbCompanyMode->setGeometry(28, 246, 200, 20);
    rbWorkshopMode = Named(new QRadioButton(QStringLiteral("Total"), this), "rbWorkshopMode");
    rbWorkshopMode->setGeometry(28, 268, 200, 20);
    rbLastDaysMode = Named(new QRadioButton(QStringLiteral("Last days"), this), "rbLastDaysMode");
    rbLastDaysMode->setGeometry(28, 290, 200, 20);
    edLastDays = Named(new QLineEdit(QStringLiteral("2"), this), "edLastDays");
    edLastDays->setGeometry(236, 288, 44, 24);
    edLastDays->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    udLastDays = Named(new TUpDown(*edLastDays, kMinLastDays, kMaxLastDays, this), "udLastDays");
    udLastDays->AttachToBuddy();
    for (QRadioButton* rb : {rbCompanyMode, rbWorkshopMode, rbLastDaysMode})
        connect(rb, &QRadioButton::clicked, this, &TFicheConfigVexa::UpdateDaysVisibility);

    bbtnDateAndTime = Named(new QPushButton(QStringLiteral("Date && Time"), this), "bbtnDateAndTime");
    bbtnDateAndTime->setGeometry(12, 340, 130, 30);
    connect(bbtnDateAndTime, &QPushButton::clicked, this, &TFicheConfigVexa::bbtnDateAndTimeClick);

    BitBtn1 = Named(new QPushButton(QStringLiteral("OK"), this), "BitBtn1");
    BitBtn1->setGeometry(196, 340, 82, 30);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        BitBtn1Click();
        accept();
    });
    BitBtn2 = Named(new QPushButton(QStringLiteral("Cancel"), this), "BitBtn2");
    BitBtn2->setGeometry(286, 340, 82, 30);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    LoadSettings();
}

void TFicheConfigVexa::LoadSettings()
{
    Mode = 0;
    bool keyExists = false;
    const TVexaSettings saved = LoadVexaSettings(&keyExists);
    if (!keyExists) {
        const TVexaSettings defaults;
        cbActivite->setChecked(defaults.activities);
        cbEvents->setChecked(defaults.events);
        cbOverview->setChecked(defaults.overview);
        cbSpeed->setChecked(defaults.speed);
        cbTechnicalData->setChecked(defaults.technicalData);
        return;
    }
    cbActivite->setChecked(saved.activities);
    cbEvents->setChecked(saved.events);
    cbOverview->setChecked(saved.overview);
    cbSpeed->setChecked(saved.speed);
    cbTechnicalData->setChecked(saved.technicalData);
    cbLangue->setCurrentIndex(DialogVexaLanguage(saved.vexaLanguage));
    Mode = saved.mode;
    if (Mode == 0) {
        rbCompanyMode->setChecked(true);
    } else if (Mode == 1) {
        rbWorkshopMode->setChecked(true);
    } else {
        rbLastDaysMode->setChecked(true);
        udLastDays->SetPosition(DialogMode(Mode));
    }
    UpdateDaysVisibility();
}

void TFicheConfigVexa::UpdateDaysVisibility()
{
    const bool lastDays = rbLastDaysMode->isChecked();
    edLastDays->setVisible(lastDays);
    udLastDays->setVisible(lastDays);
}

void TFicheConfigVexa::ApplyLanguage(int code)
{
    InterfaceLanguage = code;
    const std::uint8_t charset = LanguageCharset(code);
    ApplyCharset(*this, SansSerifFont(), charset);
    for (QLabel* heading : {Label1, Label2, Label3})
        ApplyCharset(*heading, HeadingFont(), charset);
    setWindowTitle(MessageText(msg::Configuration));
    Label1->setText(MessageText(msg::SelectDefaultOptions));
    cbOverview->setText(MessageText(msg::Overview));
    cbActivite->setText(MessageText(msg::Activities));
    cbEvents->setText(MessageText(msg::EventsFaults));
    cbSpeed->setText(MessageText(msg::DetailedSpeed));
    cbTechnicalData->setText(MessageText(msg::TechnicalData));
    Label3->setText(MessageText(msg::LabelMode));
    rbCompanyMode->setText(MessageText(msg::CompanyMode));
    rbWorkshopMode->setText(MessageText(msg::WorkshopMode));
    rbLastDaysMode->setText(MessageText(msg::LastDaysMode));
    BitBtn1->setText(MessageText(msg::Ok));
    BitBtn2->setText(MessageText(msg::Cancel));
    bbtnDateAndTime->setText(MessageText(msg::DateWord) + QStringLiteral(" && ") + MessageText(msg::TimeWord));
    Label2->setText(MessageText(msg::LabelLanguage));
    for (int i = 0; i < cbLangue->count() && i < static_cast<int>(msg::kVexaLanguageCodes.size()); ++i)
        cbLangue->setItemText(i, MessageText(msg::kVexaLanguageCodes[static_cast<std::size_t>(i)]));
    for (QLabel* heading : {Label1, Label2, Label3})
        FitHeading(*heading);
}

int TFicheConfigVexa::RunModal(ISerialPort& port)
{
    Port = &port;
    return exec();
}

TVexaSettings TFicheConfigVexa::Settings() const
{
    TVexaSettings s;
    s.activities = cbActivite->isChecked();
    s.events = cbEvents->isChecked();
    s.overview = cbOverview->isChecked();
    s.speed = cbSpeed->isChecked();
    s.technicalData = cbTechnicalData->isChecked();
    s.vexaLanguage = cbLangue->currentIndex();
    s.mode = Mode;
    return s;
}

void TFicheConfigVexa::BitBtn1Click()
{
    const int mode = rbCompanyMode->isChecked() ? 0 : rbWorkshopMode->isChecked() ? 1 : udLastDays->Position();
    TVexaSettings s = Settings();
    s.mode = mode;
    if (SaveVexaSettings(s))
        Mode = mode;
}

void TFicheConfigVexa::bbtnDateAndTimeClick()
{
    if (!Port)
        return;
    TFicheConfigVexaDateTime clock(nullptr);
    clock.ApplyLanguage(InterfaceLanguage);
    clock.RunModal(*Port);
}

void TFicheConfigVexa::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        LoadSettings();
    QDialog::showEvent(event);
}
