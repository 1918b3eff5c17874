#pragma once

#include "RecorderCommand/RecorderCommand.h"

namespace stampwell {

class EndCommand : public RecorderCommand {
public:
    explicit EndCommand(IRegisterScreen* screen) : m_screen(screen) {}
    void Execute() override;

private:
    IRegisterScreen* m_screen;
};

}  // namespace stampwell
