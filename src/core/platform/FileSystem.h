#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace stampwell {

// The file-system steps that keep stored data whole: durable writes, atomic replacement and the
// read-only flag that the stores carry at rest.
class CFileSystem {
public:
    // Writes all bytes to a descriptor, going on after short writes and EINTR.
    static bool WriteAll(int fd, std::string_view bytes);
    // fflush + fsync; false when either fails.
    static bool SyncStream(std::FILE* file);
    // Makes a rename or a new file in that folder durable.
    static bool SyncDirectory(const std::filesystem::path& folder);
    // Replaces target by scratch (same folder) in one step, then syncs the folder.
    static bool ReplaceFile(const std::filesystem::path& scratch,
                            const std::filesystem::path& target);
    // The scratch file for a whole-file rewrite of target: beside it, so the rename is atomic.
    static std::filesystem::path ScratchPath(const std::filesystem::path& target,
                                             std::string_view scratchName);
    // Writes bytes to a new scratch file beside target (scratchName plus a unique ending, so two
    // writers never share one), syncs it, and replaces target. The new file keeps the
    // permissions of the file it replaces.
    static bool WriteWholeFile(const std::filesystem::path& target, std::string_view scratchName,
                               std::string_view bytes);
    // Whether a new file can be created in the folder of target now.
    static bool CanCreateBeside(const std::filesystem::path& target);
    static std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

    static bool SetReadOnly(const std::filesystem::path& path, bool readOnly);
    static bool IsReadOnly(const std::filesystem::path& path);
    static bool Exists(const std::filesystem::path& path);
    // The same file after resolving links and "..", for comparing two paths that may name it.
    static std::filesystem::path Resolve(const std::filesystem::path& path);
    // A write past the process's file-size limit then fails with EFBIG, which is reported like
    // a full disk, instead of killing the process silently with SIGXFSZ.
    static void IgnoreFileSizeSignal();
};

}  // namespace stampwell
