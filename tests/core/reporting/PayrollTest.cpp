// The month in payroll terms: each rule on days worked out by hand.
#include <gtest/gtest.h>

#include "calendar/WorkDate.h"
#include "folderstore/FolderWorkStore.h"
#include "platform/LocalTime.h"
#include "reporting/Payroll.h"
#include "reporting/PeriodReport.h"
#include "settings/EnvironmentSettings.h"
#include "support/CliRunner.h"
#include "support/Fakes.h"
#include "support/TestSupport.h"
#include "support/WorkedExample.h"
#include "workfile/WorkReport.h"

namespace stampwell {

namespace {
WorkDayRecord Day(const std::string& date, const std::string& start, const std::string& end) {
    return {"山田", date, start, end};
}

CWorkRules FixedBreaks(const std::string& windows) {
    CWorkRules rules;
    rules.breaks = CWorkRules::EBreaks::kFixed;
    rules.windows = *CWorkRules::ParseWindows(windows);
    return rules;
}

std::string H(int minutes) {
    return CWorkSummary::FormatMinutes(minutes);
}

// No day here is still going on.
const std::string kToday = "2099/01/01";
}  // namespace

TEST(Payroll, OneDayUnderEachBreakRule) {
    struct Case {
        const char* what;
        CWorkRules rules;
        const char* date;  // 2011/08/24 is a Wednesday
        const char* start;
        const char* end;
        const char* breakTime;
        const char* worked;
        const char* overtime;
        const char* lateNight;
    };
    const CWorkRules legal;
    const Case cases[] = {
        {"a full day", legal, "2011/08/24", "09:00", "18:00", "1:00", "8:00", "0:00", "0:00"},
        {"a long day", legal, "2011/08/24", "09:00", "20:30", "1:00", "10:30", "2:30", "0:00"},
        {"a night", legal, "2011/08/24", "21:00", "25:30", "0:00", "4:30", "0:00", "3:30"},
        {"exactly 6 hours", legal, "2011/08/24", "09:00", "15:00", "0:00", "6:00", "0:00", "0:00"},
        // Breaks by length take no more than the law needs for the time then worked.
        {"just over 6", legal, "2011/08/24", "09:00", "15:01", "0:01", "6:00", "0:00", "0:00"},
        {"6:30", legal, "2011/08/24", "09:00", "15:30", "0:30", "6:00", "0:00", "0:00"},
        {"6:45", legal, "2011/08/24", "09:00", "15:45", "0:45", "6:00", "0:00", "0:00"},
        {"6:46", legal, "2011/08/24", "09:00", "15:46", "0:45", "6:01", "0:00", "0:00"},
        {"exactly 8 hours", legal, "2011/08/24", "09:00", "17:00", "0:45", "7:15", "0:00", "0:00"},
        {"just over 8", legal, "2011/08/24", "09:00", "17:01", "0:45", "7:16", "0:00", "0:00"},
        {"8:45", legal, "2011/08/24", "09:00", "17:45", "0:45", "8:00", "0:00", "0:00"},
        {"8:50", legal, "2011/08/24", "09:00", "17:50", "0:50", "8:00", "0:00", "0:00"},
        {"9:01", legal, "2011/08/24", "09:00", "18:01", "1:00", "8:01", "0:01", "0:00"},
        // The break has no place in the day: late night never passes the time worked.
        {"all night", legal, "2011/08/24", "22:00", "29:00", "0:45", "6:15", "0:00", "6:15"},
        // A day that starts before 05:00 (typed so) has its early hours at night.
        {"early start", legal, "2011/08/24", "04:00", "13:00", "1:00", "8:00", "0:00", "1:00"},
        {"into the window", FixedBreaks("12:00-13:00"), "2011/08/24", "12:30", "18:00", "0:30",
         "5:00", "0:00", "0:00"},
        {"two windows", FixedBreaks("12:00-13:00 15:00-15:15"), "2011/08/24", "09:00", "18:00",
         "1:15", "7:45", "0:00", "0:00"},
        {"past the windows", FixedBreaks("12:00-13:00"), "2011/08/24", "13:00", "23:00", "0:00",
         "10:00", "2:00", "1:00"},
        // A night window applies after midnight of the working day (26:00-27:00) and is no
        // late-night work.
        {"night window", FixedBreaks("02:00-03:00"), "2011/08/24", "22:00", "28:00", "1:00", "5:00",
         "0:00", "5:00"},
    };
    // A longer day is never paid less: minute by minute over a day and a half.
    int before = 0;
    for (int span = 0; span <= 36 * 60; ++span) {
        const int worked = span - CPayroll::BreakMinutes(9 * 60, 9 * 60 + span, legal);
        ASSERT_GE(worked, before) << span;
        ASSERT_GE(span - worked, CPayroll::RequiredBreak(worked)) << span;
        before = worked;
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto days = CPayroll::ForDays({Day(c.date, c.start, c.end)}, c.rules, kToday);
        ASSERT_EQ(days.size(), 1u);
        EXPECT_TRUE(days[0].counted);
        EXPECT_EQ(H(days[0].breakMinutes), c.breakTime);
        EXPECT_EQ(H(days[0].worked), c.worked);
        EXPECT_EQ(H(days[0].dailyOvertime + days[0].weeklyOvertime), c.overtime);
        EXPECT_EQ(H(days[0].lateNight), c.lateNight);
    }
}

TEST(Payroll, DaysWithAMissingOrMisorderedTimeOrStillGoingOnCountNothing) {
    const CWorkRules legal;
    const auto days =
        CPayroll::ForDays({Day("2011/08/22", "09:00", ""), Day("2011/08/23", "18:00", "09:00"),
                           Day("2011/08/24", "", ""), Day("2011/08/25", "09:00", "")},
                          legal, "2011/08/25");
    for (const auto& day : days) {
        EXPECT_FALSE(day.counted);
        EXPECT_EQ(day.worked, 0);
    }
}

TEST(Payroll, TheWeekBeyondFortyHoursAndTheRestDayApart) {
    // 2011/08/07 is a Sunday. Monday to Friday 8.5 hours worked (0:30 daily overtime each, 40
    // regular hours), then a Saturday of 4 hours: all of it beyond the week's 40.
    std::vector<WorkDayRecord> week;
    for (int day = 8; day <= 12; ++day) {
        week.push_back(Day("2011/08/" + std::to_string(day), "09:00", "18:30"));
    }
    week.push_back(Day("2011/08/13", "09:00", "13:00"));
    week.push_back(Day("2011/08/14", "09:00", "18:00"));  // Sunday: the next week, a rest day
    const CWorkRules legal;
    auto days = CPayroll::ForDays(week, legal, kToday);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(days[i].dailyOvertime, 30);
        EXPECT_EQ(days[i].weeklyOvertime, 0);
    }
    EXPECT_EQ(days[5].weeklyOvertime, 4 * 60);
    EXPECT_EQ(days[6].restDay, 8 * 60);
    EXPECT_EQ(days[6].dailyOvertime + days[6].weeklyOvertime, 0);
    auto totals = CPayroll::Add(week, 20110801, legal, kToday);
    EXPECT_EQ(H(totals.worked), "54:30");
    EXPECT_EQ(H(totals.overtime), "6:30");
    EXPECT_EQ(H(totals.restDay), "8:00");
    EXPECT_EQ(totals.limit, "");

