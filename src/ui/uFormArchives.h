#pragma once
// The account of the last download (or of data files stored again): what the
// commit reported, kept by the main window, and the dialog that lists it with
// a button that opens the destination in the system's file manager.

#include "uArchiveStore.h"
#include "uDownloadCommit.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;

struct TDownloadAccount {
    TCommitSummary commit;            // as the commit summed it up
    QString summary;                  // its one line, as the status line shows it
    QString destination;              // where the archives went
    QList<TArchiveReport> archives;   // each archive that was to be written
    // Entries without an archive, where the data file is kept: each said in
    // the interface language of the moment it is shown.
    QList<std::function<QString()>> notes;
    QStringList NoteTexts() const;
    bool IsEmpty() const { return archives.isEmpty() && notes.isEmpty(); }
};

class TFormArchives : public QDialog {
    Q_OBJECT
public:
    TFormArchives(const TDownloadAccount& account, int languageCode, QWidget* parent = nullptr);

    // The name, size and outcome of an archive, as its row shows them.
    static QStringList RowTexts(const TArchiveReport& report);

    QLabel* Label1;              // the summary
    QTreeWidget* lvArchives;     // one row per archive
    QLabel* Label2;              // the notes
    QPushButton* btnOpenFolder;
    QPushButton* btnClose;

public slots:
    // The destination in the system's file manager.
    void btnOpenFolderClick();

private:
    QString destination_;
};
