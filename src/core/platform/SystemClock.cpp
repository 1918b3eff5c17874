#include "platform/SystemClock.h"

#include <ctime>

namespace stampwell {

std::int64_t CSystemClock::Now() const {
    return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace stampwell
