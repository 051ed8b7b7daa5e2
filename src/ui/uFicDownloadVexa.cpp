#include "uFicDownloadVexa.h"

#include "uArdoVexa.h"
#include "uCommitTexts.h"
#include "uFicConfigVexa.h"
#include "uFlags.h"
#include "uFormExtension.h"
#include "uFormSupport.h"
#include "uFormRegister.h"
#include "uFormViewer.h"
#include "uLocalization.h"
#include "uMessageCodes.h"
#include "uQtLanguage.h"
#include "uQtSerialPort.h"
#include "uRadioGroup.h"
#include "uSpool.h"
#include "uThreadDownload.h"
#include "uTranslation.h"
#include "uUpDown.h"
#include "uWindowPlacement.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <functional>

namespace {

const QString kFormGroup = QStringLiteral("FicheDownloadVexa");
constexpr int kPortOther = 4;
constexpr int kPortDevice = 5;
constexpr int kMaxPortNumber = 300;
// How long a block may take before the status line says that the exchange
// is waiting for the Vexa.
constexpr int kWaitingAfterMs = 1000;

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

namespace {

// The device field: an editable list that fills itself from the system's
// ports each time it drops down.
class TPortComboBox : public QComboBox {
public:
    TPortComboBox(std::function<void()> refresh, QWidget* parent) : QComboBox(parent), refresh_(std::move(refresh))
    {
        setEditable(true);
        setInsertPolicy(QComboBox::NoInsert);
        setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    }
    void showPopup() override
    {
        refresh_();
        // The descriptions are longer than the field.
        view()->setMinimumWidth(std::max(width(), view()->sizeHintForColumn(0) + 24));
        QComboBox::showPopup();
    }

private:
    std::function<void()> refresh_;
};

} // namespace

void TFicheDownloadVexa::CreateControls()
{
    Label1 = Named(new QLabel(QStringLiteral("Select COM port to use"), this), "Label1");
    Label1->setGeometry(16, 8, 330, 20);

    rgPortCom = Named(new TRadioGroup(QStringLiteral("COM Port"),
                                      {QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
                                       QStringLiteral("COM4"), QStringLiteral("Other"), QStringLiteral("Device")},
                                      2, this),
                      "rgPortCom");
    rgPortCom->SetOwnRow(kPortDevice);
    rgPortCom->setGeometry(16, 30, 330, 132);
    rgPortCom->SetItemIndex(0);
    connect(rgPortCom, &TRadioGroup::Click, this, &TFicheDownloadVexa::rgPortComClick);
    connect(rgPortCom, &TRadioGroup::Click, this, &TFicheDownloadVexa::SavePortChoice);

    // In the group's lower right corner, under "Other": inside the group, so
    // that they wait with it while a download runs.
    edAutrePortCOM = Named(new QLineEdit(QStringLiteral("1"), rgPortCom), "edAutrePortCOM");
    edAutrePortCOM->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    UpDown1 = Named(new TUpDown(*edAutrePortCOM, 1, kMaxPortNumber, rgPortCom), "UpDown1");
    edAutrePortCOM->setEnabled(false);
    UpDown1->setEnabled(false);
    connect(UpDown1, &TUpDown::PositionChanged, this, &TFicheDownloadVexa::SavePortChoice);

    // A device by its path, or one of the ports the system lists; using it
    // chooses its entry.
    cbPortDevice = Named(new TPortComboBox([this] { RefreshPorts(); }, rgPortCom), "cbPortDevice");
    connect(cbPortDevice, &QComboBox::activated, this, [this](int index) {
        cbPortDevice->setEditText(cbPortDevice->itemData(index).toString());
        rgPortCom->SetItemIndex(kPortDevice);
        rgPortComClick();
        SavePortChoice();
    });
    connect(cbPortDevice->lineEdit(), &QLineEdit::textEdited, this, [this] {
        if (rgPortCom->ItemIndex() != kPortDevice) {
            rgPortCom->SetItemIndex(kPortDevice);
            rgPortComClick();
        }
    });
    connect(cbPortDevice->lineEdit(), &QLineEdit::editingFinished, this, &TFicheDownloadVexa::SavePortChoice);
    connect(rgPortCom, &TRadioGroup::Arranged, this, &TFicheDownloadVexa::PlacePortFields);
    PlacePortFields();

    cbNePasEffacer = Named(new QCheckBox(QStringLiteral("keep data file in the Vexa"), this), "cbNePasEffacer");
    cbNePasEffacer->setGeometry(16, 166, 330, 22);
    cbNePasEffacer->setChecked(true);

    Edit1 = Named(new QLineEdit(QStringLiteral("C:\\"), this), "Edit1");
    Edit1->setGeometry(16, 194, 330, 26);
    Edit1->setReadOnly(true);
    Edit1->setEnabled(false);

    btnConfiguration = Button(QStringLiteral("VEXA configuration"), this, "btnConfiguration", {356, 30, 169, 32});
    btnDownloading = Button(QStringLiteral("VEXA downloading"), this, "btnDownloading", {356, 70, 169, 32});
    btnExtensions = Button(QStringLiteral("File extensions"), this, "btnExtensions", {356, 110, 169, 32});
    btnDestination = Button(QStringLiteral("Destination directory"), this, "btnDestination", {356, 192, 169, 30});
    btnCancel = Button(QStringLiteral("Cancel"), this, "btnCancel", {210, 228, 121, 30});
    btnOpenArchive = Button(QStringLiteral("Open archive"), this, "btnOpenArchive", {16, 228, 170, 30});
    btnRegister = Button(QStringLiteral("Register"), this, "btnRegister", {355, 228, 170, 30});
    connect(btnOpenArchive, &QPushButton::clicked, this, &TFicheDownloadVexa::btnOpenArchiveClick);
    connect(btnRegister, &QPushButton::clicked, this, &TFicheDownloadVexa::btnRegisterClick);
    // A file dropped on the window opens in the viewer.
    setAcceptDrops(true);

    ProgressBar1 = Named(new QProgressBar(this), "ProgressBar1");
    ProgressBar1->setGeometry(16, 264, 509, 20);
    ProgressBar1->setRange(0, 255);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    // What the download is doing, then what became of it; the button lists
    // its archives.
    lbStatus = Named(new QLabel(this), "lbStatus");
    lbStatus->setGeometry(16, 287, 402, 31);
    lbStatus->setTextFormat(Qt::PlainText);
    lbStatus->setWordWrap(true);
    lbStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    btnArchives = Button(QStringLiteral("Archives"), this, "btnArchives", {424, 288, 101, 26});
    btnArchives->setEnabled(false);
    connect(btnArchives, &QPushButton::clicked, this, &TFicheDownloadVexa::btnArchivesClick);

    ImageSmallLogo = Named(new QLabel(this), "ImageSmallLogo");
    ImageSmallLogo->setGeometry(16, 320, 120, 64);
    ImageSmallLogo->setPixmap(RenderSvg(QStringLiteral(":/pellkit/logo.svg"), ImageSmallLogo->size()));

    ImageList1 = LoadFlagImages();
    cbLanguage = Named(new TOwnerDrawComboBox(35, this), "cbLanguage");
    for (const lang::TLanguage& l : lang::kLanguages) {
        // No text to draw: the language's own name for the eye and the ear.
        const QString name = NativeLanguageName(l.code);
        cbLanguage->addItem(QString());
        cbLanguage->setItemData(cbLanguage->count() - 1, name, Qt::ToolTipRole);
        cbLanguage->setItemData(cbLanguage->count() - 1, name, Qt::AccessibleTextRole);
    }
    cbLanguage->setMaxVisibleItems(4);
    cbLanguage->SetDrawItem(
        [this](QPainter& p, int index, const QRect& r, bool selected) { cbLanguageDrawItem(p, index, r, selected); });
    const QSize languageSize = cbLanguage->sizeHint();
    cbLanguage->setGeometry((width() - languageSize.width()) / 2, 332, languageSize.width(), languageSize.height());
    connect(cbLanguage, &QComboBox::activated, this, &TFicheDownloadVexa::cbLanguageChange);

    QuitButton = Named(new QToolButton(this), "QuitButton");
    QuitButton->setGeometry(477, 328, 48, 48);
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

    // No block for a while: the exchange is waiting for the Vexa.
    waitTimer_ = new QTimer(this);
    waitTimer_->setSingleShot(true);
    waitTimer_->setInterval(kWaitingAfterMs);
    connect(waitTimer_, &QTimer::timeout, this, &TFicheDownloadVexa::ShowWaiting);
}

void TFicheDownloadVexa::PlacePortFields()
{
    const QRect cell = rgPortCom->CellRect(1, 2);
    edAutrePortCOM->setGeometry(cell.left() + 15, cell.center().y() - 12, 48, 24);
    UpDown1->AttachToBuddy();
    const QRect row = rgPortCom->RowRect(kPortDevice);
    const int left = rgPortCom->Item(kPortDevice)->geometry().right() + 6;
    cbPortDevice->setGeometry(left, row.center().y() - 12, row.right() - 4 - left, 24);
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
    rgPortCom->SetItemText(kPortDevice, MessageText(msg::PortDevice));
    cbPortDevice->lineEdit()->setPlaceholderText(MessageText(msg::PortDevicePlaceholder));
    btnArchives->setText(MessageText(msg::ArchivesButton));
    btnOpenArchive->setText(MessageText(msg::OpenArchiveButton));
    btnRegister->setText(MessageText(msg::RegisterButton));
    for (const QPointer<TFormViewer>& viewer : Viewers)
        if (viewer)
            viewer->ApplyLanguage(code);
    if (Register)
        Register->ApplyLanguage(code);
    const QString languageName = NativeLanguageName(code);
    cbLanguage->setToolTip(languageName);
    cbLanguage->setAccessibleName(languageName);
    // The folder chooser, the calendar and the standard buttons follow.
    ApplyQtLanguage(code);
    // The last download's account, said anew (its notes stay as they were said).
    if (!Account.summary.isEmpty()) {
        Account.summary = CommitSummaryText(Account.commit);
        StatusLine(Account.summary);
    }
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
        RefreshPorts();
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

void TFicheDownloadVexa::keyPressEvent(QKeyEvent* e)
{
    // Esc is the cancel button's key, as in a dialog.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        if (Worker && btnCancel->isEnabled())
            btnCancel->click();
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

void TFicheDownloadVexa::QuitButtonClick() { close(); }

void TFicheDownloadVexa::dragEnterEvent(QDragEnterEvent* e)
{
    const QList<QUrl> urls = e->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); }))
        e->acceptProposedAction();
}

