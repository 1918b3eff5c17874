#include "reporting/Timesheet.h"

#include <cstdio>
#include <map>

#include "calendar/PayPeriod.h"
#include "calendar/WorkDate.h"
#include "leave/LeaveBook.h"
#include "leave/LeaveLedger.h"
#include "reporting/Payroll.h"
#include "reporting/PeriodReport.h"
#include "reporting/ScheduledTime.h"
#include "reporting/WorkSummary.h"
#include "schedule/ScheduleChange.h"
#include "schedule/SchedulePlan.h"
#include "settings/ModeFiles.h"
#include "store/IWorkStore.h"

namespace stampwell {

namespace {
constexpr const char* kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};

std::string Hours(int minutes) {
    return CWorkSummary::FormatMinutes(minutes);
}

void Add(std::string& note, const std::string& item) {
    if (item.empty()) return;
    note += (note.empty() ? "" : "・") + item;
}

std::vector<std::string> Totals(const CPeriodReport::Row& row, bool room) {
    const auto& s = row.summary;
    const auto p = CPeriodReport::Shown(row);
    std::string first = std::string(room ? "在室日数: " : "出勤日数: ") +
                        std::to_string(s.daysWorked) + "日　合計: " + Hours(s.minutes) +
                        "　打刻漏れ: " + std::to_string(s.missingDates.size()) + "日";
    if (!s.inconsistentDates.empty()) {
        first += "　時刻不整合: " + std::to_string(s.inconsistentDates.size()) + "日";
    }
    std::vector<std::string> lines{
        first, "休憩: " + Hours(p.breakMinutes) + "　実労働: " + Hours(p.worked) +
                   "　残業: " + Hours(p.overtime) + "　深夜: " + Hours(p.lateNight) +
                   "　休日: " + Hours(p.restDay)};
    // Items of one line apart by a wide space, as on the screen ("・" joins the limits).
    std::string more;
    auto item = [&](const std::string& text) { more += (more.empty() ? "" : "　") + text; };
    if (!p.shortBreakDates.empty()) {
        item("休憩不足: " + std::to_string(p.shortBreakDates.size()) + "日");
    }
    if (p.overSixty > 0) item("60時間超残業: " + Hours(p.overSixty));
    if (!p.limit.empty()) item("残業上限: " + p.limit);
    if (row.leaveHalves > 0 || row.leaveBalance >= 0) {
        std::string leave = "有休: " + CLeaveLedger::Days(row.leaveHalves) + "日";
        if (row.leaveBalance >= 0) leave += "（残 " + CLeaveLedger::Days(row.leaveBalance) + "日）";
        item(leave);
    }
    if (!more.empty()) lines.push_back(more);
    const auto& d = row.scheduled;
    if (d.scheduled) {
        lines.push_back("所定: " + std::to_string(d.scheduledDays) +
                        "日　遅刻: " + std::to_string(d.lateCount) + "回 " + Hours(d.late) +
                        "　早退: " + std::to_string(d.earlyCount) + "回 " + Hours(d.early) +
                        "　欠勤: " + std::to_string(d.absentDays) +
                        "日　法定内残業: " + Hours(CPeriodReport::Rounded(row, d.withinOvertime)) +
                        "　所定休日労働: " + Hours(CPeriodReport::Rounded(row, d.dayOffWork)) +
                        (d.daysInLieu > 0 ? "　代休: " + std::to_string(d.daysInLieu) + "日" : ""));
    }
    std::string last;
    if (row.rounded) last += "時間の合計は1か月ごとに30分単位で丸めています。";
    if (!row.closed.empty())
        last += (last.empty() ? "" : "　") + ("締め済み（" + row.closed + "）");
    if (row.changedSinceClosed) last += "　締め後に記録の変更あり";
    if (!last.empty()) lines.push_back(last);
    return lines;
}
}  // namespace

std::vector<std::string> CTimesheet::Header(bool room) {
    return {"日付",
            room ? "入室" : "出社",
            room ? "退室" : "退社",
            "休憩",
            "実労働",
            "残業",
            "深夜",
            "休日",
            "備考"};
}

std::vector<std::string> CTimesheet::Cells(const Line& line) {
    return {line.date,     line.start,     line.end,     line.breakTime, line.worked,
            line.overtime, line.lateNight, line.restDay, line.note};
}

