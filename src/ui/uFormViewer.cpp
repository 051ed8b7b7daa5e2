#include "uFormViewer.h"

#include "uBoxes.h"
#include "uCard1BFile.h"
#include "uCertificates.h"
#include "uCodeNames.h"
#include "uDayChart.h"
#include "uFormSupport.h"
#include "uLocalization.h"
#include "uMemoryStream.h"
#include "uMessageCodes.h"
#include "uTachy1BDownload.h"
#include "uTranslation.h"
#include "uViewText.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <filesystem>

using namespace views;

namespace {

// Downloads are some hundred kilobytes; anything far larger is not one.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;
constexpr int kNodeRole = Qt::UserRole + 1;

QString Utf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString Time(std::uint32_t timeReal)
{
    if (timeReal == 0)
        return {};
    return QDateTime::fromSecsSinceEpoch(timeReal, Qt::UTC).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString Date(std::uint32_t timeReal) { return timeReal == 0 ? QString() : Utf8(IsoDate(timeReal)); }

QString Period(std::uint32_t begin, std::uint32_t end)
{
    if (begin == 0 && end == 0)
        return {};
    return Time(begin) + QStringLiteral(" – ") + Time(end);
}

QString NationText(std::uint8_t nation, const std::string& alpha)
{
    if (!alpha.empty())
        return Utf8(alpha);
    return QStringLiteral("%1h").arg(nation, 2, 16, QLatin1Char('0')).toUpper();
}

QString Registration(const TRegistrationView& r)
{
    if (r.number.empty())
        return {};
    return Utf8(r.number) + QStringLiteral(" (") + NationText(r.nation, r.nationAlpha) + QLatin1Char(')');
}

QString CardText(const std::optional<TCardNumberView>& card)
{
    if (!card)
        return {};
    return Utf8(card->number) + QStringLiteral(" (") + NationText(card->nation, card->nationAlpha) + QLatin1Char(')');
}

QString HexCode(std::uint8_t code) { return QStringLiteral("%1h").arg(code, 2, 16, QLatin1Char('0')).toUpper(); }

// The code beside its name: the names are the data's own vocabulary.
QString CodeText(std::uint8_t code, const std::string& name)
{
    return name.empty() ? HexCode(code) : HexCode(code) + QLatin1Char(' ') + Utf8(name);
}

QString Km(std::uint32_t km) { return QString::number(km); }

QString ControlText(const TControlTypeView& t)
{
    QStringList what;
    if (t.cardDownloaded)
        what << MessageText(msg::ControlCardDownload);
    if (t.vuDownloaded)
        what << MessageText(msg::ControlVuDownload);
    if (t.printed)
        what << MessageText(msg::ControlPrintout);
    if (t.displayed)
        what << MessageText(msg::ControlDisplay);
    return what.isEmpty() ? HexCode(t.code) : what.join(QStringLiteral(", "));
}

QString SlotText(TSlot slot) { return MessageText(slot == TSlot::Driver ? msg::SlotDriver : msg::SlotCoDriver); }

QString VerdictText(TVerdict verdict)
{
    switch (verdict) {
    case TVerdict::Valid: return MessageText(msg::VerdictValid);
    case TVerdict::Invalid: return MessageText(msg::VerdictInvalid);
    case TVerdict::NotCheckable: break;
    }
    return MessageText(msg::VerdictNotCheckable);
}

QColor VerdictColour(TVerdict verdict)
{
    switch (verdict) {
    case TVerdict::Valid: return QColor(0x2E, 0x7D, 0x32);
    case TVerdict::Invalid: return QColor(0xC6, 0x28, 0x28);
    case TVerdict::NotCheckable: break;
    }
    return QColor(0x75, 0x75, 0x75);
}

QString CertificateSubject(const std::string& subject)
{
    if (subject == "member state certificate")
        return MessageText(msg::CertificateMemberState);
    if (subject == "VU certificate")
        return MessageText(msg::CertificateVu);
    if (subject == "card certificate")
        return MessageText(msg::CertificateCard);
    return Utf8(subject);
}

QString CertificateVerdict(const TCertificateCheck& c)
{
    switch (c.state) {
    case TCertificateCheck::TState::Valid: return MessageText(msg::VerdictValid);
    case TCertificateCheck::TState::Invalid: return MessageText(msg::VerdictInvalid);
    case TCertificateCheck::TState::NotOpened:
        return MessageText(msg::VerdictNotCheckable) + QStringLiteral(" (") +
               MessageText(msg::CertificateUnknownAuthority) + QStringLiteral(": ") + Utf8(c.authorityReference) +
               QLatin1Char(')');
    case TCertificateCheck::TState::Missing: return MessageText(msg::CertificateMissing);
    case TCertificateCheck::TState::Malformed: return MessageText(msg::CertificateMalformed);
    }
    return {};
}

QString PartVerdict(const TSignedPartCheck& p)
{
    QString reason;
    switch (p.reason) {
    case TSignedPartCheck::TReason::None: break;
    case TSignedPartCheck::TReason::NoValidCertificate: reason = MessageText(msg::ReasonNoCertificate); break;
    case TSignedPartCheck::TReason::SignatureMissing: reason = MessageText(msg::ReasonNoSignature); break;
    case TSignedPartCheck::TReason::NoDataBlock: reason = MessageText(msg::ReasonNoData); break;
    case TSignedPartCheck::TReason::CutShort: reason = MessageText(msg::ReasonCutShort); break;
    case TSignedPartCheck::TReason::Unreadable:
        reason = MessageText(msg::ReasonUnreadable) + QStringLiteral(": ") + Utf8(p.detail);
        break;
    case TSignedPartCheck::TReason::Generation2: reason = MessageText(msg::ReasonGeneration2); break;
    }
    const QString verdict = VerdictText(p.verdict);
    return reason.isEmpty() ? verdict : verdict + QStringLiteral(" (") + reason + QLatin1Char(')');
}

} // namespace

TFormViewer::TFormViewer(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormViewer"));
    setFont(TahomaFont());
    resize(980, 680);
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(6, 6, 6, 6);
}

TFormViewer::~TFormViewer() = default;

bool TFormViewer::OpenFile(const QString& path)
{
    QFile file(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problem_ = MessageText(msg::ViewerCannotRead).arg(shown, file.errorString());
        return false;
    }
    if (file.size() > kMaxFileSize) {
        problem_ = MessageText(msg::ViewerTooLarge).arg(shown);
        return false;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        problem_ = MessageText(msg::ViewerCannotRead).arg(shown, file.errorString());
        return false;
    }
    return OpenBytes(std::vector<std::uint8_t>(content.begin(), content.end()), path);
}

bool TFormViewer::OpenBytes(std::vector<std::uint8_t> bytes, const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    problem_.clear();
    card_.reset();
    download_.reset();
    cardView_.reset();
    vuView_.reset();
    bytes_ = std::move(bytes);
    path_ = path;
    image_ = DetectImage(bytes_);
    switch (image_.kind) {
    case TImageKind::Unknown: problem_ = MessageText(msg::ViewerNotTachograph).arg(shown); return false;
    case TImageKind::VuGeneration2: problem_ = MessageText(msg::ViewerVuGeneration2).arg(shown); return false;
    case TImageKind::CardGeneration2: problem_ = MessageText(msg::ViewerCardGeneration2).arg(shown); return false;
    case TImageKind::DriverCard:
    case TImageKind::VuOverview: break;
    }

    TCertificateStore store;
    store.SetTrustedKeyDirectory(std::filesystem::path(QCoreApplication::applicationDirPath().toStdU16String()));
    const auto all = std::span<const std::uint8_t>(bytes_);
    TMemoryStream stream = TMemoryStream::Borrow(all);
    if (image_.kind == TImageKind::DriverCard) {
        card_ = std::make_unique<T1BDriverCard>();
        stream.SetPosition(image_.start);
        try {
            card_->LoadImage(stream);
        } catch (const ETachoError& e) {
            // What was read before the fault is still shown.
            problem_ = MessageText(msg::ViewerPartlyRead).arg(QString::fromUtf8(e.what()));
        }
        cardView_ = ViewCard(*card_);
        verification_ = VerifyCardImage(all.subspan(image_.start), store, image_.start);
    } else {
        download_ = std::make_unique<TVuDownload>();
        download_->LoadFromStream(stream);
        if (const auto& stop = download_->Stop())
            problem_ = MessageText(msg::ViewerPartlyRead).arg(Utf8(stop->reason));
        vuView_ = ViewVu(*download_);
        verification_ = VerifyVuDownload(all, store);
    }
    Fill();
    return true;
}

void TFormViewer::ApplyLanguage(int code)
{
    language_ = code;
    ApplyCharset(*this, TahomaFont(), LanguageCharset(code));
    if (card_ || download_)
        Fill();
}

void TFormViewer::Fill()
{
    const int tab = pcTabs ? pcTabs->currentIndex() : 0;
    if (content_) {
        // Gone from the window at once; deleted once the events that may
        // still name its widgets have passed.
        content_->hide();
        layout_->removeWidget(content_);
        content_->deleteLater();
    }
    activityPanels.clear();
    lvSignatures = nullptr;
    tvRecords = nullptr;
    setWindowTitle(MessageText(msg::ViewerTitle).arg(QFileInfo(path_).fileName()));

    content_ = new QWidget(this);
    auto* layout = new QVBoxLayout(content_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(IdentityBox());
    lbProblem = new QLabel(problem_, content_);
    lbProblem->setObjectName(QStringLiteral("lbProblem"));
    lbProblem->setWordWrap(true);
    lbProblem->setVisible(!problem_.isEmpty());
    lbProblem->setStyleSheet(QStringLiteral("color: #c62828;"));
    layout->addWidget(lbProblem);

    pcTabs = new QTabWidget(content_);
    pcTabs->setObjectName(QStringLiteral("pcTabs"));
    layout->addWidget(pcTabs, 1);
    if (cardView_)
        AddCardTabs();
    else if (vuView_)
        AddVuTabs();
    AddSignatures();
    AddRecords();
    pcTabs->setCurrentIndex(std::clamp(tab, 0, pcTabs->count() - 1));
    layout_->addWidget(content_);
}

QWidget* TFormViewer::IdentityBox()
{
    auto* box = new QWidget(content_);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(12);
    QList<std::pair<int, QString>> fields;
    if (cardView_) {
        const TCardIdentityView& id = cardView_->identity;
        QString holder = Utf8(id.surname);
        if (!id.firstNames.empty())
            holder += QStringLiteral(", ") + Utf8(id.firstNames);
        fields = {{msg::Holder, holder},
                  {msg::CardNumber, Utf8(id.cardNumber)},
                  {msg::Nation, NationText(id.issuingNation, id.issuingNationAlpha)},
                  {msg::CardExpiry, Date(id.expiryDate)}};
    } else if (vuView_) {
        fields = {{msg::Registration, Utf8(vuView_->registration.number)},
                  {msg::Nation, NationText(vuView_->registration.nation, vuView_->registration.nationAlpha)},
                  {msg::Vin, Utf8(vuView_->vin)},
                  {msg::DownloadablePeriod, Period(vuView_->downloadableBegin, vuView_->downloadableEnd)}};
    }
    QStringList lines;
    for (int i = 0; i < fields.size(); ++i) {
        auto* caption = new QLabel(MessageText(fields[i].first) + QLatin1Char(':'), box);
        auto* value = new QLabel(fields[i].second, box);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        grid->addWidget(caption, i / 2, (i % 2) * 2);
        grid->addWidget(value, i / 2, (i % 2) * 2 + 1);
        lines << caption->text() + QLatin1Char(' ') + fields[i].second;
    }
    // Not hidden in the grid's labels: tests and screen readers read one text.
    lbIdentity = new QLabel(lines.join(QLatin1Char('\n')), box);
    lbIdentity->setObjectName(QStringLiteral("lbIdentity"));
    lbIdentity->hide();

    const TVerdict overall = verification_.Overall();
    auto* caption = new QLabel(MessageText(msg::Signature) + QLatin1Char(':'), box);
    lbVerdict = new QLabel(VerdictText(overall), box);
    lbVerdict->setObjectName(QStringLiteral("lbVerdict"));
    lbVerdict->setStyleSheet(QStringLiteral("font-weight: bold; color: %1;").arg(VerdictColour(overall).name()));
    const int row = static_cast<int>((fields.size() + 1) / 2);
    grid->addWidget(caption, row, 0);
    grid->addWidget(lbVerdict, row, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return box;
}

QTreeWidget* TFormViewer::AddList(const char* name, int caption, const QList<int>& columns,
                                  const QList<QStringList>& rows)
{
    auto* list = new QTreeWidget;
    list->setObjectName(QString::fromLatin1(name));
    list->setRootIsDecorated(false);
    list->setAlternatingRowColors(true);
    list->setUniformRowHeights(true);
    QStringList headers;
    for (const int c : columns)
        headers << MessageText(c);
    list->setHeaderLabels(headers);
    QList<QTreeWidgetItem*> items;
    items.reserve(rows.size());
    for (const QStringList& row : rows)
        items << new QTreeWidgetItem(row);
    list->addTopLevelItems(items);
    for (int c = 0; c + 1 < columns.size(); ++c)
        list->resizeColumnToContents(c);
    list->setSortingEnabled(true);
    list->sortByColumn(-1, Qt::AscendingOrder);
    pcTabs->addTab(list, MessageText(caption));
    return list;
}

void TFormViewer::AddCardTabs()
{
    const TCardView& v = *cardView_;
    auto* panel = new TActivityPanel(ChartDays(v.activities));
    activityPanels << panel;
    pcTabs->addTab(panel, MessageText(msg::TabActivities));

    QList<QStringList> vehicles;
    for (const auto& r : v.vehicles)
        vehicles << QStringList{Time(r.firstUse), Time(r.lastUse), Registration(r.registration), Km(r.odometerBeginKm),
                                Km(r.odometerEndKm)};
    AddList("lvVehicles", msg::TabVehicles,
            {msg::ColumnBegin, msg::ColumnEnd, msg::ColumnVehicle, msg::ColumnOdometerBegin, msg::ColumnOdometerEnd},
            vehicles);

    QList<QStringList> places;
    for (const auto& p : v.places)
        places << QStringList{Time(p.time),
                              MessageText(p.entryType == 0 ? msg::WorkPeriodBegin : msg::WorkPeriodEnd),
                              NationText(p.country, p.countryAlpha), HexCode(p.region), Km(p.odometerKm)};
    AddList("lvPlaces", msg::TabPlaces,
            {msg::ColumnTime, msg::ColumnType, msg::ColumnCountry, msg::ColumnRegion, msg::ColumnOdometer}, places);

    QList<QStringList> incidents;
    for (const auto& [list, kind] : {std::pair{&v.events, msg::KindEvent}, std::pair{&v.faults, msg::KindFault}})
        for (const auto& e : *list)
            incidents << QStringList{MessageText(kind), CodeText(e.type, EventFaultTypeName(e.type)), Time(e.begin),
                                     Time(e.end), Registration(e.vehicle)};
    AddList("lvIncidents", msg::TabEventsFaults,
            {msg::ColumnKind, msg::ColumnType, msg::ColumnBegin, msg::ColumnEnd, msg::ColumnVehicle}, incidents);

    QList<QStringList> controls;
    if (const auto& c = v.lastControl)
        controls << QStringList{Time(c->time), ControlText(c->type), CardText(c->controlCard),
                                Registration(c->vehicle), Period(c->downloadPeriodBegin, c->downloadPeriodEnd)};
    AddList("lvControls", msg::TabControls,
            {msg::ColumnTime, msg::ColumnControl, msg::ColumnCard, msg::ColumnVehicle, msg::ColumnDownloadPeriod},
            controls);

    const TCardIdentityView& id = v.identity;
    QList<QStringList> details{{MessageText(msg::IssuingAuthority), Utf8(id.issuingAuthority)},
                               {MessageText(msg::ValidFrom), Date(id.validityBegin)},
                               {MessageText(msg::CardExpiry), Date(id.expiryDate)},
                               {MessageText(msg::BirthDate), id.birthDate ? Utf8(*id.birthDate) : QString()}};
    if (v.licence)
        details << QStringList{MessageText(msg::DrivingLicence),
                               Utf8(v.licence->number) + QStringLiteral(" (") +
                                   NationText(v.licence->issuingNation, v.licence->issuingNationAlpha) +
                                   QStringLiteral(", ") + Utf8(v.licence->issuingAuthority) + QLatin1Char(')')};
    details << QStringList{MessageText(msg::LastCardDownload), v.lastDownload ? Time(*v.lastDownload) : QString()};
    AddList("lvTechnical", msg::TabTechnical, {msg::ColumnField, msg::ColumnValue}, details)->setSortingEnabled(false);
}

void TFormViewer::AddVuTabs()
{
    const TVuView& v = *vuView_;
    auto* perSlot = new QTabWidget;
    perSlot->setObjectName(QStringLiteral("pcSlots"));
    for (const TSlot slot : {TSlot::Driver, TSlot::CoDriver}) {
        auto* panel = new TActivityPanel(ChartDays(v.activities, slot));
        activityPanels << panel;
        perSlot->addTab(panel, SlotText(slot));
    }
    pcTabs->addTab(perSlot, MessageText(msg::TabActivities));

    QList<QStringList> insertions;
    for (const auto& c : v.cardInsertions) {
        QString holder = Utf8(c.surname);
        if (!c.firstNames.empty())
            holder += QStringLiteral(", ") + Utf8(c.firstNames);
        insertions << QStringList{CardText(c.card),           holder,
                                  SlotText(c.slot),           Time(c.insertion),
                                  Time(c.withdrawal),         Km(c.odometerAtInsertionKm),
                                  Km(c.odometerAtWithdrawalKm)};
    }
    AddList("lvInsertions", msg::TabCardInsertions,
            {msg::ColumnCard, msg::Holder, msg::ColumnSlot, msg::ColumnInserted, msg::ColumnWithdrawn,
             msg::ColumnOdometerBegin, msg::ColumnOdometerEnd},
            insertions);

    QList<QStringList> places;
    for (const auto& p : v.places)
        places << QStringList{Time(p.place.time),
                              MessageText(p.place.entryType == 0 ? msg::WorkPeriodBegin : msg::WorkPeriodEnd),
                              NationText(p.place.country, p.place.countryAlpha), HexCode(p.place.region),
                              Km(p.place.odometerKm), CardText(p.card)};
    AddList("lvPlaces", msg::TabPlaces,
            {msg::ColumnTime, msg::ColumnType, msg::ColumnCountry, msg::ColumnRegion, msg::ColumnOdometer,
             msg::ColumnCard},
            places);

    QList<QStringList> incidents;
    for (const auto& [list, kind] : {std::pair{&v.events, msg::KindEvent}, std::pair{&v.faults, msg::KindFault}})
        for (const auto& e : *list)
            incidents << QStringList{MessageText(kind), CodeText(e.type, EventFaultTypeName(e.type)), Time(e.begin),
                                     Time(e.end), CardText(e.cards[0])};
    for (const auto& e : v.overSpeedingEvents)
        incidents << QStringList{MessageText(msg::KindEvent), CodeText(e.type, EventFaultTypeName(e.type)),
                                 Time(e.begin), Time(e.end), CardText(e.card)};
    AddList("lvIncidents", msg::TabEventsFaults,
            {msg::ColumnKind, msg::ColumnType, msg::ColumnBegin, msg::ColumnEnd, msg::ColumnCard}, incidents);

    QList<QStringList> controls;
    for (const auto& c : v.controls)
        controls << QStringList{Time(c.time), ControlText(c.type), CardText(c.controlCard),
                                Period(c.downloadPeriodBegin, c.downloadPeriodEnd)};
    AddList("lvControls", msg::TabControls,
            {msg::ColumnTime, msg::ColumnControl, msg::ColumnCard, msg::ColumnDownloadPeriod}, controls);

    QList<QStringList> technical;
    if (const auto& t = v.technical) {
        const auto serial = [](const TSerialNumberView& s) {
            return s.serialNumber == 0 ? QString() : QString::number(s.serialNumber);
        };
        technical << QStringList{MessageText(msg::Manufacturer), Utf8(t->manufacturerName)}
                  << QStringList{MessageText(msg::PartNumber), Utf8(t->partNumber)}
                  << QStringList{MessageText(msg::SerialNumber), serial(t->serialNumber)}
                  << QStringList{MessageText(msg::SoftwareVersion),
                                 Utf8(t->softwareVersion) + QStringLiteral(" (") + Date(t->softwareInstallation) +
                                     QLatin1Char(')')}
                  << QStringList{MessageText(msg::ApprovalNumber), Utf8(t->approvalNumber)}
                  << QStringList{MessageText(msg::SensorSerialNumber), serial(t->sensorSerialNumber)};
        for (const auto& c : t->calibrations)
            technical << QStringList{MessageText(msg::Calibration),
                                     Time(c.newTime) + QStringLiteral(" — ") +
                                         CodeText(c.purpose, CalibrationPurposeName(c.purpose)) +
                                         QStringLiteral(" — ") + Utf8(c.workshopName)}
                      << QStringList{MessageText(msg::NextCalibration), Date(c.nextCalibration)};
    }
    AddList("lvTechnical", msg::TabTechnical, {msg::ColumnField, msg::ColumnValue}, technical)
        ->setSortingEnabled(false);
}

void TFormViewer::AddSignatures()
{
    QList<QStringList> rows;
    QList<TVerdict> verdicts;
    for (const auto& c : verification_.certificates) {
        rows << QStringList{CertificateSubject(c.subject), QString(), CertificateVerdict(c)};
        verdicts << c.Verdict();
    }
    for (const auto& p : verification_.parts) {
        QString part = Utf8(p.kind);
        if (!p.name.empty())
            part += QStringLiteral(" (") + Utf8(p.name) + QLatin1Char(')');
        if (p.day)
            part += QLatin1Char(' ') + Date(*p.day);
        rows << QStringList{part, QString::number(p.offset), PartVerdict(p)};
        verdicts << p.verdict;
    }
    for (const auto& p : verification_.problems) {
        QString what;
        switch (p.kind) {
        case TVerificationProblem::TKind::ForeignLayout: what = MessageText(msg::ProblemForeignLayout); break;
        case TVerificationProblem::TKind::Unreadable: what = MessageText(msg::ReasonUnreadable); break;
        case TVerificationProblem::TKind::NoSignedPart: what = MessageText(msg::ProblemNothingSigned); break;
        }
        if (!p.detail.empty())
            what += QStringLiteral(": ") + Utf8(p.detail);
        rows << QStringList{QString(), QString(), what};
        verdicts << TVerdict::NotCheckable;
    }
    lvSignatures = AddList("lvSignatures", msg::TabSignatures, {msg::ColumnPart, msg::ColumnOffset, msg::ColumnVerdict},
                           rows);
    lvSignatures->setSortingEnabled(false);
    for (int i = 0; i < lvSignatures->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = lvSignatures->topLevelItem(i);
        item->setForeground(2, VerdictColour(verdicts[i]));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
}

void TFormViewer::AddRecords()
{
    tvRecords = new QTreeWidget;
    tvRecords->setObjectName(QStringLiteral("tvRecords"));
    tvRecords->setHeaderLabels({MessageText(msg::ColumnRecord)});
    tvRecords->setUniformRowHeights(true);
    const TvtInfoProvide* root = card_ ? static_cast<const TvtInfoProvide*>(card_.get()) : download_.get();
    auto* top = new QTreeWidgetItem(tvRecords, {QFileInfo(path_).fileName()});
    top->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(root)));
    top->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    connect(tvRecords, &QTreeWidget::itemExpanded, this, &TFormViewer::ExpandRecord);
    tvRecords->expandItem(top);
    pcTabs->addTab(tvRecords, MessageText(msg::TabRecords));
}

void TFormViewer::ExpandRecord(QTreeWidgetItem* item)
{
    // Large trees (a year of activities) are made a level at a time, when opened.
    if (!item || item->childCount() > 0)
        return;
    const auto* node = reinterpret_cast<const TvtInfoProvide*>(item->data(0, kNodeRole).value<quintptr>());
    if (!node) {
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
        return;
    }
    QList<QTreeWidgetItem*> children;
    const int count = node->ItemCount();
    children.reserve(count);
    for (int i = 0; i < count; ++i) {
        std::wstring caption;
        TvtInfoProvide* child = nullptr;
        node->GetItem(i, caption, child);
        auto* c = new QTreeWidgetItem({QString::fromStdWString(caption)});
        // A node never holds itself: a faulty tree would open forever.
        if (child && child != node) {
            c->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(child)));
            c->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        }
        children << c;
    }
    item->addChildren(children);
    if (children.isEmpty())
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

TFormViewer* OpenViewer(const QString& path, int languageCode, QWidget* parent)
{
    auto viewer = std::make_unique<TFormViewer>(parent);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->ApplyLanguage(languageCode);
    if (!viewer->OpenFile(path)) {
        Boxes().ErrorBox(viewer->Problem());
        return nullptr;
    }
    viewer->show();
    return viewer.release();
}
