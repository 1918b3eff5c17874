#pragma once

#include <functional>
#include <memory>
#include <string>

#include "admin_ui/ShareWait.h"
#include "platform/PromptRelay.h"

class QWidget;

namespace stampwell {

// The file work of a dialog whose every step may reach a shared folder (the register, the leave
// book): each step runs off the window's thread (CShareWait) and asks and tells through Prompt(),
// which the window shows while it waits. A job owns what it touches (shared pointers), since it
// goes on by itself when the administrator stops waiting.
class CDialogFileWork {
public:
    CDialogFileWork(QWidget* dialog, IPrompt& prompt);

    // The prompt for the jobs: kept alive by every job that holds it.
    const std::shared_ptr<CPromptRelay>& Prompt() const { return m_relay; }
    // True when the job finished; false when the administrator stopped waiting for a share that
    // does not answer, which has then been said (naming where: "登録者ファイルの場所").
    bool Run(std::function<void()> job, const std::string& where);

private:
    std::shared_ptr<CCallerQueue> m_queue;
    CShareWait m_wait;
    std::shared_ptr<CPromptRelay> m_relay;
    IPrompt& m_prompt;
};

}  // namespace stampwell
