#include "platform/DeferredMessages.h"

namespace stampwell {

CDeferredMessages::CDeferredMessages(std::shared_ptr<IMessageSink> target)
    : m_target(std::move(target)), m_owner(std::this_thread::get_id()) {}

void CDeferredMessages::ShowMessage(std::string_view text, EMessageIcon icon) {
    if (std::this_thread::get_id() == m_owner) {
        Flush();
        m_target->ShowMessage(text, icon);
        return;
    }
    std::lock_guard lock(m_mutex);
    m_waiting.emplace_back(std::string(text), icon);
}

void CDeferredMessages::Flush() {
    std::vector<std::pair<std::string, EMessageIcon>> waiting;
    {
        std::lock_guard lock(m_mutex);
        waiting.swap(m_waiting);
    }
    for (const auto& [text, icon] : waiting) m_target->ShowMessage(text, icon);
}

}  // namespace stampwell
