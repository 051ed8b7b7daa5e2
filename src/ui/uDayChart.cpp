#include "uDayChart.h"

#include "uMessageCodes.h"
#include "uTranslation.h"

#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLocale>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

using views::TActivity;

namespace {

constexpr int kSecondsPerDay = 86400;
constexpr int kHourWidth = 20;
constexpr int kBarWidth = 24 * kHourWidth;
constexpr int kTotalsGap = 10;
constexpr int kTotalsWidth = 4 * 62;
constexpr TActivity kDrawnActivities[] = {TActivity::Driving, TActivity::Work, TActivity::Availability,
                                          TActivity::BreakRest};

QDateTime Utc(std::uint32_t timeReal) { return QDateTime::fromSecsSinceEpoch(timeReal, Qt::UTC); }

QString ClockText(std::uint32_t timeReal, std::uint32_t day)
{
    // The end of the day is 24:00, not the next day's 00:00.
    if (timeReal >= day + kSecondsPerDay)
        return QStringLiteral("24:00");
    return Utc(timeReal).toString(QStringLiteral("HH:mm"));
}

// Bars are thinner for what is less demanding, so that the eye finds the
// driving without telling colours apart.
int BarInset(TActivity activity)
{
    switch (activity) {
    case TActivity::Driving: return 2;
    case TActivity::Work: return 5;
    case TActivity::Availability: return 7;
    case TActivity::BreakRest: return 9;
    case TActivity::Unknown: break;
    }
    return 9;
}

} // namespace

std::vector<TChartDay> ChartDays(const std::vector<views::TCardActivityDay>& days)
{
    std::vector<TChartDay> out;
    out.reserve(days.size());
    for (const auto& d : days)
        out.push_back({d.date, d.spans, d.totals});
    return out;
}

std::vector<TChartDay> ChartDays(const std::vector<views::TVuActivityDay>& days, views::TSlot slot)
{
    std::vector<TChartDay> out;
    out.reserve(days.size());
    const auto at = static_cast<std::size_t>(slot);
    for (const auto& d : days)
        out.push_back({d.date, d.perSlot[at].spans, d.perSlot[at].totals});
    // Downloads list their days in download order: the chart runs by date.
    std::stable_sort(out.begin(), out.end(), [](const TChartDay& a, const TChartDay& b) { return a.date < b.date; });
    return out;
}

QColor ActivityColour(TActivity activity)
{
    switch (activity) {
    case TActivity::BreakRest: return QColor(0x7C, 0xB3, 0x42);    // green
    case TActivity::Availability: return QColor(0x42, 0x8B, 0xCA); // blue
    case TActivity::Work: return QColor(0xF0, 0xA2, 0x02);         // amber
    case TActivity::Driving: return QColor(0xD3, 0x2F, 0x2F);      // red
    case TActivity::Unknown: break;
    }
    return QColor(0xBD, 0xBD, 0xBD);
}

QString ActivityText(TActivity activity)
{
    switch (activity) {
    case TActivity::BreakRest: return MessageText(msg::ActivityBreakRest);
    case TActivity::Availability: return MessageText(msg::ActivityAvailability);
    case TActivity::Work: return MessageText(msg::ActivityWork);
    case TActivity::Driving: return MessageText(msg::ActivityDriving);
    case TActivity::Unknown: break;
    }
    return MessageText(msg::ActivityUnknown);
}

