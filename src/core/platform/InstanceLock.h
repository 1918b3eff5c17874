#pragma once

#include <filesystem>
#include <string>

namespace stampwell {

// The single-instance guard: an exclusive lock named after `name`, per user and data folder,
// taken without waiting and held for the object's lifetime.
class CInstanceLock {
public:
    CInstanceLock(const std::string& name, const std::filesystem::path& dataDir);
    ~CInstanceLock();
    CInstanceLock(const CInstanceLock&) = delete;
    CInstanceLock& operator=(const CInstanceLock&) = delete;

    // False when another running copy holds it.
    bool TryAcquire();
    const std::filesystem::path& LockPath() const { return m_path; }

private:
    std::filesystem::path m_path;
    int m_fd = -1;
};

}  // namespace stampwell
