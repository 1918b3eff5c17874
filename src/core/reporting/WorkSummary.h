#pragma once

#include <map>
#include <string>
#include <vector>

#include "workfile/WorkDayRecord.h"

namespace stampwell {

class IWorkStore;

// How a month adds up: the time between start and end of each day (25:10 is 1:10 after midnight
// of the next calendar day), the days worked, the total, the days where one of the two times is
// missing and the days whose end lies before their start. Today's working day with a start and
// no end yet is still going on and counts for neither. In room mode the same figures are the
// time between entry and exit.
class CWorkSummary {
public:
    enum class EDay { kEmpty, kWorked, kInProgress, kMissing, kInconsistent };
    struct Totals {
        int daysWorked = 0;
        int minutes = 0;
        std::vector<std::string> missingDates;
        std::vector<std::string> inconsistentDates;
    };

    // today is the working day "YYYY/MM/DD" of the clock.
    static EDay StateOf(const WorkDayRecord& day, const std::string& today);
    // Minutes worked on a day with both times in order; -1 otherwise.
    static int WorkedMinutes(const WorkDayRecord& day);
    // "打刻漏れ", "時刻不整合", or empty for the other states.
    static const char* Label(EDay state);
    static Totals Add(const std::vector<WorkDayRecord>& days, const std::string& today);
    // "H:MM", hours without a limit.
    static std::string FormatMinutes(int minutes);

    // Per employee (UTF-8 name) for the pay period of the export: year and month of its last
    // day, closing 0..5 (the 5th ... the 25th, month end). onlyName limits it to one person.
    // False when the records cannot be read.
    static bool ForPeriod(IWorkStore& report, int year, int month, int closing,
                          const std::string& onlyName, std::map<std::string, Totals>& out);
    // The days from firstDate (a date number) on.
    static std::vector<WorkDayRecord> From(const std::vector<WorkDayRecord>& days, int firstDate);
    // Every person's days of the period, with the days of the period's first week before it
    // (which count toward that week's overtime); firstDate receives the period's first day.
    static bool DaysOfPeriod(IWorkStore& report, int year, int month, int closing,
                             const std::string& onlyName,
                             std::map<std::string, std::vector<WorkDayRecord>>& out,
                             int& firstDate);
};

}  // namespace stampwell
