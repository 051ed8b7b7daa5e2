#include "uFormArchives.h"

#include "uFormSupport.h"
#include "uLocalization.h"
#include "uMessageCodes.h"
#include "uTranslation.h"

#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

QStringList TDownloadAccount::NoteTexts() const
{
    QStringList texts;
    for (const auto& note : notes)
        texts << note();
    return texts;
}

TFormArchives::TFormArchives(const TDownloadAccount& account, int languageCode, QWidget* parent)
    : QDialog(parent), destination_(account.destination)
{
    setObjectName(QStringLiteral("FormArchives"));
    ApplyCharset(*this, TahomaFont(), LanguageCharset(languageCode));
    setWindowTitle(MessageText(msg::ArchivesTitle));
    resize(620, 380);

    Label1 = new QLabel(account.summary, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);

    lvArchives = new QTreeWidget(this);
    lvArchives->setObjectName(QStringLiteral("lvArchives"));
    lvArchives->setRootIsDecorated(false);
    lvArchives->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvArchives->setHeaderLabels(
        {MessageText(msg::ColumnName), MessageText(msg::ColumnSize), MessageText(msg::ColumnOutcome)});
    for (const TArchiveReport& report : account.archives) {
        auto* row = new QTreeWidgetItem(lvArchives, RowTexts(report));
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        row->setToolTip(0, QDir::toNativeSeparators(QDir(destination_).filePath(row->text(0))));
    }
    lvArchives->header()->setStretchLastSection(true);
    lvArchives->resizeColumnToContents(0);
    lvArchives->resizeColumnToContents(1);

    Label2 = new QLabel(account.NoteTexts().join(QLatin1Char('\n')), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    Label2->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label2->setVisible(!account.notes.isEmpty());

    btnOpenFolder = new QPushButton(MessageText(msg::OpenFolder), this);
    btnOpenFolder->setObjectName(QStringLiteral("btnOpenFolder"));
    btnOpenFolder->setEnabled(!destination_.isEmpty());
    connect(btnOpenFolder, &QPushButton::clicked, this, &TFormArchives::btnOpenFolderClick);
    btnClose = new QPushButton(MessageText(msg::Ok), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnOpenFolder);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(lvArchives, 1);
    layout->addWidget(Label2);
    layout->addLayout(buttons);
}

QStringList TFormArchives::RowTexts(const TArchiveReport& report)
{
    const QString name = report.fileName.isEmpty() ? report.name : report.fileName;
    QString outcome;
    switch (report.outcome) {
    case TArchiveOutcome::Written: outcome = MessageText(msg::OutcomeWritten); break;
    case TArchiveOutcome::SkippedIdentical: outcome = MessageText(msg::OutcomeAlreadyThere); break;
    case TArchiveOutcome::WrittenUnderOtherName: outcome = MessageText(msg::OutcomeOtherName).arg(report.name); break;
    case TArchiveOutcome::Failed: outcome = MessageText(msg::OutcomeFailed); break;
    }
    return {name, QLocale().formattedDataSize(report.bytes), outcome};
}

void TFormArchives::btnOpenFolderClick() { QDesktopServices::openUrl(QUrl::fromLocalFile(destination_)); }
