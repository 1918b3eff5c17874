#include "reporting/PeriodReport.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>

#include "calendar/PayPeriod.h"
#include "calendar/WorkDate.h"
#include "leave/LeaveBook.h"
#include "leave/LeaveLedger.h"
#include "schedule/ScheduleChange.h"
#include "schedule/SchedulePlan.h"
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

// FNV-1a over each day with a time: enough to notice a change, never to hide one on purpose
// (whoever can write the records can also reopen the period).
std::string PrintOf(const std::vector<WorkDayRecord>& days) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const auto& day : days) {
        if (day.start.empty() && day.end.empty()) continue;
        for (const std::string* part : {&day.date, &day.start, &day.end}) {
            for (const unsigned char c : *part + ",") {
                hash ^= c;
                hash *= 1099511628211ULL;
            }
        }
    }
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

const std::string* PrintIn(const CScheduleBook::ClosingEvent& closed, const std::string& name) {
    for (const auto& [who, print] : closed.prints) {
        if (who == name) return &print;
    }
    return nullptr;
}
}  // namespace

bool CPeriodReport::Prints(IWorkStore& report, int year, int month, int closing,
                           std::vector<std::pair<std::string, std::string>>& prints) {
    prints.clear();
    std::map<std::string, std::vector<WorkDayRecord>> byName;
    int first = 0;
    if (!CWorkSummary::DaysOfPeriod(report, year, month, closing, "", byName, first)) {
        return false;
    }
    for (const auto& [name, days] : byName) {
        const auto inPeriod = CWorkSummary::From(days, first);
        if (!inPeriod.empty()) prints.emplace_back(name, PrintOf(inPeriod));
    }
    return true;
}

bool CPeriodReport::Collect(IWorkStore& report, int year, int month, int closing,
                            const std::string& onlyName, const CWorkRules& rules,
                            std::vector<Row>& rows, const CLeaveBook* leave,
                            const std::vector<std::string>* registered,
                            const CScheduleBook* schedule) {
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
    const CScheduleBook noSchedule;
    const CScheduleBook& book = schedule != nullptr ? *schedule : noSchedule;
    // A closed period keeps the rules it was closed with.
    const CWorkRules inForce = CScheduleChange::RulesOver(book, period.Last(), rules);
    std::string closedText;
    const CScheduleBook::ClosingEvent* closed = book.ClosedOver(period.Last());
    if (closed != nullptr) closedText = closed->when + " " + closed->admin;
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
        const CSchedulePlan plan(book, inForce, name);
        const auto restDays = [&plan](int date) { return plan.IsRestDay(date); };
        const auto days = schedule != nullptr
                              ? CScheduledTime::EveryDay(byName[name], name, first, period.Last())
                              : byName[name];
        const auto figures = CPayroll::ForDays(days, inForce, today, restDays);
        row.payroll = CPayroll::AddFigures(days, figures, first);
        if (schedule != nullptr) {
            row.scheduled = CScheduledTime::Add(
                days, CScheduledTime::ForDays(days, figures, plan, leave, name, today), first);
        }
        row.rounded = inForce.monthlyRounding;
        row.closed = closedText;
        // Only a closing that took prints can tell (one made before prints reads as unchanged).
        if (closed != nullptr && !closed->prints.empty()) {
            const std::string now = PrintOf(inPeriod[name]);
            const std::string* then = PrintIn(*closed, name);
            row.changedSinceClosed = then != nullptr ? *then != now : !inPeriod[name].empty();
        }
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
        "有休取得日数,有休残日数,有休日の打刻,所定労働日数,遅刻回数,遅刻時間,早退回数,早退時間,"
        "欠勤日数,欠勤日,法定内残業,所定休日労働,代休日数,振替日,端数処理,締め\r\n";
    for (const auto& row : rows) {
        const auto& s = row.summary;
        const auto p = Shown(row);
        const auto& d = row.scheduled;
        auto count = [&](int n) { return d.scheduled ? std::to_string(n) : std::string{}; };
        auto time = [&](int minutes) { return d.scheduled ? Hours(minutes) : std::string{}; };
        csv += row.name + "," + std::to_string(s.daysWorked) + "," + Hours(s.minutes) + "," +
               Joined(s.missingDates) + "," + Joined(s.inconsistentDates) + "," +
               Hours(p.breakMinutes) + "," + Hours(p.worked) + "," + Hours(p.overtime) + "," +
               Hours(p.lateNight) + "," + Hours(p.restDay) + "," + p.limit + "," +
               Hours(p.overSixty) + "," + Joined(p.shortBreakDates) + "," +
               CLeaveLedger::Days(row.leaveHalves) + "," +
               (row.leaveBalance < 0 ? std::string{} : CLeaveLedger::Days(row.leaveBalance)) + "," +
               Joined(row.leaveTapDates) + "," + count(d.scheduledDays) + "," + count(d.lateCount) +
               "," + time(d.late) + "," + count(d.earlyCount) + "," + time(d.early) + "," +
               count(d.absentDays) + "," + Joined(d.absentDates) + "," +
               time(Rounded(row, d.withinOvertime)) + "," + time(Rounded(row, d.dayOffWork)) + "," +
               count(d.daysInLieu) + "," + Joined(d.swappedDates) + "," +
               (row.rounded ? "30分単位" : "") + "," + row.closed +
               (row.changedSinceClosed ? "（締め後に記録の変更あり）" : "") + "\r\n";
    }
    return csv;
}

int CPeriodReport::Rounded(const Row& row, int minutes) {
    return row.rounded ? CPayroll::RoundMonthly(minutes) : minutes;
}

CPayroll::Totals CPeriodReport::Shown(const Row& row) {
    CPayroll::Totals p = row.payroll;
    // The limits are judged on the exact minutes: rounding never hides a limit passed.
    p.overtime = Rounded(row, p.overtime);
    p.lateNight = Rounded(row, p.lateNight);
    p.restDay = Rounded(row, p.restDay);
    p.overSixty = Rounded(row, p.overSixty);
    return p;
}

std::string CPeriodReport::ConsoleLine(const Row& row) {
    const auto& s = row.summary;
    const auto p = Shown(row);
    const auto& d = row.scheduled;
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
    if (d.scheduled) {
        line += "\t所定 " + std::to_string(d.scheduledDays) + "日";
        if (d.lateCount > 0) {
            line += "\t遅刻 " + std::to_string(d.lateCount) + "回 " + Hours(d.late);
        }
        if (d.earlyCount > 0) {
            line += "\t早退 " + std::to_string(d.earlyCount) + "回 " + Hours(d.early);
        }
        if (d.absentDays > 0) line += "\t欠勤 " + std::to_string(d.absentDays) + "日";
        if (d.withinOvertime > 0) line += "\t法定内残業 " + Hours(Rounded(row, d.withinOvertime));
        if (d.dayOffWork > 0) line += "\t所定休日労働 " + Hours(Rounded(row, d.dayOffWork));
        if (d.daysInLieu > 0) line += "\t代休 " + std::to_string(d.daysInLieu) + "日";
    }
    if (row.rounded) line += "\t（30分単位で丸め）";
    if (!p.limit.empty()) line += "\t" + p.limit;
    if (!row.closed.empty()) line += "\t締め済み";
    if (row.changedSinceClosed) line += "（締め後に記録の変更あり）";
    return line;
}

}  // namespace stampwell
