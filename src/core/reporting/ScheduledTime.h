#pragma once

#include <string>
#include <vector>

#include "reporting/Payroll.h"
#include "schedule/SchedulePlan.h"
#include "workfile/WorkDayRecord.h"

namespace stampwell {

class CLeaveBook;

// The figures of the scheduled hours (所定) of one person's days:
//  遅刻: a start after the scheduled start (not on a morning of leave);
//  早退: an end before the scheduled end (not on an afternoon of leave);
//  欠勤: a scheduled working day before today with neither a time nor leave;
//  法定内残業: time worked on a scheduled working day beyond the scheduled minutes that is not
//      overtime by law (within 8 hours a day and the legal week);
//  所定休日労働: time worked on a scheduled day off that is not the statutory rest day.
// Days without a pattern count nothing here, so an employee without one keeps the statutory
// figures alone.
class CScheduledTime {
public:
    struct Day {
        CSchedulePlan::Day plan;
        int scheduled = 0;  // scheduled minutes of a working day
        int late = 0;
        int early = 0;
        bool absent = false;
        int withinOvertime = 0;
        int dayOffWork = 0;
    };
    struct Totals {
        int scheduledDays = 0;
        int lateCount = 0;
        int late = 0;
        int earlyCount = 0;
        int early = 0;
        int absentDays = 0;
        std::vector<std::string> absentDates;
        int withinOvertime = 0;
        int dayOffWork = 0;
        int holidayWorkDays = 0;  // days worked on a scheduled day off
        int daysInLieu = 0;       // 代休 taken
        std::vector<std::string> swappedDates;  // the days a 振替 made working days or days off
        bool scheduled = false;   // whether any day of the period had a pattern
    };

    // days and payroll as CPayroll::ForDays gives them (the same order); leave may be null.
    static std::vector<Day> ForDays(const std::vector<WorkDayRecord>& days,
                                    const std::vector<CPayroll::Day>& payroll,
                                    const CSchedulePlan& plan, const CLeaveBook* leave,
                                    const std::string& name, const std::string& today);
    static Totals Add(const std::vector<WorkDayRecord>& days, const std::vector<Day>& figures,
                      int firstDate);
    // The days with every date from first to last (date numbers) present, the days without a
    // record empty, in date order: an absence is a day with no record at all.
    static std::vector<WorkDayRecord> EveryDay(const std::vector<WorkDayRecord>& days,
                                               const std::string& name, int first, int last);
};

}  // namespace stampwell
