#pragma once

#include <filesystem>

namespace stampwell {

// An exclusive advisory lock (flock) on a lock file, held for the object's lifetime. Several
// time clocks sharing one work file in a network folder serialise their writes through it.
class CFileLock {
public:
    explicit CFileLock(const std::filesystem::path& lockPath);
    ~CFileLock();
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

    // False when the lock file could not be opened; the caller goes on unlocked (a read-only
    // folder must not stop a read).
    bool IsHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

}  // namespace stampwell
