// The register of the real samples: who is due when. Only dates, kinds and
// verdicts are checked and printed: the samples hold personal fields.

#include "Samples.h"
#include "uRegister.h"
#include "uViewText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

TEST(RegisterSamples, LastDownloadsAndDueDatesOfTheSamples)
{
    const std::filesystem::path samples = pellkit::test::SamplesDir();
    if (!pellkit::test::HaveSample("card-es-2023.ddd"))
        GTEST_SKIP() << "samples not found in " << samples << " (set PELLKIT_SAMPLES)";

    reg::TRegisterOptions options;
    options.today = 1682899200; // 2023-05-01
    const reg::TRegister r = reg::BuildRegister({samples}, options);

    const struct {
        const char* file;
        reg::TEntityKind kind;
        const char* last; // empty: none recorded
        const char* nextDue;
        reg::TDueState due;
    } expected[] = {
        {"card-es-2007.ddd", reg::TEntityKind::DriverCard, "", "", reg::TDueState::Overdue},
        {"vu-de-activities.ddd", reg::TEntityKind::VehicleUnit, "2022-09-07T10:09:25Z", "2022-12-06T10:09:25Z",
         reg::TDueState::Overdue},
        {"card-es-2023.ddd", reg::TEntityKind::DriverCard, "2023-04-28T11:35:04Z", "2023-05-26T11:35:04Z",
         reg::TDueState::Ok},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.file);
        const auto row = std::find_if(r.rows.begin(), r.rows.end(),
                                      [&](const reg::TRegisterRow& candidate) { return candidate.latest.filename() == e.file; });
        ASSERT_NE(row, r.rows.end());
        EXPECT_EQ(row->kind, e.kind);
        EXPECT_EQ(row->lastDownload ? views::IsoDateTime(row->lastDownload) : "", e.last);
        EXPECT_EQ(row->nextDue ? views::IsoDateTime(row->nextDue) : "", e.nextDue);
        EXPECT_EQ(row->due, e.due);
        EXPECT_EQ(row->verdict, views::TVerdict::Valid);
        EXPECT_EQ(row->archives, 1);
    }
    // Two cards and two vehicles; the national card variant is named apart.
    EXPECT_EQ(r.rows.size(), 4u);
    EXPECT_EQ(std::count_if(r.rows.begin(), r.rows.end(),
                            [](const reg::TRegisterRow& row) { return row.kind == reg::TEntityKind::VehicleUnit; }),
              2);
    const auto national = std::find_if(r.others.begin(), r.others.end(), [](const reg::TRegisterOther& o) {
        return o.path.filename() == "card-ru-national.ddd";
    });
    ASSERT_NE(national, r.others.end());
    EXPECT_EQ(national->kind, reg::TOtherKind::Unreadable);
    EXPECT_NE(national->reason.find("not the EU"), std::string::npos);
    EXPECT_TRUE(std::is_sorted(r.rows.begin(), r.rows.end(), [](const auto& a, const auto& b) {
        return (a.lastDownload == 0) > (b.lastDownload == 0) ||
               ((a.lastDownload == 0) == (b.lastDownload == 0) && a.daysLeft < b.daysLeft);
    }));
}
