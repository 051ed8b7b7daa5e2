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
#include "uFormArchives.h"
#include "uFormExtension.h"
#include "uFormRegister.h"
#include "uFormSupport.h"
#include "uMessageCodes.h"
#include "uRadioGroup.h"
#include "uSpool.h"
#include "uThreadDownload.h"
#include "uTranslation.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <exception>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

// What the commit of a download has to say goes to the boxes, into the
// download's account and to the log; the download's failure is kept for the
// box shown once the controls are back, and so are the two offers: to let
// the Vexa delete what could not be read, and to store a safety copy that
// is still in the spool.
class TWindowReporter : public IDownloadReporter {
public:
    TWindowReporter(TFicheDownloadVexa& window, TDownloadAccount& account) : window_(window), account_(account) {}
    void InformationBox(const QString& text) override { Boxes().InformationBox(text); }
    void MessageBox(const QString& text) override { Boxes().MessageBox(text); }
    // The pass's own lines ("F0 : ...") go by too fast to be read: logged only.
    void StatusLine(const QString& text) override { qCInfo(lcStatus).noquote() << text; }
    void ArchiveStored(const TArchiveReport& report) override
    {
        account_.archives.push_back(report);
        switch (report.outcome) {
        case TArchiveOutcome::Written:
            Show(MessageText(msg::StoreWrote).arg(report.fileName).arg(report.bytes));
            break;
        case TArchiveOutcome::SkippedIdentical:
            Show(MessageText(msg::StoreSkippedIdentical).arg(report.fileName));
            break;
        case TArchiveOutcome::WrittenUnderOtherName:
            Show(MessageText(msg::StoreWroteOtherName).arg(report.fileName));
            break;
        case TArchiveOutcome::Failed:
            Show(MessageText(msg::ArchiveWriteFailed) + QLatin1Char(' ') + report.name);
            break;
        }
    }
    void EntryNotArchived(const TEntryNote& note) override
    {
        ++entriesLeftOut_;
        Note([note] { return EntryNoteText(note); });
    }
    void DataFileKept(TKeptIn where, const QString& path) override
    {
        // After a download stored in full, its copy in the downloads folder
        // holds nothing that is not archived: only where it is.
        if (where == TKeptIn::Downloads && entriesLeftOut_ == 0)
            Note([path] { return TextWithPath(MessageText(msg::DataFileKeptHere), path); });
        else
            Note([where, path] { return KeptText(where, path); });
        if (where == TKeptIn::Spool)
            spoolLeft = path;
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
    void DownloadFailed(int result, const QString& reason) override
    {
        failure = result;
        portError = reason;
    }

    std::optional<int> failure;
    QString portError;
    QString unreadable;
    QString keptCopy;
    QString spoolLeft;

private:
    // The storage pass holds the window: each archive is shown as it is done.
    void Show(const QString& text)
    {
        window_.StatusLine(text);
        RepaintPending();
    }
    void Note(std::function<QString()> text)
    {
        qCInfo(lcStatus).noquote() << text();
        account_.notes.push_back(std::move(text));
    }

    TFicheDownloadVexa& window_;
    TDownloadAccount& account_;
    int entriesLeftOut_ = 0;
};

// Several data files stored one after the other, as one account.
void AddUp(TCommitSummary& total, const TCommitSummary& one, bool first)
{
    if (first) {
        total = one;
        return;
    }
    total.result = total.result != 0 ? total.result : one.result;
    total.stored = total.stored && one.stored;
    total.unreadable += one.unreadable;
    total.store.allSafe = total.store.allSafe && one.store.allSafe;
    total.store.entries += one.store.entries;
    total.store.written += one.store.written;
    total.store.skippedIdentical += one.store.skippedIdentical;
    total.store.writtenUnderOtherName += one.store.writtenUnderOtherName;
    total.store.failed += one.store.failed;
    total.store.notArchived += one.store.notArchived;
    if (!one.spoolCopy.isEmpty())
        total.spoolCopy = one.spoolCopy;
    if (!one.keptCopy.isEmpty())
        total.keptCopy = one.keptCopy;
}

} // namespace

void TFicheDownloadVexa::ReportSpoolLeftovers() { OfferLeftovers(SpoolLeftovers(SpoolDirectory)); }

void TFicheDownloadVexa::OfferLeftovers(const QStringList& files)
{
    if (files.isEmpty() || Worker)
        return;
    QStringList texts;
    for (const QString& file : files)
        texts << SpoolKeptText(file);
    const QString question = texts.join(QLatin1Char('\n')) + QStringLiteral("\n\n") +
                             TextWithPath(MessageText(msg::StoreLeftoverQuestion), DestinationDir);
    if (Boxes().QuestionBox(question, MessageText(msg::StoreNowButton), MessageText(msg::LaterButton)))
        StoreLeftovers(files);
}

