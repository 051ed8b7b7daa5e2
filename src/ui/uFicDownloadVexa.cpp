#include "uFicDownloadVexa.h"

#include "uArdoVexa.h"
#include "uFicConfigVexa.h"
#include "uFlags.h"
#include "uFormExtension.h"
#include "uFormSupport.h"
#include "uLocalization.h"
#include "uMessageCodes.h"
#include "uQtSerialPort.h"
#include "uRadioGroup.h"
#include "uSpool.h"
#include "uThreadDownload.h"
#include "uTranslation.h"
#include "uUpDown.h"
#include "uWindowPlacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QToolButton>

namespace {

const QString kFormGroup = QStringLiteral("FicheDownloadVexa");
constexpr int kPortOther = 4;
constexpr int kMaxPortNumber = 300;

template <class W> W* Named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QPushButton* Button(const QString& text, QWidget* parent, const char* name, QRect geometry)
{
    auto* b = Named(new QPushButton(text, parent), name);
    b->setGeometry(geometry);
    return b;
}

} // namespace

TFicheDownloadVexa::TFicheDownloadVexa(std::unique_ptr<ISerialPort> port, QWidget* parent)
    : QWidget(parent), ComPort1(port ? std::move(port) : std::make_unique<TQtSerialPort>()),
      SpoolDirectory(DefaultSpoolDirectory())
{
    InitUiResources();
    setObjectName(QStringLiteral("FicheDownloadVexa"));
    setFont(TahomaFont());
    setFixedSize(541, 389);
    CreateControls();

    // ComPort1RxChar: received bytes go straight into the link's assembler.
    ComPort1->SetName("COM1");
    AttachLink(*ComPort1);

    CardArchiveFormat = 0;
    VehicleArchiveFormat = 0;
    DestinationDir = ExecutableDirectory();
    Edit1->setText(DestinationDir);
    DropMinMaxBoxes();
}

TFicheDownloadVexa::~TFicheDownloadVexa()
{
    // The worker borrows ComPort1: it must be done with it first.
    if (Worker) {
        disconnect(Worker, nullptr, this, nullptr);
        Worker->Cancel();
        Worker->wait();
    }
}

void TFicheDownloadVexa::CreateControls()
{
    Label1 = Named(new QLabel(QStringLiteral("Select COM port to use"), this), "Label1");
    Label1->setGeometry(16, 8, 330, 20);

    rgPortCom = Named(new TRadioGroup(QStringLiteral("COM Port"),
                                      {QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
                                       QStringLiteral("COM4"), QStringLiteral("Other")},
                                      2, this),
                      "rgPortCom");
    rgPortCom->setGeometry(16, 30, 250, 112);
    rgPortCom->SetItemIndex(0);
    connect(rgPortCom, &TRadioGroup::Click, this, &TFicheDownloadVexa::rgPortComClick);

    // In the group's lower right corner, under "Other".
    edAutrePortCOM = Named(new QLineEdit(QStringLiteral("1"), this), "edAutrePortCOM");
    edAutrePortCOM->setGeometry(158, 106, 48, 24);
    edAutrePortCOM->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    UpDown1 = Named(new TUpDown(*edAutrePortCOM, 1, kMaxPortNumber, this), "UpDown1");
    UpDown1->AttachToBuddy();
    edAutrePortCOM->setEnabled(false);
    UpDown1->setEnabled(false);

    cbNePasEffacer = Named(new QCheckBox(QStringLiteral("keep data file in the Vexa"), this), "cbNePasEffacer");
    cbNePasEffacer->setGeometry(16, 150, 330, 22);
    cbNePasEffacer->setChecked(true);

    Edit1 = Named(new QLineEdit(QStringLiteral("C:\\"), this), "Edit1");
    Edit1->setGeometry(16, 184, 330, 26);
    Edit1->setReadOnly(true);
    Edit1->setEnabled(false);

    btnConfiguration = Button(QStringLiteral("VEXA configuration"), this, "btnConfiguration", {356, 30, 169, 32});
    btnDownloading = Button(QStringLiteral("VEXA downloading"), this, "btnDownloading", {356, 70, 169, 32});
    btnExtensions = Button(QStringLiteral("File extensions"), this, "btnExtensions", {356, 110, 169, 32});
    btnDestination = Button(QStringLiteral("Destination directory"), this, "btnDestination", {356, 182, 169, 30});
    btnCancel = Button(QStringLiteral("Cancel"), this, "btnCancel", {210, 226, 121, 30});

    ProgressBar1 = Named(new QProgressBar(this), "ProgressBar1");
    ProgressBar1->setGeometry(16, 268, 509, 20);
    ProgressBar1->setRange(0, 255);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    ImageSmallLogo = Named(new QLabel(this), "ImageSmallLogo");
    ImageSmallLogo->setGeometry(16, 310, 120, 64);
    ImageSmallLogo->setPixmap(RenderSvg(QStringLiteral(":/pellkit/logo.svg"), ImageSmallLogo->size()));

    ImageList1 = LoadFlagImages();
    cbLanguage = Named(new TOwnerDrawComboBox(35, this), "cbLanguage");
    for (int i = 0; i < ImageList1.size(); ++i)
        cbLanguage->addItem(QString());
    cbLanguage->setMaxVisibleItems(4);
    cbLanguage->SetDrawItem(
        [this](QPainter& p, int index, const QRect& r, bool selected) { cbLanguageDrawItem(p, index, r, selected); });
    const QSize languageSize = cbLanguage->sizeHint();
    cbLanguage->setGeometry((width() - languageSize.width()) / 2, 322, languageSize.width(), languageSize.height());
    connect(cbLanguage, &QComboBox::activated, this, &TFicheDownloadVexa::cbLanguageChange);

    QuitButton = Named(new QToolButton(this), "QuitButton");
    QuitButton->setGeometry(477, 318, 48, 48);
    QuitButton->setAutoRaise(true);
    QuitButton->setIconSize(QSize(40, 40));
    QuitButton->setIcon(QIcon(RenderSvg(QStringLiteral(":/pellkit/quit.svg"), QSize(40, 40))));
    QuitButton->setToolTip(QStringLiteral("Quit application"));
    connect(QuitButton, &QToolButton::clicked, this, &TFicheDownloadVexa::QuitButtonClick);

    connect(btnDownloading, &QPushButton::clicked, this, &TFicheDownloadVexa::btnDownloadingClick);
    connect(btnCancel, &QPushButton::clicked, this, &TFicheDownloadVexa::btnCancelClick);
    connect(btnConfiguration, &QPushButton::clicked, this, &TFicheDownloadVexa::btnConfigurationClick);
    connect(btnExtensions, &QPushButton::clicked, this, &TFicheDownloadVexa::btnExtensionsClick);
    connect(btnDestination, &QPushButton::clicked, this, &TFicheDownloadVexa::btnDestinationClick);
}

