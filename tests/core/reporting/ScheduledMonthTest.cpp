// A hand-worked month of November 2026 under a work pattern: late and early days, an absence,
// a day of leave, work on a national holiday, a swapped rest day, a 代休, and a second pattern
// whose short day leaves overtime within the law; then the month closed and the rules changed.
#include <gtest/gtest.h>

#include "calendar/WorkDate.h"
#include "folderstore/FolderWorkStore.h"
#include "leave/LeaveBook.h"
#include "platform/LocalTime.h"
#include "reporting/PeriodReport.h"
#include "reporting/Timesheet.h"
#include "schedule/ScheduleChange.h"
#include "settings/EnvironmentSettings.h"
#include "support/Fakes.h"
#include "support/TestSupport.h"
#include "workfile/WorkReport.h"

namespace stampwell {

namespace {
constexpr int kMonthEnd = 5;

struct Office {
    Office() {
        settings = CreateConfig(t.runtime);
        settings->SetDayChangeHour(5);
        report = std::make_unique<CWorkReport>(t.runtime);
        store = std::make_unique<CFolderWorkStore>(*report);
        report->SetSettings(settings);
        report->SetStampSide(&side);
        rules.breaks = CWorkRules::EBreaks::kFixed;
        rules.windows = {{12 * 60, 13 * 60}};
    }
    void Day(const std::string& name, int day, int startHour, int startMinute, int endHour,
             int endMinute) {
        t.clock->Set(CLocalTime::FromLocal(2026, 11, day, startHour, startMinute));
        report->SetStamp(name);
        ASSERT_TRUE(report->AppendRecord(0));
        t.clock->Set(CLocalTime::FromLocal(2026, 11, day, endHour, endMinute));
        report->SetStamp(name);
        ASSERT_TRUE(report->AppendRecord(1));
    }
    CPeriodReport::Row RowOf(const std::string& name, const CScheduleBook* book,
                             const CLeaveBook* leave = nullptr) {
        t.clock->Set(CLocalTime::FromLocal(2026, 12, 9, 12, 0));
        std::vector<CPeriodReport::Row> rows;
        EXPECT_TRUE(CPeriodReport::Collect(*store, 2026, 11, kMonthEnd, name, rules, rows, leave,
                                           nullptr, book));
        EXPECT_EQ(rows.size(), 1u);
        return rows.empty() ? CPeriodReport::Row{} : rows.front();
    }
    test::CTestRuntime t;
    std::shared_ptr<CEnvironmentSettings> settings;
    std::unique_ptr<CWorkReport> report;
    std::unique_ptr<CFolderWorkStore> store;
    test::CFixedSide side;
    CWorkRules rules;
};

CWorkPattern Pattern(const char* name, int endHour) {
    CWorkPattern p;
    p.name = name;
    p.start = 9 * 60;
    p.end = endHour * 60;
    p.breaks = {{12 * 60, 13 * 60}};
    return p;
}

// 山田 follows 日勤 (9:00-18:00, Monday to Friday, holidays off) from November 1st.
CScheduleBook Book(const CWorkRules& rules) {
    CScheduleBook book;
    EXPECT_FALSE(CScheduleChange::SetPattern(book, Pattern("日勤", 18)));
    EXPECT_FALSE(CScheduleChange::SetPattern(book, Pattern("短時間", 16)));
    EXPECT_FALSE(CScheduleChange::Assign(book, "山田", 20261101, "日勤"));
    EXPECT_FALSE(CScheduleChange::Assign(book, "佐藤", 20261101, "短時間"));
    // Decided on the 10th: Sunday the 15th is worked, Wednesday the 18th is the rest day.
    EXPECT_FALSE(CScheduleChange::AddSwap(book, rules, "山田", 20261115, 20261118, 20261110));
    // Saturday the 21st worked; Thursday the 26th off for it.
    EXPECT_FALSE(CScheduleChange::AddDayInLieu(book, rules, "山田", 20261126, 20261121));
    return book;
}
}  // namespace

TEST(ScheduledMonth, LateEarlyAbsentHolidaySwapAndDayInLieu) {
    Office o;
    o.Day("山田", 2, 9, 10, 18, 0);  // 10 minutes late
    o.Day("山田", 3, 10, 0, 15, 0);  // 文化の日: 4:00 on a scheduled day off
    o.Day("山田", 4, 9, 0, 17, 30);  // 30 minutes early
    o.Day("山田", 5, 9, 0, 19, 0);   // 9:00 worked: 1:00 overtime by law
    // The 6th: nothing at all (欠勤). The 9th: a whole day of leave.
    for (int day : {10, 11, 12, 13, 15, 16, 17, 19, 20, 24, 25, 27, 30}) {
        o.Day("山田", day, 9, 0, 18, 0);
    }
    o.Day("山田", 21, 9, 0, 13, 0);  // Saturday: 3:00 after the fixed break
    o.Day("佐藤", 2, 9, 0, 18, 0);   // 6:00 scheduled, 8:00 worked
    o.Day("鈴木", 2, 9, 10, 18, 0);  // no pattern
    CLeaveBook leave;
    leave.taken.push_back({"山田", 20261109, CLeaveBook::EPart::kWhole});
    const CScheduleBook book = Book(o.rules);

    const auto yamada = o.RowOf("山田", &book, &leave);
    const auto& s = yamada.scheduled;
    EXPECT_TRUE(s.scheduled);
    // 21 weekdays, less 文化の日 and 勤労感謝の日, +15th -18th by the swap, less the 代休.
    EXPECT_EQ(s.scheduledDays, 18);
    EXPECT_EQ(s.lateCount, 1);
    EXPECT_EQ(s.late, 10);
    EXPECT_EQ(s.earlyCount, 1);
    EXPECT_EQ(s.early, 30);
    EXPECT_EQ(s.absentDays, 1);
    EXPECT_EQ(s.absentDates, std::vector<std::string>{"2026/11/06"});
    EXPECT_EQ(s.withinOvertime, 0);  // the 5th's hour beyond the schedule is overtime by law
    EXPECT_EQ(s.dayOffWork, 7 * 60);
    EXPECT_EQ(s.holidayWorkDays, 2);
    EXPECT_EQ(s.daysInLieu, 1);
    EXPECT_EQ(s.swappedDates, (std::vector<std::string>{"2026/11/15", "2026/11/18"}));
    // The swapped Sunday is ordinary work, not 法定休日労働.
    EXPECT_EQ(yamada.payroll.restDay, 0);
    // The 5th's hour, and the swapped week's 43 hours: the legal week still holds.
    EXPECT_EQ(yamada.payroll.overtime, 4 * 60);

    const auto sato = o.RowOf("佐藤", &book);
    EXPECT_EQ(sato.scheduled.withinOvertime, 2 * 60);
    EXPECT_EQ(sato.payroll.overtime, 0);
    // Every other weekday of the month without a tap is an absence.
    EXPECT_EQ(sato.scheduled.absentDays, 18);

    // Without a pattern the figures are exactly those without a calendar.
    const auto suzuki = o.RowOf("鈴木", &book);
    const auto plain = o.RowOf("鈴木", nullptr);
    EXPECT_FALSE(suzuki.scheduled.scheduled);
    EXPECT_EQ(suzuki.payroll.worked, plain.payroll.worked);
    EXPECT_EQ(suzuki.payroll.overtime, plain.payroll.overtime);
    EXPECT_EQ(CPeriodReport::Csv({suzuki}, false), CPeriodReport::Csv({plain}, false));

    // The 出勤簿 says the same day by day: holidays named and shaded, the absence, the swap.
    std::vector<CTimesheet::Page> pages;
    ASSERT_TRUE(CTimesheet::Collect(*o.store, 2026, 11, kMonthEnd, "山田", o.rules, &leave, false,
                                    pages, nullptr, &book));
    ASSERT_EQ(pages.size(), 1u);
    const auto& lines = pages[0].lines;
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[1].note, "遅刻 0:10");
    EXPECT_EQ(lines[2].note, "文化の日");
    EXPECT_TRUE(lines[2].restDay_);
    EXPECT_EQ(lines[3].note, "早退 0:30");
    EXPECT_EQ(lines[5].note, "欠勤");
    EXPECT_EQ(lines[8].note, "有休");
    EXPECT_EQ(lines[14].note, "振替");
    EXPECT_FALSE(lines[14].restDay_);
    EXPECT_TRUE(lines[17].restDay_);  // the 18th took the rest day
    EXPECT_EQ(lines[20].note, "所定休日");
    EXPECT_EQ(lines[22].note, "勤労感謝の日");
    EXPECT_EQ(lines[25].note, "代休");
    EXPECT_NE(pages[0].totals.back().find("欠勤: 1日"), std::string::npos)
        << pages[0].totals.back();

