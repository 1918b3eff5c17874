// A stand-in for an office's network share in the tests: a FUSE pass-through of a folder that
// gives each mount its own device and inode numbers (as two PCs' mounts of one share do), passes
// flock to the real files (so locks hold across mounts, as on an SMB server), counts the bytes
// read through it, stops answering while a flag file exists (a stalled server), and answers
// every request with ENOTCONN while another exists (a connection that dropped).
//
//   stampwell-sharefs SOURCE MOUNTPOINT --count FILE --block-flag FILE [fuse options]
#define FUSE_USE_VERSION 31

#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string g_source;
std::string g_countFile;
std::string g_blockFlag;
std::string g_dropFlag;
std::atomic<unsigned long long> g_bytesRead{0};

std::string Real(const char* path) {
    return g_source + path;
}

// Every request waits while the block flag exists (the share hangs), and fails as a dropped
// connection does while the drop flag exists.
int WaitWhileBlocked() {
    while (!g_blockFlag.empty() && ::access(g_blockFlag.c_str(), F_OK) == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!g_dropFlag.empty() && ::access(g_dropFlag.c_str(), F_OK) == 0) return -ENOTCONN;
    return 0;
}

void NoteRead(ssize_t bytes) {
    if (bytes <= 0 || g_countFile.empty()) return;
    const auto total = g_bytesRead += static_cast<unsigned long long>(bytes);
    const std::string text = std::to_string(total) + "\n";
    const int fd = ::open(g_countFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        // Only a count for the tests: a short write shows as a wrong count, nothing else.
        if (::write(fd, text.data(), text.size()) < 0) std::perror("stampwell-sharefs: count");
        ::close(fd);
    }
}

int Result(int value) {
    return value < 0 ? -errno : value;
}

void* Init(fuse_conn_info*, fuse_config* config) {
    // Nothing cached: every read reaches the "server", as across two PCs.
    config->direct_io = 1;
    config->kernel_cache = 0;
    config->attr_timeout = 0;
    config->entry_timeout = 0;
    config->negative_timeout = 0;
    config->use_ino = 0;
    return nullptr;
}

int GetAttr(const char* path, struct stat* status, fuse_file_info* info) {
    // A client keeps answering attributes from its cache for a while after the connection
    // dropped (sshfs does for about a second): only the other requests fail.
    static_cast<void>(WaitWhileBlocked());
    if (info != nullptr) return Result(::fstat(static_cast<int>(info->fh), status));
    return Result(::lstat(Real(path).c_str(), status));
}

int ReadDir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
            fuse_readdir_flags) {
    if (const int dropped = WaitWhileBlocked()) return dropped;
    DIR* dir = ::opendir(Real(path).c_str());
    if (dir == nullptr) return -errno;
    while (dirent* entry = ::readdir(dir)) {
        struct stat status {};
        status.st_mode = static_cast<mode_t>(entry->d_type) << 12;
        if (fill(buffer, entry->d_name, &status, 0, static_cast<fuse_fill_dir_flags>(0))) break;
    }
    ::closedir(dir);
    return 0;
}

int Open(const char* path, fuse_file_info* info) {
    if (const int dropped = WaitWhileBlocked()) return dropped;
    const int fd = ::open(Real(path).c_str(), info->flags & ~O_NOFOLLOW);
    if (fd < 0) return -errno;
    info->fh = static_cast<uint64_t>(fd);
    info->direct_io = 1;
    return 0;
}

int Create(const char* path, mode_t mode, fuse_file_info* info) {
    if (const int dropped = WaitWhileBlocked()) return dropped;
    const int fd = ::open(Real(path).c_str(), info->flags & ~O_NOFOLLOW, mode);
    if (fd < 0) return -errno;
    info->fh = static_cast<uint64_t>(fd);
    info->direct_io = 1;
    return 0;
}

int Read(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* info) {
    if (const int dropped = WaitWhileBlocked()) return dropped;
    const ssize_t got = ::pread(static_cast<int>(info->fh), buffer, size, offset);
    NoteRead(got);
    return got < 0 ? -errno : static_cast<int>(got);
}

int Write(const char*, const char* buffer, size_t size, off_t offset, fuse_file_info* info) {
    if (const int dropped = WaitWhileBlocked()) return dropped;
    const ssize_t put = (info->flags & O_APPEND) != 0
                            ? ::write(static_cast<int>(info->fh), buffer, size)
                            : ::pwrite(static_cast<int>(info->fh), buffer, size, offset);
    return put < 0 ? -errno : static_cast<int>(put);
}

