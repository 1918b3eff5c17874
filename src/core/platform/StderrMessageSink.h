#pragma once

#include "platform/IMessageSink.h"

namespace stampwell {

class CStderrMessageSink : public IMessageSink {
public:
    void ShowMessage(std::string_view text, EMessageIcon icon) override;
};

}  // namespace stampwell
