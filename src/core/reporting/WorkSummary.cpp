#include "reporting/WorkSummary.h"

#include <cstdio>

#include "calendar/PayPeriod.h"
#include "calendar/TimeText.h"
#include "calendar/WorkDate.h"
#include "store/IWorkStore.h"
#include "workfile/WorkRecordTable.h"

namespace stampwell {

int CWorkSummary::WorkedMinutes(const WorkDayRecord& day) {
    if (day.start.empty() || day.end.empty()) return -1;
    const int start = CTimeText::Minutes(day.start);
    const int end = CTimeText::Minutes(day.end);
    if (start < 0 || end < start) return -1;
    return end - start;
}

CWorkSummary::EDay CWorkSummary::StateOf(const WorkDayRecord& day, const std::string& today) {
    if (day.start.empty() && day.end.empty()) return EDay::kEmpty;
    if (WorkedMinutes(day) >= 0) return EDay::kWorked;
    if (!day.start.empty() && day.end.empty() && day.date == today) return EDay::kInProgress;
    if (!day.start.empty() && !day.end.empty() && CTimeText::Minutes(day.start) >= 0 &&
        CTimeText::Minutes(day.end) >= 0) {
        return EDay::kInconsistent;
    }
    return EDay::kMissing;
}

const char* CWorkSummary::Label(EDay state) {
    switch (state) {
        case EDay::kMissing:
            return "打刻漏れ";
        case EDay::kInconsistent:
            return "時刻不整合";
        default:
            return "";
    }
}

CWorkSummary::Totals CWorkSummary::Add(const std::vector<WorkDayRecord>& days,
                                       const std::string& today) {
    Totals totals;
    for (const auto& day : days) {
        switch (StateOf(day, today)) {
            case EDay::kWorked:
                ++totals.daysWorked;
                totals.minutes += WorkedMinutes(day);
                break;
            case EDay::kMissing:
                totals.missingDates.push_back(day.date);
                break;
            case EDay::kInconsistent:
                totals.inconsistentDates.push_back(day.date);
                break;
            default:
                break;
        }
    }
    return totals;
}

std::string CWorkSummary::FormatMinutes(int minutes) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d", minutes / 60, minutes % 60);
    return text;
}

bool CWorkSummary::DaysOfPeriod(IWorkStore& report, int year, int month, int closing,
                                const std::string& onlyName,
                                std::map<std::string, std::vector<WorkDayRecord>>& out,
                                int& firstDate) {
    out.clear();
    const CPayPeriod period(year, month, closing);
    firstDate = period.First();
    report.SetExportYear(year);
    report.SetExportMonth(month);
    report.SetExportClosing(closing);
    WorkRecordTable table;
    const int leadIn = CWorkDate::FromDayIndex(CWorkDate::DayIndex(period.First()) - 6);
    if (!report.CollectRange(leadIn, period.Last(), onlyName, table)) return false;
    table.ForEach([&](const WorkDayRecord& day) { out[day.name].push_back(day); });
    return true;
}

bool CWorkSummary::ForPeriod(IWorkStore& report, int year, int month, int closing,
                             const std::string& onlyName, std::map<std::string, Totals>& out) {
    out.clear();
    std::map<std::string, std::vector<WorkDayRecord>> byName;
    int first = 0;
    if (!DaysOfPeriod(report, year, month, closing, onlyName, byName, first)) return false;
    const std::string today = report.TodayText();
    for (const auto& [name, days] : byName) {
        const auto inPeriod = From(days, first);
        if (!inPeriod.empty()) out[name] = Add(inPeriod, today);
    }
    return true;
}

std::vector<WorkDayRecord> CWorkSummary::From(const std::vector<WorkDayRecord>& days,
                                              int firstDate) {
    std::vector<WorkDayRecord> from;
    for (const auto& day : days) {
        if (CWorkDate::Number(day.date) >= firstDate) from.push_back(day);
    }
    return from;
}

}  // namespace stampwell
