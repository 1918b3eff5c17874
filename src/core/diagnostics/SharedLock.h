#pragma once

#include <filesystem>
#include <string>

#include "platform/FileLock.h"

namespace stampwell {

class CRuntime;

// Every lock of a shared file is taken and refused the same way: one wait (the runtime's), one
// ErrorLog.txt line naming the lock file, one message.
class CSharedLock {
public:
    static CFileLock Take(const CRuntime& runtime, const std::filesystem::path& lockPath);
    // The ErrorLog.txt line of a refused lock (nothing for a held one or a missing folder).
    static void Log(const std::filesystem::path& dataDir, CFileLock::EState state,
                    const std::filesystem::path& lockPath);
    // What the refused operation shows; empty when the state refuses nothing (held, a
    // read-only folder) or is the caller's to word (a folder that is not there).
    static std::string Message(CFileLock::EState state, const std::filesystem::path& lockPath);
};

}  // namespace stampwell
