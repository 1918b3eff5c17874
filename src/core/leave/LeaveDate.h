#pragma once

#include <optional>
#include <string>

namespace stampwell {

class IClock;

// The dates of paid leave: date numbers (y * 10000 + m * 100 + d) read from "YYYY-MM-DD" or
// "YYYY/MM/DD" only when the day exists, months added the way a calendar counts them.
class CLeaveDate {
public:
    // Nothing for a text that is not a date or a day that does not exist (2025-02-30).
    static std::optional<int> Parse(const std::string& text);
    // The same day months later; the month's last day when it has no such day (08/31 + 6
    // months is 02/28 or 02/29).
    static int AddMonths(int date, int months);
    // "YYYY-MM-DD".
    static std::string Text(int date);
    // The clock's local date; 0 when it cannot be converted.
    static int Today(const IClock& clock);
    // Whole months from one date to a later one; a part of a month left over is not counted.
    static int MonthsUntil(int from, int to);
    // Days from one date to another (negative when `to` is earlier).
    static int DaysUntil(int from, int to);
    // The first day after a period of `months` that starts on `date` (Civil Code art. 143): the
    // same day of the month `months` later, or, where that month has no such day (a period
    // from 02-29 or the 31st), the first of the month after.
    static int PeriodEnd(int date, int months);
};

}  // namespace stampwell
