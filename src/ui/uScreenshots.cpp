#include "uScreenshots.h"

#include "uBoxes.h"
#include "uDayChart.h"
#include "uFicConfigVexa.h"
#include "uFicConfigVexaDateTime.h"
#include "uFicDownloadVexa.h"
#include "uFlags.h"
#include "uFormExtension.h"
#include "uFormArchives.h"
#include "uFormRegister.h"
#include "uFormViewer.h"
#include "uLocalization.h"
#include "uRadioGroup.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

void Settle()
{
    // Let the window system map and paint what was just shown.
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

// The file names' language: fr, en, de, el, ...
QString LanguageTag(int code)
{
    const lang::TLanguage* language = lang::FindLanguage(code);
    return language ? QString::fromLatin1(language->locale).left(2) : QString::number(code);
}

bool Save(const QPixmap& picture, const QString& path)
{
    if (picture.save(path, "PNG")) {
        std::printf("%s\n", qPrintable(QDir::toNativeSeparators(path)));
        return true;
    }
    std::fprintf(stderr, "cannot write %s\n", qPrintable(QDir::toNativeSeparators(path)));
    return false;
}

// No box may wait for a click here: each is printed and answered no.
class TPrintedBoxes : public IBoxes {
public:
    void MessageBox(const QString& text, QWidget*) override { Print(text); }
    void InformationBox(const QString& text) override { Print(text); }
    void ErrorBox(const QString& text) override { Print(text); }
    bool QuestionBox(const QString& text, const QString&, const QString&) override
    {
        Print(text);
        return false;
    }
    bool shown = false;

private:
    void Print(const QString& text)
    {
        shown = true;
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
    }
};

// The window with what pops up over it (a list that drops down).
QPixmap WithPopup(QWidget& window, QWidget& popup)
{
    QPixmap picture = window.grab();
    QPainter painter(&picture);
    painter.drawPixmap(popup.mapToGlobal(QPoint()) - window.mapToGlobal(QPoint()), popup.grab());
    return picture;
}

// The next modal dialog of type D, once it is up: act on it, then close it.
template <class D> void WhenModal(std::function<void(D&)> act)
{
    auto* timer = new QTimer;
    auto* waited = new QElapsedTimer;
    waited->start();
    QObject::connect(timer, &QTimer::timeout, [timer, waited, act] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!dialog && waited->elapsed() < 10000)
            return;
        timer->stop();
        timer->deleteLater();
        delete waited;
        if (dialog) {
            Settle();
            act(*dialog);
            dialog->reject();
        }
    });
    timer->start(50);
}

// The register of the destination after the download, and the viewer on
// the archive with the most days, its chart and its records.
bool SaveRegisterAndViewer(TFicheDownloadVexa& window, const QDir& dir, const QList<int>& languages)
{
    bool ok = true;
    QString best;
    std::size_t bestDays = 0;
    for (const TArchiveReport& report : window.Account.archives) {
        const QString path = QDir(window.DestinationDir).filePath(report.fileName.isEmpty() ? report.name : report.fileName);
        TFormViewer probe;
        if (probe.OpenFile(path) && !probe.activityPanels.isEmpty() &&
            probe.activityPanels.front()->chart->Days().size() >= bestDays) {
            best = path;
            bestDays = probe.activityPanels.front()->chart->Days().size();
        }
    }
    for (int code : languages) {
        const QString tag = LanguageTag(code);
        window.cbLanguage->setCurrentIndex(code - lang::First);
        window.cbLanguageChange();
        window.btnRegisterClick();
        QElapsedTimer waited;
        waited.start();
        while (window.Register && window.Register->Loading() && waited.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        if (window.Register) {
            Settle();
            ok = Save(window.Register->grab(), dir.filePath(QStringLiteral("register-%1.png").arg(tag))) && ok;
            window.Register->close();
        }
        if (best.isEmpty())
            continue;
        TFormViewer* viewer = OpenViewer(best, code, &window);
        if (!viewer) {
            ok = false;
            continue;
        }
        Settle();
        ok = Save(viewer->grab(), dir.filePath(QStringLiteral("viewer-%1.png").arg(tag))) && ok;
        viewer->pcTabs->setCurrentWidget(viewer->tvRecords);
        // The holder's identification opened to its fields.
        if (QTreeWidgetItem* root = viewer->tvRecords->topLevelItem(0)) {
            for (int i = 0; i < root->childCount(); ++i) {
                QTreeWidgetItem* file = root->child(i);
                if (!file->text(0).startsWith(QStringLiteral("EF_Identification")))
                    continue;
                viewer->tvRecords->expandItem(file);
                for (int j = 0; j < file->childCount(); ++j)
                    viewer->tvRecords->expandItem(file->child(j));
            }
        }
        Settle();
        ok = Save(viewer->grab(), dir.filePath(QStringLiteral("viewer-records-%1.png").arg(tag))) && ok;
        viewer->close();
    }
    return ok;
}

} // namespace

