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

// fopen's modes ("rb", "ab", "r+b", "wb"), opened the safe way of CFileSystem::Open: a regular
// file only, and never through a final symbolic link when writing.
FileHandle OpenFile(const std::filesystem::path& path, const char* mode);

}  // namespace stampwell
