#pragma once

#include <string_view>

namespace stampwell {

enum class EMessageIcon { None, Information, Warning, Stop };

// Where the core's fixed Japanese messages go: a message box in the time clock, stderr in the CLI.
class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual void ShowMessage(std::string_view text, EMessageIcon icon) = 0;
};

}  // namespace stampwell
