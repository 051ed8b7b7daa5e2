#pragma once
// The main window: port, destination, keep flag and interface language; it
// starts and follows a download, opens the configuration and extension
// dialogs, and keeps the user's choices. It owns the program's one serial
// port and lends it to the worker and the dialogs.

#include "uArchiveStore.h"
#include "uDownloadCommit.h"
#include "uFicConfigVexa.h"
#include "uFormExtension.h"
#include "uSerialPort.h"

#include <QList>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;
class TOwnerDrawComboBox;
class TRadioGroup;
class TThreadDownload;
class TUpDown;

class TFicheDownloadVexa : public QWidget {
    Q_OBJECT
public:
    // port null: the machine's serial port (QSerialPort).
    explicit TFicheDownloadVexa(std::unique_ptr<ISerialPort> port = nullptr, QWidget* parent = nullptr);
    ~TFicheDownloadVexa() override;

    // Start-up, in this order, after construction.
    void LoadLanguage();
    void LoadDestination();
    void CreateDialogs();
    // Tells the user about downloads whose safety copy was never fully stored.
    void ReportSpoolLeftovers();

    void ApplyLanguage(int code);
    void FormActivate();
    // No minimize or maximize box: the window has one size.
    void DropMinMaxBoxes();
    // The port choice as a COM number; none when no entry is selected.
    std::optional<int> PortNumber() const;
    // Folder chooser; directory in/out. True when a folder was chosen.
    bool BrowseForFolder(const QString& title, const QString& root, bool newFolders, bool editBox, bool files,
                         QString& directory);
    void SaveDestination(const QString& directory);
    int SendSettings(int n);
    void StatusLine(const QString& text);
    // Paints flag index of ImageList1 into rect on the list's background.
    void cbLanguageDrawItem(QPainter& painter, int index, const QRect& rect, bool selected);

    // The executable's folder, ending with a separator.
    static QString ExecutableDirectory();

    QLabel* Label1;
    TRadioGroup* rgPortCom;
    QLineEdit* edAutrePortCOM;
    QCheckBox* cbNePasEffacer;
    QProgressBar* ProgressBar1;
    QPushButton* btnDownloading;
    QPushButton* btnCancel;
    QPushButton* btnConfiguration;
    TUpDown* UpDown1;
    QPushButton* btnExtensions;
    std::unique_ptr<ISerialPort> ComPort1;
    QLabel* ImageSmallLogo;
    QToolButton* QuitButton;
    QPushButton* btnDestination;
    TOwnerDrawComboBox* cbLanguage;
    QList<QPixmap> ImageList1;
    QLineEdit* Edit1;

    TThreadDownload* Worker = nullptr;
    int CardArchiveFormat = 0;
    int VehicleArchiveFormat = 0;
    QString DestinationDir;
    int InterfaceLanguage = 0;

    std::unique_ptr<TFormExtension> FormExtension;
    std::unique_ptr<TFicheConfigVexa> FicheConfigVexa;

    // Where the worker keeps its safety copy; the per-user default unless set.
    QString SpoolDirectory;
    // Where data files are kept for good; the per-user default when empty.
    QString DownloadsDirectory;
    // Injected into the storage pass (tests pin the clock and the disk).
    TStoreOptions StoreOptions;

public slots:
    void btnDownloadingClick();
    void btnCancelClick();
    void DownloadDone(TThreadDownload* worker);
    void DownloadProgress();
    void rgPortComClick();
    void btnDestinationClick();
    void btnConfigurationClick();
    void btnExtensionsClick();
    void cbLanguageChange();
    void QuitButtonClick();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void SetDownloadControlsEnabled(bool enabled);
    void SetSettingsControlsEnabled(bool enabled);
    // Starts the worker on port; with confirmedCopy, the run that lets the
    // Vexa delete a data file kept in the downloads folder.
    void StartWorker(int port, bool keepData, const QString& confirmedCopy);
    void FinishConfirmedDeletion(const TDownloadOutcome& outcome, const QString& keptCopy);
    // The controls back and the worker forgotten.
    void EndDownload();
    void RestoreFormState();
    void SaveFormState();

    bool shown_ = false;
    bool closeWhenDone_ = false;
    bool settingsFlowRunning_ = false;
    QString confirmingCopy_;
};
