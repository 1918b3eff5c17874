#include "settings/ModeFiles.h"

#include <cctype>
#include <cstdlib>
#include <limits>
#include <string>

#include "platform/FileHandle.h"

namespace stampwell {

int CModeFiles::ReadMode(const std::filesystem::path& dataDir) {
    FileHandle file = OpenFile(dataDir / "Style.txt", "rb");
    if (!file) return kAttendanceMode;
    int first = std::fgetc(file.get());
    return first == '2' ? kRoomMode : kAttendanceMode;
}

int CModeFiles::ReadTimerMilliseconds(const std::filesystem::path& dataDir) {
    constexpr int kDefault = 60000;
    FileHandle file = OpenFile(dataDir / "Timer.txt", "rb");
    if (!file) return kDefault;
    std::string word;
    int c;
    while ((c = std::fgetc(file.get())) != EOF && std::isspace(c)) {
    }
    while (c != EOF && !std::isspace(c) && word.size() < 64) {
        word += static_cast<char>(c);
        c = std::fgetc(file.get());
    }
    // An empty file says nothing, so it means the same as no file.
    if (word.empty()) return kDefault;
    long long seconds = std::atoll(word.c_str());
    if (seconds < 0) seconds = 0;
    long long ms = seconds * 1000;
    if (ms > std::numeric_limits<int>::max()) ms = std::numeric_limits<int>::max();
    return static_cast<int>(ms);
}

}  // namespace stampwell
