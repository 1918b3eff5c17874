#pragma once

#include <chrono>
#include <filesystem>

namespace stampwell {

// An exclusive advisory lock (flock) on a lock file, held for the object's lifetime. Several
// time clocks sharing one work file in a network folder serialise their writes through it. A
// clock that stops while holding it (a suspended process, a hung share) is waited for at most
// `wait`, never without end. Only a folder that cannot be written at all goes on without a
// lock; anything else that keeps the lock from being taken refuses the change.
class CFileLock {
public:
    enum class EState {
        kHeld,
        kUnavailable,  // no lock file and none can be made: a read-only folder, go on unlocked
        kMissing,      // its folder is not there (a network folder that went away)
        kForeign,      // a link, FIFO, folder or device sits where the lock file belongs
        kTimedOut,     // another program held the lock for longer than the wait
        kFailed        // the file system refused the lock itself (no locking, an I/O error)
    };
    static constexpr std::chrono::milliseconds kDefaultWait{10000};

    explicit CFileLock(const std::filesystem::path& lockPath,
                       std::chrono::milliseconds wait = kDefaultWait);
    ~CFileLock();
    CFileLock(CFileLock&& other) noexcept;
    CFileLock& operator=(CFileLock&&) = delete;
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

    bool IsHeld() const { return m_state == EState::kHeld; }
    EState State() const { return m_state; }
    const std::filesystem::path& Path() const { return m_path; }
    // Whether a change may go on: held, or no lock can exist in this folder at all.
    bool AllowsChange() const {
        return m_state == EState::kHeld || m_state == EState::kUnavailable;
    }
    // Whether the state refuses the change (as opposed to a missing folder, which the caller
    // handles as away).
    static bool IsRefusal(EState state) {
        return state == EState::kForeign || state == EState::kTimedOut || state == EState::kFailed;
    }

private:
    std::filesystem::path m_path;
    int m_fd = -1;
    EState m_state = EState::kUnavailable;
};

}  // namespace stampwell
