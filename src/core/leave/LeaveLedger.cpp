#include "leave/LeaveLedger.h"

#include <algorithm>

#include "leave/LeaveDate.h"

namespace stampwell {

int CLeaveLedger::GrantDays(int step, int daysPerWeek) {
    static const int kTable[5][7] = {{1, 2, 2, 2, 3, 3, 3},          // 1 day a week
                                     {3, 4, 4, 5, 6, 6, 7},          // 2 days
                                     {5, 6, 6, 8, 9, 10, 11},        // 3 days
                                     {7, 8, 9, 10, 12, 13, 15},      // 4 days
                                     {10, 11, 12, 14, 16, 18, 20}};  // full time
    const int row = std::clamp(daysPerWeek, 1, 5) - 1;
    return kTable[row][std::clamp(step, 0, 6)];
}

std::string CLeaveLedger::Days(int halves) {
    std::string text = std::to_string(halves / 2);
    if (halves % 2 != 0) text += ".5";
    return text;
}

std::optional<std::string> CLeaveLedger::Build(const CLeaveBook& book,
                                               const CLeaveBook::Employee& who, int asOf,
                                               Result& out) {
    out = Result{};
    for (const auto& t : book.taken) {
        if (t.name == who.name) out.days.push_back(t);
    }
    std::stable_sort(out.days.begin(), out.days.end(),
                     [](const auto& a, const auto& b) { return a.date < b.date; });
    const int until = std::max(asOf, out.days.empty() ? 0 : out.days.back().date);
    for (int step = 0;; ++step) {
        const int date = CLeaveDate::AddMonths(who.hired, 6 + 12 * step);
        const bool withheld =
            std::any_of(book.withheld.begin(), book.withheld.end(),
                        [&](const auto& w) { return w.name == who.name && w.grant == date; });
        // Each grant by the days a week in force on its day (art. 39(3)): a later change never
        // alters a grant already made.
        const int halves = withheld ? 0 : 2 * GrantDays(step, book.DaysPerWeekOn(who.name, date));
        // The next grant is the one after asOf, however far the days booked reach.
        if (date > asOf && out.nextGrant == 0) {
            out.nextGrant = date;
            out.nextHalves = halves;
            out.nextWithheld = withheld;
        }
        if (date > until) break;
        Grant grant;
        grant.date = date;
        grant.expires = CLeaveDate::PeriodEnd(date, 24);
        grant.dutyEnds = CLeaveDate::PeriodEnd(date, 12);
        grant.withheld = withheld;
        grant.halves = halves;
        grant.dutyApplies = grant.halves >= 20;
        out.grants.push_back(grant);
    }
    // Each day uses the oldest grant still usable that day with days left.
    std::vector<int> usedByAsOf(out.grants.size(), 0);
    for (const auto& day : out.days) {
        int need = CLeaveBook::Halves(day.part);
        for (std::size_t g = 0; g < out.grants.size() && need > 0; ++g) {
            Grant& grant = out.grants[g];
            if (grant.date > day.date || day.date >= grant.expires) continue;
            const int use = std::min(need, grant.halves - grant.takenHalves);
            if (use <= 0) continue;
            grant.takenHalves += use;
            if (day.date <= asOf) usedByAsOf[g] += use;
            need -= use;
        }
        if (need > 0) {
            out.shortDay = day.date;
            return who.name + "さんの " + CLeaveDate::Text(day.date) +
                   " の有給休暇は、残日数が足りません。";
        }
        // The duty counts what was taken by the day the ledger is made, not what is planned.
        for (Grant& grant : out.grants) {
            if (day.date > asOf) break;
            if (grant.dutyApplies && grant.date <= day.date && day.date < grant.dutyEnds) {
                grant.dutyHalves += CLeaveBook::Halves(day.part);
            }
        }
    }
    for (std::size_t g = 0; g < out.grants.size(); ++g) {
        const Grant& grant = out.grants[g];
        if (grant.date <= asOf && asOf < grant.expires) {
            out.balanceHalves += grant.halves - usedByAsOf[g];
        }
    }
    return std::nullopt;
}

std::string CLeaveLedger::Duty(const Grant& grant, int asOf) {
    if (!grant.dutyApplies) return {};
    if (grant.dutyHalves >= 10) return "達成";
    if (asOf >= grant.dutyEnds) return "未達";
    // The time left in whole months, never rounded up; under a month, in days (the last day of
    // the duty year says 期限まで1日).
    const int from = std::max(asOf, grant.date);
    const int months = CLeaveDate::MonthsUntil(from, grant.dutyEnds);
    return "あと" + Days(10 - grant.dutyHalves) + "日（期限まで" +
           (months > 0 ? std::to_string(months) + "か月）"
                       : std::to_string(CLeaveDate::DaysUntil(from, grant.dutyEnds)) + "日）");
}

bool CLeaveLedger::DutyAtRisk(const Grant& grant, int asOf) {
    if (!grant.dutyApplies || grant.dutyHalves >= 10) return false;
    return asOf >= grant.dutyEnds || CLeaveDate::AddMonths(asOf, 3) >= grant.dutyEnds;
}

const CLeaveLedger::Grant* CLeaveLedger::Current(const Result& result, int asOf) {
    const Grant* current = nullptr;
    for (const auto& grant : result.grants) {
        if (grant.date <= asOf) current = &grant;
    }
    return current;
}

}  // namespace stampwell
