#pragma once

#include <memory>

#include "platform/CallerQueue.h"
#include "platform/IPrompt.h"

namespace stampwell {

// The questions and messages of a job that runs off the window's thread, shown by the window's
// thread through the queue it drains while it waits (CShareWait). When the window has stopped
// waiting, a message is not shown and a question answers no: nothing is overwritten or deleted
// on behalf of an administrator who has gone. Without a queue (the command line, the tests),
// every call goes straight to the prompt.
class CPromptRelay : public IPrompt {
public:
    CPromptRelay(IPrompt& target, std::shared_ptr<CCallerQueue> queue)
        : m_target(target), m_queue(std::move(queue)) {}

    void ShowMessage(std::string_view text, EMessageIcon icon) override;
    int AskQuestion(std::string_view text, EAnswer byItself) override;
    bool AskYesNo(std::string_view text) override;
    void MovePointerToOrigin() override;

private:
    bool Relay(const std::function<void()>& step);

    IPrompt& m_target;
    std::shared_ptr<CCallerQueue> m_queue;
};

}  // namespace stampwell