void TFicheDownloadVexa::dropEvent(QDropEvent* e)
{
    QStringList paths;
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty())
        return;
    e->acceptProposedAction();
    OpenFiles(paths);
}

void TFicheDownloadVexa::OpenFiles(const QStringList& paths)
{
    Viewers.removeAll(nullptr);
    for (const QString& path : paths)
        if (TFormViewer* viewer = OpenViewer(path, InterfaceLanguage, this))
            Viewers << viewer;
}

void TFicheDownloadVexa::btnRegisterClick()
{
    const std::filesystem::path folder(QDir::fromNativeSeparators(DestinationDir).toStdU16String());
    if (!Register) {
        Register = new TFormRegister(this);
        Register->setAttribute(Qt::WA_DeleteOnClose);
        connect(Register, &TFormRegister::ViewerOpened, this, [this](TFormViewer* viewer) { Viewers << viewer; });
    }
    Register->SetFolders({folder});
    Register->ApplyLanguage(InterfaceLanguage);
    Register->show();
    Register->raise();
    Register->activateWindow();
    Register->Refresh();
}

void TFicheDownloadVexa::btnOpenArchiveClick()
{
    QFileDialog chooser(this, MessageText(msg::ViewerOpenTitle));
    chooser.setFileMode(QFileDialog::ExistingFiles);
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setOption(QFileDialog::DontUseNativeDialog, true);
    if (QFileInfo(DestinationDir).isDir())
        chooser.setDirectory(DestinationDir);
    if (chooser.exec() == QDialog::Accepted)
        OpenFiles(chooser.selectedFiles());
}

