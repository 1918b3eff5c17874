#include "reporting/ScheduledTime.h"

#include <algorithm>
#include <map>

#include "calendar/TimeText.h"
#include "calendar/WorkDate.h"
#include "leave/LeaveBook.h"

namespace stampwell {

std::vector<CScheduledTime::Day> CScheduledTime::ForDays(const std::vector<WorkDayRecord>& days,
                                                         const std::vector<CPayroll::Day>& payroll,
                                                         const CSchedulePlan& plan,
                                                         const CLeaveBook* leave,
                                                         const std::string& name,
                                                         const std::string& today) {
    std::vector<Day> out(days.size());
    const int todayNumber = CWorkDate::Number(today);
    for (std::size_t i = 0; i < days.size(); ++i) {
        const WorkDayRecord& record = days[i];
        const CPayroll::Day& pay = payroll[i];
        Day& f = out[i];
        const int date = CWorkDate::Number(record.date);
        if (date <= 0) continue;
        f.plan = plan.On(date);
        if (f.plan.kind == CSchedulePlan::EKind::kUnscheduled) continue;
        // No leave reads as -1: none of the parts below.
        int taken = -1;
        if (leave != nullptr) {
            if (const auto part = leave->TakenOn(name, date)) taken = static_cast<int>(*part);
        }
        if (f.plan.kind == CSchedulePlan::EKind::kDayOff) {
            if (pay.counted) f.dayOffWork = pay.worked - pay.restDay;
            continue;
        }
        if (f.plan.kind != CSchedulePlan::EKind::kWorkday) continue;
        const CWorkPattern& pattern = *f.plan.pattern;
        f.scheduled = pattern.ScheduledMinutes();
        const bool tapped = !record.start.empty() || !record.end.empty();
        if (!tapped) {
            f.absent = taken < 0 && todayNumber > 0 && date < todayNumber;
            continue;
        }
        if (taken == static_cast<int>(CLeaveBook::EPart::kWhole)) continue;
        // A half day of leave moves the scheduled start or end to where that half ends: coming
        // after the afternoon's start is still late.
        const bool morningOff = taken == static_cast<int>(CLeaveBook::EPart::kMorning);
        const bool afternoonOff = taken == static_cast<int>(CLeaveBook::EPart::kAfternoon);
        if (!record.start.empty()) {
            const int from = morningOff ? pattern.AfternoonStart() : pattern.start;
            f.late = std::max(0, CTimeText::Minutes(record.start) - from);
        }
        if (pay.counted) {
            const int until = afternoonOff ? pattern.MorningEnd() : pattern.end;
            f.early = std::max(0, until - CTimeText::Minutes(record.end));
            const int beyond = pay.worked - pay.restDay - f.scheduled;
            f.withinOvertime = std::max(0, beyond - pay.dailyOvertime - pay.weeklyOvertime);
        }
    }
    return out;
}

std::vector<WorkDayRecord> CScheduledTime::EveryDay(const std::vector<WorkDayRecord>& days,
                                                    const std::string& name, int first, int last) {
    std::multimap<int, WorkDayRecord> byDate;
    for (const auto& day : days) byDate.emplace(CWorkDate::Number(day.date), day);
    for (long index = CWorkDate::DayIndex(first); index <= CWorkDate::DayIndex(last); ++index) {
        const int date = CWorkDate::FromDayIndex(index);
        if (!byDate.count(date)) {
            byDate.emplace(date, WorkDayRecord{name, CWorkDate::TextOfNumber(date), {}, {}});
        }
    }
    std::vector<WorkDayRecord> out;
    out.reserve(byDate.size());
    for (auto& [date, day] : byDate) out.push_back(std::move(day));
    return out;
}

CScheduledTime::Totals CScheduledTime::Add(const std::vector<WorkDayRecord>& days,
                                           const std::vector<Day>& figures, int firstDate) {
    Totals t;
    for (std::size_t i = 0; i < days.size(); ++i) {
        if (CWorkDate::Number(days[i].date) < firstDate) continue;
        const Day& f = figures[i];
        if (f.plan.kind == CSchedulePlan::EKind::kUnscheduled) continue;
        if (f.plan.pattern != nullptr) t.scheduled = true;
        if (f.plan.kind == CSchedulePlan::EKind::kWorkday) ++t.scheduledDays;
        if (f.late > 0) ++t.lateCount;
        if (f.early > 0) ++t.earlyCount;
        t.late += f.late;
        t.early += f.early;
        if (f.absent) {
            ++t.absentDays;
            t.absentDates.push_back(days[i].date);
        }
        t.withinOvertime += f.withinOvertime;
        t.dayOffWork += f.dayOffWork;
        if (f.dayOffWork > 0) ++t.holidayWorkDays;
        if (f.plan.inLieu) ++t.daysInLieu;
        if (f.plan.swapped) t.swappedDates.push_back(days[i].date);
    }
    return t;
}

}  // namespace stampwell
