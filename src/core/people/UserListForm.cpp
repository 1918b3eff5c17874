#include "people/UserListForm.h"

#include <algorithm>

#include "people/RegisterFile.h"
#include "platform/IPrompt.h"

namespace stampwell {

CUserListForm::CUserListForm(CRegisterFile& reg, IPrompt& prompt)
    : m_register(reg), m_prompt(prompt) {}

std::vector<std::string> CUserListForm::Names() const {
    std::vector<std::string> names = m_register.GetAllNames();
    std::sort(names.begin(), names.end());
    return names;
}

bool CUserListForm::Delete(const std::string& name) {
    if (name.empty()) return false;
    int answer = m_prompt.AskQuestion("このユーザーを削除しますか？");
    if (answer == IPrompt::kNo || answer == IPrompt::kNoAnswer) return false;
    m_register.SetName(name);
    if (m_register.DeleteRecord() != 1) {
        m_prompt.ShowMessage("登録ファイルを記録できませんでした。\nパス設定を確認してください。",
                             EMessageIcon::None);
        return false;
    }
    return true;
}

}  // namespace stampwell
