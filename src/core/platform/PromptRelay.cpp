#include "platform/PromptRelay.h"

namespace stampwell {

bool CPromptRelay::Relay(const std::function<void()>& step) {
    if (!m_queue) {
        step();
        return true;
    }
    return m_queue->Call(step);
}

void CPromptRelay::ShowMessage(std::string_view text, EMessageIcon icon) {
    Relay([&] { m_target.ShowMessage(text, icon); });
}

int CPromptRelay::AskQuestion(std::string_view text, EAnswer byItself) {
    int answer = kNo;
    if (!Relay([&] { answer = m_target.AskQuestion(text, byItself); })) return kNo;
    return answer;
}

bool CPromptRelay::AskYesNo(std::string_view text) {
    bool answer = false;
    Relay([&] { answer = m_target.AskYesNo(text); });
    return answer;
}

void CPromptRelay::MovePointerToOrigin() {
    Relay([&] { m_target.MovePointerToOrigin(); });
}

}  // namespace stampwell
