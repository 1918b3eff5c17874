#pragma once

#include "store/IRulesStore.h"
#include "store/IScheduleStore.h"

namespace stampwell {

class IMessageSink;

// A change of the work rules as every screen and command makes it: it takes effect from a date
// (a date number). The rules as stored before it are kept in the calendar under the rules' lock
// with the change, so that the pay periods ending before that date keep the figures they had;
// when they cannot be kept, nothing changes.
class CRulesStoreChange {
public:
    // False after the message; then the stored rules are as they were.
    static bool Apply(IRulesStore& rules, IScheduleStore& schedule, int from,
                      const IRulesStore::Change& change, IMessageSink& messages,
                      CWorkRules* saved = nullptr);
};

}  // namespace stampwell
