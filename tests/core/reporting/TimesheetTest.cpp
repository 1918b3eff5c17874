// The 出勤簿's day lines worked out by hand: each day's figures are the report's, the weekly
// overtime included, and a whole day of leave is no 打刻漏れ.
#include <gtest/gtest.h>

#include "leave/LeaveBook.h"
#include "platform/LocalTime.h"
#include "reporting/Timesheet.h"
#include "support/SharedClock.h"
#include "support/TestSupport.h"

namespace stampwell {

TEST(Timesheet, EachDayLineCarriesItsOwnFiguresWithTheWeeksOvertime) {
    test::CTempDir root;
    test::SharedClock a(root / "share");
    a.t.clock->Set(CLocalTime::FromLocal(2026, 7, 1, 10, 0));
    // Monday 06/01 to Friday 06/05 are 40 hours with 2:30 over on Tuesday; Saturday's 5:00 is
    // then all weekly overtime. 06/09 has a clock-in only, and was a whole day of leave.
    std::vector<CWorkReport::CellChange> changes;
    for (int day = 1; day <= 6; ++day) {
        changes.push_back({day, 0, "", "09:00"});
        changes.push_back({day, 1, "", day == 2 ? "20:30" : day == 6 ? "15:00" : "18:00"});
    }
    changes.push_back({9, 0, "", "09:00"});
    ASSERT_EQ(a.report->SaveMonth("山田", 2026, 6, changes), CWorkReport::ESaveOutcome::kSaved);
    CWorkRules rules;
    rules.breaks = CWorkRules::EBreaks::kFixed;
    rules.windows = *CWorkRules::ParseWindows("12:00-13:00");
    CLeaveBook leave;
    leave.employees.push_back({"山田", 20240401, 5});
    leave.taken.push_back({"山田", 20260609, CLeaveBook::EPart::kWhole});
    std::vector<CTimesheet::Page> pages;
    ASSERT_TRUE(CTimesheet::Collect(*a.store, 2026, 6, 5, "", rules, &leave, false, pages));
    ASSERT_EQ(pages.size(), 1u);
    const auto& lines = pages[0].lines;
    ASSERT_GE(lines.size(), 9u);
    auto cells = [&](int day) {
        std::string text;
        for (const auto& cell : CTimesheet::Cells(lines[static_cast<std::size_t>(day - 1)])) {
            text += cell + "|";
        }
        return text;
    };
    EXPECT_EQ(lines[1].date, "06/02（火）");
    EXPECT_NE(cells(2).find("09:00|20:30|1:00|10:30|2:30|"), std::string::npos) << cells(2);
    EXPECT_NE(cells(6).find("09:00|15:00|1:00|5:00|5:00|"), std::string::npos) << cells(6);
    // A clock-in on a whole day of leave came after the leave: flagged, and no 打刻漏れ.
    EXPECT_EQ(lines[8].note, "有休（打刻あり）") << cells(9);
}

}  // namespace stampwell
