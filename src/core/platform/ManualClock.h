#pragma once

#include <atomic>

#include "platform/IClock.h"

namespace stampwell {

// A clock that stands still until told otherwise (tests, and scripted taps).
class CManualClock : public IClock {
public:
    explicit CManualClock(std::int64_t now = 0) : m_now(now) {}
    std::int64_t Now() const override { return m_now.load(); }
    void Set(std::int64_t now) { m_now.store(now); }
    void Advance(std::int64_t seconds) { m_now.fetch_add(seconds); }

private:
    std::atomic<std::int64_t> m_now;
};

}  // namespace stampwell
