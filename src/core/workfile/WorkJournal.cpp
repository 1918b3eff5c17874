#include "workfile/WorkJournal.h"

#include <fcntl.h>
#include <nettle/sha2.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/FileSystem.h"
#include "workfile/WorkGeneration.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {
constexpr std::string_view kMagic = "stampwell-journal 1\n";

std::string Digest(std::string_view bytes) {
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
    std::uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&context, sizeof digest, digest);
    static const char* digits = "0123456789abcdef";
    std::string hex;
    for (std::uint8_t c : digest) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

// fixed: numbers of 20 digits, so that a journal written ahead can take more bytes under the
// lock with a header of the same length (readers take the leading zeros as they are).
std::string Header(std::uint64_t offset, std::uint64_t newSize, std::string_view bytes,
                   std::uint64_t oldSize, std::string_view old, bool fixed = false) {
    char numbers[128];
    std::snprintf(numbers, sizeof numbers, fixed ? "%020llu %020llu %020llu " : "%llu %llu %llu ",
                  static_cast<unsigned long long>(offset), static_cast<unsigned long long>(newSize),
                  static_cast<unsigned long long>(bytes.size()));
    char oldNumber[32];
    std::snprintf(oldNumber, sizeof oldNumber, fixed ? "%020llu" : "%llu",
                  static_cast<unsigned long long>(oldSize));
    return std::string(kMagic) + numbers + Digest(bytes) + " " + oldNumber + " " + Digest(old) +
           "\n";
}
}  // namespace

CWorkJournal::CWorkJournal(fs::path work) : m_work(std::move(work)) {}

fs::path CWorkJournal::FilePath() const {
    fs::path path = m_work;
    path += ".journal";
    return path;
}

bool CWorkJournal::IsForeign() const {
    struct stat status {};
    return ::lstat(FilePath().c_str(), &status) == 0 && !S_ISREG(status.st_mode);
}

void CWorkJournal::Remove() const {
    ::unlink(FilePath().c_str());
    CFileSystem::SyncDirectory(FilePath().parent_path());
}

bool CWorkJournal::Apply(std::uint64_t offset, std::string_view bytes, std::uint64_t newSize,
                         const StepHook& step) {
    const CWorkGeneration::CChanging changing(m_work);
    CFileDescriptor fd = CFileSystem::Open(m_work, O_WRONLY);
    if (!fd) return false;
    const std::size_t half = bytes.size() / 2;
    auto put = [&](std::size_t from, std::size_t count) {
        std::size_t done = 0;
        while (done < count) {
            const ssize_t wrote = ::pwrite(fd.Get(), bytes.data() + from + done, count - done,
                                           static_cast<off_t>(offset + from + done));
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0) return false;
            done += static_cast<std::size_t>(wrote);
        }
        return true;
    };
    if (!put(0, half)) return false;
    if (step) step(EStep::kHalfWritten);
    if (!put(half, bytes.size() - half)) return false;
    struct stat status {};
    if (::fstat(fd.Get(), &status) != 0) return false;
    if (static_cast<std::uint64_t>(status.st_size) != newSize &&
        ::ftruncate(fd.Get(), static_cast<off_t>(newSize)) != 0) {
        return false;
    }
    return ::fsync(fd.Get()) == 0 && fd.Close();
}

bool CWorkJournal::HoldsOld(std::uint64_t offset, std::uint64_t oldSize,
                            const std::string& digest) const {
    CFileDescriptor fd = CFileSystem::Open(m_work, O_RDONLY);
    struct stat status {};
    if (!fd || ::fstat(fd.Get(), &status) != 0 ||
        static_cast<std::uint64_t>(status.st_size) != oldSize || offset > oldSize) {
        return false;
    }
    std::string old(static_cast<std::size_t>(oldSize - offset), '\0');
    return (old.empty() || CFileSystem::ReadAt(fd.Get(), offset, old.data(), old.size())) &&
           Digest(old) == digest;
}

