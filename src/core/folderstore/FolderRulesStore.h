#pragma once

#include <memory>

#include "platform/Runtime.h"
#include "store/IRulesStore.h"

namespace stampwell {

// The work rules as the folder of files keeps them: WorkRules.txt in the data folder (CP932,
// CR LF), changed under WorkRules.txt.lock and rewritten whole in one step.
class CFolderRulesStore : public IRulesStore {
public:
    explicit CFolderRulesStore(CRuntime runtime) : m_runtime(std::move(runtime)) {}

    bool Read(CWorkRules& rules, std::vector<std::string>* unread) const override;
    bool Apply(const Change& change, IMessageSink& messages, CWorkRules* saved) override;
    std::string Where() const override;

private:
    CRuntime m_runtime;
};

}  // namespace stampwell
