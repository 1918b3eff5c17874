#pragma once

#include <cstdint>

namespace stampwell {

// The source of "now", injected so that tests can stand at any moment.
class IClock {
public:
    virtual ~IClock() = default;
    // Seconds since the epoch.
    virtual std::int64_t Now() const = 0;
};

}  // namespace stampwell
