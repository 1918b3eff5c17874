#pragma once

#include <QImage>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "screen/ISoundPlayer.h"
#include "support/Fakes.h"

namespace stampwell {
class CStampwellApp;
}

namespace stampwell::test {

class CFakeSoundPlayer : public ISoundPlayer {
public:
    void PlayFile(const std::filesystem::path& file, bool beepInstead) override {
        played.push_back(file.filename().string() + (beepInstead ? "+beep" : ""));
    }
    std::vector<std::string> played;
};

// Runs a menu command of the clock as an administrator would: the login dialog that opens gets
// "admin" / "pw" and OK; afterLogin, when given, runs inside the target's modal run.
void RunAfterLogin(CStampwellApp& app, int command, std::function<void()> afterLogin = {});

// Lets the clock's worker finish what was posted (a tap's file work, the history) and delivers
// the results, as the event loop does between two timer ticks.
void Settle(CStampwellApp& app);

// Saves a picture for a person to look at (under the build's test output folder).
void SaveScreenshot(const QImage& image, const std::string& name);

}  // namespace stampwell::test
