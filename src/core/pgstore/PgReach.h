#pragma once

#include <filesystem>

namespace stampwell {

// Whether this clock found the company database not answering a moment ago, shared by its
// stores and programs through "DatabaseWaiting.dat.away" in the data folder: a tap then decides
// from what the clock keeps at once, instead of each of its steps waiting for the server again.
class CPgReach {
public:
    static constexpr int kRetrySeconds = 10;

    static bool RecentlyAway(const std::filesystem::path& dataDir);
    static void NoteAway(const std::filesystem::path& dataDir);
    static void NoteBack(const std::filesystem::path& dataDir);
};

}  // namespace stampwell
