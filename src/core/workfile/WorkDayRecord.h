#pragma once

#include <string>

namespace stampwell {

// One person and one working day: the name without its padding, the date, and the start and end
// times (either may be empty).
struct WorkDayRecord {
    std::string name;
    std::string date;
    std::string start;
    std::string end;

    bool operator==(const WorkDayRecord&) const = default;
};

}  // namespace stampwell
