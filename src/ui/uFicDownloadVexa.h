#pragma once
// The main window: port, destination, keep flag and interface language; it
// starts and follows a download, gives an account of it (the status line and
// the list of its archives), opens the configuration and extension dialogs,
// and keeps the user's choices. It owns the program's one serial port and
// lends it to the worker and the dialogs.

#include "uArchiveStore.h"
#include "uDownloadCommit.h"
#include "uFicConfigVexa.h"
#include "uFormArchives.h"
#include "uFormExtension.h"
#include "uQtSerialPort.h"
#include "uSerialPort.h"

#include <QList>
#include <QPointer>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolButton;
class TOwnerDrawComboBox;
class TRadioGroup;
class TThreadDownload;
class TUpDown;
class TFormViewer;
class TFormRegister;

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
    // Offers to store the downloads whose safety copy was never fully stored.
    void ReportSpoolLeftovers();

    void ApplyLanguage(int code);
    void FormActivate();
    // No minimize or maximize box: the window has one size.
    void DropMinMaxBoxes();
    // The port choice as a COM number; none when no entry is selected, or
    // when a device is chosen by its path.
    std::optional<int> PortNumber() const;
    // The port as it is opened: "COMn", or the device's path; none when no
    // entry is selected or the device field is empty.
    std::optional<QString> PortName() const;
    // Fills the device field's list from ListPorts, keeping what it shows.
    void RefreshPorts();
    // Folder chooser; directory in/out. True when a folder was chosen.
    bool BrowseForFolder(const QString& title, const QString& root, bool newFolders, bool editBox, bool files,
                         QString& directory);
    void SaveDestination(const QString& directory);
    int SendSettings(int n);
    int SendSettings(const QString& portName);
    // Shows text in the status line (and logs it).
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
    // Beyond the original window: the device field beside the port group's
    // last entry, the status line under the progress bar, and the button
    // beside it that lists the last download's archives.
    QComboBox* cbPortDevice;
    QLabel* lbStatus;
    QPushButton* btnArchives;
    // Either side of the cancel button: an archive in the viewer, and the
    // register of the destination.
    QPushButton* btnOpenArchive;
    QPushButton* btnRegister;

    // The viewers and the register window that are open: they follow the
    // flag, and the register follows the downloads.
    QList<QPointer<TFormViewer>> Viewers;
    QPointer<TFormRegister> Register;
    // Each file in a viewer of its own (a file dropped on the window, or
    // named on the command line); a file the viewer cannot read is told.
    void OpenFiles(const QStringList& paths);

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
    // The serial ports the device field offers (tests put a pty there).
    std::function<QList<TDetectedPort>()> ListPorts = DetectedSerialPorts;
    // What the last download, or the last stored safety copies, left.
    TDownloadAccount Account;

public slots:
    void btnDownloadingClick();
    void btnCancelClick();
    void DownloadDone(TThreadDownload* worker);
    void DownloadProgress(int progress, qint64 received, qint64 total);
    void rgPortComClick();
    void btnArchivesClick();
    void btnOpenArchiveClick();
    void btnRegisterClick();
    void btnDestinationClick();
    void btnConfigurationClick();
    void btnExtensionsClick();
    void cbLanguageChange();
    void QuitButtonClick();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    void SetDownloadControlsEnabled(bool enabled);
    void SetSettingsControlsEnabled(bool enabled);
    // The number box and the device field inside the port group.
    void PlacePortFields();
    // Writes the port choice where pellkit-cli finds it ("Port").
    void SavePortChoice();
    QString DevicePath() const;
    // Starts the worker on port; with confirmedCopy, the run that lets the
    // Vexa delete a data file kept in the downloads folder.
    void StartWorker(const QString& port, bool keepData, const QString& confirmedCopy);
    // The box for a port that failed: the reason, and the way to the group
    // dialout when the user may not open the device.
    QString PortFailureText(const QString& text, const QString& port) const;
    // The commit's options: the destination, the names, the spool and downloads folders.
    TCommitOptions CommitOptions() const;
    // Shows the account's summary and lets its list be opened.
    void ShowAccount(TDownloadAccount account);
    // Asks whether to store the safety copies now, and does when told so.
    void OfferLeftovers(const QStringList& files);
    void StoreLeftovers(const QStringList& files);
    // The status line while the worker runs: a block, or waiting.
    void ShowWaiting();
    void FinishConfirmedDeletion(const TDownloadOutcome& outcome, const QString& keptCopy);
    // The controls back and the worker forgotten.
    void EndDownload();
    void RestoreFormState();
    void SaveFormState();

    bool shown_ = false;
    bool closeWhenDone_ = false;
    bool settingsFlowRunning_ = false;
    bool restoringForm_ = false;
    QString confirmingCopy_;
    QString runningPort_;         // the port of the download running or last run
    QTimer* waitTimer_ = nullptr; // a block that takes longer: waiting for the Vexa
    int blocks_ = 0;              // blocks received in this run
    qint64 firstBlock_ = 0;       // bytes of the first one
};
