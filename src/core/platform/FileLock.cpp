#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <utility>

namespace stampwell {

CFileLock::CFileLock(const std::filesystem::path& lockPath, std::chrono::milliseconds wait) {
    m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (m_fd < 0) {
        m_state = errno == ELOOP    ? EState::kForeign
                  : errno == ENOENT ? EState::kMissing
                                    : EState::kUnavailable;
        return;
    }
    struct stat status {};
    if (::fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        m_state = EState::kForeign;
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
            m_state = EState::kHeld;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) break;
        if (errno == EWOULDBLOCK && std::chrono::steady_clock::now() >= deadline) {
            m_state = EState::kTimedOut;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::close(m_fd);
    m_fd = -1;
    if (m_state != EState::kTimedOut) m_state = EState::kUnavailable;
}

CFileLock::CFileLock(CFileLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_state(other.m_state) {}

CFileLock::~CFileLock() {
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
    }
}

}  // namespace stampwell
