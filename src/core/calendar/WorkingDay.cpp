#include "calendar/WorkingDay.h"

#include <cstdio>
#include <ctime>

#include "platform/LocalTime.h"

namespace stampwell {

std::string CWorkingDay::DateText(std::int64_t time, int dayChangeHour) {
    auto tm = CLocalTime::ToLocal(time);
    if (!tm) return {};
    if (tm->tm_hour < dayChangeHour) {
        tm = CLocalTime::ToLocal(time - 86400);
        if (!tm) return {};
    }
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d", &*tm);
    return text;
}

std::string CWorkingDay::TimeText(std::int64_t time, int dayChangeHour) {
    auto tm = CLocalTime::ToLocal(time);
    if (!tm) return {};
    const int hour = tm->tm_hour < dayChangeHour ? tm->tm_hour + 24 : tm->tm_hour;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", hour, tm->tm_min);
    return text;
}

}  // namespace stampwell
