#include "reporting/OvertimeYear.h"

#include <algorithm>
#include <map>

#include "calendar/PayPeriod.h"
#include "calendar/WorkDate.h"
#include "reporting/Payroll.h"
#include "reporting/WorkSummary.h"
#include "schedule/ScheduleChange.h"
#include "schedule/SchedulePlan.h"
#include "store/IWorkStore.h"
#include "text/JapaneseOrder.h"
#include "workfile/WorkRecordTable.h"

namespace stampwell {

namespace {
constexpr int kHour = 60;

std::string Hours(int minutes) {
    return CWorkSummary::FormatMinutes(minutes);
}

std::string MonthName(int startMonth, int index) {
    return std::to_string(COvertimeYear::MonthOf(startMonth, index)) + "月";
}

// The columns after the months.
enum EFigure { kOver45, kYear, kAverage, kAt100, kLimits };
}  // namespace

int COvertimeYear::MonthOf(int startMonth, int index) {
    return ((startMonth - 1 + index) % 12 + 12) % 12 + 1;
}

int COvertimeYear::AgreementYearOf(int year, int month, int startMonth) {
    return month >= startMonth ? year : year - 1;
}

void COvertimeYear::Judge(Row& row) {
    row.monthsOver45 = 0;
    row.yearOvertime = 0;
    row.worstAverage = 0;
    row.monthsAt100.clear();
    long bestSum = 0;
    int bestLength = 1;
    bool over80 = false;
    for (int i = 0; i < kMonths; ++i) {
        const Month& month = row.months[kBefore + i];
        if (month.overtime > 45 * kHour) ++row.monthsOver45;
        row.yearOvertime += month.overtime;
        if (month.overtime + month.restDay >= 100 * kHour) row.monthsAt100.push_back(i);
        // Every run of 2 to 6 months that ends in this month, reaching back before the year;
        // compared as sums, so 80:01 on average is over 80 hours however it divides.
        long sum = month.overtime + month.restDay;
        for (int length = 2; length <= 6; ++length) {
            const Month& earlier = row.months[kBefore + i - length + 1];
            sum += earlier.overtime + earlier.restDay;
            if (sum > 80L * kHour * length) over80 = true;
            if (sum * bestLength > bestSum * length) {
                bestSum = sum;
                bestLength = length;
                row.worstAverageFirst = i - length + 1;
                row.worstAverageLast = i;
            }
        }
    }
    // Rounded up to the minute: an average over 80 hours never shows as 80:00 beside its flag,
    // and any overtime at all shows (with its months).
    row.worstAverage = static_cast<int>((bestSum + bestLength - 1) / bestLength);
    std::vector<std::string> passed;
    // Without a special clause the agreement's own 45 and 360 hours are the limits.
    if (!row.specialClause && row.monthsOver45 > 0) passed.push_back("月45時間超（特別条項なし）");
    if (!row.specialClause && row.yearOvertime > 360 * kHour) {
        passed.push_back("年360時間超（特別条項なし）");
    }
    if (row.specialClause && row.monthsOver45 > 6) passed.push_back("45時間超が年7回以上");
    if (row.specialClause && row.yearOvertime > 360 * kHour) passed.push_back("年360時間超");
    if (row.yearOvertime > 720 * kHour) passed.push_back("年720時間超");
    if (over80) passed.push_back("2～6か月平均80時間超");
    if (!row.monthsAt100.empty()) passed.push_back("月100時間以上");
    row.limits.clear();
    for (const auto& limit : passed) row.limits += (row.limits.empty() ? "" : "・") + limit;
}

bool COvertimeYear::Collect(IWorkStore& report, int year, int closing, const CWorkRules& rules,
                            std::vector<Row>& rows, const CScheduleBook* schedule) {
    rows.clear();
    // The pay periods: kBefore before the year, then its twelve, each named by its last day.
    std::vector<CPayPeriod> periods;
    for (int i = -kBefore; i < kMonths; ++i) {
        const int months = rules.agreementStart - 1 + i;
        const int y = year + (months >= 0 ? months / 12 : (months - 11) / 12);
        periods.emplace_back(y, MonthOf(rules.agreementStart, i), closing);
    }
    // One read of the work file, from the week before the first period on.
    WorkRecordTable table;
    const int leadIn = CWorkDate::FromDayIndex(CWorkDate::DayIndex(periods.front().First()) - 6);
    if (!report.CollectRange(leadIn, periods.back().Last(), "", table)) return false;
    std::map<std::string, std::vector<WorkDayRecord>> byName;
    table.ForEach([&](const WorkDayRecord& day) { byName[day.name].push_back(day); });
    const std::string today = report.TodayText();
    // The rules of each period: a closed one's as kept at its closing.
    const CScheduleBook noSchedule;
    const CScheduleBook& book = schedule != nullptr ? *schedule : noSchedule;
    std::vector<CWorkRules> rulesOf;
    std::vector<std::size_t> rulesIndex;
    for (const auto& period : periods) {
        const CWorkRules inForce = CScheduleChange::RulesOver(book, period.Last(), rules);
        auto found = std::find(rulesOf.begin(), rulesOf.end(), inForce);
        if (found == rulesOf.end()) found = rulesOf.insert(rulesOf.end(), inForce);
        rulesIndex.push_back(static_cast<std::size_t>(found - rulesOf.begin()));
    }

    std::vector<std::string> names;
    std::map<std::string, Row> byPerson;
    for (const auto& [name, days] : byName) {
        std::vector<std::vector<CPayroll::Day>> figuresOf;
        for (const auto& inForce : rulesOf) {
            const CSchedulePlan plan(book, inForce, name);
            figuresOf.push_back(CPayroll::ForDays(
                days, inForce, today, [&plan](int date) { return plan.IsRestDay(date); }));
        }
        Row row;
        row.name = name;
        // The agreement in force now decides what its limits are.
        row.specialClause = rules.specialClause;
        bool any = false;
        for (std::size_t d = 0; d < days.size(); ++d) {
            const int date = CWorkDate::Number(days[d].date);
            for (std::size_t p = 0; p < periods.size(); ++p) {
                if (!periods[p].Contains(date)) continue;
                const CPayroll::Day& f = figuresOf[rulesIndex[p]][d];
                if (!f.counted) break;
                row.months[p].overtime += f.dailyOvertime + f.weeklyOvertime;
                row.months[p].restDay += f.restDay;
                any = true;
                break;
            }
        }
        if (!any) continue;
        Judge(row);
        names.push_back(name);
        byPerson.emplace(name, std::move(row));
    }
    CJapaneseOrder::Sort(names);
    for (const auto& name : names) rows.push_back(std::move(byPerson.at(name)));
    return true;
}

std::vector<std::string> COvertimeYear::Header(int startMonth) {
    std::vector<std::string> header{"氏名"};
    for (int i = 0; i < kMonths; ++i) {
        header.push_back(MonthName(startMonth, i) + "時間外");
        header.push_back(MonthName(startMonth, i) + "休日");
    }
    for (const char* title :
         {"45時間超の月数", "年間時間外", "2～6か月平均の最大", "100時間以上の月", "上限超過"}) {
        header.push_back(title);
    }
    return header;
}

std::vector<std::string> COvertimeYear::Cells(const Row& row, int startMonth) {
    std::vector<std::string> cells{row.name};
    for (int i = 0; i < kMonths; ++i) {
        cells.push_back(Hours(row.months[kBefore + i].overtime));
        cells.push_back(Hours(row.months[kBefore + i].restDay));
    }
    cells.push_back(std::to_string(row.monthsOver45));
    cells.push_back(Hours(row.yearOvertime));
    std::string average = Hours(row.worstAverage);
    if (row.worstAverage > 0) {
        average += "（" + MonthName(startMonth, row.worstAverageFirst) + "～" +
                   MonthName(startMonth, row.worstAverageLast) + "）";
    }
    cells.push_back(average);
    std::string at100;
    for (int index : row.monthsAt100)
        at100 += (at100.empty() ? "" : " ") + MonthName(startMonth, index);
    cells.push_back(at100);
    cells.push_back(row.limits);
    return cells;
}

bool COvertimeYear::IsOverLimit(const Row& row, int column) {
    const int figure = column - 1 - 2 * kMonths;
    if (figure < 0) {
        // A month's overtime over 45 hours, or a month at 100 hours or more.
        const int month = (column - 1) / 2;
        const Month& m = row.months[kBefore + month];
        return m.overtime > 45 * kHour || m.overtime + m.restDay >= 100 * kHour;
    }
    switch (figure) {
        case kOver45:
            return row.specialClause ? row.monthsOver45 > 6 : row.monthsOver45 > 0;
        case kYear:
            return row.yearOvertime > 360 * kHour;
        case kAverage:
            return row.limits.find("平均80時間超") != std::string::npos;
        case kAt100:
            return !row.monthsAt100.empty();
        case kLimits:
            return !row.limits.empty();
        default:
            return false;
    }
}

std::string COvertimeYear::ClauseNote(bool specialClause) {
    if (specialClause) return {};
    return "36協定に特別条項がないため、月45時間・年360時間を超える時間外労働はできません"
           "（超えた月と年は「上限超過」に出ます）。";
}

std::string COvertimeYear::Csv(const std::vector<Row>& rows, int startMonth) {
    auto line = [](const std::vector<std::string>& cells) {
        std::string text;
        for (const auto& cell : cells) text += (text.empty() ? "" : ",") + cell;
        return text + "\r\n";
    };
    std::string csv = line(Header(startMonth));
    for (const auto& row : rows) csv += line(Cells(row, startMonth));
    return csv;
}

}  // namespace stampwell
