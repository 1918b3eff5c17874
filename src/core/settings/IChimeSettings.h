#pragma once

#include <cstdint>
#include <vector>

namespace stampwell {

// The chime times (seconds after midnight, in list order) and whether the chime is on.
class IChimeSettings {
public:
    virtual ~IChimeSettings() = default;
    virtual std::vector<std::int64_t> GetChimeTimes() const = 0;
    virtual bool IsChimeEnabled() const = 0;
};

}  // namespace stampwell
