#pragma once

#include <string>
#include <vector>

#include "reporting/Payroll.h"
#include "reporting/ScheduledTime.h"
#include "reporting/WorkSummary.h"

namespace stampwell {

class CLeaveBook;
class CScheduleBook;
class IWorkStore;

// `stampwell-cli report`: for a pay period, per employee in Japanese order, the days and the
// span worked with the days missing a time, and the same days in payroll terms.
class CPeriodReport {
public:
    struct Row {
        std::string name;
        CWorkSummary::Totals summary;
        CPayroll::Totals payroll;
        int leaveHalves = 0;    // paid leave taken in the period, in half days
        int leaveBalance = -1;  // paid leave left on the period's last day; -1: no hire date
        // Whole days of leave with a clock-in or clock-out (taps that came after the leave was
        // recorded): counted as leave, and listed so that somebody looks.
        std::vector<std::string> leaveTapDates;
        // The figures of the scheduled hours (a person without a pattern has none).
        CScheduledTime::Totals scheduled;
        // The period's totals rounded to the hour (the rules' monthly rounding).
        bool rounded = false;
        // "YYYY/MM/DD HH:MM 管理者" when the period is closed.
        std::string closed;
        // The person's records of a closed period are not those it was closed with (a record
        // sent late by a clock that kept it, an older release's correction): flagged, never
        // dropped.
        bool changedSinceClosed = false;
    };

    // False when the records cannot all be read.
    // With leave, the paid leave of the period (a whole day of leave is no 打刻漏れ, and whoever
    // took leave in the period has a row). With schedule, the scheduled hours, the holidays,
    // the swapped rest days, and for a closed period the rules kept at its closing.
    static bool Collect(IWorkStore& report, int year, int month, int closing,
                        const std::string& onlyName, const CWorkRules& rules,
                        std::vector<Row>& rows, const CLeaveBook* leave = nullptr,
                        const std::vector<std::string>* registered = nullptr,
                        const CScheduleBook* schedule = nullptr);
    // The CSV (UTF-8, CR LF; the caller writes it in CP932): the columns of the days and span
    // first, then 休憩, 実労働時間, 法定外残業, 深夜労働, 法定休日労働, the limits passed, the
    // overtime beyond 60 hours and the days whose fixed breaks fell short; after the leave, the
    // scheduled hours' figures, the rounding and the closing.
    static std::string Csv(const std::vector<Row>& rows, bool room);
    // The print of each person's records of a period, to be kept with its closing. False when
    // the records cannot all be read.
    static bool Prints(IWorkStore& report, int year, int month, int closing,
                       std::vector<std::pair<std::string, std::string>>& prints);
    // One line of the console report (tab-separated, no line end).
    static std::string ConsoleLine(const Row& row);
    // The payroll totals as shown: rounded when the row's period rounds (the limits stay as
    // judged on the exact minutes).
    static CPayroll::Totals Shown(const Row& row);
    static int Rounded(const Row& row, int minutes);
};

}  // namespace stampwell
