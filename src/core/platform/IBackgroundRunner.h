#pragma once

#include <functional>

namespace stampwell {

// Where the time clock does its file work: a shared folder may hang, and the window must keep
// its clock ticking and answer input meanwhile. Work posted runs after everything posted before
// it (one job at a time, so the shared objects it uses are never used twice at once); its `done`
// runs afterwards on the window's thread.
class IBackgroundRunner {
public:
    virtual ~IBackgroundRunner() = default;
    virtual void Post(std::function<void()> work, std::function<void()> done) = 0;
    // Whether no job is waiting or running (the window may then use the shared objects itself).
    virtual bool IsIdle() const = 0;
};

}  // namespace stampwell
