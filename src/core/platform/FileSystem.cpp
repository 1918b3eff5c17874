#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <random>
#include <system_error>

#include "platform/FileHandle.h"

namespace stampwell {

namespace fs = std::filesystem;

bool CFileSystem::WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
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
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool CFileSystem::ReplaceFile(const fs::path& scratch, const fs::path& target) {
    std::error_code error;
    fs::rename(scratch, target, error);
    if (error) return false;
    SyncDirectory(target.parent_path());
    return true;
}

fs::path CFileSystem::ScratchPath(const fs::path& target, std::string_view scratchName) {
    return target.parent_path() / fs::path(std::string(scratchName));
}

namespace {

// A scratch file of its own: O_EXCL under a name no other writer uses.
int CreateUniqueScratch(const fs::path& target, std::string_view scratchName, fs::path& scratch) {
    static std::atomic<unsigned> counter{0};
    static thread_local std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name(scratchName);
        name += "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + "." +
                std::to_string(random() % 100000);
        scratch = CFileSystem::ScratchPath(target, name);
        int fd = ::open(scratch.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

bool CFileSystem::WriteWholeFile(const fs::path& target, std::string_view scratchName,
                                 std::string_view bytes) {
    fs::path scratch;
    int fd = CreateUniqueScratch(target, scratchName, scratch);
    if (fd < 0) return false;
    struct stat old {};
    bool ok = true;
    // A file holding a password stays as private as it was.
    if (::stat(target.c_str(), &old) == 0) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && CFileSystem::WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || !ReplaceFile(scratch, target)) {
        std::error_code ignored;
        fs::remove(scratch, ignored);
        return false;
    }
    return true;
}

bool CFileSystem::CanCreateBeside(const fs::path& target) {
    fs::path scratch;
    int fd = CreateUniqueScratch(target, ".probe", scratch);
    if (fd < 0) return false;
    ::close(fd);
    std::error_code ignored;
    fs::remove(scratch, ignored);
    return true;
}

std::optional<std::string> CFileSystem::ReadWholeFile(const fs::path& path) {
    FileHandle file = OpenFile(path, "rb");
    if (!file) return std::nullopt;
    std::string content;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        content.append(buffer, got);
    if (std::ferror(file.get())) return std::nullopt;
    return content;
}

bool CFileSystem::SetReadOnly(const fs::path& path, bool readOnly) {
    std::error_code error;
    if (readOnly) {
        fs::permissions(path,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove, error);
    } else {
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
    }
    return !error;
}

bool CFileSystem::IsReadOnly(const fs::path& path) {
    std::error_code error;
    auto status = fs::status(path, error);
    if (error || !fs::exists(status)) return false;
    return (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

bool CFileSystem::Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

fs::path CFileSystem::Resolve(const fs::path& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error) absolute = path;
    fs::path resolved = fs::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal() : resolved;
}

void CFileSystem::IgnoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace stampwell