bool CWorkJournal::Rewrite(std::uint64_t offset, std::string_view bytes, std::uint64_t newSize,
                           std::string_view old, const StepHook& step) {
    if (offset + bytes.size() > newSize || IsForeign()) {
        errno = EINVAL;
        return false;
    }
    const std::uint64_t oldSize = offset + old.size();
    std::string journal = Header(offset, newSize, bytes, oldSize, old);
    journal.append(bytes);
    // The journal appears whole or not at all (a scratch file renamed over it).
    if (!CFileSystem::WriteWholeFile(FilePath(), FilePath().filename().string() + ".tmp",
                                     journal)) {
        return false;
    }
    return CarryOut(offset, bytes, newSize, old, step);
}

bool CWorkJournal::CarryOut(std::uint64_t offset, std::string_view bytes, std::uint64_t newSize,
                            std::string_view old, const StepHook& step) {
    const std::uint64_t oldSize = offset + old.size();
    if (step) step(EStep::kJournalWritten);
    if (Apply(offset, bytes, newSize, step)) {
        if (step) step(EStep::kWritten);
        Remove();
        return true;
    }
    // Taken back (the old bytes need no new space); the journal then goes, and one left behind
    // by a folder that went away finds the old bytes and goes too.
    const int error = errno;
    if (Apply(offset, old, oldSize, {})) {
        Remove();
        errno = error;
        return false;
    }
    // Neither way: the journal finishes it when it can, now or for the next lock holder. Saved
    // only when it was written now; a folder that is away keeps the old bytes for now.
    if (Finish() == EFinished::kWritten) return true;
    errno = error;
    return false;
}

CWorkJournal::CAhead::CAhead(CAhead&& other) noexcept
    : m_path(std::exchange(other.m_path, {})), m_extent(other.m_extent) {}

CWorkJournal::CAhead& CWorkJournal::CAhead::operator=(CAhead&& other) noexcept {
    if (this != &other) {
        if (!m_path.empty()) ::unlink(m_path.c_str());
        m_path = std::exchange(other.m_path, {});
        m_extent = other.m_extent;
    }
    return *this;
}

CWorkJournal::CAhead::~CAhead() {
    if (!m_path.empty()) ::unlink(m_path.c_str());
}

void CWorkJournal::RemoveStaleAhead() const {
    // Only old ones: a younger one may belong to a save on another PC about to take the lock.
    const std::string prefix = FilePath().filename().string() + ".ahead.";
    const auto before = std::chrono::system_clock::now() - kAheadKept;
    std::error_code error;
    const fs::path folder =
        FilePath().parent_path().empty() ? fs::path(".") : FilePath().parent_path();
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        struct stat status {};
        if (it->path().filename().string().rfind(prefix, 0) == 0 &&
            ::lstat(it->path().c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            std::chrono::system_clock::from_time_t(status.st_mtime) < before) {
            ::unlink(it->path().c_str());
        }
    }
}

std::optional<CWorkJournal::CAhead> CWorkJournal::WriteAhead(std::uint64_t offset,
                                                             std::string_view bytes,
                                                             std::uint64_t newSize,
                                                             std::string_view old) const {
    if (offset + bytes.size() > newSize || IsForeign()) return std::nullopt;
    RemoveStaleAhead();
    const std::uint64_t oldSize = offset + old.size();
    std::string journal = Header(offset, newSize, bytes, oldSize, old, true);
    journal.append(bytes);
    CAhead ahead;
    ahead.m_path =
        CFileSystem::WriteScratch(FilePath(), FilePath().filename().string() + ".ahead", journal);
    if (ahead.m_path.empty()) return std::nullopt;
    ahead.m_extent = {offset, journal.size() - bytes.size(), bytes.size(), newSize, oldSize};
    return ahead;
}

