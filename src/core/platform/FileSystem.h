#pragma once

#include <sys/types.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileDescriptor.h"

namespace stampwell {

// The file-system steps that keep stored data whole: safe opens, durable writes, atomic
// replacement and the read-only flag that the stores carry at rest. On failure errno tells why.
class CFileSystem {
public:
    // Who may read a file that a whole-file write creates.
    enum class EAccess { kShared, kOwnerOnly };

    // Opens a stored file with open(2) flags. Only a regular file is ever used (a FIFO, device or
    // folder planted under the name fails with EINVAL without blocking), and a file opened for
    // writing is never reached through a final symbolic link (ELOOP).
    static CFileDescriptor Open(const std::filesystem::path& path, int flags, mode_t mode = 0666);
    // Whether something that Stampwell never makes sits at path: a symbolic link, a FIFO, a
    // socket or a device (a folder is only a wrong path).
    static bool IsForeign(const std::filesystem::path& path);
    // Whether errno says that the disk (or the file-size limit) is full.
    static bool IsNoSpace(int error);
    // An error that means a network folder's server is gone (a dropped connection, a stale
    // handle, an I/O error of the mount): the folder is away, as if it were missing.
    static bool IsShareGone(int error);

    // Writes all bytes to a descriptor, going on after short writes and EINTR.
    static bool WriteAll(int fd, std::string_view bytes);
    // Reads exactly size bytes at offset; false on a short read or an error.
    static bool ReadAt(int fd, std::uint64_t offset, char* buffer, std::size_t size);
    // fflush + fsync; false when either fails.
    static bool SyncStream(std::FILE* file);
    // Makes a rename or a new file in that folder durable.
    static bool SyncDirectory(const std::filesystem::path& folder);
    // Writes bytes, synced, to a new scratch file beside target (scratchName plus a unique
    // ending); its path, or empty when it could not be written whole (nothing is left then).
    static std::filesystem::path WriteScratch(const std::filesystem::path& target,
                                              std::string_view scratchName, std::string_view bytes);
    // Replaces target by scratch (same folder) in one step, then syncs the folder.
    static bool ReplaceFile(const std::filesystem::path& scratch,
                            const std::filesystem::path& target);
    // The scratch file for a whole-file rewrite of target: beside it, so the rename is atomic.
    static std::filesystem::path ScratchPath(const std::filesystem::path& target,
                                             std::string_view scratchName);
    // Removes the scratch files of scratchName that a writer killed before its replace left
    // beside target. Only for a caller that holds the lock every such writer holds: a scratch
    // file found then belongs to no running writer.
    static void RemoveLeftoverScratch(const std::filesystem::path& target,
                                      std::string_view scratchName);
    // Writes bytes to a new scratch file beside target (scratchName plus a unique ending, so two
    // writers never share one), syncs it, and replaces target. The new file keeps the
    // permissions of the regular file it replaces; kOwnerOnly files are readable by their owner
    // alone from the first byte on. A target that is a link, FIFO or device is refused.
    static bool WriteWholeFile(const std::filesystem::path& target, std::string_view scratchName,
                               std::string_view bytes, EAccess access = EAccess::kShared);
    // Appends bytes in one piece and syncs them. A torn tail that an interrupted append left is
    // cut first: back to the last line end when unit is 0, else to a whole number of units (cut
    // then says so). header is written first when the file is new or empty. A failed append is
    // taken back, so the file never keeps part of bytes.
    // at, when given, receives the offset where bytes begin in the file.
    static bool AppendWhole(const std::filesystem::path& path, std::string_view bytes,
                            std::size_t unit, std::string_view header = {}, bool* cut = nullptr,
                            std::uint64_t* at = nullptr);
    // Whether a new file can be created in the folder of target now.
    static bool CanCreateBeside(const std::filesystem::path& target);
    static std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);
    // The same, telling a file that is not there (absent, an empty result) from a folder that
    // is not there (nothing): the file is looked up in the folder it was opened in, so a network
    // folder that goes away for a moment is never taken for an empty one.
    static std::optional<std::string> ReadWholeFileInFolder(const std::filesystem::path& path,
                                                            bool& absent);

    // Changes the mode of a regular file of ours only (never through a link).
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
