#include "admin_ui/DialogFileWork.h"

namespace stampwell {

CDialogFileWork::CDialogFileWork(QWidget* dialog, IPrompt& prompt)
    : m_queue(std::make_shared<CCallerQueue>()),
      m_wait(dialog, m_queue),
      m_relay(std::make_shared<CPromptRelay>(prompt, m_queue)),
      m_prompt(prompt) {}

bool CDialogFileWork::Run(std::function<void()> job, const std::string& where) {
    if (m_wait.Run(std::move(job))) return true;
    m_prompt.ShowMessage("共有フォルダ（" + where +
                             "）が応答しないため、待つのをやめました。\n"
                             "応答が戻ると、その処理が終わることがあります。",
                         EMessageIcon::None);
    return false;
}

}  // namespace stampwell
