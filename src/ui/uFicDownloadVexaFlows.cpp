// The main window's flows: the download with its storage pass and safety
// copy, the device settings, and the file extensions.
#include "uFicDownloadVexa.h"

#include "uArchiveWriter.h"
#include "uArdoVexa.h"
#include "uBoxes.h"
#include "uDeviceFlows.h"
#include "uFicConfigVexa.h"
#include "uFlags.h"
#include "uFormExtension.h"
#include "uFormSupport.h"
#include "uMessageCodes.h"
#include "uRadioGroup.h"
#include "uSpool.h"
#include "uThreadDownload.h"
#include "uTranslation.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <exception>

namespace {

// What the commit of a download has to say goes to the boxes and the status
// line; the download's failure is kept for the box shown once the controls
// are back.
class TWindowReporter : public IDownloadReporter {
public:
    explicit TWindowReporter(TFicheDownloadVexa& window) : window_(window) {}
    void InformationBox(const QString& text) override { Boxes().InformationBox(text); }
    void MessageBox(const QString& text) override { Boxes().MessageBox(text); }
    void StatusLine(const QString& text) override { window_.StatusLine(text); }
    void ArchiveStored(const TArchiveReport& report) override
    {
        switch (report.outcome) {
        case TArchiveOutcome::Written:
            window_.StatusLine(MessageText(msg::StoreWrote).arg(report.fileName).arg(report.bytes));
            break;
        case TArchiveOutcome::SkippedIdentical:
            window_.StatusLine(MessageText(msg::StoreSkippedIdentical).arg(report.fileName));
            break;
        case TArchiveOutcome::WrittenUnderOtherName:
            window_.StatusLine(MessageText(msg::StoreWroteOtherName).arg(report.fileName));
            break;
        case TArchiveOutcome::Failed:
            window_.StatusLine(MessageText(msg::ArchiveWriteFailed) + QLatin1Char(' ') + report.name);
            break;
        }
    }
    void SpoolKept(const QString& path) override;
    void SpoolFailed(const QString& reason) override
    {
        Boxes().InformationBox(MessageText(msg::SpoolFailed).arg(reason));
    }
    void DownloadFailed(int result, const QString&) override { failure = result; }

    std::optional<int> failure;

private:
    TFicheDownloadVexa& window_;
};

QString SpoolLeftoverText(const QStringList& paths)
{
    QStringList native;
    for (const QString& p : paths)
        native << QDir::toNativeSeparators(p);
    QString text = MessageText(msg::SpoolLeftover).arg(native.join(QLatin1Char('\n')));
    text += QStringLiteral("\n");
    for (const QString& p : native)
        text += QStringLiteral("\npellkit-cli store \"%1\"").arg(p);
    return text;
}

void TWindowReporter::SpoolKept(const QString& path) { Boxes().InformationBox(SpoolLeftoverText({path})); }

} // namespace

void TFicheDownloadVexa::ReportSpoolLeftovers()
{
    const QStringList leftovers = SpoolLeftovers(SpoolDirectory);
    if (!leftovers.isEmpty())
        Boxes().InformationBox(SpoolLeftoverText(leftovers));
}


// ---- download

void TFicheDownloadVexa::SetDownloadControlsEnabled(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{btnDownloading, btnConfiguration, btnExtensions,
                                                      btnDestination, rgPortCom, cbLanguage, cbNePasEffacer})
        w->setEnabled(enabled);
}

void TFicheDownloadVexa::btnDownloadingClick()
{
    if (Worker)
        return;
    if (TestDestination(Edit1->text())) {
        Boxes().MessageBox(MessageText(msg::DestinationUnusable));
        return;
    }
    const std::optional<int> n = PortNumber();
    if (!n) {
        Boxes().MessageBox(MessageText(msg::NoPortSelected));
        return;
    }
    SetDownloadControlsEnabled(false);
    Worker = new TThreadDownload(*n, *ComPort1, cbNePasEffacer->isChecked(), *n);
    Worker->SetSpoolDirectory(SpoolDirectory);
    connect(Worker, &TThreadDownload::DownloadProgress, this, &TFicheDownloadVexa::DownloadProgress);
    connect(Worker, &TThreadDownload::Completed, this, &TFicheDownloadVexa::DownloadDone);
    Worker->start();
}