QString TFicheDownloadVexa::ExecutableDirectory()
{
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return QDir::toNativeSeparators(dir);
}

void TFicheDownloadVexa::DropMinMaxBoxes() { ::DropMinMaxBoxes(*this); }

// ---- start-up

void TFicheDownloadVexa::LoadLanguage()
{
    int code = lang::French;
    if (SettingsGroupExists(kVexaGroup)) {
        const auto s = UserSettings();
        bool ok = false;
        const int stored = s->value(kVexaGroup + QStringLiteral("/Language")).toInt(&ok);
        code = ok ? stored : lang::French;
    }
    const int entry = code - lang::First;
    cbLanguage->setCurrentIndex(entry >= 0 && entry < cbLanguage->count() ? entry : -1);
    SetCurrentLanguage(code);
    ApplyLanguage(code);
}

void TFicheDownloadVexa::LoadDestination()
{
    if (SettingsGroupExists(kVexaGroup)) {
        const auto s = UserSettings();
        DestinationDir = s->value(kVexaGroup + QStringLiteral("/DestDir")).toString();
        Edit1->setText(DestinationDir);
    }
    if (DestinationDir.isEmpty()) {
        DestinationDir = ExecutableDirectory();
        Edit1->setText(DestinationDir);
    }
}

void TFicheDownloadVexa::CreateDialogs()
{
    FormExtension = std::make_unique<TFormExtension>();
    // The stored language from the start, not only after a change of flag.
    FormExtension->ApplyLanguage(InterfaceLanguage);
    FicheConfigVexa = std::make_unique<TFicheConfigVexa>();
}

// ---- language

void TFicheDownloadVexa::ApplyLanguage(int code)
{
    InterfaceLanguage = code;
    ApplyCharset(*this, TahomaFont(), LanguageCharset(code));
    setWindowTitle(QStringLiteral("Pellkit 1.2"));
    Label1->setText(MessageText(msg::LabelSelectPort));
    rgPortCom->setTitle(MessageText(msg::GroupComPort));
    rgPortCom->SetItemText(kPortOther, MessageText(msg::PortOther));
    cbNePasEffacer->setText(MessageText(msg::KeepDataFile));
    btnConfiguration->setText(MessageText(msg::Configuration));
    btnDownloading->setText(MessageText(msg::Downloading));
    btnExtensions->setText(MessageText(msg::FileExtensions));
    btnDestination->setText(MessageText(msg::Destination));
    btnCancel->setText(MessageText(msg::Cancel));
    if (SettingsGroupExists(kVexaGroup)) {
        const auto s = UserSettings();
        s->setValue(kVexaGroup + QStringLiteral("/Language"), code);
    }
}

void TFicheDownloadVexa::cbLanguageChange()
{
    const int code = cbLanguage->currentIndex() + lang::First;
    SetCurrentLanguage(code);
    ApplyLanguage(code);
    if (FormExtension)
        FormExtension->ApplyLanguage(code);
}

void TFicheDownloadVexa::cbLanguageDrawItem(QPainter& painter, int index, const QRect& rect, bool selected)
{
    painter.fillRect(rect, palette().brush(selected ? QPalette::Highlight : QPalette::Base));
    if (index >= 0 && index < ImageList1.size())
        painter.drawPixmap(rect.topLeft(), ImageList1[index]);
}