QString DurationText(int minutes)
{
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// ---- the chart

TDayChart::TDayChart(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DayChart"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    dateWidth_ = fontMetrics().horizontalAdvance(QStringLiteral("Www 0000-00-00")) + 12;
}

void TDayChart::SetDays(std::vector<TChartDay> days)
{
    days_ = std::move(days);
    updateGeometry();
    resize(sizeHint());
    update();
}

QSize TDayChart::sizeHint() const
{
    return {dateWidth_ + kBarWidth + kTotalsGap + kTotalsWidth + 8, RowTop(static_cast<int>(days_.size())) + 4};
}

QRect TDayChart::BarRect(int row) const { return {dateWidth_, RowTop(row) + 2, kBarWidth, kRowHeight - 4}; }

const views::TActivitySpan* TDayChart::SpanAt(QPoint point) const
{
    if (point.y() < kHeaderHeight)
        return nullptr;
    const int row = (point.y() - kHeaderHeight) / kRowHeight;
    if (row < 0 || row >= static_cast<int>(days_.size()))
        return nullptr;
    const QRect bar = BarRect(row);
    if (point.x() < bar.left() || point.x() > bar.right() + 1)
        return nullptr;
    const TChartDay& day = days_[static_cast<std::size_t>(row)];
    const std::uint32_t at = day.date + static_cast<std::uint32_t>((point.x() - bar.left()) * kSecondsPerDay / kBarWidth);
    // A span shorter than a pixel is found where it is drawn: the nearest one.
    const views::TActivitySpan* best = nullptr;
    std::uint32_t bestDistance = UINT32_MAX;
    for (const auto& span : day.spans) {
        const std::uint32_t distance = at < span.start ? span.start - at : at >= span.end ? at - span.end + 1 : 0;
        if (distance < bestDistance) {
            best = &span;
            bestDistance = distance;
        }
    }
    const std::uint32_t pixel = kSecondsPerDay / kBarWidth;
    return bestDistance <= pixel ? best : nullptr;
}

QString TDayChart::SpanText(const views::TActivitySpan& span)
{
    const std::uint32_t day = span.start - span.start % kSecondsPerDay;
    return QStringLiteral("%1: %2–%3 (%4)")
        .arg(ActivityText(span.activity), ClockText(span.start, day), ClockText(span.end, day),
             DurationText(span.Minutes()));
}

QString TDayChart::TotalsText(const views::TActivityTotals& totals)
{
    QStringList parts;
    for (const TActivity a : kDrawnActivities)
        parts << ActivityText(a) + QLatin1Char(' ') + DurationText(totals.Of(a));
    return parts.join(QStringLiteral(", "));
}

std::optional<int> TDayChart::FirstRowOfMonth(int year, int month) const
{
    for (std::size_t i = 0; i < days_.size(); ++i) {
        const QDate d = Utc(days_[i].date).date();
        if (d.year() == year && d.month() == month)
            return static_cast<int>(i);
    }
    return std::nullopt;
}

bool TDayChart::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(e);
        if (const views::TActivitySpan* span = SpanAt(help->pos()))
            QToolTip::showText(help->globalPos(), SpanText(*span), this);
        else if (const int row = (help->pos().y() - kHeaderHeight) / kRowHeight;
                 help->pos().y() >= kHeaderHeight && row < static_cast<int>(days_.size()) &&
                 help->pos().x() > BarRect(row).right())
            QToolTip::showText(help->globalPos(), TotalsText(days_[static_cast<std::size_t>(row)].totals), this);
        else
            QToolTip::hideText();
        return true;
    }
    if (e->type() == QEvent::MouseMove && QToolTip::isVisible()) {
        // The tooltip follows the span under the mouse, not the first one.
        const QPoint pos = mapFromGlobal(QCursor::pos());
        if (const views::TActivitySpan* span = SpanAt(pos))
            QToolTip::showText(QCursor::pos(), SpanText(*span), this);
    }
    return QWidget::event(e);
}

void TDayChart::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.fillRect(e->rect(), palette().base());
    const QLocale locale;
    const QColor grid = palette().color(QPalette::Mid);
    const QColor text = palette().color(QPalette::Text);

    // The hours over the bars.
    p.setPen(text);
    for (int h = 0; h <= 24; h += 2) {
        const int x = dateWidth_ + h * kHourWidth;
        p.drawText(QRect(x - 15, 0, 30, kHeaderHeight), Qt::AlignCenter, QString::number(h));
    }

    const int first = std::max(0, (e->rect().top() - kHeaderHeight) / kRowHeight);
    const int last = std::min(static_cast<int>(days_.size()) - 1, (e->rect().bottom() - kHeaderHeight) / kRowHeight);
    for (int row = first; row <= last; ++row) {
        const TChartDay& day = days_[static_cast<std::size_t>(row)];
        const int top = RowTop(row);
        const QDate date = Utc(day.date).date();
        if (row % 2 == 1)
            p.fillRect(QRect(0, top, width(), kRowHeight), palette().alternateBase());
        // A new month is marked by a line.
        if (row > 0 && Utc(days_[static_cast<std::size_t>(row - 1)].date).date().month() != date.month()) {
            p.setPen(text);
            p.drawLine(0, top, width(), top);
        }
        p.setPen(text);
        p.drawText(QRect(4, top, dateWidth_ - 8, kRowHeight), Qt::AlignVCenter | Qt::AlignLeft,
                   locale.dayName(date.dayOfWeek(), QLocale::ShortFormat) + QLatin1Char(' ') +
                       date.toString(Qt::ISODate));

        const QRect bar = BarRect(row);
        p.fillRect(bar, palette().window());
        for (const auto& span : day.spans) {
            const auto x0 = static_cast<int>(static_cast<qint64>(span.start - day.date) * kBarWidth / kSecondsPerDay);
            const auto x1 = static_cast<int>(static_cast<qint64>(std::min<std::uint32_t>(span.end, day.date + kSecondsPerDay) -
                                                                 day.date) *
                                             kBarWidth / kSecondsPerDay);
            const int inset = BarInset(span.activity);
            const QRect r(bar.left() + x0, bar.top() + inset - 2, std::max(1, x1 - x0), bar.height() - 2 * (inset - 2));
            p.fillRect(r, ActivityColour(span.activity));
            if (span.activity == TActivity::Unknown)
                p.fillRect(r, QBrush(grid, Qt::BDiagPattern));
        }
        p.setPen(grid);
        for (int h = 0; h <= 24; h += 6)
            p.drawLine(bar.left() + h * kHourWidth, bar.top(), bar.left() + h * kHourWidth, bar.bottom());

        // The totals: a swatch of each colour and its time.
        int x = bar.right() + kTotalsGap;
        for (const TActivity a : kDrawnActivities) {
            p.fillRect(QRect(x, top + 7, 8, 8), ActivityColour(a));
            p.setPen(text);
            p.drawText(QRect(x + 11, top, 50, kRowHeight), Qt::AlignVCenter | Qt::AlignLeft,
                       DurationText(day.totals.Of(a)));
            x += 62;
        }
    }
}

