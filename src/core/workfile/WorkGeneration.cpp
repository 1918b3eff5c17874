#include "workfile/WorkGeneration.h"

#include <fcntl.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <random>
#include <string>

#include "platform/FileSystem.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {
constexpr char kFormat[] = "stampwell-rewrites %016" PRIx64 " %020" PRIu64 "\n";
constexpr std::size_t kLength = 19 + 16 + 1 + 20 + 1;

fs::path LockOf(const fs::path& work) {
    fs::path lock = work;
    lock += ".lock";
    return lock;
}

// The lock file open as it is locked: never followed through a link nor made here.
CFileDescriptor OpenLock(const fs::path& lock, int access) {
    return CFileSystem::Open(lock, access | O_NOFOLLOW);
}

// Whatever stamp the file holds, odd or even.
std::optional<CWorkGeneration::Stamp> ReadStamp(int fd) {
    char text[kLength + 1] = {};
    const ssize_t got = ::pread(fd, text, kLength, 0);
    if (got != static_cast<ssize_t>(kLength)) return std::nullopt;
    CWorkGeneration::Stamp stamp;
    char end = 0;
    if (std::sscanf(text, "stampwell-rewrites %16" SCNx64 " %20" SCNu64 "%c", &stamp.epoch,
                    &stamp.count, &end) != 3 ||
        end != '\n' || stamp.epoch == 0) {
        return std::nullopt;
    }
    return stamp;
}

std::uint64_t NewEpoch() {
    std::random_device random;
    std::uint64_t epoch = 0;
    while (epoch == 0) epoch = (std::uint64_t{random()} << 32) | random();
    return epoch;
}

bool WriteStamp(int fd, const CWorkGeneration::Stamp& stamp) {
    char text[kLength + 1];
    std::snprintf(text, sizeof text, kFormat, stamp.epoch, stamp.count);
    return ::pwrite(fd, text, kLength, 0) == static_cast<ssize_t>(kLength);
}
}  // namespace

CWorkGeneration::CWorkGeneration(fs::path work) : m_lock(LockOf(work)) {}

std::optional<CWorkGeneration::Stamp> CWorkGeneration::Read() const {
    CFileDescriptor fd = OpenLock(m_lock, O_RDONLY);
    if (!fd) return std::nullopt;
    auto stamp = ReadStamp(fd.Get());
    if (!stamp || stamp->count % 2 != 0) return std::nullopt;
    return stamp;
}

void CWorkGeneration::Start() const {
    CFileDescriptor fd = OpenLock(m_lock, O_RDWR);
    if (!fd || ReadStamp(fd.Get())) return;
    WriteStamp(fd.Get(), {NewEpoch(), 0});
}

CWorkGeneration::CChanging::CChanging(const fs::path& work) : m_lock(LockOf(work)) {
    CFileDescriptor fd = OpenLock(m_lock, O_RDWR);
    if (!fd) return;
    Stamp stamp;
    if (auto found = ReadStamp(fd.Get())) {
        stamp = *found;
    } else {
        stamp.epoch = NewEpoch();
    }
    // The next odd count: one a killed writer left odd is passed over.
    stamp.count += stamp.count % 2 == 0 ? 1 : 2;
    // Closing the file carries the count to the share before the work file is touched.
    if (WriteStamp(fd.Get(), stamp) && fd.Close()) m_written = stamp;
}

CWorkGeneration::CChanging::~CChanging() {
    // A count that could not be made odd stays as it was: the change is then caught by the
    // work file's own size, time and last bytes, which a save checks as well.
    if (!m_written) return;
    CFileDescriptor fd = OpenLock(m_lock, O_RDWR);
    if (!fd) return;
    Stamp stamp = *m_written;
    ++stamp.count;
    WriteStamp(fd.Get(), stamp);
}

}  // namespace stampwell
