#include "platform/FileSystem.h"

#include <fcntl.h>
#include <unistd.h>

#include <system_error>

#include "platform/FileHandle.h"

namespace stampwell {

namespace fs = std::filesystem;

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

bool CFileSystem::WriteWholeFile(const fs::path& target, std::string_view scratchName,
                                 std::string_view bytes) {
    fs::path scratch = ScratchPath(target, scratchName);
    {
        FileHandle file = OpenFile(scratch, "wb");
        if (!file) return false;
        bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
        if (!written || !SyncStream(file.get())) {
            file.reset();
            std::error_code ignored;
            fs::remove(scratch, ignored);
            return false;
        }
        if (std::fclose(file.release()) != 0) return false;
    }
    if (!ReplaceFile(scratch, target)) {
        std::error_code ignored;
        fs::remove(scratch, ignored);
        return false;
    }
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

}  // namespace stampwell
