#pragma once

#include <array>
#include <string>
#include <vector>

#include "settings/WorkRules.h"

namespace stampwell {

class CScheduleBook;
class IWorkStore;

// The year of the overtime agreement (36協定) per employee: twelve pay periods from the
// office's start month, each with its 法定外残業 and 法定休日労働 from the same calculation as
// the month's report, and the limits of the Labour Standards Act art. 36 that the year passed:
// more than six months over 45 hours, more than 360 and 720 hours in the year, an average of
// more than 80 hours (overtime and rest-day work) over any 2 to 6 consecutive months, and a
// month of 100 hours or more.
class COvertimeYear {
public:
    static constexpr int kMonths = 12;
    // The months before the year that the 2-6 month averages of its first months reach back to.
    static constexpr int kBefore = 5;

    struct Month {
        int overtime = 0;
        int restDay = 0;
    };
    struct Row {
        std::string name;
        // kBefore months before the year, then its twelve.
        std::array<Month, kBefore + kMonths> months{};
        int monthsOver45 = 0;
        int yearOvertime = 0;
        int worstAverage = 0;       // minutes; the largest 2-6 month average
        int worstAverageFirst = 0;  // its first and last month (indexes of the year, may be < 0)
        int worstAverageLast = 0;
        std::vector<int> monthsAt100;  // indexes of the year's months
        std::string limits;            // every limit passed, joined by "・"
        // The agreement has a special clause (特別条項); without one, a month over 45 hours
        // and a year over 360 are past the agreement itself.
        bool specialClause = true;
    };

    // The calendar month (1..12) of the year's month index (0..11; negative: before the year).
    static int MonthOf(int startMonth, int index);
    // The year in which the agreement year holding (year, month) began.
    static int AgreementYearOf(int year, int month, int startMonth);
    // The figures of a row whose months (and specialClause) are filled in.
    static void Judge(Row& row);
    // What the limits view says of an agreement without a special clause; empty with one.
    static std::string ClauseNote(bool specialClause);
    // Every employee with work in the year (or in the months its averages reach back to), in
    // Japanese order. year is the year in which the agreement year starts; closing 0..5 as for
    // the export. False when the records cannot all be read.
    // With schedule, the swapped rest days count, and each closed month by the rules it was
    // closed with.
    static bool Collect(IWorkStore& report, int year, int closing, const CWorkRules& rules,
                        std::vector<Row>& rows, const CScheduleBook* schedule = nullptr);
    // The CSV (UTF-8, CR LF; written in CP932): a row per employee, 時間外 and 休日 per month,
    // then the year's figures and the limits passed.
    static std::string Csv(const std::vector<Row>& rows, int startMonth);
    // The column titles and one row's cells, as the window shows them.
    static std::vector<std::string> Header(int startMonth);
    static std::vector<std::string> Cells(const Row& row, int startMonth);
    // Whether cell column of a row shows a limit passed (drawn in red).
    static bool IsOverLimit(const Row& row, int column);
};

}  // namespace stampwell
