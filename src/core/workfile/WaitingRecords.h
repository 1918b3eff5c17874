#pragma once

#include <filesystem>

namespace stampwell {

// Before the records waiting in the temporary file move to the work file: those that the work
// file already has in effect (CWaitingMerge) are dropped or overwrite the record they improve
// on, each with an ErrorLog.txt line; the temporary file keeps only what is to be appended.
// The caller holds both locks and has finished any move cut short. Running it again after a
// crash at any point decides the same (an overwritten record equals the waiting one).
class CWaitingRecords {
public:
    static bool Merge(const std::filesystem::path& temporary, const std::filesystem::path& work,
                      bool roomMode, const std::filesystem::path& dataDir);
};

}  // namespace stampwell
