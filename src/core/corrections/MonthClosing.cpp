#include "corrections/MonthClosing.h"

#include <utility>
#include <vector>

#include "platform/IFileWork.h"
#include "platform/IPrompt.h"
#include "reporting/PeriodReport.h"
#include "schedule/ScheduleChange.h"
#include "store/IWorkStore.h"
#include "store/ScheduleStoreChange.h"

namespace stampwell {

namespace {
bool Run(IFileWork* work, std::function<void()> job) {
    if (work == nullptr) {
        job();
        return true;
    }
    return work->Run(std::move(job));
}
}  // namespace

CMonthClosing::EOutcome CMonthClosing::Store(IFileWork* work,
                                             const IScheduleStore::Change& change) {
    std::string refusal;
    switch (CScheduleStoreChange::Apply(m_store, work, change, refusal)) {
        case CScheduleStoreChange::EOutcome::kStored:
            return EOutcome::kStored;
        case CScheduleStoreChange::EOutcome::kNoAnswer:
            return EOutcome::kNoAnswer;
        case CScheduleStoreChange::EOutcome::kRefused:
            break;
    }
    m_prompt.ShowMessage(refusal, EMessageIcon::None);
    return EOutcome::kRefused;
}

CMonthClosing::EOutcome CMonthClosing::Close(IWorkStore& report, IFileWork* work,
                                             const Period& period, const CWorkRules& rules,
                                             const std::string& when, const std::string& admin) {
    // The print of the period's records, so that one reaching it later is noticed.
    using Prints = std::vector<std::pair<std::string, std::string>>;
    auto prints = std::make_shared<std::pair<Prints, bool>>();
    std::shared_ptr<IWorkStore> twin = report.Twin();
    if (!Run(work, [prints, twin, period] {
            prints->second = CPeriodReport::Prints(*twin, period.year, period.month, period.closing,
                                                   prints->first);
        })) {
        return EOutcome::kNoAnswer;
    }
    if (!prints->second) {
        m_prompt.ShowMessage("勤務ファイルを最後まで読めないため、締めていません。",
                             EMessageIcon::None);
        return EOutcome::kRefused;
    }
    return Store(work, [=](CScheduleBook& book) {
        return CScheduleChange::Close(book, period.year, period.month, period.closing, rules, when,
                                      admin, prints->first);
    });
}

CMonthClosing::EOutcome CMonthClosing::Reopen(IFileWork* work, const Period& period,
                                              const std::string& when, const std::string& admin,
                                              const std::string& reason) {
    return Store(work, [=](CScheduleBook& book) {
        return CScheduleChange::Reopen(book, period.year, period.month, period.closing, when, admin,
                                       reason);
    });
}

}  // namespace stampwell
