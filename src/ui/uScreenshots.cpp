#include "uScreenshots.h"

#include "uFicConfigVexa.h"
#include "uFicConfigVexaDateTime.h"
#include "uFicDownloadVexa.h"
#include "uFlags.h"
#include "uFormExtension.h"
#include "uLocalization.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QThread>

#include <cstdio>

namespace {

void Settle()
{
    // Let the window system map and paint what was just shown.
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

QString LanguageTag(int code)
{
    switch (code) {
    case 2: return QStringLiteral("fr");
    case 3: return QStringLiteral("en");
    case 11: return QStringLiteral("el");
    default: break;
    }
    for (const lang::TLanguage& l : lang::kLanguages)
        if (l.code == code)
            return QString::fromLatin1(l.name).toLower();
    return QString::number(code);
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

} // namespace

int SaveScreenshots(TFicheDownloadVexa& window, const QString& directory, const QList<int>& languages)
{
    if (!QDir().mkpath(directory)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(QDir::toNativeSeparators(directory)));
        return 1;
    }
    const QDir dir(directory);
    bool ok = true;
    window.show();
    window.activateWindow();
    for (int code : languages) {
        const QString tag = LanguageTag(code);
        window.cbLanguage->setCurrentIndex(code - lang::First);
        window.cbLanguageChange();
        Settle();
        ok = Save(window.grab(), dir.filePath(QStringLiteral("main-%1.png").arg(tag))) && ok;

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
    }
    window.hide();
    return ok ? 0 : 1;
}