bool CWorkJournal::Extend(CAhead& ahead, std::uint64_t offset, std::string_view bytes,
                          std::uint64_t newSize, std::string_view old) const {
    if (ahead.m_path.empty() || ahead.m_extent.offset != offset ||
        bytes.size() < ahead.m_extent.size) {
        return false;
    }
    CFileDescriptor fd = CFileSystem::Open(ahead.m_path, O_WRONLY);
    if (!fd) return false;
    const std::string header = Header(offset, newSize, bytes, offset + old.size(), old, true);
    const std::string_view added = bytes.substr(static_cast<std::size_t>(ahead.m_extent.size));
    // The part written ahead stays; what follows it goes after it, then the header over the
    // old one (of the same length): the file becomes the journal only when renamed.
    const auto put = [&](std::string_view part, std::uint64_t at) {
        return part.empty() ||
               ::pwrite(fd.Get(), part.data(), part.size(), static_cast<off_t>(at)) ==
                   static_cast<ssize_t>(part.size());
    };
    if (header.size() != ahead.m_extent.headerSize ||
        !put(added, header.size() + ahead.m_extent.size) || !put(header, 0) ||
        ::fsync(fd.Get()) != 0 || !fd.Close()) {
        ahead = CAhead{};  // no longer whole: it goes
        return false;
    }
    ahead.m_extent = {offset, header.size(), bytes.size(), newSize, offset + old.size()};
    return true;
}

bool CWorkJournal::Rewrite(CAhead& ahead, std::uint64_t offset, std::string_view bytes,
                           std::uint64_t newSize, std::string_view old, const StepHook& step) {
    struct stat status {};
    const bool fits = !ahead.m_path.empty() && ahead.m_extent.offset == offset &&
                      ahead.m_extent.size == bytes.size() && ahead.m_extent.newSize == newSize &&
                      ahead.m_extent.oldSize == offset + old.size();
    // Never over a journal nor anything else at its name (a journal found is settled as the
    // lock is taken; one still there is refused as ever by the rewrite below).
    if (!fits || ::lstat(FilePath().c_str(), &status) == 0 ||
        !CFileSystem::ReplaceFile(ahead.m_path, FilePath())) {
        return Rewrite(offset, bytes, newSize, old, step);
    }
    ahead.m_path.clear();
    return CarryOut(offset, bytes, newSize, old, step);
}

bool CWorkJournal::Settle() {
    const EFinished finished = Finish();
    return finished != EFinished::kFailed;
}

CWorkJournal::EFinished CWorkJournal::Finish() {
    if (IsForeign()) return EFinished::kNone;  // never ours; a save refuses to write beside it
    bool absent = false;
    auto content = CFileSystem::ReadWholeFileInFolder(FilePath(), absent);
    if (!content) {
        if (absent) return EFinished::kNone;
        // A folder that is away holds nothing to finish now: the operation goes to the
        // temporary file as always, and whoever reaches the folder next finishes the journal.
        return errno == ENOENT || CFileSystem::IsShareGone(errno) ? EFinished::kAway
                                                                  : EFinished::kFailed;
    }
    const std::string_view text(*content);
    unsigned long long offset = 0, newSize = 0, oldSize = 0;
    std::size_t length = 0;
    char digest[65] = {}, oldDigest[65] = {};
    const std::size_t headerEnd = text.find('\n', kMagic.size());
    const bool parsed =
        text.starts_with(kMagic) && headerEnd != std::string_view::npos &&
        std::sscanf(std::string(text.substr(kMagic.size(), headerEnd - kMagic.size())).c_str(),
                    "%llu %llu %zu %64s %llu %64s", &offset, &newSize, &length, digest, &oldSize,
                    oldDigest) == 6;
    const std::string_view bytes = parsed ? text.substr(headerEnd + 1) : std::string_view{};
    if (!parsed || bytes.size() != length || Digest(bytes) != digest || offset + length > newSize) {
        // Killed while the journal itself was written: the work file was never touched.
        Remove();
        return EFinished::kDropped;
    }
    if (HoldsOld(offset, oldSize, oldDigest)) {
        Remove();
        return EFinished::kDropped;
    }
    if (!Apply(offset, bytes, newSize, {})) return EFinished::kFailed;
    Remove();
    return EFinished::kWritten;
}

}  // namespace stampwell
