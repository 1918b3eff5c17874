#include "personnel/UserListForm.h"

#include "platform/IPrompt.h"
#include "store/IPeopleStore.h"
#include "text/JapaneseOrder.h"

namespace stampwell {

CUserListForm::CUserListForm(IPeopleStore& reg, IPrompt& prompt)
    : m_register(reg), m_prompt(prompt) {}

std::vector<std::string> CUserListForm::Names() const {
    std::vector<std::string> names = m_register.GetAllNames();
    CJapaneseOrder::Sort(names);
    return names;
}

bool CUserListForm::Delete(const std::string& name) {
    if (name.empty()) return false;
    // The question names the person: the administrator answers for somebody seen.
    int answer = m_prompt.AskQuestion(name + "さんを削除しますか？", IPrompt::kNo);
    if (answer == IPrompt::kNo || answer == IPrompt::kNoAnswer) return false;
    m_register.SetName(name);
    if (m_register.DeleteRecord() != 1) {
        m_prompt.ShowMessage(
            m_register.FailureMessage(
                "登録ファイルを記録できませんでした。\nパス設定を確認してください。"),
            EMessageIcon::None);
        return false;
    }
    return true;
}

}  // namespace stampwell
