#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace stampwell {

// The dates and times of the work file: "YYYY/MM/DD" working days and "HH:MM" times whose
// hours pass 24 after midnight.
class CWorkDate {
public:
    // Reads up to out.size() numbers separated by sep the way sscanf("%d<sep>%d...") does, but a
    // number of more than nine digits counts as unreadable instead of overflowing. Returns how
    // many numbers were read.
    static std::size_t ScanNumbers(std::string_view text, char sep, std::span<int> out);
    // "%d/%d/%d"; the common "YYYY/MM/DD" without a scan.
    static bool Parse(std::string_view text, int& year, int& month, int& day);
    // year * 10000 + month * 100 + day, or -1 when fewer than three numbers read; so 2011/8/25
    // and 2011/08/25 are the same day.
    static int Number(std::string_view text);
    // Number of a block's date at its fixed place (a name padded to 32 bytes), or -1 when the
    // block is not of that shape; -2 when the place holds something else than "YYYY/MM/DD".
    static int FixedNumber(std::string_view text);
    static bool IsLeapYear(int year);
    // 0 for a month outside 1..12.
    static int DaysInMonth(int year, int month);
    // The date number of a local date, normalised the way mktime does (2011/02/30 is 03/02).
    static int NormalisedNumber(int year, int month, int day);
    // "%d:%d" as minutes, clamped so no sum overflows (room mode's five-minute rule).
    static int ParseMinutes(std::string_view time);
    // Days since 1970/01/01 of a date number (the proleptic Gregorian calendar).
    static long DayIndex(int dateNumber);
    static int FromDayIndex(long days);
    // 0 Sunday ... 6 Saturday.
    static int Weekday(int dateNumber);
    // "%04d/%02d/%02d".
    static std::string Text(int year, int month, int day);
    static std::string TextOfNumber(int number);
};

}  // namespace stampwell
