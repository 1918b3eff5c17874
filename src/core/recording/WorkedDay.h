#pragma once

#include <optional>
#include <string>

namespace stampwell {

class CWorkReport;
class CWorkRules;

// Whether a person has taps on a working day: a whole day of paid leave on a day with work
// would count the day twice (worked and on leave), so it is refused.
class CWorkedDay {
public:
    // The refusal of a whole day of leave on a day with a clock-in or a clock-out, with the
    // reason; nothing when the day has no tap. date is a date number (20260612). A work file
    // that cannot be read refuses too (the day cannot be checked).
    // The refusal of a whole day of leave on the statutory rest day of the work rules: there is
    // no work to be released from that day, and it would count toward the 5-day duty.
    static std::optional<std::string> RefuseLeaveOnRestDay(const CWorkRules& rules, int date);
    static std::optional<std::string> RefuseWholeLeave(CWorkReport& report, const std::string& name,
                                                       int date);
};

}  // namespace stampwell
