#include "pgstore/PgRulesStore.h"

#include "platform/IMessageSink.h"

namespace stampwell {

bool CPgRulesStore::Read(CWorkRules& rules, std::vector<std::string>* unread) const {
    std::string why;
    const auto text = m_book.Read(why);
    rules.ReadText(text.value_or(std::string{}), unread);
    return text.has_value();
}

std::string CPgRulesStore::Where() const {
    return "データベース（" + m_conninfo + "）";
}

bool CPgRulesStore::Apply(const Change& change, IMessageSink& messages, CWorkRules* saved) {
    std::string why;
    bool busy = false;
    std::optional<std::string> refused;
    CWorkRules rules;
    const bool stored = m_book.Change(
        [&](const std::string& text) -> std::optional<std::string> {
            rules.ReadText(text);
            refused = change(rules);
            if (refused) return std::nullopt;
            return rules.FileText();
        },
        why, &busy);
    if (!stored) {
        messages.ShowMessage(refused ? *refused
                             : busy ? "他の端末が勤務ルールを変更中のため、保存できませんでした。"
                                      "\nしばらくしてからもう一度お試しください。"
                                    : why,
                             EMessageIcon::None);
        return false;
    }
    if (saved) *saved = rules;
    return true;
}

}  // namespace stampwell