    // No rest day: the Sunday is an ordinary day of a new week. Weeks from Monday: it closes
    // the week that already has 44 regular hours, so all of its 8 hours are beyond 40.
    CWorkRules noRestDay;
    noRestDay.restDay = CWorkRules::kNoRestDay;
    days = CPayroll::ForDays(week, noRestDay, kToday);
    EXPECT_EQ(days[6].restDay, 0);
    EXPECT_EQ(days[6].weeklyOvertime, 0);
    noRestDay.weekStart = 1;
    days = CPayroll::ForDays(week, noRestDay, kToday);
    EXPECT_EQ(days[6].weeklyOvertime, 8 * 60);
    // A Monday rest day takes Monday out of the week's count: Saturday then stays within 40.
    CWorkRules monday;
    monday.restDay = 1;
    days = CPayroll::ForDays(week, monday, kToday);
    EXPECT_EQ(days[0].restDay, 8 * 60 + 30);
    EXPECT_EQ(days[0].dailyOvertime, 0);
    EXPECT_EQ(days[5].weeklyOvertime, 0);
}

TEST(Payroll, TheFirstWeekOfAPeriodCountsTheDaysBeforeIt) {
    // 2011/09/01 is a Thursday; its week began on Sunday 08/28. Three 8-hour days before the
    // 1st and three after make 48 regular hours: the last 8 are September's overtime.
    std::vector<WorkDayRecord> days;
    for (const char* date :
         {"2011/08/29", "2011/08/30", "2011/08/31", "2011/09/01", "2011/09/02", "2011/09/03"}) {
        days.push_back(Day(date, "09:00", "18:00"));
    }
    const auto totals = CPayroll::Add(days, 20110901, CWorkRules{}, kToday);
    EXPECT_EQ(H(totals.worked), "24:00");  // September's days only
    EXPECT_EQ(H(totals.overtime), "8:00");
}

