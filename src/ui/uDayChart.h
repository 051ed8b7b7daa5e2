#pragma once
// The driver's days as a person reads them: one 24-hour bar per day, one
// colour per activity, the day's totals beside it; the exact times of the
// span under the mouse as its tooltip. TActivityPanel adds the legend and
// the way through the months around a scrolling chart.

#include "uActivityView.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QScrollArea;
class QToolButton;

struct TChartDay {
    std::uint32_t date = 0; // 00:00 UTC of the day
    std::vector<views::TActivitySpan> spans;
    views::TActivityTotals totals;
};

std::vector<TChartDay> ChartDays(const std::vector<views::TCardActivityDay>& days);
std::vector<TChartDay> ChartDays(const std::vector<views::TVuActivityDay>& days, views::TSlot slot);

QColor ActivityColour(views::TActivity activity);
// The activity's name in the interface language.
QString ActivityText(views::TActivity activity);
// Minutes as "h:mm".
QString DurationText(int minutes);

class TDayChart : public QWidget {
    Q_OBJECT
public:
    explicit TDayChart(QWidget* parent = nullptr);

    void SetDays(std::vector<TChartDay> days);
    const std::vector<TChartDay>& Days() const { return days_; }

    static constexpr int kRowHeight = 22;
    static constexpr int kHeaderHeight = 18;
    // The row of the day's bar, its top at RowTop.
    int RowTop(int row) const { return kHeaderHeight + row * kRowHeight; }
    // Where the 24 hours of a row's bar lie.
    QRect BarRect(int row) const;
    // The span drawn at point, if any.
    const views::TActivitySpan* SpanAt(QPoint point) const;
    // What the tooltip says of a span: activity, from, to, length.
    static QString SpanText(const views::TActivitySpan& span);
    // The day's totals as drawn beside its bar.
    static QString TotalsText(const views::TActivityTotals& totals);
    // The first row of the month (UTC) of date, if any day lies in it.
    std::optional<int> FirstRowOfMonth(int year, int month) const;

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<TChartDay> days_;
    int dateWidth_ = 110;
};

class TActivityPanel : public QWidget {
    Q_OBJECT
public:
    explicit TActivityPanel(std::vector<TChartDay> days, QWidget* parent = nullptr);

    TDayChart* chart;
    QComboBox* cbMonth;      // the months that have days
    QToolButton* btnPrevious;
    QToolButton* btnNext;
    QScrollArea* scroll;

    // Brings the month's first day to the top.
    void ShowMonth(int index);

private:
    void FollowScroll();
    bool following_ = false;
};
