#pragma once

#include <string>

#include "store/ILeaveStore.h"
#include "store/IScheduleStore.h"

namespace stampwell {

class IMessageSink;

// A change of the leave book as every store takes it: made over the book as stored, and refused
// unless every employee's ledger still adds up (no day without a balance).
class CLeaveStoreChange {
public:
    // False after the message; the stored book is then as it was. With schedule, a change of
    // a day taken or a grant withheld inside a closed pay period is refused.
    static bool Apply(ILeaveStore& store, const ILeaveStore::Change& change, IMessageSink& messages,
                      const IScheduleStore* schedule = nullptr);
    // Carries a rename of the register into the book when it holds the old name; true when
    // there was nothing to carry or it was carried, false after the message.
    static bool CarryRename(ILeaveStore& store, const std::string& from, const std::string& to,
                            IMessageSink& messages);
};

}  // namespace stampwell
