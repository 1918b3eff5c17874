#include "personnel/AdminForm.h"

#include "personnel/UserRules.h"
#include "platform/IPrompt.h"
#include "store/IAdminStore.h"

namespace stampwell {

CAdminForm::CAdminForm(IAdminStore& admins, IPrompt& prompt, bool changeMode)
    : m_admins(admins), m_prompt(prompt), m_changeMode(changeMode) {}

void CAdminForm::Open() {
    m_admins.ClearCardId();
    m_initialId.clear();
    m_initialPassword.clear();
    if (!m_changeMode) return;
    m_initialId = m_admins.GetPreviousId();
    m_admins.LoadAdmin();
    m_initialPassword = m_admins.GetPassword();
}

bool CAdminForm::KeepsPassword() const {
    return m_changeMode && m_admins.KeepsPasswordHidden();
}

bool CAdminForm::HasCard() const {
    return !m_admins.GetCardId().empty();
}

bool CAdminForm::ClearCard() {
    int answer = m_prompt.AskQuestion("管理者認証用カードをリセットしますか？", IPrompt::kNo);
    if (answer == IPrompt::kNo || answer == IPrompt::kNoAnswer) return false;
    m_admins.ClearCardId();
    return true;
}

bool CAdminForm::Submit(const std::string& id, const std::string& password,
                        const std::string& confirm) {
    auto refuse = [&](const char* text) {
        m_prompt.ShowMessage(text, EMessageIcon::None);
        return false;
    };
    if (id.empty() || (password.empty() && !KeepsPassword()))
        return refuse("登録名またはパスが未入力です");
    if (password != confirm) {
        return refuse("確認用パスワードと一致しません。\nパスワードを確認してください。");
    }
    // The store's own rules: byte limits, blanks, the duplicate ID (a rename to another
    // administrator's ID too, which would merge two records), the card.
    const std::string previous = m_changeMode ? m_admins.GetPreviousId() : std::string{};
    if (auto refusal =
            CUserRules::CheckAdmin(m_admins, id, password, m_admins.GetCardId(), previous)) {
        m_prompt.ShowMessage(*refusal, EMessageIcon::None);
        return false;
    }
    m_admins.SetId(id);
    m_admins.SetPassword(password);
    bool written = m_changeMode ? m_admins.ChangeAdmin() == 1 : m_admins.AddAdmin() == 1;
    if (!written) return refuse(m_admins.LastRefusalMessage().c_str());
    return true;
}

}  // namespace stampwell