// ---- the panel

TActivityPanel::TActivityPanel(std::vector<TChartDay> days, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ActivityPanel"));
    chart = new TDayChart;
    chart->SetDays(std::move(days));

    // The legend: every colour named.
    auto* legend = new QHBoxLayout;
    for (const TActivity a : kDrawnActivities) {
        QPixmap swatch(12, 12);
        swatch.fill(ActivityColour(a));
        auto* icon = new QLabel;
        icon->setPixmap(swatch);
        legend->addWidget(icon);
        legend->addWidget(new QLabel(ActivityText(a)));
        legend->addSpacing(10);
    }
    legend->addStretch(1);

    btnPrevious = new QToolButton;
    btnPrevious->setObjectName(QStringLiteral("btnPrevious"));
    btnPrevious->setArrowType(Qt::LeftArrow);
    btnPrevious->setToolTip(MessageText(msg::PreviousMonth));
    cbMonth = new QComboBox;
    cbMonth->setObjectName(QStringLiteral("cbMonth"));
    btnNext = new QToolButton;
    btnNext->setObjectName(QStringLiteral("btnNext"));
    btnNext->setArrowType(Qt::RightArrow);
    btnNext->setToolTip(MessageText(msg::NextMonth));
    const QLocale locale;
    int lastKey = -1;
    for (const TChartDay& day : chart->Days()) {
        const QDate d = QDateTime::fromSecsSinceEpoch(day.date, Qt::UTC).date();
        const int key = d.year() * 100 + d.month();
        if (key != lastKey)
            cbMonth->addItem(locale.standaloneMonthName(d.month()) + QLatin1Char(' ') + QString::number(d.year()), key);
        lastKey = key;
    }
    legend->addWidget(btnPrevious);
    legend->addWidget(cbMonth);
    legend->addWidget(btnNext);

    scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("scrollChart"));
    scroll->setWidget(chart);
    scroll->setWidgetResizable(false);
    scroll->setBackgroundRole(QPalette::Base);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(legend);
    if (chart->Days().empty()) {
        auto* none = new QLabel(MessageText(msg::NoActivities));
        none->setObjectName(QStringLiteral("lbNoActivities"));
        layout->addWidget(none);
    }
    layout->addWidget(scroll, 1);

    connect(cbMonth, &QComboBox::activated, this, &TActivityPanel::ShowMonth);
    connect(btnPrevious, &QToolButton::clicked, this, [this] { ShowMonth(std::max(0, cbMonth->currentIndex() - 1)); });
    connect(btnNext, &QToolButton::clicked, this,
            [this] { ShowMonth(std::min(cbMonth->count() - 1, cbMonth->currentIndex() + 1)); });
    connect(scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, &TActivityPanel::FollowScroll);
    // The latest days first come into view: they are what is looked for.
    if (cbMonth->count() > 0) {
        cbMonth->setCurrentIndex(cbMonth->count() - 1);
        QMetaObject::invokeMethod(
            this, [this] { scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum()); },
            Qt::QueuedConnection);
    }
    btnPrevious->setEnabled(cbMonth->count() > 1);
    btnNext->setEnabled(cbMonth->count() > 1);
}

void TActivityPanel::ShowMonth(int index)
{
    if (index < 0 || index >= cbMonth->count())
        return;
    const int key = cbMonth->itemData(index).toInt();
    const std::optional<int> row = chart->FirstRowOfMonth(key / 100, key % 100);
    {
        const QSignalBlocker block(cbMonth);
        cbMonth->setCurrentIndex(index);
    }
    if (row) {
        following_ = true;
        scroll->verticalScrollBar()->setValue(chart->RowTop(*row) - TDayChart::kHeaderHeight);
        following_ = false;
    }
}

void TActivityPanel::FollowScroll()
{
    // The month list names the month at the top of the view.
    if (following_ || chart->Days().empty())
        return;
    const int row = std::clamp((scroll->verticalScrollBar()->value()) / TDayChart::kRowHeight, 0,
                               static_cast<int>(chart->Days().size()) - 1);
    const QDate d = QDateTime::fromSecsSinceEpoch(chart->Days()[static_cast<std::size_t>(row)].date, Qt::UTC).date();
    const int at = cbMonth->findData(d.year() * 100 + d.month());
    if (at >= 0) {
        const QSignalBlocker block(cbMonth);
        cbMonth->setCurrentIndex(at);
    }
}
