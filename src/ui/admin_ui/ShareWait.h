#pragma once

#include <functional>
#include <memory>

#include "platform/CallerQueue.h"
#include "platform/IFileWork.h"

class QProgressDialog;
class QWidget;

namespace stampwell {

// The file work of an administrator's screen on a thread of its own, while the window keeps
// painting and the clock ticking: after a moment a box says 処理中…, after 10 seconds that the
// shared folder does not answer, with 閉じる to stop waiting (the job then ends by itself).
// The steps a job hands back through `queue` (its questions and messages, CPromptRelay) are
// shown meanwhile; the time an administrator takes to answer is not the share's.
class CShareWait : public IFileWork {
public:
    explicit CShareWait(QWidget* parent, std::shared_ptr<CCallerQueue> queue = nullptr)
        : m_parent(parent), m_queue(std::move(queue)) {}
    bool Run(std::function<void()> job) override;

    static constexpr int kShowAfterMs = 400;
    static constexpr int kNoAnswerMs = 10000;
    // While a job is waited for with its box shown (for the tests): that box, else nothing.
    QProgressDialog* Box() const { return m_box; }

private:
    QWidget* m_parent;
    std::shared_ptr<CCallerQueue> m_queue;
    QProgressDialog* m_box = nullptr;
};

}  // namespace stampwell