TEST(Payroll, TheLimitsOfTheLabourAgreement) {
    EXPECT_EQ(CPayroll::LimitPassed(45 * 60, 0), "");
    EXPECT_EQ(CPayroll::LimitPassed(45 * 60 + 1, 0), "45時間超");
    EXPECT_EQ(CPayroll::LimitPassed(60 * 60, 0), "45時間超");
    // Every limit passed is named: the 50% premium from 60 hours on is never hidden by 100.
    EXPECT_EQ(CPayroll::LimitPassed(60 * 60 + 1, 0), "45時間超・60時間超");
    EXPECT_EQ(CPayroll::LimitPassed(80 * 60, 19 * 60 + 59), "45時間超・60時間超");
    EXPECT_EQ(CPayroll::LimitPassed(80 * 60, 20 * 60), "45時間超・60時間超・100時間以上");
    EXPECT_EQ(CPayroll::LimitPassed(30 * 60, 70 * 60), "100時間以上");

    // A month of 19 weekdays of 09:00-20:30: 2:30 a day beyond the legal day, 47:30 in all.
    std::vector<WorkDayRecord> month;
    for (int day = 1; day <= 31; ++day) {
        char date[16];
        std::snprintf(date, sizeof date, "2011/08/%02d", day);
        const int weekday = day % 7;  // 2011/08/01 is a Monday
        if (weekday == 6 || weekday == 0 || month.size() == 19) continue;
        month.push_back(Day(date, "09:00", "20:30"));
    }
    ASSERT_EQ(month.size(), 19u);
    const auto totals = CPayroll::Add(month, 20110801, CWorkRules{}, kToday);
    EXPECT_EQ(H(totals.overtime), "47:30");
    EXPECT_EQ(totals.limit, "45時間超");
}

namespace {
// An office of one, in the given mode, whose days are written as the clock writes them.
struct Office {
    explicit Office(const std::string& style) {
        test::WriteBytes(t.dir / "Style.txt", style);
        settings = CreateConfig(t.runtime);
        settings->SetDayChangeHour(5);  // a night's work ends on its working day
        report = std::make_unique<CWorkReport>(t.runtime);
        store = std::make_unique<CFolderWorkStore>(*report);
        report->SetSettings(settings);
        report->SetStampSide(&side);
    }
    void Stamp(int month, int day, int hour, int minute, int side) {
        t.clock->Set(CLocalTime::FromLocal(2011, month, day, hour, minute));
        report->SetStamp("山田");
        ASSERT_TRUE(report->AppendRecord(side));
    }
    test::CTestRuntime t;
    std::shared_ptr<CEnvironmentSettings> settings;
    std::unique_ptr<CWorkReport> report;
    std::unique_ptr<CFolderWorkStore> store;  // the same records through the store's face
    test::CFixedSide side;
};
}  // namespace

TEST(PeriodReport, AttendanceAndRoomModeGiveTheSameFigures) {
    for (const char* style : {"1", "2"}) {
        SCOPED_TRACE(style);
        const bool room = std::string(style) == "2";
        Office o(style);
        o.Stamp(8, 24, 9, 0, 0);  // 出社 or 入室
        o.Stamp(8, 24, 20, 30, 1);
        o.Stamp(8, 25, 21, 0, 0);
        o.Stamp(8, 26, 1, 30, 1);  // 25:30 of the 25th
        o.Stamp(8, 28, 10, 0, 0);  // a Sunday
        o.Stamp(8, 28, 15, 0, 1);
        o.Stamp(8, 29, 9, 0, 0);  // no end
        o.t.clock->Set(CLocalTime::FromLocal(2011, 9, 10, 12, 0));
        std::vector<CPeriodReport::Row> rows;
        ASSERT_TRUE(CPeriodReport::Collect(*o.store, 2011, 8, 5, "", CWorkRules{}, rows));
        ASSERT_EQ(rows.size(), 1u);
        const std::string csv = CPeriodReport::Csv(rows, room);
        EXPECT_EQ(
            csv,
            std::string(room ? "氏名,在室日数,合計在室時間" : "氏名,出勤日数,合計勤務時間") +
                ",打刻漏れの日,時刻不整合の日,休憩,実労働時間,法定外残業,深夜労働,"
                "法定休日労働,上限超過,60時間超残業,休憩不足の日,"
                "有休取得日数,有休残日数,有休日の打刻,"
                "所定労働日数,遅刻回数,遅刻時間,早退回数,早退時間,欠勤日数,欠勤日,法定内残業,"
                "所定休日労働,代休日数,振替日,端数処理,締め\r\n"
                "山田,3,21:00,2011/08/29,,1:00,20:00,2:30,3:30,5:00,,0:00,,0,,,,,,,,,,,,,,,\r\n");
        EXPECT_EQ(CPeriodReport::ConsoleLine(rows[0]),
                  "山田\t3日\t21:00\t休憩 1:00\t実労働 20:00\t残業 2:30\t深夜 3:30\t休日 5:00"
                  "\t打刻漏れ: 2011/08/29");
    }
}

