#pragma once

#include <cstdint>
#include <string>

namespace stampwell {

// The working-day rule: a stamp taken before the day-change hour belongs to the previous
// calendar day, and its time is written with the hour plus 24 (01:10 becomes 25:10).
class CWorkingDay {
public:
    // "%Y/%m/%d" of the working day of a time; empty when the time cannot be converted.
    static std::string DateText(std::int64_t time, int dayChangeHour);
    // "%02d:%02d" with the hour past 24 before the day-change hour.
    static std::string TimeText(std::int64_t time, int dayChangeHour);
};

}  // namespace stampwell
