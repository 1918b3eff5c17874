#pragma once

#include <filesystem>

#include "platform/FileLock.h"
#include "platform/Runtime.h"

namespace stampwell {

// What a tap or a save of the work file says when it cannot write, by cause, each with an
// ErrorLog.txt line where something is wrong beyond a wrong path.
class CWorkMessages {
public:
    CWorkMessages(const CRuntime& runtime, int mode) : m_runtime(runtime), m_mode(mode) {}

    // The path message of the design (attendance or room wording).
    void ShowPathMessage() const;
    // A lock that another program held too long, or something planted as the lock file.
    void ShowLockRefusal(CFileLock::EState refusal) const;
    // A write that failed: a link or FIFO in the file's place, a full disk, or a wrong path.
    void ShowWriteFailure(const std::filesystem::path& path, int error) const;

private:
    const CRuntime& m_runtime;
    int m_mode;
};

}  // namespace stampwell
