#pragma once

#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "screen/ISoundPlayer.h"
#include "support/Fakes.h"

namespace stampwell::test {

class CFakeSoundPlayer : public ISoundPlayer {
public:
    void PlayFile(const std::filesystem::path& file, bool beepInstead) override {
        played.push_back(file.filename().string() + (beepInstead ? "+beep" : ""));
    }
    std::vector<std::string> played;
};

// Saves a picture for a person to look at (under the build's test output folder).
void SaveScreenshot(const QImage& image, const std::string& name);

}  // namespace stampwell::test
