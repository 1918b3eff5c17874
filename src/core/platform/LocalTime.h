#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace stampwell {

// Local-time conversions in the process's time zone (TZ).
class CLocalTime {
public:
    static std::optional<std::tm> ToLocal(std::int64_t seconds);
    // Seconds since the epoch of the given local date and time; day and month may be out of
    // range and are normalised as mktime does.
    static std::int64_t FromLocal(int year, int month, int day, int hour = 0, int minute = 0,
                                  int second = 0);
};

}  // namespace stampwell
