#pragma once

#include "platform/IClock.h"

namespace stampwell {

class CSystemClock : public IClock {
public:
    std::int64_t Now() const override;
};

}  // namespace stampwell