void TFicheDownloadVexa::RestoreFormState()
{
    restoringForm_ = true;
    const auto s = UserSettings();
    s->beginGroup(kFormGroup);
    if (s->contains(QStringLiteral("edAutrePortCOM_Text")))
        edAutrePortCOM->setText(s->value(QStringLiteral("edAutrePortCOM_Text")).toString());
    if (s->contains(QStringLiteral("rgPortCom_ItemIndex")))
        rgPortCom->SetItemIndex(s->value(QStringLiteral("rgPortCom_ItemIndex")).toInt());
    if (s->contains(QStringLiteral("cbNePasEffacer_Checked")))
        cbNePasEffacer->setChecked(s->value(QStringLiteral("cbNePasEffacer_Checked")).toInt() != 0);
    cbPortDevice->setEditText(s->value(QStringLiteral("cbPortDevice_Text")).toString());
    RestorePlacement(*this, *s);
    rgPortComClick();
    restoringForm_ = false;
}

void TFicheDownloadVexa::SaveFormState()
{
    const auto s = UserSettings();
    s->beginGroup(kFormGroup);
    s->setValue(QStringLiteral("edAutrePortCOM_Text"), edAutrePortCOM->text());
    s->setValue(QStringLiteral("rgPortCom_ItemIndex"), rgPortCom->ItemIndex());
    s->setValue(QStringLiteral("cbNePasEffacer_Checked"), cbNePasEffacer->isChecked() ? 1 : 0);
    s->setValue(QStringLiteral("cbPortDevice_Text"), DevicePath());
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

std::optional<QString> TFicheDownloadVexa::PortName() const
{
    if (const std::optional<int> n = PortNumber())
        return QStringLiteral("COM%1").arg(*n);
    if (rgPortCom->ItemIndex() == kPortDevice && !DevicePath().isEmpty())
        return DevicePath();
    return std::nullopt;
}

QString TFicheDownloadVexa::DevicePath() const
{
    // A port picked from the list shows its path; a description typed or
    // pasted over an entry's whole text still means that entry's port.
    const QString text = cbPortDevice->currentText().trimmed();
    const int entry = cbPortDevice->findText(text);
    return entry >= 0 ? cbPortDevice->itemData(entry).toString() : text;
}

void TFicheDownloadVexa::RefreshPorts()
{
    const QString shown = cbPortDevice->currentText();
    cbPortDevice->clear();
    for (const TDetectedPort& port : ListPorts ? ListPorts() : QList<TDetectedPort>{}) {
        const QString text = port.description.isEmpty() ? port.device
                                                        : port.device + QStringLiteral(" — ") + port.description;
        cbPortDevice->addItem(text, port.device);
    }
    cbPortDevice->setCurrentIndex(-1);
    cbPortDevice->setEditText(shown);
}

void TFicheDownloadVexa::SavePortChoice()
{
    // What pellkit-cli takes when it is given no --port; the user's choices
    // only, not what the window shows of them at start.
    if (restoringForm_)
        return;
    const auto s = VexaSettings();
    if (const std::optional<QString> name = PortName())
        s->setValue(QStringLiteral("Port"), *name);
    else
        s->remove(QStringLiteral("Port"));
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
    const QString before = DestinationDir;
    const bool chosen = BrowseForFolder(QString(), QString(), true, false, false, DestinationDir);
    Edit1->setText(DestinationDir);
    SaveDestination(DestinationDir);
    // A safety copy that could not be stored may well fit the new destination.
    if (chosen && DestinationDir != before)
        OfferLeftovers(SpoolLeftovers(SpoolDirectory));
}

void TFicheDownloadVexa::SaveDestination(const QString& directory)
{
    const auto s = UserSettings();
    s->setValue(kVexaGroup + QStringLiteral("/DestDir"), directory);
}

void TFicheDownloadVexa::StatusLine(const QString& text)
{
    qCInfo(lcStatus).noquote() << text;
    lbStatus->setText(text);
    // The whole line where it is longer than the window.
    lbStatus->setToolTip(text);
}
