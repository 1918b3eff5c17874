#include "platform/SerialWorker.h"

#include <chrono>

namespace stampwell {

CSerialWorker::CSerialWorker(Deliver deliver) : m_state(std::make_shared<State>()) {
    m_state->deliver = std::move(deliver);
    m_thread = std::thread([state = m_state] { Run(state); });
}

CSerialWorker::~CSerialWorker() {
    std::unique_lock lock(m_state->mutex);
    m_state->stopping = true;
    m_state->jobs.clear();
    m_state->changed.notify_all();
    const bool finished = m_state->changed.wait_for(lock, std::chrono::seconds(3),
                                                    [this] { return m_state->finished; });
    lock.unlock();
    if (finished) {
        m_thread.join();
    } else {
        m_thread.detach();  // stuck in a file system that does not answer
    }
}

void CSerialWorker::Post(std::function<void()> work, std::function<void()> done) {
    ++m_state->pending;
    std::lock_guard lock(m_state->mutex);
    m_state->jobs.push_back({std::move(work), [state = m_state, done = std::move(done)] {
                                 --state->pending;
                                 if (done) done();
                             }});
    m_state->changed.notify_all();
}

bool CSerialWorker::IsIdle() const {
    return m_state->pending == 0;
}

void CSerialWorker::Run(const std::shared_ptr<State>& state) {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(state->mutex);
            state->changed.wait(lock, [&] { return state->stopping || !state->jobs.empty(); });
            if (state->stopping) break;
            job = std::move(state->jobs.front());
            state->jobs.pop_front();
        }
        if (job.work) job.work();
        std::lock_guard lock(state->mutex);
        if (state->stopping) break;
        state->deliver(std::move(job.done));
    }
    std::lock_guard lock(state->mutex);
    state->finished = true;
    state->changed.notify_all();
}

}  // namespace stampwell
