#pragma once

#include <memory>
#include <string>

#include "store/IScheduleStore.h"

namespace stampwell {

class IFileWork;

// A change of the clerk's calendar as a screen makes it: stored as file work (off the window's
// thread), its refusal kept for the window to say.
class CScheduleStoreChange {
public:
    enum class EOutcome { kStored, kRefused, kNoAnswer };
    // work may be null (the change is then stored at once). refusal receives why it was not
    // stored (Japanese).
    static EOutcome Apply(std::shared_ptr<IScheduleStore> store, IFileWork* work,
                          const IScheduleStore::Change& change, std::string& refusal);
};

}  // namespace stampwell
