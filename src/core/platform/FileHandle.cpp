#include "platform/FileHandle.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

#include "platform/FileSystem.h"

namespace stampwell {

FileHandle OpenFile(const std::filesystem::path& path, const char* mode) {
    int flags = 0;
    const bool update = std::strchr(mode, '+') != nullptr;
    switch (mode[0]) {
        case 'r':
            flags = update ? O_RDWR : O_RDONLY;
            break;
        case 'w':
            flags = (update ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
            break;
        case 'a':
            flags = (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
            break;
        default:
            errno = EINVAL;
            return FileHandle{};
    }
    CFileDescriptor fd = CFileSystem::Open(path, flags);
    if (!fd) return FileHandle{};
    std::FILE* file = ::fdopen(fd.Get(), mode);
    if (file == nullptr) return FileHandle{};
    fd.Release();
    return FileHandle{file};
}

}  // namespace stampwell
