#include "screen/QtSoundPlayer.h"

#include <QApplication>
#include <QSoundEffect>
#include <QUrl>

namespace stampwell {

CQtSoundPlayer::CQtSoundPlayer() = default;
CQtSoundPlayer::~CQtSoundPlayer() = default;

void CQtSoundPlayer::PlayFile(const std::filesystem::path& file, bool beepInstead) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        if (beepInstead) QApplication::beep();
        return;
    }
    auto& effect = m_effects[file.string()];
    if (!effect) {
        effect = std::make_unique<QSoundEffect>();
        effect->setSource(QUrl::fromLocalFile(QString::fromStdString(file.string())));
    }
    if (effect->status() == QSoundEffect::Error) {
        if (beepInstead) QApplication::beep();
        return;
    }
    effect->play();
}

}  // namespace stampwell
