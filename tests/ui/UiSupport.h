#pragma once

#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "controller/IPrompt.h"
#include "screen/ISoundPlayer.h"

namespace stampwell::test {

class CFakeSoundPlayer : public ISoundPlayer {
public:
    void PlayFile(const std::filesystem::path& file, bool beepInstead) override {
        played.push_back(file.filename().string() + (beepInstead ? "+beep" : ""));
    }
    std::vector<std::string> played;
};

class CFakePrompt : public IPrompt {
public:
    void ShowMessage(std::string_view text, EMessageIcon) override { messages.emplace_back(text); }
    int AskQuestion(std::string_view text) override {
        questions.emplace_back(text);
        return answer;
    }
    bool AskYesNo(std::string_view) override { return yesNo; }
    void MovePointerToOrigin() override {}
    std::vector<std::string> messages, questions;
    int answer = kYes;
    bool yesNo = false;
};

// Saves a picture for a person to look at (under the build's test output folder).
void SaveScreenshot(const QImage& image, const std::string& name);

}  // namespace stampwell::test