TEST(PeriodReport, AMonthOfTapsOnASetClockGivesTheWorkedExample) {
    if (!test::HasFaketime()) GTEST_SKIP() << "faketime is not installed";
    test::CTempDir dir;
    ASSERT_EQ(test::MakeWorkedExample(dir.Path()), "");
    const auto csv = dir / "june.csv";
    auto result = test::RunCli(
        dir.Path(), "report --year 2026 --month 6 --closing end --csv '" + csv.string() + "'",
        test::AtTime("2026-07-01 10:00:00"));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(
        test::ReadBytes(csv),
        test::Sjis("氏名,出勤日数,合計勤務時間,打刻漏れの日,時刻不整合の日,休憩,実労働時間,"
                   "法定外残業,深夜労働,法定休日労働,上限超過,60時間超残業,休憩不足の日,"
                   "有休取得日数,有休残日数,有休日の打刻,"
                   "所定労働日数,遅刻回数,遅刻時間,早退回数,早退時間,欠勤日数,欠勤日,法定内残業,"
                   "所定休日労働,代休日数,振替日,端数処理,締め\r\n"
                   "山田,10,75:00,2026/06/09,,6:30,68:30,6:30,10:00,7:00,,0:00,2026/06/"
                   "10,0,,,,,,,,,,,,,,,\r\n"));
    // The agreement year from April: June's figures, and the largest 2-month average.
    const auto year = dir / "year.csv";
    result =
        test::RunCli(dir.Path(), "limits --year 2026 --closing end --csv '" + year.string() + "'",
                     test::AtTime("2026-07-01 10:00:00"));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::string header = "氏名";
    std::string row = "山田";
    for (int month : {4, 5, 6, 7, 8, 9, 10, 11, 12, 1, 2, 3}) {
        header += "," + std::to_string(month) + "月時間外," + std::to_string(month) + "月休日";
        row += month == 6 ? ",6:30,7:00" : ",0:00,0:00";
    }
    header += ",45時間超の月数,年間時間外,2～6か月平均の最大,100時間以上の月,上限超過\r\n";
    row += ",0,6:30,6:45（5月～6月）,,\r\n";
    EXPECT_EQ(test::ReadBytes(year), test::Sjis(header + row));
    // The export of the same month stays as it always was: one line per day and time.
    result = test::RunCli(dir.Path(), "records");
    EXPECT_NE(result.out.find("2026/06/03,,25:30"), std::string::npos) << result.out;
}

}  // namespace stampwell

