#pragma once

#include "RecorderCommand/RecorderCommand.h"

namespace stampwell {

class StartCommand : public RecorderCommand {
public:
    explicit StartCommand(IRegisterScreen* screen) : m_screen(screen) {}
    void Execute() override;

private:
    IRegisterScreen* m_screen;
};

}  // namespace stampwell
