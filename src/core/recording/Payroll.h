#pragma once

#include <string>
#include <vector>

#include "recording/WorkDayRecord.h"
#include "settings/WorkRules.h"

namespace stampwell {

// A month (or pay period) in payroll terms, from the one start and one end of each working day:
// the break deducted, the time worked, the overtime beyond the legal day (8 hours) and week
// (40 hours), the late-night hours (22:00 to 05:00), the work on the statutory rest day, and the
// overtime limits of the labour agreement. One function per rule; days with a missing time, an
// end before the start, or still going on today count nothing.
class CPayroll {
public:
    static constexpr int kLegalDay = 8 * 60;
    static constexpr int kLegalWeek = 40 * 60;

    struct Day {
        bool counted = false;
        int span = 0;
        int breakMinutes = 0;
        int worked = 0;
        int dailyOvertime = 0;
        int weeklyOvertime = 0;
        int lateNight = 0;
        int restDay = 0;
    };
    struct Totals {
        int breakMinutes = 0;
        int worked = 0;
        int overtime = 0;  // daily and weekly
        int lateNight = 0;
        int restDay = 0;
        // "100時間以上", "60時間超", "45時間超", or empty.
        std::string limit;
    };

    // Minutes of break in a span (minutes of the working day, the end past 24:00 after
    // midnight): by length (more than 6 hours: 45, more than 8 hours: 60) or the fixed windows
    // the span covers.
    static int BreakMinutes(int start, int end, const CWorkRules& rules);
    // Minutes worked between 22:00 and 05:00 (in the program's clock 22:00-29:00, and
    // 00:00-05:00 of a day that starts before 05:00), fixed breaks inside left out.
    static int LateNightMinutes(int start, int end, const CWorkRules& rules);
    // Whether a working day ("YYYY/MM/DD") is the office's weekly statutory rest day.
    static bool IsRestDay(const std::string& date, const CWorkRules& rules);
    // The limit a month's overtime (and rest-day work) passed, or nothing.
    static std::string LimitPassed(int overtime, int restDay);

    // Every day of one person, in date order, with the overtime of each week: days before
    // firstDate (the week's earlier days) count toward the week only. today is the working day
    // still going on.
    static std::vector<Day> ForDays(const std::vector<WorkDayRecord>& days, const CWorkRules& rules,
                                    const std::string& today);
    // The figures of the days from firstDate (a date number) on.
    static Totals Add(const std::vector<WorkDayRecord>& days, int firstDate,
                      const CWorkRules& rules, const std::string& today);
};

}  // namespace stampwell
