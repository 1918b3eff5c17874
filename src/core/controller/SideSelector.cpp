#include "controller/SideSelector.h"

#include "platform/LocalTime.h"
#include "settings/ISettings.h"

namespace stampwell {

bool CSideSelector::SelectsEnd(std::int64_t time, const ISettings* settings) {
    auto tm = CLocalTime::ToLocal(time);
    int hour = tm ? tm->tm_hour : -1;
    if (settings != nullptr && hour < settings->GetDayChangeHour()) hour += 24;
    int limit = settings != nullptr ? settings->GetSwitchHour() : 14;
    return hour >= limit;
}

}  // namespace stampwell
