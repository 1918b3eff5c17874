#pragma once

#include "platform/IBackgroundRunner.h"

namespace stampwell {

// Runs each job at once on the caller's thread: the command-line tool and the tests.
class CInlineRunner : public IBackgroundRunner {
public:
    void Post(std::function<void()> work, std::function<void()> done) override {
        if (work) work();
        if (done) done();
    }
    bool IsIdle() const override { return true; }
};

}  // namespace stampwell
