#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>

namespace stampwell {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// An open C stream that closes itself.
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

inline FileHandle OpenFile(const std::filesystem::path& path, const char* mode) {
    return FileHandle{std::fopen(path.c_str(), mode)};
}

}  // namespace stampwell
