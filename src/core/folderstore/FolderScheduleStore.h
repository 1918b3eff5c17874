#pragma once

#include <filesystem>

#include "platform/Runtime.h"
#include "store/IScheduleStore.h"

namespace stampwell {

// The clerk's calendar as the folder of files keeps it: Schedule.txt beside the register
// (CP932, CR LF), changed under Schedule.txt.lock and rewritten whole in one step.
class CFolderScheduleStore : public IScheduleStore {
public:
    CFolderScheduleStore(CRuntime runtime, std::filesystem::path registerPath)
        : m_runtime(std::move(runtime)), m_registerPath(std::move(registerPath)) {}

    bool Read(CScheduleBook& book, std::string* refusal) const override;
    bool Apply(const Change& change, IMessageSink& messages) override;

    std::filesystem::path FilePath() const;

private:
    CRuntime m_runtime;
    std::filesystem::path m_registerPath;
};

}  // namespace stampwell
