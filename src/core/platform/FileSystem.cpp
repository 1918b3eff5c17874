#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <optional>
#include <random>
#include <system_error>

namespace stampwell {

namespace fs = std::filesystem;

namespace {

// Closes fd and fails with error, keeping errno for the caller.
CFileDescriptor Fail(CFileDescriptor& fd, int error) {
    fd.Close();
    errno = error;
    return {};
}

// A scratch file of its own: O_EXCL under a name no other writer uses.
CFileDescriptor CreateUniqueScratch(const fs::path& target, std::string_view scratchName,
                                    mode_t mode, fs::path& scratch) {
    static std::atomic<unsigned> counter{0};
    static thread_local std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name(scratchName);
        name += "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + "." +
                std::to_string(random() % 100000);
        scratch = CFileSystem::ScratchPath(target, name);
        CFileDescriptor fd(
            ::open(scratch.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
        if (fd || errno != EEXIST) return fd;
    }
    return {};
}

// bytes, synced, in a new scratch file beside target, with exactly the mode kept when given;
// its path, or empty (nothing left behind, errno kept) when it could not be written whole.
fs::path WriteScratchFile(const fs::path& target, std::string_view scratchName,
                          std::string_view bytes, mode_t created, std::optional<mode_t> kept) {
    fs::path scratch;
    CFileDescriptor fd = CreateUniqueScratch(target, scratchName, created, scratch);
    if (!fd) return {};
    bool ok = !kept || ::fchmod(fd.Get(), *kept) == 0;
    ok = ok && CFileSystem::WriteAll(fd.Get(), bytes) && ::fsync(fd.Get()) == 0;
    const int error = errno;
    ok = fd.Close() && ok;
    if (!ok) {
        ::unlink(scratch.c_str());
        errno = error;
        return {};
    }
    return scratch;
}

// Where the last whole line of the file ends (0 when there is none).
bool FindLastLineEnd(int fd, off_t size, off_t& end) {
    char buffer[4096];
    off_t to = size;
    while (to > 0) {
        const off_t from = to > static_cast<off_t>(sizeof buffer) ? to - sizeof buffer : 0;
        const auto length = static_cast<std::size_t>(to - from);
        if (!CFileSystem::ReadAt(fd, static_cast<std::uint64_t>(from), buffer, length)) {
            return false;
        }
        for (std::size_t i = length; i > 0; --i) {
            if (buffer[i - 1] == '\n') {
                end = from + static_cast<off_t>(i);
                return true;
            }
        }
        to = from;
    }
    end = 0;
    return true;
}

// Everything from the descriptor's position to the end.
std::optional<std::string> ReadAll(int fd) {
    std::string content;
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    return content;
}
}  // namespace

CFileDescriptor CFileSystem::Open(const fs::path& path, int flags, mode_t mode) {
    int extra = O_CLOEXEC | O_NONBLOCK;
    if ((flags & O_ACCMODE) != O_RDONLY) extra |= O_NOFOLLOW;
    const bool truncate = (flags & O_TRUNC) != 0;
    CFileDescriptor fd(::open(path.c_str(), (flags & ~O_TRUNC) | extra, mode));
    if (!fd) return fd;
    struct stat status {};
    if (::fstat(fd.Get(), &status) != 0) return Fail(fd, errno);
    if (!S_ISREG(status.st_mode)) return Fail(fd, S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
    const int current = ::fcntl(fd.Get(), F_GETFL);
    if (current < 0 || ::fcntl(fd.Get(), F_SETFL, current & ~O_NONBLOCK) != 0) {
        return Fail(fd, errno);
    }
    if (truncate && ::ftruncate(fd.Get(), 0) != 0) return Fail(fd, errno);
    return fd;
}

bool CFileSystem::IsForeign(const fs::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) return false;
    return !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

bool CFileSystem::IsShareGone(int error) {
    switch (error) {
        case ENOTCONN:
        case EIO:
        case ESTALE:
        case EHOSTDOWN:
        case EHOSTUNREACH:
        case ENETDOWN:
        case ENETUNREACH:
        case ECONNABORTED:
        case ECONNRESET:
        case ECONNREFUSED:
        case ETIMEDOUT:
        case ENODEV:
            return true;
        default:
            return false;
    }
}

bool CFileSystem::IsNoSpace(int error) {
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

bool CFileSystem::WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return false;
        if (written == 0) {
            errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool CFileSystem::ReadAt(int fd, std::uint64_t offset, char* buffer, std::size_t size) {
    while (size > 0) {
        ssize_t got = ::pread(fd, buffer, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        buffer += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

bool CFileSystem::SyncStream(std::FILE* file) {
    if (file == nullptr) return false;
    if (std::fflush(file) != 0) return false;
    return ::fsync(::fileno(file)) == 0;
}

bool CFileSystem::SyncDirectory(const fs::path& folder) {
    fs::path dir = folder.empty() ? fs::path(".") : folder;
    CFileDescriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) return false;
    return ::fsync(fd.Get()) == 0;
}

bool CFileSystem::ReplaceFile(const fs::path& scratch, const fs::path& target) {
    if (::rename(scratch.c_str(), target.c_str()) != 0) return false;
    SyncDirectory(target.parent_path());
    return true;
}

fs::path CFileSystem::ScratchPath(const fs::path& target, std::string_view scratchName) {
    return target.parent_path() / fs::path(std::string(scratchName));
}

void CFileSystem::RemoveLeftoverScratch(const fs::path& target, std::string_view scratchName) {
    const fs::path folder = ScratchPath(target, scratchName).parent_path();
    const std::string prefix = std::string(scratchName) + ".";
    std::error_code error;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error), end;
         !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        struct stat status {};
        if (name.rfind(prefix, 0) == 0 && ::lstat(it->path().c_str(), &status) == 0 &&
            S_ISREG(status.st_mode)) {
            ::unlink(it->path().c_str());
        }
    }
}

fs::path CFileSystem::WriteScratch(const fs::path& target, std::string_view scratchName,
                                   std::string_view bytes) {
    return WriteScratchFile(target, scratchName, bytes, 0666, std::nullopt);
}

bool CFileSystem::WriteWholeFile(const fs::path& target, std::string_view scratchName,
                                 std::string_view bytes, EAccess access) {
    struct stat old {};
    const bool exists = ::lstat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        // A link, FIFO or device planted under the name is never replaced nor followed.
        errno = S_ISLNK(old.st_mode) ? ELOOP : EINVAL;
        return false;
    }
    const bool replacing = exists;
    const bool ownerOnly = access == EAccess::kOwnerOnly;
    // The scratch file is as private as the result from its first byte on.
    const mode_t created = ownerOnly ? 0600 : (replacing ? old.st_mode & 0777 : 0666);
    std::optional<mode_t> kept;
    if (replacing) kept = ownerOnly ? old.st_mode & 0700 : old.st_mode & 07777;
    const fs::path scratch = WriteScratchFile(target, scratchName, bytes, created, kept);
    if (scratch.empty()) return false;
    if (!ReplaceFile(scratch, target)) {
        const int error = errno;
        ::unlink(scratch.c_str());
        errno = error;
        return false;
    }
    return true;
}

bool CFileSystem::AppendWhole(const fs::path& path, std::string_view bytes, std::size_t unit,
                              std::string_view header, bool* cut, std::uint64_t* at) {
    if (cut != nullptr) *cut = false;
    CFileDescriptor fd = Open(path, O_RDWR | O_APPEND | O_CREAT);
    if (!fd) return false;
    struct stat status {};
    if (::fstat(fd.Get(), &status) != 0) return false;
    const off_t size = status.st_size;
    off_t keep = size;
    if (unit > 0) {
        keep = size - size % static_cast<off_t>(unit);
    } else if (size > 0 && !FindLastLineEnd(fd.Get(), size, keep)) {
        return false;
    }
    if (keep != size) {
        // An append cut short by a crash: the next piece must not be glued onto it.
        if (::ftruncate(fd.Get(), keep) != 0 || ::fsync(fd.Get()) != 0) return false;
        if (cut != nullptr) *cut = true;
    }
    std::string piece;
    if (keep == 0) piece = header;
    if (at != nullptr) *at = static_cast<std::uint64_t>(keep) + piece.size();
    piece += bytes;
    if (!WriteAll(fd.Get(), piece) || ::fsync(fd.Get()) != 0) {
        const int error = errno;
        // Take back what got through: the file holds all of the piece or none of it.
        if (::ftruncate(fd.Get(), keep) == 0) ::fsync(fd.Get());
        errno = error;
        return false;
    }
    return fd.Close();
}

bool CFileSystem::CanCreateBeside(const fs::path& target) {
    fs::path scratch;
    CFileDescriptor fd = CreateUniqueScratch(target, ".probe", 0600, scratch);
    if (!fd) return false;
    fd.Close();
    ::unlink(scratch.c_str());
    return true;
}

std::optional<std::string> CFileSystem::ReadWholeFile(const fs::path& path) {
    CFileDescriptor fd = Open(path, O_RDONLY);
    if (!fd) return std::nullopt;
    return ReadAll(fd.Get());
}

std::optional<std::string> CFileSystem::ReadWholeFileInFolder(const fs::path& path, bool& absent) {
    absent = false;
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    CFileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir) return std::nullopt;
    CFileDescriptor fd(
        ::openat(dir.Get(), path.filename().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        if (errno != ENOENT) return std::nullopt;
        absent = true;  // that very folder has no such file
        return std::string{};
    }
    struct stat status {};
    if (::fstat(fd.Get(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    return ReadAll(fd.Get());
}

bool CFileSystem::SetReadOnly(const fs::path& path, bool readOnly) {
    CFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return false;
    struct stat status {};
    if (::fstat(fd.Get(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    mode_t mode = status.st_mode & 07777;
    mode = readOnly ? mode & ~mode_t(0222) : mode | S_IWUSR;
    return ::fchmod(fd.Get(), mode) == 0;
}

bool CFileSystem::IsReadOnly(const fs::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    return (status.st_mode & S_IWUSR) == 0;
}

bool CFileSystem::Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

fs::path CFileSystem::Resolve(const fs::path& path) {
    std::error_code error;
    fs::path current = fs::absolute(path, error);
    if (error) current = path;
    // A link is followed also when what it names does not exist yet (a file it would create).
    for (int hops = 0; hops < 40; ++hops) {
        fs::path parent = fs::weakly_canonical(current.parent_path(), error);
        if (error) parent = current.parent_path();
        const fs::path full = parent / current.filename();
        if (!fs::is_symlink(full, error)) return full.lexically_normal();
        const fs::path target = fs::read_symlink(full, error);
        if (error) return full.lexically_normal();
        current = target.is_absolute() ? target : parent / target;
    }
    return current.lexically_normal();
}

void CFileSystem::IgnoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace stampwell
