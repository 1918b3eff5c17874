#include "store/RulesStoreChange.h"

#include "platform/KeptMessage.h"
#include "schedule/ScheduleChange.h"

namespace stampwell {

bool CRulesStoreChange::Apply(IRulesStore& rules, IScheduleStore& schedule, int from,
                              const IRulesStore::Change& change, IMessageSink& messages,
                              CWorkRules* saved) {
    return rules.Apply(
        [&](CWorkRules& stored) -> std::optional<std::string> {
            const CWorkRules before = stored;
            if (auto refused = change(stored)) return refused;
            if (stored == before) return std::nullopt;
            // Under the rules' own lock, the rules as they stood are kept for the periods
            // before `from`; a calendar that cannot keep them refuses the change.
            CKeptMessage kept;
            if (!schedule.Apply(
                    [&](CScheduleBook& book) {
                        return CScheduleChange::KeepRulesBefore(book, from, before);
                    },
                    kept)) {
                return kept.Said();
            }
            return std::nullopt;
        },
        messages, saved);
}

}  // namespace stampwell
