#include "uFormRegister.h"

#include "uFormSupport.h"
#include "uFormViewer.h"
#include "uLocalization.h"
#include "uMessageCodes.h"
#include "uRegisterTexts.h"
#include "uTranslation.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <exception>

using reg::TDueState;
using reg::TRegisterRow;

namespace {

QString Utf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString PathText(const std::filesystem::path& path)
{
    return QDir::toNativeSeparators(QString::fromStdU16String(path.u16string()));
}

// How many files between two progress reports: a large folder must not
// flood the event loop.
constexpr std::size_t kProgressStep = 16;

} // namespace

// ---- the table

TRegisterModel::TRegisterModel(QObject* parent) : QAbstractTableModel(parent) {}

void TRegisterModel::SetRows(std::vector<TRegisterRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void TRegisterModel::Retranslate()
{
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    if (!rows_.empty())
        emit dataChanged(index(0, 0), index(static_cast<int>(rows_.size()) - 1, ColumnCount - 1));
}

int TRegisterModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TRegisterModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QString TRegisterModel::StateText(TDueState due) { return reg::DueText(due); }

QVariant TRegisterModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size()))
        return {};
    const TRegisterRow& r = rows_[static_cast<std::size_t>(index.row())];
    const bool downloaded = r.lastDownload != 0;
    if (role == Qt::BackgroundRole) {
        // The colour repeats what the state column says in words.
        if (r.due == TDueState::Overdue)
            return QColor(0xF8, 0xD7, 0xDA);
        if (r.due == TDueState::DueSoon)
            return QColor(0xFF, 0xF3, 0xCD);
        return {};
    }
    if (role == Qt::ForegroundRole && r.due != TDueState::Ok)
        return QColor(Qt::black);
    if (role == Qt::TextAlignmentRole && (index.column() == DaysLeft || index.column() == Archives))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole)
        return PathText(r.latest);
    if (role == kSortRole) {
        switch (index.column()) {
        case State: return static_cast<int>(r.due) * -1;
        case LastDownload: return static_cast<qlonglong>(r.lastDownload);
        case NextDue: return static_cast<qlonglong>(r.nextDue);
        case DaysLeft: return downloaded ? r.daysLeft : INT_MIN;
        case Archives: return r.archives;
        default: return data(index, Qt::DisplayRole);
        }
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case State: return StateText(r.due);
    case Kind: return reg::KindText(r.kind);
    case CardNumber: return Utf8(r.cardNumber);
    case Holder: return Utf8(r.holder);
    case Registration: return Utf8(r.registration);
    case Vin: return Utf8(r.vin);
    case Nation: return Utf8(r.nation);
    case CardExpiry: return Utf8(r.cardExpiry);
    case LastDownload: return reg::DownloadDateText(r.lastDownload);
    case NextDue: return downloaded ? reg::DownloadDateText(r.nextDue) : QString();
    case DaysLeft: return downloaded ? QVariant(r.daysLeft) : QVariant(QString());
    case Signature: return reg::VerdictText(r.verdict);
    case Archives: return r.archives;
    default: break;
    }
    return {};
}

QVariant TRegisterModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static constexpr int kCaptions[ColumnCount] = {
        msg::RegisterColumnState,       msg::RegisterColumnKind,         msg::RegisterColumnCardNumber,
        msg::RegisterColumnHolder,      msg::RegisterColumnRegistration, msg::RegisterColumnVin,
        msg::RegisterColumnNation,      msg::RegisterColumnCardExpiry,   msg::RegisterColumnLastDownload,
        msg::RegisterColumnNextDue,     msg::RegisterColumnDaysLeft,     msg::RegisterColumnSignature,
        msg::RegisterColumnArchives,
    };
    return section >= 0 && section < ColumnCount ? MessageText(kCaptions[section]) : QVariant();
}

// ---- the window

