// pellkit: the desktop program.
#include "uBoxes.h"
#include "uFicDownloadVexa.h"
#include "uFlags.h"
#include "uLocalization.h"
#include "uScreenshots.h"
#include "uTranslation.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <exception>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Morvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Pellkit"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELLKIT_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("pellkit"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Empties a Vexa and stores its downloads; shows what an archive holds."));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                  QStringLiteral("Save pictures of the windows into DIR and quit."),
                                  QStringLiteral("DIR"));
    screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption screenshotLanguages(QStringLiteral("screenshot-languages"),
                                           QStringLiteral("Interface languages of the pictures (codes)."),
                                           QStringLiteral("CODES"), QStringLiteral("2,3,11"));
    screenshotLanguages.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption screenshotVexa(QStringLiteral("screenshot-vexa"),
                                      QStringLiteral("A (simulated) Vexa to download from for the pictures."),
                                      QStringLiteral("DEVICE"));
    screenshotVexa.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshot);
    parser.addOption(screenshotLanguages);
    parser.addOption(screenshotVexa);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A driver card image or VU download to open in the viewer."),
                                 QStringLiteral("[FILE...]"));
    parser.process(app);

    InitUiResources();
    QApplication::setWindowIcon(ApplicationIcon());

    try {
        TFicheDownloadVexa window;
        window.LoadLanguage();
        window.LoadDestination();
        window.CreateDialogs();

        if (parser.isSet(screenshot)) {
            QList<int> languages;
            for (const QString& c : parser.value(screenshotLanguages).split(QLatin1Char(','), Qt::SkipEmptyParts))
                languages << c.trimmed().toInt();
            if (languages.isEmpty())
                languages << lang::French;
            return SaveScreenshots(window, parser.value(screenshot), languages, parser.value(screenshotVexa));
        }

        window.show();
        // The files named on the command line, once the window is up.
        if (const QStringList files = parser.positionalArguments(); !files.isEmpty())
            QTimer::singleShot(0, &window, [&window, files] { window.OpenFiles(files); });
        QTimer::singleShot(0, &window, &TFicheDownloadVexa::ReportSpoolLeftovers);
        return QApplication::exec();
    } catch (const ESQLite& e) {
        // Without its catalogue the program has nothing to say: name the file at least.
        TMessageBoxes().ErrorBox(QString::fromLocal8Bit(e.what()) + QLatin1Char('\n') + CataloguePath());
        return 1;
    } catch (const std::exception& e) {
        TMessageBoxes().ErrorBox(QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
