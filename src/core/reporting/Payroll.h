#pragma once

#include <functional>
#include <string>
#include <vector>

#include "settings/WorkRules.h"
#include "workfile/WorkDayRecord.h"

namespace stampwell {

// A month (or pay period) in payroll terms, from the one start and one end of each working day:
// the break deducted, the time worked, the overtime beyond the legal day (8 hours) and week
// (40 hours, or 44), the late-night hours (22:00 to 05:00), the work on the statutory rest day
// (the calendar day, 0:00 to 24:00), the days whose fixed breaks fall short of the legal
// minimum, and the overtime limits of the labour agreement. One function per rule; days with a
// missing time, an end before the start, or still going on today count nothing.
class CPayroll {
public:
    static constexpr int kLegalDay = 8 * 60;
    // Whether a date number is the person's statutory rest day, when a swapped rest day moved
    // it; empty: the rules' weekday.
    using RestDays = std::function<bool(int date)>;

    struct Day {
        bool counted = false;
        int span = 0;
        int breakMinutes = 0;
        int worked = 0;
        int dailyOvertime = 0;
        int weeklyOvertime = 0;
        int lateNight = 0;
        int restDay = 0;
        bool shortBreak = false;  // fixed breaks below the legal minimum for the time worked
    };
    struct Totals {
        int breakMinutes = 0;
        int worked = 0;
        int overtime = 0;  // daily and weekly
        int lateNight = 0;
        int restDay = 0;
        int overSixty = 0;  // overtime beyond 60 hours (the part with the 50% premium)
        std::vector<std::string> shortBreakDates;
        // Every limit passed: "45時間超・60時間超・100時間以上", or empty.
        std::string limit;
    };

    // Minutes of break in a span (minutes of the working day, the end past 24:00 after
    // midnight): by length (more than 6 hours: 45, more than 8 hours: 60) or the fixed windows
    // the span covers.
    static int BreakMinutes(int start, int end, const CWorkRules& rules);
    // Minutes worked between 22:00 and 05:00 (in the program's clock 22:00-29:00, and
    // 00:00-05:00 of a day that starts before 05:00), fixed breaks inside left out.
    static int LateNightMinutes(int start, int end, const CWorkRules& rules);
    // Whether a calendar day ("YYYY/MM/DD") is the office's weekly statutory rest day.
    static bool IsRestDay(const std::string& date, const CWorkRules& rules,
                          const RestDays& restDays = {});
    // Of a working day's span (minutes of the working day; 24:00 on is the next calendar day),
    // the minutes worked inside the calendar days that are the rest day. A fixed break there is
    // not worked; a break by length has no place, so it comes off the hours outside the rest
    // day first (the rest-day premium is the higher one).
    static int RestDayMinutes(const std::string& date, int start, int end, int breakMinutes,
                              const CWorkRules& rules, const RestDays& restDays = {});
    // The legal minimum break for the minutes worked (more than 6 hours: 45, more than 8: 60).
    static int RequiredBreak(int worked);
    // The break deemed for a span when breaks go by length: the least that leaves the time
    // worked within RequiredBreak (6:30 -> 0:30, 8:50 -> 0:50).
    static int LegalBreakOfSpan(int span);
    // A period's total rounded to the hour: under 30 minutes down, 30 and over up.
    static int RoundMonthly(int minutes) { return (minutes + 30) / 60 * 60; }
    // Every limit a month's overtime (and rest-day work) passed, joined by "・", or nothing.
    static std::string LimitPassed(int overtime, int restDay);

    // Every day of one person, in date order, with the overtime of each week: days before
    // firstDate (the week's earlier days) count toward the week only. today is the working day
    // still going on.
    static std::vector<Day> ForDays(const std::vector<WorkDayRecord>& days, const CWorkRules& rules,
                                    const std::string& today, const RestDays& restDays = {});
    // The figures of the days from firstDate (a date number) on.
    static Totals Add(const std::vector<WorkDayRecord>& days, int firstDate,
                      const CWorkRules& rules, const std::string& today,
                      const RestDays& restDays = {});
    // The totals of figures already worked out by ForDays.
    static Totals AddFigures(const std::vector<WorkDayRecord>& days,
                             const std::vector<Day>& figures, int firstDate);
};

}  // namespace stampwell
