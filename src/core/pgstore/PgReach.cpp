#include "pgstore/PgReach.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

namespace stampwell {

namespace {

std::filesystem::path MarkOf(const std::filesystem::path& dataDir) {
    return dataDir / "DatabaseWaiting.dat.away";
}

}  // namespace

bool CPgReach::RecentlyAway(const std::filesystem::path& dataDir) {
    struct stat status {};
    if (::stat(MarkOf(dataDir).c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    const std::time_t now = std::time(nullptr);
    return now >= status.st_mtime && now - status.st_mtime < kRetrySeconds;
}

void CPgReach::NoteAway(const std::filesystem::path& dataDir) {
    // Its time is the note: made or touched, nothing written in it.
    const int fd =
        ::open(MarkOf(dataDir).c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return;
    ::futimens(fd, nullptr);
    ::close(fd);
}

void CPgReach::NoteBack(const std::filesystem::path& dataDir) {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(MarkOf(dataDir), ignored))
        std::filesystem::remove(MarkOf(dataDir), ignored);
}

}  // namespace stampwell
