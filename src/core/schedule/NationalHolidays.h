#pragma once

#include <optional>
#include <string>
#include <vector>

namespace stampwell {

// Japan's national holidays by the Act on National Holidays as amended up to now: the fixed and
// Monday holidays, the one-off moves of 2020 and 2021, 振替休日 (a holiday on a Sunday moves
// its rest to the next day that is no holiday) and 国民の休日 (a day between two holidays).
// 春分の日 and 秋分の日 come from the usual formula of the equinoxes, good from 1980 to 2099;
// outside those years they are left out.
class CNationalHolidays {
public:
    struct Holiday {
        int date = 0;  // date number (20261123)
        std::string name;
    };
    // Every holiday of a year in date order.
    static std::vector<Holiday> OfYear(int year);
    // The holiday's name on a date number, or nothing.
    static std::optional<std::string> NameOf(int date);
    // The day of March (春分) and September (秋分) of the equinox; 0 outside 1980..2099.
    static int VernalEquinoxDay(int year);
    static int AutumnalEquinoxDay(int year);
};

}  // namespace stampwell
