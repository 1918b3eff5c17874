#include "RecorderCommand/EndCommand.h"
#include "RecorderCommand/IRegisterScreen.h"
#include "RecorderCommand/StartCommand.h"

namespace stampwell {

void StartCommand::Execute() {
    if (m_screen != nullptr) m_screen->SelectStart();
}

void EndCommand::Execute() {
    if (m_screen != nullptr) m_screen->SelectEnd();
}

}  // namespace stampwell
