#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/WorkRules.h"

namespace stampwell {

// A work pattern (勤務パターン): the scheduled start and end of a working day (minutes of the
// working day; an end past 24:00 runs into the next morning), the scheduled breaks inside it,
// the weekdays that are scheduled working days, and whether a national or office holiday on
// one of those weekdays is a day off.
struct CWorkPattern {
    std::string name;
    int start = 9 * 60;
    int end = 18 * 60;
    std::vector<CWorkRules::Window> breaks;
    int weekdays = 0b0111110;  // bit 0 Sunday ... bit 6 Saturday
    bool holidaysOff = true;

    // The scheduled minutes of work: the span less the breaks inside it.
    int ScheduledMinutes() const;
    // Where a half day of leave ends or begins: the morning ends as the break nearest the middle
    // of the span begins, the afternoon starts as it ends (without a break, both at the middle).
    int MorningEnd() const;
    int AfternoonStart() const;
    bool WorksOn(int weekday) const { return (weekdays >> weekday & 1) != 0; }
    // Empty when the pattern can be used, else why not (Japanese).
    std::string Check() const;

    // "月火水木金" (or "mon tue ..."): the working weekdays; nothing when a letter is no day.
    static std::optional<int> ParseWeekdays(const std::string& text);
    static std::string WeekdaysText(int weekdays);
    // "H:MM" or "HH:MM" up to 47:59 (a night shift's end); nothing when it does not read.
    static std::optional<int> ParseTime(const std::string& text);
    static std::string TimeText(int minutes);

    bool operator==(const CWorkPattern&) const = default;
};

}  // namespace stampwell