bool CTimesheet::Collect(IWorkStore& report, int year, int month, int closing,
                         const std::string& onlyName, const CWorkRules& rules,
                         const CLeaveBook* leave, bool withTrail, std::vector<Page>& pages,
                         const std::vector<std::string>* registered,
                         const CScheduleBook* schedule) {
    pages.clear();
    // The totals: exactly the report's rows.
    std::vector<CPeriodReport::Row> rows;
    if (!CPeriodReport::Collect(report, year, month, closing, onlyName, rules, rows, leave,
                                registered, schedule)) {
        return false;
    }
    std::map<std::string, std::vector<WorkDayRecord>> byName;
    int first = 0;
    if (!CWorkSummary::DaysOfPeriod(report, year, month, closing, onlyName, byName, first)) {
        return false;
    }
    // The corrections saved, by person and day: the reason goes into the remarks.
    std::map<std::pair<std::string, std::string>, std::string> corrected;
    if (withTrail) {
        report.ForEachTrailEntry([&](const IWorkStore::TrailEntry& entry) {
            if (entry.state != IWorkStore::ETrailState::kDone || entry.day.empty() ||
                entry.side == IWorkStore::kTrailSaveFailed ||
                entry.side == IWorkStore::kTrailSaveStarted ||
                entry.side == IWorkStore::kTrailSaveDone) {
                return;
            }
            corrected[{entry.name, entry.day}] = entry.reason;
        });
    }
    const CPayPeriod period(year, month, closing);
    const std::string today = report.TodayText();
    const bool room = report.GetMode() == kRoomMode;
    const CScheduleBook noSchedule;
    const CScheduleBook& book = schedule != nullptr ? *schedule : noSchedule;
    const CWorkRules inForce = CScheduleChange::RulesOver(book, period.Last(), rules);
    for (const auto& row : rows) {
        Page page;
        page.name = row.name;
        page.room = room;
        page.period =
            CWorkDate::TextOfNumber(period.First()) + "～" + CWorkDate::TextOfNumber(period.Last());
        page.title = std::to_string(year) + "年" + std::to_string(month) + "月度 出勤簿";
        const auto days =
            CScheduledTime::EveryDay(byName[row.name], row.name, first, period.Last());
        const CSchedulePlan plan(book, inForce, row.name);
        const auto figures = CPayroll::ForDays(days, inForce, today,
                                               [&plan](int date) { return plan.IsRestDay(date); });
        const auto scheduled = CScheduledTime::ForDays(days, figures, plan, leave, row.name, today);
        std::map<int, std::size_t> dayIndex;
        for (std::size_t i = 0; i < days.size(); ++i) {
            dayIndex[CWorkDate::Number(days[i].date)] = i;
        }
        for (long index = CWorkDate::DayIndex(period.First());
             index <= CWorkDate::DayIndex(period.Last()); ++index) {
            const int date = CWorkDate::FromDayIndex(index);
            const int weekday = CWorkDate::Weekday(date);
            Line line;
            char label[64];
            std::snprintf(label, sizeof label, "%02d/%02d（%s）", date / 100 % 100, date % 100,
                          kWeekdays[weekday]);
            line.date = label;
            const std::string dateText = CWorkDate::TextOfNumber(date);
            const auto found = dayIndex.find(date);
            // Every day of the period is in days (EveryDay): its plan is always there.
            const CScheduledTime::Day plan =
                found != dayIndex.end() ? scheduled[found->second] : CScheduledTime::Day{};
            using EKind = CSchedulePlan::EKind;
            line.restDay_ = plan.plan.kind == EKind::kRestDay || plan.plan.kind == EKind::kDayOff ||
                            !plan.plan.holiday.empty();
            Add(line.note, plan.plan.holiday);
            if (plan.plan.kind == EKind::kDayOff && plan.plan.holiday.empty() &&
                !plan.plan.inLieu) {
                Add(line.note, "所定休日");
            }
            if (plan.plan.swapped) Add(line.note, "振替");
            if (plan.plan.inLieu) Add(line.note, "代休");
            if (plan.absent) Add(line.note, "欠勤");
            if (plan.late > 0) Add(line.note, "遅刻 " + Hours(plan.late));
            if (plan.early > 0) Add(line.note, "早退 " + Hours(plan.early));
            if (found != dayIndex.end()) {
                const WorkDayRecord& day = days[found->second];
                const CPayroll::Day& f = figures[found->second];
                line.start = day.start;
                line.end = day.end;
                const auto state = CWorkSummary::StateOf(day, today);
                bool leaveWhole = false;
                if (leave != nullptr) {
                    auto part = leave->TakenOn(row.name, date);
                    leaveWhole = part && *part == CLeaveBook::EPart::kWhole;
                }
                if (!leaveWhole) Add(line.note, CWorkSummary::Label(state));
                if (f.counted) {
                    line.breakTime = Hours(f.breakMinutes);
                    line.worked = Hours(f.worked);
                    line.overtime = Hours(f.dailyOvertime + f.weeklyOvertime);
                    line.lateNight = Hours(f.lateNight);
                    line.restDay = Hours(f.restDay);
                    if (f.shortBreak) Add(line.note, "休憩不足");
                }
            }
            if (leave != nullptr) {
                if (auto part = leave->TakenOn(row.name, date)) {
                    // Taps on a whole day of leave came after it was recorded: said, not hidden.
                    const bool tapped = !line.start.empty() || !line.end.empty();
                    Add(line.note, *part != CLeaveBook::EPart::kWhole
                                       ? std::string(CLeaveBook::PartText(*part)) + "有休"
                                   : tapped ? std::string("有休（打刻あり）")
                                            : std::string("有休"));
                }
            }
            if (auto found = corrected.find({row.name, dateText}); found != corrected.end()) {
                Add(line.note, found->second.empty() ? "修正" : "修正（" + found->second + "）");
            }
            page.lines.push_back(std::move(line));
        }
        page.totals = Totals(row, room);
        pages.push_back(std::move(page));
    }
    return true;
}

}  // namespace stampwell