    // Without the swap, the Sunday's 8:00 would be rest-day work.
    CScheduleBook unswapped = book;
    unswapped.swaps.clear();
    EXPECT_EQ(o.RowOf("山田", &unswapped, &leave).payroll.restDay, 8 * 60);
}

// A half day of leave excuses its own half only: the morning off, the day starts at the end of
// the lunch break (13:00); the afternoon off, it ends at its start (12:00).
TEST(ScheduledMonth, AHalfDayOfLeaveExcusesOnlyItsHalf) {
    Office o;
    o.Day("山田", 2, 13, 0, 18, 0);   // morning off, in at 13:00: on time
    o.Day("山田", 4, 14, 30, 18, 0);  // morning off, in at 14:30: 1:30 late
    o.Day("山田", 5, 9, 0, 11, 0);    // afternoon off, out at 11:00: 1:00 early
    o.Day("山田", 10, 9, 0, 12, 0);   // afternoon off, out at 12:00: on time
    CLeaveBook leave;
    for (int day : {2, 4})
        leave.taken.push_back({"山田", 20261100 + day, CLeaveBook::EPart::kMorning});
    for (int day : {5, 10}) {
        leave.taken.push_back({"山田", 20261100 + day, CLeaveBook::EPart::kAfternoon});
    }
    const CScheduleBook book = Book(o.rules);
    const auto& s = o.RowOf("山田", &book, &leave).scheduled;
    EXPECT_EQ(s.lateCount, 1);
    EXPECT_EQ(s.late, 90);
    EXPECT_EQ(s.earlyCount, 1);
    EXPECT_EQ(s.early, 60);
    // Without a break the halves meet at the middle of the day.
    CWorkPattern plain = Pattern("休憩なし", 17);
    plain.breaks.clear();
    EXPECT_EQ(plain.MorningEnd(), 13 * 60);
    EXPECT_EQ(plain.AfternoonStart(), 13 * 60);
}

