#pragma once

#include <optional>
#include <string>
#include <vector>

#include "schedule/WorkPattern.h"

namespace stampwell {

// The payroll clerk's calendar, in Schedule.txt of the data folder (CP932, CR LF, one record a
// line, its kind first): the work patterns, which pattern each employee follows from which
// date, the office's own holidays, the swapped rest days (振替休日), the days off given for
// rest-day work (代休), and the closing of pay periods with the rules in force when each was
// closed. Closings and reopenings are never removed: their lines are the trail of who closed
// and reopened what, when and why. Lines of an unknown kind are kept as they are.
class CScheduleBook {
public:
    struct Assignment {
        std::string name;
        int from = 0;         // date number
        std::string pattern;  // empty: no pattern from that date
        bool operator==(const Assignment&) const = default;
    };
    struct Holiday {
        int date = 0;
        std::string name;
        bool operator==(const Holiday&) const = default;
    };
    // 振替休日: restDate, a day off, becomes a working day and workDate a day off, decided
    // before restDate came. When restDate was the statutory rest day, workDate is it instead.
    struct Swap {
        std::string name;
        int restDate = 0;
        int workDate = 0;
        std::string when, by;  // who decided it, and when (the trail)
        bool operator==(const Swap&) const = default;
    };
    // 代休: a day off (offDate) given after rest-day work on forDate; the work stays counted.
    struct DayInLieu {
        std::string name;
        int offDate = 0;
        int forDate = 0;
        std::string when, by;
        bool operator==(const DayInLieu&) const = default;
    };
    // One line of the closing trail: a pay period closed (with the rules text then in force)
    // or reopened (with the reason).
    struct ClosingEvent {
        bool closed = true;
        int year = 0;
        int month = 0;
        int closing = 5;   // the export's closing index (0..4: the 5th..25th, 5: month end)
        std::string when;  // "YYYY/MM/DD HH:MM"
        std::string admin;
        std::string reason;                                      // a reopening's
        std::vector<std::pair<std::string, std::string>> rules;  // a closing's rule lines
        // A closing's print of each person's records in the period (name, print), so that a
        // record that reaches the period afterwards (a clock's kept tap sent late, an older
        // release's correction) is noticed.
        std::vector<std::pair<std::string, std::string>> prints;
        bool operator==(const ClosingEvent&) const = default;
    };

    std::vector<CWorkPattern> patterns;
    std::vector<Assignment> assignments;
    std::vector<Holiday> holidays;
    std::vector<Swap> swaps;
    std::vector<DayInLieu> daysInLieu;
    std::vector<ClosingEvent> closings;  // oldest first
    // The work rules as they were before a change took effect: in force for the pay periods
    // whose last day is before `until` (and after the previous change's until). Oldest first.
    struct EarlierRules {
        int until = 0;
        std::vector<std::pair<std::string, std::string>> rules;
        bool operator==(const EarlierRules&) const = default;
    };
    std::vector<EarlierRules> earlierRules;
    std::vector<std::string> kept;  // lines of a kind this release does not know

    static constexpr const char* kFileName = "Schedule.txt";

    // The book from the file's text (UTF-8); lines that do not read go to unread.
    void ReadText(const std::string& text, std::vector<std::string>* unread = nullptr);
    std::string FileText() const;

    const CWorkPattern* FindPattern(const std::string& name) const;
    // The pattern a person follows on a date; nothing without one.
    const CWorkPattern* PatternOn(const std::string& name, int date) const;
    // The office holiday's name on a date, or nothing.
    std::optional<std::string> OfficeHolidayOn(int date) const;
    // The closing in force over a date: the last closing event of a period holding it, when
    // that event closed the period. Nothing when the date is in no closed period.
    const ClosingEvent* ClosedOver(int date) const;
    // Whether any day from first to last lies in a closed period; refusal then says which
    // (Japanese).
    bool TouchesClosed(int first, int last, std::string* refusal = nullptr) const;
    // The last event of one period, or nothing.
    const ClosingEvent* LastEventOf(int year, int month, int closing) const;

    // "2026年11月分（末締め）".
    static std::string PeriodText(int year, int month, int closing);

    bool operator==(const CScheduleBook&) const = default;
};

}  // namespace stampwell
