#include "schedule/SchedulePlan.h"

#include "calendar/WorkDate.h"
#include "schedule/NationalHolidays.h"

namespace stampwell {

bool CSchedulePlan::IsRestDay(int date) const {
    for (const auto& swap : m_book.swaps) {
        if (swap.name != m_name) continue;
        // The rest moves with the swap only when the day given up was the rest day itself.
        const bool movesRest = m_rules.restDay != CWorkRules::kNoRestDay &&
                               CWorkDate::Weekday(swap.restDate) == m_rules.restDay;
        if (swap.restDate == date && movesRest) return false;
        if (swap.workDate == date && movesRest) return true;
    }
    return m_rules.restDay != CWorkRules::kNoRestDay && CWorkDate::Weekday(date) == m_rules.restDay;
}

std::string CSchedulePlan::HolidayOn(int date) const {
    auto year = m_national.find(date / 10000);
    if (year == m_national.end()) {
        year = m_national.emplace(date / 10000, CNationalHolidays::OfYear(date / 10000)).first;
    }
    for (const auto& holiday : year->second) {
        if (holiday.date == date) return holiday.name;
    }
    return m_book.OfficeHolidayOn(date).value_or(std::string{});
}

CSchedulePlan::Day CSchedulePlan::On(int date) const {
    Day day;
    day.holiday = HolidayOn(date);
    day.pattern = m_book.PatternOn(m_name, date);
    if (IsRestDay(date)) {
        day.kind = EKind::kRestDay;
    } else if (day.pattern != nullptr) {
        const bool works = day.pattern->WorksOn(CWorkDate::Weekday(date)) &&
                           !(day.pattern->holidaysOff && !day.holiday.empty());
        day.kind = works ? EKind::kWorkday : EKind::kDayOff;
    }
    for (const auto& swap : m_book.swaps) {
        if (swap.name != m_name) continue;
        if (swap.restDate == date && day.kind != EKind::kRestDay) {
            day.kind = EKind::kWorkday;
            day.swapped = true;
        } else if (swap.workDate == date) {
            if (day.kind != EKind::kRestDay) day.kind = EKind::kDayOff;
            day.swapped = true;
        }
    }
    for (const auto& off : m_book.daysInLieu) {
        if (off.name == m_name && off.offDate == date) {
            day.inLieu = true;
            if (day.kind == EKind::kWorkday) day.kind = EKind::kDayOff;
        }
    }
    // Without a pattern nothing is scheduled, whatever a swap says.
    if (day.pattern == nullptr && day.kind != EKind::kRestDay) day.kind = EKind::kUnscheduled;
    return day;
}

}  // namespace stampwell