namespace stampwell {

// Worked out by hand. 2026/12/05 is a Saturday, 12/06 the Sunday (the rest day), 12/07 Monday.
TEST(Payroll, HandWorkedCasesOfTheRestDayTheWeekAndTheBreaks) {
    const CWorkRules legal;
    CWorkRules noonBreak = FixedBreaks("12:00-13:00");
    CWorkRules halfHour = FixedBreaks("12:00-12:30");
    struct Case {
        const char* what;
        const CWorkRules& rules;
        const char* date;
        const char* start;
        const char* end;
        const char* worked;
        const char* restDay;
        const char* overtime;
        const char* lateNight;
        bool shortBreak;
    };
    const Case cases[] = {
        // Only the hours inside the calendar Sunday are rest-day work.
        {"Sat 22:00-Sun 03:00", legal, "2026/12/05", "22:00", "27:00", "5:00", "3:00", "0:00",
         "5:00", false},
        {"Sun 20:00-Mon 02:00", legal, "2026/12/06", "20:00", "26:00", "6:00", "4:00", "0:00",
         "4:00", false},
        {"Sun 00:30-04:30, stored on Saturday", legal, "2026/12/05", "24:30", "28:30", "4:00",
         "4:00", "0:00", "4:00", false},
        // A break by length comes off the hours outside the rest day first.
        {"Sun 18:00-Mon 03:00", legal, "2026/12/06", "18:00", "27:00", "8:00", "6:00", "0:00",
         "5:00", false},
        // The Monday part of a long Sunday shift is ordinary time and counts toward 8 hours.
        {"Sun 14:00-Mon 10:00", noonBreak, "2026/12/06", "14:00", "34:00", "20:00", "10:00", "2:00",
         "7:00", true},
        // Late night ends at 05:00: a shift to 06:00 has seven late-night hours, not more.
        {"22:00-30:00", noonBreak, "2026/12/08", "22:00", "30:00", "8:00", "0:00", "0:00", "7:00",
         true},
        // 休憩不足: ten hours worked with no fixed break inside.
        {"13:30-23:30", noonBreak, "2026/12/08", "13:30", "23:30", "10:00", "0:00", "2:00", "1:30",
         true},
        {"09:00-18:00", noonBreak, "2026/12/08", "09:00", "18:00", "8:00", "0:00", "0:00", "0:00",
         false},
        {"6 hours exactly, no break needed", noonBreak, "2026/12/08", "13:00", "19:00", "6:00",
         "0:00", "0:00", "0:00", false},
        // The minimum goes by the hours worked, not the span: 6:30 less 30 minutes is 6:00 worked,
        // which needs no break; 6:31 is 6:01 worked, which needs 45 minutes.
        {"6:30 with a half-hour window", halfHour, "2026/12/08", "09:00", "15:30", "6:00", "0:00",
         "0:00", "0:00", false},
        {"6:31 with a half-hour window", halfHour, "2026/12/08", "09:00", "15:31", "6:01", "0:00",
         "0:00", "0:00", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto figures = CPayroll::ForDays({Day(c.date, c.start, c.end)}, c.rules, kToday);
        ASSERT_EQ(figures.size(), 1u);
        const auto& f = figures[0];
        EXPECT_EQ(H(f.worked), c.worked);
        EXPECT_EQ(H(f.restDay), c.restDay);
        EXPECT_EQ(H(f.dailyOvertime + f.weeklyOvertime), c.overtime);
        EXPECT_EQ(H(f.lateNight), c.lateNight);
        EXPECT_EQ(f.shortBreak, c.shortBreak);
    }
}

TEST(Payroll, TheWeekOf44HoursAndTheOvertimeBeyond60Hours) {
    // Monday to Saturday, eight hours worked each (09:00-18:00 with a deemed hour of break).
    std::vector<WorkDayRecord> week;
    for (int day = 7; day <= 12; ++day) {
        week.push_back(Day("2026/12/" + std::to_string(day), "09:00", "18:00"));
    }
    CWorkRules rules;
    EXPECT_EQ(H(CPayroll::Add(week, 0, rules, kToday).overtime), "8:00");
    rules.weekHours = 44;
    EXPECT_EQ(H(CPayroll::Add(week, 0, rules, kToday).overtime), "4:00");

    // Every weekday of December 2026 (23 of them) from 09:00 to 22:00: 4 hours a day over 8.
    std::vector<WorkDayRecord> month;
    for (int day = 1; day <= 31; ++day) {
        const int date = CWorkDate::NormalisedNumber(2026, 12, day);
        const int weekday = CWorkDate::Weekday(date);
        if (weekday == 0 || weekday == 6) continue;
        month.push_back(Day(CWorkDate::TextOfNumber(date), "09:00", "22:00"));
    }
    const auto totals = CPayroll::Add(month, 0, CWorkRules{}, kToday);
    EXPECT_EQ(H(totals.overtime), "92:00");
    EXPECT_EQ(H(totals.overSixty), "32:00");
    EXPECT_EQ(totals.limit, "45時間超・60時間超");
    EXPECT_TRUE(totals.shortBreakDates.empty());  // breaks by length never fall short

    // Under a fixed window the short days are listed by date.
    month.resize(2);
    month[1] = Day("2026/12/02", "13:30", "23:30");
    const auto fixed = CPayroll::Add(month, 0, FixedBreaks("12:00-13:00"), kToday);
    EXPECT_EQ(fixed.shortBreakDates, (std::vector<std::string>{"2026/12/02"}));
}

}  // namespace stampwell
