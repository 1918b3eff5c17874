#pragma once

#include <filesystem>

namespace stampwell {

enum EOperatingMode { kAttendanceMode = 1, kRoomMode = 2 };

// The two one-value files that are set up with the installation and only read.
class CModeFiles {
public:
    // Style.txt: its first character 2 selects room mode; anything else, attendance mode.
    static int ReadMode(const std::filesystem::path& dataDir);
    // Timer.txt: the first word in seconds, as milliseconds. A missing or empty file gives
    // 60000; a word that is not a number gives 0.
    static int ReadTimerMilliseconds(const std::filesystem::path& dataDir);
};

}  // namespace stampwell
