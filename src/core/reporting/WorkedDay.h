#pragma once

#include <optional>
#include <string>

namespace stampwell {

class IScheduleStore;
class IWorkStore;

// Whether a whole day of paid leave may be recorded on a day: not on the statutory rest day of
// the work rules (there is no work to be released from, and it would count toward the 5-day
// duty), nor on a day with a clock-in or a clock-out (the day would count twice, worked and on
// leave). With the clerk's calendar, the statutory rest day as a swap moved it, and a scheduled
// day off of the person's pattern (a holiday, a day the pattern does not work) refuse too.
class CWorkedDay {
public:
    // The refusal with its reason; nothing when the day may be taken. date is a date number
    // (20260612). Records that cannot be read refuse too (the day cannot be checked).
    static std::optional<std::string> RefuseWholeLeave(IWorkStore& report, const std::string& name,
                                                       int date,
                                                       const IScheduleStore* schedule = nullptr);
};

}  // namespace stampwell
