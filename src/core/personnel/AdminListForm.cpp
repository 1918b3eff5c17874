#include "personnel/AdminListForm.h"

#include "platform/IPrompt.h"
#include "store/IAdminStore.h"
#include "text/JapaneseOrder.h"

namespace stampwell {

CAdminListForm::CAdminListForm(IAdminStore& admins, IPrompt& prompt)
    : m_admins(admins), m_prompt(prompt) {}

std::vector<std::string> CAdminListForm::Ids() const {
    std::vector<std::string> ids;
    m_admins.GetIdList(ids);
    CJapaneseOrder::Sort(ids);
    return ids;
}

bool CAdminListForm::MayAdd() {
    if (Ids().size() > 2) {
        m_prompt.ShowMessage("これ以上の管理者は作成できません。", EMessageIcon::None);
        return false;
    }
    return true;
}

bool CAdminListForm::Delete(const std::string& id) {
    if (id.empty()) return false;
    if (id == m_admins.GetLoginId()) {
        m_prompt.ShowMessage("ログインしている管理者は削除できません。", EMessageIcon::None);
        return false;
    }
    int answer = m_prompt.AskQuestion("管理者「" + id + "」を削除しますか？", IPrompt::kNo);
    if (answer == IPrompt::kNo || answer == IPrompt::kNoAnswer) return false;
    m_admins.SetId(id);
    if (!m_admins.DeleteAdmin()) {
        m_prompt.ShowMessage(m_admins.LastRefusalMessage(), EMessageIcon::None);
        return false;
    }
    return true;
}

CAdminListForm::ECloseOutcome CAdminListForm::Close() {
    if (!Ids().empty()) return kClose;
    bool quit = m_prompt.AskYesNo(
        "管理者が登録されていません。\nアプリケーションが終了されますがよろしいでしょうか？");
    return quit ? kQuitProgram : kStay;
}

}  // namespace stampwell
