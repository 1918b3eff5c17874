#pragma once

#include <QObject>
#include <map>
#include <memory>
#include <string>

#include "screen/ISoundPlayer.h"

class QSoundEffect;

namespace stampwell {

// Sounds through Qt Multimedia; each file is loaded once and played asynchronously.
class CQtSoundPlayer : public ISoundPlayer {
public:
    CQtSoundPlayer();
    ~CQtSoundPlayer() override;
    void PlayFile(const std::filesystem::path& file, bool beepInstead) override;

private:
    std::map<std::string, std::unique_ptr<QSoundEffect>> m_effects;
};

}  // namespace stampwell
