#include "recording/WorkSummary.h"

#include <cstdio>

#include "recording/TimeText.h"
#include "recording/WorkRecordTable.h"
#include "recording/WorkReport.h"

namespace stampwell {

int CWorkSummary::WorkedMinutes(const WorkDayRecord& day) {
    if (day.start.empty() || day.end.empty()) return -1;
    const int start = CTimeText::Minutes(day.start);
    const int end = CTimeText::Minutes(day.end);
    if (start < 0 || end < start) return -1;
    return end - start;
}

bool CWorkSummary::IsMissing(const WorkDayRecord& day) {
    if (day.start.empty() && day.end.empty()) return false;
    return WorkedMinutes(day) < 0;
}

CWorkSummary::Totals CWorkSummary::Add(const std::vector<WorkDayRecord>& days) {
    Totals totals;
    for (const auto& day : days) {
        const int minutes = WorkedMinutes(day);
        if (minutes >= 0) {
            ++totals.daysWorked;
            totals.minutes += minutes;
        } else if (IsMissing(day)) {
            totals.missingDates.push_back(day.date);
        }
    }
    return totals;
}

std::string CWorkSummary::FormatMinutes(int minutes) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d", minutes / 60, minutes % 60);
    return text;
}

bool CWorkSummary::ForPeriod(CWorkReport& report, int year, int month, int closing,
                             const std::string& onlyName, std::map<std::string, Totals>& out) {
    out.clear();
    WorkRecordTable table;
    if (!report.CollectPeriod(year, month, closing, onlyName, table)) return false;
    std::map<std::string, std::vector<WorkDayRecord>> byName;
    table.ForEach([&](const WorkDayRecord& day) { byName[day.name].push_back(day); });
    for (auto& [name, days] : byName) out[name] = Add(days);
    return true;
}

}  // namespace stampwell