void TFicheDownloadVexa::btnCancelClick()
{
    if (Worker)
        Worker->Cancel();
}

void TFicheDownloadVexa::DownloadProgress()
{
    // A notification that arrives after the end changes nothing.
    if (!Worker)
        return;
    ProgressBar1->setValue(Worker->Progress());
}

void TFicheDownloadVexa::DownloadDone(TThreadDownload* worker)
{
    if (!worker || worker != Worker)
        return;
    TDownloadOutcome outcome = worker->TakeOutcome();
    TWindowReporter reporter(*this);
    btnCancel->setEnabled(false);
    {
        TWaitCursor wait;
        TStoreOptions options = StoreOptions;
        options.destination = DestinationDir;
        options.cardFormat = CardArchiveFormat;
        options.vehicleFormat = VehicleArchiveFormat;
        CommitDownload(outcome, options, reporter);
    }
    btnCancel->setEnabled(true);
    SetDownloadControlsEnabled(true);
    ProgressBar1->setValue(0);
    if (reporter.failure && !(closeWhenDone_ && *reporter.failure == kResultCancelled))
        Boxes().MessageBox(ResultText(*reporter.failure), this);
    Worker = nullptr;
    if (closeWhenDone_)
        close();
}

// ---- settings and extensions

void TFicheDownloadVexa::SetSettingsControlsEnabled(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{btnDownloading, btnConfiguration, btnExtensions,
                                                      btnDestination, rgPortCom})
        w->setEnabled(enabled);
}

void TFicheDownloadVexa::btnConfigurationClick()
{
    const std::optional<int> n = PortNumber();
    if (!n) {
        Boxes().ErrorBox(MessageText(msg::NoPortSelected));
        return;
    }
    if (!FicheConfigVexa)
        CreateDialogs();
    ComPort1->SetName("COM" + std::to_string(*n));
    FicheConfigVexa->ApplyLanguage(InterfaceLanguage);
    if (FicheConfigVexa->RunModal(*ComPort1) != QDialog::Accepted)
        return;

    int r = -1;
    SetSettingsControlsEnabled(false);
    settingsFlowRunning_ = true;
    {
        TWaitCursor wait;
        try {
            r = SendSettings(*n);
        } catch (const std::exception& e) {
            StatusLine(QString::fromLocal8Bit(e.what()));
            r = -1;
        }
    }
    settingsFlowRunning_ = false;
    if (r != 0)
        Boxes().MessageBox(MessageText(msg::SettingsFailed));
    else
        Boxes().InformationBox(MessageText(msg::SettingsSent));
    SetSettingsControlsEnabled(true);
}

int TFicheDownloadVexa::SendSettings(int n)
{
    RepaintPending();
    return ::SendSettings(*ComPort1, QStringLiteral("COM%1").arg(n), FicheConfigVexa->Settings(),
                          [this](const QString& line) {
                              StatusLine(line);
                              RepaintPending();
                          });
}

void TFicheDownloadVexa::btnExtensionsClick()
{
    if (!FormExtension)
        CreateDialogs();
    FormExtension->SelectFormats(VehicleArchiveFormat, CardArchiveFormat);
    if (FormExtension->exec() == QDialog::Accepted) {
        VehicleArchiveFormat = FormExtension->VehicleFormat();
        CardArchiveFormat = FormExtension->CardFormat();
    }
    const auto s = UserSettings();
    s->beginGroup(kVexaGroup);
    s->setValue(QStringLiteral("defaultVehicleFileformat"), VehicleArchiveFormat);
    s->setValue(QStringLiteral("defaultCardFileformat"), CardArchiveFormat);
}