void TFicheDownloadVexa::StoreLeftovers(const QStringList& files)
{
    if (TestDestination(DestinationDir)) {
        Boxes().MessageBox(MessageText(msg::DestinationUnusable));
        return;
    }
    TDownloadAccount account;
    account.destination = DestinationDir;
    TWindowReporter reporter(*this, account);
    bool first = true;
    {
        TWaitCursor wait;
        StatusLine(MessageText(msg::StatusStoring));
        RepaintPending();
        for (const QString& file : files) {
            // Stored as pellkit-cli store stores it: the archives, then the
            // copy on to the downloads folder once all of it is safe.
            QFile source(file);
            if (!source.open(QIODevice::ReadOnly)) {
                Boxes().MessageBox(TextWithPath(MessageText(msg::FileUnreadable), file) + QLatin1Char('\n') +
                                   source.errorString());
                continue;
            }
            const QByteArray bytes = source.readAll();
            TDownloadOutcome outcome;
            outcome.result = kResultOk;
            outcome.data = std::make_unique<TMemoryStream>(
                std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
            outcome.sourceFile = file;
            outcome.spoolFile = file;
            AddUp(account.commit, CommitDownload(outcome, CommitOptions(), reporter), first);
            first = false;
        }
    }
    if (first) {
        StatusLine(QString());
        return;
    }
    ShowAccount(std::move(account));
}

void TFicheDownloadVexa::ShowAccount(TDownloadAccount account)
{
    Account = std::move(account);
    Account.summary = CommitSummaryText(Account.commit);
    StatusLine(Account.summary);
    btnArchives->setEnabled(!Account.IsEmpty());
    // The register shows what the download brought.
    if (Register)
        Register->Refresh();
}

void TFicheDownloadVexa::btnArchivesClick()
{
    TFormArchives list(Account, InterfaceLanguage, this);
    list.exec();
}

TCommitOptions TFicheDownloadVexa::CommitOptions() const
{
    TCommitOptions options;
    options.store = StoreOptions;
    options.store.destination = DestinationDir;
    options.store.cardFormat = CardArchiveFormat;
    options.store.vehicleFormat = VehicleArchiveFormat;
    options.spoolDirectory = SpoolDirectory;
    if (!DownloadsDirectory.isEmpty())
        options.downloadsDirectory = DownloadsDirectory;
    return options;
}

QString TFicheDownloadVexa::PortFailureText(const QString& text, const QString& port) const
{
    const QString access = PortAccessHint(port);
    return access.isEmpty() ? text : access;
}

// ---- download

void TFicheDownloadVexa::SetDownloadControlsEnabled(bool enabled)
{
    // The group holds the number box, its spin buttons and the device field.
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
    const std::optional<QString> port = PortName();
    if (!port) {
        Boxes().MessageBox(MessageText(msg::NoPortSelected));
        return;
    }
    SavePortChoice();
    StartWorker(*port, cbNePasEffacer->isChecked(), {});
}

void TFicheDownloadVexa::StartWorker(const QString& port, bool keepData, const QString& confirmedCopy)
{
    SetDownloadControlsEnabled(false);
    confirmingCopy_ = confirmedCopy;
    runningPort_ = port;
    if (confirmedCopy.isEmpty()) {
        Account = {};
        btnArchives->setEnabled(false);
    }
    blocks_ = 0;
    firstBlock_ = 0;
    // The open exchange waits for the Vexa from the start.
    setCursor(Qt::BusyCursor);
    ShowWaiting();
    Worker = new TThreadDownload(port, *ComPort1, keepData);
    Worker->SetSpoolDirectory(SpoolDirectory);
    if (!confirmedCopy.isEmpty())
        Worker->SetConfirmedCopy(confirmedCopy);
    connect(Worker, &TThreadDownload::DownloadProgress, this, &TFicheDownloadVexa::DownloadProgress);
    connect(Worker, &TThreadDownload::Completed, this, &TFicheDownloadVexa::DownloadDone);
    Worker->start();
}

void TFicheDownloadVexa::ShowWaiting() { StatusLine(MessageText(msg::StatusWaiting)); }

void TFicheDownloadVexa::btnCancelClick()
{
    if (Worker)
        Worker->Cancel();
}

void TFicheDownloadVexa::DownloadProgress(int, qint64 received, qint64 total)
{
    // A notification that arrives after the end changes nothing.
    if (!Worker)
        return;
    ProgressBar1->setValue(Worker->Progress());
    if (++blocks_ == 1)
        firstBlock_ = received;
    if (total > 0 && received >= total) {
        // The check, then the end command; its wait is short.
        waitTimer_->stop();
        StatusLine(MessageText(msg::StatusChecking));
        return;
    }
    // The Vexa sends full blocks but the last: the first one's size counts them.
    const qint64 blocks = total > 0 && firstBlock_ > 0 ? std::max<qint64>(blocks_, (total + firstBlock_ - 1) / firstBlock_)
                                                       : 0;
    StatusLine(blocks > 0 ? MessageText(msg::StatusBlock).arg(blocks_).arg(blocks)
                          : MessageText(msg::StatusBlockOfUnknown).arg(blocks_));
    waitTimer_->start();
}

void TFicheDownloadVexa::DownloadDone(TThreadDownload* worker)
{
    if (!worker || worker != Worker)
        return;
    waitTimer_->stop();
    unsetCursor();
    TDownloadOutcome outcome = worker->TakeOutcome();
    const QString confirmed = std::exchange(confirmingCopy_, QString());
    if (!confirmed.isEmpty()) {
        FinishConfirmedDeletion(outcome, confirmed);
        return;
    }
    TDownloadAccount account;
    account.destination = DestinationDir;
    TWindowReporter reporter(*this, account);
    btnCancel->setEnabled(false);
    {
        TWaitCursor wait;
        if (outcome.data) {
            StatusLine(MessageText(msg::StatusStoring));
            RepaintPending();
        }
        account.commit = CommitDownload(outcome, CommitOptions(), reporter);
    }
    btnCancel->setEnabled(true);
    EndDownload();
    ShowAccount(std::move(account));
    if (reporter.failure && !(closeWhenDone_ && *reporter.failure == kResultCancelled)) {
        const QString text = ResultText(*reporter.failure);
        Boxes().MessageBox(*reporter.failure == kResultBadFrame ? PortFailureText(text, runningPort_) : text, this);
    }
    // Offered once the controls are back: deleting starts a second run.
    if (!reporter.unreadable.isEmpty() && !closeWhenDone_) {
        const QString question = reporter.unreadable + QStringLiteral("\n\n") +
                                 TextWithPath(MessageText(msg::DeleteAnywayQuestion), reporter.keptCopy);
        const std::optional<QString> port = PortName();
        if (port && !reporter.keptCopy.isEmpty() &&
            Boxes().QuestionBox(question, MessageText(msg::DeleteAnywayButton), MessageText(msg::KeepInVexaButton)))
            StartWorker(*port, false, reporter.keptCopy);
        else if (reporter.keptCopy.isEmpty() || !port)
            Boxes().MessageBox(reporter.unreadable, this);
    }
    if (!reporter.spoolLeft.isEmpty() && !closeWhenDone_)
        OfferLeftovers({reporter.spoolLeft});
    if (closeWhenDone_ && !Worker)
        close();
}

void TFicheDownloadVexa::FinishConfirmedDeletion(const TDownloadOutcome& outcome, const QString& keptCopy)
{
    EndDownload();
    if (outcome.result == kResultOk) {
        // The account of the first run stands, but for what the Vexa did.
        Account.commit.endCommand = 0x83;
        Account.commit.endConfirmed = true;
        ShowAccount(std::move(Account));
        Boxes().InformationBox(TextWithPath(MessageText(msg::DeletedAnyway), keptCopy));
    } else if (outcome.result == kResultBadDataFile) {
        Boxes().MessageBox(TextWithPath(MessageText(msg::DeleteAnywayMismatch), keptCopy), this);
    } else if (!(closeWhenDone_ && outcome.result == kResultCancelled)) {
        Boxes().MessageBox(outcome.result == kResultBadFrame
                               ? PortFailureText(ResultText(outcome.result), runningPort_)
                               : ResultText(outcome.result),
                           this);
    }
    if (closeWhenDone_)
        close();
}

void TFicheDownloadVexa::EndDownload()
{
    SetDownloadControlsEnabled(true);
    ProgressBar1->setValue(0);
    waitTimer_->stop();
    unsetCursor();
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
    const std::optional<QString> port = PortName();
    if (!port) {
        Boxes().ErrorBox(MessageText(msg::NoPortSelected));
        return;
    }
    if (!FicheConfigVexa)
        CreateDialogs();
    SavePortChoice();
    ComPort1->SetName(port->toStdString());
    FicheConfigVexa->ApplyLanguage(InterfaceLanguage);
    if (FicheConfigVexa->RunModal(*ComPort1) != QDialog::Accepted)
        return;

    int r = -1;
    SetSettingsControlsEnabled(false);
    settingsFlowRunning_ = true;
    {
        TWaitCursor wait;
        try {
            r = SendSettings(*port);
        } catch (const std::exception& e) {
            StatusLine(QString::fromLocal8Bit(e.what()));
            r = -1;
        }
    }
    settingsFlowRunning_ = false;
    StatusLine(MessageText(r != 0 ? msg::SettingsFailed : msg::SettingsSent));
    if (r != 0) {
        const QString access = r == -1 ? PortAccessHint(*port) : QString();
        Boxes().MessageBox(MessageText(msg::SettingsFailed) + (access.isEmpty() ? QString() : QStringLiteral("\n\n") + access));
    } else {
        Boxes().InformationBox(MessageText(msg::SettingsSent));
    }
    SetSettingsControlsEnabled(true);
}

int TFicheDownloadVexa::SendSettings(int n) { return SendSettings(QStringLiteral("COM%1").arg(n)); }

int TFicheDownloadVexa::SendSettings(const QString& portName)
{
    ShowWaiting();
    RepaintPending();
    return ::SendSettings(*ComPort1, portName, FicheConfigVexa->Settings(), [this](const QString& line) {
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
