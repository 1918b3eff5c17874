#include "reporting/PeriodReport.h"

#include <algorithm>
#include <map>

#include "calendar/PayPeriod.h"
#include "calendar/WorkDate.h"
#include "leave/LeaveBook.h"
#include "leave/LeaveLedger.h"
#include "store/IWorkStore.h"
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

bool CPeriodReport::Collect(IWorkStore& report, int year, int month, int closing,
                            const std::string& onlyName, const CWorkRules& rules,
                            std::vector<Row>& rows, const CLeaveBook* leave,
                            const std::vector<std::string>* registered) {
    rows.clear();
    std::map<std::string, std::vector<WorkDayRecord>> byName;
    int first = 0;
    if (!CWorkSummary::DaysOfPeriod(report, year, month, closing, onlyName, byName, first)) {
        return false;
    }
    const std::string today = report.TodayText();
    std::map<std::string, std::vector<WorkDayRecord>> inPeriod;
    std::vector<std::string> names;
    const CPayPeriod period(year, month, closing);
    auto leaveIn = [&](const std::string& name) {
        int halves = 0;
        if (leave == nullptr) return halves;
        for (const auto& t : leave->taken) {
            if (t.name == name && period.Contains(t.date)) halves += CLeaveBook::Halves(t.part);
        }
        return halves;
    };
    for (const auto& [name, days] : byName) {
        inPeriod[name] = CWorkSummary::From(days, first);
        // Someone who only worked in the week before the period is not in it.
        if (!inPeriod[name].empty()) names.push_back(name);
    }
    if (leave != nullptr) {
        for (const auto& e : leave->employees) {
            const auto found = inPeriod.find(e.name);
            if ((found == inPeriod.end() || found->second.empty()) &&
                (onlyName.empty() || onlyName == e.name) && leaveIn(e.name) > 0) {
                names.push_back(e.name);
            }
        }
    }
    // Registered employees with nothing in the period get their (empty) row too, when asked:
    // an office files a 出勤簿 for everyone.
    if (registered != nullptr) {
        for (const auto& name : *registered) {
            if ((onlyName.empty() || onlyName == name) &&
                std::find(names.begin(), names.end(), name) == names.end()) {
                names.push_back(name);
            }
        }
    }
    CJapaneseOrder::Sort(names);
    for (const auto& name : names) {
        Row row;
        row.name = name;
        row.summary = CWorkSummary::Add(inPeriod[name], today);
        row.payroll = CPayroll::Add(byName[name], first, rules, today);
        if (leave != nullptr) {
            row.leaveHalves = leaveIn(name);
            // A whole day of leave is no missing time.
            std::erase_if(row.summary.missingDates, [&](const std::string& date) {
                auto part = leave->TakenOn(name, CWorkDate::Number(date));
                return part && *part == CLeaveBook::EPart::kWhole;
            });
            for (const auto& day : inPeriod[name]) {
                auto part = leave->TakenOn(name, CWorkDate::Number(day.date));
                if (part && *part == CLeaveBook::EPart::kWhole &&
                    (!day.start.empty() || !day.end.empty())) {
                    row.leaveTapDates.push_back(day.date);
                }
            }
            if (const auto* who = leave->Find(name)) {
                CLeaveLedger::Result result;
                if (!CLeaveLedger::Build(*leave, *who, period.Last(), result)) {
                    row.leaveBalance = result.balanceHalves;
                }
            }
        }
        rows.push_back(std::move(row));
    }
    return true;
}

std::string CPeriodReport::Csv(const std::vector<Row>& rows, bool room) {
    std::string csv = room ? "氏名,在室日数,合計在室時間,打刻漏れの日,時刻不整合の日"
                           : "氏名,出勤日数,合計勤務時間,打刻漏れの日,時刻不整合の日";
    // New columns go last, so that sheets reading the earlier ones by position still work.
    csv +=
        ",休憩,実労働時間,法定外残業,深夜労働,法定休日労働,上限超過,60時間超残業,休憩不足の日,"
        "有休取得日数,有休残日数,有休日の打刻\r\n";
    for (const auto& row : rows) {
        const auto& s = row.summary;
        const auto& p = row.payroll;
        csv += row.name + "," + std::to_string(s.daysWorked) + "," + Hours(s.minutes) + "," +
               Joined(s.missingDates) + "," + Joined(s.inconsistentDates) + "," +
               Hours(p.breakMinutes) + "," + Hours(p.worked) + "," + Hours(p.overtime) + "," +
               Hours(p.lateNight) + "," + Hours(p.restDay) + "," + p.limit + "," +
               Hours(p.overSixty) + "," + Joined(p.shortBreakDates) + "," +
               CLeaveLedger::Days(row.leaveHalves) + "," +
               (row.leaveBalance < 0 ? std::string{} : CLeaveLedger::Days(row.leaveBalance)) + "," +
               Joined(row.leaveTapDates) + "\r\n";
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
    if (row.leaveHalves > 0) line += "\t有休 " + CLeaveLedger::Days(row.leaveHalves) + "日";
    if (row.leaveBalance >= 0) line += "\t有休残 " + CLeaveLedger::Days(row.leaveBalance) + "日";
    if (!row.leaveTapDates.empty()) line += "\t有休日の打刻: " + Joined(row.leaveTapDates);
    if (!p.limit.empty()) line += "\t" + p.limit;
    return line;
}

}  // namespace stampwell