int SaveScreenshots(TFicheDownloadVexa& window, const QString& directory, const QList<int>& languages,
                    const QString& vexaPort)
{
    TPrintedBoxes boxes;
    SetBoxes(&boxes);
    struct Restore {
        ~Restore() { SetBoxes(nullptr); }
    } restore;
    if (!QDir().mkpath(directory)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(QDir::toNativeSeparators(directory)));
        return 1;
    }
    const QDir dir(directory);
    bool ok = true;
    window.show();
    window.activateWindow();
    if (!vexaPort.isEmpty()) {
        // The simulator's pseudo-terminal is no port the system lists: it
        // joins the list under the simulator's name.
        window.ListPorts = [vexaPort] {
            QList<TDetectedPort> ports = DetectedSerialPorts();
            ports.push_back({vexaPort, QStringLiteral("vexa-sim")});
            return ports;
        };
        window.cbPortDevice->setEditText(vexaPort);
        window.rgPortCom->SetItemIndex(5); // the device entry
        window.rgPortComClick();
    }
    // The flag chosen as a user chooses it, then the window as it shows.
    const auto mainWindow = [&](int code, const QString& name) {
        window.cbLanguage->setCurrentIndex(code - lang::First);
        window.cbLanguageChange();
        Settle();
        ok = Save(window.grab(), dir.filePath(QStringLiteral("%1-%2.png").arg(name, LanguageTag(code)))) && ok;
    };
    for (int code : languages) {
        const QString tag = LanguageTag(code);
        mainWindow(code, QStringLiteral("main"));

        if (code == languages.front()) {
            window.cbLanguage->showPopup();
            Settle();
            QWidget* popup = window.cbLanguage->view()->window();
            ok = Save(popup->grab(), dir.filePath(QStringLiteral("main-flags.png"))) && ok;
            window.cbLanguage->hidePopup();
        }

        TFicheConfigVexa& config = *window.FicheConfigVexa;
        config.ApplyLanguage(code);
        config.show();
        Settle();
        ok = Save(config.grab(), dir.filePath(QStringLiteral("configuration-%1.png").arg(tag))) && ok;
        config.hide();

        TFicheConfigVexaDateTime clock;
        clock.ApplyLanguage(code);
        clock.LoadClockSetting();
        clock.show();
        Settle();
        ok = Save(clock.grab(), dir.filePath(QStringLiteral("clock-%1.png").arg(tag))) && ok;
        clock.hide();

        TFormExtension& extension = *window.FormExtension;
        extension.SelectFormats(window.VehicleArchiveFormat, window.CardArchiveFormat);
        extension.show();
        Settle();
        ok = Save(extension.grab(), dir.filePath(QStringLiteral("extensions-%1.png").arg(tag))) && ok;
        extension.hide();

        window.cbPortDevice->showPopup();
        Settle();
        ok = Save(WithPopup(window, *window.cbPortDevice->view()->window()),
                  dir.filePath(QStringLiteral("ports-%1.png").arg(tag))) &&
             ok;
        window.cbPortDevice->hidePopup();

        // The chooser as the destination button opens it, left with Cancel.
        WhenModal<QFileDialog>([&](QFileDialog& chooser) {
            ok = Save(chooser.grab(), dir.filePath(QStringLiteral("folder-%1.png").arg(tag))) && ok;
        });
        window.btnDestinationClick();
    }

    if (!vexaPort.isEmpty()) {
        // A download that lets the Vexa delete its data, then its account in
        // each language.
        window.cbLanguage->setCurrentIndex(languages.front() - lang::First);
        window.cbLanguageChange();
        window.cbNePasEffacer->setChecked(false);
        window.btnDownloading->click();
        QElapsedTimer waited;
        waited.start();
        while (window.Worker && waited.elapsed() < 120000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        if (window.Worker || boxes.shown || window.Account.archives.isEmpty()) {
            std::fprintf(stderr, "the download from %s did not end with archives\n", qPrintable(vexaPort));
            ok = false;
        }
        for (int code : languages) {
            const QString tag = LanguageTag(code);
            mainWindow(code, QStringLiteral("main-done"));
            WhenModal<TFormArchives>([&](TFormArchives& list) {
                ok = Save(list.grab(), dir.filePath(QStringLiteral("archives-%1.png").arg(tag))) && ok;
            });
            window.btnArchives->click();
        }
        ok = SaveRegisterAndViewer(window, dir, languages) && ok;
    }
    window.hide();
    return ok ? 0 : 1;
}
