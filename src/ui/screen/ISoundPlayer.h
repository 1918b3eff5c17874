#pragma once

#include <filesystem>

namespace stampwell {

// Plays a sound file without waiting for it.
class ISoundPlayer {
public:
    virtual ~ISoundPlayer() = default;
    // When the file cannot be played: the system beep if beepInstead, else silence.
    virtual void PlayFile(const std::filesystem::path& file, bool beepInstead) = 0;
};

}  // namespace stampwell
