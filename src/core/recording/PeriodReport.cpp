#include "recording/PeriodReport.h"

#include <map>

#include "recording/WorkReport.h"
#include "text/JapaneseOrder.h"

namespace stampwell {

namespace {
std::string Joined(const std::vector<std::string>& dates) {
    std::string text;
    for (const auto& date : dates) text += (text.empty() ? "" : " ") + date;
    return text;
}

std::string Hours(int minutes) {
    return CWorkSummary::FormatMinutes(minutes);
}
}  // namespace

bool CPeriodReport::Collect(CWorkReport& report, int year, int month, int closing,
                            const std::string& onlyName, const CWorkRules& rules,
                            std::vector<Row>& rows) {
    rows.clear();
    std::map<std::string, std::vector<WorkDayRecord>> byName;
    int first = 0;
    if (!CWorkSummary::DaysOfPeriod(report, year, month, closing, onlyName, byName, first)) {
        return false;
    }
    const std::string today = report.TodayText();
    std::map<std::string, std::vector<WorkDayRecord>> inPeriod;
    std::vector<std::string> names;
    for (const auto& [name, days] : byName) {
        inPeriod[name] = CWorkSummary::From(days, first);
        // Someone who only worked in the week before the period is not in it.
        if (!inPeriod[name].empty()) names.push_back(name);
    }
    CJapaneseOrder::Sort(names);
    for (const auto& name : names) {
        rows.push_back({name, CWorkSummary::Add(inPeriod.at(name), today),
                        CPayroll::Add(byName.at(name), first, rules, today)});
    }
    return true;
}

std::string CPeriodReport::Csv(const std::vector<Row>& rows, bool room) {
    std::string csv = room ? "氏名,在室日数,合計在室時間,打刻漏れの日,時刻不整合の日"
                           : "氏名,出勤日数,合計勤務時間,打刻漏れの日,時刻不整合の日";
    // New columns go last, so that sheets reading the earlier ones by position still work.
    csv +=
        ",休憩,実労働時間,法定外残業,深夜労働,法定休日労働,上限超過,60時間超残業,休憩不足の日\r\n";
    for (const auto& row : rows) {
        const auto& s = row.summary;
        const auto& p = row.payroll;
        csv += row.name + "," + std::to_string(s.daysWorked) + "," + Hours(s.minutes) + "," +
               Joined(s.missingDates) + "," + Joined(s.inconsistentDates) + "," +
               Hours(p.breakMinutes) + "," + Hours(p.worked) + "," + Hours(p.overtime) + "," +
               Hours(p.lateNight) + "," + Hours(p.restDay) + "," + p.limit + "," +
               Hours(p.overSixty) + "," + Joined(p.shortBreakDates) + "\r\n";
    }
    return csv;
}

std::string CPeriodReport::ConsoleLine(const Row& row) {
    const auto& s = row.summary;
    const auto& p = row.payroll;
    std::string line = row.name + "\t" + std::to_string(s.daysWorked) + "日\t" + Hours(s.minutes) +
                       "\t休憩 " + Hours(p.breakMinutes) + "\t実労働 " + Hours(p.worked) +
                       "\t残業 " + Hours(p.overtime) + "\t深夜 " + Hours(p.lateNight) + "\t休日 " +
                       Hours(p.restDay);
    if (!s.missingDates.empty()) line += "\t打刻漏れ: " + Joined(s.missingDates);
    if (!s.inconsistentDates.empty()) line += "\t時刻不整合: " + Joined(s.inconsistentDates);
    if (p.overSixty > 0) line += "\t60時間超残業 " + Hours(p.overSixty);
    if (!p.shortBreakDates.empty()) line += "\t休憩不足: " + Joined(p.shortBreakDates);
    if (!p.limit.empty()) line += "\t" + p.limit;
    return line;
}

}  // namespace stampwell