TEST(ScheduledMonth, AClosedMonthKeepsItsFiguresWhenTheRulesChange) {
    Office o;
    for (int day : {1, 2, 3, 4, 5, 6, 7}) o.Day("山田", day, 9, 0, 19, 30);  // 9:30 a day
    CScheduleBook book = Book(o.rules);
    const auto before = o.RowOf("山田", &book);
    std::vector<std::pair<std::string, std::string>> prints;
    ASSERT_TRUE(CPeriodReport::Prints(*o.store, 2026, 11, kMonthEnd, prints));
    ASSERT_FALSE(CScheduleChange::Close(book, 2026, 11, kMonthEnd, o.rules, "2026/12/01 10:00",
                                        "管理者", prints));
    // The office moves to a 44-hour week with Saturday as its rest day.
    o.rules.weekHours = 44;
    o.rules.restDay = 6;
    const auto closed = o.RowOf("山田", &book);
    EXPECT_EQ(CPeriodReport::Csv({closed}, false), [&] {
        auto row = before;
        row.closed = "2026/12/01 10:00 管理者";
        return CPeriodReport::Csv({row}, false);
    }());
    EXPECT_FALSE(closed.changedSinceClosed);
    // A tap a clock kept while the share was away reaches the closed month: kept, and flagged.
    o.Day("鈴木", 10, 9, 0, 18, 0);
    o.Day("山田", 30, 9, 0, 18, 0);
    const auto late = o.RowOf("山田", &book);
    EXPECT_TRUE(late.changedSinceClosed);
    EXPECT_NE(CPeriodReport::Csv({late}, false).find("（締め後に記録の変更あり）"),
              std::string::npos);
    EXPECT_TRUE(o.RowOf("鈴木", &book).changedSinceClosed);  // nobody's records at closing
    // The change holds for what is not closed.
    CScheduleBook open = book;
    ASSERT_FALSE(CScheduleChange::Reopen(open, 2026, 11, kMonthEnd, "2026/12/02 09:00", "管理者",
                                         "打刻漏れの訂正"));
    EXPECT_NE(o.RowOf("山田", &open).payroll.overtime, before.payroll.overtime);
}

TEST(ScheduledMonth, MonthlyRoundingShowsRoundedTotalsButJudgesTheExactMinutes) {
    Office o;
    o.rules.monthlyRounding = true;
    o.Day("山田", 2, 9, 0, 18, 29);  // 0:29 overtime: shown as 0:00
    o.Day("山田", 4, 9, 0, 18, 1);   // with the 2nd, 0:30: shown as 1:00
    auto row = o.RowOf("山田", nullptr);
    EXPECT_EQ(row.payroll.overtime, 30);
    EXPECT_EQ(CPeriodReport::Shown(row).overtime, 60);
    EXPECT_NE(CPeriodReport::Csv({row}, false).find(",30分単位,"), std::string::npos);
    EXPECT_EQ(CPayroll::RoundMonthly(29), 0);
    EXPECT_EQ(CPayroll::RoundMonthly(90), 120);
    EXPECT_EQ(CPayroll::RoundMonthly(45 * 60 + 29), 45 * 60);
}

}  // namespace stampwell
