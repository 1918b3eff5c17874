#include "store/ScheduleStoreChange.h"

#include "platform/IFileWork.h"
#include "platform/KeptMessage.h"

namespace stampwell {

CScheduleStoreChange::EOutcome CScheduleStoreChange::Apply(std::shared_ptr<IScheduleStore> store,
                                                           IFileWork* work,
                                                           const IScheduleStore::Change& change,
                                                           std::string& refusal) {
    struct Job {
        std::shared_ptr<IScheduleStore> store;
        CKeptMessage messages;
        bool stored = false;
    };
    auto job = std::make_shared<Job>();
    job->store = std::move(store);
    auto run = [job, change] { job->stored = job->store->Apply(change, job->messages); };
    if (work == nullptr) {
        run();
    } else if (!work->Run(run)) {
        return EOutcome::kNoAnswer;
    }
    if (job->stored) return EOutcome::kStored;
    refusal = job->messages.Said();
    return EOutcome::kRefused;
}

}  // namespace stampwell
