#pragma once

#include <optional>
#include <string>

#include "schedule/ScheduleBook.h"
#include "settings/WorkRules.h"

namespace stampwell {

// Every change a clerk makes to the calendar, each refusing (Japanese) what would be wrong or
// would alter a closed pay period: its records, leave, patterns and rules stay as they were
// when it was closed.
class CScheduleChange {
public:
    using Refusal = std::optional<std::string>;

    // Adds a pattern, or replaces the one of the same name.
    static Refusal SetPattern(CScheduleBook& book, const CWorkPattern& pattern);
    static Refusal DeletePattern(CScheduleBook& book, const std::string& name);
    // From date on, the person follows pattern (empty: none).
    static Refusal Assign(CScheduleBook& book, const std::string& name, int from,
                          const std::string& pattern);
    static Refusal AddHoliday(CScheduleBook& book, int date, const std::string& name);
    static Refusal RemoveHoliday(CScheduleBook& book, int date);
    // 振替休日: decided before restDate comes (today is a date number); restDate must be a
    // day off of the person's pattern and workDate a working day.
    // when and by: the trail's "YYYY/MM/DD HH:MM" and who decided it.
    static Refusal AddSwap(CScheduleBook& book, const CWorkRules& rules, const std::string& name,
                           int restDate, int workDate, int today, const std::string& when = {},
                           const std::string& by = {});
    static Refusal RemoveSwap(CScheduleBook& book, const std::string& name, int restDate,
                              int today);
    // 代休 on offDate (a scheduled working day) for work on forDate (a day off before it).
    static Refusal AddDayInLieu(CScheduleBook& book, const CWorkRules& rules,
                                const std::string& name, int offDate, int forDate,
                                const std::string& when = {}, const std::string& by = {});
    static Refusal RemoveDayInLieu(CScheduleBook& book, const std::string& name, int offDate);
    // Closes a pay period with the rules in force and the print of each person's records
    // (CPeriodReport::Prints); when is "YYYY/MM/DD HH:MM".
    static Refusal Close(CScheduleBook& book, int year, int month, int closing,
                         const CWorkRules& rules, const std::string& when, const std::string& admin,
                         const std::vector<std::pair<std::string, std::string>>& prints = {});
    // Reopens a closed period; a reason is required.
    static Refusal Reopen(CScheduleBook& book, int year, int month, int closing,
                          const std::string& when, const std::string& admin,
                          const std::string& reason);

    // Before the rules change with effect from `from`: keeps the rules in force until then
    // (old, as stored before the change), so that the pay periods ending before it keep them.
    // A date before a change already made is refused (its periods have their rules).
    static Refusal KeepRulesBefore(CScheduleBook& book, int from, const CWorkRules& old);
    // The rules a period whose last day is date is figured by: those kept at its closing when
    // it is closed, else those in force before the first change after it, else current.
    static CWorkRules RulesOver(const CScheduleBook& book, int date, const CWorkRules& current);
    // A value the book can keep in a field: no comma or line break, not empty.
    static Refusal CheckField(const std::string& text, const char* what);
};

}  // namespace stampwell
