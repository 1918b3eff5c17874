#include "personnel/UserForm.h"

#include "personnel/UserRules.h"
#include "platform/IPrompt.h"
#include "store/IPeopleStore.h"

namespace stampwell {

CUserForm::CUserForm(IPeopleStore& reg, IPrompt& prompt, bool changeMode)
    : m_register(reg), m_prompt(prompt), m_changeMode(changeMode) {}

void CUserForm::Open() {
    m_name.clear();
    m_card.clear();
    m_mailName.clear();
    m_mailAddress.clear();
    m_previousName.clear();
    if (!m_changeMode) return;
    m_previousName = m_register.GetName();
    m_name = m_previousName;
    m_card = m_register.GetCardIdByName(m_name);
    m_mailName = m_register.GetMailNameByName(m_name);
    m_mailAddress = m_register.GetMailAddressByName(m_name);
}

bool CUserForm::Submit(const std::string& name, const std::string& card,
                       const std::string& mailName, const std::string& mailAddress) {
    // The shared rules, in the form's order: name and card, both mail fields or neither, then
    // what the file can hold, one name and one card per person, and the address.
    if (auto refusal =
            CUserRules::CheckUser(m_register, card, name, mailName, mailAddress, m_previousName)) {
        m_prompt.ShowMessage(*refusal, EMessageIcon::None);
        return false;
    }
    m_register.SetName(name);
    m_register.SetCardId(card);
    m_register.SetMailName(mailName);
    m_register.SetMailAddress(mailAddress);
    if (m_changeMode) {
        m_register.SetPreviousName(m_previousName);
        if (m_register.ChangeRecord() != 1) {
            m_prompt.ShowMessage(
                m_register.FailureMessage(
                    "登録ファイルを記録できませんでした。\nパス設定を確認してください。"),
                EMessageIcon::None);
            return false;
        }
    } else if (m_register.AddRecord() != 1) {
        m_prompt.ShowMessage(m_register.FailureMessage(
                                 "ユーザーを記録できませんでした。\nパス設定を確認してください。"),
                             EMessageIcon::None);
        return false;
    }
    return true;
}

}  // namespace stampwell
