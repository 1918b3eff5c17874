#pragma once

#include <chrono>
#include <filesystem>
#include <memory>

#include "platform/FileLock.h"

namespace stampwell {

// The advisory locks of every work-file operation, always in this order: the data folder's
// "TemporaryRecord.dat.lock" (it guards the temporary file, which is written while the work
// folder is away and moved when it is back) and, while the work folder can be reached,
// "<work file>.lock". Nested operations of one object reuse the locks of the outermost.
class CWorkLocks {
public:
    CWorkLocks(std::filesystem::path dataLock, std::chrono::milliseconds wait);
    ~CWorkLocks();
    CWorkLocks(const CWorkLocks&) = delete;
    CWorkLocks& operator=(const CWorkLocks&) = delete;

    // Holds the locks from construction to destruction of the outermost scope.
    class CScope {
    public:
        CScope(CWorkLocks& locks, const std::filesystem::path& work);
        ~CScope();
        CScope(const CScope&) = delete;
        CScope& operator=(const CScope&) = delete;

    private:
        CWorkLocks& m_locks;
    };

    // Takes the work file's lock late, when its folder has come back during an operation (and
    // again when its folder went away just as it was taken).
    void TakeWorkLock(const std::filesystem::path& work);
    // Whether the work file may be used now: its lock is held (or no lock can be made in a
    // read-only folder). False when its folder went away as the lock was taken.
    bool HasWorkLock() const;
    // Whether the operation may change files: no lock timed out or was found planted.
    bool AllowsChange() const { return m_refusal == CFileLock::EState::kHeld; }
    // kHeld when nothing refused, else the state that did.
    CFileLock::EState Refusal() const { return m_refusal; }

private:
    void Note(const CFileLock& lock);

    std::filesystem::path m_dataLock;
    std::chrono::milliseconds m_wait;
    std::unique_ptr<CFileLock> m_data;
    std::unique_ptr<CFileLock> m_work;
    int m_depth = 0;
    CFileLock::EState m_refusal = CFileLock::EState::kHeld;
};

}  // namespace stampwell
