// The main window's flows: the download with its storage pass and safety
// copy, the device settings, and the file extensions.
#include "uFicDownloadVexa.h"

#include "uArchiveWriter.h"
#include "uArdoVexa.h"
#include "uBoxes.h"
#include "uCommitTexts.h"
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
#include <utility>

namespace {

QString SpoolLeftoverText(const QStringList& paths)
{
    QStringList texts;
    for (const QString& p : paths)
        texts << SpoolKeptText(p);
    QString text = texts.join(QLatin1Char('\n')) + QStringLiteral("\n");
    for (const QString& p : paths)
        text += QStringLiteral("\npellkit-cli store \"%1\"").arg(QDir::toNativeSeparators(p));
    return text;
}

// What the commit of a download has to say goes to the boxes and the status
// line; the download's failure is kept for the box shown once the controls
// are back, and so is the offer to let the Vexa delete what could not be read.
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
    void EntryNotArchived(const TEntryNote& note) override { window_.StatusLine(EntryNoteText(note)); }
    void DataFileKept(TKeptIn where, const QString& path) override
    {
        if (where == TKeptIn::Spool)
            Boxes().InformationBox(SpoolLeftoverText({path}));
        else
            window_.StatusLine(KeptText(where, path));
    }
    void SpoolFailed(const QString& reason) override
    {
        Boxes().InformationBox(MessageText(msg::SpoolFailed).arg(reason));
    }
    void EndNotConfirmed(std::uint8_t endCommand, int) override
    {
        Boxes().InformationBox(EndNotConfirmedText(endCommand));
    }
    void UnreadableKept(int entries, const QString& path) override
    {
        unreadable = UnreadableKeptText(entries, path);
        keptCopy = path;
    }
    void DownloadFailed(int result, const QString&) override { failure = result; }

    std::optional<int> failure;
    QString unreadable;
    QString keptCopy;

private:
    TFicheDownloadVexa& window_;
};

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
    StartWorker(*n, cbNePasEffacer->isChecked(), {});
}

void TFicheDownloadVexa::StartWorker(int port, bool keepData, const QString& confirmedCopy)
{
    SetDownloadControlsEnabled(false);
    confirmingCopy_ = confirmedCopy;
    Worker = new TThreadDownload(port, *ComPort1, keepData, port);
    Worker->SetSpoolDirectory(SpoolDirectory);
    if (!confirmedCopy.isEmpty())
        Worker->SetConfirmedCopy(confirmedCopy);
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
    const QString confirmed = std::exchange(confirmingCopy_, QString());
    if (!confirmed.isEmpty()) {
        FinishConfirmedDeletion(outcome, confirmed);
        return;
    }
    TWindowReporter reporter(*this);
    btnCancel->setEnabled(false);
    {
        TWaitCursor wait;
        TCommitOptions options;
        options.store = StoreOptions;
        options.store.destination = DestinationDir;
        options.store.cardFormat = CardArchiveFormat;
        options.store.vehicleFormat = VehicleArchiveFormat;
        options.spoolDirectory = SpoolDirectory;
        if (!DownloadsDirectory.isEmpty())
            options.downloadsDirectory = DownloadsDirectory;
        CommitDownload(outcome, options, reporter);
    }
    btnCancel->setEnabled(true);
    EndDownload();
    if (reporter.failure && !(closeWhenDone_ && *reporter.failure == kResultCancelled))
        Boxes().MessageBox(ResultText(*reporter.failure), this);
    // Offered once the controls are back: deleting starts a second run.
    if (!reporter.unreadable.isEmpty() && !closeWhenDone_) {
        const QString question = reporter.unreadable + QStringLiteral("\n\n") +
                                 TextWithPath(MessageText(msg::DeleteAnywayQuestion), reporter.keptCopy);
        const std::optional<int> n = PortNumber();
        if (n && !reporter.keptCopy.isEmpty() &&
            Boxes().QuestionBox(question, MessageText(msg::DeleteAnywayButton), MessageText(msg::KeepInVexaButton)))
            StartWorker(*n, false, reporter.keptCopy);
        else if (reporter.keptCopy.isEmpty() || !n)
            Boxes().MessageBox(reporter.unreadable, this);
    }
    if (closeWhenDone_ && !Worker)
        close();
}

void TFicheDownloadVexa::FinishConfirmedDeletion(const TDownloadOutcome& outcome, const QString& keptCopy)
{
    EndDownload();
    if (outcome.result == kResultOk)
        Boxes().InformationBox(TextWithPath(MessageText(msg::DeletedAnyway), keptCopy));
    else if (outcome.result == kResultBadDataFile)
        Boxes().MessageBox(TextWithPath(MessageText(msg::DeleteAnywayMismatch), keptCopy), this);
    else if (!(closeWhenDone_ && outcome.result == kResultCancelled))
        Boxes().MessageBox(ResultText(outcome.result), this);
    if (closeWhenDone_)
        close();
}

void TFicheDownloadVexa::EndDownload()
{
    SetDownloadControlsEnabled(true);
    ProgressBar1->setValue(0);
    Worker = nullptr;
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
