#include "pgstore/PgRulesStore.h"

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
    CWorkRules rules;
    const bool stored = m_book.Apply(
        [&](std::string& text) -> std::optional<std::string> {
            rules.ReadText(text);
            auto refused = change(rules);
            if (!refused) text = rules.FileText();
            return refused;
        },
        messages,
        "他の端末が勤務ルールを変更中のため、保存できませんでした。\nしばらくしてからもう一度お試し"
        "ください。");
    if (stored && saved) *saved = rules;
    return stored;
}

}  // namespace stampwell
