#pragma once

#include <string>

#include "pgstore/PgLineBook.h"
#include "store/IRulesStore.h"

namespace stampwell {

// The work rules as the company database keeps them: the lines of the rules' file in
// stampwell.work_rules, changed in one transaction.
class CPgRulesStore : public IRulesStore {
public:
    CPgRulesStore(std::string conninfo, std::chrono::milliseconds wait)
        : m_book(conninfo, "stampwell.work_rules", wait), m_conninfo(std::move(conninfo)) {}

    bool Read(CWorkRules& rules, std::vector<std::string>* unread) const override;
    bool Apply(const Change& change, IMessageSink& messages, CWorkRules* saved) override;
    std::string Where() const override;

private:
    CPgLineBook m_book;
    std::string m_conninfo;
};

}  // namespace stampwell
