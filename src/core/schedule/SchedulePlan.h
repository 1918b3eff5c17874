#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "schedule/NationalHolidays.h"
#include "schedule/ScheduleBook.h"
#include "settings/WorkRules.h"

namespace stampwell {

// What each day is for one person: a scheduled working day of their pattern, a scheduled day
// off (所定休日: a weekday the pattern does not work, a holiday the pattern rests on, the day
// a swap moved the rest to, a 代休), or the statutory rest day (法定休日: the rules' weekday,
// moved by a swap that made it a working day). Without a pattern only the statutory rest day is
// known.
class CSchedulePlan {
public:
    enum class EKind { kUnscheduled, kWorkday, kDayOff, kRestDay };
    struct Day {
        EKind kind = EKind::kUnscheduled;
        const CWorkPattern* pattern = nullptr;
        std::string holiday;   // the national or office holiday's name
        bool swapped = false;  // a working day or day off by a 振替
        bool inLieu = false;   // a 代休
    };

    CSchedulePlan(const CScheduleBook& book, const CWorkRules& rules, std::string name)
        : m_book(book), m_rules(rules), m_name(std::move(name)) {}

    Day On(int date) const;
    // Whether the date is this person's statutory rest day.
    bool IsRestDay(int date) const;

private:
    // The national holidays of a year, worked out once for every day of it.
    std::string HolidayOn(int date) const;

    mutable std::map<int, std::vector<CNationalHolidays::Holiday>> m_national;
    const CScheduleBook& m_book;
    const CWorkRules& m_rules;
    std::string m_name;
};

}  // namespace stampwell