TFormRegister::TFormRegister(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormRegister"));
    setFont(TahomaFont());
    resize(1260, 560);
    Today = [] { return static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch()); };
    CacheFile = reg::DefaultRegisterCache();

    lbStatus = new QLabel(this);
    lbStatus->setObjectName(QStringLiteral("lbStatus"));
    lbStatus->setTextFormat(Qt::PlainText);
    pbReading = new QProgressBar(this);
    pbReading->setObjectName(QStringLiteral("pbReading"));
    pbReading->setVisible(false);
    pbReading->setMaximumWidth(240);
    btnRefresh = new QPushButton(this);
    btnRefresh->setObjectName(QStringLiteral("btnRefresh"));
    connect(btnRefresh, &QPushButton::clicked, this, &TFormRegister::Refresh);

    model = new TRegisterModel(this);
    sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(model);
    sorted->setSortRole(TRegisterModel::kSortRole);
    tvRegister = new QTableView(this);
    tvRegister->setObjectName(QStringLiteral("tvRegister"));
    tvRegister->setModel(sorted);
    tvRegister->setSortingEnabled(true);
    tvRegister->sortByColumn(TRegisterModel::DaysLeft, Qt::AscendingOrder);
    tvRegister->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvRegister->setSelectionMode(QAbstractItemView::SingleSelection);
    tvRegister->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvRegister->verticalHeader()->setVisible(false);
    tvRegister->horizontalHeader()->setStretchLastSection(true);
    connect(tvRegister, &QTableView::doubleClicked, this, [this](const QModelIndex& index) { OpenRow(index.row()); });

    lbOthers = new QLabel(this);
    lbOthers->setObjectName(QStringLiteral("lbOthers"));
    lvOthers = new QTreeWidget(this);
    lvOthers->setObjectName(QStringLiteral("lvOthers"));
    lvOthers->setRootIsDecorated(false);
    lvOthers->setColumnCount(2);

    auto* top = new QHBoxLayout;
    top->addWidget(lbStatus, 1);
    top->addWidget(pbReading);
    top->addWidget(btnRefresh);
    auto* others = new QWidget(this);
    auto* othersLayout = new QVBoxLayout(others);
    othersLayout->setContentsMargins(0, 0, 0, 0);
    othersLayout->addWidget(lbOthers);
    othersLayout->addWidget(lvOthers);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(tvRegister);
    split->addWidget(others);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
}

TFormRegister::~TFormRegister() { Stop(); }

void TFormRegister::Stop()
{
    again_ = false;
    if (!worker_)
        return;
    cancel_->store(true);
    disconnect(worker_, nullptr, this, nullptr);
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
}

void TFormRegister::closeEvent(QCloseEvent* e)
{
    Stop();
    QWidget::closeEvent(e);
}

void TFormRegister::SetFolders(std::vector<std::filesystem::path> folders) { folders_ = std::move(folders); }

void TFormRegister::ApplyLanguage(int code)
{
    language_ = code;
    ApplyCharset(*this, TahomaFont(), LanguageCharset(code));
    QStringList folders;
    for (const auto& f : folders_)
        folders << PathText(f);
    setWindowTitle(MessageText(msg::RegisterTitle) + QStringLiteral(" — ") + folders.join(QStringLiteral(", ")));
    btnRefresh->setText(MessageText(msg::RegisterRefresh));
    lbOthers->setText(MessageText(msg::RegisterOthersTitle));
    lvOthers->setHeaderLabels({MessageText(msg::RegisterColumnFile), MessageText(msg::RegisterColumnReason)});
    model->Retranslate();
    if (loaded_)
        ShowRegister();
    ShowStatus();
}

