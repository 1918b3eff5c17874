#include "platform/CallerQueue.h"

#include <chrono>

namespace stampwell {

bool CCallerQueue::Call(std::function<void()> step) {
    std::unique_lock lock(m_mutex);
    if (!m_open) return false;
    auto item = std::make_shared<Item>();
    item->step = std::move(step);
    m_items.push_back(item);
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return item->done || !m_open; });
    return item->done;
}

void CCallerQueue::Open() {
    std::lock_guard lock(m_mutex);
    m_open = true;
}

void CCallerQueue::Close() {
    std::lock_guard lock(m_mutex);
    m_open = false;
    m_items.clear();
    m_changed.notify_all();
}

bool CCallerQueue::RunPending() {
    bool ran = false;
    for (;;) {
        std::shared_ptr<Item> item;
        {
            std::lock_guard lock(m_mutex);
            if (m_items.empty()) return ran;
            item = m_items.front();
            m_items.pop_front();
        }
        item->step();
        ran = true;
        std::lock_guard lock(m_mutex);
        item->done = true;
        m_changed.notify_all();
    }
}

void CCallerQueue::WaitFor(int milliseconds, const std::function<bool()>& woken) {
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds),
                       [&] { return !m_items.empty() || woken(); });
}

void CCallerQueue::Wake() {
    std::lock_guard lock(m_mutex);
    m_changed.notify_all();
}

}  // namespace stampwell
