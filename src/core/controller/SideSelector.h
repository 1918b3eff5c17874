#pragma once

#include <cstdint>

namespace stampwell {

class ISettings;

// Which side the screen preselects at a given time: the end side from the switch hour of the
// working day on (14 without settings).
class CSideSelector {
public:
    static bool SelectsEnd(std::int64_t time, const ISettings* settings);
};

}  // namespace stampwell