// ---- window events

bool TFicheDownloadVexa::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return QWidget::event(e);
}

void TFicheDownloadVexa::FormActivate()
{
    const auto s = UserSettings();
    s->beginGroup(kVexaGroup);
    const QString vehicle = QStringLiteral("defaultVehicleFileformat");
    const QString card = QStringLiteral("defaultCardFileformat");
    VehicleArchiveFormat = s->contains(vehicle) ? s->value(vehicle).toInt() : 0;
    CardArchiveFormat = s->contains(card) ? s->value(card).toInt() : 0;
    // The group exists from the first activation on (a group without values
    // does not), so that later choices of language are kept.
    if (s->childKeys().isEmpty()) {
        s->setValue(vehicle, VehicleArchiveFormat);
        s->setValue(card, CardArchiveFormat);
    }
}

void TFicheDownloadVexa::showEvent(QShowEvent* e)
{
    if (!shown_ && !e->spontaneous()) {
        shown_ = true;
        RestoreFormState();
    }
    QWidget::showEvent(e);
}

void TFicheDownloadVexa::closeEvent(QCloseEvent* e)
{
    // The settings flow lets repaints through while it waits; a close that
    // slips in with them waits for its end.
    if (settingsFlowRunning_) {
        e->ignore();
        return;
    }
    if (Worker) {
        // Closing stops the download; the window closes once the worker has
        // ended and whatever it already holds is stored.
        closeWhenDone_ = true;
        Worker->Cancel();
        e->ignore();
        return;
    }
    SaveFormState();
    QWidget::closeEvent(e);
}

void TFicheDownloadVexa::QuitButtonClick() { close(); }

void TFicheDownloadVexa::RestoreFormState()
{
    const auto s = UserSettings();
    s->beginGroup(kFormGroup);
    if (s->contains(QStringLiteral("edAutrePortCOM_Text")))
        edAutrePortCOM->setText(s->value(QStringLiteral("edAutrePortCOM_Text")).toString());
    if (s->contains(QStringLiteral("rgPortCom_ItemIndex")))
        rgPortCom->SetItemIndex(s->value(QStringLiteral("rgPortCom_ItemIndex")).toInt());
    if (s->contains(QStringLiteral("cbNePasEffacer_Checked")))
        cbNePasEffacer->setChecked(s->value(QStringLiteral("cbNePasEffacer_Checked")).toInt() != 0);
    RestorePlacement(*this, *s);
    rgPortComClick();
}

void TFicheDownloadVexa::SaveFormState()
{
    const auto s = UserSettings();
    s->beginGroup(kFormGroup);
    s->setValue(QStringLiteral("edAutrePortCOM_Text"), edAutrePortCOM->text());
    s->setValue(QStringLiteral("rgPortCom_ItemIndex"), rgPortCom->ItemIndex());
    s->setValue(QStringLiteral("cbNePasEffacer_Checked"), cbNePasEffacer->isChecked() ? 1 : 0);
    SavePlacement(*this, *s);
}

// ---- port and destination

void TFicheDownloadVexa::rgPortComClick()
{
    const bool other = rgPortCom->ItemIndex() == kPortOther;
    UpDown1->setEnabled(other);
    edAutrePortCOM->setEnabled(other);
}

std::optional<int> TFicheDownloadVexa::PortNumber() const
{
    const int entry = rgPortCom->ItemIndex();
    if (entry >= 0 && entry < kPortOther)
        return entry + 1;
    if (entry == kPortOther)
        return UpDown1->Position();
    return std::nullopt;
}

bool TFicheDownloadVexa::BrowseForFolder(const QString& title, const QString& root, bool newFolders, bool editBox,
                                         bool files, QString& directory)
{
    (void)editBox; // the chooser always has its name field
    if (!QFileInfo(directory).isDir())
        directory.clear();
    QFileDialog chooser(this, title);
    chooser.setWindowModality(Qt::ApplicationModal);
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setOption(QFileDialog::ShowDirsOnly, !files);
    chooser.setOption(QFileDialog::ReadOnly, !newFolders);
    chooser.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!directory.isEmpty())
        chooser.setDirectory(directory);
    else if (!root.isEmpty())
        chooser.setDirectory(root);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return false;
    QString chosen = QDir::toNativeSeparators(chooser.selectedFiles().front());
    if (!chosen.endsWith(QDir::separator()))
        chosen += QDir::separator();
    directory = chosen;
    return true;
}

void TFicheDownloadVexa::btnDestinationClick()
{
    BrowseForFolder(QString(), QString(), true, false, false, DestinationDir);
    Edit1->setText(DestinationDir);
    SaveDestination(DestinationDir);
}

void TFicheDownloadVexa::SaveDestination(const QString& directory)
{
    const auto s = UserSettings();
    s->setValue(kVexaGroup + QStringLiteral("/DestDir"), directory);
}

void TFicheDownloadVexa::StatusLine(const QString& text) { qCInfo(lcStatus).noquote() << text; }
