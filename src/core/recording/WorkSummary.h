#pragma once

#include <map>
#include <string>
#include <vector>

#include "recording/WorkDayRecord.h"

namespace stampwell {

class CWorkReport;

// How a month adds up: the time between start and end of each day (25:10 is 1:10 after midnight
// of the next calendar day), the days worked, the total, and the days where one of the two times
// is missing. In room mode the same figures are the time between entry and exit.
class CWorkSummary {
public:
    struct Totals {
        int daysWorked = 0;
        int minutes = 0;
        std::vector<std::string> missingDates;
    };

    // Minutes worked on a day with both times; -1 otherwise (also when the end is before the
    // start, which no real day has).
    static int WorkedMinutes(const WorkDayRecord& day);
    // A day with a time on one side only (or an end before its start).
    static bool IsMissing(const WorkDayRecord& day);
    static Totals Add(const std::vector<WorkDayRecord>& days);
    // "H:MM", hours without a limit.
    static std::string FormatMinutes(int minutes);

    // Per employee (UTF-8 name) for the pay period of the export: year and month of its last
    // day, closing 0..5 (the 5th ... the 25th, month end). onlyName limits it to one person.
    // False when the work file cannot be read.
    static bool ForPeriod(CWorkReport& report, int year, int month, int closing,
                          const std::string& onlyName, std::map<std::string, Totals>& out);
};

}  // namespace stampwell
