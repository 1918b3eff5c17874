#include "personnel/AdminLoginSession.h"

#include "platform/IPrompt.h"
#include "reader/FelicaReader.h"
#include "store/IAdminStore.h"

namespace stampwell {

CAdminLoginSession::CAdminLoginSession(IAdminStore& admins, IPrompt& prompt)
    : m_admins(admins), m_prompt(prompt) {}

void CAdminLoginSession::Begin() {
    m_timeoutStopped = false;
    m_messageOpen = false;
}

CAdminLoginSession::EOutcome CAdminLoginSession::OnCardTick(CFelicaReader* reader) {
    if (reader == nullptr || m_messageOpen) return kContinue;
    std::string card;
    if (!reader->Poll(card)) return kContinue;
    if (m_admins.LoginWithCard(card)) return kAccepted;
    m_messageOpen = true;
    m_prompt.ShowMessage("管理者認証用として登録されていないカードです。", EMessageIcon::None);
    m_messageOpen = false;
    return kContinue;
}

CAdminLoginSession::EOutcome CAdminLoginSession::OnOk(const std::string& id,
                                                      const std::string& password) {
    m_timeoutStopped = true;
    if (id.empty() || password.empty()) {
        m_prompt.ShowMessage("登録名またはパスが未入力です", EMessageIcon::None);
        return kContinue;
    }
    // A failed attempt leaves the login ID as it was.
    if (m_admins.LoginWithPassword(id, password)) return kAccepted;
    m_prompt.ShowMessage("登録名またはパスが異なります。", EMessageIcon::None);
    return kContinue;
}

CAdminLoginSession::EOutcome CAdminLoginSession::OnTimeout() {
    return m_timeoutStopped ? kContinue : kCancelled;
}

}  // namespace stampwell
