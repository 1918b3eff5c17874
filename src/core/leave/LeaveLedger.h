#pragma once

#include <optional>
#include <string>
#include <vector>

#include "leave/LeaveBook.h"

namespace stampwell {

// One employee's annual paid leave as the Labour Standards Act art. 39 reckons it (the ledger an
// employer must keep, 年次有給休暇管理簿): the grants from six months after hiring, then every
// year, by service and days worked a week; each expiring two years after its day; the days taken
// using the oldest grant first; and for each grant of 10 days or more the duty to take 5 within
// its first year. Days are counted in halves.
class CLeaveLedger {
public:
    struct Grant {
        int date = 0;     // 基準日
        int expires = 0;  // 失効日: no longer usable from this day on
        int halves = 0;   // granted (0 when withheld)
        bool withheld = false;
        int takenHalves = 0;       // used from this grant
        bool dutyApplies = false;  // 10 days or more
        int dutyHalves = 0;        // taken (from any grant) within the year from its day
        int dutyEnds = 0;          // the day after that year
    };
    struct Result {
        std::vector<Grant> grants;            // up to asOf (and up to the last day taken)
        std::vector<CLeaveBook::Taken> days;  // this person's, by date
        int balanceHalves = 0;                // usable on asOf, after the days taken up to it
        int nextGrant = 0;                    // the next grant's day after asOf
        int nextHalves = 0;
        bool nextWithheld = false;
        int shortDay = 0;  // the day that found no balance, when Build refused  // the next grant
                           // is withheld (attendance under 80 %)
    };

    // The days granted at service step (0: six months, 1: a year and a half, ... 6 and on).
    static int GrantDays(int step, int daysPerWeek);
    // The ledger of one employee as of a day; nothing after the reason when a day taken finds no
    // balance left (or lies before the first grant).
    static std::optional<std::string> Build(const CLeaveBook& book, const CLeaveBook::Employee& who,
                                            int asOf, Result& out);
    // 達成, 未達, あとN日（Mか月）, or empty for a grant under 10 days or withheld.
    static std::string Duty(const Grant& grant, int asOf);
    // Whether the duty is at risk as of a day: missed, or still owed with 3 months or less left.
    static bool DutyAtRisk(const Grant& grant, int asOf);
    // "7.5", "10".
    static std::string Days(int halves);
    // The grant whose first year holds asOf (the latest one on or before it).
    static const Grant* Current(const Result& result, int asOf);
};

}  // namespace stampwell
