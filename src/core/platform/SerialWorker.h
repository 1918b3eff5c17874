#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/IBackgroundRunner.h"

namespace stampwell {

// One worker thread that runs posted jobs in order; `deliver` hands each job's `done` to the
// window's thread (the window's event queue). A job stuck in a hung file system never blocks
// the caller; at the end of the program a job that does not finish within a few seconds is
// left to the process's exit instead of hanging it.
class CSerialWorker : public IBackgroundRunner {
public:
    using Deliver = std::function<void(std::function<void()>)>;
    explicit CSerialWorker(Deliver deliver);
    ~CSerialWorker() override;
    CSerialWorker(const CSerialWorker&) = delete;
    CSerialWorker& operator=(const CSerialWorker&) = delete;

    void Post(std::function<void()> work, std::function<void()> done) override;
    // True until a posted job's `done` has been delivered.
    bool IsIdle() const override;

private:
    struct Job {
        std::function<void()> work, done;
    };
    // Shared with the thread, which may outlive this object when a job hangs at the end.
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<Job> jobs;
        bool stopping = false;
        bool finished = false;
        Deliver deliver;
        int pending = 0;  // posted, done not yet delivered (the window's thread only)
    };
    static void Run(const std::shared_ptr<State>& state);

    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

}  // namespace stampwell
