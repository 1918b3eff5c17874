#pragma once

#include <string>
#include <string_view>

#include "platform/IMessageSink.h"

namespace stampwell {

// A sink that keeps the last message said, for a job on another thread whose words the window
// shows after it.
class CKeptMessage : public IMessageSink {
public:
    void ShowMessage(std::string_view text, EMessageIcon) override { m_said = std::string(text); }
    const std::string& Said() const { return m_said; }

private:
    std::string m_said;
};

}  // namespace stampwell