int Release(const char*, fuse_file_info* info) {
    ::close(static_cast<int>(info->fh));
    return 0;
}

int Fsync(const char*, int, fuse_file_info* info) {
    if (const int dropped = WaitWhileBlocked()) return dropped;
    return Result(::fsync(static_cast<int>(info->fh)));
}

int Flock(const char*, fuse_file_info* info, int operation) {
    if (const int dropped = WaitWhileBlocked()) return dropped;
    return Result(::flock(static_cast<int>(info->fh), operation));
}

int Truncate(const char* path, off_t size, fuse_file_info* info) {
    if (const int dropped = WaitWhileBlocked()) return dropped;
    if (info != nullptr) return Result(::ftruncate(static_cast<int>(info->fh), size));
    return Result(::truncate(Real(path).c_str(), size));
}

int Unlink(const char* path) {
    if (const int dropped = WaitWhileBlocked()) return dropped;
    return Result(::unlink(Real(path).c_str()));
}

int Rename(const char* from, const char* to, unsigned int flags) {
    if (const int dropped = WaitWhileBlocked()) return dropped;
    if (flags != 0) return -EINVAL;
    return Result(::rename(Real(from).c_str(), Real(to).c_str()));
}

int MakeDir(const char* path, mode_t mode) {
    if (const int dropped = WaitWhileBlocked()) return dropped;
    return Result(::mkdir(Real(path).c_str(), mode));
}

int RemoveDir(const char* path) {
    if (const int dropped = WaitWhileBlocked()) return dropped;
    return Result(::rmdir(Real(path).c_str()));
}

int Chmod(const char* path, mode_t mode, fuse_file_info* info) {
    if (const int dropped = WaitWhileBlocked()) return dropped;
    if (info != nullptr) return Result(::fchmod(static_cast<int>(info->fh), mode));
    return Result(::chmod(Real(path).c_str(), mode));
}

int Utimens(const char* path, const timespec times[2], fuse_file_info*) {
    if (const int dropped = WaitWhileBlocked()) return dropped;
    return Result(::utimensat(AT_FDCWD, Real(path).c_str(), times, AT_SYMLINK_NOFOLLOW));
}

int StatFs(const char* path, struct statvfs* status) {
    if (const int dropped = WaitWhileBlocked()) return dropped;
    return Result(::statvfs(Real(path).c_str(), status));
}

int ReadLink(const char* path, char* buffer, size_t size) {
    if (const int dropped = WaitWhileBlocked()) return dropped;
    const ssize_t length = ::readlink(Real(path).c_str(), buffer, size - 1);
    if (length < 0) return -errno;
    buffer[length] = '\0';
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--count" || arg == "--block-flag" || arg == "--drop-flag") && i + 1 < argc) {
            (arg == "--count"        ? g_countFile
             : arg == "--block-flag" ? g_blockFlag
                                     : g_dropFlag) = argv[++i];
            continue;
        }
        args.push_back(argv[i]);
    }
    if (args.size() < 3) {
        std::fprintf(
            stderr,
            "usage: %s SOURCE MOUNTPOINT [--count FILE] [--block-flag FILE] [--drop-flag FILE]\n",
            argv[0]);
        return 2;
    }
    // A daemon's working folder is /: the files named are made absolute first.
    for (std::string* file : {&g_countFile, &g_blockFlag, &g_dropFlag}) {
        if (!file->empty() && (*file)[0] != '/') {
            char* cwd = ::getcwd(nullptr, 0);
            *file = std::string(cwd != nullptr ? cwd : ".") + "/" + *file;
            std::free(cwd);
        }
    }
    char* resolved = ::realpath(args[1], nullptr);
    if (resolved == nullptr) {
        std::perror(args[1]);
        return 2;
    }
    g_source = resolved;
    std::free(resolved);
    args.erase(args.begin() + 1);
    fuse_operations operations{};
    operations.init = Init;
    operations.getattr = GetAttr;
    operations.readdir = ReadDir;
    operations.open = Open;
    operations.create = Create;
    operations.read = Read;
    operations.write = Write;
    operations.release = Release;
    operations.fsync = Fsync;
    operations.flock = Flock;
    operations.truncate = Truncate;
    operations.unlink = Unlink;
    operations.rename = Rename;
    operations.mkdir = MakeDir;
    operations.rmdir = RemoveDir;
    operations.chmod = Chmod;
    operations.utimens = Utimens;
    operations.statfs = StatFs;
    operations.readlink = ReadLink;
    return fuse_main(static_cast<int>(args.size()), args.data(), &operations, nullptr);
}