void TFormRegister::Refresh()
{
    if (worker_) {
        // The reading under way may miss what just changed: read again after it.
        again_ = true;
        cancel_->store(true);
        return;
    }
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    auto result = std::make_shared<reg::TRegister>();
    auto error = std::make_shared<std::string>();
    reg::TRegisterOptions options;
    options.cacheFile = CacheFile;
    options.today = Today();
    options.cancel = cancel_.get();
    options.trustedKeys = std::filesystem::path(QCoreApplication::applicationDirPath().toStdU16String());
    options.progress = [this](std::size_t done, std::size_t total) {
        if (done % kProgressStep == 0 || done == total)
            QMetaObject::invokeMethod(this, [this, done, total] { ShowProgress(done, total); }, Qt::QueuedConnection);
    };
    worker_ = QThread::create([folders = folders_, options, result, error, cancel = cancel_] {
        try {
            *result = reg::BuildRegister(folders, options);
        } catch (const std::exception& e) {
            *error = e.what();
        }
    });
    connect(worker_, &QThread::finished, this, [this, result, error] {
        worker_->deleteLater();
        worker_ = nullptr;
        const bool stopped = cancel_->load() || result->cancelled;
        if (!stopped) {
            register_ = std::move(*result);
            error_ = Utf8(*error);
            loaded_ = true;
            ShowRegister();
        }
        pbReading->setVisible(false);
        ShowStatus();
        if (again_) {
            again_ = false;
            Refresh();
        }
        emit Loaded();
    });
    pbReading->setRange(0, 0);
    pbReading->setVisible(true);
    ShowStatus();
    worker_->start(QThread::LowPriority);
}

void TFormRegister::ShowProgress(std::size_t done, std::size_t total)
{
    if (!worker_)
        return;
    pbReading->setRange(0, static_cast<int>(std::min<std::size_t>(total, INT_MAX)));
    pbReading->setValue(static_cast<int>(std::min(done, total)));
    lbStatus->setText(MessageText(msg::RegisterReading).arg(done).arg(total));
}

void TFormRegister::ShowStatus()
{
    if (worker_) {
        lbStatus->setText(MessageText(msg::RegisterReading).arg(0).arg(QStringLiteral("…")));
        return;
    }
    if (!error_.isEmpty()) {
        lbStatus->setText(error_);
        return;
    }
    if (!loaded_) {
        lbStatus->clear();
        return;
    }
    int cards = 0;
    for (const auto& r : register_.rows)
        cards += r.kind == reg::TEntityKind::DriverCard ? 1 : 0;
    const int vus = static_cast<int>(register_.rows.size()) - cards;
    if (register_.rows.empty()) {
        QStringList folders;
        for (const auto& f : folders_)
            folders << PathText(f);
        lbStatus->setText(MessageText(msg::RegisterEmpty).arg(folders.join(QStringLiteral(", "))));
    } else {
        lbStatus->setText(MessageText(msg::RegisterCounts).arg(cards).arg(vus));
    }
}

void TFormRegister::ShowRegister()
{
    model->SetRows(register_.rows);
    // A folder of cards only has no use for the vehicles' columns, and the reverse.
    for (const int c : {TRegisterModel::CardNumber, TRegisterModel::Holder, TRegisterModel::CardExpiry,
                        TRegisterModel::Registration, TRegisterModel::Vin}) {
        bool any = false;
        for (int r = 0; r < model->rowCount() && !any; ++r)
            any = !model->index(r, c).data().toString().isEmpty();
        tvRegister->setColumnHidden(c, !any && model->rowCount() > 0);
    }
    tvRegister->resizeColumnsToContents();
    lvOthers->clear();
    for (const auto& f : register_.unreadableFolders)
        new QTreeWidgetItem(lvOthers, {PathText(f.folder),
                                       MessageText(msg::RegisterFolderUnreadable).arg(PathText(f.folder), Utf8(f.reason))});
    for (const auto& o : register_.others) {
        const QString reason = reg::OtherText(o);
        auto* item = new QTreeWidgetItem(lvOthers, {PathText(o.path), reason});
        item->setToolTip(1, reason);
    }
    lvOthers->resizeColumnToContents(0);
    // The list apart takes room only when it holds something.
    lvOthers->parentWidget()->setVisible(lvOthers->topLevelItemCount() > 0);
}

TFormViewer* TFormRegister::OpenRow(int row)
{
    const QModelIndex at = sorted->mapToSource(sorted->index(row, 0));
    if (!at.isValid() || at.row() >= static_cast<int>(model->Rows().size()))
        return nullptr;
    const TRegisterRow& r = model->Rows()[static_cast<std::size_t>(at.row())];
    TFormViewer* viewer = OpenViewer(QString::fromStdU16String(r.latest.u16string()), language_, parentWidget());
    if (viewer)
        emit ViewerOpened(viewer);
    return viewer;
}
