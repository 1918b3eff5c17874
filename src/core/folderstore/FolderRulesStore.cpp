#include "folderstore/FolderRulesStore.h"

#include "diagnostics/SharedLock.h"
#include "platform/IMessageSink.h"

namespace stampwell {

namespace {
void Say(IMessageSink& messages, const std::string& text) {
    messages.ShowMessage(text, EMessageIcon::None);
}
}  // namespace

bool CFolderRulesStore::Read(CWorkRules& rules, std::vector<std::string>* unread) const {
    return rules.Load(m_runtime.DataDir(), unread);
}

std::string CFolderRulesStore::Where() const {
    return CWorkRules::FilePath(m_runtime.DataDir()).string();
}

bool CFolderRulesStore::Apply(const Change& change, IMessageSink& messages, CWorkRules* saved) {
    const auto path = CWorkRules::FilePath(m_runtime.DataDir());
    CFileLock lock = CSharedLock::Take(m_runtime, std::filesystem::path(path.string() + ".lock"));
    if (!lock.AllowsChange()) {
        Say(messages,
            lock.State() == CFileLock::EState::kTimedOut
                ? "他の端末が勤務ルールを変更中のため、保存できませんでした。\nしばらくして"
                  "からもう一度お試しください。"
                : CSharedLock::Message(lock.State(), lock.Path()));
        return false;
    }
    CWorkRules rules;
    if (!rules.Load(m_runtime.DataDir())) {
        Say(messages, "勤務ルールのファイルを読めませんでした: " + path.string());
        return false;
    }
    if (auto refused = change(rules)) {
        Say(messages, *refused);
        return false;
    }
    if (!rules.Write(m_runtime.DataDir())) {
        Say(messages, "勤務ルールを保存できませんでした。\n保存先を確認してください。");
        return false;
    }
    if (saved != nullptr) *saved = rules;
    return true;
}

}  // namespace stampwell
