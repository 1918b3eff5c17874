#include "reporting/Payroll.h"

#include <algorithm>
#include <map>

#include "calendar/TimeText.h"
#include "calendar/WorkDate.h"
#include "reporting/WorkSummary.h"

namespace stampwell {

namespace {
int Overlap(int start, int end, int from, int to) {
    return std::max(0, std::min(end, to) - std::max(start, from));
}

// The fixed windows of a working day: as set, and again 24 hours later.
template <typename Visit>
void ForEachWindow(const CWorkRules& rules, Visit visit) {
    if (rules.breaks != CWorkRules::EBreaks::kFixed) return;
    for (const auto& window : rules.windows) {
        visit(window.start, window.end);
        visit(window.start + 24 * 60, window.end + 24 * 60);
    }
}
}  // namespace

int CPayroll::RequiredBreak(int worked) {
    if (worked > 8 * 60) return 60;
    if (worked > 6 * 60) return 45;
    return 0;
}

int CPayroll::LegalBreakOfSpan(int span) {
    if (span <= 6 * 60) return 0;
    if (span <= 6 * 60 + 45) return span - 6 * 60;  // 6:00 worked: no break needed
    if (span <= 8 * 60 + 45) return 45;
    if (span <= 9 * 60) return span - 8 * 60;  // 8:00 worked with 45 minutes or more
    return 60;
}

int CPayroll::BreakMinutes(int start, int end, const CWorkRules& rules) {
    if (end <= start) return 0;
    // By length the break is deemed from the span: the least break the law asks for the time
    // then worked (art. 34 ties it to the hours worked), so a longer day is never paid less.
    if (rules.breaks == CWorkRules::EBreaks::kLegal) return LegalBreakOfSpan(end - start);
    int minutes = 0;
    ForEachWindow(rules, [&](int from, int to) { minutes += Overlap(start, end, from, to); });
    return minutes;
}

int CPayroll::LateNightMinutes(int start, int end, const CWorkRules& rules) {
    int minutes = 0;
    for (const auto& hours : {std::pair{0, 5 * 60}, std::pair{22 * 60, 29 * 60}}) {
        const int from = std::max(start, hours.first);
        const int to = std::min(end, hours.second);
        int inside = std::max(0, to - from);
        // A fixed break inside the late-night hours is not worked.
        ForEachWindow(rules, [&](int breakFrom, int breakTo) {
            inside -= Overlap(from, to, breakFrom, breakTo);
        });
        minutes += std::max(0, inside);
    }
    return minutes;
}

bool CPayroll::IsRestDay(const std::string& date, const CWorkRules& rules,
                         const RestDays& restDays) {
    const int number = CWorkDate::Number(date);
    if (number <= 0) return false;
    if (restDays) return restDays(number);
    return rules.restDay != CWorkRules::kNoRestDay && CWorkDate::Weekday(number) == rules.restDay;
}

int CPayroll::RestDayMinutes(const std::string& date, int start, int end, int breakMinutes,
                             const CWorkRules& rules, const RestDays& restDays) {
    const int number = CWorkDate::Number(date);
    if (number <= 0 || (!restDays && rules.restDay == CWorkRules::kNoRestDay) || end <= start) {
        return 0;
    }
    int inside = 0;
    // The working day's own calendar day, then the next one (its hours from 24:00 on).
    for (int k = 0; k < 2; ++k) {
        const int calendar = CWorkDate::FromDayIndex(CWorkDate::DayIndex(number) + k);
        const bool rest =
            restDays ? restDays(calendar) : CWorkDate::Weekday(calendar) == rules.restDay;
        if (!rest) continue;
        const int from = std::max(start, k * 24 * 60);
        const int to = std::min(end, (k + 1) * 24 * 60);
        if (to <= from) continue;
        int minutes = to - from;
        ForEachWindow(rules, [&](int breakFrom, int breakTo) {
            minutes -= Overlap(from, to, breakFrom, breakTo);
        });
        inside += std::max(0, minutes);
    }
    if (rules.breaks == CWorkRules::EBreaks::kLegal) {
        const int outside = (end - start) - inside;
        inside -= std::max(0, breakMinutes - outside);
    }
    return std::max(0, inside);
}

std::string CPayroll::LimitPassed(int overtime, int restDay) {
    std::string passed;
    auto add = [&](bool over, const char* name) {
        if (over) passed += (passed.empty() ? "" : "・") + std::string(name);
    };
    add(overtime > 45 * 60, "45時間超");
    add(overtime > 60 * 60, "60時間超");
    add(overtime + restDay >= 100 * 60, "100時間以上");
    return passed;
}

std::vector<CPayroll::Day> CPayroll::ForDays(const std::vector<WorkDayRecord>& days,
                                             const CWorkRules& rules, const std::string& today,
                                             const RestDays& restDays) {
    std::vector<Day> figures(days.size());
    // The regular time (up to 8 hours a day, rest days apart) each week has had so far.
    std::map<long, int> weekRegular;
    for (std::size_t i = 0; i < days.size(); ++i) {
        const WorkDayRecord& day = days[i];
        Day& f = figures[i];
        if (CWorkSummary::StateOf(day, today) != CWorkSummary::EDay::kWorked) continue;
        const int start = CTimeText::Minutes(day.start);
        const int end = CTimeText::Minutes(day.end);
        f.counted = true;
        f.span = end - start;
        f.breakMinutes = std::min(f.span, BreakMinutes(start, end, rules));
        f.worked = f.span - f.breakMinutes;
        // A break by length has no place in the day; it never leaves more late-night time than
        // time worked.
        f.lateNight = std::min(f.worked, LateNightMinutes(start, end, rules));
        f.shortBreak =
            rules.breaks == CWorkRules::EBreaks::kFixed && f.breakMinutes < RequiredBreak(f.worked);
        // The hours inside the rest day stand apart, never overtime; the rest of a shift that
        // crosses midnight is ordinary time of its working day and week.
        f.restDay = std::min(f.worked,
                             RestDayMinutes(day.date, start, end, f.breakMinutes, rules, restDays));
        const int ordinary = f.worked - f.restDay;
        if (ordinary == 0) continue;
        f.dailyOvertime = std::max(0, ordinary - kLegalDay);
        const int regular = ordinary - f.dailyOvertime;
        const int date = CWorkDate::Number(day.date);
        const long week = (CWorkDate::DayIndex(date) + 4 - rules.weekStart + 7 * 1000000L) / 7;
        int& sofar = weekRegular[week];
        f.weeklyOvertime = std::clamp(sofar + regular - rules.weekHours * 60, 0, regular);
        sofar += regular;
    }
    return figures;
}

CPayroll::Totals CPayroll::Add(const std::vector<WorkDayRecord>& days, int firstDate,
                               const CWorkRules& rules, const std::string& today,
                               const RestDays& restDays) {
    return AddFigures(days, ForDays(days, rules, today, restDays), firstDate);
}

CPayroll::Totals CPayroll::AddFigures(const std::vector<WorkDayRecord>& days,
                                      const std::vector<Day>& figures, int firstDate) {
    Totals totals;
    for (std::size_t i = 0; i < days.size(); ++i) {
        const Day& f = figures[i];
        if (!f.counted || CWorkDate::Number(days[i].date) < firstDate) continue;
        totals.breakMinutes += f.breakMinutes;
        totals.worked += f.worked;
        totals.overtime += f.dailyOvertime + f.weeklyOvertime;
        totals.lateNight += f.lateNight;
        totals.restDay += f.restDay;
        if (f.shortBreak) totals.shortBreakDates.push_back(days[i].date);
    }
    totals.overSixty = std::max(0, totals.overtime - 60 * 60);
    totals.limit = LimitPassed(totals.overtime, totals.restDay);
    return totals;
}

}  // namespace stampwell
