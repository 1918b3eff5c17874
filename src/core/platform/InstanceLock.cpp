#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace stampwell {

CInstanceLock::CInstanceLock(const std::string& name, const std::filesystem::path& dataDir) {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    std::filesystem::path folder = runtimeDir != nullptr && *runtimeDir != '\0'
                                       ? std::filesystem::path(runtimeDir)
                                       : std::filesystem::temp_directory_path();
    std::error_code error;
    auto canonical = std::filesystem::weakly_canonical(dataDir, error);
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, "-%u-%016zx.lock", static_cast<unsigned>(::getuid()),
                  std::hash<std::string>{}((error ? dataDir : canonical).string()));
    m_path = folder / (name + suffix);
}

CInstanceLock::~CInstanceLock() {
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
    }
}

bool CInstanceLock::TryAcquire() {
    if (m_fd >= 0) return true;
    int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

}  // namespace stampwell
