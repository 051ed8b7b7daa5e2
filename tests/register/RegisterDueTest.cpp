// Due dates: +28 days for a card, +90 for a VU, days left counted on UTC
// calendar days, across month ends, leap days and year ends.

#include "uRegister.h"
#include "uViewText.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

std::uint32_t At(const char* iso)
{
    const QDateTime t = QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate);
    EXPECT_TRUE(t.isValid()) << iso;
    return static_cast<std::uint32_t>(t.toSecsSinceEpoch());
}

} // namespace

TEST(RegisterDue, DueDateAndDaysLeftOnCalendarDays)
{
    using reg::TDueState;
    using reg::TEntityKind;
    const struct {
        TEntityKind kind;
        const char* last;
        const char* today;
        const char* nextDue;
        int daysLeft;
        TDueState due;
    } cases[] = {
        // Month ends: 28 days from 31 January is the last day of February.
        {TEntityKind::DriverCard, "2023-01-31T08:00:00Z", "2023-02-01T00:00:00Z", "2023-02-28T08:00:00Z", 27, TDueState::Ok},
        {TEntityKind::DriverCard, "2023-02-01T12:00:00Z", "2023-02-20T12:00:00Z", "2023-03-01T12:00:00Z", 9, TDueState::Ok},
        // Leap day: the same start lands on 29 February in a leap year.
        {TEntityKind::DriverCard, "2024-02-01T12:00:00Z", "2024-02-28T23:59:59Z", "2024-02-29T12:00:00Z", 1, TDueState::DueSoon},
        {TEntityKind::VehicleUnit, "2024-01-01T00:00:00Z", "2024-03-24T00:00:00Z", "2024-03-31T00:00:00Z", 7, TDueState::DueSoon},
        {TEntityKind::VehicleUnit, "2023-01-01T00:00:00Z", "2023-03-23T00:00:00Z", "2023-04-01T00:00:00Z", 9, TDueState::Ok},
        // Year end.
        {TEntityKind::DriverCard, "2023-12-15T10:00:00Z", "2023-12-31T23:00:00Z", "2024-01-12T10:00:00Z", 12, TDueState::Ok},
        {TEntityKind::VehicleUnit, "2023-11-01T10:00:00Z", "2024-01-30T23:00:00Z", "2024-01-30T10:00:00Z", 0, TDueState::DueSoon},
        // Calendar days, not periods of 24 hours: late the day before is one day left.
        {TEntityKind::DriverCard, "2023-06-01T00:00:01Z", "2023-06-28T23:59:59Z", "2023-06-29T00:00:01Z", 1, TDueState::DueSoon},
        {TEntityKind::DriverCard, "2023-06-01T23:59:59Z", "2023-06-29T00:00:00Z", "2023-06-29T23:59:59Z", 0, TDueState::DueSoon},
        // The day after the due date is overdue; eight days ahead is not yet due soon.
        {TEntityKind::DriverCard, "2023-06-01T12:00:00Z", "2023-06-30T00:00:00Z", "2023-06-29T12:00:00Z", -1, TDueState::Overdue},
        {TEntityKind::DriverCard, "2023-06-01T12:00:00Z", "2023-06-21T23:00:00Z", "2023-06-29T12:00:00Z", 8, TDueState::Ok},
        {TEntityKind::VehicleUnit, "2020-01-01T00:00:00Z", "2023-06-01T00:00:00Z", "2020-03-31T00:00:00Z", -1157, TDueState::Overdue},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.last) + " today " + c.today);
        reg::TRegisterRow row;
        row.kind = c.kind;
        row.lastDownload = At(c.last);
        reg::SetDue(row, At(c.today));
        EXPECT_EQ(views::IsoDateTime(row.nextDue), c.nextDue);
        EXPECT_EQ(row.daysLeft, c.daysLeft);
        EXPECT_EQ(row.due, c.due);
    }
}

TEST(RegisterDue, NoDownloadIsOverdueAndTheLastSecondDoesNotWrap)
{
    reg::TRegisterRow none;
    reg::SetDue(none, At("2023-06-01T00:00:00Z"));
    EXPECT_EQ(none.nextDue, 0u);
    EXPECT_EQ(none.due, reg::TDueState::Overdue);

    reg::TRegisterRow late;
    late.kind = reg::TEntityKind::VehicleUnit;
    late.lastDownload = UINT32_MAX - 100;
    reg::SetDue(late, At("2023-06-01T00:00:00Z"));
    EXPECT_EQ(late.nextDue, UINT32_MAX);
    EXPECT_GT(late.daysLeft, 0);
    EXPECT_EQ(late.due, reg::TDueState::Ok);
}
