#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace stampwell {

// Steps that a job on another thread hands back to the thread that waits for it (a question or
// a message of an administrator's screen, which only the window's thread may show). The waiting
// thread opens the queue, runs what arrives while it waits, and closes it when it stops
// waiting; a job that calls after that is told at once that nobody runs its step.
class CCallerQueue {
public:
    // From the job's thread: runs step on the waiting thread and returns true when it ran;
    // false, without running it, when nobody waits (or stops waiting meanwhile).
    bool Call(std::function<void()> step);

    // The waiting thread.
    void Open();
    void Close();
    // Runs every step that has arrived; whether one ran.
    bool RunPending();
    // Waits up to `milliseconds` for a step to arrive or `woken` to turn true (checked under
    // the queue's lock after Wake).
    void WaitFor(int milliseconds, const std::function<bool()>& woken);
    // Wakes WaitFor (the job is done).
    void Wake();

private:
    struct Item {
        std::function<void()> step;
        bool done = false;
    };
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Item>> m_items;
    bool m_open = false;
};

}  // namespace stampwell
