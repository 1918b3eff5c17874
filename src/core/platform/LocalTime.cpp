#include "platform/LocalTime.h"

namespace stampwell {

std::optional<std::tm> CLocalTime::ToLocal(std::int64_t seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm result{};
    if (localtime_r(&t, &result) == nullptr) return std::nullopt;
    return result;
}

std::int64_t CLocalTime::FromLocal(int year, int month, int day, int hour, int minute, int second) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&parts));
}

}  // namespace stampwell
