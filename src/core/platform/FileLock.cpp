#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <utility>

#include "platform/FileSystem.h"

namespace stampwell {

namespace {
constexpr int kOpenFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;

CFileLock::EState StateOfOpenError(int error) {
    switch (error) {
        case ENOENT:
            return CFileLock::EState::kMissing;
        case ELOOP:    // a symbolic link
        case EISDIR:   // a folder
        case ENXIO:    // a socket or a FIFO without a reader
        case ENOTDIR:  // a file where a folder of the path belongs
        case ETXTBSY:
            return CFileLock::EState::kForeign;
        default:
            // A share whose server went is away, as a missing folder is: the tap then goes to
            // the temporary file instead of being refused.
            return CFileSystem::IsShareGone(error) ? CFileLock::EState::kMissing
                                                   : CFileLock::EState::kFailed;
    }
}
}  // namespace

CFileLock::CFileLock(const std::filesystem::path& lockPath, std::chrono::milliseconds wait)
    : m_path(lockPath) {
    m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | kOpenFlags, 0666);
    if (m_fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        // A lock file this user may not write still locks: flock needs only read access. Where
        // there is none and none can be made, the folder is read-only for us: nothing can be
        // changed there without a lock of ours mattering less than the folder's own protection.
        m_fd = ::open(lockPath.c_str(), O_RDONLY | kOpenFlags);
        if (m_fd < 0 && errno == ENOENT) {
            m_state = EState::kUnavailable;
            return;
        }
    }
    if (m_fd < 0) {
        m_state = StateOfOpenError(errno);
        return;
    }
    struct stat status {};
    const bool statFailed = ::fstat(m_fd, &status) != 0;
    if (statFailed || !S_ISREG(status.st_mode)) {
        const bool gone = statFailed && CFileSystem::IsShareGone(errno);
        ::close(m_fd);
        m_fd = -1;
        m_state = gone ? EState::kMissing : EState::kForeign;
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
            m_state = EState::kHeld;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            m_state = CFileSystem::IsShareGone(errno) ? EState::kMissing : EState::kFailed;
            break;
        }
        if (errno == EWOULDBLOCK && std::chrono::steady_clock::now() >= deadline) {
            m_state = EState::kTimedOut;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::close(m_fd);
    m_fd = -1;
}

CFileLock::CFileLock(CFileLock&& other) noexcept
    : m_path(std::move(other.m_path)),
      m_fd(std::exchange(other.m_fd, -1)),
      m_state(other.m_state) {}

CFileLock::~CFileLock() {
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
    }
}

}  // namespace stampwell
