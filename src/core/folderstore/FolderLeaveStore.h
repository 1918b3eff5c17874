#pragma once

#include <filesystem>
#include <memory>

#include "platform/Runtime.h"
#include "store/ILeaveStore.h"

namespace stampwell {

class ISettings;

// The leave book as the folder of files keeps it: PaidLeave.txt beside the register (CP932,
// CR LF), changed under PaidLeave.txt.lock and rewritten whole in one step.
class CFolderLeaveStore : public ILeaveStore {
public:
    CFolderLeaveStore(CRuntime runtime, std::filesystem::path registerPath);

    bool Read(CLeaveBook& book, std::string* refusal) const override;
    bool Apply(const Change& change, IMessageSink& messages) override;

    std::filesystem::path FilePath() const;

private:
    CRuntime m_runtime;
    std::filesystem::path m_registerPath;
};

}  // namespace stampwell
