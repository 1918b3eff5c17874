#include "settings/ModeFiles.h"

#include <cctype>
#include <cerrno>
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
    errno = 0;
    long long seconds = std::strtoll(word.c_str(), nullptr, 10);
    // A number out of range reads like one that cannot be read: 0.
    if (errno == ERANGE || seconds < 0 || seconds > std::numeric_limits<int>::max() / 1000) {
        return 0;
    }
    return static_cast<int>(seconds * 1000);
}

}  // namespace stampwell
