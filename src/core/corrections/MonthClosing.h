#pragma once

#include <memory>
#include <string>

#include "settings/WorkRules.h"
#include "store/IScheduleStore.h"

namespace stampwell {

class IFileWork;
class IPrompt;
class IWorkStore;

// Closing and reopening a pay period from a screen: the print of the period's records and the
// change of the calendar run as file work (off the window's thread), and a refusal is said
// through the prompt.
class CMonthClosing {
public:
    enum class EOutcome { kStored, kRefused, kNoAnswer };
    struct Period {
        int year = 0;
        int month = 0;
        int closing = 5;
    };

    CMonthClosing(std::shared_ptr<IScheduleStore> store, IPrompt& prompt)
        : m_store(std::move(store)), m_prompt(prompt) {}

    // work may be null (the jobs then run at once). when is "YYYY/MM/DD HH:MM".
    EOutcome Close(IWorkStore& report, IFileWork* work, const Period& period,
                   const CWorkRules& rules, const std::string& when, const std::string& admin);
    EOutcome Reopen(IFileWork* work, const Period& period, const std::string& when,
                    const std::string& admin, const std::string& reason);

private:
    EOutcome Store(IFileWork* work, const IScheduleStore::Change& change);

    std::shared_ptr<IScheduleStore> m_store;
    IPrompt& m_prompt;
};

}  // namespace stampwell
